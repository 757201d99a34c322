// The effects drawn with the real Direct3D layer off-screen: start-up static, pointer,
// display panels with the volume bar, a spark at its spawn point and the scroller's glyphs.
// Every test saves its picture under build/test-output/ for review.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/frame_clock.h"
#include "app/main_window.h"
#include "app/scroll_text.h"
#include "app/window_proc.h"
#include "effects/display_panels.h"
#include "effects/fountains.h"
#include "effects/overlays.h"
#include "effects/random_value.h"
#include "effects/scroller.h"
#include "effects/sparks.h"
#include "gfx/device.h"
#include "gfx/placement.h"
#include "gfx/scene_resources.h"
#include "music/music_sample.h"
#include "music/playback.h"
#include "platform/hooks/clock.h"
#include "platform/win32.h"
#include "tests/support/frame_scene.h"

namespace {

constexpr D3DCOLOR opaqueGrey = 0xFF808080;
constexpr D3DCOLOR opaqueBlack = 0xFF000000;
constexpr D3DCOLOR opaqueWhite = 0xFFFFFFFF;

int brightness(const Picture& picture, int x, int y) {
  const uint32_t colour = picture.at(x, y);
  return (redOf(colour) + greenOf(colour) + blueOf(colour)) / 3;
}

// How much a picture over mid-grey is covered by noise: the share of pixels darker than the
// grey, and the mean distance of a pixel's brightness from it.
struct NoiseMeasure {
  double darkShare = 0;
  double meanContrast = 0;
};

NoiseMeasure measureNoise(const Picture& picture) {
  NoiseMeasure measure;
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x) {
      const int b = brightness(picture, x, y);
      measure.darkShare += b < 128;
      measure.meanContrast += std::abs(b - 128);
    }
  const double pixels = static_cast<double>(picture.width) * picture.height;
  measure.darkShare /= pixels;
  measure.meanContrast /= pixels;
  return measure;
}

class EffectsRenderTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { sceneOpen = openFrameScene(); }
  static void TearDownTestSuite() { closeFrameScene(); }

  void SetUp() override {
    ASSERT_TRUE(sceneOpen) << "no off-screen device: a render test cannot run without one";
    useVirtualClock();
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    frameClock.frequency = static_cast<double>(frequency.QuadPart);
    frameClock.startTick = GetTickCount();
    frameClock.lastCounter = 0;
    mouseInside = false;
    staticActive = false;
  }
  void TearDown() override { useRealClock(); }

  // Fills a render target with one colour.
  static void clearSurface(IDirect3DSurface9* surface, D3DCOLOR colour) {
    IDirect3DDevice9* device = deviceState.device;
    device->SetRenderTarget(0, surface);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, colour, 1.0f, 0);
  }

  // Opens the visible picture as the frame does, with the states its first layers leave.
  static void beginBackBuffer(D3DCOLOR colour) {
    IDirect3DDevice9* device = deviceState.device;
    clearSurface(backBuffer, colour);
    device->BeginScene();
    resetPlacement();
    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  }

  static inline bool sceneOpen = false;
};

TEST_F(EffectsRenderTest, StaticCoversTheFirstFramesAndFadesOut) {
  staticActive = true;
  // The metaball pass before it leaves culling and depth testing on.
  beginBackBuffer(opaqueGrey);
  deviceState.device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
  deviceState.device->SetRenderState(D3DRS_ZENABLE, TRUE);
  drawOverlays();
  const NoiseMeasure first = measureNoise(endSceneAndSave("effects_static_opaque"));
  // The texture is sampled with the device's filtering, so neighbours blend somewhat.
  EXPECT_NEAR(first.darkShare, 0.5, 0.03) << "about half the pixels dark, half light";
  EXPECT_GT(first.meanContrast, 60.0) << "the first frame covers the grey";
  EXPECT_TRUE(staticActive);

  advanceVirtualClock(650LL * clockTicksPerSecond / 1000);  // q = 130, alpha 125
  beginBackBuffer(opaqueGrey);
  drawOverlays();
  const NoiseMeasure fading = measureNoise(endSceneAndSave("effects_static_fading"));
  EXPECT_NEAR(fading.darkShare, 0.5, 0.03);
  EXPECT_NEAR(fading.meanContrast / first.meanContrast, 125.0 / 255.0, 0.05)
      << "alpha falls with the time since the clock started";

  advanceVirtualClock(615LL * clockTicksPerSecond / 1000);  // 1265 ms: q = 253
  beginBackBuffer(opaqueGrey);
  drawOverlays();
  endSceneAndSave("effects_static_253");
  EXPECT_TRUE(staticActive) << "q = 253 at the end of a frame: static again next frame";

  advanceVirtualClock(5LL * clockTicksPerSecond / 1000);  // q = 254
  beginBackBuffer(opaqueGrey);
  drawOverlays();
  endSceneAndSave("effects_static_254");
  EXPECT_FALSE(staticActive) << "q = 254 ends the static for good";

  advanceVirtualClock(clockTicksPerSecond);
  beginBackBuffer(opaqueGrey);
  drawOverlays();
  Picture after = endSceneAndSave("effects_static_after");
  for (int y = 0; y < after.height; y += 7)
    for (int x = 0; x < after.width; x += 7)
      ASSERT_EQ(after.at(x, y) & 0xFFFFFF, 0x808080u) << "noise left at " << x << "," << y;
}

