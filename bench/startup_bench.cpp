// Start-up and memory of the real program: every iteration forks a fresh process that runs
// WinMain in the source folder (its data/msx/ holds the default tunes), unseen on Mesa's
// software renderer, with sound going to SDL's dummy device.
//
// startupToFirstFrame: from the fork to the first Present — window, device, the 17 pictures,
//   the playlist, the first tune loaded and playing, the first frame drawn. The process's
//   own exec and dynamic linking (about 3 ms here) come on top.
// memoryWhilePlaying: resident memory after 300 frames of play, as a whole and without the
//   software renderer's libraries (LLVM and the Mesa driver), which a hardware driver replaces.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>

#include "tests/support/forked_program.h"

namespace {

constexpr long framesOfPlay = 300;  // frames before memory is read, about 3 s of play

int reportPipe = -1;  // the child's end of the pipe to the benchmark
long presentedFrames = 0;

void endAtFirstFrame(IDirect3DDevice9*) { _exit(0); }

void reportMemoryAfterPlay(IDirect3DDevice9*) {
  if (++presentedFrames < framesOfPlay) return;
  const Resident resident = readResident();
  if (write(reportPipe, &resident, sizeof resident) != static_cast<ssize_t>(sizeof resident))
    _exit(1);
  _exit(0);
}

void startupToFirstFrame(benchmark::State& state) {
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    if (!runProgramUntil(ZOLTA_SOURCE_DIR, endAtFirstFrame)) {
      state.SkipWithError("the program did not reach its first frame");
      return;
    }
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
}
BENCHMARK(startupToFirstFrame)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

void memoryWhilePlaying(benchmark::State& state) {
  int ends[2];
  if (pipe(ends) != 0) {
    state.SkipWithError("no pipe");
    return;
  }
  reportPipe = ends[1];
  Resident resident;
  for (auto _ : state) {
    if (!runProgramUntil(ZOLTA_SOURCE_DIR, reportMemoryAfterPlay) ||
        read(ends[0], &resident, sizeof resident) != static_cast<ssize_t>(sizeof resident)) {
      state.SkipWithError("the program did not play 300 frames");
      break;
    }
  }
  close(ends[0]);
  close(ends[1]);
  state.counters["resident_MB"] = resident.totalKb / 1024.0;
  state.counters["without_renderer_MB"] = (resident.totalKb - resident.rendererKb) / 1024.0;
}
BENCHMARK(memoryWhilePlaying)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
