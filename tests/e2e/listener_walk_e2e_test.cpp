// A listener's walk through the disk: the real program in a real window on a private X server
// (1024 × 768), worked with xdotool, watched with ImageMagick screenshots and heard through
// SDL's disk audio driver, whose recording is compared with libopenmpt's rendering of the tunes
// by correlation (the recording is aligned on the tune first; no timing is assumed).
#include <gtest/gtest.h>
#include <signal.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>

#include "tests/support/audio_module_writer.h"
#include "tests/support/e2e_run.h"
#include "tests/support/e2e_sound.h"
#include "tests/support/shell_x11_probe.h"
#include "tests/support/shell_xvfb.h"

namespace {

namespace fs = std::filesystem;

// Bound on the window and the first still picture (slow start on a busy machine)
constexpr int startWaitMs = 60000;
constexpr int changeWaitMs = 20000;  // bound on a picture change or a window move
// Bound on the recording reaching a point, beyond its own length
constexpr int soundWaitMs = 30000;
constexpr int exitWaitMs = 30000;            // bound on the program ending
constexpr int windowX = 192, windowY = 144;  // a 640 × 482 window centred on 1024 × 768
constexpr int tolerance = 24;                // per channel, for pixels that should be the same
constexpr double listenSeconds = 2.0;        // stretch of sound compared after each command
constexpr double sameSound = 0.99;           // normalised correlation of a recording with its tune
constexpr double gainTolerance = 0.01;       // on the volume as a linear gain
constexpr long listenFrames = framesOf(listenSeconds);
constexpr double pauseSeconds = 0.3;  // shortest silence taken as the music being paused or stopped

// The default tunes in display order (sorted by title): the first two.
const char* const firstTune = "Pulsegeist - Crystal Caverns Below.xm";
const char* const secondTune = "Moxa - Harbour Lights.mod";
const char* const title = "Zolta RodiZeve #1";

constexpr Rectangle logoArea{60, 110, 170, 100};  // title artwork: still once the static is gone
// The mean brightness of the title artwork is above this (about 55); black before the first frame.
constexpr double logoGrey = 30;
constexpr Rectangle carouselArea{300, 90, 220, 160};  // the middle of the title carousel's panel
constexpr ColourRange currentTitleCyan{0,   110, 170,
                                       255, 170, 255};  // the playing title is drawn without red
constexpr ColourRange otherTitleWhite{201, 255, 201, 255, 201, 255};
constexpr int titleRowPixels = 3;   // a row with this many cyan pixels belongs to the playing title
constexpr int titlePitchRows = 14;  // rows between one title's top and the next's on the panel
constexpr int titleTextPixels = 40;  // white pixels of a title in the rows above the playing one
constexpr int playingLineTop = 142;  // client row of the top of the playing title at rest
constexpr int lineTolerance = 3;     // rows, either way
constexpr Rectangle labelDigitArea{605, 128, 30,
                                   47};  // the track number of the "now playing" label
constexpr int digitChange = 12;  // pixels that differ between two track numbers (about 28 do)
constexpr Rectangle lampArea{550, 28, 16, 16};        // the repeat lamp
constexpr Rectangle nextButtonArea{489, 14, 30, 27};  // next button, left of a pointer at (524, 46)

// Where the playing (cyan) title of the carousel stands, and how much title text lies just above
// it.
struct CarouselReading {
  int top = -1;       // first client row of the playing title, -1 if none shows
  int textAbove = 0;  // white title pixels in the pitch of rows above it
};
CarouselReading readCarousel(const std::string& shot) {
  CarouselReading reading;
  const Rectangle& area = carouselArea;
  const std::vector<int> cyan =
      pixelsPerRow(shot, area.x, area.y, area.width, area.height, currentTitleCyan);
  const std::vector<int> white =
      pixelsPerRow(shot, area.x, area.y, area.width, area.height, otherTitleWhite);
  for (size_t row = 0; row < cyan.size() && reading.top < 0; ++row)
    if (cyan[row] >= titleRowPixels) reading.top = area.y + static_cast<int>(row);
  for (int row = reading.top - titlePitchRows; reading.top >= 0 && row < reading.top; ++row)
    if (row >= area.y) reading.textAbove += white[row - area.y];
  return reading;
}

class ListenerWalk : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = makeTemporaryFolder();
    scratch = makeTemporaryFolder();
    ASSERT_FALSE(folder.empty());
    ASSERT_FALSE(scratch.empty());
    recording.path = scratch + "/heard.raw";
    shots.folder = scratch;
    fs::create_directories(folder + "/data/msx");
    std::ofstream(folder + "/_.tmp") << userNotes;
    ASSERT_TRUE(server.running()) << "Xvfb did not start";
  }
  void TearDown() override {
    program.reset();
    if (!folder.empty()) {
      if (!before.empty()) {
        EXPECT_EQ(folderSnapshot(folder), before) << "the working folder changed";
      }
      std::ifstream notes(folder + "/_.tmp");
      std::stringstream text;
      text << notes.rdbuf();
      EXPECT_EQ(text.str(), userNotes) << "the user's own _.tmp was touched";
      removeFolder(folder);
    }
    if (!scratch.empty()) removeFolder(scratch);
  }

  void copyDefaultTunes() {
    fs::copy(ZOLTA_SOURCE_DIR "/data/msx", folder + "/data/msx");  // the default tunes
  }
  std::string tune(const std::string& name) const { return folder + "/data/msx/" + name; }

  // Starts the program recording its sound, and waits for its window.
  void start() {
    before = folderSnapshot(folder);
    program = std::make_unique<ChildProcess>(
        ZOLTA_BINARY_DIR "/zolta", std::vector<std::string>{}, folder,
        std::vector<std::string>{"DISPLAY=" + server.display(), "SDL_AUDIODRIVER=disk",
                                 "SDL_DISKAUDIOFILE=" + recording.path},
        std::vector<std::string>{"SDL_VIDEODRIVER", "SDL_DISKAUDIODELAY"});
    ASSERT_TRUE(waitForWindow(windowX, windowY, 640, 482, startWaitMs))
        << describeWindow(info) << "\n"
        << program->stderrText();
  }

  bool waitForWindow(int x, int y, int width, int height, int timeoutMs) {
    return probe.waitForWindow(title, x, y, width, height, timeoutMs, &info);
  }

  void xdotool(const std::vector<std::string>& arguments) {
    EXPECT_TRUE(::xdotool(server.display(), arguments));
  }
  std::string screenX(int x) const { return std::to_string(windowX + x); }
  std::string screenY(int y) const { return std::to_string(windowY + y); }
  void moveTo(int x, int y) { xdotool({"mousemove", screenX(x), screenY(y)}); }
  void clickAt(int x, int y) { xdotool({"mousemove", screenX(x), screenY(y), "click", "1"}); }
  void moveAway() {
    moveTo(320, 400);
  }  // clear of the panel, the label, the lamp and the volume bar
  // Drags across the volume slider from x to toX at row 234.
  void dragSlider(int x, int toX) {
    xdotool({"mousemove", screenX(x), screenY(234), "mousedown", "1", "mousemove", screenX(toX),
             screenY(234), "mouseup", "1"});
  }

  // Screenshots until the track number differs from the one in `other`; the last shot, or "".
  std::string waitForOtherTrackNumber(const std::string& other) {
    return shots.waitForChange(other, labelDigitArea, digitChange, changeWaitMs);
  }
  // Screenshots until the carousel reading satisfies `wanted`; the last reading.
  CarouselReading waitForCarousel(const std::function<bool(const CarouselReading&)>& wanted) {
    CarouselReading reading;
    waitUntil([&] { return wanted(reading = readCarousel(shots.take())); }, changeWaitMs);
    return reading;
  }
  // The start-up static has faded once the title artwork shows and stays the same in two shots
  // in a row.
  std::string waitForStillPicture() { return shots.waitForStill(logoArea, logoGrey, startWaitMs); }
  // The brightness at the middle of each volume-bar segment, for messages.
  static std::string volumeBarReading(const std::string& shot) {
    std::string reading;
    for (const double brightness : volumeSegmentBrightness(shot))
      reading += std::to_string(static_cast<int>(brightness)) + " ";
    return reading;
  }
  // Screenshots until the volume bar shows `segments` lit segments (the metaballs drift over it
  // at times); the number last seen.
  int waitForVolumeBar(int segments) {
    int lit = -1;
    std::string shot;
    waitUntil([&] { return (lit = litVolumeSegments(shot = shots.take())) == segments; },
              changeWaitMs);
    if (lit != segments) ADD_FAILURE() << "volume bar brightness: " << volumeBarReading(shot);
    return lit;
  }

  static constexpr const char* userNotes = "the user's own notes\n";
  XvfbServer server{1024, 768};
  X11Probe probe{server.display()};
  X11WindowInfo info;
  std::unique_ptr<ChildProcess> program;
  std::string folder, scratch;
  DiskRecording recording{"", soundWaitMs};
  std::map<std::string, std::string> before;
  ClientAreaShots shots{server.display(), "", windowX, windowY,
                        tolerance};  // the window's client area
};

