// The window enlarged on a large screen: `zolta --scale 2` on a private 2560 × 1440 X server,
// worked with xdotool and watched with ImageMagick screenshots. Every screen pixel of the
// picture is one of a 2 × 2 block (nearest-texel enlargement), the enlarged picture is the
// 640 × 480 picture the program draws, and the zones, the slider and the shape are scaled.
// `--scale auto` picks the scale from the desktop, and `--fullscreen` starts full-screen.
#include <cairo.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/hooks/window.h"
#include "platform/win32_internal.h"
#include "tests/support/e2e_run.h"
#include "tests/support/shell_x11_probe.h"
#include "tests/support/shell_xvfb.h"

namespace {

namespace fs = std::filesystem;

constexpr int startWaitMs = 60000;   // bound on the window and the first still picture
constexpr int changeWaitMs = 20000;  // bound on a picture change
constexpr int exitWaitMs = 30000;
constexpr int toolTimeoutMs = 10000;
constexpr int scale = 2;
constexpr int windowX = 640, windowY = 240;  // a 1280 × 964 window centred on 2560 × 1440
constexpr int tolerance = 24;                // per channel, for pixels that should be the same
const char* const title = "Zolta RodiZeve #1";

constexpr Rectangle logoArea{60, 110, 170, 100};  // title artwork: still once the static is gone
constexpr double logoGrey = 30;                   // its mean brightness once drawn
constexpr Rectangle labelDigitArea{605, 128, 30, 47};  // the "now playing" track number
constexpr int digitChange = 12;          // pixels that differ between two track numbers
constexpr int framesPictureFrame = 300;  // a zolta-frames frame long after the static

// Shrinks a screenshot of the enlarged picture back to 640 × 480 by taking the top-left pixel of
// each block; the number of blocks whose pixels are not all the same, -1 if it cannot be read.
int shrinkEnlargedShot(const std::string& enlarged, const std::string& shrunk) {
  cairo_surface_t* source = cairo_image_surface_create_from_png(enlarged.c_str());
  if (cairo_surface_status(source) != CAIRO_STATUS_SUCCESS ||
      cairo_image_surface_get_width(source) != 640 * scale ||
      cairo_image_surface_get_height(source) != 480 * scale) {
    cairo_surface_destroy(source);
    return -1;
  }
  cairo_surface_t* target = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 640, 480);
  cairo_surface_flush(source);
  const unsigned char* from = cairo_image_surface_get_data(source);
  unsigned char* to = cairo_image_surface_get_data(target);
  const int fromStride = cairo_image_surface_get_stride(source),
            toStride = cairo_image_surface_get_stride(target);
  auto pixel = [&](int x, int y) {
    return *reinterpret_cast<const uint32_t*>(from + y * fromStride + x * 4) & 0xFFFFFF;
  };
  int mixedBlocks = 0;
  for (int y = 0; y < 480; ++y) {
    for (int x = 0; x < 640; ++x) {
      const uint32_t corner = pixel(x * scale, y * scale);
      bool same = true;
      for (int dy = 0; dy < scale; ++dy)
        for (int dx = 0; dx < scale; ++dx)
          same = same && pixel(x * scale + dx, y * scale + dy) == corner;
      if (!same) ++mixedBlocks;
      *reinterpret_cast<uint32_t*>(to + y * toStride + x * 4) = corner;
    }
  }
  cairo_surface_mark_dirty(target);
  cairo_surface_write_to_png(target, shrunk.c_str());
  cairo_surface_destroy(target);
  cairo_surface_destroy(source);
  return mixedBlocks;
}