TEST_F(EffectsRenderTest, StaticCoversMetaballsNearerThanItsQuad) {
  staticActive = true;
  beginBackBuffer(opaqueGrey);
  IDirect3DDevice9* device = deviceState.device;
  // Depth left by metaballs in front of the quad's depth 0.5, with depth testing still on.
  device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 0.2f, 0);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
  device->SetRenderState(D3DRS_ZENABLE, TRUE);
  drawOverlays();
  const NoiseMeasure covered = measureNoise(endSceneAndSave("effects_static_over_near_depth"));
  EXPECT_NEAR(covered.darkShare, 0.5, 0.03);
  EXPECT_GT(covered.meanContrast, 60.0) << "the static hides what is nearer than depth 0.5";
  DWORD depthTest = FALSE;
  device->GetRenderState(D3DRS_ZENABLE, &depthTest);
  EXPECT_EQ(depthTest, static_cast<DWORD>(TRUE)) << "depth testing is put back for the next pass";
}

TEST_F(EffectsRenderTest, LateFirstFrameDrawsTransparentStaticOnce) {
  staticActive = true;
  advanceVirtualClock(1300LL * clockTicksPerSecond / 1000);  // q = 260
  beginBackBuffer(opaqueGrey);
  drawOverlays();
  Picture picture = endSceneAndSave("effects_static_late");
  EXPECT_FALSE(staticActive);
  for (int y = 0; y < picture.height; y += 5)
    for (int x = 0; x < picture.width; x += 5)
      ASSERT_EQ(picture.at(x, y) & 0xFFFFFF, 0x808080u) << "at " << x << "," << y;
}

TEST_F(EffectsRenderTest, PointerIsDrawnAtTheMouseMinusFiveWhileInside) {
  cursorX = 200.0f - 5.0f;
  cursorY = 150.0f - 5.0f;
  beginBackBuffer(opaqueGrey);
  drawOverlays();
  Picture outside = endSceneAndSave("effects_pointer_outside");
  for (int y = 140; y < 190; ++y)
    for (int x = 190; x < 240; ++x) ASSERT_EQ(outside.at(x, y) & 0xFFFFFF, 0x808080u);

  mouseInside = true;
  beginBackBuffer(opaqueGrey);
  drawOverlays();
  Picture inside = endSceneAndSave("effects_pointer_inside");
  int changed = 0, left = 640, top = 480, right = -1, bottom = -1;
  for (int y = 0; y < inside.height; ++y)
    for (int x = 0; x < inside.width; ++x)
      if ((inside.at(x, y) & 0xFFFFFF) != 0x808080u) {
        ++changed;
        left = std::min(left, x);
        top = std::min(top, y);
        right = std::max(right, x);
        bottom = std::max(bottom, y);
      }
  EXPECT_GT(changed, 50) << "the arrow shows";
  EXPECT_GE(left, 195) << "within the 32 x 32 picture placed at the mouse position minus 5";
  EXPECT_GE(top, 145);
  EXPECT_LE(right, 195 + 31);
  EXPECT_LE(bottom, 145 + 31);
  EXPECT_NEAR(left, 200, 2) << "the arrow's tip is at the mouse position";
  EXPECT_NEAR(top, 150, 2);
}

// Lit segments of the volume bar on screen: the centre of each segment, sampled on the bar's
// middle line between its slanted corners.
std::vector<bool> litSegments(const Picture& picture) {
  std::vector<bool> lit;
  for (int segment = 0; segment < 10; ++segment) {
    const float u = (segment * 10 + 5.5f) / 100.0f;
    const float topX = 385 + u * (503 - 385), topY = 234 + u * (217 - 234);
    const float bottomX = 387 + u * (501 - 387), bottomY = 242 + u * (226 - 242);
    const int x = static_cast<int>((topX + bottomX) / 2);
    const int y = static_cast<int>((topY + bottomY) / 2);
    lit.push_back(brightness(picture, x, y) > 90);
  }
  return lit;
}

