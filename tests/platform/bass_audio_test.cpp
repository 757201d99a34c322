// The audio layer on real module files: loading, channel calls, positions through the
// module's own loop, volume, levels and spectrum, with the output pulled by hand.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/bass.h"
#include "platform/hooks/manual_audio.h"
#include "tests/support/audio_module_writer.h"

namespace {

constexpr int rate = 44100;
constexpr DWORD musicFlags = BASS_MUSIC_LOOP | BASS_MUSIC_RAMP;

class BassTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bassUseManualOutput(true);
    ASSERT_TRUE(BASS_Init(1, rate, 0, nullptr, nullptr));
    folder = freshScratchFolder("bass");
  }
  void TearDown() override {
    BASS_Free();
    std::filesystem::remove_all(folder);
  }

  HMUSIC load(const ToneModule& layout, DWORD flags = musicFlags) {
    std::string path = folder + "/tone" + std::to_string(++files) + ".mod";
    EXPECT_TRUE(writeBytes(path, makeToneModule(layout)));
    return BASS_MusicLoad(FALSE, path.c_str(), 0, 0, flags, 0);
  }

  std::vector<float> pull(double seconds) {
    std::vector<float> out(static_cast<size_t>(seconds * rate) * 2);
    bassPullOutput(out.data(), static_cast<int>(out.size() / 2));
    return out;
  }

  static float peakOf(const std::vector<float>& samples) {
    float peak = 0;
    for (float sample : samples) peak = std::fmax(peak, std::fabs(sample));
    return peak;
  }

  static int order(HMUSIC music) {
    return static_cast<int>(BASS_ChannelGetPosition(music) & 0xFFFF);
  }

  std::string folder;
  int files = 0;
};

TEST_F(BassTest, WhatIsNotAModuleLoadsAsZeroAndCallsOnZeroDoNothing) {
  writeBytes(folder + "/empty.mod", {});
  writeBytes(folder + "/notes.txt", std::vector<unsigned char>(1200, 'a'));
  std::vector<unsigned char> noise(5000);
  srand(7);
  for (unsigned char& byte : noise) byte = static_cast<unsigned char>(rand());
  writeBytes(folder + "/noise.xm", noise);
  for (const char* name : {"", "/empty.mod", "/notes.txt", "/noise.xm", "/missing.it"})
    EXPECT_EQ(BASS_MusicLoad(FALSE, (folder + name).c_str(), 0, 0, musicFlags, 0), 0u) << name;

  float spectrum[BASS_DATA_FFT_FLOATS];
  spectrum[0] = 5.0f;
  EXPECT_FALSE(BASS_ChannelPlay(0, FALSE));
  EXPECT_FALSE(BASS_ChannelPause(0));
  EXPECT_FALSE(BASS_ChannelStop(0));
  EXPECT_FALSE(BASS_ChannelSetPosition(0, 0));
  EXPECT_FALSE(BASS_ChannelSetAttributes(0, -1, 50, -1));
  EXPECT_EQ(BASS_ChannelIsActive(0), static_cast<DWORD>(BASS_ACTIVE_STOPPED));
  EXPECT_EQ(BASS_ChannelGetPosition(0), static_cast<QWORD>(-1));
  EXPECT_EQ(BASS_ChannelGetLevel(0), 0xFFFFFFFFu);
  EXPECT_EQ(BASS_ChannelGetData(0, spectrum, BASS_DATA_FFT1024), 0xFFFFFFFFu);
  EXPECT_EQ(spectrum[0], 5.0f) << "a failed GetData must leave the buffer alone";
}

// Each entry that cannot be loaded gives one stderr line with its reason, at once: a FIFO
// without a writer must not block, a 2 TB sparse file must not be read into memory.
TEST_F(BassTest, EachUnloadableFileGivesItsReasonWithoutBlockingOrAllocating) {
  ASSERT_EQ(mkfifo((folder + "/fifo.mod").c_str(), 0600), 0);
  std::filesystem::create_directory(folder + "/folder.mod");
  std::filesystem::create_symlink("/dev/zero", folder + "/device.mod");
  std::filesystem::create_symlink("absent.xm", folder + "/dangling.mod");
  const int sparse = open((folder + "/huge.mod").c_str(), O_CREAT | O_WRONLY, 0600);
  ASSERT_GE(sparse, 0);
  ASSERT_EQ(ftruncate(sparse, off_t(2) << 40), 0) << "2 TB sparse file";
  close(sparse);
  writeBytes(folder + "/limit.mod", {});
  ASSERT_EQ(truncate((folder + "/limit.mod").c_str(), (off_t(256) << 20) + 1), 0);
  writeBytes(folder + "/notes\x1b[2J.txt", std::vector<unsigned char>(1200, 'a'));

  const std::vector<std::pair<std::string, std::string>> reasons = {
      {"/fifo.mod", "not a regular file"},
      {"/folder.mod", "not a regular file"},
      {"/device.mod", "not a regular file"},
      {"/dangling.mod", "no such file"},
      {"/huge.mod", "too large"},
      {"/limit.mod", "too large"},
      {"/notes\x1b[2J.txt", "not a module that can be played"}};
  for (const auto& [name, reason] : reasons) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(BASS_MusicLoad(FALSE, (folder + name).c_str(), 0, 0, musicFlags, 0), 0u) << name;
    const std::string printedName = name[1] == 'n' ? "/notes\\x1b[2J.txt" : name;
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "zolta: BASS_MusicLoad: " + folder + printedName + ": " + reason + "\n");
  }
}

