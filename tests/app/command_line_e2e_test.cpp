// The real program started as a user would from a terminal, heard through SDL's disk audio driver
// (the window is drawn unseen): a FOLDER named on the command line plays its first title in display
// order at the volume and repeat setting asked for, and an installed program started from an empty
// working folder plays the tunes installed with it.
#include <gtest/gtest.h>
#include <signal.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/audio_module_writer.h"
#include "tests/support/e2e_run.h"
#include "tests/support/e2e_sound.h"
#include "tests/support/shell_xvfb.h"

namespace {

namespace fs = std::filesystem;

constexpr int soundWaitMs = 60000;  // bound on the first seconds of sound on a loaded machine
constexpr int exitWaitMs = 30000;
constexpr long listenFrames = framesOf(1.2);  // compared stretch: shorter than the test tunes' loop
constexpr double sameSound = 0.99;            // normalised correlation of a recording with its tune
constexpr double otherSound = 0.9;  // the other test tune shares one channel: well below sameSound
constexpr double gainTolerance = 0.01;

// The program's recording, once listenFrames of sound have been heard from its start.
class HeardRun {
 public:
  HeardRun(const std::string& program, const std::vector<std::string>& arguments,
           const std::string& workingFolder)
      : scratch_(makeTemporaryFolder()), recording_(scratch_ + "/heard.raw") {
    child_ = std::make_unique<ChildProcess>(
        program, arguments, workingFolder,
        std::vector<std::string>{"SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=disk",
                                 "SDL_DISKAUDIOFILE=" + recording_},
        std::vector<std::string>{"SDL_DISKAUDIODELAY"});
  }
  ~HeardRun() {
    child_.reset();
    removeFolder(scratch_);
  }

  // The recording with at least listenFrames after its first sound; empty after soundWaitMs.
  Sound firstSound() {
    Sound heard;
    waitUntil(
        [&] {
          if (recordedFrames(recording_) < listenFrames) return false;
          heard = readRecording(recording_);
          return soundFrom(heard, 0) + listenFrames <= heard.frames();
        },
        soundWaitMs);
    return heard;
  }
  // The recording once it holds at least `frames` frames; empty after soundWaitMs.
  Sound soundUntil(long frames) {
    if (!waitUntil([&] { return recordedFrames(recording_) >= frames; }, soundWaitMs))
      return Sound{};
    return readRecording(recording_);
  }
  // Asks the program to end as the system would; its exit status, -1 if it did not end.
  int end() {
    int status = -1;
    kill(child_->pid(), SIGTERM);
    return child_->waitForExit(exitWaitMs, &status) ? status : -1;
  }
  std::string errors() const { return child_->stderrText(); }

 private:
  std::string scratch_, recording_;
  std::unique_ptr<ChildProcess> child_;
};

// Filters SDL's own notice about the disk driver out of the program's stderr.
std::string programLines(const std::string& errors) {
  std::string kept;
  for (const std::string& line : textLines(errors))
    if (!line.starts_with("CRITICAL: ")) kept += line + "\n";
  return kept;
}

TEST(CommandLineE2eTest, AFolderNamedPlaysItsFirstTitleAtTheVolumeAndRepeatAsked) {
  const std::string work = makeTemporaryFolder();  // no data/msx/ here
  const std::string tunes = makeTemporaryFolder() + "/my tunes";
  fs::create_directories(tunes);
  // Listed by name, "Abe - Beta" comes first; by title, " Alpha" comes before " Beta".
  constexpr int rowsPerOrder = 16;  // five orders of 0.32 s: a 1.6 s loop
  const long loopFrames = framesOf(5 * rowsPerOrder * 0.02);
  const std::string first = tunes + "/Zed - Alpha.mod", second = tunes + "/Abe - Beta.mod";
  ASSERT_TRUE(writeBytes(first, makeToneModule(ToneModule{5, rowsPerOrder, 0, 64, true})));
  ASSERT_TRUE(writeBytes(second, makeToneModule(ToneModule{5, rowsPerOrder, 0, 64, false})));
  const Sound expected = renderModule(first, 10.0), other = renderModule(second, 10.0);
  const long expectedStart = soundFrom(expected, 0), otherStart = soundFrom(other, 0);

  HeardRun run(ZOLTA_BINARY_DIR "/zolta", {"--volume", "50", "--repeat", "off", tunes}, work);
  Sound heard = run.firstSound();
  ASSERT_GT(heard.frames(), 0) << "nothing heard: " << run.errors();
  const long start = soundFrom(heard, 0);
  EXPECT_GT(correlation(heard, start, expected, expectedStart, listenFrames), sameSound)
      << "not the first title in display order";
  EXPECT_LT(correlation(heard, start, other, otherStart, listenFrames), otherSound);
  EXPECT_NEAR(gainOf(heard, start, expected, expectedStart, listenFrames), 0.50, gainTolerance)
      << "not at volume 50";

  // With repeat off the second title follows when the first loops.
  heard = run.soundUntil(start + 2 * loopFrames + 2 * listenFrames);
  const Alignment next = align(heard, start + loopFrames / 2, heard.frames() - listenFrames, other,
                               otherStart, listenFrames);
  EXPECT_GT(next.correlation, sameSound) << "the second title did not follow the first";
  EXPECT_LE(next.start - start, loopFrames + framesOf(1.0))
      << "it did not advance at the first loop";

  EXPECT_EQ(run.end(), 0);
  EXPECT_EQ(programLines(run.errors()), "");
  EXPECT_TRUE(fs::is_empty(work)) << "the working folder was written to";
  removeFolder(work);
  removeFolder(fs::path(tunes).parent_path().string());
}

TEST(CommandLineE2eTest, AnInstalledProgramPlaysItsInstalledTunesFromAnEmptyFolder) {
  const std::string prefix = makeTemporaryFolder() + "/somewhere else";
  const std::string work = makeTemporaryFolder();
  const std::string install =
      "cmake --install '" ZOLTA_BINARY_DIR "' --prefix '" + prefix + "' > /dev/null";
  ASSERT_EQ(std::system(install.c_str()), 0);
  const std::string installedTunes = prefix + "/share/zolta/msx/";
  // The first title of the default tunes in display order.
  const Sound expected =
      renderModule(installedTunes + "Pulsegeist - Crystal Caverns Below.xm", 10.0);
  ASSERT_GT(expected.frames(), 0);

  HeardRun run(prefix + "/bin/zolta", {}, work);
  const Sound heard = run.firstSound();
  ASSERT_GT(heard.frames(), 0) << "nothing heard: " << run.errors();
  EXPECT_GT(correlation(heard, soundFrom(heard, 0), expected, soundFrom(expected, 0), listenFrames),
            sameSound)
      << "not the first installed tune";
  EXPECT_EQ(run.end(), 0);
  EXPECT_EQ(programLines(run.errors()),
            "zolta: no data/msx/ in the working folder - playing the installed tunes in " +
                installedTunes + "\n");
  EXPECT_TRUE(fs::is_empty(work)) << "the working folder was written to";
  removeFolder(work);
  removeFolder(fs::path(prefix).parent_path().string());
}

}  // namespace
