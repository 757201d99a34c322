// Display panels: the carousel and track-label pictures on tilted planes, blended so that
// their black parts leave the scene unchanged, and the volume bar between them.
#include "effects/display_panels.h"

#include <cstring>

#include "gfx/device.h"
#include "gfx/placement.h"
#include "gfx/scene_resources.h"
#include "music/playback.h"
#include <d3d9.h>

namespace {

constexpr int segmentWidth = 10;         // columns per segment, the first of them a dark gap
constexpr int greyBase = 150;            // grey of lit column c is c + 150
constexpr unsigned char barAlpha = 180;  // alpha of every texel of the bar

// Sets the states of a panel and draws the panel quad with the given picture.
void drawPanel(const Placement& placement, IDirect3DTexture9* picture) {
  IDirect3DDevice9* device = deviceState.device;
  setWorldPlacement(placement);
  setTexturedLayerStates(device, D3DCULL_NONE, TRUE, D3DBLEND_SRCCOLOR, D3DBLEND_INVSRCCOLOR);
  device->SetTexture(0, picture);
  device->SetFVF(texturedFvf);
  device->SetStreamSource(0, panelQuad, 0, sizeof(TexturedVertex));
  device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
}

void drawVolumeBar() {
  IDirect3DDevice9* device = deviceState.device;
  D3DLOCKED_RECT locked;
  if (FAILED(volumeTexture->LockRect(0, &locked, nullptr, D3DLOCK_DISCARD)) || !locked.pBits)
    return;
  fillVolumeBar(static_cast<unsigned char*>(locked.pBits), locked.Pitch, volume);
  volumeTexture->UnlockRect(0);

  setTexturedLayerStates(device, D3DCULL_NONE, TRUE, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
  device->SetTexture(0, volumeTexture);
  device->SetFVF(screenFvf);
  device->SetStreamSource(0, volumeQuad, 0, sizeof(ScreenVertex));
  device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
}

}  // namespace

void fillVolumeBar(unsigned char* texels, int pitch, int volume) {
  unsigned char row[volumeBarWidth * 4];
  for (int c = 0; c < volumeBarWidth; ++c) {
    const bool lit =
        c % segmentWidth != 0 && static_cast<unsigned int>(c) <= static_cast<unsigned int>(volume);
    const unsigned char grey = lit ? static_cast<unsigned char>(c + greyBase) : 0;
    row[4 * c + 0] = grey;  // blue
    row[4 * c + 1] = grey;  // green
    row[4 * c + 2] = grey;  // red
    row[4 * c + 3] = barAlpha;
  }
  for (int r = 0; r < volumeBarHeight; ++r) std::memcpy(texels + r * pitch, row, sizeof row);
}

void drawDisplayPanels() {
  // Angles (radians), position and scale of the two planes.
  const Placement carousel{{0.0f, 0.2f, -0.05f}, {2.0f, 0.45f, 1.0f}, {4.7f, 0.64f, 4.0f}};
  const Placement label{{0.0f, -0.2f, 0.08f}, {16.2f, 1.7f, 9.0f}, {3.8f, 0.8f, 4.0f}};

  drawPanel(carousel, carouselTarget);

  drawVolumeBar();

  drawPanel(label, labelTarget);
}
