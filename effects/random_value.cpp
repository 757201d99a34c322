// The effects' random source on the platform's rand() sequence; see random_value.h.
#include "effects/random_value.h"

#include "platform/c_runtime.h"

namespace {

constexpr int randShift = 16;  // drops the 31-bit value to its top 15 bits

}  // namespace

int randomValue() { return randUnlocked() >> randShift; }

float randomUnit() {
  return static_cast<float>(randomValue()) / static_cast<float>(randomValueMax);
}

void restartRandomValues(unsigned int seed) { srandUnlocked(seed); }