// Start-up, next, previous, pause and resume, stop and play, the volume slider, Escape.
TEST_F(ListenerWalk, PlayerCommandsAreHeardAndSeen) {
  copyDefaultTunes();
  const Sound first = renderModule(tune(firstTune), 120.0);
  const Sound second = renderModule(tune(secondTune), 10.0);
  ASSERT_GT(first.frames(), 0);
  ASSERT_GT(second.frames(), 0);
  const long firstSound = soundFrom(first, 0);
  start();

  // Start-up: the static fades out; the first tune plays from its start at volume 80.
  const std::string settled = waitForStillPicture();
  ASSERT_FALSE(settled.empty()) << "the title artwork never came to rest (static noise?)";
  Sound heard = recording.listenFor(
      [&](const Sound& sound) { return soundFrom(sound, 0) + listenFrames <= sound.frames(); });
  const long started = soundFrom(heard, 0);
  EXPECT_GT(correlation(heard, started, first, firstSound, listenFrames), sameSound)
      << "not the first tune";
  EXPECT_NEAR(gainOf(heard, started, first, firstSound, listenFrames), 0.80, gainTolerance)
      << "not at volume 80";

  // The first title is the playing one, on the line at the top of the carousel. (The metaballs
  // drift over the carousel at times: shots are taken until one shows it clear.)
  const CarouselReading atStart = waitForCarousel([](const CarouselReading& reading) {
    return std::abs(reading.top - playingLineTop) <= lineTolerance && reading.textAbove == 0;
  });
  EXPECT_NEAR(atStart.top, playingLineTop, lineTolerance) << "the playing title is not on the line";
  EXPECT_EQ(atStart.textAbove, 0) << "a title above the first one";

  // Hovering the next button highlights it; clicking it glides the carousel up one title, shows
  // track 2 and plays the second tune from its start, still at volume 80.
  moveTo(524, 46);
  const std::string hovered = shots.waitForChange(settled, nextButtonArea, 100, changeWaitMs);
  ASSERT_FALSE(hovered.empty()) << "the next button was not highlighted";
  long mark = recording.heardFrames();
  xdotool({"click", "1"});
  moveAway();
  const std::string afterNext = waitForOtherTrackNumber(settled);
  EXPECT_FALSE(afterNext.empty()) << "the label did not change after clicking next";
  const CarouselReading moved = waitForCarousel([&](const CarouselReading& reading) {
    return std::abs(reading.top - playingLineTop) <= lineTolerance &&
           reading.textAbove >= titleTextPixels;
  });
  EXPECT_NEAR(moved.top, playingLineTop, lineTolerance)
      << "the new playing title did not come to rest on the line";
  EXPECT_GE(moved.textAbove, titleTextPixels)
      << "the first title did not move up above the playing one";
  heard = recording.listenUntil(recording.heardFrames() + listenFrames + framesOf(1.0));
  Alignment at = align(heard, mark, heard.frames() - listenFrames, second, 0, listenFrames);
  EXPECT_GT(at.correlation, sameSound) << "the second tune was not heard from its start after next";
  EXPECT_NEAR(gainOf(heard, at.start, second, 0, listenFrames), 0.80, gainTolerance);

  // Previous: track 1 again, from its start.
  mark = recording.heardFrames();
  clickAt(348, 30);
  moveAway();
  EXPECT_FALSE(waitForOtherTrackNumber(afterNext).empty())
      << "the label did not change after previous";
  heard = recording.listenUntil(recording.heardFrames() + listenFrames + framesOf(1.0));
  at = align(heard, mark, heard.frames() - listenFrames, first, 0, listenFrames);
  ASSERT_GT(at.correlation, sameSound)
      << "the first tune was not heard from its start after previous";
  long offset = at.start;  // recording frame = tune frame + offset while it plays on

  // Pause: silence; pausing again resumes where it stopped.
  mark = recording.heardFrames();
  clickAt(388, 30);
  const long paused = recording.waitForSilence(mark, framesOf(pauseSeconds), &heard);
  ASSERT_GE(paused, 0) << "no silence after pause";
  EXPECT_GT(correlation(heard, paused - listenFrames, first, paused - listenFrames - offset,
                        listenFrames),
            sameSound)
      << "the first tune did not play on until the pause";
  xdotool({"click", "1"});
  const long resumed = recording.waitForSoundAfter(paused, listenFrames, &heard);
  EXPECT_GE(resumed - paused, framesOf(pauseSeconds));
  EXPECT_GT(correlation(heard, resumed, first, paused - offset, listenFrames), sameSound)
      << "the tune did not resume where it was paused";
  offset += resumed - paused;

  // Stop: silence; play: the tune starts again from the top.
  mark = recording.heardFrames();
  clickAt(428, 30);
  const long stopped = recording.waitForSilence(mark, framesOf(pauseSeconds), &heard);
  ASSERT_GE(stopped, 0) << "no silence after stop";
  EXPECT_GT(correlation(heard, stopped - listenFrames, first, stopped - listenFrames - offset,
                        listenFrames),
            sameSound);
  EXPECT_GT(stopped - offset, firstSound + listenFrames) << "stopped too early to tell a restart";
  clickAt(468, 30);
  const long replayed = recording.waitForSoundAfter(stopped, listenFrames, &heard);
  EXPECT_GT(correlation(heard, replayed, first, firstSound, listenFrames), sameSound)
      << "play after stop did not start the tune from the top";
  offset = replayed - firstSound;

  // The volume slider: the bar shows the new volume and the sound follows it in proportion.
  EXPECT_EQ(waitForVolumeBar(8), 8) << "volume 80 lights eight segments";
  const struct { int toX, volume, segments; } drags[] = {{447, 49, 5}, {412, 20, 2}, {506, 99, 10}};
  int fromX = 400;
  for (const auto& drag : drags) {
    dragSlider(fromX, drag.toX);
    moveAway();
    fromX = drag.toX;
    EXPECT_EQ(waitForVolumeBar(drag.segments), drag.segments) << "volume " << drag.volume;
    heard = recording.listenUntil(recording.heardFrames() + listenFrames + framesOf(0.5));
    const long end = heard.frames() - listenFrames;
    EXPECT_GT(correlation(heard, end, first, end - offset, listenFrames), sameSound)
        << "volume " << drag.volume;
    EXPECT_NEAR(gainOf(heard, end, first, end - offset, listenFrames), drag.volume / 100.0,
                gainTolerance)
        << "volume " << drag.volume;
  }

  xdotool({"key", "Escape"});
  expectExitStatusZero(*program, exitWaitMs);
}

