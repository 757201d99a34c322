// The fade of the track information glyphs across the picture.
#include <gtest/gtest.h>

#include "frame/track_info.h"

TEST(TrackInfoFade, RampsFromClearToOpaqueAroundTheMiddle) {
  EXPECT_EQ(infoFadeAlpha(0.343f), 127);
  EXPECT_EQ(infoFadeAlpha(-0.5f), 0);
  EXPECT_EQ(infoFadeAlpha(0.9f), 255);
  EXPECT_EQ(infoFadeAlpha(-3.0f), 0);
  EXPECT_EQ(infoFadeAlpha(9.0f), 255);
  EXPECT_EQ(infoFadeAlpha(11.0f), 255);
}

TEST(TrackInfoFade, NeverFallsWhileMovingRight) {
  int previous = 0;
  for (float x = -3.0f; x <= 11.0f; x += 0.01f) {
    int alpha = infoFadeAlpha(x);
    EXPECT_GE(alpha, previous) << "at x = " << x;
    EXPECT_LE(alpha, 255);
    previous = alpha;
  }
}
