// Per-frame cost of the effects: the start-up static's fill of its 640 x 480 texture, and
// every effect block of a frame after the static has ended, drawn with the real Direct3D
// layer off-screen.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "app/frame_clock.h"
#include "app/scroll_text.h"
#include "app/window_proc.h"
#include "effects/display_panels.h"
#include "effects/fountains.h"
#include "effects/overlays.h"
#include "effects/random_value.h"
#include "effects/scroller.h"
#include "effects/sparks.h"
#include "gfx/device.h"
#include "gfx/placement.h"
#include "gfx/scene_resources.h"
#include "music/music_sample.h"
#include "platform/hooks/clock.h"
#include "platform/win32.h"
#include "tests/support/frame_scene.h"

namespace {

constexpr float secondsPerFrame = 1.0f / 60.0f;             // frame time, seconds
constexpr long long frameTicks = clockTicksPerSecond / 60;  // the same in counter ticks

void staticFill(benchmark::State& state) {
  std::vector<unsigned char> texels(staticWidth * 4 * staticHeight);
  for (auto _ : state) {
    fillStatic(texels.data(), staticWidth * 4, 128);
    benchmark::DoNotOptimize(texels.data());
  }
}
BENCHMARK(staticFill)->Unit(benchmark::kMillisecond);

// The random values alone that the fill draws, one per pixel: the floor of its cost.
void staticRandCalls(benchmark::State& state) {
  for (auto _ : state) {
    int sum = 0;
    for (int i = 0; i < staticWidth * staticHeight; ++i) sum += randomValue();
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(staticRandCalls)->Unit(benchmark::kMillisecond);

// The static's whole block in a frame: fill, upload and full-window draw.
void staticFrame(benchmark::State& state) {
  if (!openFrameScene()) {
    state.SkipWithError("no device");
    return;
  }
  IDirect3DDevice9* device = deviceState.device;
  frameClock.startTick = GetTickCount();
  for (auto _ : state) {
    staticActive = true;
    device->SetRenderTarget(0, backBuffer);
    device->BeginScene();
    drawOverlays();
    device->EndScene();
  }
  closeFrameScene();
}
BENCHMARK(staticFrame)->Unit(benchmark::kMillisecond);

// Every effect block of one frame once the static is over, at 60 frames a second on the
// virtual clock: the scroller in full swing, the sparks, the panels and volume bar, notes in
// flight from both fountains and the pointer.
void effectsAfterStatic(benchmark::State& state) {
  if (!openFrameScene()) {
    state.SkipWithError("no device");
    return;
  }
  if (scrollText.length() == 0) buildScrollText();
  useVirtualClock();
  IDirect3DDevice9* device = deviceState.device;
  frameClock.frequency = static_cast<double>(clockTicksPerSecond);
  staticActive = false;
  mouseInside = true;
  cursorX = 300.0f;
  cursorY = 200.0f;
  leftLevel = rightLevel = 30000;
  scrollOffset = -1.0f;
  firstVisible = 0;
  for (auto _ : state) {
    advanceVirtualClock(frameTicks);
    frameClock.lastCounter = clockNow();
    device->SetRenderTarget(0, backBuffer);
    device->BeginScene();
    resetPlacement();
    drawScroller(secondsPerFrame);
    drawSparks(secondsPerFrame);
    drawDisplayPanels();
    drawFountains(secondsPerFrame);
    drawOverlays();
    device->EndScene();
    if (firstVisible > 5000) {  // keep the text in full swing
      scrollOffset = -1.0f;
      firstVisible = 0;
    }
  }
  useRealClock();
  closeFrameScene();
}
BENCHMARK(effectsAfterStatic)->Unit(benchmark::kMicrosecond);

}  // namespace
