// The track information text: title and artist lines of small 3D glyphs with their scroll
// offsets, skip and restart rules and the fade that takes its alpha from the vertex colour.
#include "frame/track_info.h"

#include <cstring>

#include "effects/text_fade.h"
#include "frame/glyph_run.h"
#include "gfx/device.h"
#include "gfx/placement.h"
#include "gfx/scene_resources.h"
#include "music/playback.h"
#include "music/playlist.h"
#include "support/ref_string.h"

namespace {

constexpr float titleStart = 10.0f;      // infoTitleScroll at the start of a pass, world x
constexpr float artistStart = -2.0f;     // infoArtistScroll at the start of a pass, world x
constexpr float titleLead = 0.6f;        // title layout begins this far right of its offset
constexpr float infoPitch = 0.4f;        // character pitch and glyph scale, world units
constexpr float titleSkipLeft = -1.3f;   // title characters left of this x are skipped
constexpr float artistSkipLeft = -3.0f;  // artist characters outside these x are skipped
constexpr float artistSkipRight = 9.0f;
constexpr float titleY = -0.53f;  // line heights, world units
constexpr float artistY = -0.35f;
constexpr float infoDepth = 5.0f;  // z of both lines, world units
constexpr double fadeShift = 8.0;  // world x shift of the fade ramp

// Draws the glyph of `code` at x on a line, tinted white with the fade alpha of x. Returns
// whether anything was drawn.
bool drawInfoGlyph(char code, float x, float y) {
  setWorldPlacement(uprightPlacement(x, y, infoDepth, infoPitch, infoPitch, infoPitch));
  int index = glyphIndex(code);
  if (index < 0 || !textGlyphs[index]) return false;
  GlyphQuad quad = textGlyphs[index];
  void* data = nullptr;
  if (SUCCEEDED(quad->Lock(0, quadBytes<TexturedVertex>, &data, 0)) && data) {
    D3DCOLOR colour = D3DCOLOR(infoFadeAlpha(x)) << 24 | 0x00FFFFFF;
    TexturedVertex* vertices = static_cast<TexturedVertex*>(data);
    for (int i = 0; i < 4; ++i) vertices[i].colour = colour;
    quad->Unlock();
  }
  IDirect3DDevice9* device = deviceState.device;
  device->SetStreamSource(0, quad, 0, sizeof(TexturedVertex));
  device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
  return true;
}

// Title line: enters from the right and moves left; restarts once it has drawn nothing.
void drawTitleLine(const RefString& title, float frameSeconds) {
  int drawn = 0;
  float x = infoTitleScroll + titleLead;
  for (int c = 0; c < title.length(); ++c) {
    x += infoPitch;
    if (x < titleSkipLeft) continue;
    if (drawInfoGlyph(title.chars()[c], x, titleY)) ++drawn;
  }
  infoTitleScroll -= frameSeconds;
  if (drawn == 0) infoTitleScroll = titleStart;
}

// Artist line: grows out of the fade and moves right; restarts once it has drawn nothing.
void drawArtistLine(const RefString& artist, float frameSeconds) {
  int drawn = 0;
  float x = infoArtistScroll - artist.length() * infoPitch;
  for (int c = 0; c < artist.length(); ++c) {
    x += infoPitch;
    if (x > artistSkipRight || x < artistSkipLeft) continue;
    if (drawInfoGlyph(artist.chars()[c], x, artistY)) ++drawn;
  }
  infoArtistScroll += frameSeconds;
  if (drawn == 0) infoArtistScroll = artistStart;
}

}  // namespace

float infoTitleScroll = titleStart;
float infoArtistScroll = artistStart;

int infoFadeAlpha(float x) { return int(textFadeFull - textFade<double>(x, fadeShift)); }

void drawTrackInfo(float frameSeconds) {
  IDirect3DDevice9* device = deviceState.device;
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
  device->SetTexture(0, textFontTexture);
  device->SetFVF(texturedFvf);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);

  if (playlist.count > 0) {
    const TrackEntry& entry = *playlist.playOrder[currentTrack];
    drawTitleLine(entry.title, frameSeconds);
    drawArtistLine(entry.artist, frameSeconds);
  } else {
    int length = int(std::strlen(noTunesMessage));
    drawTitleLine(RefString::borrow(noTunesMessage, 0, length), frameSeconds);
    drawArtistLine(RefString(), frameSeconds);
  }
}
