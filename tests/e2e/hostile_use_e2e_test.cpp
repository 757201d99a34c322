// The real program in a real window on a private X server, treated roughly: a click in a black
// bar beside the full-screen picture, a track swapped for a FIFO or grown to 2 TB before it is
// chosen, the keypad's arrows, the terminal hanging up, the X server going away, a restore
// with no window manager to give the keyboard back, a screen smaller than the window, and a
// display without a session bus. Each test watches what a user would see: the window, the
// process's end and status, and the lines on stderr.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/e2e_run.h"
#include "tests/support/shell_x11_probe.h"
#include "tests/support/shell_xvfb.h"

namespace {

namespace fs = std::filesystem;

constexpr int waitMs = 60000;  // bound on waiting for the program (slow on a busy machine)
constexpr int displayLossExitMs = 2000;  // the program must end this soon after its X server dies
const char* const title = "Zolta RodiZeve #1";
const std::string realModule = ZOLTA_SOURCE_DIR "/data/msx/Moxa - Harbour Lights.mod";
const std::string secondTrack = "data/msx/B - B.mod";  // " B" sorts after " A": the next track

class HostileUse : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = makeTemporaryFolder();
    ASSERT_FALSE(folder.empty());
    fs::create_directories(folder + "/data/msx");
    fs::copy_file(realModule, folder + "/data/msx/A - A.mod");
  }
  void TearDown() override {
    program.reset();
    probe.reset();
    server.reset();
    removeFolder(folder);
  }

  // A private X server of this size, and the program on it with the audio playing unheard.
  void start(int screenWidth, int screenHeight, const std::vector<std::string>& set = {},
             const std::vector<std::string>& unset = {}) {
    server = std::make_unique<XvfbServer>(screenWidth, screenHeight);
    ASSERT_TRUE(server->running()) << "Xvfb did not start";
    launch(set, unset);
  }
  void launch(const std::vector<std::string>& set = {},
              const std::vector<std::string>& unset = {}) {
    std::vector<std::string> environment = {"DISPLAY=" + server->display(),
                                            "SDL_AUDIODRIVER=dummy"};
    environment.insert(environment.end(), set.begin(), set.end());
    std::vector<std::string> removed = {"SDL_VIDEODRIVER"};
    removed.insert(removed.end(), unset.begin(), unset.end());
    program = std::make_unique<ChildProcess>(ZOLTA_BINARY_DIR "/zolta", std::vector<std::string>{},
                                             folder, environment, removed);
    ASSERT_TRUE(waitUntil([&] { return (info = look()).viewable; }, waitMs))
        << "no window; stderr:\n"
        << program->stderrText();
  }
  // The program's window as another client sees it. A busy server may reset a connection made
  // just as another client leaves, so a probe that did not connect is made again.
  X11WindowInfo look() {
    if (!probe || !probe->connected()) probe = std::make_unique<X11Probe>(server->display());
    return probe->window(title);
  }
  bool xdotool(const std::vector<std::string>& arguments) {
    return ::xdotool(server->display(), arguments);
  }
  bool waitForWindow(bool viewable, int width) {
    return waitUntil(
        [&] {
          info = look();
          return info.found && info.viewable == viewable && (!viewable || info.width == width);
        },
        waitMs);
  }
  bool stderrShows(const std::string& line) {
    return waitUntil([&] { return program->stderrText().find(line + "\n") != std::string::npos; },
                     waitMs);
  }
  // Escape ends the windowed program with status 0: proof that it still answers.
  void expectEscapeEndsIt() {
    ASSERT_TRUE(xdotool({"key", "Escape"}));
    int status = -1;
    ASSERT_TRUE(program->waitForExit(waitMs, &status)) << "no end after Escape; stderr:\n"
                                                       << program->stderrText();
    EXPECT_EQ(status, 0) << program->stderrText();
  }

  std::string folder;
  std::unique_ptr<XvfbServer> server;
  std::unique_ptr<ChildProcess> program;
  std::unique_ptr<X11Probe> probe;
  X11WindowInfo info;
};

