// The effects' one random source: the C library's rand() generator, never seeded, scaled to
// 0-32767, the range the effects are written for (glibc's rand() reaches 2^31 - 1).
//
// The values come from the platform's randUnlocked (platform/c_runtime.h): rand()'s very
// sequence without the lock rand() takes on every call.
#pragma once

constexpr int randomValueMax = 32767;  // largest value of randomValue()

// Next value of the sequence as a number from 0 to 32767 (its top 15 bits).
int randomValue();

// Next value of the sequence as a number from 0 to 1.
float randomUnit();

// Starts the sequence again as srand(seed) would. The program never calls it (it runs on the
// unseeded sequence); tests use it to predict values.
void restartRandomValues(unsigned int seed);