TEST_F(EffectsRenderTest, VolumeBarLightsOneSegmentPerTenSteps) {
  clearSurface(carouselSurface, opaqueBlack);  // black panels leave the scene unchanged
  clearSurface(labelSurface, opaqueBlack);
  for (int level : {0, 35, 80, 99}) {
    volume = level;
    beginBackBuffer(opaqueGrey);
    drawDisplayPanels();
    Picture picture = endSceneAndSave(("effects_volume_" + std::to_string(level)).c_str());
    const std::vector<bool> lit = litSegments(picture);
    for (int segment = 0; segment < 10; ++segment)
      EXPECT_EQ(lit[segment], segment * 10 + 5 <= level)
          << "segment " << segment << " at volume " << level;
    if (level < 75) {
      EXPECT_NEAR(brightness(picture, 475, 226), 38, 4) << "the unlit bar darkens to 29 %";
    }
  }
  volume = 80;
}

// A texture whose lock fails (here: one already locked) leaves its layer out of the picture
// rather than writing through whatever the failed call left in the lock record.
TEST_F(EffectsRenderTest, ALockThatFailsSkipsTheVolumeBarAndTheStatic) {
  clearSurface(carouselSurface, opaqueBlack);
  clearSurface(labelSurface, opaqueBlack);
  volume = 99;
  D3DLOCKED_RECT held;
  ASSERT_EQ(volumeTexture->LockRect(0, &held, nullptr, 0), D3D_OK);
  beginBackBuffer(opaqueGrey);
  drawDisplayPanels();
  Picture picture = endSceneAndSave("effects_volume_lock_failed");
  volumeTexture->UnlockRect(0);
  for (int y = 217; y <= 242; ++y)  // the bar's bounding box
    for (int x = 385; x <= 503; ++x)
      ASSERT_EQ(picture.at(x, y) & 0xFFFFFF, 0x808080u) << "the bar was drawn at " << x << "," << y;
  volume = 80;

  staticActive = true;
  ASSERT_EQ(staticTexture->LockRect(0, &held, nullptr, 0), D3D_OK);
  beginBackBuffer(opaqueGrey);
  drawOverlays();
  picture = endSceneAndSave("effects_static_lock_failed");
  staticTexture->UnlockRect(0);
  for (int y = 0; y < picture.height; y += 7)
    for (int x = 0; x < picture.width; x += 7)
      ASSERT_EQ(picture.at(x, y) & 0xFFFFFF, 0x808080u) << "noise at " << x << "," << y;
  EXPECT_TRUE(staticActive) << "the fade keeps its time line while the layer is skipped";
  advanceVirtualClock(1300LL * clockTicksPerSecond / 1000);
  drawOverlays();
  EXPECT_FALSE(staticActive) << "the static still ends at its last step";
}

// Minimised, the static draws nothing and draws no random values (its noise is the costliest
// work of a frame), yet its fade keeps to the clock, so the window shows it as if it had never
// gone away.
TEST_F(EffectsRenderTest, MinimisedTheStaticMakesNoNoiseYetEndsOnTime) {
  ASSERT_EQ(createMainWindow(), 0) << "the program window";
  const HWND drawnInto = deviceState.presentParams.hDeviceWindow;
  deviceState.presentParams.hDeviceWindow = appWindow;
  ShowWindow(appWindow, SW_MINIMIZE);
  ASSERT_TRUE(windowMinimised());

  staticActive = true;
  restartRandomValues(11);
  const int firstValue = randomValue();
  restartRandomValues(11);
  beginBackBuffer(opaqueGrey);
  drawOverlays();
  Picture picture = endSceneAndSave("effects_static_minimised");
  EXPECT_EQ(randomValue(), firstValue) << "random values drawn for noise nobody sees";
  for (int y = 0; y < picture.height; y += 7)
    for (int x = 0; x < picture.width; x += 7)
      ASSERT_EQ(picture.at(x, y) & 0xFFFFFF, 0x808080u) << "noise at " << x << "," << y;
  advanceVirtualClock(1300LL * clockTicksPerSecond / 1000);
  drawOverlays();
  EXPECT_FALSE(staticActive) << "minimised, the static still ends at its last step";

  ShowWindow(appWindow, SW_RESTORE);
  deviceState.presentParams.hDeviceWindow = drawnInto;
  DestroyWindow(appWindow);
  appWindow = nullptr;
}

