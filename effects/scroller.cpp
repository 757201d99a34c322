// Greetings scroller: the loop over the visible stretch of the scroll text, the fade of its
// ends and the per-glyph draw with the scroller font.
#include "effects/scroller.h"

#include "app/scroll_text.h"
#include "effects/text_fade.h"
#include "gfx/device.h"
#include "gfx/placement.h"
#include "gfx/scene_resources.h"
#include <d3d9.h>

float scrollOffset = 15.0f;
int firstVisible = 0;

namespace {

constexpr float characterPitch = 0.26666668f;  // world units between characters (4/15)
constexpr float startOffset = 15.0f;           // world x of character 0 at the start of a pass
constexpr float leftEdge = -2.0f;              // world x at or below which a character has left
constexpr float rightEdge = 20.0f;             // world x beyond which characters are not visited
constexpr float lineY = -1.59f;                // world y of the line
constexpr float lineZ = 4.0f;                  // world z of the line
constexpr float glyphScale = 0.25f;            // glyph quad scale on every axis
constexpr float scrollSpeed = 1.5f;            // world units a second, leftwards
constexpr float fadeShift = 2.0f;              // world x shift of the fade ramp

// Draws character `index` of the scroll text at world x with its fade.
void drawGlyph(int index, float x) {
  const int glyph = static_cast<unsigned char>(scrollText.chars()[index]) - firstGlyphCode;
  if (glyph < 0 || glyph >= glyphCount) return;  // the font has no glyph: leave a blank
  // A glyph of fade 0 blends in with alpha 0 and leaves the picture as it is; most of the
  // line right of the fade-out is such glyphs, so they cost no draw.
  const float fade = scrollerFade(x);
  if (fade == 0.0f) return;
  IDirect3DDevice9* device = deviceState.device;

  setWorldPlacement(uprightPlacement(x, lineY, lineZ, glyphScale, glyphScale, glyphScale));

  device->SetTextureStageState(0, D3DTSS_ALPHAARG1, glyphAlphaSource(fade));

  IDirect3DVertexBuffer9* quad = scrollGlyphs[glyph];
  TexturedVertex* vertices = nullptr;
  if (FAILED(quad->Lock(0, quadBytes<TexturedVertex>, reinterpret_cast<void**>(&vertices), 0)) ||
      !vertices)
    return;
  const D3DCOLOR colour = glyphColour(fade);
  for (int corner = 0; corner < 4; ++corner) vertices[corner].colour = colour;
  quad->Unlock();

  device->SetStreamSource(0, quad, 0, sizeof(TexturedVertex));
  device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
}

}  // namespace

float scrollerFade(float x) { return textFade(x, fadeShift); }  // 0 at x = -2, 255 at x = -1

DWORD glyphAlphaSource(float fade) { return fade == textFadeFull ? D3DTA_TEXTURE : D3DTA_DIFFUSE; }

D3DCOLOR glyphColour(float fade) { return (static_cast<D3DCOLOR>(fade) << 24) | 0x00FFFFFF; }

int visitScrollerCharacters(int textLength, void (*drawCharacter)(int index, float x)) {
  int drawn = 0;
  for (int i = firstVisible; i < textLength; ++i) {
    const float x = static_cast<float>(i) * characterPitch + scrollOffset;
    if (x > rightEdge) break;
    if (x > leftEdge) {
      drawCharacter(i, x);
      ++drawn;
    } else {
      ++firstVisible;
    }
  }
  return drawn;
}

void advanceScroller(float frameSeconds, int drawn) {
  scrollOffset -= frameSeconds * scrollSpeed;
  if (drawn == 0) {  // every character has left (or there is no text): start again
    scrollOffset = startOffset;
    firstVisible = 0;
  }
}

void drawScroller(float frameSeconds) {
  IDirect3DDevice9* device = deviceState.device;
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  device->SetTexture(0, scrollFontTexture);
  device->SetFVF(texturedFvf);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);

  const int drawn = visitScrollerCharacters(scrollText.length(), drawGlyph);
  advanceScroller(frameSeconds, drawn);
}
