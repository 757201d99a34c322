// The two glyph atlases: 16 columns x 6 rows of cells holding character codes 32-127 in order.
#pragma once

#include "font_face.h"
#include "raster.h"

namespace fontatlas {
constexpr int columns = 16, rows = 6;  // cells
constexpr int firstCode = 32;          // code of cell 0
}  // namespace fontatlas

// Resource 112, 128 x 66: black glyphs on pure white in 8 x 11 cells, each glyph inside the
// left 7 pixels of its cell.
RgbImage drawScrollerFont(const FontFaces& fonts);

// Resource 118, 143 x 53: white glyphs with a black outline on pure green, each glyph with its
// outline in the 8 x 8 pixels at least half inside the left nine tenths of its cell.
RgbImage drawTextFont();
