// The start-up static's fill and alpha, without a device.
#include "effects/overlays.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "effects/random_value.h"

namespace {

constexpr int paddedPitch = staticWidth * 4 + 32;  // a padded pitch

TEST(StaticTest, AlphaFallsWithTheFadeStepAndStaysAtZero) {
  EXPECT_EQ(staticAlpha(0), 255);
  EXPECT_EQ(staticAlpha(100), 155);
  EXPECT_EQ(staticAlpha(255), 0);
  EXPECT_EQ(staticAlpha(260), 0);
  EXPECT_EQ(staticAlpha(0xFFFFFFFFu), 0);
}

TEST(StaticTest, OneRandPerPixelInRowOrderEvenIsWhite) {
  std::vector<unsigned char> texels(paddedPitch * staticHeight, 0x55);
  restartRandomValues(7);
  fillStatic(texels.data(), paddedPitch, 200);

  restartRandomValues(7);  // the same sequence again, to predict every pixel
  long white = 0;
  for (int r = 0; r < staticHeight; ++r) {
    for (int p = 0; p < staticWidth; ++p) {
      const unsigned char expected = randomValue() % 2 == 0 ? 0xFF : 0x00;
      const unsigned char* t = &texels[r * paddedPitch + 4 * p];
      ASSERT_EQ(t[0], expected) << "pixel " << p << " of row " << r;
      ASSERT_EQ(t[1], expected);
      ASSERT_EQ(t[2], expected);
      ASSERT_EQ(t[3], 200);
      white += expected != 0;
    }
    ASSERT_EQ(texels[r * paddedPitch + staticWidth * 4], 0x55)
        << "padding of row " << r << " written";
  }
  const double share = static_cast<double>(white) / (staticWidth * staticHeight);
  EXPECT_NEAR(share, 0.5, 0.01);
}

}  // namespace