// The repeat box puts the lamp out, and then a short looping tune advances by itself when it
// loops; the close zone ends the program.
TEST_F(ListenerWalk, WithoutRepeatATuneAdvancesWhenItLoops) {
  constexpr int rowsPerOrder = 16;  // 0.32 s an order: five orders make a 1.6 s loop
  // Sample volume 48: loud enough to hear, below the level at which the note fountains launch,
  // so that no note crosses the title artwork while the picture is waited on to come to rest.
  ToneModule looping{5, rowsPerOrder, 0, 48, false};
  ToneModule melody{5, rowsPerOrder, 0, 48, true};
  ASSERT_TRUE(writeBytes(tune("Alpha - Loop.mod"), makeToneModule(looping)));
  ASSERT_TRUE(writeBytes(tune("Beta - Melody.mod"), makeToneModule(melody)));
  const Sound loop = renderModule(tune("Alpha - Loop.mod"), 60.0);
  const Sound next = renderModule(tune("Beta - Melody.mod"), 10.0);
  const long loopFrames = framesOf(5 * rowsPerOrder * 0.02);
  const long firstThreeOrders = framesOf(3 * rowsPerOrder * 0.02);
  const long loopSound = soundFrom(loop, 0);
  start();

  // With the repeat lamp lit the tune loops: after two whole loops it is still the same tune.
  const std::string settled = waitForStillPicture();
  ASSERT_FALSE(settled.empty());
  Sound heard = recording.listenFor([&](const Sound& sound) {
    return soundFrom(sound, 0) + 2 * loopFrames + listenFrames <= sound.frames();
  });
  const long offset = soundFrom(heard, 0) - loopSound;  // recording frame = tune frame + offset
  EXPECT_GT(correlation(heard, offset + loopSound, loop, loopSound, 2 * loopFrames + listenFrames),
            sameSound)
      << "the tune did not loop";

  const long mark = recording.heardFrames();
  clickAt(559, 36);
  moveAway();
  EXPECT_FALSE(shots.waitForChange(settled, lampArea, 20, changeWaitMs).empty())
      << "the repeat lamp did not go out";

  // The next tune follows on its own, in the first orders of a new loop.
  Alignment at;
  heard = recording.listenFor([&](const Sound& sound) {
    at = align(sound, mark, sound.frames() - listenFrames, next, 0, listenFrames);
    return at.correlation > sameSound;
  });
  EXPECT_GT(at.correlation, sameSound) << "the next tune never came";
  EXPECT_LE(at.start - mark, 2 * loopFrames + framesOf(1.0))
      << "it did not advance at the first loop";
  EXPECT_LE((at.start - offset) % loopFrames, firstThreeOrders)
      << "it advanced away from the loop point";
  const long changed = soundEndBefore(heard, at.start);  // a buffer of silence may come between
  EXPECT_GT(correlation(heard, changed - loopFrames / 2, loop, changed - loopFrames / 2 - offset,
                        loopFrames / 2),
            sameSound)
      << "the first tune did not play up to the change";
  EXPECT_FALSE(waitForOtherTrackNumber(settled).empty()) << "the label did not change";

  clickAt(621, 5);
  expectExitStatusZero(*program, exitWaitMs);
}

