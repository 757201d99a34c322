// The track information lines on a real device: which characters are drawn with which fade,
// how the offsets move, and when a line starts again.
#include <gtest/gtest.h>

#include "frame/track_info.h"
#include "gfx/device.h"
#include "gfx/scene_resources.h"
#include "music/playback.h"
#include "music/playlist.h"
#include "tests/support/frame_scene.h"

namespace {

constexpr D3DCOLOR untouched = 0x12345678;  // marker colour no fade can produce

class TrackInfoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(openFrameScene());
    useFrameTracks(1);
    infoTitleScroll = 10.0f;
    infoArtistScroll = -2.0f;
    for (GlyphQuad quad : textGlyphs) setColour(quad, untouched);
  }
  void TearDown() override { closeFrameScene(); }

  static void setColour(GlyphQuad quad, D3DCOLOR colour) {
    void* data = nullptr;
    ASSERT_TRUE(SUCCEEDED(quad->Lock(0, 0, &data, 0)));
    for (int i = 0; i < 4; ++i) static_cast<TexturedVertex*>(data)[i].colour = colour;
    quad->Unlock();
  }

  static D3DCOLOR colourOf(char code) {
    void* data = nullptr;
    GlyphQuad quad = textGlyphs[code - firstGlyphCode];
    quad->Lock(0, 0, &data, 0);
    D3DCOLOR colour = static_cast<TexturedVertex*>(data)[0].colour;
    quad->Unlock();
    return colour;
  }

  void drawInfo(float frameSeconds) {
    IDirect3DDevice9* device = deviceState.device;
    device->BeginScene();
    drawTrackInfo(frameSeconds);
    device->EndScene();
  }
};

}  // namespace

// First frame: the artist's last character stands at x = -2.0; characters 0-16 lie left of
// -3.0 and are skipped, 17-19 are drawn fully faded out, and the offset moves on.
TEST_F(TrackInfoTest, TwentyCharacterArtistOnTheFirstFrame) {
  frameTrack(0).artist.assign("ABCDEFGHIJKLMNOPQRST");
  frameTrack(0).title.assign("");
  drawInfo(0.25f);
  for (char skipped = 'A'; skipped <= 'Q'; ++skipped)
    EXPECT_EQ(colourOf(skipped), untouched) << "character " << skipped << " should be skipped";
  for (char drawn : {'R', 'S', 'T'})
    EXPECT_EQ(colourOf(drawn), 0x00FFFFFFu) << "character " << drawn << " drawn with alpha 0";
  EXPECT_FLOAT_EQ(infoArtistScroll, -1.75f);
}

TEST_F(TrackInfoTest, TitleEntersFromTheRightAndMovesLeft) {
  frameTrack(0).title.assign("Zap");
  frameTrack(0).artist.assign("");
  drawInfo(0.0f);
  EXPECT_EQ(colourOf('Z'), 0xFFFFFFFFu) << "first character at x = 11.0 is opaque";
  EXPECT_FLOAT_EQ(infoTitleScroll, 10.0f) << "a frame time of 0 does not move the line";
  drawInfo(0.5f);
  EXPECT_FLOAT_EQ(infoTitleScroll, 9.5f);
}

TEST_F(TrackInfoTest, LinesStartAgainAfterAFrameThatDrewNothing) {
  frameTrack(0).title.assign("Gone");
  frameTrack(0).artist.assign("Away");
  infoTitleScroll = -8.0f;   // every title character left of -1.3
  infoArtistScroll = 20.0f;  // every artist character right of 9.0
  drawInfo(0.1f);
  EXPECT_FLOAT_EQ(infoTitleScroll, 10.0f);
  EXPECT_FLOAT_EQ(infoArtistScroll, -2.0f);

  // Title characters at -2.0, -1.6, -1.2, -0.8: the last two are drawn. Artist characters
  // at 8.9, 9.3, 9.7, 10.1, 10.5: only the first ('A') is drawn.
  infoTitleScroll = -3.0f;
  infoArtistScroll = 10.5f;
  frameTrack(0).artist.assign("Aways");
  drawInfo(0.1f);
  EXPECT_FLOAT_EQ(infoTitleScroll, -3.1f);
  EXPECT_FLOAT_EQ(infoArtistScroll, 10.6f);
  EXPECT_EQ(colourOf('A'), 0xFFFFFFFFu);
}

// Characters without a glyph are neither drawn nor counted: such a title holds its start.
TEST_F(TrackInfoTest, GlyphlessTitleHoldsItsStartOffset) {
  frameTrack(0).title.assign("\xC8\xC9\x1F");
  frameTrack(0).artist.assign("");
  drawInfo(0.5f);
  drawInfo(0.5f);
  EXPECT_FLOAT_EQ(infoTitleScroll, 10.0f);
}

// A track change continues the new title from the same offset.
TEST_F(TrackInfoTest, NewTrackContinuesFromTheSameOffset) {
  useFrameTracks(2);
  infoTitleScroll = 3.0f;
  currentTrack = 1;
  drawInfo(0.5f);
  EXPECT_FLOAT_EQ(infoTitleScroll, 2.5f);
}

// Without tunes the title line carries the no-tunes message.
TEST_F(TrackInfoTest, EmptyPlaylistScrollsTheMessage) {
  useFrameTracks(0);
  drawInfo(0.5f);
  EXPECT_FLOAT_EQ(infoTitleScroll, 9.5f);
  EXPECT_EQ(colourOf('N'), 0xFFFFFFFFu);
  EXPECT_FLOAT_EQ(infoArtistScroll, -2.0f);
}
