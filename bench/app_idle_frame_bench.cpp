// Cost of one idle turn of the main loop beyond its 10 ms sleep: an empty PeekMessageA (which
// pumps SDL's events for a real window), the counter read and the frame-time arithmetic, with
// a frame that draws nothing. Two clocks: the virtual one makes the sleep free, so wall time is
// all overhead; the real one sleeps, and the CPU time per turn is the figure of interest.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include "app/frame_clock.h"
#include "app/win_main.h"
#include "platform/hooks/clock.h"

namespace {

constexpr int framesPerRun = 100;     // idle turns per benchmark iteration (virtual clock)
constexpr int realFramesPerRun = 10;  // idle turns per iteration with the real 10 ms sleep

int framesLeft = 0;

void emptyFrame(float) {
  if (--framesLeft == 0) PostQuitMessage(0);
}

LRESULT CALLBACK idleProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND idleWindow() {
  static HWND window = [] {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = idleProc;
    windowClass.lpszClassName = "IdleBench";
    RegisterClassExA(&windowClass);
    HWND created = CreateWindowExA(0, "IdleBench", "idle", 0, 0, 0, 640, 482, nullptr, nullptr,
                                   nullptr, nullptr);
    ShowWindow(created, SW_SHOWNORMAL);
    return created;
  }();
  return window;
}

void runIdleTurns(benchmark::State& state, int frames) {
  if (!idleWindow()) {
    state.SkipWithError("no window");
    return;
  }
  initFrameClock();
  for (auto _ : state) {
    framesLeft = frames;
    benchmark::DoNotOptimize(runMainLoop(emptyFrame));
  }
  state.counters["per_turn"] = benchmark::Counter(
      frames, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void idleTurnVirtualClock(benchmark::State& state) {
  useVirtualClock();
  runIdleTurns(state, framesPerRun);
  useRealClock();
}
BENCHMARK(idleTurnVirtualClock)->Unit(benchmark::kMillisecond);

// CPU time of a turn that really sleeps: compare "CPU" per turn with the 10 ms of wall time.
void idleTurnRealClock(benchmark::State& state) {
  useRealClock();
  runIdleTurns(state, realFramesPerRun);
}
BENCHMARK(idleTurnRealClock)->Unit(benchmark::kMillisecond)->Iterations(20);

// Baseline for the above: the CPU time that the 10 ms sleep alone costs (waking up included).
void sleepAlone(benchmark::State& state) {
  useRealClock();
  for (auto _ : state) {
    for (int i = 0; i < realFramesPerRun; ++i) Sleep(10);
  }
  state.counters["per_turn"] =
      benchmark::Counter(realFramesPerRun, benchmark::Counter::kIsIterationInvariantRate |
                                               benchmark::Counter::kInvert);
}
BENCHMARK(sleepAlone)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace
