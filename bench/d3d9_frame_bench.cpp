// The cost of a typical frame's draw stream through the Direct3D layer, off-screen: three
// 640 × 480 render-target passes and the back-buffer pass with its full-window layers, about
// 600 small textured quads in all, each with its own SetTransform and SetStreamSource, then
// Present. Reports frames per second (wall clock) and CPU time per frame of the calling thread.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "gfx/device.h"
#include "tests/support/render_helpers.h"

namespace {

constexpr int glyphsPerPass = 150;  // 4 passes × 150 = 600 small quads
constexpr int glyphCount = 96;

struct TexturedVertex {
  float x, y, z;
  D3DCOLOR colour;
  float u, v;
};
struct ScreenVertex {
  float x, y, z, rhw, u, v;
};

template <class Vertex>
IDirect3DVertexBuffer9* makeBuffer(IDirect3DDevice9* device, const std::vector<Vertex>& vertices) {
  IDirect3DVertexBuffer9* buffer = nullptr;
  const UINT bytes = UINT(vertices.size() * sizeof(Vertex));
  device->CreateVertexBuffer(bytes, D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED, &buffer, nullptr);
  void* data = nullptr;
  buffer->Lock(0, 0, &data, 0);
  std::memcpy(data, vertices.data(), bytes);
  buffer->Unlock();
  return buffer;
}

IDirect3DTexture9* makeTexture(IDirect3DDevice9* device, UINT width, UINT height, DWORD usage,
                               D3DFORMAT format) {
  IDirect3DTexture9* texture = nullptr;
  device->CreateTexture(width, height, 1, usage, format, D3DPOOL_DEFAULT, &texture, nullptr);
  if (usage & D3DUSAGE_DYNAMIC) {
    D3DLOCKED_RECT locked;
    texture->LockRect(0, &locked, nullptr, D3DLOCK_DISCARD);
    for (UINT y = 0; y < height; ++y)
      std::memset(static_cast<unsigned char*>(locked.pBits) + y * locked.Pitch, int(y * 37 % 256),
                  width * 4);
    texture->UnlockRect(0);
  }
  return texture;
}

D3DMATRIX placement(float x, float y, float z, float scale) {
  D3DMATRIX matrix{};
  matrix._11 = matrix._22 = matrix._33 = scale;
  matrix._44 = 1.0f;
  matrix._41 = x, matrix._42 = y, matrix._43 = z;
  return matrix;
}

struct Scene {
  IDirect3DDevice9* device = nullptr;
  IDirect3DTexture9* font = nullptr;
  IDirect3DTexture9* background = nullptr;
  IDirect3DTexture9* targets[3] = {};
  IDirect3DSurface9* targetSurfaces[3] = {};
  IDirect3DSurface9* backBuffer = nullptr;
  IDirect3DVertexBuffer9* glyphs[glyphCount] = {};
  IDirect3DVertexBuffer9* screenQuad = nullptr;
  IDirect3DVertexBuffer9* panelQuad = nullptr;

  bool create() {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    if (!createOffscreenDevice()) return false;
    device = deviceState.device;
    font = makeTexture(device, 128, 66, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8);
    background = makeTexture(device, 640, 480, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8);
    for (int i = 0; i < 3; ++i) {
      targets[i] = makeTexture(device, 640, 480, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8);
      targets[i]->GetSurfaceLevel(0, &targetSurfaces[i]);
    }
    device->GetRenderTarget(0, &backBuffer);
    for (int k = 0; k < glyphCount; ++k) {
      const int column = k % 16, row = k / 16;
      const float u = float(column) / 16.0f, v = float(row) / 6.0f;
      glyphs[k] = makeBuffer<TexturedVertex>(
          device, {{0.0f, 0.0f, 0.0f, 0x80FFFFFF, u, v + 1.0f / 6.0f},
                   {1.0f, 0.0f, 0.0f, 0x80FFFFFF, u + 0.05625f, v + 1.0f / 6.0f},
                   {1.0f, 0.3f, 0.0f, 0x80FFFFFF, u + 0.05625f, v},
                   {0.0f, 0.3f, 0.0f, 0x80FFFFFF, u, v}});
    }
    screenQuad = makeBuffer<ScreenVertex>(device, {{-0.5f, -0.5f, 0.5f, 1.0f, 0.0f, 0.0f},
                                                   {640.0f, -0.5f, 0.5f, 1.0f, 1.0f, 0.0f},
                                                   {640.0f, 480.0f, 0.5f, 1.0f, 1.0f, 1.0f},
                                                   {-0.5f, 480.0f, 0.5f, 1.0f, 0.0f, 1.0f}});
    panelQuad = makeBuffer<TexturedVertex>(device, {{-0.5f, 0.5f, 0.5f, 0x00FFFFFF, 0.0f, 0.0f},
                                                    {0.5f, 0.5f, 0.5f, 0x00FFFFFF, 1.0f, 0.0f},
                                                    {0.5f, -0.5f, 0.5f, 0x00FFFFFF, 1.0f, 1.0f},
                                                    {-0.5f, -0.5f, 0.5f, 0x00FFFFFF, 0.0f, 1.0f}});
    return true;
  }