TEST_F(BassTest, DamagedModulePlaysWhatCanBeRecovered) {
  std::vector<unsigned char> bytes = makeToneModule({});
  bytes.resize(bytes.size() - 20);  // sample data cut short
  writeBytes(folder + "/cut.mod", bytes);
  HMUSIC music = BASS_MusicLoad(FALSE, (folder + "/cut.mod").c_str(), 0, 0, musicFlags, 0);
  ASSERT_NE(music, 0u);
  BASS_ChannelPlay(music, FALSE);
  pull(0.1);
  EXPECT_EQ(BASS_ChannelIsActive(music), static_cast<DWORD>(BASS_ACTIVE_PLAYING));
  EXPECT_GT(BASS_ChannelGetLevel(music) & 0xFFFF, 1000u);
}

TEST_F(BassTest, LoopFollowsTheModulesOwnJump) {
  HMUSIC music = load({.orderCount = 5, .loopToOrder = 2});
  ASSERT_NE(music, 0u);
  ASSERT_TRUE(BASS_ChannelPlay(music, FALSE));
  std::vector<int> orders;
  for (int step = 0; step < 200; ++step) {  // 2 s in 10 ms steps: orders 0-4, 2-4, 2-4 …
    pull(0.01);
    if (orders.empty() || orders.back() != order(music)) orders.push_back(order(music));
  }
  std::vector<int> expected = {0, 1, 2, 3, 4, 2, 3, 4, 2, 3, 4};
  ASSERT_GE(orders.size(), expected.size());
  orders.resize(expected.size());
  EXPECT_EQ(orders, expected);
  EXPECT_EQ(BASS_ChannelIsActive(music), static_cast<DWORD>(BASS_ACTIVE_PLAYING));
}

TEST_F(BassTest, SongEndLoopsToTheStartWithLoopFlagAndStopsWithout) {
  HMUSIC looping = load({.orderCount = 3, .loopToOrder = -1});
  HMUSIC once = load({.orderCount = 3, .loopToOrder = -1}, BASS_MUSIC_RAMP);
  BASS_ChannelPlay(looping, FALSE);
  BASS_ChannelPlay(once, FALSE);
  pull(0.4);  // into order 2 (160 ms per order)
  EXPECT_EQ(order(looping), 2);
  pull(0.2);  // past the end of the song
  EXPECT_EQ(order(looping), 0);
  EXPECT_EQ(BASS_ChannelIsActive(looping), static_cast<DWORD>(BASS_ACTIVE_PLAYING));
  EXPECT_EQ(BASS_ChannelIsActive(once), static_cast<DWORD>(BASS_ACTIVE_STOPPED));
}

TEST_F(BassTest, StopAndRestartGoBackToTheStart) {
  HMUSIC music = load({});
  BASS_ChannelPlay(music, FALSE);
  pull(0.5);
  ASSERT_EQ(order(music), 3);
  BASS_ChannelStop(music);
  BASS_ChannelSetPosition(music, 0);
  EXPECT_EQ(BASS_ChannelGetPosition(music), 0u);
  EXPECT_EQ(BASS_ChannelIsActive(music), static_cast<DWORD>(BASS_ACTIVE_STOPPED));
  float spectrum[BASS_DATA_FFT_FLOATS];
  EXPECT_EQ(BASS_ChannelGetData(music, spectrum, BASS_DATA_FFT1024), 0xFFFFFFFFu);
  EXPECT_EQ(spectrum[18], 0.0f);
  BASS_ChannelPlay(music, FALSE);
  pull(0.5);
  ASSERT_EQ(order(music), 3);
  BASS_ChannelPlay(music, TRUE);
  pull(0.01);
  EXPECT_EQ(order(music), 0);
}

