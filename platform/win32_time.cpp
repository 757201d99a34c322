// Time functions of the Win32 subset and the replaceable clock behind them
// (platform/hooks/clock.h).
#include <time.h>

#include "platform/hooks/clock.h"
#include "platform/win32.h"

namespace {

bool virtualClockActive = false;
long long virtualNow = virtualClockStart;  // ticks

long long realNow() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec * clockTicksPerSecond + now.tv_nsec;
}

}  // namespace

long long clockNow() { return virtualClockActive ? virtualNow : realNow(); }

void clockSleep(unsigned int milliseconds) {
  const long long ticks = milliseconds * (clockTicksPerSecond / 1000);
  if (virtualClockActive) {
    virtualNow += ticks;
    return;
  }
  timespec wait{static_cast<time_t>(ticks / clockTicksPerSecond),
                static_cast<long>(ticks % clockTicksPerSecond)};
  while (nanosleep(&wait, &wait) != 0) {
  }
}

void useVirtualClock() {
  virtualClockActive = true;
  virtualNow = virtualClockStart;
}

void advanceVirtualClock(long long nanoseconds) { virtualNow += nanoseconds; }

void useRealClock() { virtualClockActive = false; }

BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER* counter) {
  counter->QuadPart = clockNow();
  return TRUE;
}

BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
  frequency->QuadPart = clockTicksPerSecond;
  return TRUE;
}

// Milliseconds of the clock, wrapping at 2^32 like the real tick count.
DWORD WINAPI GetTickCount() {
  return static_cast<DWORD>(clockNow() / (clockTicksPerSecond / 1000));
}

void WINAPI Sleep(DWORD milliseconds) { clockSleep(milliseconds); }
