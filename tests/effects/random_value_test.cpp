// The effects' random values keep to 0-32767 whatever the C library's RAND_MAX.
#include "effects/random_value.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

TEST(RandomValueTest, StaysWithinFifteenBitsAndCoversThem) {
  std::srand(3);
  int lowest = RANDOM_VALUE_MAX;
  int highest = 0;
  for (int i = 0; i < 100000; ++i) {
    const int value = randomValue();
    ASSERT_GE(value, 0);
    ASSERT_LE(value, RANDOM_VALUE_MAX);
    lowest = std::min(lowest, value);
    highest = std::max(highest, value);
  }
  EXPECT_LT(lowest, 100);
  EXPECT_GT(highest, RANDOM_VALUE_MAX - 100);
  EXPECT_LE(randomUnit(), 1.0f);
}

} // namespace