  void release() {
    for (IDirect3DVertexBuffer9* glyph : glyphs) glyph->Release();
    screenQuad->Release();
    panelQuad->Release();
    for (int i = 0; i < 3; ++i) {
      targetSurfaces[i]->Release();
      targets[i]->Release();
    }
    backBuffer->Release();
    font->Release();
    background->Release();
    releaseOffscreenDevice();
  }

  // A run of glyphs as the carousel, label and scroller draw them.
  void drawGlyphs(int first) {
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTexture(0, font);
    device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    for (int i = 0; i < glyphsPerPass; ++i) {
      const int column = i % 14, row = i / 14;
      const D3DMATRIX world =
          placement(-2.5f + float(column) * 0.357f, 0.5f - float(row) * 0.125f, 1.5f, 0.4f);
      device->SetTransform(D3DTS_WORLD, &world);
      device->SetStreamSource(0, glyphs[(first + i) % glyphCount], 0, sizeof(TexturedVertex));
      device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
    }
  }

  void frame() {
    for (int pass = 0; pass < 3; ++pass) {
      device->SetRenderTarget(0, targetSurfaces[pass]);
      device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
      device->BeginScene();
      drawGlyphs(pass * 7);
      device->EndScene();
    }
    device->SetRenderTarget(0, backBuffer);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFFFFFFFF, 1.0f, 0);
    device->BeginScene();
    // Background layer and the metaball picture on a tilted floor.
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetTexture(0, background);
    device->SetFVF(D3DFVF_XYZRHW | D3DFVF_TEX1);
    device->SetStreamSource(0, screenQuad, 0, sizeof(ScreenVertex));
    device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCCOLOR);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCCOLOR);
    device->SetTexture(0, targets[2]);
    device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1);
    const D3DMATRIX floor = placement(2.0f, -0.7f, 4.0f, 4.0f);
    device->SetTransform(D3DTS_WORLD, &floor);
    device->SetStreamSource(0, panelQuad, 0, sizeof(TexturedVertex));
    device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
    drawGlyphs(21);
    // The two panels showing the first two targets.
    for (int panel = 0; panel < 2; ++panel) {
      device->SetTexture(0, targets[panel]);
      device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1);
      const D3DMATRIX place = placement(panel ? 1.2f : -0.3f, 0.4f, 3.0f, 1.5f);
      device->SetTransform(D3DTS_WORLD, &place);
      device->SetStreamSource(0, panelQuad, 0, sizeof(TexturedVertex));
      device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
    }
    device->EndScene();
    device->Present(nullptr, nullptr, nullptr, nullptr);
  }
};

void typicalFrame(benchmark::State& state) {
  Scene scene;
  if (!scene.create()) {
    state.SkipWithError("no off-screen Direct3D device");
    return;
  }
  for (auto _ : state) scene.frame();
  // Wait for the last frame to be finished before the clock stops.
  readRenderTarget(scene.device);
  state.counters["fps"] =
      benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
  scene.release();
}
BENCHMARK(typicalFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
