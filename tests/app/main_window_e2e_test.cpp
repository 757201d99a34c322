// The main window on a real X server (a private Xvfb): placement, size, shape, decoration and
// title as another X client sees them.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "app/hooks/main_window.h"
#include "app/main_window.h"
#include "platform/hooks/window.h"
#include "tests/support/shell_x11_probe.h"
#include "tests/support/shell_xvfb.h"

namespace {

constexpr int waitMs = 5000;  // bound on every wait for the X server
const char* const title = "Zolta RodiZeve #1";

class MainWindowOnX : public ::testing::TestWithParam<int> {};

// Creates the window on a desktop of the given width (height 768) and checks it from outside.
TEST_P(MainWindowOnX, IsCentredFramelessRoundedAndTitled) {
  XvfbServer server(GetParam(), 768);
  ASSERT_TRUE(server.running()) << "Xvfb did not start";
  setenv("DISPLAY", server.display().c_str(), 1);
  unsetenv("SDL_VIDEODRIVER");

  ASSERT_EQ(createMainWindow(), 0);
  EXPECT_EQ(windowStyle, static_cast<DWORD>(0x000B0000));
  EXPECT_EQ(GetWindowLongA(appWindow, GWL_STYLE), 0x000B0000);

  X11Probe probe(server.display());
  ASSERT_TRUE(probe.connected());
  X11WindowInfo info;
  const bool placed = waitUntil(
      [&] {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        info = probe.window(title);
        return info.viewable && info.x == 192 && info.y == 144 && info.width == 640 &&
               info.height == 482;
      },
      waitMs);
  ASSERT_TRUE(info.found) << "no window titled \"" << title << "\"";
  EXPECT_TRUE(placed) << "expected a viewable 640x482 window at (192, 144), got " << info.width
                      << "x" << info.height << " at (" << info.x << ", " << info.y << ")"
                      << (info.viewable ? "" : ", not viewable");

  // The shape: GDI's rounded region of (0, 0, 640, 480), 639 × 479 with the corners cut off;
  // the last column and the last three rows are clipped.
  EXPECT_TRUE(info.shaped);
  EXPECT_EQ(info.shapeX, 0);
  EXPECT_EQ(info.shapeY, 0);
  EXPECT_EQ(info.shapeWidth, 639);
  EXPECT_EQ(info.shapeHeight, 479);
  for (auto [x, y] :
       {std::pair{0, 0}, {639, 0}, {0, 478}, {638, 478}, {639, 240}, {320, 479}, {320, 481}}) {
    EXPECT_FALSE(probe.shapeContains(title, x, y))
        << "pixel (" << x << ", " << y << ") should be cut away";
  }
  for (auto [x, y] : {std::pair{320, 0}, {0, 240}, {638, 240}, {320, 478}, {5, 5}, {633, 473}}) {
    EXPECT_TRUE(probe.shapeContains(title, x, y)) << "pixel (" << x << ", " << y << ") should show";
  }

  // No decoration: none is asked for, and no frame has been put around the window.
  EXPECT_TRUE(info.decorationsOff);
  EXPECT_TRUE(info.childOfRoot);

  DestroyWindow(appWindow);
}

// 1024 × 768 puts the corner at (192, 144); an odd 1025 rounds the halving down to the same x.
INSTANTIATE_TEST_SUITE_P(DesktopWidths, MainWindowOnX, ::testing::Values(1024, 1025));

}  // namespace