// On 1920 × 1080 the full-screen picture has bars left and right; a click in the top rows of a
// bar once ended the program through the close zone.
TEST_F(HostileUse, AClickInAFullScreenBarReachesNoZone) {
  std::ofstream(folder + "/" + secondTrack) << "not a module";
  start(1920, 1080);
  ASSERT_TRUE(xdotool(
      {"mousemove", std::to_string(info.x + 612), std::to_string(info.y + 5), "click", "1"}));
  ASSERT_TRUE(waitForWindow(true, 1920)) << "not full-screen";
  for (const char* y : {"10", "2", "30"})
    ASSERT_TRUE(xdotool({"mousemove", "100", y, "click", "1"}));
  ASSERT_TRUE(xdotool({"mousemove", "1850", "4", "click", "1"}));
  // Input is handled in order: once the next track is named, the clicks have been handled.
  ASSERT_TRUE(xdotool({"key", "b"}));
  ASSERT_TRUE(
      stderrShows("zolta: BASS_MusicLoad: " + secondTrack + ": not a module that can be played"))
      << program->stderrText();
  int status = -1;
  EXPECT_FALSE(program->waitForExit(0, &status)) << "a click in a bar ended the program";
  EXPECT_TRUE(waitForWindow(true, 1920)) << "a click in a bar left full-screen";
}

TEST_F(HostileUse, KeypadDownWithNumLockOffIsTheNextTrack) {
  std::ofstream(folder + "/" + secondTrack) << "not a module";
  start(1024, 768);
  ASSERT_TRUE(xdotool({"key", "KP_Down"}));
  EXPECT_TRUE(
      stderrShows("zolta: BASS_MusicLoad: " + secondTrack + ": not a module that can be played"))
      << "keypad Down did not change the track; stderr:\n"
      << program->stderrText();
  expectEscapeEndsIt();
}

// The entry was a good module when the folder was read; by the time it is chosen it is a FIFO
// with no writer, which once blocked the program for ever.
TEST_F(HostileUse, ATrackSwappedForAFifoIsSilentAndNothingBlocks) {
  fs::copy_file(realModule, folder + "/" + secondTrack);
  start(1024, 768);
  ASSERT_EQ(unlink((folder + "/" + secondTrack).c_str()), 0);
  ASSERT_EQ(mkfifo((folder + "/" + secondTrack).c_str(), 0600), 0);
  ASSERT_TRUE(xdotool({"key", "b"}));
  EXPECT_TRUE(stderrShows("zolta: BASS_MusicLoad: " + secondTrack + ": not a regular file"))
      << program->stderrText();
  expectEscapeEndsIt();
}

TEST_F(HostileUse, ATwoTerabyteTrackIsTooLargeAndTheProgramGoesOn) {
  std::ofstream(folder + "/" + secondTrack).flush();
  ASSERT_EQ(truncate((folder + "/" + secondTrack).c_str(), off_t(2) << 40), 0);
  start(1024, 768);
  ASSERT_TRUE(xdotool({"key", "b"}));
  EXPECT_TRUE(stderrShows("zolta: BASS_MusicLoad: " + secondTrack + ": too large"))
      << program->stderrText();
  expectEscapeEndsIt();
}

TEST_F(HostileUse, HangUpEndsItNormally) {
  start(1024, 768);
  ASSERT_EQ(kill(program->pid(), SIGHUP), 0);
  int status = -1;
  ASSERT_TRUE(program->waitForExit(waitMs, &status)) << "still running after SIGHUP";
  EXPECT_EQ(status, 0) << "status 129 is death by the signal, without the shut-down; stderr:\n"
                       << program->stderrText();
  EXPECT_EQ(program->stderrText(), "");
}

// The X server going away (a logout, a killed server) once ran the exit-time destructors while
// the audio thread still mixed the musics they freed.
TEST_F(HostileUse, LosingTheDisplayEndsItAtOnceWithOneLine) {
  start(1024, 768);
  probe.reset();  // its connection would end the test process along with the server
  server->stop();
  const auto stopped = std::chrono::steady_clock::now();
  int status = -1;
  ASSERT_TRUE(program->waitForExit(waitMs, &status)) << "still running without its display";
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - stopped);
  EXPECT_LE(ms.count(), displayLossExitMs);
  EXPECT_EQ(status, 255);
  EXPECT_EQ(program->stderrText(), "zolta: lost the connection to the display - ending\n");
}

