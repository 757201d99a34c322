// Spark shower: ten additive point sprites that fall from near the top-left corner, drifting
// and accelerating, and start again in bursts of fifteen restarts every twenty seconds.
#pragma once

struct Spark {
  float x;           // horizontal offset from the spawn point, world units
  float y;           // vertical offset from the spawn point, world units; alive while > -3
  float driftSpeed;  // leftward speed, world units a second
  float fallSpeed;   // downward speed, world units a second (grows 10 % a frame)
};

constexpr int sparkCount = 10;

extern Spark sparks[sparkCount];
extern long long sparkBurstStamp;  // counter value at which the last burst ended; 0 = none yet
extern int sparkBurstCount;        // restarts made in the current burst, 0-15

// Start values of the ten sparks: all alive at the spawn point. The burst timer is kept.
void resetSparks();

// One frame of one spark: moves it while it is alive, else lets the burst timer restart it.
void updateSpark(Spark& spark, float frameSeconds);

// Draws and moves the ten sparks on the current render target.
void drawSparks(float frameSeconds);
