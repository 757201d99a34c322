// rand()'s sequence without its lock: value for value the Windows C runtime's rand(), unseeded
// and seeded (the values below are msvcrt's own), and undisturbed by draws from the C library's
// rand().
#include "platform/c_runtime.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

using Values = std::vector<int>;

Values draw(int count) {
  Values values(count);
  for (int& value : values) value = randUnlocked();
  return values;
}

const Values fromSeedOne = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};

// ctest runs each test in a process of its own, so the sequence starts unseeded here.
TEST(RandUnlocked, StartsAsAnUnseededWindowsRand) { EXPECT_EQ(draw(10), fromSeedOne); }

TEST(RandUnlocked, RestartsAsSrandDoesAndIgnoresDrawsFromRand) {
  const struct {
    unsigned int seed;
    Values values;
  } cases[] = {
      {0u, {38, 7719, 21238, 2437, 8855, 11797, 8365, 32285, 10450, 30612}},
      {1u, fromSeedOne},
      {12345u, {7584, 19164, 25795, 22125, 5828, 23405, 27477, 5413, 29072, 23404}},
      {0xFFFFFFFFu, {35, 29739, 3374, 11141, 31308, 7870, 5253, 2445, 26706, 3992}},
  };
  for (const auto& expected : cases) {
    srandUnlocked(expected.seed);
    std::srand(expected.seed);
    Values values;
    for (int i = 0; i < 10; ++i) {
      static_cast<void>(std::rand());
      values.push_back(randUnlocked());
    }
    EXPECT_EQ(values, expected.values) << "seed " << expected.seed;
  }
}

TEST(RandUnlocked, StaysWithinFifteenBitsOverALongRun) {
  srandUnlocked(7);
  int highest = 0;
  for (int i = 0; i < 1000000; ++i) {
    const int value = randUnlocked();
    ASSERT_GE(value, 0) << "value " << i;
    ASSERT_LE(value, 32767) << "value " << i;
    if (value > highest) highest = value;
  }
  EXPECT_EQ(highest, 32767);
}

}  // namespace
