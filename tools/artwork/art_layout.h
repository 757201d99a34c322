// Where the program draws over the background and where it reacts to the mouse, in window
// pixels of the 640 x 480 picture. The background puts its artwork exactly here, and the
// overlay pictures (highlights, lamp, speaker patch) are cut from the same places.
#pragma once

#include "app/screen_layout.h"

struct PixelPoint {
  double x, y;
};

namespace layout {

constexpr int pictureWidth = clientWidth;    // pixels
constexpr int pictureHeight = clientHeight;  // pixels

using ::closeZone;
using ::fullScreenZone;
using ::minimiseZone;
using ::titleStripRows;

using ::buttonCount;
constexpr PixelRect button(int i) { return controlButton(i); }  // highlight picture area

constexpr PixelRect lampPicture = repeatLampPicture;
constexpr double lampCentreX = repeatLampZone.x + (repeatLampZone.width - 1) / 2.0;  // pixel centre
constexpr double lampCentreY = repeatLampZone.y + (repeatLampZone.height - 1) / 2.0;
using ::speakerPatch;
// The bright corner cap of the left cabinet that the patch is cut from. The program samples
// the patch half a texel off, so every screen pixel at the patch's edge mixes its outermost
// texels with keyed white ones. The cap is near white for at least three pixels in from every
// edge, and the patch leaves a one-pixel ring of it keyed all round (its first column, its
// last row and the cabinet's outermost pixels), so that mix matches the background.
constexpr PixelRect speakerCap{217, 314, 21, 20};  // x 217-237, y 314-333

// The carousel panel, track-label panel and volume bar as the program draws them
// (top-left, top-right, bottom-right, bottom-left).
constexpr PixelPoint carouselPanel[4] = {{270, 93}, {521, 94}, {522, 202}, {272, 241}};
constexpr PixelPoint labelPanel[4] = {{550, 127}, {629, 135}, {628, 179}, {549, 168}};
constexpr PixelPoint volumeBar[4] = {{volumeBarQuad[0][0], volumeBarQuad[0][1]},
                                     {volumeBarQuad[1][0], volumeBarQuad[1][1]},
                                     {volumeBarQuad[2][0], volumeBarQuad[2][1]},
                                     {volumeBarQuad[3][0], volumeBarQuad[3][1]}};

constexpr PixelPoint sparkSource{50, 81};
constexpr PixelPoint leftFountain{218, 327};
constexpr PixelPoint rightFountain{523, 327};
// The greetings scroller's strip: white, as its fading glyph cells blend their white surround
// over it (cells pass rows 460-470 and columns 232-632).
constexpr PixelRect scrollerStrip{225, 455, 408, 24};
constexpr PixelRect infoTextBand{314, 267, 326, 35};

}  // namespace layout
