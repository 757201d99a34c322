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
  device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
  device->SetRenderState(D3DRS_ZENABLE, FALSE);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, blend);
  device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  device->SetTexture(0, picture);
  device->SetFVF(SCREEN_FVF);
  device->SetStreamSource(0, quad, 0, sizeof(ScreenVertex));
  device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
}

}  // namespace

void drawControlPanel() {
  drawOverlay(speakerQuad, speakerTexture, TRUE);
  if (hoveredButton >= 0 && hoveredButton < BUTTON_COUNT)
    drawOverlay(buttonQuads[hoveredButton], highlightTextures[hoveredButton], FALSE);
  if (repeatTrack) drawOverlay(repeatQuad, repeatTexture, FALSE);
}
