// The whole frame on the real device off-screen (Mesa's llvmpipe under SDL's offscreen driver):
// renderFrame with twelve titles, the metaballs and every effect, Present included.
// Reports the median per frame of the main thread's CPU time (the program, the Direct3D layer
// and the GL driver's front end; llvmpipe rasterises on threads of its own) and of the wall
// time, and the frames per second that the wall time allows.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <vector>

#include "frame/render_frame.h"
#include "tests/support/frame_scene.h"

namespace {

constexpr float frameSeconds = 1.0f / 60.0f;  // seconds handed to every frame
constexpr int warmUpFrames = 30;              // frames before measuring (caches, first polygonise)

double threadSeconds() {
  timespec now;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return now.tv_sec + now.tv_nsec * 1e-9;
}

double median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
  return values[values.size() / 2];
}

void wholeFrame(benchmark::State& state) {
  if (!openFrameScene()) {
    state.SkipWithError("no Direct3D device could be made");
    return;
  }
  useFrameTracks(12);
  for (int i = 0; i < warmUpFrames; ++i) renderFrame(frameSeconds);

  std::vector<double> cpu, wall;
  for (auto _ : state) {
    double cpuStart = threadSeconds();
    auto wallStart = std::chrono::steady_clock::now();
    renderFrame(frameSeconds);
    wall.push_back(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count());
    cpu.push_back(threadSeconds() - cpuStart);
  }
  double wallMedian = median(wall);
  state.counters["cpu_median_ms"] = median(cpu) * 1e3;
  state.counters["wall_median_ms"] = wallMedian * 1e3;
  state.counters["fps"] = wallMedian > 0 ? 1.0 / wallMedian : 0;
  closeFrameScene();
}

}  // namespace

BENCHMARK(wholeFrame)->Iterations(1000)->Unit(benchmark::kMillisecond);
