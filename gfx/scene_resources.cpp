// Scene resources: creation of every buffer, picture and render target the frame uses, in a
// fixed order, and their release before the next device gets its own set.
#include "gfx/scene_resources.h"


IDirect3DVertexBuffer9* screenQuad = nullptr;
IDirect3DVertexBuffer9* pointerQuad = nullptr;
IDirect3DVertexBuffer9* buttonQuads[BUTTON_COUNT] = {};
ScreenVertex buttonVertices[BUTTON_COUNT][4] = {};
IDirect3DVertexBuffer9* speakerQuad = nullptr;
IDirect3DVertexBuffer9* volumeQuad = nullptr;
IDirect3DVertexBuffer9* repeatQuad = nullptr;
IDirect3DVertexBuffer9* noteQuad = nullptr;
IDirect3DVertexBuffer9* panelQuad = nullptr;
IDirect3DVertexBuffer9* metaballQuad = nullptr;
IDirect3DVertexBuffer9* barQuads[BAR_COUNT] = {};
IDirect3DVertexBuffer9* sparkVertex = nullptr;
GlyphQuad scrollGlyphs[GLYPH_COUNT] = {};
GlyphQuad textGlyphs[GLYPH_COUNT] = {};

IDirect3DTexture9* backgroundTexture = nullptr;
IDirect3DTexture9* noteTextures[NOTE_PICTURE_COUNT] = {};
IDirect3DTexture9* scrollFontTexture = nullptr;
IDirect3DTexture9* textFontTexture = nullptr;
IDirect3DTexture9* sparkTexture = nullptr;
IDirect3DTexture9* highlightTextures[BUTTON_COUNT] = {};
IDirect3DTexture9* pointerTexture = nullptr;
IDirect3DTexture9* speakerTexture = nullptr;
IDirect3DTexture9* repeatTexture = nullptr;
IDirect3DTexture9* carouselTarget = nullptr;
IDirect3DTexture9* labelTarget = nullptr;
IDirect3DTexture9* metaballTarget = nullptr;
IDirect3DTexture9* staticTexture = nullptr;
IDirect3DTexture9* volumeTexture = nullptr;

IDirect3DSurface9* carouselSurface = nullptr;
IDirect3DSurface9* labelSurface = nullptr;
IDirect3DSurface9* metaballSurface = nullptr;
IDirect3DSurface9* backBuffer = nullptr;

IsoSurface* isoSurface = nullptr;

void makeGlyphQuad(int entry, TexturedVertex quad[4]) {
  constexpr D3DCOLOR halfWhite = 0x80FFFFFF;
  float column = float(entry % 16), row = float(entry / 16);
  float left = column / 16, right = (column + 0.9f) / 16, top = row / 6, bottom = (row + 1) / 6;
  quad[0] = {0, 0, 0, halfWhite, left, bottom};
  quad[1] = {1, 0, 0, halfWhite, right, bottom};
  quad[2] = {1, 0.3f, 0, halfWhite, right, top};
  quad[3] = {0, 0.3f, 0, halfWhite, left, top};
}

// Stub until the picture loader, metaball, playlist and effect headers are on main.
int createSceneResources() { return 0; }
void releaseSceneResources() {}
