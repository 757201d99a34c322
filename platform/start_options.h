// What the command line asks of the platform before the program makes its window: an integer
// enlargement of windowed windows, and a click delivered to the first window before any input.
// Not part of Win32; the program itself never sees either.
#pragma once

constexpr int autoWindowScale = 0;  // the largest scale whose window fits in 3/4 of the desktop
constexpr int largestWindowScale = 4;

// Every windowed window, its shape and its picture are enlarged `scale` times (1-4, or
// autoWindowScale); positions, sizes and mouse positions the program sees stay unscaled, as on a
// screen `scale` times smaller. Set before the first window is made.
void setWindowScale(int scale);

// The first window made receives a left click (button down, then up) at this client position,
// queued before anything else it receives.
void postStartupClick(int x, int y);
