// The program as a media player of the desktop: the real program in a real window on a private
// X server, joined to a private session bus started by the test, driven with playerctl,
// dbus-send and gdbus as desktop controls drive it. Each command is heard in the sound recorded
// through SDL's disk audio driver and seen on screen; dbus-monitor watches the announcements.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "tests/support/audio_module_writer.h"
#include "tests/support/e2e_run.h"
#include "tests/support/e2e_sound.h"
#include "tests/support/session_bus.h"
#include "tests/support/shell_x11_probe.h"
#include "tests/support/shell_xvfb.h"

namespace {

namespace fs = std::filesystem;

constexpr int startWaitMs = 60000;  // bound on the window, the bus name and the first still picture
constexpr int changeWaitMs = 20000;  // bound on a picture change or an announcement
// Bound on the recording reaching a point, beyond its own length
constexpr int soundWaitMs = 30000;
constexpr int exitWaitMs = 30000;            // bound on the program ending
constexpr int windowX = 192, windowY = 144;  // a 640 × 482 window centred on 1024 × 768
constexpr int tolerance = 24;                // per channel, for pixels that should be the same
constexpr double listenSeconds = 2.0;        // stretch of sound compared after each command
constexpr long listenFrames = framesOf(listenSeconds);
constexpr double sameSound = 0.99;      // normalised correlation of a recording with its tune
constexpr double gainTolerance = 0.01;  // on the volume as a linear gain
constexpr double pauseSeconds = 0.3;  // shortest silence taken as the music being paused or stopped
constexpr int slowerStartMs = 2000;   // how much later than without a bus the window may come
constexpr int endAfterSignalMs = 1000;  // bound on ending after SIGTERM

const char* const title = "Zolta RodiZeve #1";
const char* const firstTune = "Pulsegeist - Crystal Caverns Below.xm";  // display order 1
const char* const secondTune = "Moxa - Harbour Lights.mod";             // display order 2
const char* const objectPath = "/org/mpris/MediaPlayer2";
const char* const playerInterface = "org.mpris.MediaPlayer2.Player";

constexpr Rectangle labelDigitArea{605, 128, 30,
                                   47};           // the track number of the "now playing" label
constexpr int digitChange = 12;                   // pixels that differ between two track numbers
constexpr Rectangle lampArea{550, 28, 16, 16};    // the repeat lamp
constexpr Rectangle logoArea{60, 110, 170, 100};  // title artwork: still once the static is gone
constexpr double logoGrey = 30;                   // its mean brightness once drawn

std::string trimmed(const std::string& text) {
  const size_t end = text.find_last_not_of("\n ");
  return end == std::string::npos ? "" : text.substr(0, end + 1);
}

class DesktopBus : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(folder.empty());
    ASSERT_FALSE(scratch.empty());
    fs::create_directories(folder + "/data/msx");
    ASSERT_TRUE(server.running()) << "Xvfb did not start";
    ASSERT_TRUE(bus.running()) << "dbus-daemon did not start";
  }
  void TearDown() override {
    monitor.reset();
    program.reset();
    removeFolder(folder);
    removeFolder(scratch);
  }

  void copyDefaultTunes() {
    fs::copy(ZOLTA_SOURCE_DIR "/data/msx", folder + "/data/msx");  // the default tunes
  }
  std::string tune(const std::string& name) const { return folder + "/data/msx/" + name; }

  // Starts the program on the private bus, recording its sound; waits for its window and for
  // its name on the bus.
  void start() {
    program = std::make_unique<ChildProcess>(
        ZOLTA_BINARY_DIR "/zolta", std::vector<std::string>{}, folder,
        std::vector<std::string>{"DISPLAY=" + server.display(), "SDL_AUDIODRIVER=disk",
                                 "SDL_DISKAUDIOFILE=" + recording.path, bus.environment()},
        std::vector<std::string>{"SDL_VIDEODRIVER", "SDL_DISKAUDIODELAY", "XDG_RUNTIME_DIR"});
    ASSERT_TRUE(waitUntil(
        [&] {
          const X11WindowInfo info = probe.window(title);
          return info.viewable && info.x == windowX && info.y == windowY;
        },
        startWaitMs))
        << program->stderrText();
    ASSERT_TRUE(waitUntil(
        [&] {
          return bus.run({"playerctl", "-l"}).output.find("zolta") != std::string::npos;
        },
        startWaitMs))
        << "the player never showed on the bus\n"
        << program->stderrText();
  }

  // Runs playerctl on the program; its output without the final newline.
  std::string playerctl(const std::vector<std::string>& arguments) {
    std::vector<std::string> command{"playerctl", "--player=zolta"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    const ProgramRun run = bus.run(command);
    EXPECT_EQ(run.status, 0) << "playerctl failed: " << run.errors;
    return trimmed(run.output);
  }
  // Sends a message with dbus-send to the program; what the call ran into (stdout and stderr).
  ProgramRun dbusSend(const std::string& member, const std::vector<std::string>& arguments) {
    std::vector<std::string> command{"dbus-send",     "--session",
                                     "--print-reply", "--dest=org.mpris.MediaPlayer2.zolta",
                                     objectPath,      member};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return bus.run(command);
  }
  ProgramRun setProperty(const std::string& name, const std::string& value) {
    return dbusSend(
        "org.freedesktop.DBus.Properties.Set",
        {std::string("string:") + playerInterface, "string:" + name, "variant:" + value});
  }
  void quit() {
    const ProgramRun run = dbusSend("org.mpris.MediaPlayer2.Quit", {});
    EXPECT_EQ(run.status, 0) << run.errors;
  }
  void key(const std::string& name) {
    EXPECT_TRUE(xdotool(server.display(), {"mousemove", "10", "10", "key", name}))
        << "xdotool key " << name;
  }

  // Screenshots until the title artwork is drawn and still in two shots in a row.
  std::string waitForStillPicture() { return shots.waitForStill(logoArea, logoGrey, startWaitMs); }
  int waitForVolumeBar(int segments) {
    int lit = -1;
    waitUntil([&] { return (lit = litVolumeSegments(shots.take())) == segments; }, changeWaitMs);
    return lit;
  }

  // Where the tune's start is heard after mark, once listenSeconds of it are recorded.
  Alignment heardFromStart(long mark, const Sound& tune) {
    const Sound heard =
        recording.listenUntil(recording.heardFrames() + listenFrames + framesOf(1.0));
    return align(heard, mark, heard.frames() - listenFrames, tune, 0, listenFrames);
  }

  // Starts dbus-monitor on the announcements of property changes, writing to a file.
  void watchAnnouncements() {
    monitor = std::make_unique<ChildProcess>(
        "/bin/sh",
        std::vector<std::string>{"-c",
                                 "exec dbus-monitor --session "
                                 "\"type='signal',interface='org.freedesktop.DBus.Properties',"
                                 "member='PropertiesChanged',path='/org/mpris/MediaPlayer2'\" > " +
                                     announcements},
        "/", std::vector<std::string>{bus.environment()}, std::vector<std::string>{});
    ASSERT_TRUE(
        waitUntil([&] { return fs::exists(announcements) && fs::file_size(announcements) > 0; },
                  changeWaitMs));
  }
  std::string announced() const {
    std::ifstream file(announcements);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
  }
  bool waitForAnnouncement(const std::string& text) {
    return waitUntil([&] { return announced().find(text) != std::string::npos; }, changeWaitMs);
  }

  // Starts the program with this session bus setting (none: no bus at all) and waits for its
  // window; the milliseconds that took.
  long launch(const std::vector<std::string>& busSetting,
              const std::vector<std::string>& arguments = {}) {
    std::vector<std::string> set{"DISPLAY=" + server.display(), "SDL_AUDIODRIVER=disk",
                                 "SDL_DISKAUDIOFILE=" + recording.path};
    set.insert(set.end(), busSetting.begin(), busSetting.end());
    const auto started = std::chrono::steady_clock::now();
    program = std::make_unique<ChildProcess>(
        ZOLTA_BINARY_DIR "/zolta", arguments, folder, set,
        std::vector<std::string>{"SDL_VIDEODRIVER", "SDL_DISKAUDIODELAY", "XDG_RUNTIME_DIR",
                                 "DBUS_SESSION_BUS_ADDRESS"});
    EXPECT_TRUE(waitUntil([&] { return probe.window(title).viewable; }, startWaitMs))
        << program->stderrText();
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                 std::chrono::steady_clock::now() - started)
                                 .count());
  }
  // The program's own stderr lines (the disk audio driver writes lines of its own).
  std::vector<std::string> programLines() const {
    std::vector<std::string> lines;
    for (const std::string& line : textLines(program->stderrText()))
      if (line.rfind("zolta:", 0) == 0) lines.push_back(line);
    return lines;
  }
  // The music goes on after this point: listenSeconds of it hold no pause.
  void expectMusicHeard() {
    const long mark = recording.heardFrames();
    const Sound heard = recording.listenUntil(mark + listenFrames);
    EXPECT_LT(silenceFrom(heard, mark, framesOf(pauseSeconds)), 0) << "the music did not play";
  }

  std::string folder = makeTemporaryFolder(), scratch = makeTemporaryFolder();
  DiskRecording recording{scratch + "/heard.raw", soundWaitMs};
  std::string announcements = scratch + "/announced.txt";
  XvfbServer server{1024, 768};
  PrivateSessionBus bus{scratch};
  X11Probe probe{server.display()};
  std::unique_ptr<ChildProcess> program, monitor;
  ClientAreaShots shots{server.display(), scratch, windowX, windowY, tolerance};
};

