// rand()'s sequence without its lock (platform/c_runtime.h), on glibc's reentrant generator.
#include "platform/c_runtime.h"

#include <cstdint>
#include <cstdlib>

namespace {

constexpr unsigned int unseeded = 1;  // the seed an unseeded rand() behaves as

// The same 128-byte additive-feedback state that rand() keeps behind its lock.
struct Generator {
  char state[128];
  random_data data{};
  Generator() { initstate_r(unseeded, state, sizeof state, &data); }
};

Generator generator;  // nothing draws a value before main()

}  // namespace

int randUnlocked() {
  int32_t value = 0;
  random_r(&generator.data, &value);
  return value;
}

void srandUnlocked(unsigned int seed) { srandom_r(seed, &generator.data); }