// With no window manager, minimising unmaps the window and X drops the keyboard focus; shown
// again, the window must take the focus back or keys go nowhere.
TEST_F(HostileUse, AfterARestoreWithoutAWindowManagerKeysStillWork) {
  std::ofstream(folder + "/" + secondTrack) << "not a module";
  start(1024, 768);
  ASSERT_TRUE(xdotool(
      {"mousemove", std::to_string(info.x + 600), std::to_string(info.y + 5), "click", "1"}));
  ASSERT_TRUE(waitForWindow(false, 0))
      << "the minimise zone did not take the window off the screen";
  ASSERT_TRUE(xdotool({"search", "--name", std::string("^") + title + "$", "windowmap", "--sync"}));
  ASSERT_TRUE(waitForWindow(true, 640)) << "not shown again";
  const auto xdotoolOutput = [&](const std::vector<std::string>& arguments) {
    std::vector<std::string> command = {"/usr/bin/xdotool"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return runProgram(command, "/", {"DISPLAY=" + server->display()}, {}, waitMs).output;
  };
  const std::string ours = xdotoolOutput({"search", "--name", std::string("^") + title + "$"});
  ASSERT_FALSE(ours.empty());
  ASSERT_TRUE(waitUntil([&] { return xdotoolOutput({"getwindowfocus"}) == ours; }, waitMs))
      << "the window did not take the keyboard focus back";
  ASSERT_TRUE(xdotool({"key", "b"}));
  EXPECT_TRUE(
      stderrShows("zolta: BASS_MusicLoad: " + secondTrack + ": not a module that can be played"))
      << "B after the restore did not change the track; stderr:\n"
      << program->stderrText();
  expectEscapeEndsIt();
}

TEST_F(HostileUse, OnAScreenSmallerThanTheWindowItsCornerStaysOnTheScreen) {
  start(320, 240);
  EXPECT_EQ(info.x, 0);
  EXPECT_EQ(info.y, 0);
  expectEscapeEndsIt();
}

// Processes named `name` (dbus-launch, dbus-daemon) that run with DISPLAY=display: started on
// behalf of a client of that display.
int processesForDisplay(const std::string& name, const std::string& display) {
  int count = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator("/proc")) {
    std::ifstream commandFile(entry.path() / "cmdline");
    std::string command;
    std::getline(commandFile, command, '\0');
    if (fs::path(command).filename() != name) continue;
    std::ifstream environmentFile(entry.path() / "environ");
    for (std::string variable; std::getline(environmentFile, variable, '\0');)
      count += variable == "DISPLAY=" + display;
  }
  return count;
}

// Without a session bus libdbus (loaded by SDL) would auto-launch one through dbus-launch: a
// daemon that outlives the program, files under ~/.dbus/, and with HOME missing a window that
// sometimes failed to open.
TEST_F(HostileUse, NoSessionBusIsLaunchedAndNoneIsNeeded) {
  const std::string home = folder + "/home";
  fs::create_directory(home);
  const std::vector<std::string> noBus = {"DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR"};
  start(1024, 768, {"HOME=" + home}, noBus);
  EXPECT_EQ(processesForDisplay("dbus-launch", server->display()), 0);
  EXPECT_EQ(processesForDisplay("dbus-daemon", server->display()), 0);
  expectEscapeEndsIt();
  EXPECT_FALSE(fs::exists(home + "/.dbus")) << "a bus was launched for the program";
  EXPECT_EQ(processesForDisplay("dbus-daemon", server->display()), 0)
      << "a bus daemon outlived the program";

  for (int run = 0; run < 20; ++run) {
    launch({"HOME=" + folder + "/missing"}, noBus);
    ASSERT_TRUE(info.viewable) << "start " << run << " with HOME missing";
    ASSERT_EQ(kill(program->pid(), SIGTERM), 0);
    int status = -1;
    ASSERT_TRUE(program->waitForExit(waitMs, &status));
    EXPECT_EQ(status, 0) << program->stderrText();
  }
  EXPECT_EQ(processesForDisplay("dbus-daemon", server->display()), 0);
}

}  // namespace
