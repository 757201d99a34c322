// Scene resources: every vertex buffer, texture, render target and surface that the frame
// draws with, made together on the current device by createSceneResources() and released
// together by releaseSceneResources().
//
// Sections: vertex formats · sizes · handles · creation and release.
#pragma once

#include "app/screen_layout.h"
#include "gfx/picture_ids.h"
#include <d3d9.h>

class IsoSurface;

// ---- Vertex formats (all fields 32-bit; colours 0xAARRGGBB) -------------------------------

struct ScreenVertex {  // pre-transformed: window pixels
  float x, y, z, rhw;
  float u, v;
};
constexpr DWORD screenFvf = D3DFVF_XYZRHW | D3DFVF_TEX1;

struct TexturedVertex {  // world space, tinted and textured
  float x, y, z;
  D3DCOLOR colour;
  float u, v;
};
constexpr DWORD texturedFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;

struct ColouredVertex {  // world space, untextured
  float x, y, z;
  D3DCOLOR colour;
};
constexpr DWORD colouredFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE;

struct PointVertex {  // point sprite with its own size
  float x, y, z;
  float size;
  D3DCOLOR colour;
};
constexpr DWORD pointFvf = D3DFVF_XYZ | D3DFVF_PSIZE | D3DFVF_DIFFUSE;

static_assert(sizeof(ScreenVertex) == 24 && sizeof(TexturedVertex) == 24);
static_assert(sizeof(ColouredVertex) == 16 && sizeof(PointVertex) == 20);

// ---- Sizes --------------------------------------------------------------------------------

constexpr int glyphCount = 96;       // glyph quads per font: character codes 32-127
constexpr int firstGlyphCode = 32;   // character code of glyph entry 0
constexpr float glyphHeight = 0.3f;  // glyph quad height from its baseline, own units
constexpr int barCount = 6;          // spectrum bars

// One four-vertex textured quad per character of a font atlas.
using GlyphQuad = IDirect3DVertexBuffer9*;

// Bytes of a four-vertex quad's buffer: the whole buffer, as every Lock of one names it.
template <typename Vertex>
constexpr UINT quadBytes = 4 * sizeof(Vertex);

// ---- Handles (all belong to the device current at the last createSceneResources) ---------

extern IDirect3DVertexBuffer9* screenQuad;                // whole window, screen vertices
extern IDirect3DVertexBuffer9* pointerQuad;               // rewritten per frame (pointer)
extern IDirect3DVertexBuffer9* buttonQuads[buttonCount];  // button highlight rectangles
extern ScreenVertex buttonVertices[buttonCount][4];       // the same corners, for hit tests
extern IDirect3DVertexBuffer9* speakerQuad;
extern IDirect3DVertexBuffer9* volumeQuad;
extern IDirect3DVertexBuffer9* repeatQuad;
extern IDirect3DVertexBuffer9* noteQuad;
extern IDirect3DVertexBuffer9* panelQuad;
extern IDirect3DVertexBuffer9* metaballQuad;
extern IDirect3DVertexBuffer9* barQuads[barCount];  // tops rewritten per frame
extern IDirect3DVertexBuffer9* sparkVertex;
extern GlyphQuad scrollGlyphs[glyphCount];  // for scrollFontTexture
extern GlyphQuad textGlyphs[glyphCount];    // for textFontTexture

extern IDirect3DTexture9* backgroundTexture;
extern IDirect3DTexture9* noteTextures[notePictureCount];
extern IDirect3DTexture9* scrollFontTexture;
extern IDirect3DTexture9* textFontTexture;
extern IDirect3DTexture9* sparkTexture;
extern IDirect3DTexture9* highlightTextures[buttonCount];
extern IDirect3DTexture9* pointerTexture;
extern IDirect3DTexture9* speakerTexture;
extern IDirect3DTexture9* repeatTexture;
extern IDirect3DTexture9* carouselTarget;
extern IDirect3DTexture9* labelTarget;
extern IDirect3DTexture9* metaballTarget;
extern IDirect3DTexture9* staticTexture;  // rewritten per frame while the static shows
extern IDirect3DTexture9* volumeTexture;  // rewritten per frame

extern IDirect3DSurface9* carouselSurface;
extern IDirect3DSurface9* labelSurface;
extern IDirect3DSurface9* metaballSurface;
extern IDirect3DSurface9* backBuffer;

extern IsoSurface* isoSurface;

// ---- Creation and release -----------------------------------------------------------------

// Makes every handle above on deviceState.device, fills the fixed buffers, puts the spark and
// note records back to their start values, derives the track fields (first run only) and
// re-keys the 3D-text font. Releases the previous run's resources first. Always returns 0.
int createSceneResources();

// Releases every handle above and sets it to null; safe to call twice. Call it before the
// device that made the resources is released.
void releaseSceneResources();

// The four vertices of glyph entry `entry` (character code entry + 32) of a 16 x 6 font atlas.
void makeGlyphQuad(int entry, TexturedVertex quad[4]);
