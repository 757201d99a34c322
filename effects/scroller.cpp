// Greetings scroller: the loop over the visible stretch of the scroll text, the fade of its
// ends and the per-glyph draw with the scroller font.
#include "effects/scroller.h"

#include "app/scroll_text.h"
#include "gfx/device.h"
#include "gfx/placement.h"
#include "gfx/scene_resources.h"
#include "platform/d3d9.h"

float scrollOffset = 15.0f;
int firstVisible = 0;

namespace {

constexpr float CHARACTER_PITCH = 0.26666668f;  // world units between characters (4/15)
constexpr float START_OFFSET = 15.0f;           // world x of character 0 at the start of a pass
constexpr float LEFT_EDGE = -2.0f;              // world x at or below which a character has left
constexpr float RIGHT_EDGE = 20.0f;             // world x beyond which characters are not visited
constexpr float LINE_Y = -1.59f;                // world y of the line
constexpr float LINE_Z = 4.0f;                  // world z of the line
constexpr float GLYPH_SCALE = 0.25f;            // glyph quad scale on every axis
constexpr float SCROLL_SPEED = 1.5f;            // world units a second, leftwards
constexpr float FADE_FOLD = 2000.0f;            // fade values above this fold back down
constexpr float FADE_FULL = 255.0f;             // fully shown

// Draws character `index` of the scroll text at world x with its fade.
void drawGlyph(int index, float x) {
  const int glyph = static_cast<unsigned char>(scrollText.chars()[index]) - FIRST_GLYPH_CODE;
  if (glyph < 0 || glyph >= GLYPH_COUNT) return;  // the font has no glyph: leave a blank
  // A glyph of fade 0 blends in with alpha 0 and leaves the picture as it is; most of the
  // line right of the fade-out is such glyphs, so they cost no draw.
  const float fade = scrollerFade(x);
  if (fade == 0.0f) return;
  IDirect3DDevice9* device = deviceState.device;

  setWorldPlacement(uprightPlacement(x, LINE_Y, LINE_Z, GLYPH_SCALE, GLYPH_SCALE, GLYPH_SCALE));

  device->SetTextureStageState(0, D3DTSS_ALPHAARG1, glyphAlphaSource(fade));

  IDirect3DVertexBuffer9* quad = scrollGlyphs[glyph];
  TexturedVertex* vertices = nullptr;
  if (FAILED(quad->Lock(0, 0, reinterpret_cast<void**>(&vertices), 0)) || !vertices) return;
  const D3DCOLOR colour = glyphColour(fade);
  for (int corner = 0; corner < 4; ++corner) vertices[corner].colour = colour;
  quad->Unlock();

  device->SetStreamSource(0, quad, 0, sizeof(TexturedVertex));
  device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
}

}  // namespace

float scrollerFade(float x) {
  float fade = (x + 2.0f) * FADE_FULL;  // 0 at x = -2, 255 at x = -1
  if (fade > FADE_FOLD) fade = FADE_FULL - (fade - FADE_FOLD);
  if (fade > FADE_FULL) fade = FADE_FULL;
  if (fade < 0.0f) fade = 0.0f;
  return fade;
}

DWORD glyphAlphaSource(float fade) { return fade == FADE_FULL ? D3DTA_TEXTURE : D3DTA_DIFFUSE; }

D3DCOLOR glyphColour(float fade) { return (static_cast<D3DCOLOR>(fade) << 24) | 0x00FFFFFF; }

int visitScrollerCharacters(int textLength, void (*drawCharacter)(int index, float x)) {
  int drawn = 0;
  for (int i = firstVisible; i < textLength; ++i) {
    const float x = static_cast<float>(i) * CHARACTER_PITCH + scrollOffset;
    if (x > RIGHT_EDGE) break;
    if (x > LEFT_EDGE) {
      drawCharacter(i, x);
      ++drawn;
    } else {
      ++firstVisible;
    }
  }
  return drawn;
}

void advanceScroller(float frameSeconds, int drawn) {
  scrollOffset -= frameSeconds * SCROLL_SPEED;
  if (drawn == 0) {  // every character has left (or there is no text): start again
    scrollOffset = START_OFFSET;
    firstVisible = 0;
  }
}

void drawScroller(float frameSeconds) {
  IDirect3DDevice9* device = deviceState.device;
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  device->SetTexture(0, scrollFontTexture);
  device->SetFVF(TEXTURED_FVF);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);

  const int drawn = visitScrollerCharacters(scrollText.length(), drawGlyph);
  advanceScroller(frameSeconds, drawn);
}