TEST_F(EffectsRenderTest, CarouselPanelCoversItsQuadrilateral) {
  clearSurface(carouselSurface, opaqueWhite);
  clearSurface(labelSurface, opaqueBlack);
  volume = 0;
  beginBackBuffer(opaqueBlack);
  drawDisplayPanels();
  Picture picture = endSceneAndSave("effects_carousel_panel");
  int left = 640, top = 480, right = -1, bottom = -1;
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x)
      if (brightness(picture, x, y) > 200) {
        left = std::min(left, x);
        top = std::min(top, y);
        right = std::max(right, x);
        bottom = std::max(bottom, y);
      }
  // Roughly (270, 93), (521, 94), (522, 202), (272, 241).
  EXPECT_NEAR(left, 270, 5);
  EXPECT_NEAR(right, 522, 5);
  EXPECT_NEAR(top, 93, 5);
  EXPECT_NEAR(bottom, 241, 5);
  EXPECT_GT(brightness(picture, 396, 160), 200);
  EXPECT_LT(brightness(picture, 500, 230), 20) << "below the panel's slanted bottom edge";
  volume = 80;
}

TEST_F(EffectsRenderTest, SparkAtItsSpawnPointIsAboutSixteenPixelsAcross) {
  resetSparks();
  advanceVirtualClock(clockTicksPerSecond);
  frameClock.lastCounter = 1;
  sparkBurstStamp = frameClock.lastCounter;  // no restarts in this frame
  for (int i = 1; i < sparkCount; ++i) sparks[i].y = -10.0f;
  beginBackBuffer(opaqueBlack);
  deviceState.device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  drawSparks(0.0f);
  Picture picture = endSceneAndSave("effects_spark");
  int left = 640, right = -1, top = 480, bottom = -1;
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 200; ++x)
      if (brightness(picture, x, y) > 8) {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
  ASSERT_GE(right, 0) << "the spark shows";
  EXPECT_NEAR(right - left + 1, 16, 4);
  EXPECT_NEAR(bottom - top + 1, 16, 4);
  EXPECT_NEAR((left + right) / 2.0, 50, 4) << "near the top-left corner";
  EXPECT_NEAR((top + bottom) / 2.0, 81, 4);
  sparkBurstStamp = 0;
  resetSparks();
}

TEST_F(EffectsRenderTest, FountainNotesDarkenTheSceneAboveTheLoudspeaker) {
  resetNotes();
  paused = false;
  stopped = false;
  advanceVirtualClock(clockTicksPerSecond);
  frameClock.lastCounter = clockNow();  // two seconds from the origin: stamp 0 launches
  leftNoteStamp = 0;
  leftLevel = 30000;
  rightLevel = 0;
  beginBackBuffer(opaqueWhite);
  drawFountains(0.0f);  // launches one left note at its start place
  beginBackBuffer(opaqueWhite);
  drawFountains(0.0f);
  Picture picture = endSceneAndSave("effects_fountain_note");
  int dark = 0;
  for (int y = 250; y < 340; ++y)
    for (int x = 200; x < 300; ++x) dark += brightness(picture, x, y) < 128;
  EXPECT_GT(dark, 20) << "a note picture near the left loudspeaker";
  int darkRight = 0;
  for (int y = 250; y < 340; ++y)
    for (int x = 480; x < 620; ++x) darkRight += brightness(picture, x, y) < 128;
  EXPECT_EQ(darkRight, 0) << "the right channel is silent";
  leftLevel = 0;
  resetNotes();
  leftNoteStamp = 0;
}

TEST_F(EffectsRenderTest, ScrollerShowsDarkGlyphsAlongTheBottom) {
  if (scrollText.length() == 0) buildScrollText();
  scrollOffset = -1.0f;  // characters from x = -1 on are fully shown
  firstVisible = 0;
  beginBackBuffer(opaqueWhite);
  drawScroller(0.0f);
  Picture picture = endSceneAndSave("effects_scroller");
  int dark = 0, darkElsewhere = 0;
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x)
      if (brightness(picture, x, y) < 100) (y >= 450 ? dark : darkElsewhere) += 1;
  EXPECT_GT(dark, 300) << "glyphs on the strip near the bottom";
  EXPECT_EQ(darkElsewhere, 0);
  scrollOffset = 15.0f;
}

}  // namespace
