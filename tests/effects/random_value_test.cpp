// The effects' random values: the platform's rand() sequence as it is, 0-32767.
#include "effects/random_value.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/c_runtime.h"

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

TEST(RandomValueTest, FollowsTheRuntimeSequenceUnshifted) {
  srandUnlocked(11);
  std::vector<int> expected(1000);
  for (int& value : expected) value = randUnlocked();
  restartRandomValues(11);
  for (int i = 0; i < 1000; ++i) ASSERT_EQ(randomValue(), expected[i]) << "value " << i;

  restartRandomValues(1);  // the unseeded sequence: msvcrt's first values
  EXPECT_EQ(randomValue(), 41);
  EXPECT_EQ(randomValue(), 18467);
  EXPECT_FLOAT_EQ(randomUnit(), 6334.0f / 32767.0f);
}

}  // namespace
