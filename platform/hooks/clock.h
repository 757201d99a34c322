// The one clock behind QueryPerformanceCounter, QueryPerformanceFrequency, GetTickCount and Sleep.
// The real clock is CLOCK_MONOTONIC in nanoseconds. Tests switch to a virtual clock that stands
// still until Sleep or advanceVirtualClock moves it, so time-based code runs deterministically.
#pragma once

// Counter ticks per second of both clocks (nanoseconds).
constexpr long long clockTicksPerSecond = 1000000000LL;

// Counter value of the virtual clock right after useVirtualClock: one second, so a reading of
// 0 (which the program takes as "never") cannot occur.
constexpr long long virtualClockStart = clockTicksPerSecond;

// Current counter value in ticks of clockTicksPerSecond.
long long clockNow();

// Waits (real clock) or moves time on (virtual clock) by the given milliseconds.
void clockSleep(unsigned int milliseconds);

// Replaces the real clock by a virtual one starting at virtualClockStart.
void useVirtualClock();

// Moves the virtual clock on by the given nanoseconds (no effect on the real clock).
void advanceVirtualClock(long long nanoseconds);

// Back to the real clock.
void useRealClock();
