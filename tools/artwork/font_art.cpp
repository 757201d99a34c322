// Glyph atlases: the scroller font rendered with FreeType from a DejaVu face, the 3D text
// font from its hand-drawn glyph table.
#include "font_art.h"

#include "text_glyph_table.h"

#include <algorithm>
#include <cmath>

namespace {

using namespace fontatlas;

constexpr Rgb white{255, 255, 255};
constexpr Rgb black{0, 0, 0};
constexpr Rgb keyGreen{0, 255, 0};

// Scroller font: 8 x 11 cells; the quads sample 7.2 of the 8 columns.
constexpr int scrollCellWidth = 8, scrollCellHeight = 11;  // pixels
constexpr int scrollInkWidth = 7;                          // pixels usable per cell
constexpr int scrollPixelSize = 10;                        // FreeType pixel size
constexpr int scrollBaseline = 8;                          // cell row under the baseline

// Text font: 143 x 53 pixels in cells of 8.9375 x 8.8333 pixels. The glyph quads sample the
// left nine tenths of a cell: a box of 8 x 8 whole pixels, each at least half inside, holds a
// 6 x 6 glyph with a one-pixel outline all round. The glyphs fill the box, so neighbouring
// letters' outlines overlap a little in the carousel and touch in the label.
constexpr int textWidth = 143, textHeight = 53;  // pixels
constexpr int textBox = textGlyphSize + 2;       // pixels, square, outline included

}  // namespace

RgbImage drawScrollerFont(const FontFaces& fonts) {
  RgbImage atlas(columns * scrollCellWidth, rows * scrollCellHeight, white);
  for (int k = 1; k < columns * rows - 1; ++k) {  // space (32) and 127 stay blank
    const GlyphBitmap glyph =
        fonts.render(FontFaces::monoBold, char(firstCode + k), scrollPixelSize, true);
    const int cellX = (k % columns) * scrollCellWidth, cellY = (k / columns) * scrollCellHeight;
    const int offsetX = std::clamp(glyph.left, 0, std::max(0, scrollInkWidth - glyph.width));
    for (int y = 0; y < glyph.rows; ++y)
      for (int x = 0; x < glyph.width; ++x) {
        const int px = offsetX + x, py = scrollBaseline - glyph.top + y;
        if (px < 0 || px >= scrollInkWidth || py < 0 || py >= scrollCellHeight ||
            glyph.at(x, y) < 128)
          continue;
        atlas.at(cellX + px, cellY + py) = black;
      }
  }
  return atlas;
}

RgbImage drawTextFont() {
  RgbImage atlas(textWidth, textHeight, keyGreen);
  const double cellWidth = double(textWidth) / columns, cellHeight = double(textHeight) / rows;
  for (int code = textGlyphFirst; code <= textGlyphLast; ++code) {
    const int k = code - firstCode;
    const int column = k % columns, row = k / columns;
    const int x0 = int(std::floor(column * cellWidth + 0.5));
    const int y0 = int(std::floor(row * cellHeight + 0.5));
    const char* const* glyph = textGlyphRows[code - textGlyphFirst];
    auto ink = [&](int x, int y) {  // box coordinates; the glyph sits one pixel in
      const int gx = x - 1, gy = y - 1;
      return gx >= 0 && gx < textGlyphSize && gy >= 0 && gy < textGlyphSize && glyph[gy][gx] == '#';
    };
    for (int y = 0; y < textBox; ++y)
      for (int x = 0; x < textBox; ++x) {
        bool near = false;  // ink in the 3 x 3 neighbourhood earns an outline pixel
        for (int dy = -1; dy <= 1; ++dy)
          for (int dx = -1; dx <= 1; ++dx) near = near || ink(x + dx, y + dy);
        if (near) atlas.at(x0 + x, y0 + y) = ink(x, y) ? white : black;
      }
  }
  return atlas;
}
