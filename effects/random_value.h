// The effects' one random source: the Windows C runtime's rand() sequence, never seeded, whose
// values run from 0 to 32767.
//
// The values come from the platform's randUnlocked (platform/c_runtime.h): that sequence without
// a lock.
#pragma once

constexpr int randomValueMax = 32767;  // largest value of randomValue()

// Next value of the sequence, a number from 0 to 32767.
int randomValue();

// Next value of the sequence as a number from 0 to 1.
float randomUnit();

// Starts the sequence again as srand(seed) would. The program never calls it (it runs on the
// unseeded sequence); tests use it to predict values.
void restartRandomValues(unsigned int seed);
