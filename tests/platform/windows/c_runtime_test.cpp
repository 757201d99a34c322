// The program's random sequence on Windows is the Windows C runtime's own: randUnlocked and the
// C runtime's rand() draw the same values from the same seed, unseeded (seed 1) or not.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/c_runtime.h"

namespace {

TEST(WindowsCRuntime, RandomSequenceIsTheCRuntimesRand) {
  for (unsigned int seed : {1u, 2u, 0u, 4294967295u}) {
    std::srand(seed);
    srandUnlocked(seed);
    for (int i = 0; i < 100000; ++i)
      ASSERT_EQ(randUnlocked(), std::rand()) << "seed " << seed << ", value " << i;
  }
}

}  // namespace
