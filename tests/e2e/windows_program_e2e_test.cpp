// The Windows build's zolta.exe under Wine on a private X server (1024 × 768), as a Windows
// user would meet it: the centred 640 × 482 window with its rounded shape, the music
// heard through the Windows audio output (its capture hook) as libopenmpt renders it, Down
// changing the tune, Escape and the close zone ending it with status 0, a missing music folder
// and the command line. The first run makes the build tree's Wine prefix (about 15 s).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/hooks/window.h"
#include "platform/win32_internal.h"
#include "tests/support/e2e_run.h"
#include "tests/support/e2e_sound.h"
#include "tests/support/shell_x11_probe.h"
#include "tests/support/shell_xvfb.h"
#include "tests/support/wine_program.h"

namespace {

namespace fs = std::filesystem;

constexpr int windowWaitMs = 60000;  // a fresh Wine prefix, then the program, on a loaded machine
constexpr int soundWaitMs = 20000;   // bound on the capture reaching a point, beyond its length
constexpr int exitWaitMs = 15000;
constexpr int windowX = 192, windowY = 144;  // a 640 × 482 window centred on 1024 × 768
constexpr double sameSound = 0.9;            // normalised correlation of the capture with the tune
constexpr double volumeGain = 0.8;           // the start volume, 80, as a linear gain
const char* const title = "Zolta RodiZeve #1";
const char* const firstTune = "Pulsegeist - Crystal Caverns Below.xm";  // display order 1
const char* const secondTune = "Moxa - Harbour Lights.mod";             // display order 2

class WindowsProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs::exists(windowsBuildFolder() + "/zolta.exe"))
        << "no Windows build: run make windows";
    ASSERT_TRUE(server.running()) << "Xvfb did not start";
    folder = makeTemporaryFolder();
    ASSERT_FALSE(folder.empty());
  }
  void TearDown() override {
    program.reset();
    removeFolder(folder);
  }

  void copyDefaultTunes() {
    fs::create_directories(folder + "/data");
    fs::copy(ZOLTA_SOURCE_DIR "/data/msx", folder + "/data/msx");
  }
  void start(const std::vector<std::string>& arguments = {}) {
    program = startWindowsProgram(arguments, folder, server.display(),
                                  {"ZOLTA_AUDIO_CAPTURE=" + windowsPathOf(capture())});
  }
  std::string capture() const { return folder + "/capture.raw"; }

  // Waits for the window and checks its place, size and shape from outside: the shape is the
  // one the Linux build's own CreateRoundRectRgn makes, pixel for pixel in the four corners.
  void expectCentredRoundedWindow() {
    X11WindowInfo info;
    ASSERT_TRUE(probe.waitForWindow(title, windowX, windowY, 640, 482, windowWaitMs, &info))
        << "expected a 640x482 window at (192, 144), got " << describeWindow(info) << "; stderr:\n"
        << program->stderrText();
    EXPECT_TRUE(info.shaped);
    EXPECT_EQ(info.shapeWidth, 639);
    EXPECT_EQ(info.shapeHeight, 479);
    HRGN region = CreateRoundRectRgn(0, 0, 640, 480, 10, 10);
    std::string mismatches;
    for (int y = 0; y < 12; ++y) {
      for (int x = 0; x < 12; ++x) {
        for (const POINT pixel :
             {POINT{x, y}, POINT{639 - x, y}, POINT{x, 481 - y}, POINT{639 - x, 481 - y}}) {
          bool inRegion = false;
          for (const RECT& r : region->rectangles) inRegion = inRegion || PtInRect(&r, pixel);
          if (probe.shapeContains(title, pixel.x, pixel.y) != inRegion)
            mismatches += " (" + std::to_string(pixel.x) + ", " + std::to_string(pixel.y) + ")";
        }
      }
    }
    DeleteObject(region);
    EXPECT_EQ(mismatches, "") << "corner pixels where Wine's shape is not the Linux layer's region";
  }

  void xdotool(const std::vector<std::string>& arguments) {
    EXPECT_TRUE(::xdotool(server.display(), arguments));
  }
  void clickAt(int clientX, int clientY) {
    xdotool({"mousemove", std::to_string(windowX + clientX), std::to_string(windowY + clientY)});
    xdotool({"click", "1"});
  }

  XvfbServer server{1024, 768};
  X11Probe probe{server.display()};
  std::unique_ptr<ChildProcess> program;
  std::string folder;
};

