// The effects in the real program on a private X server: the start-up static is gone after
// a few seconds, the greetings glyphs reach the strip at the bottom, and the drawn pointer
// follows the mouse into the window and vanishes when it leaves.
#include <gtest/gtest.h>

#include <cairo.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/shell_xvfb.h"

namespace {

constexpr int desktopWidth = 1024;  // desktop, pixels
constexpr int desktopHeight = 768;
constexpr int windowLeft = 192;  // the window is centred on the desktop
constexpr int windowTop = 144;
constexpr int startTimeoutMs = 30000;   // bound on the program's start-up
constexpr int scrollTimeoutMs = 40000;  // character 0 reaches view after about 5.4 s

// A screenshot of the desktop, pixels 0xAARRGGBB; empty when it could not be taken.
struct Screenshot {
  int width = 0;
  int height = 0;
  std::vector<unsigned int> pixels;
  // Brightness 0-255 of a pixel given in window coordinates.
  int brightness(int x, int y) const {
    const unsigned int colour = pixels[size_t(windowTop + y) * width + windowLeft + x];
    return int(((colour >> 16) & 0xFF) + ((colour >> 8) & 0xFF) + (colour & 0xFF)) / 3;
  }
};

Screenshot takeScreenshot(const std::string& display, const std::string& path) {
  Screenshot shot;
  const std::string command = "import -display " + display + " -window root png:" + path;
  if (std::system(command.c_str()) != 0) return shot;
  cairo_surface_t* image = cairo_image_surface_create_from_png(path.c_str());
  if (cairo_surface_status(image) == CAIRO_STATUS_SUCCESS &&
      cairo_image_surface_get_width(image) == desktopWidth) {
    shot.width = cairo_image_surface_get_width(image);
    shot.height = cairo_image_surface_get_height(image);
    const int stride = cairo_image_surface_get_stride(image);
    const unsigned char* data = cairo_image_surface_get_data(image);
    shot.pixels.resize(size_t(shot.width) * shot.height);
    for (int y = 0; y < shot.height; ++y)
      std::memcpy(&shot.pixels[size_t(y) * shot.width], data + size_t(y) * stride,
                  size_t(shot.width) * 4);
  }
  cairo_surface_destroy(image);
  return shot;
}

// Share of horizontally neighbouring window pixels that jump between near black and near
// white: high while the static shows, tiny otherwise.
double noiseShare(const Screenshot& shot) {
  long jumps = 0;
  for (int y = 20; y < 460; y += 2)
    for (int x = 20; x < 619; ++x)
      jumps += std::abs(shot.brightness(x, y) - shot.brightness(x + 1, y)) > 180;
  return jumps / (220.0 * 599.0);
}

// Dark pixels on the scroller strip at the bottom of the window.
int darkOnScrollerStrip(const Screenshot& shot) {
  int dark = 0;
  for (int y = 458; y < 472; ++y)
    for (int x = 240; x < 620; ++x) dark += shot.brightness(x, y) < 60;
  return dark;
}

// Pixels below and right of a mouse position that differ clearly from a picture taken
// without the pointer: the arrow drawn there.
int arrowPixels(const Screenshot& shot, const Screenshot& before, int mouseX, int mouseY) {
  int changed = 0;
  for (int y = mouseY; y < mouseY + 20; ++y)
    for (int x = mouseX; x < mouseX + 12; ++x)
      changed += std::abs(shot.brightness(x, y) - before.brightness(x, y)) > 60;
  return changed;
}

TEST(EffectsOnScreen, StaticEndsScrollerAppearsPointerFollowsTheMouse) {
  XvfbServer server(desktopWidth, desktopHeight);
  ASSERT_TRUE(server.running()) << "Xvfb did not start";
  const std::string folder = makeTemporaryFolder();
  ASSERT_FALSE(folder.empty());
  std::filesystem::create_directories(folder + "/data/msx");
  const std::string shotPath = folder + "/shot.png";
  const std::string& display = server.display();
  ChildProcess program(ZOLTA_BINARY_DIR "/zolta", {}, folder,
                       {"DISPLAY=" + display, "SDL_AUDIODRIVER=dummy"}, {"SDL_VIDEODRIVER"});

  // The window shows once its first frames are drawn; the static ends 1.27 s after the
  // frame clock starts, so three seconds later none is left.
  Screenshot shot;
  ASSERT_TRUE(waitUntil(
      [&] {
        shot = takeScreenshot(display, shotPath);
        return !shot.pixels.empty() && shot.brightness(320, 240) + shot.brightness(100, 100) > 0;
      },
      startTimeoutMs))
      << "no picture in the window; stderr: " << program.stderrText();
  const auto shown = std::chrono::steady_clock::now();
  waitUntil([&] { return std::chrono::steady_clock::now() - shown > std::chrono::seconds(3); },
            4000);
  shot = takeScreenshot(display, shotPath);
  ASSERT_FALSE(shot.pixels.empty());
  EXPECT_LT(noiseShare(shot), 0.01) << "static still shows three seconds after start-up";

  EXPECT_TRUE(waitUntil(
      [&] {
        shot = takeScreenshot(display, shotPath);
        return !shot.pixels.empty() && darkOnScrollerStrip(shot) > 40;
      },
      scrollTimeoutMs))
      << "no dark glyphs on the scroller strip";

  // Into the window over the quiet upper-left background: the arrow's tip at the mouse.
  const Screenshot before = shot;
  const std::string move = "DISPLAY=" + display + " xdotool mousemove ";
  ASSERT_EQ(
      std::system(
          (move + std::to_string(windowLeft + 150) + " " + std::to_string(windowTop + 60)).c_str()),
      0);
  EXPECT_TRUE(waitUntil(
      [&] {
        shot = takeScreenshot(display, shotPath);
        return !shot.pixels.empty() && arrowPixels(shot, before, 150, 60) > 15;
      },
      10000))
      << "no arrow at the mouse position";

  // Out of the window: the arrow goes once the window has noticed.
  ASSERT_EQ(std::system((move + "5 5").c_str()), 0);
  EXPECT_TRUE(waitUntil(
      [&] {
        shot = takeScreenshot(display, shotPath);
        return !shot.pixels.empty() && arrowPixels(shot, before, 150, 60) == 0;
      },
      10000))
      << "the arrow stayed after the mouse left";
  removeFolder(folder);
}

}  // namespace
