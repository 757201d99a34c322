// The frame clock (app/frame_clock.h).
#include "app/frame_clock.h"

#include <windows.h>

FrameClock frameClock;

int initFrameClock() {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  frameClock.frequency = static_cast<double>(frequency.QuadPart);
  frameClock.startTick = GetTickCount();
  return 0;
}

double secondsSinceStamp(long long stamp) {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  const long long elapsed = stamp != 0 ? now.QuadPart - stamp : frameClock.lastCounter;
  return static_cast<double>(elapsed) / frameClock.frequency;
}
