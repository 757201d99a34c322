// The real program in a real window on a private Xvfb (1024 × 768), worked with xdotool as a
// user would: the close zone, Escape, the full-screen toggle, dragging by the top strip and the
// minimise zone.
#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "tests/support/shell_x11_probe.h"
#include "tests/support/shell_xvfb.h"

namespace {

// Bound on waiting for the program (start-up builds every picture; slow on a busy machine).
constexpr int waitMs = 60000;
const char* const title = "Zolta RodiZeve #1";

class Program : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server.running()) << "Xvfb did not start";
    folder = makeTemporaryFolder();
    ASSERT_FALSE(folder.empty());
    ASSERT_EQ(symlink(ZOLTA_SOURCE_DIR "/data", (folder + "/data").c_str()), 0);
    program = std::make_unique<ChildProcess>(
        ZOLTA_BINARY_DIR "/zolta", std::vector<std::string>{}, folder,
        std::vector<std::string>{"DISPLAY=" + server.display(), "SDL_AUDIODRIVER=dummy"},
        std::vector<std::string>{"SDL_VIDEODRIVER"});
    ASSERT_TRUE(waitForWindow(192, 144, 640, 482)) << describeWindow(info);
  }
  void TearDown() override {
    program.reset();
    removeFolder(folder);
  }

  bool waitForWindow(int x, int y, int width, int height) {
    return probe.waitForWindow(title, x, y, width, height, waitMs, &info);
  }
  // Client pixel (x, y) of the windowed program on the screen.
  std::string screenX(int x) const { return std::to_string(info.x + x); }
  std::string screenY(int y) const { return std::to_string(info.y + y); }
  bool click(int x, int y) {
    return xdotool(server.display(), {"mousemove", screenX(x), screenY(y), "click", "1"});
  }

  XvfbServer server{1024, 768};
  X11Probe probe{server.display()};
  std::string folder;
  std::unique_ptr<ChildProcess> program;
  X11WindowInfo info;
};

TEST_F(Program, CloseZoneEndsItWithStatusZero) {
  ASSERT_TRUE(click(621, 5));
  int status = -1;
  ASSERT_TRUE(program->waitForExit(waitMs, &status))
      << "still running after a click on the close zone";
  EXPECT_EQ(status, 0) << program->stderrText();
}

TEST_F(Program, EscapeInAWindowEndsItWithStatusZero) {
  ASSERT_TRUE(
      xdotool(server.display(), {"mousemove", screenX(320), screenY(240), "key", "Escape"}));
  int status = -1;
  ASSERT_TRUE(program->waitForExit(waitMs, &status)) << "still running after Escape";
  EXPECT_EQ(status, 0) << program->stderrText();
}

TEST_F(Program, FullScreenCoversTheScreenAndEscapeBringsBackACentredWindow) {
  ASSERT_TRUE(click(606, 5));
  ASSERT_TRUE(waitForWindow(0, 0, 1024, 768)) << "not full-screen: " << describeWindow(info);
  EXPECT_FALSE(info.shaped && info.shapeWidth == 639)
      << "the rounded shape still clips the full screen";
  ASSERT_TRUE(xdotool(server.display(), {"key", "Escape"}));
  ASSERT_TRUE(waitForWindow(192, 144, 640, 480))
      << "not back in a centred 640x480 window: " << describeWindow(info);
  EXPECT_TRUE(info.shaped);
  EXPECT_EQ(info.shapeWidth, 639);
  int status = -1;
  EXPECT_FALSE(program->waitForExit(0, &status)) << "the program ended";
}

TEST_F(Program, TheToggleZoneAlsoLeavesFullScreen) {
  ASSERT_TRUE(click(619, 5));
  ASSERT_TRUE(waitForWindow(0, 0, 1024, 768)) << "not full-screen: " << describeWindow(info);
  // The picture is 1024 × 768 here: client pixel (612, 5) is at screen (979, 8).
  ASSERT_TRUE(xdotool(server.display(), {"mousemove", "979", "8", "click", "1"}));
  ASSERT_TRUE(waitForWindow(192, 144, 640, 480))
      << "not back in a centred 640x480 window: " << describeWindow(info);
}

TEST_F(Program, DraggingTheTopStripMovesTheWindowByTheSameAmount) {
  ASSERT_TRUE(xdotool(server.display(), {"mousemove", screenX(300), screenY(5), "mousedown", "1",
                                         "mousemove", screenX(400), screenY(65), "mouseup", "1"}));
  EXPECT_TRUE(waitForWindow(192 + 100, 144 + 60, 640, 482))
      << "after a drag by (100, 60): " << describeWindow(info);
}

TEST_F(Program, MinimiseZoneTakesTheWindowOffTheScreen) {
  ASSERT_TRUE(click(600, 5));
  EXPECT_TRUE(waitUntil(
      [&] {
        info = probe.window(title);
        return info.found && !info.viewable;
      },
      waitMs))
      << describeWindow(info);
  int status = -1;
  EXPECT_FALSE(program->waitForExit(0, &status)) << "the program ended";
}

}  // namespace
