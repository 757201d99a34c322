// The real program on collections of 100 to 20,000 entries: data/msx/ of a scratch folder holds
// that many links to the six default tunes under generated "Artist - Title" names, and each run
// forks a fresh process that plays it (tests/support/forked_program.h).
//
// firstFrame: from the fork to the first Present, as in startup_bench, with the folder's scan,
//   the display order and the carousel's first frame.
// playing: frames 50 to 350 of play while "next" is pressed every 25 frames (so the carousel
//   glides half the time and a new tune is loaded): the median main-thread CPU and wall time of
//   a frame (the wall time holds the main loop's 10 ms sleep), and the resident memory at the
//   end, in all and without the software renderer's libraries.
#include <benchmark/benchmark.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "platform/win32.h"
#include "tests/support/audio_module_writer.h"
#include "tests/support/forked_program.h"

namespace {

// After the start-up static's first fill and the first glide
constexpr int firstMeasuredFrame = 50;
constexpr int measuredFrames = 300;
constexpr int nextEvery = 25;      // frames between "next" presses
constexpr int firstFrameRuns = 5;  // fresh processes per size for the first frame

// A working folder whose data/msx/ holds `entries` links to the default tunes, named
// "Artist <a> - Title <t>.<ext>" with numbers that do not follow the listing; removed by the
// caller.
std::string makeCollection(int entries) {
  namespace fs = std::filesystem;
  std::string folder = freshScratchFolder("collection_" + std::to_string(entries));
  const fs::path music = fs::path(folder) / "data" / "msx";
  fs::create_directories(music);
  std::vector<fs::path> tunes;
  for (const auto& tune : fs::directory_iterator(ZOLTA_SOURCE_DIR "/data/msx"))
    tunes.push_back(tune.path());
  std::sort(tunes.begin(), tunes.end());
  for (int i = 0; i < entries; ++i) {
    const fs::path& tune = tunes[size_t(i) % tunes.size()];
    const unsigned mixed = unsigned(i) * 2654435761u;
    const std::string name = "Artist " + std::to_string(mixed % 997) + " - Title " +
                             std::to_string(mixed % 100003) + tune.extension().string();
    std::error_code error;
    fs::create_hard_link(tune, music / name, error);
    if (error) fs::copy_file(tune, music / name, fs::copy_options::overwrite_existing);
  }
  return folder;
}

double threadSeconds() {
  timespec now;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

double median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::nth_element(values.begin(), values.begin() + long(values.size() / 2), values.end());
  return values[values.size() / 2];
}

void endAtFirstFrame(IDirect3DDevice9*) { _exit(0); }

void firstFrame(benchmark::State& state) {
  const std::string folder = makeCollection(int(state.range(0)));
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    if (!runProgramUntil(folder, endAtFirstFrame)) {
      state.SkipWithError("the program did not reach its first frame");
      break;
    }
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  std::filesystem::remove_all(folder);
}
BENCHMARK(firstFrame)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(5000)
    ->Arg(20000)
    ->UseManualTime()
    ->Iterations(firstFrameRuns)
    ->Unit(benchmark::kMillisecond);

// What the child sends back after its measured frames.
struct PlayReport {
  double cpuMedianMs = 0, wallMedianMs = 0;
  Resident resident;
};

int reportPipe = -1;  // the child's end of the pipe to the benchmark
int presented = 0;
double lastCpu = 0;
std::chrono::steady_clock::time_point lastWall;
std::vector<double> frameCpu, frameWall;

void measurePlay(IDirect3DDevice9*) {
  const double cpu = threadSeconds();
  const auto wall = std::chrono::steady_clock::now();
  if (presented > firstMeasuredFrame) {
    frameCpu.push_back((cpu - lastCpu) * 1e3);
    frameWall.push_back(std::chrono::duration<double, std::milli>(wall - lastWall).count());
  }
  lastCpu = cpu;
  lastWall = wall;
  if (++presented % nextEvery == 0) PostMessageA(appWindow, WM_KEYUP, 'B', 0);
  if (presented <= firstMeasuredFrame + measuredFrames) return;
  PlayReport report{median(frameCpu), median(frameWall), readResident()};
  if (write(reportPipe, &report, sizeof report) != ssize_t(sizeof report)) _exit(1);
  _exit(0);
}

void playing(benchmark::State& state) {
  const std::string folder = makeCollection(int(state.range(0)));
  int ends[2];
  if (pipe(ends) != 0) {
    state.SkipWithError("no pipe");
    return;
  }
  reportPipe = ends[1];
  PlayReport report;
  for (auto _ : state) {
    if (!runProgramUntil(folder, measurePlay) ||
        read(ends[0], &report, sizeof report) != ssize_t(sizeof report)) {
      state.SkipWithError("the program did not play its frames");
      break;
    }
  }
  close(ends[0]);
  close(ends[1]);
  std::filesystem::remove_all(folder);
  state.counters["frame_cpu_ms"] = report.cpuMedianMs;
  state.counters["frame_wall_ms"] = report.wallMedianMs;
  state.counters["resident_MB"] = double(report.resident.totalKb) / 1024.0;
  state.counters["without_renderer_MB"] =
      double(report.resident.totalKb - report.resident.rendererKb) / 1024.0;
}
BENCHMARK(playing)->Arg(100)->Arg(1000)->Arg(5000)->Arg(20000)->Iterations(1)->Unit(
    benchmark::kMillisecond);

}  // namespace
