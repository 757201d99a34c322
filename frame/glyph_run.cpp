// Glyph runs of the 3D text: the character-to-quad rule shared by the carousel, the track
// label and the track information text.
#include "frame/glyph_run.h"

#include "gfx/device.h"
#include "gfx/scene_resources.h"

const char* const noTunesMessage = "No tunes found in data/msx/";

int glyphIndex(char code) {
  int index = static_cast<unsigned char>(code) - firstGlyphCode;
  return index >= 0 && index < glyphCount ? index : -1;
}

void drawGlyph(char code, const Placement& placement) {
  setWorldPlacement(placement);
  int index = glyphIndex(code);
  if (index < 0) return;
  IDirect3DDevice9* device = deviceState.device;
  device->SetStreamSource(0, textGlyphs[index], 0, sizeof(TexturedVertex));
  device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
}
