// The player on real tone modules through the real audio layer and a real window: the
// commands, the automatic advance (sent to the window as the "B" key release), the volume
// of each new track and tracks that cannot be played. Frames are simulated by pulling the
// output by hand and running checkAutoAdvance, as renderFrame does.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "music/playback.h"
#include "music/playlist.h"
#include "platform/hooks/manual_audio.h"
#include "tests/support/audio_module_writer.h"
#include "tests/support/test_window.h"

namespace {

constexpr int rate = 44100;
constexpr double frameSeconds = 0.016;  // one simulated frame

int advanceMessages = 0;  // "B" key releases that reached the window

LRESULT CALLBACK keyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_KEYUP && wParam == 'B') {
    ++advanceMessages;
    nextTrack();
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

class PlaybackTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { appWindow = createTestWindow("PlaybackTest", keyProc, 64, 64); }

  void SetUp() override {
    ASSERT_NE(appWindow, nullptr);
    previousFolder = std::filesystem::current_path();
    std::filesystem::current_path(freshScratchFolder("playback"));
    std::filesystem::create_directories("data/msx");
    musicChannel = 0;
    currentTrack = carouselSteps = advanceMessages = 0;
    volume = 80;
    paused = stopped = advanceArmed = false;
    repeatTrack = true;
    bassUseManualOutput(true);
    startAudio();
  }

  void TearDown() override {
    stopAudio();
    destroyPlaylist();
    std::filesystem::path scratch = std::filesystem::current_path();
    std::filesystem::current_path(previousFolder);
    std::filesystem::remove_all(scratch);
  }

  // Tracks "Test-A.mod", "Test-B.mod" … in this display order, then start-up as WinMain does it.
  void start(const std::vector<ToneModule>& tracks) {
    for (size_t i = 0; i < tracks.size(); ++i)
      writeBytes("data/msx/Test-" + std::string(1, static_cast<char>('A' + i)) + ".mod",
                 makeToneModule(tracks[i]));
    startPlaylist();
  }

  void startPlaylist() {
    scanMusicFolder();
    deriveTrackFields();
    ASSERT_GT(playlist.count, 0);
    loadAndPlay(playlist.playOrder[0]->path);
    setVolume(volume);
  }

  // Plays `seconds` of output in frames, running the automatic advance before each, and keeps
  // the left channel's peak in the last frame (0-32768, as a level reads).
  void play(double seconds) {
    std::vector<float> output(static_cast<size_t>(frameSeconds * rate) * 2);
    for (double done = 0; done < seconds; done += frameSeconds) {
      checkAutoAdvance();
      bassPullOutput(output.data(), static_cast<int>(output.size() / 2));
    }
    heardLeftPeak = 0;
    for (size_t i = 0; i < output.size(); i += 2)
      heardLeftPeak = std::max(heardLeftPeak, std::abs(output[i]) * 32768.0f);
  }

  static int order() { return static_cast<int>(BASS_ChannelGetPosition(musicChannel) & 0xFFFF); }

  std::filesystem::path previousFolder;
  float heardLeftPeak = 0;
};

const ToneModule loopsToOrder2 = {.orderCount = 5, .loopToOrder = 2};  // 0.8 s, then 2-4 again

TEST_F(PlaybackTest, AdvancesWhenTheTuneLoopsBackWithRepeatOff) {
  start({loopsToOrder2, loopsToOrder2, loopsToOrder2});
  repeatTrack = false;
  HMUSIC first = musicChannel;
  play(0.75);
  EXPECT_EQ(currentTrack, 0);
  EXPECT_TRUE(advanceArmed);
  play(0.1);  // the jump back to order 2
  EXPECT_EQ(advanceMessages, 1);
  EXPECT_EQ(currentTrack, 1);
  EXPECT_EQ(carouselSteps, 1);
  EXPECT_FALSE(advanceArmed);
  EXPECT_NE(musicChannel, first);
  EXPECT_EQ(BASS_ChannelIsActive(first), static_cast<DWORD>(BASS_ACTIVE_STOPPED))
      << "replaced music is freed";
  EXPECT_LE(order(), 1);
  EXPECT_EQ(BASS_ChannelIsActive(musicChannel), static_cast<DWORD>(BASS_ACTIVE_PLAYING));
}

TEST_F(PlaybackTest, NeverAdvancesWithRepeatOnOnTheLastTrackOrForOtherLoops) {
  start({loopsToOrder2, loopsToOrder2});
  play(3.0);
  EXPECT_EQ(currentTrack, 0) << "repeat on";
  repeatTrack = false;
  nextTrack();
  play(3.0);
  EXPECT_EQ(currentTrack, 1) << "last track";
  EXPECT_EQ(advanceMessages, 0);
}

