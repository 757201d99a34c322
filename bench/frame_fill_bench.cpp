// Where the software renderer's time goes in one frame: the whole frame on the real device
// off-screen (Mesa's llvmpipe under SDL's offscreen driver), with twelve titles, the metaballs
// and every effect, Present included.
//
// The unit is one full-window layer: the background picture drawn blended over a whole
// 640 × 480 target, measured in the same run, so the figures hold on any machine. Renderer time
// is the CPU time of the process's threads other than the calling one (llvmpipe's rasterisers,
// which fill the pixels), taken after glFinish.
//
// frameInLayers: the frame's renderer time and the whole process's CPU time per frame, in
// milliseconds and in layers. frameBlocks: the same frame with glFinish after every Clear,
// draw and Present, each call's renderer time added to its block (render target and what is
// drawn); the table goes to stdout.
#include <benchmark/benchmark.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "frame/render_frame.h"
#include "gfx/device.h"
#include "gfx/scene_resources.h"
#include "metaballs/iso_surface.h"
#include "platform/hooks/present_observer.h"
#include "tests/support/frame_scene.h"

namespace {

constexpr float frameSeconds = 0.01f;  // the program's frame at its main loop's pace
constexpr int warmUpFrames = 200;      // past the start-up static (1.3 s), caches warm
constexpr int layerDraws = 40;         // full-window layers drawn to measure one

double clockSeconds(clockid_t clock) {
  timespec now;
  clock_gettime(clock, &now);
  return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}
double processSeconds() { return clockSeconds(CLOCK_PROCESS_CPUTIME_ID); }
// CPU time of every thread but the calling one.
double rendererSeconds() { return processSeconds() - clockSeconds(CLOCK_THREAD_CPUTIME_ID); }

// A 640 × 480 render target of the benchmark's own, so that measuring a layer leaves the
// frame's targets as the frame left them.
IDirect3DTexture9* layerTarget = nullptr;
IDirect3DSurface9* layerSurface = nullptr;

void releaseLayerTarget() {
  if (layerSurface) layerSurface->Release();
  if (layerTarget) layerTarget->Release();
  layerSurface = nullptr;
  layerTarget = nullptr;
}

// Renderer time of one blended, textured quad over a whole 640 × 480 render target.
double layerSeconds(IDirect3DDevice9* device) {
  device->SetRenderTarget(0, layerSurface);
  device->SetRenderState(D3DRS_ZENABLE, FALSE);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  device->SetTexture(0, backgroundTexture);
  device->SetFVF(screenFvf);
  device->SetStreamSource(0, screenQuad, 0, sizeof(ScreenVertex));
  glFinish();
  const double start = rendererSeconds();
  for (int i = 0; i < layerDraws; ++i) {
    device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
    glFinish();
  }
  return (rendererSeconds() - start) / layerDraws;
}

bool openScene(benchmark::State& state) {
  if (!openFrameScene()) {
    state.SkipWithError("no Direct3D device could be made");
    return false;
  }
  useFrameTracks(12);
  IDirect3DDevice9* device = deviceState.device;
  if (device->CreateTexture(640, 480, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT,
                            &layerTarget, nullptr) != D3D_OK) {
    state.SkipWithError("no render target for the layer could be made");
    return false;
  }
  layerTarget->GetSurfaceLevel(0, &layerSurface);
  for (int i = 0; i < warmUpFrames; ++i) renderFrame(frameSeconds);
  glFinish();
  return true;
}

void frameInLayers(benchmark::State& state) {
  if (!openScene(state)) return;
  IDirect3DDevice9* device = deviceState.device;
  double layer = 0, renderer = 0, process = 0;
  for (auto _ : state) {
    layer += layerSeconds(device);
    const double rendererStart = rendererSeconds(), processStart = processSeconds();
    renderFrame(frameSeconds);
    glFinish();
    renderer += rendererSeconds() - rendererStart;
    process += processSeconds() - processStart;
  }
  const double frames = double(state.iterations());
  state.counters["layer_ms"] = layer / frames * 1e3;
  state.counters["renderer_ms"] = renderer / frames * 1e3;
  state.counters["renderer_layers"] = renderer / layer;
  state.counters["process_cpu_ms"] = process / frames * 1e3;
  state.counters["process_layers"] = process / layer;
  releaseLayerTarget();
  closeFrameScene();
}
BENCHMARK(frameInLayers)->Iterations(100)->Unit(benchmark::kMillisecond);

// ---- Per-block attribution ----------------------------------------------------------------
std::map<std::string, double> blockSeconds;  // block name -> renderer time summed over frames
double lastReading = 0;

std::string targetName(IDirect3DDevice9* device) {
  IDirect3DSurface9* target = nullptr;
  device->GetRenderTarget(0, &target);
  if (target) target->Release();
  if (target == carouselSurface) return "carousel target";
  if (target == labelSurface) return "label target";
  if (target == metaballSurface) return "metaball target";
  if (target == backBuffer) return "back buffer";
  return "other target";
}

std::string drawnName(IDirect3DDevice9* device) {
  IDirect3DBaseTexture9* texture = nullptr;
  device->GetTexture(0, &texture);
  if (texture) texture->Release();
  DWORD format = 0;
  device->GetFVF(&format);
  if (format == metaballFvf) return "metaball mesh";
  const std::pair<IDirect3DTexture9*, const char*> names[] = {
      {backgroundTexture, "background picture"},
      {metaballTarget, "metaball picture"},
      {carouselTarget, "carousel picture"},
      {labelTarget, "label picture"},
      {textFontTexture, "3D-text glyphs"},
      {scrollFontTexture, "scroller glyphs"},
      {sparkTexture, "sparks"},
      {pointerTexture, "pointer"},
      {speakerTexture, "speaker"},
      {repeatTexture, "repeat lamp"},
      {staticTexture, "static"},
      {volumeTexture, "volume bar"}};
  for (const auto& [known, name] : names)
    if (texture == known) return name;
  for (IDirect3DTexture9* note : noteTextures)
    if (texture == note) return "music notes";
  for (IDirect3DTexture9* highlight : highlightTextures)
    if (texture == highlight) return "button highlights";
  return texture ? "other pictures" : "untextured (bars, panels)";
}

void attribute(IDirect3DDevice9* device, DeviceWork work) {
  glFinish();
  const double now = rendererSeconds();
  std::string block = work == DeviceWork::present ? "Present (to the window)"
                      : work == DeviceWork::clear ? targetName(device) + ": Clear"
                                                  : targetName(device) + ": " + drawnName(device);
  blockSeconds[block] += now - lastReading;
  lastReading = rendererSeconds();
}

void frameBlocks(benchmark::State& state) {
  if (!openScene(state)) return;
  IDirect3DDevice9* device = deviceState.device;
  double layer = 0;
  blockSeconds.clear();
  setDeviceWorkObserver(attribute);
  for (auto _ : state) {
    setDeviceWorkObserver(nullptr);
    layer += layerSeconds(device);
    setDeviceWorkObserver(attribute);
    lastReading = rendererSeconds();
    renderFrame(frameSeconds);
  }
  setDeviceWorkObserver(nullptr);
  const double frames = double(state.iterations());
  layer /= frames;
  std::vector<std::pair<double, std::string>> rows;
  double total = 0;
  for (const auto& [block, seconds] : blockSeconds) {
    rows.push_back({seconds / frames, block});
    total += seconds / frames;
  }
  std::sort(rows.rbegin(), rows.rend());
  std::printf("\n| block | renderer ms | layers |\n|---|---|---|\n");
  for (const auto& [seconds, block] : rows)
    std::printf("| %s | %.3f | %.2f |\n", block.c_str(), seconds * 1e3, seconds / layer);
  std::printf("| whole frame (a glFinish after every call) | %.3f | %.2f |\n", total * 1e3,
              total / layer);
  std::printf("| one full-window layer | %.3f | 1.00 |\n\n", layer * 1e3);
  state.counters["layer_ms"] = layer * 1e3;
  state.counters["renderer_layers"] = total / layer;
  releaseLayerTarget();
  closeFrameScene();
}
BENCHMARK(frameBlocks)->Iterations(60)->Unit(benchmark::kMillisecond);

}  // namespace
