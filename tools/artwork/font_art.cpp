// Glyph atlases rendered with FreeType from the DejaVu faces.
#include "font_art.h"

#include <algorithm>
#include <cmath>

namespace {

using namespace fontatlas;

constexpr Rgb white{255, 255, 255};
constexpr Rgb black{0, 0, 0};
constexpr Rgb keyGreen{0, 255, 0};

// Scroller font: 8 x 11 cells; the quads sample 7.2 of the 8 columns.
constexpr int scrollCellWidth = 8, scrollCellHeight = 11;  // pixels
constexpr int scrollInkWidth = 7;                           // pixels usable per cell
constexpr int scrollPixelSize = 10;                         // FreeType pixel size
constexpr int scrollBaseline = 8;                           // cell row under the baseline

// Text font: 143 x 53 pixels, cells 8.9375 x 8.8333 pixels of which whole 7-8 x 8 are sampled.
// Hinted monochrome glyphs of about five pixels keep their shape; antialiased ones go to mush.
constexpr int textWidth = 143, textHeight = 53;             // pixels
constexpr int textPixelSize = 7;                            // FreeType pixel size (caps 5 pixels)
constexpr int textBaseline = 6;                             // cell-box row under the baseline

}  // namespace

RgbImage drawScrollerFont(const FontFaces& fonts) {
  RgbImage atlas(columns * scrollCellWidth, rows * scrollCellHeight, white);
  for (int k = 1; k < columns * rows - 1; ++k) {  // space (32) and 127 stay blank
    const GlyphBitmap glyph = fonts.render(FontFaces::monoBold, char(firstCode + k), scrollPixelSize, true);
    const int cellX = (k % columns) * scrollCellWidth, cellY = (k / columns) * scrollCellHeight;
    const int offsetX = std::clamp(glyph.left, 0, std::max(0, scrollInkWidth - glyph.width));
    for (int y = 0; y < glyph.rows; ++y)
      for (int x = 0; x < glyph.width; ++x) {
        const int px = offsetX + x, py = scrollBaseline - glyph.top + y;
        if (px < 0 || px >= scrollInkWidth || py < 0 || py >= scrollCellHeight || glyph.at(x, y) < 128) continue;
        atlas.at(cellX + px, cellY + py) = black;
      }
  }
  return atlas;
}

RgbImage drawTextFont(const FontFaces& fonts) {
  RgbImage atlas(textWidth, textHeight, keyGreen);
  const double cellWidth = double(textWidth) / columns, cellHeight = double(textHeight) / rows;
  for (int k = 1; k < columns * rows - 1; ++k) {
    const int col = k % columns, row = k / columns;
    // Whole pixels inside the sampled part of the cell; the glyph sits one pixel in, so that
    // its outline stays inside too.
    const int x0 = int(std::ceil(col * cellWidth)), x1 = int(std::floor((col + sampledWidth) * cellWidth));
    const int y0 = int(std::ceil(row * cellHeight)), y1 = int(std::floor((row + 1) * cellHeight));
    const int boxW = x1 - x0, boxH = y1 - y0, innerW = boxW - 2;
    GlyphBitmap glyph;
    for (int width = textPixelSize; width >= textPixelSize - 3; --width) {  // narrower for wide glyphs
      glyph = fonts.render(FontFaces::sans, char(firstCode + k), textPixelSize, true, width);
      if (glyph.width <= innerW) break;
    }
    // Glyphs reaching below the box (such as '_') are raised into it, those above it lowered.
    const int top = std::max(1, textBaseline - glyph.top - std::max(0, textBaseline - glyph.top + glyph.rows - (boxH - 1)));
    const int left = 1 + (innerW - glyph.width) / 2;
    std::vector<bool> ink(std::size_t(boxW) * boxH, false);
    for (int y = 0; y < glyph.rows; ++y)
      for (int x = 0; x < glyph.width; ++x) {
        const int bx = left + x, by = top + y;
        if (bx >= 1 && bx <= innerW && by >= 1 && by < boxH - 1 && glyph.at(x, y) >= 128)
          ink[std::size_t(by) * boxW + bx] = true;
      }
    for (int y = 0; y < boxH; ++y)
      for (int x = 0; x < boxW; ++x) {
        bool near = false;  // ink in the 3 x 3 neighbourhood earns an outline pixel
        for (int dy = -1; dy <= 1; ++dy)
          for (int dx = -1; dx <= 1; ++dx) {
            const int nx = x + dx, ny = y + dy;
            near = near || (nx >= 0 && nx < boxW && ny >= 0 && ny < boxH && ink[std::size_t(ny) * boxW + nx]);
          }
        if (near) atlas.at(x0 + x, y0 + y) = ink[std::size_t(y) * boxW + x] ? white : black;
      }
  }
  return atlas;
}