TEST_F(PlaybackTest, NeverAdvancesForALoopAboveOrder2OrATuneWithoutOneAbove) {
  start({{.orderCount = 6, .loopToOrder = 3}, {.orderCount = 3, .loopToOrder = 0}, loopsToOrder2});
  repeatTrack = false;
  play(3.0);
  EXPECT_EQ(currentTrack, 0) << "loop back to order 3";
  nextTrack();
  play(3.0);
  EXPECT_EQ(currentTrack, 1) << "no order above 2";
  EXPECT_FALSE(advanceArmed);
  EXPECT_EQ(advanceMessages, 0);
}

TEST_F(PlaybackTest, StopAndPlayRestartFromTheBeginning) {
  start({loopsToOrder2, loopsToOrder2});
  play(0.55);
  ASSERT_EQ(order(), 3);
  stopMusic();
  EXPECT_TRUE(stopped);
  EXPECT_EQ(BASS_ChannelIsActive(musicChannel), static_cast<DWORD>(BASS_ACTIVE_STOPPED));
  EXPECT_EQ(order(), 0);
  togglePause();
  EXPECT_FALSE(paused) << "a stopped music cannot be paused";
  playMusic();
  EXPECT_FALSE(stopped);
  play(0.1);
  EXPECT_EQ(order(), 0);
  play(0.45);
  ASSERT_EQ(order(), 3);
  playMusic();  // while playing: from the beginning again
  play(0.05);
  EXPECT_EQ(order(), 0);
  EXPECT_EQ(currentTrack, 0);
}

TEST_F(PlaybackTest, StopOrRestartWithTheLatchSetAdvancesNextFrame) {
  start({loopsToOrder2, loopsToOrder2, loopsToOrder2});
  repeatTrack = false;
  play(0.55);
  ASSERT_TRUE(advanceArmed);
  stopMusic();
  play(frameSeconds);
  EXPECT_EQ(currentTrack, 1);
  EXPECT_FALSE(stopped);
  play(0.55);
  ASSERT_TRUE(advanceArmed);
  playMusic();
  play(frameSeconds);
  EXPECT_EQ(currentTrack, 2);
}

TEST_F(PlaybackTest, PauseKeepsThePositionAndPlayResumes) {
  start({loopsToOrder2});
  play(0.4);
  togglePause();
  EXPECT_TRUE(paused);
  EXPECT_EQ(BASS_ChannelIsActive(musicChannel), static_cast<DWORD>(BASS_ACTIVE_PAUSED));
  QWORD held = BASS_ChannelGetPosition(musicChannel);
  play(1.0);
  EXPECT_EQ(BASS_ChannelGetPosition(musicChannel), held);
  togglePause();
  EXPECT_FALSE(paused);
  play(0.02);
  EXPECT_EQ(order(), 2);

  togglePause();
  play(0.5);
  playMusic();  // resumes, does not restart
  EXPECT_FALSE(paused);
  play(0.02);
  EXPECT_EQ(order(), 2);
}

TEST_F(PlaybackTest, NextAndPreviousStopAtTheEnds) {
  start({loopsToOrder2, loopsToOrder2, loopsToOrder2, loopsToOrder2, loopsToOrder2, loopsToOrder2});
  HMUSIC first = musicChannel;
  previousTrack();
  EXPECT_EQ(currentTrack, 0);
  EXPECT_EQ(musicChannel, first);
  EXPECT_EQ(carouselSteps, 0);
  for (int i = 0; i < 5; ++i) nextTrack();
  EXPECT_EQ(currentTrack, 5);
  EXPECT_EQ(carouselSteps, 5);
  HMUSIC last = musicChannel;
  nextTrack();
  EXPECT_EQ(currentTrack, 5);
  EXPECT_EQ(musicChannel, last);
  EXPECT_EQ(carouselSteps, 5);
  togglePause();
  stopMusic();
  previousTrack();
  EXPECT_EQ(currentTrack, 4);
  EXPECT_EQ(carouselSteps, 4);
  EXPECT_FALSE(stopped);
  EXPECT_TRUE(paused) << "a track change leaves the pause flag alone";
}