// Dragging the top strip moves the window; full-screen and back keep the music going; the
// minimise zone takes the window away; the system's request to end (SIGTERM) ends it cleanly.
TEST_F(ListenerWalk, WindowCommandsLeaveTheMusicPlaying) {
  copyDefaultTunes();
  const Sound first = renderModule(tune(firstTune), 120.0);
  start();
  ASSERT_FALSE(waitForStillPicture().empty());
  Sound heard = recording.listenFor(
      [&](const Sound& sound) { return soundFrom(sound, 0) + listenFrames <= sound.frames(); });
  const long offset = soundFrom(heard, 0) - soundFrom(first, 0);

  xdotool({"mousemove", screenX(300), screenY(5), "mousedown", "1", "mousemove", screenX(400),
           screenY(65), "mouseup", "1"});
  ASSERT_TRUE(waitForWindow(windowX + 100, windowY + 60, 640, 482, changeWaitMs))
      << "after a drag: " << describeWindow(info);

  xdotool({"mousemove", std::to_string(windowX + 100 + 612), std::to_string(windowY + 60 + 5),
           "click", "1"});
  ASSERT_TRUE(waitForWindow(0, 0, 1024, 768, changeWaitMs))
      << "not full-screen: " << describeWindow(info);
  EXPECT_FALSE(info.shaped && info.shapeWidth == 639)
      << "the rounded shape still clips the full screen";
  // The picture is 1024 × 768 here: client pixel (612, 5) is at screen (979, 8).
  xdotool({"mousemove", "979", "8", "click", "1"});
  ASSERT_TRUE(waitForWindow(windowX, windowY, 640, 480, changeWaitMs))
      << "not back centred: " << describeWindow(info);
  EXPECT_TRUE(info.shaped && info.shapeWidth == 639) << "the rounded shape is gone";

  heard = recording.listenUntil(recording.heardFrames() + listenFrames);
  long end = heard.frames() - listenFrames;
  EXPECT_GT(correlation(heard, end, first, end - offset, listenFrames), sameSound)
      << "the tune did not play on through the display-mode switches";

  clickAt(600, 5);
  ASSERT_TRUE(waitUntil([&] { return !(info = probe.window(title)).viewable; }, changeWaitMs))
      << describeWindow(info);
  heard = recording.listenUntil(recording.heardFrames() + listenFrames);
  end = heard.frames() - listenFrames;
  EXPECT_GT(correlation(heard, end, first, end - offset, listenFrames), sameSound)
      << "the tune stopped when minimised";

  ASSERT_EQ(kill(program->pid(), SIGTERM), 0);
  expectExitStatusZero(*program, exitWaitMs);
}

}  // namespace
