// Whole frames on a real device, read back from the render targets and the back buffer:
// the carousel's colour mask, the label layout, the panel overlays, the spectrum bars and
// the background layer. Every picture is written to test-output/ for review.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>

#include "app/main_window.h"
#include "app/window_proc.h"
#include "frame/analyser_bars.h"
#include "frame/render_frame.h"
#include "frame/track_info.h"
#include "gfx/device.h"
#include "gfx/scene_resources.h"
#include "metaballs/iso_surface.h"
#include "metaballs/metaball_passes.h"
#include "music/music_sample.h"
#include "music/playback.h"
#include "music/playlist.h"
#include "platform/hooks/present_observer.h"
#include "tests/support/frame_scene.h"

namespace {

constexpr float pixelsPerUnitY = 579.4f;      // rows per world unit of y at depth 1
constexpr float textDepth = 1.5f;             // carousel and label depth
constexpr float carouselGlyphHeight = 0.12f;  // 0.3 high glyphs scaled by 0.4

struct Box {
  int left, top, right, bottom;  // inclusive
};

// Rows covered by a carousel title whose baseline is at world y, shrunk by a margin so that
// neighbouring titles' edges stay out.
Box titleRows(float y) {
  constexpr int margin = 3;
  int top = int(240 - pixelsPerUnitY * (y + carouselGlyphHeight) / textDepth) + margin;
  int bottom = int(240 - pixelsPerUnitY * y / textDepth) - margin;
  return {0, std::max(top, 0), 639, std::min(bottom, 479)};
}

struct Ink {
  int count = 0;    // pixels with green above half
  int maxRed = 0;   // brightest red among them
  int left = 9999;  // columns holding ink
  int right = -1;
};

Ink inkIn(const Picture& pixels, Box box) {
  Ink ink;
  for (int y = box.top; y <= box.bottom; ++y)
    for (int x = box.left; x <= box.right; ++x)
      if (greenOf(pixels.at(x, y)) > 128) {
        ++ink.count;
        ink.maxRed = std::max(ink.maxRed, redOf(pixels.at(x, y)));
        ink.left = std::min(ink.left, x);
        ink.right = std::max(ink.right, x);
      }
  return ink;
}

// Mean absolute channel difference between a screen rectangle and a picture stretched onto it.
double differenceFromPicture(const Picture& screen, Box box, const Picture& picture) {
  double total = 0;
  int samples = 0;
  for (int y = box.top; y <= box.bottom; ++y)
    for (int x = box.left; x <= box.right; ++x) {
      int u = (x - box.left) * picture.width / (box.right - box.left + 1);
      int v = (y - box.top) * picture.height / (box.bottom - box.top + 1);
      uint32_t a = screen.at(x, y), b = picture.at(u, v);
      for (int shift = 0; shift < 24; shift += 8)
        total += std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF));
      samples += 3;
    }
  return total / samples;
}

int carouselDraws = 0;  // draws given to GL on the carousel target
void countCarouselDraws(IDirect3DDevice9* device, DeviceWork work) {
  IDirect3DSurface9* target = nullptr;
  device->GetRenderTarget(0, &target);
  if (work == DeviceWork::draw && target == carouselSurface) ++carouselDraws;
  if (target) target->Release();
}

class FrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(openFrameScene());
    useFrameTracks(3);
    hoveredButton = -1;
    mouseInside = false;
  }
  void TearDown() override { closeFrameScene(); }
};

}  // namespace

// The current title is drawn without red (cyan on black) unless three or more moves are
// pending either way; the other titles keep all channels.
TEST_F(FrameTest, CurrentTitleLosesItsRedWhileFewMovesArePending) {
  struct Case {
    int current, steps;
    float currentY;  // where the current title starts
    bool red;
  };
  for (Case c : {Case{0, 0, 0.0f, false}, Case{2, 2, -0.25f, false}, Case{2, 3, -0.25f, true},
                 Case{0, -2, 0.25f, false}, Case{0, -3, 0.25f, true}}) {
    useFrameTracks(3);
    for (int i = 0; i < 3; ++i) frameTrack(i).carouselY = c.currentY - 0.125f * (i - c.current);
    currentTrack = c.current;
    carouselSteps = c.steps;
    renderFrame(0.0f);
    Picture carousel = readSurface(carouselSurface);
    savePicture(carousel, "carousel_steps_" + std::to_string(c.steps));
    Ink current = inkIn(carousel, titleRows(frameTrack(c.current).carouselY));
    ASSERT_GT(current.count, 200) << "no title drawn at steps " << c.steps;
    if (c.red)
      EXPECT_GT(current.maxRed, 200) << "steps " << c.steps << ": all channels expected";
    else
      EXPECT_EQ(current.maxRed, 0) << "steps " << c.steps << ": red must not be written";
    int other = c.current == 0 ? 1 : 0;
    Ink neighbour = inkIn(carousel, titleRows(frameTrack(other).carouselY));
    if (neighbour.count > 0) {
      EXPECT_GT(neighbour.maxRed, 200) << "other titles keep red";
    }
  }
}