// Next, previous, play-pause, stop, play, volume and loop status from the bus: each heard and
// seen; the metadata names the playing tune; Quit ends the program with status 0.
TEST_F(DesktopBus, RemoteCommandsAreHeardAndSeen) {
  copyDefaultTunes();
  const Sound first = renderModule(tune(firstTune), 120.0);
  const Sound second = renderModule(tune(secondTune), 10.0);
  ASSERT_GT(first.frames(), 0);
  ASSERT_GT(second.frames(), 0);
  const long firstSound = soundFrom(first, 0);
  start();
  const std::string settled = waitForStillPicture();
  ASSERT_FALSE(settled.empty()) << "the title artwork never came to rest";

  EXPECT_EQ(
      playerctl({"metadata", "--format", "{{xesam:title}}|{{xesam:artist}}|{{xesam:trackNumber}}"}),
      "Crystal Caverns Below|Pulsegeist|1");
  EXPECT_EQ(playerctl({"metadata", "xesam:url"}),
            "file://" + folder + "/data/msx/Pulsegeist%20-%20Crystal%20Caverns%20Below.xm");
  EXPECT_EQ(playerctl({"status"}), "Playing");
  EXPECT_EQ(playerctl({"loop"}), "Track");
  EXPECT_EQ(playerctl({"volume"}), "0.800000");

  // Next: the second tune from its start, track 2 on the label and in the metadata.
  long mark = recording.heardFrames();
  playerctl({"next"});
  const std::string afterNext =
      shots.waitForChange(settled, labelDigitArea, digitChange, changeWaitMs);
  EXPECT_FALSE(afterNext.empty()) << "the label did not change after Next";
  Alignment at = heardFromStart(mark, second);
  EXPECT_GT(at.correlation, sameSound) << "the second tune was not heard from its start after Next";
  EXPECT_EQ(
      playerctl({"metadata", "--format", "{{xesam:title}}|{{xesam:artist}}|{{mpris:trackid}}"}),
      "Harbour Lights|Moxa|'/org/mpris/MediaPlayer2/zolta/track/2'");

  // Previous: the first tune again, from its start.
  mark = recording.heardFrames();
  playerctl({"previous"});
  EXPECT_FALSE(shots.waitForChange(afterNext, labelDigitArea, digitChange, changeWaitMs).empty())
      << "the label did not change after Previous";
  at = heardFromStart(mark, first);
  ASSERT_GT(at.correlation, sameSound)
      << "the first tune was not heard from its start after Previous";
  long offset = at.start;  // recording frame = tune frame + offset while it plays on

  // PlayPause pauses, and again resumes where it stopped.
  mark = recording.heardFrames();
  playerctl({"play-pause"});
  Sound heard;
  const long paused = recording.waitForSilence(mark, framesOf(pauseSeconds), &heard);
  ASSERT_GE(paused, 0) << "no silence after PlayPause";
  EXPECT_EQ(playerctl({"status"}), "Paused");
  playerctl({"play-pause"});
  const long resumed = recording.waitForSoundAfter(paused, listenFrames, &heard);
  EXPECT_GT(correlation(heard, resumed, first, paused - offset, listenFrames), sameSound)
      << "the tune did not resume where it was paused";
  EXPECT_EQ(playerctl({"status"}), "Playing");

  // Stop: silence; Play: the tune from the top.
  mark = recording.heardFrames();
  playerctl({"stop"});
  const long stopped = recording.waitForSilence(mark, framesOf(pauseSeconds), &heard);
  ASSERT_GE(stopped, 0) << "no silence after Stop";
  EXPECT_EQ(playerctl({"status"}), "Stopped");
  playerctl({"play"});
  const long replayed = recording.waitForSoundAfter(stopped, listenFrames, &heard);
  EXPECT_GT(correlation(heard, replayed, first, firstSound, listenFrames), sameSound)
      << "Play after Stop did not start the tune from the top";
  offset = replayed - firstSound;

  // Volume 0.5: five segments lit, the sound at half gain.
  // (Heard first: the comparison needs the tune still within its rendered stretch.)
  playerctl({"volume", "0.5"});
  heard = recording.listenUntil(recording.heardFrames() + listenFrames + framesOf(0.5));
  const long end = heard.frames() - listenFrames;
  EXPECT_NEAR(gainOf(heard, end, first, end - offset, listenFrames), 0.50, gainTolerance);
  EXPECT_EQ(waitForVolumeBar(5), 5) << "volume 50 lights five segments";
  EXPECT_EQ(playerctl({"volume"}), "0.500000");

  // LoopStatus None: the repeat lamp goes out.
  const std::string lampLit = shots.take();
  playerctl({"loop", "None"});
  EXPECT_FALSE(shots.waitForChange(lampLit, lampArea, 20, changeWaitMs).empty())
      << "the repeat lamp did not go out";
  EXPECT_EQ(playerctl({"loop"}), "None");

  // Fullscreen from the bus switches the display mode both ways, as the full-screen zone does.
  const auto setFullscreen = [&](bool on) {
    return dbusSend("org.freedesktop.DBus.Properties.Set",
                    {"string:org.mpris.MediaPlayer2", "string:Fullscreen",
                     std::string("variant:boolean:") + (on ? "true" : "false")});
  };
  const auto windowAt = [&](int x, int y, int width) {
    return waitUntil(
        [&] {
          const X11WindowInfo info = probe.window(title);
          return info.viewable && info.x == x && info.y == y && info.width == width;
        },
        changeWaitMs);
  };
  ASSERT_EQ(setFullscreen(true).status, 0);
  EXPECT_TRUE(windowAt(0, 0, 1024)) << "not full-screen";
  ASSERT_EQ(setFullscreen(false).status, 0);
  EXPECT_TRUE(windowAt(windowX, windowY, 640)) << "not back in the window";
  EXPECT_EQ(dbusSend("org.mpris.MediaPlayer2.Raise", {}).status, 0);

  quit();
  expectExitStatusZero(*program, exitWaitMs);
}

