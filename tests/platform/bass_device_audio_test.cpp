// The layer's real output device: with SDL's `disk` audio driver what it plays goes into a
// file, which must match libopenmpt's own rendering of the tune; without any device
// BASS_Init fails cleanly and the program runs silent.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/bass.h"
#include "platform/hooks/manual_audio.h"
#include "tests/support/audio_module_writer.h"

namespace {

constexpr int rate = 44100;
constexpr auto outputDeadline = std::chrono::seconds(60);  // generous; normally well under 1 s

// libopenmpt's rendering of the whole tune, played once, as the layer sets it up.
std::vector<float> referenceRendering(const std::vector<unsigned char>& bytes) {
  openmpt_module* module = openmpt_module_create_from_memory2(
      bytes.data(), bytes.size(), openmpt_log_func_silent, nullptr, openmpt_error_func_ignore,
      nullptr, nullptr, nullptr, nullptr);
  std::vector<float> all;
  float chunk[512 * 2];
  while (size_t got = openmpt_module_read_interleaved_float_stereo(module, rate, 512, chunk))
    all.insert(all.end(), chunk, chunk + got * 2);
  openmpt_module_destroy(module);
  return all;
}

std::vector<float> readFloats(const std::string& path) {
  std::vector<float> samples;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return samples;
  float buffer[4096];
  while (size_t got = std::fread(buffer, sizeof(float), 4096, file))
    samples.insert(samples.end(), buffer, buffer + got);
  std::fclose(file);
  return samples;
}

// Frames from the first to the last non-silent frame.
std::vector<float> trimSilence(const std::vector<float>& samples) {
  size_t first = 0, last = samples.size();
  while (first < samples.size() && samples[first] == 0.0f) ++first;
  while (last > first && samples[last - 1] == 0.0f) --last;
  first -= first % 2;
  last += last % 2;
  return std::vector<float>(samples.begin() + static_cast<long>(first),
                            samples.begin() + static_cast<long>(last));
}

double correlation(const std::vector<float>& a, const std::vector<float>& b) {
  double ab = 0, aa = 0, bb = 0;
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
    ab += static_cast<double>(a[i]) * b[i];
    aa += static_cast<double>(a[i]) * a[i];
    bb += static_cast<double>(b[i]) * b[i];
  }
  return ab / std::sqrt(aa * bb);
}

TEST(BassDeviceOutput, DiskDriverWritesWhatLibopenmptRenders) {
  std::string folder = freshScratchFolder("disk");
  std::string tunePath = folder + "/melody.mod";
  std::string outputPath = folder + "/output.raw";
  std::vector<unsigned char> tune =
      makeToneModule({.orderCount = 4, .loopToOrder = -1, .melody = true});
  ASSERT_TRUE(writeBytes(tunePath, tune));
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", outputPath.c_str(), 1);
  setenv("SDL_DISKAUDIODELAY", "0", 1);  // write as fast as the callback runs

  bassUseManualOutput(false);
  ASSERT_TRUE(BASS_Init(1, rate, 0, nullptr, nullptr));
  HMUSIC music =
      BASS_MusicLoad(FALSE, tunePath.c_str(), 0, 0, BASS_MUSIC_RAMP, 0);  // once, no loop
  ASSERT_NE(music, 0u);
  BASS_ChannelPlay(music, FALSE);
  auto deadline = std::chrono::steady_clock::now() + outputDeadline;
  while (BASS_ChannelIsActive(music) != BASS_ACTIVE_STOPPED &&
         std::chrono::steady_clock::now() < deadline)
    std::this_thread::yield();
  EXPECT_EQ(BASS_ChannelIsActive(music), static_cast<DWORD>(BASS_ACTIVE_STOPPED))
      << "the tune should have ended";
  BASS_Free();

  std::vector<float> written = trimSilence(readFloats(outputPath));
  std::vector<float> expected = trimSilence(referenceRendering(tune));
  ASSERT_GT(expected.size(),
            static_cast<size_t>(rate));  // 4 orders × 8 rows × 20 ms ≈ 0.64 s stereo
  EXPECT_EQ(written.size(), expected.size()) << "same length";
  double match = correlation(written, expected);
  RecordProperty("correlation", std::to_string(match));
  EXPECT_GT(match, 0.99);
  std::filesystem::remove_all(folder);
}

// A program that ends through exit() while its music plays (Xlib's own I/O error handler does
// that) must close the output first: the exit-time destructors free the table of musics the
// audio thread is mixing. The sanitizer build reports such a use after free; the child must end
// with status 0 and no report.
TEST(BassDeviceOutput, ExitWhilePlayingClosesTheOutputBeforeTheMusicsGo) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  std::string folder = freshScratchFolder("exit");
  std::vector<std::string> tunes;
  for (int i = 0; i < 4; ++i) {
    tunes.push_back(folder + "/tone" + std::to_string(i) + ".mod");
    ASSERT_TRUE(writeBytes(tunes.back(), makeToneModule({.melody = true})));
  }
  const std::string outputPath = folder + "/output.raw";
  const auto playThenExit = [&] {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", outputPath.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "0", 1);  // the callback runs without pause
    bassUseManualOutput(false);
    if (!BASS_Init(1, rate, 0, nullptr, nullptr)) std::_Exit(2);
    for (const std::string& tune : tunes)
      BASS_ChannelPlay(BASS_MusicLoad(FALSE, tune.c_str(), 0, 0, BASS_MUSIC_LOOP, 0), FALSE);
    const auto deadline = std::chrono::steady_clock::now() + outputDeadline;
    while (readFloats(outputPath).size() < static_cast<size_t>(rate) &&
           std::chrono::steady_clock::now() < deadline)
      std::this_thread::yield();
    std::exit(0);
  };
  EXPECT_EXIT(playThenExit(), testing::ExitedWithCode(0),
              testing::AllOf(testing::Not(testing::HasSubstr("Sanitizer")),
                             testing::Not(testing::HasSubstr("runtime error"))));
  std::filesystem::remove_all(folder);
}

TEST(BassDeviceOutput, WithoutADeviceInitFailsAndNothingPlays) {
  std::string folder = freshScratchFolder("nodevice");
  std::string tunePath = folder + "/tone.mod";
  ASSERT_TRUE(writeBytes(tunePath, makeToneModule({})));
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  bassUseManualOutput(false);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(BASS_Init(1, rate, 0, nullptr, nullptr));
  std::string message = testing::internal::GetCapturedStderr();
  EXPECT_EQ(message.rfind("zolta: BASS_Init: ", 0), 0u) << message;
  EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << "one line";
  HMUSIC music =
      BASS_MusicLoad(FALSE, tunePath.c_str(), 0, 0, BASS_MUSIC_LOOP | BASS_MUSIC_RAMP, 0);
  EXPECT_EQ(music, 0u);
  EXPECT_FALSE(BASS_ChannelPlay(music, FALSE));
  EXPECT_FALSE(BASS_Free());
  std::filesystem::remove_all(folder);
}

}  // namespace
