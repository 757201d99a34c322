// Frames a second of the real program in its own window and main loop (the 10 ms sleep before
// each frame) on a private Xvfb, beside the floor of that loop: the same window, device and
// loop, each frame only a Clear and a Present. Each repetition runs both, one after the other,
// in fresh processes with the music on SDL's dummy device; frames are counted for 5 s after 2 s
// of warm-up (start-up and the 1.3 s start-up static). program_fps / floor_fps tells how much
// of the loop's rate the presentation keeps; the floor shows what the machine's software
// renderer and X server allow at all.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>

#include "app/main_window.h"
#include "app/win_main.h"
#include "gfx/device.h"
#include "tests/support/forked_program.h"
#include "tests/support/shell_xvfb.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::seconds warmUp{2};
constexpr std::chrono::seconds counted{5};

int reportPipe = -1;  // the child's end of the pipe to the benchmark
Clock::time_point firstPresent, countStart;
long presentsCounted = -1;  // -1 until the warm-up is over

// Counts the Presents of the counted stretch, then reports the rate and ends the child.
void countPresents(IDirect3DDevice9*) {
  const Clock::time_point now = Clock::now();
  if (firstPresent == Clock::time_point{}) firstPresent = now;
  if (presentsCounted < 0) {
    if (now - firstPresent < warmUp) return;
    countStart = now;
    presentsCounted = 0;
    return;
  }
  ++presentsCounted;
  if (now - countStart < counted) return;
  const double rate = static_cast<double>(presentsCounted) /
                      std::chrono::duration<double>(now - countStart).count();
  _exit(write(reportPipe, &rate, sizeof rate) == static_cast<ssize_t>(sizeof rate) ? 0 : 1);
}

void clearOnly(float) {
  IDirect3DDevice9* device = deviceState.device;
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
  device->Present(nullptr, nullptr, nullptr, nullptr);
}

int floorProgram() {
  if (createMainWindow() != 0 || createDevice(false) != 0) return -1;
  return runMainLoop(clearOnly);
}

// The rate of one run, or a negative value when it did not report.
double framesPerSecond(const XvfbServer& xvfb, int (*body)(), int readEnd) {
  double rate = -1;
  if (!runOnDisplayUntil(xvfb.display(), ZOLTA_SOURCE_DIR, countPresents, body) ||
      read(readEnd, &rate, sizeof rate) != static_cast<ssize_t>(sizeof rate))
    return -1;
  return rate;
}

void windowRate(benchmark::State& state) {
  XvfbServer xvfb(1024, 768);
  int ends[2];
  if (!xvfb.running() || pipe(ends) != 0) {
    state.SkipWithError("no Xvfb or no pipe");
    return;
  }
  reportPipe = ends[1];
  double program = 0, floor = 0;
  for (auto _ : state) {
    program = framesPerSecond(xvfb, nullptr, ends[0]);
    floor = framesPerSecond(xvfb, floorProgram, ends[0]);
    if (program <= 0 || floor <= 0) {
      state.SkipWithError("a run did not report its rate");
      break;
    }
  }
  close(ends[0]);
  close(ends[1]);
  state.counters["program_fps"] = program;
  state.counters["floor_fps"] = floor;
  state.counters["of_floor"] = program / floor;
}
BENCHMARK(windowRate)->Iterations(1)->Repetitions(5)->Unit(benchmark::kSecond);

}  // namespace
