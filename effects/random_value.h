// The effects' one random source: the C library's rand(), never seeded, scaled to 0-32767,
// the range the effects are written for (glibc's rand() reaches 2^31 - 1).
#pragma once

#include <cstdlib>

constexpr int RANDOM_VALUE_MAX = 32767; // largest value of randomValue()

// Next value of rand() as a number from 0 to 32767 (its top 15 bits).
inline int randomValue() {
  return static_cast<int>(static_cast<unsigned int>(std::rand()) /
                          ((static_cast<unsigned int>(RAND_MAX) + 1u) / (RANDOM_VALUE_MAX + 1u)));
}

// Next value of rand() as a number from 0 to 1.
inline float randomUnit() {
  return static_cast<float>(randomValue()) / static_cast<float>(RANDOM_VALUE_MAX);
}
