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

// Text font: 143 x 53 pixels, cells 8.9375 x 8.8333 pixels.
constexpr int textWidth = 143, textHeight = 53;             // pixels
constexpr int masterSize = 64;                              // FreeType pixel size of the master glyphs
constexpr double textEm = 6.2;                              // pixels the master's em becomes
constexpr double textAscent = 0.8;                          // em above the baseline that must fit
constexpr int supersample = 8;                              // samples per axis per atlas pixel
constexpr double inkGain = 1.8;                             // coverage to grey: thin strokes still reach white
constexpr double outlineThreshold = 0.3;                   // neighbourhood ink that earns an outline pixel

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
    // Whole pixels inside the sampled part of the cell, and inside them the 1-pixel outline.
    const int x0 = int(std::ceil(col * cellWidth)), x1 = int(std::floor((col + sampledWidth) * cellWidth));
    const int y0 = int(std::ceil(row * cellHeight)), y1 = int(std::floor((row + 1) * cellHeight));
    const int innerW = x1 - x0 - 2, innerH = y1 - y0 - 2;
    const GlyphBitmap glyph = fonts.render(FontFaces::sansBold, char(firstCode + k), masterSize, false);
    if (glyph.width == 0) continue;
    // Master pixels per atlas pixel: the em maps to textEm pixels, squeezed further if too wide.
    const double scaleY = masterSize / textEm;
    const double scaleX = std::max(scaleY, double(glyph.width) / innerW);
    // Inner-box row of the baseline, raised for glyphs that reach below the box (such as '_').
    double baseline = 1 + textAscent * textEm;
    baseline -= std::max(0.0, baseline + (glyph.rows - glyph.top) / scaleY - (innerH + 1));
    const double originX = 1 + (innerW - glyph.width / scaleX) / 2;
    std::vector<double> ink(std::size_t(x1 - x0) * (y1 - y0), 0.0);
    for (int y = 1; y <= innerH; ++y)
      for (int x = 1; x <= innerW; ++x) {
        int sum = 0;
        for (int sy = 0; sy < supersample; ++sy)
          for (int sx = 0; sx < supersample; ++sx) {
            const int gx = int(std::floor((x + (sx + 0.5) / supersample - originX) * scaleX));
            const int gy = int(std::floor((y + (sy + 0.5) / supersample - baseline) * scaleY)) + glyph.top;
            if (gx >= 0 && gx < glyph.width && gy >= 0 && gy < glyph.rows) sum += glyph.at(gx, gy);
          }
        ink[std::size_t(y) * (x1 - x0) + x] = sum / (255.0 * supersample * supersample);
      }
    // Tiny marks (the grave accent) are lifted so their strongest pixel is full white too.
    const double strongest = *std::max_element(ink.begin(), ink.end());
    if (strongest > 0)
      for (double& value : ink) value /= strongest;
    for (int y = 0; y < y1 - y0; ++y)
      for (int x = 0; x < x1 - x0; ++x) {
        double near = 0;  // strongest ink in the 3 x 3 neighbourhood decides the outline
        for (int dy = -1; dy <= 1; ++dy)
          for (int dx = -1; dx <= 1; ++dx) {
            const int nx = x + dx, ny = y + dy;
            if (nx >= 0 && nx < x1 - x0 && ny >= 0 && ny < y1 - y0)
              near = std::max(near, ink[std::size_t(ny) * (x1 - x0) + nx]);
          }
        if (near < outlineThreshold) continue;
        const auto grey = std::uint8_t(std::lround(255 * std::min(1.0, ink[std::size_t(y) * (x1 - x0) + x] * inkGain)));
        atlas.at(x0 + x, y0 + y) = {grey, grey, grey};
      }
  }
  return atlas;
}
