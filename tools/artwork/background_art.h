// The 640 x 480 console picture (resource 105) and the variants the overlay pictures are cut
// from: a transport button lit, the repeat lamp lit.
#pragma once

#include "font_face.h"
#include "raster.h"

#include <cairo.h>

#include <vector>

struct ConsoleLook {
  int litButton = -1;    // 0-4: that transport button in its hover look
  bool lampLit = false;  // the repeat lamp switched on
};

RgbImage drawBackground(const FontFaces& fonts, const ConsoleLook& look = {});

// Coverage of the left loudspeaker cabinet, 640 x 480, one byte a pixel (0 = not cabinet).
std::vector<std::uint8_t> leftCabinetCoverage();

// Pieces of the picture, drawn in window pixels on a 640 x 480 context.
void drawTitleStrip(cairo_t* cr, const FontFaces& fonts);
void drawControlDeck(cairo_t* cr, const FontFaces& fonts, const ConsoleLook& look);
void drawLoudspeakers(cairo_t* cr, const FontFaces& fonts);
void leftCabinetPath(cairo_t* cr);