TEST_F(PlaybackTest, EveryNewTrackPlaysAtTheSliderVolume) {
  start({loopsToOrder2, loopsToOrder2, loopsToOrder2});
  volume = 100;
  setVolume(volume);
  play(0.1);
  const float full = heardLeftPeak;
  ASSERT_GT(full, 1000.0f);
  volume = 40;
  setVolume(volume);
  play(0.1);
  EXPECT_NEAR(heardLeftPeak, full * 0.4, full * 0.02);
  nextTrack();
  play(0.1);
  EXPECT_NEAR(heardLeftPeak, full * 0.4, full * 0.02) << "after next";
  previousTrack();
  play(0.1);
  EXPECT_NEAR(heardLeftPeak, full * 0.4, full * 0.02) << "after previous";
}

TEST_F(PlaybackTest, UnplayableTracksAreSilentAndCommandsOnThemDoNothing) {
  std::filesystem::create_directories("data/msx/A folder");
  writeBytes("data/msx/B empty.mod", {});
  writeBytes("data/msx/C text.xm", std::vector<unsigned char>(600, 'x'));
  writeBytes("data/msx/D tone.mod", makeToneModule(loopsToOrder2));
  startPlaylist();
  ASSERT_EQ(playlist.count, 4);
  for (int track = 0; track < 3; ++track) {
    EXPECT_EQ(musicChannel, 0u) << playlist.playOrder[track]->path.chars();
    togglePause();
    EXPECT_FALSE(paused);
    stopMusic();
    playMusic();
    repeatTrack = false;
    play(0.1);
    EXPECT_EQ(BASS_ChannelGetLevel(musicChannel), 0xFFFFFFFFu);
    EXPECT_EQ(currentTrack, track) << "no automatic advance from a silent track";
    nextTrack();
  }
  EXPECT_NE(musicChannel, 0u);
  play(0.1);
  EXPECT_GT(heardLeftPeak, 1000.0f);
}

TEST_F(PlaybackTest, WithoutTunesEveryCommandDoesNothing) {
  testing::internal::CaptureStderr();
  scanMusicFolder();
  deriveTrackFields();
  testing::internal::GetCapturedStderr();
  nextTrack();
  previousTrack();
  togglePause();
  stopMusic();
  playMusic();
  repeatTrack = false;
  play(0.1);
  EXPECT_EQ(currentTrack, 0);
  EXPECT_EQ(carouselSteps, 0);
  EXPECT_FALSE(paused);
  EXPECT_FALSE(stopped);
  EXPECT_EQ(musicChannel, 0u);
  EXPECT_EQ(advanceMessages, 0);
}

TEST_F(PlaybackTest, DefaultTunesPlayAndAdvanceWhenTheyLoop) {
  std::filesystem::path tunes = std::filesystem::path(ZOLTA_SOURCE_DIR) / "data/msx";
  if (std::filesystem::is_directory(tunes))
    for (const auto& tune : std::filesystem::directory_iterator(tunes))
      std::filesystem::copy_file(tune.path(), "data/msx" / tune.path().filename());
  ASSERT_FALSE(std::filesystem::is_empty("data/msx"))
      << "the default tunes are missing from " << tunes;
  writeBytes("data/msx/Test-~last.mod", makeToneModule(loopsToOrder2));  // sorts after every tune
  startPlaylist();
  for (int track = 0; track < playlist.count; ++track) {
    if (track > 0) nextTrack();
    ASSERT_NE(musicChannel, 0u) << playlist.playOrder[track]->path.chars();
    DWORD loudest = 0;
    float barSum = 0;
    for (int frame = 0; frame < 125; ++frame) {  // 2 s, sampled as the frame does
      play(frameSeconds);
      float spectrum[BASS_DATA_FFT_FLOATS];
      BASS_ChannelGetData(musicChannel, spectrum, BASS_DATA_FFT1024);
      for (int bin = 16; bin < 22; ++bin) barSum += spectrum[bin];
      DWORD level = BASS_ChannelGetLevel(musicChannel);
      loudest = std::max({loudest, level & 0xFFFF, level >> 16});
    }
    EXPECT_GT(loudest, 3000u) << playlist.playOrder[track]->path.chars();
    EXPECT_GT(barSum, 0.1f) << "the spectrum bars have something to show";
  }
  // Back to the first tune: with repeat off it plays through once, loops and moves on.
  while (currentTrack > 0) previousTrack();
  repeatTrack = false;
  constexpr double longestTune = 200.0;  // seconds: tunes are 1-3 minutes
  constexpr double shortestTune = 30.0;
  double played = 0;
  for (; currentTrack == 0 && played < longestTune; played += 1.0) play(1.0);
  EXPECT_EQ(currentTrack, 1) << playlist.playOrder[0]->path.chars() << " did not advance";
  EXPECT_GT(played, shortestTune) << "advanced before the tune had played through";
  RecordProperty("seconds_to_advance", static_cast<int>(played));
}

}  // namespace
