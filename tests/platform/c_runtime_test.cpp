// rand()'s sequence without its lock: value for value the C library's rand(), unseeded and
// seeded, and a sequence of its own that draws from rand() do not disturb.
#include "platform/c_runtime.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

// ctest runs each test in a process of its own, so both generators start unseeded here.
TEST(RandUnlocked, StartsAsAnUnseededRand) {
  for (int i = 0; i < 1000; ++i) ASSERT_EQ(randUnlocked(), std::rand()) << "value " << i;
}

TEST(RandUnlocked, RestartsAsSrandDoesAndIgnoresDrawsFromRand) {
  for (unsigned int seed : {0u, 1u, 12345u, 0xFFFFFFFFu}) {
    std::srand(seed);
    std::vector<int> expected(300);
    for (int& value : expected) value = std::rand();
    srandUnlocked(seed);
    for (int i = 0; i < 300; ++i) {
      static_cast<void>(std::rand());
      ASSERT_EQ(randUnlocked(), expected[i]) << "seed " << seed << ", value " << i;
    }
  }
}

}  // namespace
