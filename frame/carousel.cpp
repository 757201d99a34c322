// The title carousel and the track label: the carousel animation working off carouselSteps,
// and the two glyph runs drawn in passes 1 and 2 of the frame.
#include "frame/carousel.h"

#include "frame/glyph_run.h"
#include "gfx/device.h"
#include "music/playback.h"
#include "music/playlist.h"
#include "support/ref_string.h"

namespace {

constexpr float carouselStep = 0.01f;         // title move per frame, world units
constexpr float carouselBaseX = -2.5f;        // x of a title on the line y = 0, world units
constexpr float carouselSlant = 0.15f;        // x moved left per unit of height
constexpr float carouselPitch = 0.35714287f;  // character pitch, world units (2.5 / 7)
constexpr float carouselGlyphScale = 0.4f;    // glyph scale, all axes
constexpr int fullColourSteps = 3;            // pending moves at which red is written again
constexpr float textDepth = 1.5f;             // z of both passes, world units
constexpr DWORD allButRed = 0xFFFFFFFE;       // colour-write mask without red
constexpr DWORD allChannels = 0x0000000F;     // colour-write mask of all four channels

constexpr float labelPitch = 0.6f;     // label character pitch and x scale, world units
constexpr float labelStartX = -2.5f;   // x of the label's first character
constexpr float labelY = -0.6f;        // y of the label's characters
constexpr float labelFirstY = -0.65f;  // y of its first character
constexpr float labelScaleY = 4.0f;    // glyph y scale: 1.2 world units high
constexpr float labelScaleZ = 1.0f;
constexpr float labelRightEdge = 2.72f;  // x of the target's right edge at textDepth
constexpr float tickerStep = 0.03f;      // no-tunes message move per frame, world units

float noTunesTicker = labelStartX;  // x of the no-tunes message's first character

void moveTitles(float step) {
  for (int i = 0; i < playlist.count; ++i) {
    TrackEntry* entry = playlist.playOrder[i];
    entry->carouselY += step;
    entry->carouselX = carouselBaseX - entry->carouselY * carouselSlant;
  }
}

float currentTitleY() { return playlist.playOrder[currentTrack]->carouselY; }

void drawTitle(const TrackEntry& entry) {
  const char* chars = entry.shortTitle.chars();
  for (int c = 0; c < entry.shortTitle.length(); ++c)
    drawGlyph(chars[c],
              uprightPlacement(entry.carouselX + c * carouselPitch, entry.carouselY, textDepth,
                               carouselGlyphScale, carouselGlyphScale, carouselGlyphScale));
}

}  // namespace

void animateCarousel() {
  if (playlist.count == 0) return;
  if (carouselSteps > 0) {
    moveTitles(carouselStep);
    if (currentTitleY() > 0) carouselSteps -= 1;
  }
  if (carouselSteps < 0) {
    moveTitles(-carouselStep);
    if (!(currentTitleY() > 0)) carouselSteps += 1;
  }
}

void drawCarousel() {
  IDirect3DDevice9* device = deviceState.device;
  for (int i = 0; i < playlist.count; ++i) {
    bool current = i == currentTrack;
    bool fewPending = carouselSteps > -fullColourSteps && carouselSteps < fullColourSteps;
    if (current && fewPending) device->SetRenderState(D3DRS_COLORWRITEENABLE, allButRed);
    drawTitle(*playlist.playOrder[i]);
    if (current) device->SetRenderState(D3DRS_COLORWRITEENABLE, allChannels);
  }
}

void drawTrackLabel() {
  RefString text;
  float startX = labelStartX;
  if (playlist.count > 0) {
    text.assign("Track ");
    text.append(playlist.playOrder[currentTrack]->number);
  } else {
    // Too long for the label: the message runs through it as a ticker, one step a frame.
    text.assign(noTunesMessage);
    startX = noTunesTicker;
    noTunesTicker -= tickerStep;
    if (noTunesTicker + text.length() * labelPitch < labelStartX) noTunesTicker = labelRightEdge;
  }
  const char* chars = text.chars();
  for (int i = 0; i < text.length(); ++i)
    drawGlyph(chars[i], uprightPlacement(startX + i * labelPitch, i == 0 ? labelFirstY : labelY,
                                         textDepth, labelPitch, labelScaleY, labelScaleZ));
}