// The announcements follow every change, whatever made it: a media key, a bus property and the
// automatic advance at the end of a loop.
TEST_F(DesktopBus, ChangesAreAnnouncedWhateverMadeThem) {
  constexpr int rowsPerOrder = 16;  // 0.32 s an order: five orders make a 1.6 s loop
  ToneModule looping{5, rowsPerOrder, 0, 64, false};
  for (const char* name : {"A - Alpha.mod", "B - Beta.mod", "C - Gamma.mod"})
    ASSERT_TRUE(writeBytes(tune(name), makeToneModule(looping)));
  start();
  watchAnnouncements();

  key("XF86AudioNext");
  EXPECT_TRUE(waitForAnnouncement("/org/mpris/MediaPlayer2/zolta/track/2")) << announced();
  EXPECT_EQ(playerctl({"metadata", "xesam:title"}), "Beta");
  // Five orders of 16 rows of 20 ms: 1.6 s, and the position lies within it.
  EXPECT_EQ(playerctl({"metadata", "mpris:length"}), "1600000");
  const double position = std::stod(playerctl({"position"}));
  EXPECT_GE(position, 0.0);
  EXPECT_LE(position, 1.6);

  key("XF86AudioPlay");
  EXPECT_TRUE(waitForAnnouncement("\"Paused\"")) << announced();
  key("XF86AudioPlay");
  EXPECT_TRUE(waitForAnnouncement("\"Playing\"")) << announced();
  key("XF86AudioStop");
  EXPECT_TRUE(waitForAnnouncement("\"Stopped\"")) << announced();
  key("XF86AudioPlay");  // a stopped tune starts again
  EXPECT_TRUE(waitUntil([&] { return playerctl({"status"}) == "Playing"; }, changeWaitMs));

  key("XF86AudioPrev");
  EXPECT_TRUE(waitUntil(
      [&] {
        return playerctl({"metadata", "xesam:title"}) == "Alpha";
      },
      changeWaitMs));
  key("XF86AudioNext");
  EXPECT_TRUE(waitUntil(
      [&] {
        return playerctl({"metadata", "xesam:title"}) == "Beta";
      },
      changeWaitMs));

  // With repeat off, the tune advances by itself when it loops; that is announced too.
  const size_t before = announced().size();
  ASSERT_EQ(setProperty("LoopStatus", "string:None").status, 0);
  EXPECT_TRUE(waitForAnnouncement("\"None\"")) << announced();
  EXPECT_TRUE(waitForAnnouncement("/org/mpris/MediaPlayer2/zolta/track/3"))
      << announced().substr(before);
  EXPECT_EQ(playerctl({"metadata", "xesam:title"}), "Gamma");

  key("Escape");
  expectExitStatusZero(*program, exitWaitMs);
}

