// Scene resources: creation of every buffer, picture and render target the frame uses, in a
// fixed order, and their release before the next device gets its own set.
#include "gfx/scene_resources.h"

#include <cstring>

#include "effects/fountains.h"
#include "effects/sparks.h"
#include "gfx/device.h"
#include "gfx/image_loader.h"
#include "gfx/picture_ids.h"
#include "metaballs/iso_surface.h"
#include "music/playlist.h"

IDirect3DVertexBuffer9* screenQuad = nullptr;
IDirect3DVertexBuffer9* pointerQuad = nullptr;
IDirect3DVertexBuffer9* buttonQuads[buttonCount] = {};
ScreenVertex buttonVertices[buttonCount][4] = {};
IDirect3DVertexBuffer9* speakerQuad = nullptr;
IDirect3DVertexBuffer9* volumeQuad = nullptr;
IDirect3DVertexBuffer9* repeatQuad = nullptr;
IDirect3DVertexBuffer9* noteQuad = nullptr;
IDirect3DVertexBuffer9* panelQuad = nullptr;
IDirect3DVertexBuffer9* metaballQuad = nullptr;
IDirect3DVertexBuffer9* barQuads[barCount] = {};
IDirect3DVertexBuffer9* sparkVertex = nullptr;
GlyphQuad scrollGlyphs[glyphCount] = {};
GlyphQuad textGlyphs[glyphCount] = {};

IDirect3DTexture9* backgroundTexture = nullptr;
IDirect3DTexture9* noteTextures[notePictureCount] = {};
IDirect3DTexture9* scrollFontTexture = nullptr;
IDirect3DTexture9* textFontTexture = nullptr;
IDirect3DTexture9* sparkTexture = nullptr;
IDirect3DTexture9* highlightTextures[buttonCount] = {};
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

