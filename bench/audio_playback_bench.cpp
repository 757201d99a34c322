// Cost of the audio path: decoding a tune plus the per-frame spectrum and level, as a
// share of one core in real time, and the cost of one BASS_ChannelGetData call.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/bass.h"
#include "platform/hooks/manual_audio.h"
#include "tests/support/audio_module_writer.h"

namespace {

constexpr int rate = 44100;
constexpr int frameSamples = 706;         // output frames per video frame (16 ms)
constexpr double listenedSeconds = 60.0;  // audio rendered per iteration

// The first default tune in name order, or a written melody module when there is none.
std::string benchmarkTune() {
  std::vector<std::string> tunes;
  std::filesystem::path folder = std::filesystem::path(ZOLTA_SOURCE_DIR) / "data/msx";
  if (std::filesystem::is_directory(folder))
    for (const auto& entry : std::filesystem::directory_iterator(folder))
      tunes.push_back(entry.path().string());
  std::sort(tunes.begin(), tunes.end());
  if (!tunes.empty()) return tunes.front();
  std::string path = freshScratchFolder("bench") + "/melody.mod";
  writeBytes(path, makeToneModule({.orderCount = 8, .rowsPerOrder = 64, .melody = true}));
  return path;
}

HMUSIC startTune(benchmark::State& state) {
  bassUseManualOutput(true);
  BASS_Init(1, rate, 0, nullptr, nullptr);
  std::string tune = benchmarkTune();
  HMUSIC music = BASS_MusicLoad(FALSE, tune.c_str(), 0, 0, BASS_MUSIC_LOOP | BASS_MUSIC_RAMP, 0);
  if (!music) state.SkipWithError("no tune to play");
  state.SetLabel(std::filesystem::path(tune).filename().string());
  BASS_ChannelPlay(music, FALSE);
  return music;
}

void decodeSpectrumLevel60s(benchmark::State& state) {
  HMUSIC music = startTune(state);
  std::vector<float> output(frameSamples * 2);
  float spectrum[BASS_DATA_FFT_FLOATS];
  for (auto _ : state) {
    for (int done = 0; done < listenedSeconds * rate; done += frameSamples) {
      bassPullOutput(output.data(), frameSamples);
      BASS_ChannelGetData(music, spectrum, BASS_DATA_FFT1024);
      benchmark::DoNotOptimize(BASS_ChannelGetLevel(music));
    }
  }
  // CPU time per 60 s of music, in percent of one core.
  state.counters["core_percent"] =
      benchmark::Counter(listenedSeconds / 100.0, benchmark::Counter::kIsIterationInvariantRate |
                                                      benchmark::Counter::kInvert);
  BASS_Free();
}
BENCHMARK(decodeSpectrumLevel60s)->Unit(benchmark::kMillisecond);

void channelGetData(benchmark::State& state) {
  HMUSIC music = startTune(state);
  std::vector<float> output(bassFftSize * 2);
  bassPullOutput(output.data(), bassFftSize);  // a full FFT window of music
  float spectrum[BASS_DATA_FFT_FLOATS];
  for (auto _ : state) {
    BASS_ChannelGetData(music, spectrum, BASS_DATA_FFT1024);
    benchmark::DoNotOptimize(spectrum);
  }
  BASS_Free();
}
BENCHMARK(channelGetData)->Unit(benchmark::kMicrosecond);

}  // namespace