// Bad input from the bus gets an error reply or a clamp, never a crash; a tune that cannot be
// played and a second copy on the same bus are handled too.
TEST_F(DesktopBus, BadCallsGetAnErrorOrAClamp) {
  copyDefaultTunes();
  std::ofstream(tune("Broken - Not A Module.mod")) << "this is no module";
  start();

  const auto refused = [&](const ProgramRun& run, const std::string& error) {
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.errors.find(error), std::string::npos) << run.errors;
  };
  refused(setProperty("Volume", "double:nan"), "InvalidArgs");
  refused(setProperty("Volume", "string:loud"), "InvalidArgs");
  refused(setProperty("LoopStatus", "string:Playlist"), "InvalidArgs");
  refused(setProperty("LoopStatus", "int32:1"), "InvalidArgs");
  refused(setProperty("PlaybackStatus", "string:Paused"), "PropertyReadOnly");
  refused(dbusSend("org.mpris.MediaPlayer2.Player.Next", {"string:now"}), "InvalidArgs");
  refused(dbusSend("org.mpris.MediaPlayer2.Player.Seek", {"int64:1000000"}), "NotSupported");
  refused(dbusSend("org.mpris.MediaPlayer2.Player.Rewind", {}), "UnknownMethod");
  refused(dbusSend("org.mpris.MediaPlayer2.Nothing.Next", {}), "UnknownMethod");

  ASSERT_EQ(setProperty("Volume", "double:-5").status, 0);
  EXPECT_TRUE(waitUntil([&] { return playerctl({"volume"}) == "0.000000"; }, changeWaitMs));
  ASSERT_EQ(setProperty("Volume", "double:7").status, 0);
  EXPECT_TRUE(waitUntil([&] { return playerctl({"volume"}) == "0.990000"; }, changeWaitMs));

  // Step to the track that cannot be played: every command is taken there too.
  std::string title;
  for (int step = 0; step < 8 && (title = playerctl({"metadata", "xesam:title"})) != "Not A Module";
       ++step) {
    playerctl({"next"});
    waitUntil([&] { return playerctl({"metadata", "xesam:title"}) != title; }, changeWaitMs);
  }
  ASSERT_EQ(title, "Not A Module");
  for (const char* command : {"play-pause", "pause", "stop", "play", "play-pause"})
    playerctl({command});
  EXPECT_EQ(playerctl({"metadata", "--format", "{{xesam:artist}}|{{mpris:length}}"}), "Broken|");

  // A second copy on the same bus takes the instance name; each copy quits on its own name.
  ChildProcess second(ZOLTA_BINARY_DIR "/zolta", {}, folder,
                      {"DISPLAY=" + server.display(), "SDL_AUDIODRIVER=dummy", bus.environment()},
                      {"SDL_VIDEODRIVER", "XDG_RUNTIME_DIR"});
  const std::string instance =
      "org.mpris.MediaPlayer2.zolta.instance" + std::to_string(second.pid());
  EXPECT_TRUE(waitUntil(
      [&] {
        return bus.run({"playerctl", "-l"}).output.find(instance.substr(23)) != std::string::npos;
      },
      startWaitMs))
      << bus.run({"playerctl", "-l"}).output << second.stderrText();
  EXPECT_EQ(bus.run({"dbus-send", "--session", "--print-reply", "--dest=" + instance, objectPath,
                     "org.mpris.MediaPlayer2.Quit"})
                .status,
            0);
  int status = -1;
  EXPECT_TRUE(second.waitForExit(exitWaitMs, &status)) << "the second copy did not quit";
  EXPECT_EQ(status, 0) << second.stderrText();

  quit();
  expectExitStatusZero(*program, exitWaitMs);
  EXPECT_EQ(program->stderrText().find("desktop bus"), std::string::npos) << program->stderrText();
}

