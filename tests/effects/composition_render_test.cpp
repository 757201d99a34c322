// What the overlays and effects add to the picture beneath them, drawn with the real Direct3D
// layer off-screen: no light seam around the speaker patch, greetings cells that never lighten
// the strip while they fade, and music notes that darken the scene they pass.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "app/scroll_text.h"
#include "app/window_proc.h"
#include "effects/fountains.h"
#include "effects/scroller.h"
#include "frame/control_panel.h"
#include "gfx/device.h"
#include "gfx/placement.h"
#include "gfx/scene_resources.h"
#include "music/music_sample.h"
#include "music/playback.h"
#include "tests/support/frame_scene.h"

namespace {

int grey(uint32_t colour) { return (redOf(colour) + greenOf(colour) + blueOf(colour)) / 3; }

class CompositionTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { sceneOpen = openFrameScene(); }
  static void TearDownTestSuite() { closeFrameScene(); }
  void SetUp() override {
    ASSERT_TRUE(sceneOpen);
    hoveredButton = -1;
    repeatTrack = false;
  }

  // Opens the visible picture cleared to `colour` and, with `background`, the background
  // picture drawn over it as the frame draws it.
  static void begin(bool background, D3DCOLOR colour = 0xFF000000) {
    IDirect3DDevice9* device = deviceState.device;
    device->SetRenderTarget(0, backBuffer);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, colour, 1.0f, 0);
    device->BeginScene();
    resetPlacement();
    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    if (!background) return;
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetTexture(0, backgroundTexture);
    device->SetFVF(screenFvf);
    device->SetStreamSource(0, screenQuad, 0, sizeof(ScreenVertex));
    device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
  }

  static inline bool sceneOpen = false;
};

// Every screen pixel whose patch texels mix opaque and keyed ones (the patch is sampled half a
// texel off, so that is a pixel's own texel and those up and left of it) stays within 8 grey
// levels of the background alone: the keyed white does not bleed in as a light outline.
TEST_F(CompositionTest, SpeakerPatchLeavesNoSeamOnTheBackground) {
  begin(true);
  const Picture alone = endSceneAndSave("composition_background");
  begin(true);
  drawControlPanel();
  const Picture patched = endSceneAndSave("composition_speaker_patch");
  const Picture patch = readTexels(speakerTexture);
  ASSERT_EQ(patch.width, 28);
  ASSERT_EQ(patch.height, 22);
  auto opaque = [&](int x, int y) {
    return alphaOf(patch.at((x + patch.width) % patch.width, (y + patch.height) % patch.height)) ==
           255;
  };
  int edgePixels = 0, worst = 0, worstX = 0, worstY = 0, opaqueTexels = 0;
  for (int y = 0; y < patch.height; ++y)
    for (int x = 0; x < patch.width; ++x) {
      opaqueTexels += opaque(x, y);
      const int mixed = opaque(x, y) + opaque(x - 1, y) + opaque(x, y - 1) + opaque(x - 1, y - 1);
      if (mixed == 0 || mixed == 4) continue;
      ++edgePixels;
      const int difference =
          std::abs(grey(patched.at(217 + x, 312 + y)) - grey(alone.at(217 + x, 312 + y)));
      if (difference > worst) worst = difference, worstX = 217 + x, worstY = 312 + y;
    }
  EXPECT_GT(opaqueTexels, 200) << "the patch covers the cabinet's corner";
  EXPECT_GT(edgePixels, 40);
  EXPECT_LE(worst, 8) << "a seam at " << worstX << "," << worstY;
}

// A fading greetings cell blends its whole cell, white surround included, at the fade's
// opacity: on the white strip that never shows as a lighter box.
TEST_F(CompositionTest, FadingScrollerCellsNeverLightenTheStrip) {
  if (scrollText.length() == 0) buildScrollText();
  begin(true);
  const Picture alone = endSceneAndSave("composition_strip");
  int lighter = 0, darker = 0;
  for (float offset :
       {-1.95f, -1.8f, -1.5f, -1.3f, -1.1f}) {  // cells fading in at the left and out at the right
    scrollOffset = offset;
    firstVisible = 0;
    begin(true);
    drawScroller(0.0f);
    const Picture drawn = endSceneAndSave("composition_scroller");
    for (int y = 440; y < 480; ++y)
      for (int x = 0; x < 640; ++x) {
        const int difference = grey(drawn.at(x, y)) - grey(alone.at(x, y));
        lighter += difference > 2;
        darker += difference < -40;
      }
  }
  EXPECT_EQ(lighter, 0) << "pixels lightened by the scroller";
  EXPECT_GT(darker, 1000) << "the glyphs show";
  scrollOffset = 15.0f;
  firstVisible = 0;
}

// Notes of all five pictures in flight over a mid-dark scene: the fountains' blend (source x
// (1 - source) + scene x source) leaves white alone and paints black, so a black note darkens
// the scene and only its anti-aliased rim may lighten it a little.
TEST_F(CompositionTest, NotesDarkenTheSceneTheyPass) {
  constexpr D3DCOLOR scene = 0xFF303030;
  resetNotes();
  paused = false;
  stopped = false;
  leftLevel = rightLevel = 0;
  for (int n = 0; n < 5; ++n) {
    leftNotes[n].x = -1.2f + 0.55f * static_cast<float>(n);
    leftNotes[n].y = 0.1f;  // in flight, upright and near its full size
    leftNotes[n].picture = n;
  }
  begin(false, scene);
  drawFountains(0.0f);
  const Picture drawn = endSceneAndSave("composition_notes");
  int darkPixels = 0;
  long darkening = 0, lightening = 0;  // grey levels summed over the pixels changed each way
  for (int y = 0; y < drawn.height; ++y)
    for (int x = 0; x < drawn.width; ++x) {
      const int difference = grey(drawn.at(x, y)) - 0x30;
      darkPixels += difference < -32;
      (difference < 0 ? darkening : lightening) += std::abs(difference);
    }
  resetNotes();
  EXPECT_GT(darkPixels, 5 * 40) << "five notes with black bodies";
  EXPECT_GT(darkening, 2 * lightening) << "the notes lighten the scene more than they darken it";
}

}  // namespace
