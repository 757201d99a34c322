// The spectrum bars: height formula and drawing of the six bars of the visible pass.
#include "frame/analyser_bars.h"

#include <cmath>

#include "gfx/device.h"
#include "gfx/placement.h"
#include "gfx/scene_resources.h"
#include "music/music_sample.h"

namespace {

constexpr double levelScale = 1700.0;            // bar levels per unit of sqrt(value / log10(11))
constexpr double levelOffset = 4.0;              // subtracted from every level
constexpr int maxLevel = 700;                    // the cap of a bar level
constexpr float firstBarFactor = 0.8f;           // height factor of bar 0
constexpr float barShrink = 0.16666667f;         // later bars shrink by bar * barShrink^2
constexpr float levelToHeight = 0.00043478262f;  // own units per level (1 / 2300)
constexpr D3DCOLOR barTopColour = 0x505A9696;    // grey teal, alpha 0x50

const Placement barPlacement = {{0, 0.5f, 0}, {-2.7f, -0.8f, 5.0f}, {7.0f, 2.0f, 6.0f}};

}  // namespace

int barLevel(float value) {
  double magnitude = value > 0 ? value : 0.0;  // a negative or NaN value counts as silence
  double level = std::sqrt(magnitude / std::log10(11.0)) * levelScale - levelOffset;
  return level > maxLevel ? maxLevel : int(level);  // capped before the conversion
}

float barHeight(float value, int bar) {
  return (firstBarFactor - bar * barShrink * barShrink) * (barLevel(value) * levelToHeight);
}

void drawSpectrumBars() {
  IDirect3DDevice9* device = deviceState.device;
  device->SetTexture(0, nullptr);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
  device->SetRenderState(D3DRS_ZENABLE, TRUE);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
  device->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  device->SetFVF(colouredFvf);
  setWorldPlacement(barPlacement);

  for (int b = 0; b < barCount; ++b) {
    IDirect3DVertexBuffer9* bar = barQuads[b];
    if (!bar) continue;
    void* data = nullptr;
    if (SUCCEEDED(bar->Lock(0, quadBytes<ColouredVertex>, &data, 0)) && data) {
      ColouredVertex* quad = static_cast<ColouredVertex*>(data);
      float height = barHeight(spectrumValues[firstBarValue + b], b);
      for (int top = 2; top < 4; ++top) {
        quad[top].y = height;
        quad[top].colour = barTopColour;
      }
      bar->Unlock();
    }
    device->SetStreamSource(0, bar, 0, sizeof(ColouredVertex));
    device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
  }
}
