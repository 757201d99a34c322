// The control-panel overlays: three screen quads drawn over the background, each with the
// full set of states it needs.
#include "frame/control_panel.h"

#include "app/window_proc.h"
#include "gfx/device.h"
#include "gfx/scene_resources.h"
#include "music/playback.h"

namespace {

void drawOverlay(IDirect3DVertexBuffer9* quad, IDirect3DTexture9* picture, BOOL blend) {
  IDirect3DDevice9* device = deviceState.device;
  setTexturedLayerStates(device, D3DCULL_CCW, blend, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
  device->SetTexture(0, picture);
  device->SetFVF(screenFvf);
  device->SetStreamSource(0, quad, 0, sizeof(ScreenVertex));
  device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
}

}  // namespace

void drawControlPanel() {
  drawOverlay(speakerQuad, speakerTexture, TRUE);
  if (hoveredButton >= 0 && hoveredButton < buttonCount)
    drawOverlay(buttonQuads[hoveredButton], highlightTextures[hoveredButton], FALSE);
  if (repeatTrack) drawOverlay(repeatQuad, repeatTexture, FALSE);
}