namespace {

// ---- Constants ----------------------------------------------------------------------------

constexpr D3DCOLOR halfWhite = 0x80FFFFFF;      // glyphs, notes, spark: white, alpha 128
constexpr D3DCOLOR clearWhite = 0x00FFFFFF;     // panel and metaball quads: white, alpha 0
constexpr D3DCOLOR barBaseColour = 0x80BEBEBE;  // light grey, half opaque
constexpr float screenDepth = 0.5f;             // z of every screen quad
constexpr int atlasColumns = 16;                // glyph cells per atlas row
constexpr int atlasRows = 6;                    // glyph rows per atlas
constexpr float glyphWidthUsed = 0.9f;          // fraction of a cell's width a glyph samples
constexpr float barWidth = 1.0f / 16.0f;        // spectrum bar width, own units
constexpr float barStartHeight = 0.34f;         // bar height before the first frame, own units
constexpr float sparkSize = 0.1f;               // point size of the spark vertex
constexpr int isoGridSize = 30;                 // metaball grid cells per axis
constexpr float isoLevel = 1.0f;                // metaball surface threshold

// ---- Helpers ------------------------------------------------------------------------------

IDirect3DDevice9* currentDevice() { return deviceState.device; }

// A managed vertex buffer of exactly `bytes`, filled with `vertices` when given.
IDirect3DVertexBuffer9* makeBuffer(const void* vertices, UINT bytes, DWORD usage, DWORD fvf) {
  IDirect3DVertexBuffer9* buffer = nullptr;
  currentDevice()->CreateVertexBuffer(bytes, usage, fvf, D3DPOOL_MANAGED, &buffer, nullptr);
  if (buffer && vertices) {
    void* data = nullptr;
    if (SUCCEEDED(buffer->Lock(0, bytes, &data, 0)) && data) {
      std::memcpy(data, vertices, bytes);
      buffer->Unlock();
    }
  }
  return buffer;
}

// The corners of a picture drawn 1:1 over `rect`: its outer edges, so that each texel covers
// one pixel (top-left, top-right, bottom-right, bottom-left).
struct QuadCorners {
  float corners[4][2];
};
constexpr QuadCorners pictureCorners(const PixelRect& rect) {
  const float left = rect.x, top = rect.y, right = rect.x + rect.width,
              bottom = rect.y + rect.height;
  return {{{left, top}, {right, top}, {right, bottom}, {left, bottom}}};
}

// A screen quad with corners top-left, top-right, bottom-right, bottom-left.
void makeScreenQuad(const float corners[4][2], ScreenVertex quad[4]) {
  static const float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  for (int i = 0; i < 4; ++i)
    quad[i] = {corners[i][0], corners[i][1], screenDepth, 1.0f, uv[i][0], uv[i][1]};
}

IDirect3DVertexBuffer9* screenQuadBuffer(const float corners[4][2]) {
  ScreenVertex quad[4];
  makeScreenQuad(corners, quad);
  return makeBuffer(quad, sizeof quad, 0, screenFvf);
}

// Textured quad with corners given in world units and texture coordinates 0-1.
IDirect3DVertexBuffer9* texturedQuadBuffer(const float corners[4][3], D3DCOLOR colour) {
  static const float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  TexturedVertex quad[4];
  for (int i = 0; i < 4; ++i)
    quad[i] = {corners[i][0], corners[i][1], corners[i][2], colour, uv[i][0], uv[i][1]};
  return makeBuffer(quad, sizeof quad, D3DUSAGE_WRITEONLY, texturedFvf);
}

void makeGlyphTable(GlyphQuad glyphs[glyphCount]) {
  for (int entry = 0; entry < glyphCount; ++entry) {
    TexturedVertex quad[4];
    makeGlyphQuad(entry, quad);
    glyphs[entry] = makeBuffer(quad, sizeof quad, 0, texturedFvf);
  }
}

void makeScreenQuads() {
  static const float screen[4][2] = {
      {-0.5f, -0.5f}, {clientWidth, -0.5f}, {clientWidth, clientHeight}, {-0.5f, clientHeight}};
  screenQuad = screenQuadBuffer(screen);
  pointerQuad = makeBuffer(nullptr, quadBytes<ScreenVertex>, 0, screenFvf);

  constexpr float buttonTopLeft = 13.4f, buttonTopRight = 13.5f;  // the top edge leans up, pixels
  for (int i = 0; i < buttonCount; ++i) {
    const PixelRect area = controlButton(i);
    const float left = area.x, right = lastColumn(area), bottom = lastRow(area);
    const float corners[4][2] = {
        {left, buttonTopLeft}, {right, buttonTopRight}, {right, bottom}, {left, bottom}};
    makeScreenQuad(corners, buttonVertices[i]);
    buttonQuads[i] = makeBuffer(buttonVertices[i], sizeof buttonVertices[i], 0, screenFvf);
  }

  speakerQuad = screenQuadBuffer(pictureCorners(speakerPatch).corners);
  volumeQuad = screenQuadBuffer(volumeBarQuad);
  repeatQuad = screenQuadBuffer(pictureCorners(repeatLampPicture).corners);

  static const float note[4][3] = {{0, 0, 0}, {1, 0, 0}, {1, 0.5f, 0}, {0, 0.5f, 0}};
  noteQuad = texturedQuadBuffer(note, halfWhite);
}

void makeBarsAndSpark() {
  for (int b = 0; b < barCount; ++b) {
    float left = b * barWidth, right = (b + 1) * barWidth;
    const ColouredVertex bar[4] = {{left, 0, 0, barBaseColour},
                                   {right, 0, 0, barBaseColour},
                                   {right, barStartHeight, 0, barBaseColour},
                                   {left, barStartHeight, 0, barBaseColour}};
    barQuads[b] = makeBuffer(bar, sizeof bar, D3DUSAGE_WRITEONLY, colouredFvf);
  }
  const PointVertex spark = {0, 0, 0, sparkSize, halfWhite};
  sparkVertex = makeBuffer(&spark, sizeof spark, D3DUSAGE_WRITEONLY, pointFvf);
}

void loadPictures() {
  loadImageResource(backgroundPicture, &backgroundTexture, false);
  for (int i = 0; i < notePictureCount; ++i)
    loadImageResource(firstNotePicture + i, &noteTextures[i], false);
  loadImageResource(scrollFontPicture, &scrollFontTexture, true);
  loadImageResource(textFontPicture, &textFontTexture, true);
  loadImageResource(sparkPicture, &sparkTexture, false);
  for (int i = 0; i < buttonCount; ++i)
    loadImageResource(firstHighlightPicture + i, &highlightTextures[i], false);
  loadImageResource(pointerPicture, &pointerTexture, true);
  loadImageResource(speakerPicture, &speakerTexture, true);
  loadImageResource(repeatPicture, &repeatTexture, false);
}

void makeTargets() {
  IDirect3DDevice9* device = currentDevice();
  IDirect3DTexture9** targets[3] = {&carouselTarget, &labelTarget, &metaballTarget};
  for (IDirect3DTexture9** target : targets)
    device->CreateTexture(clientWidth, clientHeight, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8,
                          D3DPOOL_DEFAULT, target, nullptr);
  device->CreateTexture(clientWidth, clientHeight, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8,
                        D3DPOOL_DEFAULT, &staticTexture, nullptr);
  device->CreateTexture(100, 20, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                        &volumeTexture, nullptr);
  if (carouselTarget) carouselTarget->GetSurfaceLevel(0, &carouselSurface);
  if (labelTarget) labelTarget->GetSurfaceLevel(0, &labelSurface);
  if (metaballTarget) metaballTarget->GetSurfaceLevel(0, &metaballSurface);
  device->GetRenderTarget(0, &backBuffer);
}

// Pure magenta and pure green become transparent black; every other texel, the white glyph
// faces that the load keyed away included, becomes opaque. The texels are read and rewritten,
// so the lock keeps them (flags 0): a discarding lock hands back undefined contents.
void rekeyTextFont() {
  D3DSURFACE_DESC level;
  if (!textFontTexture || FAILED(textFontTexture->GetLevelDesc(0, &level))) return;
  D3DLOCKED_RECT locked;
  if (FAILED(textFontTexture->LockRect(0, &locked, nullptr, 0))) return;
  for (UINT y = 0; y < level.Height; ++y) {
    unsigned char* texel = static_cast<unsigned char*>(locked.pBits) + y * locked.Pitch;
    for (UINT x = 0; x < level.Width; ++x, texel += 4) {
      unsigned char blue = texel[0], green = texel[1], red = texel[2];
      bool magenta = red == 255 && green == 0 && blue == 255;
      bool pureGreen = red == 0 && green == 255 && blue == 0;
      if (magenta || pureGreen)
        std::memset(texel, 0, 4);
      else
        texel[3] = 255;
    }
  }
  textFontTexture->UnlockRect(0);
}

template <typename T>
void release(T*& handle) {
  if (handle) handle->Release();
  handle = nullptr;
}

template <typename T, int N>
void release(T* (&handles)[N]) {
  for (T*& handle : handles) release(handle);
}

}  // namespace

