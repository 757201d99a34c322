// The carousel animation: how many frames a glide takes, where titles come to rest, and how
// pending moves are worked off.
#include <gtest/gtest.h>

#include <vector>

#include "frame/carousel.h"
#include "music/playback.h"
#include "music/playlist.h"

namespace {

// A playlist of `count` titles laid out as at start-up, owned by the test.
class CarouselTest : public ::testing::Test {
 protected:
  void layOut(int count) {
    entries.resize(count);
    order.resize(count);
    for (int i = 0; i < count; ++i) {
      entries[i].carouselY = i * -0.125f;
      entries[i].carouselX = -2.5f - entries[i].carouselY * 0.15f;
      order[i] = &entries[i];
    }
    playlist.playOrder = order.data();
    playlist.count = count;
    currentTrack = 0;
    carouselSteps = 0;
  }

  void TearDown() override {
    playlist.playOrder = nullptr;
    playlist.count = 0;
    currentTrack = 0;
    carouselSteps = 0;
  }

  // Frames until no move is pending (at most `limit`).
  int framesUntilRest(int limit = 1000) {
    int frames = 0;
    while (carouselSteps != 0 && frames < limit) {
      animateCarousel();
      ++frames;
    }
    return frames;
  }

  float currentY() const { return order[currentTrack]->carouselY; }

  std::vector<TrackEntry> entries;
  std::vector<TrackEntry*> order;
};

}  // namespace

TEST_F(CarouselTest, NothingMovesAtRest) {
  layOut(4);
  for (int frame = 0; frame < 50; ++frame) animateCarousel();
  EXPECT_EQ(entries[0].carouselY, 0.0f);
  EXPECT_EQ(entries[3].carouselY, -0.375f);
}

TEST_F(CarouselTest, OneNextGlidesThirteenFramesAndRestsJustAboveTheLine) {
  layOut(4);
  currentTrack = 1;
  carouselSteps = 1;
  EXPECT_EQ(framesUntilRest(), 13);
  EXPECT_NEAR(currentY(), 0.005f, 1e-5f);
  // Spacing and slant are kept: the first title is 0.125 above, x follows y.
  EXPECT_NEAR(entries[0].carouselY - entries[1].carouselY, 0.125f, 1e-5f);
  for (const TrackEntry& entry : entries)
    EXPECT_FLOAT_EQ(entry.carouselX, -2.5f - entry.carouselY * 0.15f);
  animateCarousel();
  EXPECT_NEAR(currentY(), 0.005f, 1e-5f) << "the list must stay put once the counter is 0";
}

TEST_F(CarouselTest, TwoQuickNextsOvershootByOneStep) {
  layOut(4);
  currentTrack = 2;
  carouselSteps = 2;
  while (carouselSteps == 2) animateCarousel();
  float firstAbove = currentY();  // where a single step would have come to rest
  EXPECT_GT(firstAbove, 0.0f);
  EXPECT_LE(firstAbove, 0.01f);
  EXPECT_EQ(framesUntilRest(), 1);
  EXPECT_NEAR(currentY() - firstAbove, 0.01f, 1e-5f);
}

TEST_F(CarouselTest, PreviousAfterANextGlidesBackToTheLineOrBelow) {
  layOut(4);
  currentTrack = 1;
  carouselSteps = 1;
  framesUntilRest();
  currentTrack = 0;
  carouselSteps = -1;
  framesUntilRest();
  EXPECT_LE(currentY(), 0.0f);
  EXPECT_GT(currentY(), -0.01f);
}

TEST_F(CarouselTest, EmptyPlaylistIsLeftAlone) {
  layOut(0);
  playlist.playOrder = nullptr;
  carouselSteps = 1;
  animateCarousel();
  EXPECT_EQ(carouselSteps, 1);
}
