// Spectrum bar heights: the level formula, its cap, silence and the shrinking later bars.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "frame/analyser_bars.h"

TEST(SpectrumBars, SilentBandGivesANegativeHeightSoTheBarIsCulled) {
  EXPECT_EQ(barLevel(0.0f), -4);
  for (int bar = 0; bar < 6; ++bar) EXPECT_LT(barHeight(0.0f, bar), 0.0f) << "bar " << bar;
}

TEST(SpectrumBars, LoudBandsAreCappedAtLevelSevenHundred) {
  EXPECT_EQ(barLevel(0.1785f), 699);
  EXPECT_EQ(barLevel(0.1786f), 700);
  EXPECT_EQ(barLevel(1.0f), 700);
  EXPECT_EQ(barLevel(1e30f), 700);  // no overflow in the conversion
  EXPECT_NEAR(barHeight(1.0f, 0), 0.2435f, 1e-4f);
}

TEST(SpectrumBars, LaterBarsAreShorter) {
  EXPECT_NEAR(barHeight(1.0f, 5), 0.2012f, 1e-4f);
  EXPECT_NEAR(barHeight(0.05f, 5) / barHeight(0.05f, 0), 0.66111f / 0.8f, 1e-4f);
}

TEST(SpectrumBars, MiddleValueFollowsTheSquareRootFormula) {
  // sqrt(0.01 / log10(11)) * 1700 - 4 = 162.59 -> 162
  EXPECT_EQ(barLevel(0.01f), 162);
}

TEST(SpectrumBars, NegativeOrNanValuesCountAsSilence) {
  EXPECT_EQ(barLevel(-1.0f), -4);
  EXPECT_EQ(barLevel(std::numeric_limits<float>::quiet_NaN()), -4);
}
