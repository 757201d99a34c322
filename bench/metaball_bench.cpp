// Per-frame metaball work: sampleField + polygonise on the scene's 31^3 grid
// with the animated balls, over the first 1,000 animation frames. Reports the
// median frame time and the triangle counts.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "metaballs/metaball_passes.h"

namespace {

constexpr int sceneGrid = 30;  // cells per axis
constexpr float isoLevel = 1.0f;
constexpr int animationFrames = 1000;

void metaballFrame(benchmark::State& state) {
  std::vector<double> frameMicroseconds;
  std::vector<int> triangleCounts;
  for (auto _ : state) {
    // One run = the first 1,000 frames of the animation, from the start positions.
    state.PauseTiming();
    ballFrame = 0;
    for (Ball& ball : ballSet) ball.centre[0] = ball.centre[1] = ball.centre[2] = 0.0f;
    IsoSurface surface(nullptr, sceneGrid, isoLevel, metaballField);
    state.ResumeTiming();
    for (int frame = 0; frame < animationFrames; ++frame) {
      const auto start = std::chrono::steady_clock::now();
      surface.sampleField();
      const int count = surface.polygonise();
      const auto stop = std::chrono::steady_clock::now();
      benchmark::DoNotOptimize(count);
      animateBalls();
      frameMicroseconds.push_back(std::chrono::duration<double, std::micro>(stop - start).count());
      if (frame >= 2) triangleCounts.push_back(count);  // frames 0-1 see all centres at the origin
    }
  }
  std::sort(frameMicroseconds.begin(), frameMicroseconds.end());
  std::sort(triangleCounts.begin(), triangleCounts.end());
  state.counters["median_frame_us"] = frameMicroseconds[frameMicroseconds.size() / 2];
  state.counters["p90_frame_us"] = frameMicroseconds[frameMicroseconds.size() * 9 / 10];
  state.counters["min_triangles"] = triangleCounts.front();
  state.counters["median_triangles"] = triangleCounts[triangleCounts.size() / 2];
  state.counters["max_triangles"] = triangleCounts.back();
}
BENCHMARK(metaballFrame)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
