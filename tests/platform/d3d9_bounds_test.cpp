// Draw bounds and cleared content: the arithmetic that lets Clear touch only what was drawn.
#include "platform/d3d9_bounds.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <utility>

namespace {

// The program's full-window quad: pixel centres 0..639 × 0..479 lie strictly inside.
constexpr float fullWindow[4][4] = {{-0.5f, -0.5f, 0.5f, 1.0f},
                                    {640.0f, -0.5f, 0.5f, 1.0f},
                                    {640.0f, 480.0f, 0.5f, 1.0f},
                                    {-0.5f, 480.0f, 0.5f, 1.0f}};

}  // namespace

TEST(DrawBounds, CoverThePixelsTouchedWithAPixelToSpareAndStayInsideTheTarget) {
  DrawBounds inside(640, 480);
  inside.addPixel(10.2f, 20.0f);
  inside.addPixel(30.0f, 40.7f);
  EXPECT_EQ(inside.rect(), (TargetRect{9, 19, 32, 43}));

  DrawBounds overEdges(640, 480);
  overEdges.addPixel(-50.0f, 470.0f);
  overEdges.addPixel(700.0f, 1e30f);
  EXPECT_EQ(overEdges.rect(), (TargetRect{0, 469, 640, 480}));

  DrawBounds outside(640, 480);
  outside.addPixel(-30.0f, -30.0f);
  outside.addPixel(-10.0f, -5.0f);
  EXPECT_TRUE(outside.rect().empty());
  EXPECT_TRUE(DrawBounds(640, 480).rect().empty()) << "nothing drawn";
}

TEST(DrawBounds, ClipSpaceFollowsTheViewportAndUnknownPointsTakeTheWholeTarget) {
  DrawBounds centre(640, 480);
  centre.addClip(0.0f, 0.0f, 2.0f);  // the middle of the target, whatever w
  EXPECT_EQ(centre.rect(), (TargetRect{318, 238, 322, 242}));

  DrawBounds topLeft(640, 480);
  topLeft.addClip(-1.0f, 1.0f, 1.0f);  // clip y up is screen row 0
  EXPECT_EQ(topLeft.rect(), (TargetRect{0, 0, 2, 2}));

  DrawBounds sprite(640, 480);
  sprite.addClip(0.0f, 0.0f, 1.0f, 8.0f);
  EXPECT_EQ(sprite.rect(), (TargetRect{310, 230, 330, 250}));

  const TargetRect whole{0, 0, 640, 480};
  DrawBounds behind(640, 480);
  behind.addClip(0.0f, 0.0f, 1.0f);
  behind.addClip(0.1f, 0.1f, -0.5f);  // behind the eye: the projection wraps round
  EXPECT_EQ(behind.rect(), whole);
  DrawBounds broken(640, 480);
  broken.addPixel(NAN, 3.0f);
  EXPECT_EQ(broken.rect(), whole);
}

TEST(FanCover, OnlyARectangleOverEveryPixelCentreWithinTheDepthRangeCovers) {
  EXPECT_TRUE(fanCoversTarget(fullWindow, 640, 480));
  EXPECT_FALSE(fanCoversTarget(fullWindow, 641, 480)) << "a column of centres outside";

  float edgeOnCentres[4][4] = {
      {0, 0, 0.5f, 1}, {639, 0, 0.5f, 1}, {639, 479, 0.5f, 1}, {0, 479, 0.5f, 1}};
  EXPECT_FALSE(fanCoversTarget(edgeOnCentres, 640, 480)) << "centres on the edge may be left out";

  float bowTie[4][4];
  std::memcpy(bowTie, fullWindow, sizeof bowTie);
  std::swap(bowTie[2][0], bowTie[3][0]);  // the corners no longer go round the rectangle
  EXPECT_FALSE(fanCoversTarget(bowTie, 640, 480));

  float slanted[4][4];
  std::memcpy(slanted, fullWindow, sizeof slanted);
  slanted[2][0] = 600.0f;
  EXPECT_FALSE(fanCoversTarget(slanted, 640, 480));

  float beyondFar[4][4];
  std::memcpy(beyondFar, fullWindow, sizeof beyondFar);
  beyondFar[1][2] = 1.5f;  // clipped away in part
  EXPECT_FALSE(fanCoversTarget(beyondFar, 640, 480));

  float noRhw[4][4];
  std::memcpy(noRhw, fullWindow, sizeof noRhw);
  noRhw[0][3] = 0.0f;
  EXPECT_FALSE(fanCoversTarget(noRhw, 640, 480));
}

TEST(FanCover, WindingIsReadOnTheScreenWithRowsGoingDown) {
  EXPECT_TRUE(fanIsClockwise(fullWindow));
  float reversed[4][4];
  for (int corner = 0; corner < 4; ++corner)
    std::memcpy(reversed[corner], fullWindow[3 - corner], sizeof reversed[0]);
  EXPECT_FALSE(fanIsClockwise(reversed));
}

TEST(ClearedContent, ClearsOnlyWhatWasDrawnSinceTheLastClearToTheSameValue) {
  const TargetRect whole{0, 0, 640, 480};
  ClearedContent content;
  EXPECT_EQ(content.clear(7, whole), whole) << "nothing is known of a new target";
  EXPECT_TRUE(content.clear(7, whole).empty()) << "already holds the value";

  content.drawn({10, 10, 20, 20});
  content.drawn({100, 5, 110, 15});
  EXPECT_EQ(content.clear(7, whole), (TargetRect{10, 5, 110, 20}));
  EXPECT_TRUE(content.clear(7, whole).empty());

  content.drawn({1, 1, 2, 2});
  EXPECT_EQ(content.clear(8, whole), whole) << "another value";
  content.forget();
  EXPECT_EQ(content.clear(8, whole), whole) << "forgotten";
}
