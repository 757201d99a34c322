// The note fountains in the real program loop (zolta-frames, on the virtual clock): a loud tune
// sends notes up from both loudspeakers, and once it is paused no new ones come. Two runs see
// the same tune file, once loud and once silent; the virtual clock and the unseeded random
// sequence make every other part of their frames the same, so what differs is the notes (and
// the spectrum bars, which are left out of the comparison).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/audio_module_writer.h"
#include "tests/support/e2e_run.h"
#include "tests/support/shell_xvfb.h"

namespace {

namespace fs = std::filesystem;

constexpr int runTimeoutMs = 90000;  // 640 frames take ~10 s here, far more on a loaded machine
constexpr int tolerance = 16;        // per channel
const char* const framesToSave = "300,340,380,600,640";
const char* const pauseAfterFrame420 = "420:C";  // C pauses: at 4.2 s, notes in flight by then
                                                 // shrink to nothing within 1.4 s
const char* const playingFrames[] = {"00300", "00340", "00380"};
const char* const pausedFrames[] = {"00600", "00640"};

struct Area {
  int x, y, width, height;  // window pixels
};
constexpr Area aboveLeftSpeaker{100, 100, 120, 230};  // left of the spectrum bars
constexpr Area aboveRightSpeaker{470, 100, 170, 230};
// Everything but the spectrum bars (x 215-320, y 255-340), as three rectangles.
constexpr Area outsideBars[] = {{0, 0, 640, 255}, {0, 255, 215, 225}, {320, 255, 320, 225}};

class NoteFountains : public ::testing::Test {
 protected:
  void SetUp() override {
    loud = runWithTone(64);
    quiet = runWithTone(0);
  }
  void TearDown() override {
    for (const std::string& folder : folders) removeFolder(folder);
  }

  // Runs zolta-frames on one steady tone on all four channels (twice as loud on each side as
  // on two) at the sample volume given; returns the folder holding its frames.
  std::string runWithTone(int sampleVolume) {
    const std::string folder = makeTemporaryFolder();
    folders.push_back(folder);
    fs::create_directories(folder + "/data/msx");
    ToneModule tone;
    tone.orderCount = 8;
    tone.rowsPerOrder = 64;  // 8 × 64 rows of 20 ms: 10 s before it loops
    tone.volume = sampleVolume;
    tone.fourChannels = true;
    EXPECT_TRUE(writeBytes(folder + "/data/msx/Test - Tone.mod", makeToneModule(tone)));
    const ProgramRun run = runProgram({ZOLTA_BINARY_DIR "/zolta-frames", "--frames", framesToSave,
                                       "--keys", pauseAfterFrame420, "--out", folder + "/shots"},
                                      folder, {"SDL_AUDIODRIVER=dummy"}, {}, runTimeoutMs);
    EXPECT_TRUE(run.ended && run.status == 0) << "status " << run.status << ", stderr:\n"
                                              << run.errors;
    return folder + "/shots/";
  }

  int differing(const char* frame, Area area) const {
    const std::string name = std::string("frame-") + frame + ".png";
    return differingPixels(loud + name, quiet + name, area.x, area.y, area.width, area.height,
                           tolerance);
  }

  std::vector<std::string> folders;
  std::string loud, quiet;
};

TEST_F(NoteFountains, LoudTuneSendsNotesFromBothSpeakersAndPauseStopsThem) {
  int left = 0, right = 0;
  for (const char* frame : playingFrames) {
    left += differing(frame, aboveLeftSpeaker);
    right += differing(frame, aboveRightSpeaker);
  }
  EXPECT_GT(left, 300) << "notes above the left loudspeaker while the tune is loud";
  EXPECT_GT(right, 300) << "notes above the right loudspeaker while the tune is loud";

  for (const char* frame : pausedFrames)
    for (const Area& area : outsideBars)
      EXPECT_EQ(differing(frame, area), 0)
          << "frame " << frame << ": a note seen 1.8 s or more after the pause";
}

}  // namespace