TEST_F(BassTest, LevelIsThePeakOfTheLast20msPlayed) {
  HMUSIC music = load({.volume = 64});
  BASS_ChannelPlay(music, FALSE);
  pull(0.2);
  std::vector<float> heard = pull(0.02);  // exactly the level window
  float left = 0, right = 0;
  for (size_t i = 0; i < heard.size(); i += 2) {
    left = std::fmax(left, std::fabs(heard[i]));
    right = std::fmax(right, std::fabs(heard[i + 1]));
  }
  DWORD level = BASS_ChannelGetLevel(music);
  ASSERT_GT(left, 0.1f);
  EXPECT_NEAR(static_cast<double>(level & 0xFFFF), left * 32768.0, 1.0);
  EXPECT_NEAR(static_cast<double>(level >> 16), right * 32768.0, 1.0);
}

// The volume attribute scales what is heard but not what the analysis measures: the bars,
// levels and fountains look the same at every volume and go on at volume 0.
TEST_F(BassTest, VolumeChangesTheOutputButNotTheLevelOrSpectrum) {
  HMUSIC music = load({.volume = 64});
  BASS_ChannelPlay(music, FALSE);
  pull(0.2);
  float spectrumAt100[BASS_DATA_FFT_FLOATS];
  BASS_ChannelGetData(music, spectrumAt100, BASS_DATA_FFT1024);
  const DWORD levelAt100 = BASS_ChannelGetLevel(music);
  const float peakAt100 = peakOf(pull(0.05));
  ASSERT_GT(levelAt100 & 0xFFFF, 1000u);

  for (int volume : {80, 10, 0}) {
    ASSERT_TRUE(BASS_ChannelSetAttributes(music, -1, volume, -1));
    pull(0.05);  // past the FFT window: everything measured was played at this volume
    EXPECT_NEAR(peakOf(pull(0.05)) / peakAt100, volume / 100.0f, 0.02f)
        << "the output follows volume " << volume;
    EXPECT_EQ(BASS_ChannelGetLevel(music), levelAt100) << "level at volume " << volume;
    float spectrum[BASS_DATA_FFT_FLOATS];
    ASSERT_EQ(BASS_ChannelGetData(music, spectrum, BASS_DATA_FFT1024), 8192u);
    for (int bin = 14; bin < 24; ++bin)
      EXPECT_NEAR(spectrum[bin], spectrumAt100[bin], 0.01f * spectrumAt100[18])
          << "bin " << bin << " at volume " << volume;
  }
}

TEST_F(BassTest, SteadyToneReadsItsAmplitudeInBin18) {
  HMUSIC music = load({});
  BASS_ChannelPlay(music, FALSE);
  pull(0.1);
  std::vector<float> heard = pull(0.05);
  float amplitude = 0;
  for (size_t i = 0; i < heard.size(); i += 2)
    amplitude = std::fmax(amplitude, std::fabs(0.5f * (heard[i] + heard[i + 1])));
  float spectrum[BASS_DATA_FFT_FLOATS];
  for (float& value : spectrum) value = -1.0f;
  EXPECT_EQ(BASS_ChannelGetData(music, spectrum, BASS_DATA_FFT1024), 8192u);
  int peak = 0;
  for (int bin = 0; bin < 512; ++bin) {
    ASSERT_GE(spectrum[bin], 0.0f);
    if (spectrum[bin] > spectrum[peak]) peak = bin;
  }
  EXPECT_EQ(peak, 18);
  EXPECT_NEAR(spectrum[18], amplitude, amplitude * 0.05f) << "a centred sine reads its amplitude";
  for (int bin = 512; bin < BASS_DATA_FFT_FLOATS; ++bin) ASSERT_EQ(spectrum[bin], 0.0f);
}

TEST_F(BassTest, FreedMusicIsGoneAndOthersPlayOn) {
  HMUSIC first = load({});
  HMUSIC second = load({});
  ASSERT_NE(first, second);
  BASS_ChannelPlay(first, FALSE);
  BASS_ChannelPlay(second, FALSE);
  EXPECT_TRUE(BASS_MusicFree(first));
  EXPECT_FALSE(BASS_ChannelPlay(first, FALSE));
  pull(0.05);
  EXPECT_NE(BASS_ChannelGetLevel(second), 0xFFFFFFFFu);
  BASS_Free();
  EXPECT_EQ(BASS_ChannelIsActive(second), static_cast<DWORD>(BASS_ACTIVE_STOPPED));
  EXPECT_EQ(BASS_MusicLoad(FALSE, (folder + "/tone1.mod").c_str(), 0, 0, musicFlags, 0), 0u)
      << "nothing loads without BASS_Init";
  ASSERT_TRUE(BASS_Init(1, rate, 0, nullptr, nullptr));
}

}  // namespace
