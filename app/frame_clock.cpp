// The frame clock (app/frame_clock.h).
#include "app/frame_clock.h"

#include "platform/win32.h"

FrameClock frameClock;

int initFrameClock() {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  frameClock.frequency = static_cast<double>(frequency.QuadPart);
  frameClock.startTick = GetTickCount();
  return 0;
}
