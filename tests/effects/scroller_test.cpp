// Scroller logic without a device: which characters a frame visits and draws, their fade,
// and the restart of the text.
#include "effects/scroller.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct DrawnCharacter {
  int index;
  float x;
};

std::vector<DrawnCharacter> drawnCharacters;

void recordCharacter(int index, float x) { drawnCharacters.push_back({index, x}); }

// Runs one frame of the scroller over a text of the given length, recording what it draws.
int runFrame(int textLength, float frameSeconds) {
  drawnCharacters.clear();
  const int drawn = visitScrollerCharacters(textLength, recordCharacter);
  advanceScroller(frameSeconds, drawn);
  return drawn;
}

constexpr int greetingsLength = 7253;  // about the length of the greetings

class ScrollerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    scrollOffset = 15.0f;
    firstVisible = 0;
  }
};

TEST_F(ScrollerTest, FirstFrameDrawsCharactersZeroToEighteenInvisible) {
  EXPECT_EQ(runFrame(greetingsLength, 0.0f), 19);
  ASSERT_EQ(drawnCharacters.size(), 19u);
  for (int i = 0; i < 19; ++i) {
    EXPECT_EQ(drawnCharacters[i].index, i);
    EXPECT_EQ(scrollerFade(drawnCharacters[i].x), 0.0f) << "character " << i;
  }
  EXPECT_FLOAT_EQ(drawnCharacters.back().x, 19.8f);
  EXPECT_EQ(scrollOffset, 15.0f) << "a frame of 0 seconds must not move the text";
  EXPECT_EQ(firstVisible, 0);
}

TEST_F(ScrollerTest, LeftEdgeIsExclusiveRightEdgeInclusive) {
  scrollOffset = -2.0f;  // character 0 exactly at the left edge
  runFrame(greetingsLength, 0.0f);
  EXPECT_EQ(firstVisible, 1) << "a character at exactly -2 has left";
  ASSERT_FALSE(drawnCharacters.empty());
  EXPECT_EQ(drawnCharacters.front().index, 1);

  scrollOffset = 20.0f;  // character 0 exactly at the right edge
  firstVisible = 0;
  EXPECT_EQ(runFrame(greetingsLength, 0.0f), 1) << "a character at exactly 20 is drawn";
}

TEST_F(ScrollerTest, FadeRisesHoldsAndFoldsBack) {
  EXPECT_EQ(scrollerFade(-2.0f), 0.0f);
  EXPECT_EQ(scrollerFade(-1.0f), 255.0f);
  EXPECT_EQ(glyphAlphaSource(scrollerFade(-1.0f)), static_cast<DWORD>(D3DTA_TEXTURE));
  EXPECT_EQ(glyphColour(scrollerFade(-1.0f)), 0xFFFFFFFFu);

  EXPECT_EQ(scrollerFade(-1.5f), 127.5f);
  EXPECT_EQ(glyphAlphaSource(scrollerFade(-1.5f)), static_cast<DWORD>(D3DTA_DIFFUSE));
  EXPECT_EQ(glyphColour(scrollerFade(-1.5f)), 0x7FFFFFFFu) << "the alpha is truncated";

  EXPECT_EQ(scrollerFade(6.0f), 215.0f) << "2040 folds back at 2000";
  EXPECT_EQ(glyphAlphaSource(215.0f), static_cast<DWORD>(D3DTA_DIFFUSE));
  EXPECT_EQ(scrollerFade(7.0f), 0.0f) << "folded below 0 clamps to 0";
  EXPECT_EQ(glyphColour(0.0f), 0x00FFFFFFu);
  EXPECT_EQ(scrollerFade(3.0f), 255.0f);
}

TEST_F(ScrollerTest, TextMovesWithTimeAndRestartsAfterTheLastCharacter) {
  runFrame(3, 0.5f);
  EXPECT_FLOAT_EQ(scrollOffset, 14.25f) << "1.5 world units a second";

  scrollOffset = -2.4f;  // only the last of three characters is still visible
  EXPECT_EQ(runFrame(3, 0.1f), 1);
  EXPECT_EQ(drawnCharacters.front().index, 2);
  EXPECT_NE(scrollOffset, 15.0f);

  scrollOffset = -2.6f;  // now every character has left
  EXPECT_EQ(runFrame(3, 0.1f), 0);
  EXPECT_EQ(scrollOffset, 15.0f);
  EXPECT_EQ(firstVisible, 0);
  EXPECT_EQ(runFrame(3, 0.0f), 3) << "the next frame starts again with character 0";
  EXPECT_EQ(drawnCharacters.front().index, 0);
}

TEST_F(ScrollerTest, LongFrameSkipsCharactersWithoutDrawingThem) {
  runFrame(greetingsLength, 20.0f);  // moves the text by 30 units
  EXPECT_FLOAT_EQ(scrollOffset, -15.0f);
  runFrame(greetingsLength, 0.0f);
  // Characters 0-48 stand at or left of -2 (48 x 0.2667 - 15 = -2.2); 49 is the first drawn.
  EXPECT_EQ(firstVisible, 49);
  ASSERT_FALSE(drawnCharacters.empty());
  EXPECT_EQ(drawnCharacters.front().index, 49);
  EXPECT_LE(drawnCharacters.size(), 83u) << "never more than the visible stretch";
}

TEST_F(ScrollerTest, EmptyTextDrawsNothingAndStaysAtTheStart) {
  scrollOffset = 3.0f;
  EXPECT_EQ(runFrame(0, 1.0f), 0);
  EXPECT_EQ(scrollOffset, 15.0f);
  EXPECT_EQ(firstVisible, 0);
}

}  // namespace
