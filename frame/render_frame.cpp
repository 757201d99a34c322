// The frame: automatic advance, music sample, three off-screen passes (carousel, label,
// metaball picture), the visible pass composed from background, layers and overlays, Present.
#include "frame/render_frame.h"

#include "effects/display_panels.h"
#include "effects/fountains.h"
#include "effects/overlays.h"
#include "effects/scroller.h"
#include "effects/sparks.h"
#include "frame/analyser_bars.h"
#include "frame/carousel.h"
#include "frame/control_panel.h"
#include "frame/track_info.h"
#include "gfx/device.h"
#include "gfx/placement.h"
#include "gfx/scene_resources.h"
#include "metaballs/iso_surface.h"
#include "metaballs/metaball_passes.h"
#include "music/music_sample.h"
#include "music/playback.h"

namespace {

constexpr D3DCOLOR offscreenClear = 0xFF000000;  // opaque black
constexpr D3DCOLOR visibleClear = 0xFFFFFFFF;    // opaque white

// The floor that carries the metaball picture, tilted back about x.
const Placement metaballFloor = {{-0.5f, 0, 0}, {2.0f, -0.7f, 4.0f}, {16.0f, 2.0f, 4.0f}};

void openPass(IDirect3DDevice9* device, IDirect3DSurface9* target, D3DCOLOR clearColour) {
  device->SetRenderTarget(0, target);
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, clearColour, 1.0f, 0);
  device->BeginScene();
}

// States of the two 3D-text passes: glyphs blended by the font's alpha, no culling.
void setTextStates(IDirect3DDevice9* device) {
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  device->SetTexture(0, textFontTexture);
  device->SetFVF(texturedFvf);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
}

// While the window is minimised nobody sees the metaballs, so their field is not sampled; the
// first frame shown again polygonises the balls where they are before drawing them.
bool surfaceBehind = false;

void polygoniseBalls() {
  isoSurface->sampleField();
  isoSurface->polygonise();
}

void catchUpMetaballSurface() {
  if (!surfaceBehind || !isoSurface || windowMinimised()) return;
  polygoniseBalls();
  surfaceBehind = false;
}

// The background picture over the whole window, opaque.
void drawBackground(IDirect3DDevice9* device) {
  setTexturedLayerStates(device, D3DCULL_CCW, FALSE, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
  device->SetTexture(0, backgroundTexture);
  device->SetFVF(screenFvf);
  device->SetStreamSource(0, screenQuad, 0, sizeof(ScreenVertex));
  device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
}

// The metaball picture laid on the floor: black leaves the background, white replaces it.
void drawMetaballPicture(IDirect3DDevice9* device) {
  setTexturedLayerStates(device, D3DCULL_NONE, TRUE, D3DBLEND_SRCCOLOR, D3DBLEND_INVSRCCOLOR);
  device->SetFVF(texturedFvf);
  device->SetTexture(0, metaballTarget);
  setWorldPlacement(metaballFloor);
  device->SetStreamSource(0, metaballQuad, 0, sizeof(TexturedVertex));
  device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
}

}  // namespace

void renderFrame(float frameSeconds) {
  IDirect3DDevice9* device = deviceState.device;
  if (!device) return;  // nothing is drawn without a device

  resetPlacement();
  checkAutoAdvance();
  sampleMusic();

  openPass(device, carouselSurface, offscreenClear);
  setTextStates(device);
  animateCarousel();
  drawCarousel();
  device->EndScene();

  openPass(device, labelSurface, offscreenClear);
  setTextStates(device);
  drawTrackLabel();
  device->EndScene();

  openPass(device, metaballSurface, offscreenClear);
  catchUpMetaballSurface();
  drawMetaballsA(device, frameSeconds);
  device->EndScene();

  openPass(device, backBuffer, visibleClear);
  drawBackground(device);
  drawMetaballPicture(device);
  drawSpectrumBars();
  drawControlPanel();
  drawTrackInfo(frameSeconds);
  drawScroller(frameSeconds);
  drawSparks(frameSeconds);
  drawDisplayPanels();
  drawFountains(frameSeconds);
  drawMetaballsB(device, frameSeconds);
  if (isoSurface) {
    if (windowMinimised())
      surfaceBehind = true;
    else
      polygoniseBalls();
  }
  animateBalls();
  drawOverlays();
  device->EndScene();

  device->Present(nullptr, nullptr, nullptr, nullptr);
}