void makeGlyphQuad(int entry, TexturedVertex quad[4]) {
  const int cellRow = entry / atlasColumns;  // whole rows of the atlas above the glyph
  float column = float(entry % atlasColumns), row = float(cellRow);
  float left = column / atlasColumns, right = (column + glyphWidthUsed) / atlasColumns;
  float top = row / atlasRows, bottom = (row + 1) / atlasRows;
  quad[0] = {0, 0, 0, halfWhite, left, bottom};
  quad[1] = {1, 0, 0, halfWhite, right, bottom};
  quad[2] = {1, glyphHeight, 0, halfWhite, right, top};
  quad[3] = {0, glyphHeight, 0, halfWhite, left, top};
}

int createSceneResources() {
  releaseSceneResources();
  if (!currentDevice()) return 0;  // nothing can be made without a device

  makeScreenQuads();
  resetNotes();
  makeGlyphTable(scrollGlyphs);
  makeGlyphTable(textGlyphs);
  makeBarsAndSpark();
  resetSparks();
  loadPictures();
  makeTargets();
  isoSurface = new IsoSurface(currentDevice(), isoGridSize, isoLevel, metaballField);
  deriveTrackFields();
  rekeyTextFont();

  static const float unitQuad[4][3] = {
      {-0.5f, 0.5f, 0.5f}, {0.5f, 0.5f, 0.5f}, {0.5f, -0.5f, 0.5f}, {-0.5f, -0.5f, 0.5f}};
  panelQuad = texturedQuadBuffer(unitQuad, clearWhite);
  metaballQuad = texturedQuadBuffer(unitQuad, clearWhite);
  return 0;
}

void releaseSceneResources() {
  release(screenQuad);
  release(pointerQuad);
  release(buttonQuads);
  release(speakerQuad);
  release(volumeQuad);
  release(repeatQuad);
  release(noteQuad);
  release(panelQuad);
  release(metaballQuad);
  release(barQuads);
  release(sparkVertex);
  release(scrollGlyphs);
  release(textGlyphs);

  release(backgroundTexture);
  release(noteTextures);
  release(scrollFontTexture);
  release(textFontTexture);
  release(sparkTexture);
  release(highlightTextures);
  release(pointerTexture);
  release(speakerTexture);
  release(repeatTexture);
  release(carouselSurface);
  release(labelSurface);
  release(metaballSurface);
  release(backBuffer);
  release(carouselTarget);
  release(labelTarget);
  release(metaballTarget);
  release(staticTexture);
  release(volumeTexture);

  delete isoSurface;
  isoSurface = nullptr;
}