// With no tunes at all every command is taken and does nothing; the player says it is stopped
// and plays nothing.
TEST_F(DesktopBus, AnEmptyMusicFolderTakesEveryCommand) {
  start();
  EXPECT_EQ(playerctl({"status"}), "Stopped");
  const ProgramRun metadata =
      dbusSend("org.freedesktop.DBus.Properties.Get",
               {std::string("string:") + playerInterface, "string:Metadata"});
  EXPECT_NE(metadata.output.find("object path \"/org/mpris/MediaPlayer2/TrackList/NoTrack\""),
            std::string::npos)
      << metadata.output << metadata.errors;
  EXPECT_EQ(metadata.output.find("xesam:title"), std::string::npos) << metadata.output;
  // Desktop controls find the launcher (and its icon) by this id: the installed one's name.
  const ProgramRun entry = dbusSend("org.freedesktop.DBus.Properties.Get",
                                    {"string:org.mpris.MediaPlayer2", "string:DesktopEntry"});
  EXPECT_NE(entry.output.find("string \"org.zolta.rodizeve\""), std::string::npos)
      << entry.output << entry.errors;
  // (playerctl itself refuses to send commands a player cannot carry out: dbus-send sends them.)
  for (const char* command : {"Play", "Pause", "PlayPause", "Next", "Previous", "Stop"}) {
    const ProgramRun run = dbusSend(std::string(playerInterface) + "." + command, {});
    EXPECT_EQ(run.status, 0) << command << ": " << run.errors;
  }
  EXPECT_EQ(setProperty("Volume", "double:0.3").status, 0);
  EXPECT_EQ(setProperty("LoopStatus", "string:None").status, 0);
  EXPECT_TRUE(waitUntil([&] { return playerctl({"volume"}) == "0.300000"; }, changeWaitMs));
  EXPECT_EQ(playerctl({"loop"}), "None");
  EXPECT_EQ(playerctl({"status"}), "Stopped");
  quit();
  expectExitStatusZero(*program, exitWaitMs);
}