// Of a long playlist only the titles that reach the carousel target are drawn, the ones cut by
// its top and bottom edges included: with the current title at y = 0.05 those are the four
// above it up to y = 0.55 and the six below it down to y = -0.7, glyph by glyph.
TEST_F(FrameTest, ALongCarouselDrawsOnlyTheTitlesThatReachItsTarget) {
  constexpr int count = 2000, current = 1000;
  useFrameTracks(count);
  for (int i = 0; i < count; ++i) {
    frameTrack(i).carouselY = 0.05f - 0.125f * (i - current);
    frameTrack(i).carouselX = -2.5f - frameTrack(i).carouselY * 0.15f;
  }
  currentTrack = current;
  carouselDraws = 0;
  setDeviceWorkObserver(countCarouselDraws);
  renderFrame(0.0f);
  setDeviceWorkObserver(nullptr);
  int expected = 0;
  for (int i = current - 4; i <= current + 6; ++i) expected += frameTrack(i).shortTitle.length();
  EXPECT_EQ(carouselDraws, expected);

  Picture carousel = readSurface(carouselSurface);
  savePicture(carousel, "carousel_long");
  EXPECT_GT(inkIn(carousel, {0, 0, 639, 12}).count, 100) << "the title cut by the top edge";
  EXPECT_GT(inkIn(carousel, {0, 467, 639, 479}).count, 100) << "the title cut by the bottom edge";
}

// "Track 10" has eight characters at a pitch of 0.6 from x = -2.5: the last digit spans
// x = 1.7 to 2.3, pixel columns 520 to 591 of the label target; "Track 1" ends at 520.
TEST_F(FrameTest, LabelPutsTheSecondDigitOfTrackTenAtOnePointSeven) {
  useFrameTracks(10);
  currentTrack = 9;
  renderFrame(0.0f);
  Picture ten = readSurface(labelSurface);
  savePicture(ten, "label_track_10");
  currentTrack = 0;
  renderFrame(0.0f);
  Picture one = readSurface(labelSurface);
  savePicture(one, "label_track_1");

  Box lastDigit = {525, 0, 586, 479};
  EXPECT_GT(inkIn(ten, lastDigit).count, 500);
  EXPECT_EQ(inkIn(one, lastDigit).count, 0);
  Ink whole = inkIn(ten, {0, 0, 639, 479});
  EXPECT_GE(whole.left, 25);  // "T" starts the label at x = -2.5
  EXPECT_LE(whole.left, 60);
  EXPECT_LE(whole.right, 591);
}

TEST_F(FrameTest, HoveredButtonShowsItsHighlightPicture) {
  Box button4 = {490, 15, 527, 49};
  renderFrame(0.0f);
  Picture plain = readSurface(backBuffer);
  hoveredButton = 4;
  renderFrame(0.0f);
  Picture hovered = readSurface(backBuffer);
  savePicture(hovered, "frame_hover_next");
  Picture highlight = readTexels(highlightTextures[4]);
  ASSERT_EQ(highlight.width, 40);
  double withHover = differenceFromPicture(hovered, button4, highlight);
  double withoutHover = differenceFromPicture(plain, button4, highlight);
  EXPECT_LT(withHover, 25.0);
  EXPECT_GT(withoutHover, 2 * withHover) << "without hover the background's button shows";
}

TEST_F(FrameTest, RepeatLampShowsOnlyWhileRepeatIsSet) {
  Box lamp = {553, 30, 565, 42};
  Picture picture = readTexels(repeatTexture);
  ASSERT_EQ(picture.width, 14);
  repeatTrack = true;
  renderFrame(0.0f);
  Picture lit = readSurface(backBuffer);
  repeatTrack = false;
  renderFrame(0.0f);
  Picture unlit = readSurface(backBuffer);
  savePicture(unlit, "frame_repeat_off");
  double litDifference = differenceFromPicture(lit, lamp, picture);
  double unlitDifference = differenceFromPicture(unlit, lamp, picture);
  EXPECT_LT(litDifference, 25.0);
  EXPECT_GT(unlitDifference, 2 * litDifference) << "without repeat the unlit lamp shows";
}

