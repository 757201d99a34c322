// The title carousel and the track label: the carousel animation working off carouselSteps,
// and the two glyph runs drawn in passes 1 and 2 of the frame.
#include "frame/carousel.h"

#include <algorithm>

#include "frame/glyph_run.h"
#include "gfx/device.h"
#include "gfx/scene_resources.h"
#include "music/playback.h"
#include "music/playlist.h"
#include "support/ref_string.h"

namespace {

constexpr float carouselStep = 0.01f;         // title move per frame, world units
constexpr float carouselPitch = 0.35714287f;  // character pitch, world units (2.5 / 7)
constexpr float carouselGlyphScale = 0.4f;    // glyph scale, all axes
constexpr int fullColourSteps = 3;            // pending moves at which red is written again
constexpr float textDepth = 1.5f;             // z of both passes, world units
constexpr DWORD allButRed = 0xFFFFFFFE;       // colour-write mask without red
constexpr DWORD allChannels = 0x0000000F;     // colour-write mask of all four channels
constexpr float cullMargin = 0.01f;           // of the target's height of 2 in clip space

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
    entry->carouselX = carouselTitleX(entry->carouselY);
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

// Where a title on the line y stands against the carousel target: its glyphs reach from y up by
// their height at textDepth, and the camera's projection keeps y / z within [-1, 1] (a few
// pixels of margin spare rounding).
float clipPerUnit() { return deviceState.projection._22 / textDepth; }
bool aboveTarget(float y) { return y * clipPerUnit() >= 1.0f + cullMargin; }
bool belowTarget(float y) {
  return (y + glyphHeight * carouselGlyphScale) * clipPerUnit() <= -1.0f - cullMargin;
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

// Titles stand in display order, each lower than the one before, and move together, so the
// ten or so that can land on the target are found by a binary search and the rest are never
// visited: a long playlist costs the frame nothing.
void drawCarousel() {
  IDirect3DDevice9* device = deviceState.device;
  TrackEntry** const order = playlist.playOrder;
  TrackEntry** const first =
      std::partition_point(order, order + playlist.count,
                           [](const TrackEntry* entry) { return aboveTarget(entry->carouselY); });
  for (int i = int(first - order); i < playlist.count; ++i) {
    if (belowTarget(playlist.playOrder[i]->carouselY)) break;
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
