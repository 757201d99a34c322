// rand()'s sequence without its lock (platform/c_runtime.h): the Windows C runtime's linear
// congruential generator.
#include "platform/c_runtime.h"

#include <cstdint>

namespace {

constexpr uint32_t multiplier = 214013;
constexpr uint32_t increment = 2531011;
constexpr int valueShift = 16;  // a value is bits 16 to 30 of the state
constexpr uint32_t valueMask = 0x7FFF;

uint32_t state = 1;  // an unseeded rand() starts as srand(1) does

}  // namespace

int randUnlocked() {
  state = state * multiplier + increment;  // modulo 2^32
  return static_cast<int>((state >> valueShift) & valueMask);
}

void srandUnlocked(unsigned int seed) { state = seed; }