// The bars alone on a white picture: loud bands stand inside columns 225-309, silent bands
// leave nothing at all (their negative height is culled).
TEST_F(FrameTest, BarsStandInTheirColumnsOnlyWhenTheSpectrumIsLoud) {
  IDirect3DDevice9* device = deviceState.device;
  auto drawBars = [&](float value) {
    std::fill(std::begin(spectrumValues), std::end(spectrumValues), value);
    device->SetRenderTarget(0, backBuffer);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFFFFFFFF, 1.0f, 0);
    device->BeginScene();
    drawSpectrumBars();
    device->EndScene();
    return readSurface(backBuffer);
  };
  auto marked = [](const Picture& pixels) {
    Ink ink;
    for (int y = 0; y < pixels.height; ++y)
      for (int x = 0; x < pixels.width; ++x)
        if ((pixels.at(x, y) & 0xFFFFFF) != 0xFFFFFF) {
          ++ink.count;
          ink.left = std::min(ink.left, x);
          ink.right = std::max(ink.right, x);
        }
    return ink;
  };
  Picture loud = drawBars(1.0f);
  savePicture(loud, "bars_loud");
  Ink bars = marked(loud);
  EXPECT_GT(bars.count, 1000);
  EXPECT_GE(bars.left, 223);
  EXPECT_LE(bars.right, 311);
  EXPECT_EQ(marked(drawBars(0.0f)).count, 0);
}

// Where nothing is drawn over it, the visible picture is the background picture.
TEST_F(FrameTest, BackgroundShowsWhereNothingCoversIt) {
  renderFrame(0.0f);
  Picture frame = readSurface(backBuffer);
  savePicture(frame, "frame_full");
  Picture background = readTexels(backgroundTexture);
  ASSERT_EQ(background.width, 640);
  Box corner = {20, 380, 120, 420};
  double total = 0;
  for (int y = corner.top; y <= corner.bottom; ++y)
    for (int x = corner.left; x <= corner.right; ++x)
      for (int shift = 0; shift < 24; shift += 8)
        total += std::abs(int(frame.at(x, y) >> shift & 0xFF) -
                          int(background.at(x, y) >> shift & 0xFF));
  EXPECT_LT(total / (101 * 41 * 3), 6.0);
}

// Without tunes the frame still draws: the label carries the no-tunes message.
TEST_F(FrameTest, EmptyPlaylistDrawsTheMessage) {
  useFrameTracks(0);
  renderFrame(0.0f);
  renderFrame(0.1f);
  Picture label = readSurface(labelSurface);
  savePicture(label, "label_no_tunes");
  Picture frame = readSurface(backBuffer);
  savePicture(frame, "frame_no_tunes");
  Ink ink = inkIn(label, {0, 0, 639, 479});
  EXPECT_GT(ink.count, 2000);
  EXPECT_NEAR(infoTitleScroll, 9.9f, 1e-4f);
}

// Minimised, the balls move on unseen and their surface is not remade; the first frame shown
// again draws them where they are, exactly as a frame from a fresh surface does.
TEST_F(FrameTest, TheFirstFrameShownAfterAMinimiseDrawsTheBallsWhereTheyAreNow) {
  ASSERT_NE(isoSurface, nullptr);
  renderFrame(0.0f);
  ASSERT_EQ(createMainWindow(), 0) << "the program window";
  const HWND drawnInto = deviceState.presentParams.hDeviceWindow;
  deviceState.presentParams.hDeviceWindow = appWindow;
  ShowWindow(appWindow, SW_MINIMIZE);
  for (int frame = 0; frame < 60; ++frame) renderFrame(0.0f);
  const Picture hidden = readSurface(metaballSurface);
  ShowWindow(appWindow, SW_RESTORE);

  const int frameOfBalls = ballFrame;
  Ball balls[3];
  std::copy(std::begin(ballSet), std::end(ballSet), balls);
  renderFrame(0.0f);
  const Picture shownAgain = readSurface(metaballSurface);
  savePicture(shownAgain, "metaballs_after_minimise");

  ballFrame = frameOfBalls;
  std::copy(std::begin(balls), std::end(balls), ballSet);
  isoSurface->sampleField();
  isoSurface->polygonise();
  renderFrame(0.0f);
  const Picture fresh = readSurface(metaballSurface);

  int lit = 0, differ = 0, movedOn = 0;
  for (int y = 0; y < fresh.height; ++y)
    for (int x = 0; x < fresh.width; ++x) {
      lit += greenOf(fresh.at(x, y)) > 0;
      differ += fresh.at(x, y) != shownAgain.at(x, y);
      movedOn += fresh.at(x, y) != hidden.at(x, y);
    }
  EXPECT_GT(lit, 1000) << "no balls in the metaball picture";
  EXPECT_GT(movedOn, 1000) << "the balls hardly moved while minimised: the test proves nothing";
  EXPECT_EQ(differ, 0) << "the first frame shown again drew the balls where they were";

  deviceState.presentParams.hDeviceWindow = drawnInto;
  DestroyWindow(appWindow);
  appWindow = nullptr;
}
