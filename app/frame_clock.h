// The frame clock: the high-resolution counter's frequency, the counter value taken before the
// previous frame (the main loop measures frame times from it) and the tick count at start-up.
#pragma once

struct FrameClock {
  double frequency;        // counter ticks per second
  long long lastCounter;   // counter before the previous frame; 0 until the first frame
  unsigned int startTick;  // GetTickCount at start-up, milliseconds
};

extern FrameClock frameClock;

// Reads the counter frequency and the start tick. Returns 0.
int initFrameClock();

// Seconds from the counter value `stamp` to now; for a stamp of 0 (never), the previous frame's
// counter value in seconds, as if counted from the counter's origin.
double secondsSinceStamp(long long stamp);
