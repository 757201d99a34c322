// Overlays: the pointer arrow drawn at the mouse position, and the start-up static, a
// full-window layer of random black and white pixels that fades out after start-up.
#include "effects/overlays.h"

#include <cstring>

#include "app/frame_clock.h"
#include "app/window_proc.h"
#include "effects/random_value.h"
#include "gfx/device.h"
#include "gfx/scene_resources.h"
#include <d3d9.h>
#include <windows.h>

bool staticActive = true;

namespace {

constexpr float pointerSize = 32.0f;       // pointer picture, pixels square
constexpr float screenDepth = 0.5f;        // z of the pre-transformed quads
constexpr unsigned int msPerStep = 5;      // milliseconds per fade step
constexpr unsigned int lastStep = 254;     // fade step that ends the static for good
constexpr unsigned int opaqueAlpha = 255;  // alpha of the static at fade step 0

void drawPointer() {
  const float x = cursorX;
  const float y = cursorY;
  const ScreenVertex corners[4] = {
      {x, y, screenDepth, 1.0f, 0.0f, 0.0f},
      {x + pointerSize, y, screenDepth, 1.0f, 1.0f, 0.0f},
      {x + pointerSize, y + pointerSize, screenDepth, 1.0f, 1.0f, 1.0f},
      {x, y + pointerSize, screenDepth, 1.0f, 0.0f, 1.0f},
  };
  void* data = nullptr;
  if (FAILED(pointerQuad->Lock(0, quadBytes<ScreenVertex>, &data, 0)) || !data) return;
  std::memcpy(data, corners, sizeof corners);
  pointerQuad->Unlock();

  IDirect3DDevice9* device = deviceState.device;
  setTexturedLayerStates(device, D3DCULL_CCW, TRUE, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
  device->SetTexture(0, pointerTexture);
  device->SetFVF(screenFvf);
  device->SetStreamSource(0, pointerQuad, 0, sizeof(ScreenVertex));
  device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
}

// The static's layer with fresh noise; nothing when its texture cannot be locked.
void drawStaticLayer() {
  D3DLOCKED_RECT locked;
  if (FAILED(staticTexture->LockRect(0, &locked, nullptr, D3DLOCK_DISCARD)) || !locked.pBits)
    return;
  fillStatic(static_cast<unsigned char*>(locked.pBits), locked.Pitch,
             staticAlpha(staticFadeStep()));
  staticTexture->UnlockRect(0);

  // Culling stays as the previous pass left it (the clockwise quad passes it). Depth testing
  // is off while the layer is drawn, so it covers the metaballs too, and is then put back.
  IDirect3DDevice9* device = deviceState.device;
  DWORD depthTest = D3DZB_FALSE;
  device->GetRenderState(D3DRS_ZENABLE, &depthTest);
  device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  device->SetTexture(0, staticTexture);
  device->SetFVF(screenFvf);
  device->SetStreamSource(0, screenQuad, 0, sizeof(ScreenVertex));
  device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
  device->SetRenderState(D3DRS_ZENABLE, depthTest);
}

// While the window is minimised the static's noise, 307,200 random values a frame, would only
// be thrown away; its fade goes on by the clock.
void drawStatic() {
  if (!windowMinimised()) drawStaticLayer();
  if (staticFadeStep() >= lastStep) staticActive = false;
}

}  // namespace

unsigned int staticFadeStep() { return (GetTickCount() - frameClock.startTick) / msPerStep; }

unsigned char staticAlpha(unsigned int q) {
  return q > opaqueAlpha ? 0 : static_cast<unsigned char>(opaqueAlpha - q);
}

void fillStatic(unsigned char* texels, int pitch, unsigned char alpha) {
  for (int r = 0; r < staticHeight; ++r) {
    unsigned char* texel = texels + r * pitch;
    for (int p = 0; p < staticWidth; ++p, texel += 4) {
      const unsigned char v = randomValue() % 2 == 0 ? 0xFF : 0x00;  // even: white
      texel[0] = v;                                                  // blue
      texel[1] = v;                                                  // green
      texel[2] = v;                                                  // red
      texel[3] = alpha;
    }
  }
}

void drawOverlays() {
  if (mouseInside) drawPointer();
  if (staticActive) drawStatic();
}
