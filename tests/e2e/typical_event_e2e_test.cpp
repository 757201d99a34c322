// The real program in a real window on a private X server (1024 × 768), driven as a user would
// with xdotool and watched with ImageMagick screenshots: start-up, the static fading out, the
// next button changing the track, the repeat box, and the two ways to end it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/e2e_run.h"
#include "tests/support/shell_x11_probe.h"
#include "tests/support/shell_xvfb.h"

namespace {

namespace fs = std::filesystem;

constexpr int windowWaitMs = 20000;          // bound on the wait for the window on a loaded machine
constexpr int changeWaitMs = 15000;          // bound on the wait for a picture to change or settle
constexpr int exitWaitMs = 15000;            // bound on the wait for the program to end
constexpr int windowX = 192, windowY = 144;  // where a 640 × 482 window is centred on 1024 × 768
constexpr int tolerance = 24;                // per channel, for pixels that should be the same

constexpr Rectangle logoArea{60, 110, 170, 100};  // title artwork: still once the static is gone
constexpr Rectangle labelArea{545, 125, 90, 50};  // the "now playing" label
constexpr Rectangle lampArea{550, 28, 16, 16};    // the repeat lamp
const char* const title = "Zolta RodiZeve #1";

class ProgramOnX : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = makeTemporaryFolder();
    shots.folder = makeTemporaryFolder();
    ASSERT_FALSE(folder.empty());
    fs::create_directories(folder + "/data");
    fs::copy(ZOLTA_SOURCE_DIR "/data/msx", folder + "/data/msx");
    std::ofstream(folder + "/_.tmp") << "the user's own notes\n";
    before = folderSnapshot(folder);
    ASSERT_TRUE(server.running()) << "Xvfb did not start";
  }
  void TearDown() override {
    program.reset();
    if (!folder.empty()) {
      EXPECT_EQ(folderSnapshot(folder), before) << "the working folder changed";
      removeFolder(folder);
    }
    if (!shots.folder.empty()) removeFolder(shots.folder);
  }

  void start(const std::string& audioDriver) {
    program = std::make_unique<ChildProcess>(
        ZOLTA_BINARY_DIR "/zolta", std::vector<std::string>{}, folder,
        std::vector<std::string>{"DISPLAY=" + server.display(), "SDL_AUDIODRIVER=" + audioDriver},
        std::vector<std::string>{"SDL_VIDEODRIVER"});
    X11Probe probe(server.display());
    ASSERT_TRUE(probe.connected());
    X11WindowInfo info;
    const bool placed = waitUntil(
        [&] {
          info = probe.window(title);
          return info.viewable;
        },
        windowWaitMs);
    ASSERT_TRUE(placed) << "no window titled \"" << title << "\"; stderr:\n"
                        << program->stderrText();
    EXPECT_EQ(info.x, windowX);
    EXPECT_EQ(info.y, windowY);
    EXPECT_EQ(info.width, 640);
    EXPECT_EQ(info.height, 482);
  }

  void xdotool(const std::vector<std::string>& arguments) {
    EXPECT_TRUE(::xdotool(server.display(), arguments));
  }
  void moveTo(int clientX, int clientY) {
    xdotool({"mousemove", std::to_string(windowX + clientX), std::to_string(windowY + clientY)});
  }

  XvfbServer server{1024, 768};
  std::unique_ptr<ChildProcess> program;
  std::string folder;
  std::map<std::string, std::string> before;
  ClientAreaShots shots{server.display(), "", windowX, windowY,
                        tolerance};  // the window's client area
};

TEST_F(ProgramOnX, StartNextTrackRepeatBoxAndEscape) {
  start("dummy");

  // The start-up static fades out: the title artwork comes to rest.
  std::string previous = shots.take();
  std::string settled;
  ASSERT_TRUE(waitUntil(
      [&] {
        const std::string shot = shots.take();
        // Two black shots before the first frame are still too: a drawn frame has many colours.
        const bool still =
            shots.differing(previous, shot, logoArea) == 0 && distinctColours(shot, 100) >= 100;
        previous = shot;
        if (still) settled = shot;
        return still;
      },
      changeWaitMs))
      << "the title artwork never came to rest (static noise?)";

  // Hovering then clicking the next button shows the second track's label.
  moveTo(508, 30);
  xdotool({"click", "1"});
  moveTo(320, 400);  // out of the way of the label and the lamp
  const std::string afterNext = shots.waitForChange(settled, labelArea, 50, changeWaitMs);
  ASSERT_FALSE(afterNext.empty()) << "the label did not change after clicking next";

  // The repeat box turns its lamp off.
  moveTo(559, 36);
  xdotool({"click", "1"});
  moveTo(320, 400);
  EXPECT_FALSE(shots.waitForChange(afterNext, lampArea, 20, changeWaitMs).empty())
      << "the repeat lamp did not change";

  xdotool({"key", "Escape"});
  expectExitStatusZero(*program, exitWaitMs);
}

// Clicked as soon as the window shows, while the program is still starting: its first look at
// the queue then finds the focus change and the click together, a click SDL used to drop (the
// program kept running). The bound covers a slow start on a loaded machine.
TEST_F(ProgramOnX, CloseZoneEnds) {
  start("dummy");
  moveTo(621, 5);
  xdotool({"click", "1"});
  int status = -1;
  ASSERT_TRUE(program->waitForExit(windowWaitMs + exitWaitMs, &status))
      << "the program did not end";
  EXPECT_EQ(status, 0) << "stderr:\n" << program->stderrText();
}

TEST_F(ProgramOnX, NoAudioDeviceRunsSilentAndSaysSo) {
  start("no-such-audio-driver");
  EXPECT_TRUE(
      waitUntil([&] { return program->stderrText().find("running silent") != std::string::npos; },
                changeWaitMs))
      << "stderr:\n"
      << program->stderrText();
  moveTo(320, 240);
  xdotool({"key", "Escape"});
  expectExitStatusZero(*program, exitWaitMs);
}

}  // namespace