class WindowScale : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = makeTemporaryFolder();
    scratch = makeTemporaryFolder();
    ASSERT_FALSE(folder.empty());
    ASSERT_FALSE(scratch.empty());
    fs::create_directories(folder + "/data/msx");
    fs::copy(ZOLTA_SOURCE_DIR "/data/msx", folder + "/data/msx");  // the default tunes
  }
  void TearDown() override {
    program.reset();
    removeFolder(folder);
    removeFolder(scratch);
  }

  void start(XvfbServer& server, const std::vector<std::string>& arguments) {
    ASSERT_TRUE(server.running()) << "Xvfb did not start";
    display = server.display();
    program = std::make_unique<ChildProcess>(
        ZOLTA_BINARY_DIR "/zolta", arguments, folder,
        std::vector<std::string>{"DISPLAY=" + display, "SDL_AUDIODRIVER=dummy"},
        std::vector<std::string>{"SDL_VIDEODRIVER"});
  }
  bool waitForWindow(int x, int y, int width, int height, int timeoutMs) {
    return X11Probe(display).waitForWindow(title, x, y, width, height, timeoutMs, &info);
  }
  void expectEndOnTerm() {
    ASSERT_EQ(kill(program->pid(), SIGTERM), 0);
    expectExitStatusZero(*program, exitWaitMs);
  }

  // A screenshot of the enlarged picture, shrunk back to client pixels; counts mixed blocks.
  std::string take() {
    const std::string enlarged = scratch + "/enlarged-" + std::to_string(++taken) + ".png";
    std::string shrunk = scratch + "/shot-" + std::to_string(taken) + ".png";
    const std::string crop = std::to_string(640 * scale) + "x" + std::to_string(480 * scale) + "+" +
                             std::to_string(windowX) + "+" + std::to_string(windowY);
    const ProgramRun run = runProgram({"/usr/bin/import", "-display", display, "-window", "root",
                                       "-crop", crop, "+repage", enlarged},
                                      "/", {}, {}, toolTimeoutMs);
    EXPECT_EQ(run.status, 0) << "import failed: " << run.errors;
    mixedBlocks += std::max(0, shrinkEnlargedShot(enlarged, shrunk));
    fs::remove(enlarged);
    return shrunk;
  }
  std::string waitForChange(const std::string& reference, Rectangle area, int minimumPixels) {
    std::string shot;
    if (waitUntil(
            [&] {
              return differingPixels(reference, shot = take(), area.x, area.y, area.width,
                                     area.height, tolerance) >= minimumPixels;
            },
            changeWaitMs))
      return shot;
    return "";
  }
  // The title artwork drawn and the same in two shots in a row: the start-up static is gone.
  std::string waitForStillPicture() {
    std::string previous = take(), still;
    waitUntil(
        [&] {
          const std::string shot = take();
          const bool drawn = averageBrightness(shot, logoArea.x, logoArea.y, logoArea.width,
                                               logoArea.height) > logoGrey;
          if (drawn && differingPixels(previous, shot, logoArea.x, logoArea.y, logoArea.width,
                                       logoArea.height, 0) == 0)
            still = shot;
          previous = shot;
          return !still.empty();
        },
        startWaitMs);
    return still;
  }

  void xdotool(const std::vector<std::string>& arguments) {
    EXPECT_TRUE(::xdotool(display, arguments));
  }
  // Screen coordinates of the middle of the block of client pixel (x, y).
  std::string screenX(int x) const { return std::to_string(windowX + x * scale + scale / 2); }
  std::string screenY(int y) const { return std::to_string(windowY + y * scale + scale / 2); }

  std::string folder, scratch, display;
  std::unique_ptr<ChildProcess> program;
  X11WindowInfo info;
  int taken = 0, mixedBlocks = 0;
};

