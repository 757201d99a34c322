// The effects' random source on glibc's reentrant generator; see random_value.h.
#include "effects/random_value.h"

#include <cstdint>
#include <cstdlib>

namespace {

constexpr int RAND_SHIFT = 16;        // drops glibc's 31-bit value to its top 15 bits
constexpr unsigned int UNSEEDED = 1;  // the seed an unseeded rand() behaves as

// The same 128-byte additive-feedback state that rand() keeps behind its lock.
struct Generator {
  char state[128];
  random_data data{};
  Generator() { initstate_r(UNSEEDED, state, sizeof state, &data); }
};

Generator generator;  // no effect draws a value before main()

}  // namespace

int randomValue() {
  int32_t value = 0;
  random_r(&generator.data, &value);
  return value >> RAND_SHIFT;
}

float randomUnit() {
  return static_cast<float>(randomValue()) / static_cast<float>(RANDOM_VALUE_MAX);
}

void restartRandomValues(unsigned int seed) { srandom_r(seed, &generator.data); }
