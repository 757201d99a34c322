// The effects' random values: rand()'s own sequence, kept to 0-32767 whatever RAND_MAX is.
#include "effects/random_value.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace {

TEST(RandomValueTest, StaysWithinFifteenBitsAndCoversThem) {
  restartRandomValues(3);
  int lowest = randomValueMax;
  int highest = 0;
  for (int i = 0; i < 100000; ++i) {
    const int value = randomValue();
    ASSERT_GE(value, 0);
    ASSERT_LE(value, randomValueMax);
    lowest = std::min(lowest, value);
    highest = std::max(highest, value);
  }
  EXPECT_LT(lowest, 100);
  EXPECT_GT(highest, randomValueMax - 100);
  EXPECT_LE(randomUnit(), 1.0f);
}

TEST(RandomValueTest, FollowsTheCLibrarySequence) {
  std::srand(11);
  restartRandomValues(11);
  for (int i = 0; i < 1000; ++i) ASSERT_EQ(randomValue(), std::rand() >> 16) << "value " << i;
}

} // namespace