TEST_F(WindowScale, ScaleTwoEnlargesTheWindowTheShapeThePictureAndTheZones) {
  XvfbServer server(2560, 1440);
  start(server, {"--scale", "2"});
  ASSERT_TRUE(waitForWindow(windowX, windowY, 640 * scale, 482 * scale, startWaitMs))
      << describeWindow(info) << "\n"
      << program->stderrText();

  // The rounded shape: the region of (0, 0, 640, 480), each of its pixels a 2 × 2 block.
  X11Probe probe(display);
  info = probe.window(title);
  EXPECT_TRUE(info.shaped);
  EXPECT_EQ(info.shapeWidth, 639 * scale);
  EXPECT_EQ(info.shapeHeight, 479 * scale);
  HRGN region = CreateRoundRectRgn(0, 0, 640, 480, 10, 10);
  int mismatches = 0;
  for (int y = 0; y < 24; ++y) {
    for (int x = 0; x < 24; ++x) {
      for (const auto& [screenX, screenY] : {std::pair{x, y}, std::pair{1279 - x, y},
                                             std::pair{x, 959 - y}, std::pair{1279 - x, 959 - y}}) {
        const POINT client{screenX / scale, screenY / scale};
        bool inRegion = false;
        for (const RECT& r : region->rectangles) inRegion = inRegion || PtInRect(&r, client);
        if (probe.shapeContains(title, screenX, screenY) != inRegion) ++mismatches;
      }
    }
  }
  DeleteObject(region);
  EXPECT_EQ(mismatches, 0) << "screen pixels where the shape is not the enlarged region";

  // The picture: nearest-texel blocks, and once the static is gone its title artwork is the one
  // the program draws at 640 × 480 (zolta-frames, same program, same renderer).
  const std::string settled = waitForStillPicture();
  ASSERT_FALSE(settled.empty()) << "the title artwork never came to rest";
  EXPECT_EQ(mixedBlocks, 0) << "blocks of the enlarged picture that are not one colour";
  EXPECT_GT(distinctColours(settled, 100), 50);
  const ProgramRun frames =
      runProgram({ZOLTA_BINARY_DIR "/zolta-frames", "--frames", std::to_string(framesPictureFrame),
                  "--out", scratch},
                 folder, {"SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=dummy"}, {}, startWaitMs);
  ASSERT_EQ(frames.status, 0) << frames.errors;
  const std::string unscaled = scratch + "/frame-00" + std::to_string(framesPictureFrame) + ".png";
  EXPECT_EQ(differingPixels(settled, unscaled, logoArea.x, logoArea.y, logoArea.width,
                            logoArea.height, tolerance),
            0)
      << "the enlarged title artwork is not the 640 x 480 one";

  // The next button, at its enlarged place: the track number changes.
  xdotool({"mousemove", screenX(524), screenY(46)});
  xdotool({"click", "1"});
  xdotool({"mousemove", screenX(320), screenY(400)});
  EXPECT_FALSE(waitForChange(settled, labelDigitArea, digitChange).empty())
      << "clicking next changed no number";

  // A drag across the enlarged slider from volume 80 to about 49: five segments lit.
  EXPECT_TRUE(waitUntil([&] { return litVolumeSegments(take()) == 8; }, changeWaitMs))
      << "volume 80 lights eight";
  xdotool({"mousemove", screenX(400), screenY(234), "mousedown", "1", "mousemove", screenX(447),
           screenY(234), "mouseup", "1"});
  xdotool({"mousemove", screenX(320), screenY(400)});
  EXPECT_TRUE(waitUntil([&] { return litVolumeSegments(take()) == 5; }, changeWaitMs))
      << "the drag did not set volume 49";
  EXPECT_EQ(mixedBlocks, 0);

  // The top strip drags the window by as many screen pixels as the pointer moved.
  const int fromX = windowX + 300 * scale, fromY = windowY + 5 * scale;
  xdotool({"mousemove", std::to_string(fromX), std::to_string(fromY), "mousedown", "1", "mousemove",
           std::to_string(fromX + 100), std::to_string(fromY + 60), "mouseup", "1"});
  EXPECT_TRUE(waitForWindow(windowX + 100, windowY + 60, 640 * scale, 482 * scale, changeWaitMs))
      << "after a drag: " << describeWindow(info);
  expectEndOnTerm();
}

TEST_F(WindowScale, AutoPicksTwoOnALargeScreenAndOneOnASmallOne) {
  {
    XvfbServer large(2560, 1440);
    start(large, {"--scale", "auto"});
    EXPECT_TRUE(waitForWindow(640, 240, 1280, 964, startWaitMs)) << describeWindow(info) << "\n"
                                                                 << program->stderrText();
    expectEndOnTerm();
  }
  {
    XvfbServer small(1024, 768);
    start(small, {"-s", "auto"});
    EXPECT_TRUE(waitForWindow(192, 144, 640, 482, startWaitMs)) << describeWindow(info) << "\n"
                                                                << program->stderrText();
    expectEndOnTerm();
  }
}

TEST_F(WindowScale, FullScreenStartCoversTheDesktopAndEscapeReturnsToTheScaledWindow) {
  XvfbServer server(2560, 1440);
  start(server, {"--fullscreen", "--scale", "2"});
  ASSERT_TRUE(waitForWindow(0, 0, 2560, 1440, startWaitMs))
      << "not full-screen: " << describeWindow(info) << "\n"
      << program->stderrText();
  xdotool({"key", "Escape"});
  EXPECT_TRUE(waitForWindow(windowX, windowY, 640 * scale, 480 * scale, changeWaitMs))
      << "not back: " << describeWindow(info);
  expectEndOnTerm();
}

}  // namespace
