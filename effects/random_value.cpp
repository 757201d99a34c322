// The effects' random source on the platform's rand() sequence; see random_value.h.
#include "effects/random_value.h"

#include "platform/c_runtime.h"

int randomValue() { return randUnlocked(); }

float randomUnit() {
  return static_cast<float>(randomValue()) / static_cast<float>(randomValueMax);
}

void restartRandomValues(unsigned int seed) { srandUnlocked(seed); }