// The bus going away while the program runs costs one line on stderr; the music plays on.
TEST_F(DesktopBus, LosingTheBusLeavesTheProgramPlaying) {
  copyDefaultTunes();
  start();
  ASSERT_FALSE(waitForStillPicture().empty());
  bus.stop();
  EXPECT_TRUE(
      waitUntil([&] { return program->stderrText().find("connection lost") != std::string::npos; },
                changeWaitMs));
  expectMusicHeard();
  key("Escape");
  expectExitStatusZero(*program, exitWaitMs);
  EXPECT_EQ(programLines().size(), 1u) << program->stderrText();
}

// A bus that freezes while the program runs (its daemon stopped) is noticed at the next change
// the program announces, dropped with one line, and costs nothing more: the music plays on and
// Escape ends the program at once.
TEST_F(DesktopBus, ABusThatFreezesWhileItPlaysIsDroppedWithOneLine) {
  copyDefaultTunes();
  start();
  ASSERT_FALSE(waitForStillPicture().empty());
  bus.freeze();
  key("b");  // announced: the bus does not answer the ping that goes with it
  EXPECT_TRUE(waitUntil([&] { return !programLines().empty(); }, changeWaitMs));
  expectMusicHeard();
  key("Escape");
  expectExitStatusZero(*program, exitWaitMs);
  EXPECT_EQ(programLines(),
            std::vector<std::string>{"zolta: desktop bus: connection lost (no answer from the "
                                     "session bus) - no desktop controls"});
}