TEST_F(WindowsProgram, PlaysTheTunesInTheRoundedWindowAndEndsOnEscape) {
  copyDefaultTunes();
  const Sound first = renderModule(folder + "/data/msx/" + firstTune, 3.0);
  const Sound second = renderModule(folder + "/data/msx/" + secondTune, 3.0);
  start();
  expectCentredRoundedWindow();

  // The first tune at the start volume: seconds 1-2 of it within the first seconds heard.
  const DiskRecording recording{capture(), soundWaitMs};
  Sound heard = recording.listenUntil(framesOf(3.0));
  // By then the pictures are on the screen: the background artwork has hundreds of colours.
  ClientAreaShots shots{server.display(), folder, windowX, windowY, 0};
  EXPECT_GE(distinctColours(shots.take(), 200), 200) << "the pictures are not drawn";
  const Alignment playing =
      align(heard, 0, heard.frames() - framesOf(1.0), first, framesOf(1.0), framesOf(1.0));
  EXPECT_GT(playing.correlation, sameSound) << "the first tune is not what plays";
  EXPECT_NEAR(gainOf(heard, playing.start, first, framesOf(1.0), framesOf(1.0)), volumeGain, 0.01);

  // Down: the second tune from its start, within a few seconds of the key.
  const long pressed = recording.heardFrames();
  xdotool({"mousemove", std::to_string(windowX + 320), std::to_string(windowY + 240)});
  xdotool({"key", "Down"});
  heard = recording.listenUntil(pressed + framesOf(5.0));
  const Alignment next =
      align(heard, pressed, heard.frames() - framesOf(1.0), second, framesOf(1.0), framesOf(1.0));
  EXPECT_GT(next.correlation, sameSound) << "Down did not start the second tune";

  xdotool({"key", "Escape"});
  expectExitStatusZero(*program, exitWaitMs);
  // The pictures came through _.tmp in the working folder, deleted again by the real calls.
  EXPECT_FALSE(fs::exists(folder + "/_.tmp")) << "_.tmp was left behind";
}

TEST_F(WindowsProgram, WithoutMusicFolderRunsSilentAndTheCloseZoneEndsIt) {
  start();
  expectCentredRoundedWindow();
  EXPECT_TRUE(waitUntil(
      [&] {
        return program->stderrText().find("zolta: data/msx/: no such folder") != std::string::npos;
      },
      exitWaitMs))
      << "stderr:\n"
      << program->stderrText();
  clickAt(621, 5);
  expectExitStatusZero(*program, exitWaitMs);
}

TEST_F(WindowsProgram, CommandLineAsOnLinux) {
  const std::vector<std::string> wine{ZOLTA_SOURCE_DIR "/tools/windows/wine-run.sh",
                                      windowsBuildFolder() + "/wine-prefix",
                                      windowsBuildFolder() + "/zolta.exe"};
  auto with = [&](std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), wine.begin(), wine.end());
    return arguments;
  };
  const ProgramRun help =
      runProgram(with({"--help"}), folder, {"DISPLAY=" + server.display()}, {}, windowWaitMs);
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.output.find("--volume"), std::string::npos) << help.output;

  const ProgramRun badVolume = runProgram(with({"--volume", "120"}), folder,
                                          {"DISPLAY=" + server.display()}, {}, windowWaitMs);
  EXPECT_EQ(badVolume.status, 2);
  EXPECT_EQ(textLines(badVolume.errors).size(), 1u) << badVolume.errors;
  EXPECT_NE(badVolume.errors.find("--help"), std::string::npos) << badVolume.errors;
}

}  // namespace