// A session bus that takes the connection and never answers (a silent socket, a stopped daemon)
// neither holds the window back nor keeps the program from playing or ending: one line, and the
// window comes about as soon as with no bus at all.
TEST_F(DesktopBus, ABusThatNeverAnswersCostsOneLineAndNoWait) {
  copyDefaultTunes();
  const long withoutBus = launch({});
  key("Escape");
  expectExitStatusZero(*program, exitWaitMs);

  FakeSessionBus silent(scratch);
  ASSERT_TRUE(silent.listening());
  bus.freeze();
  for (const std::string& setting : {silent.environment(), bus.environment()}) {
    SCOPED_TRACE(setting);
    EXPECT_LE(launch({setting}), withoutBus + slowerStartMs)
        << "without a bus the window came after " << withoutBus << " ms";
    expectMusicHeard();
    key("Escape");
    expectExitStatusZero(*program, exitWaitMs);
    EXPECT_EQ(programLines(),
              std::vector<std::string>{
                  "zolta: desktop bus: no answer from the session bus - no desktop controls"});
  }
}

// SIGTERM while the program waits for a silent bus to answer ends it at once, with status 0.
TEST_F(DesktopBus, SigtermWhileJoiningASilentBusEndsIt) {
  copyDefaultTunes();
  FakeSessionBus silent(scratch);
  ASSERT_TRUE(silent.listening());
  program = std::make_unique<ChildProcess>(
      ZOLTA_BINARY_DIR "/zolta", std::vector<std::string>{}, folder,
      std::vector<std::string>{"DISPLAY=" + server.display(), "SDL_AUDIODRIVER=dummy",
                               silent.environment()},
      std::vector<std::string>{"SDL_VIDEODRIVER", "XDG_RUNTIME_DIR"});
  ASSERT_TRUE(silent.waitForClient(startWaitMs)) << program->stderrText();
  ASSERT_EQ(kill(program->pid(), SIGTERM), 0);
  int status = -1;
  EXPECT_TRUE(program->waitForExit(endAfterSignalMs, &status)) << "still running after SIGTERM";
  EXPECT_EQ(status, 0) << program->stderrText();
  EXPECT_TRUE(programLines().empty()) << program->stderrText();
}

// Peers that are no bus at all (the connection closed at once or refused, or garbage for an
// answer) cost one line each, and the program plays on.
TEST_F(DesktopBus, APeerThatIsNoBusCostsOneLine) {
  copyDefaultTunes();
  const int probeSocket = socket(AF_INET, SOCK_STREAM, 0);  // a port that was free: refused
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof local;
  ASSERT_EQ(bind(probeSocket, reinterpret_cast<sockaddr*>(&local), sizeof local), 0);
  ASSERT_EQ(getsockname(probeSocket, reinterpret_cast<sockaddr*>(&local), &length), 0);
  close(probeSocket);
  const std::string refusedPort = std::to_string(ntohs(local.sin_port));
  FakeSessionBus garbage(scratch);
  ASSERT_TRUE(garbage.listening());
  std::string garbageLines;
  for (int line = 0; line < 50; ++line) garbageLines += "\x01\x02 this is no bus\r\n";

  for (const std::string& setting :
       {std::string("DBUS_SESSION_BUS_ADDRESS=unixexec:path=/bin/true"),
        "DBUS_SESSION_BUS_ADDRESS=tcp:host=127.0.0.1,port=" + refusedPort, garbage.environment()}) {
    SCOPED_TRACE(setting);
    const bool answersGarbage = setting == garbage.environment();
    program = std::make_unique<ChildProcess>(
        ZOLTA_BINARY_DIR "/zolta", std::vector<std::string>{}, folder,
        std::vector<std::string>{"DISPLAY=" + server.display(), "SDL_AUDIODRIVER=dummy", setting},
        std::vector<std::string>{"SDL_VIDEODRIVER", "XDG_RUNTIME_DIR"});
    if (answersGarbage) {
      EXPECT_TRUE(garbage.answerNextClient(garbageLines, startWaitMs));
    }
    ASSERT_TRUE(waitUntil([&] { return probe.window(title).viewable; }, startWaitMs))
        << program->stderrText();
    key("Escape");
    expectExitStatusZero(*program, exitWaitMs);
    const std::vector<std::string> lines = programLines();
    ASSERT_EQ(lines.size(), 1u) << program->stderrText();
    EXPECT_EQ(lines[0].rfind("zolta: desktop bus: cannot join the session bus (", 0), 0u)
        << lines[0];
  }
}

// A relative FOLDER: the track's URL is absolute, also once the working folder has gone.
TEST_F(DesktopBus, TrackUrlsStayAbsoluteWhenTheWorkingFolderGoes) {
  copyDefaultTunes();
  const std::string working = folder + "/a/b";
  fs::create_directories(working);
  program = std::make_unique<ChildProcess>(
      ZOLTA_BINARY_DIR "/zolta", std::vector<std::string>{"../../data/msx"}, working,
      std::vector<std::string>{"DISPLAY=" + server.display(), "SDL_AUDIODRIVER=dummy",
                               bus.environment()},
      std::vector<std::string>{"SDL_VIDEODRIVER", "XDG_RUNTIME_DIR"});
  ASSERT_TRUE(waitUntil(
      [&] {
        return bus.run({"playerctl", "-l"}).output.find("zolta") != std::string::npos;
      },
      startWaitMs))
      << program->stderrText();
  fs::remove_all(folder + "/a");
  EXPECT_EQ(playerctl({"metadata", "xesam:url"}),
            "file://" + folder + "/data/msx/Pulsegeist%20-%20Crystal%20Caverns%20Below.xm");
  quit();
  expectExitStatusZero(*program, exitWaitMs);
}

// Without a session bus the program runs as it always has, and says nothing about it; an
// address that leads nowhere costs one line on stderr.
TEST_F(DesktopBus, WithoutASessionBusNothingChanges) {
  copyDefaultTunes();
  for (const bool brokenAddress : {false, true}) {
    std::vector<std::string> set{"DISPLAY=" + server.display(), "SDL_AUDIODRIVER=dummy"};
    if (brokenAddress)
      set.push_back("DBUS_SESSION_BUS_ADDRESS=unix:path=" + scratch + "/nobody-listens");
    program = std::make_unique<ChildProcess>(
        ZOLTA_BINARY_DIR "/zolta", std::vector<std::string>{}, folder, set,
        std::vector<std::string>{"SDL_VIDEODRIVER", "DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR"});
    ASSERT_TRUE(waitUntil([&] { return probe.window(title).viewable; }, startWaitMs))
        << program->stderrText();
    ASSERT_FALSE(waitForStillPicture().empty()) << "no picture without a bus";
    key("Escape");
    expectExitStatusZero(*program, exitWaitMs);
    const std::vector<std::string> lines = textLines(program->stderrText());
    if (brokenAddress) {
      ASSERT_EQ(lines.size(), 1u) << program->stderrText();
      EXPECT_EQ(lines[0].rfind("zolta: desktop bus: cannot join the session bus (", 0), 0u)
          << lines[0];
    } else {
      EXPECT_TRUE(lines.empty()) << program->stderrText();
    }
  }
}

}  // namespace
