// The console picture: night sky with the disk's logo at the top left, the main screen with its
// volume chin, the small track display, the info band, the spectrum shelf, a perspective grid
// floor, the base rail with the scroller's light strip; the title strip, control deck and
// loudspeakers come from their own files.
#include "background_art.h"

#include "paint.h"

#include <cmath>
#include <utility>

namespace {

using namespace layout;

constexpr unsigned consoleDark = 0x0f131c;  // the console's ground colour
constexpr int starCount = 70;               // stars in the sky at the top left
constexpr double floorTop = 306;            // first row of the grid floor (pixels)
constexpr double railTop = 452;             // first row of the base rail (pixels)

std::vector<PixelPoint> points(const PixelPoint (&corners)[4]) {
  return {corners[0], corners[1], corners[2], corners[3]};
}

// Where the lines through a1-a2 and b1-b2 cross.
PixelPoint crossing(PixelPoint a1, PixelPoint a2, PixelPoint b1, PixelPoint b2) {
  const double dax = a2.x - a1.x, day = a2.y - a1.y, dbx = b2.x - b1.x, dby = b2.y - b1.y;
  const double t = ((b1.x - a1.x) * dby - (b1.y - a1.y) * dbx) / (dax * dby - day * dbx);
  return {a1.x + t * dax, a1.y + t * day};
}

void drawGround(cairo_t* cr) {
  setLinear(cr, 0, 0, 0, pictureHeight, {0x141a26, 0x0f131c, 0x0c1018});
  cairo_paint(cr);
}

void drawSky(cairo_t* cr, const FontFaces& fonts) {
  // Deep night around the spark source, fading into the console's ground colour.
  setRadial(cr, sparkSource.x, sparkSource.y, 0, 330, {0x03050a, 0x070a12, 0x0f131c});
  cairo_paint(cr);
  // Fixed pseudo-random stars (a small linear congruential sequence, so every run is the same).
  unsigned seed = 12345;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) & 0x7FFF;
  };
  for (int i = 0; i < starCount; ++i) {
    const double x = next() % 250, y = titleStripRows + 2 + next() % 290;
    const double brightness = 0.25 + (next() % 100) / 160.0;
    setColour(cr, 0x9fb4d8, brightness);
    cairo_rectangle(cr, x, y, 1, 1);
    cairo_fill(cr);
    if (next() % 7 == 0) {  // a few brighter ones with a soft cross
      setColour(cr, 0x6f84b0, brightness * 0.5);
      cairo_rectangle(cr, x - 1, y, 3, 1);
      cairo_rectangle(cr, x, y - 1, 1, 3);
      cairo_fill(cr);
    }
  }
  // The disk's logo: chrome lettering with a cool glow.
  const double logoX = 74, logoY = 158;
  setRadial(cr, 140, 162, 0, 125, {0x183656, 0x0b1a2e, 0x000000});
  cairo_set_operator(cr, CAIRO_OPERATOR_SCREEN);
  cairo_paint(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
  cairo_set_font_face(cr, fonts.cairoFace(FontFaces::sansBold));
  cairo_set_font_size(cr, 46);
  cairo_move_to(cr, logoX, logoY);
  cairo_text_path(cr, "Zolta");
  cairo_set_line_width(cr, 3);
  setColour(cr, 0x020308);
  cairo_stroke_preserve(cr);
  setLinear(cr, 0, logoY - 34, 0, logoY + 2, {0xf4f8ff, 0xa9bdd8, 0x3a4f74, 0x7fa4d0, 0xe0ecff});
  cairo_fill(cr);
  cairo_set_font_size(cr, 19);
  cairo_move_to(cr, logoX + 3, logoY + 26);
  cairo_text_path(cr, "RodiZeve #1");
  cairo_set_line_width(cr, 2);
  setColour(cr, 0x020308);
  cairo_stroke_preserve(cr);
  setLinear(cr, 0, logoY + 12, 0, logoY + 27, {0x9ff0ff, 0x38b8e8, 0x1a6ea0});
  cairo_fill(cr);
  setColour(cr, 0x38b8e8, 0.6);
  cairo_rectangle(cr, logoX + 3, logoY + 33, 150, 1);
  cairo_fill(cr);
  setColour(cr, 0x5d6a84);
  drawText(cr, fonts, FontFaces::sans, 9, logoX + 4, logoY + 46, "a chiptune music disk");
}

// The raised back panel that carries the main screen and the track display.
void drawBackPanel(cairo_t* cr) {
  const double left = 248, top = 64, bottom = 259;
  cairo_save(cr);
  cairo_translate(cr, -2, 3);
  roundedRect(cr, left, top, pictureWidth - left + 20, bottom - top, 10);
  setColour(cr, 0x000000, 0.45);
  cairo_fill(cr);
  cairo_restore(cr);
  roundedRect(cr, left, top, pictureWidth - left + 20, bottom - top, 10);
  setLinear(cr, 0, top, 0, bottom, {0x1f2636, 0x171c28, 0x121620});
  cairo_fill_preserve(cr);
  cairo_set_line_width(cr, 1);
  setColour(cr, 0x05070b);
  cairo_stroke(cr);
  roundedRect(cr, left + 1, top + 1, pictureWidth - left + 18, bottom - top - 2, 9);
  cairo_pattern_t* rim = cairo_pattern_create_linear(0, top, 0, bottom);
  addStop(rim, 0, 0x7d8aa6, 0.55);
  addStop(rim, 0.3, 0x7d8aa6, 0.1);
  addStop(rim, 1, 0x7d8aa6, 0.0);
  cairo_set_source(cr, rim);
  cairo_stroke(cr);
  cairo_pattern_destroy(rim);
  // A speaker grille of small holes under the track display.
  for (int row = 0; row < 7; ++row)
    for (int col = 0; col < 11; ++col) {
      const double x = 552 + col * 7.5 + (row % 2) * 3.75, y = 203 + row * 7;
      setColour(cr, 0x05070b);
      cairo_arc(cr, x, y, 1.9, 0, 2 * M_PI);
      cairo_fill(cr);
      setColour(cr, 0x4a5670, 0.6);
      cairo_arc(cr, x + 0.4, y + 0.6, 1.9, 0.2, M_PI - 0.2);
      cairo_stroke(cr);
    }
}

// A screen bezel's body: a vertical gradient outlined in near-black, with a light bevel
// just inside the outline.
void drawBezelBody(cairo_t* cr, const std::vector<PixelPoint>& bezel,
                   const std::vector<unsigned>& shades) {
  polygonPath(cr, bezel);
  setLinear(cr, 0, bezel[0].y, 0, bezel[3].y, shades);
  cairo_fill_preserve(cr);
  cairo_set_line_width(cr, 1);
  setColour(cr, 0x07090e);
  cairo_stroke(cr);
  polygonPath(cr, offsetPolygon(bezel, -1.5));
  setColour(cr, 0x8d9ab2, 0.45);
  cairo_stroke(cr);
}

void drawMainScreen(cairo_t* cr, const FontFaces& fonts) {
  const std::vector<PixelPoint> panel = points(carouselPanel);
  const std::vector<PixelPoint> outer14 = offsetPolygon(panel, 14);
  // The bezel's chin runs under the volume slot, parallel to it.
  const PixelPoint chinA{387, 251}, chinB{501, 235};
  std::vector<PixelPoint> bezel = {outer14[0], outer14[1],
                                   crossing(outer14[1], outer14[2], chinA, chinB),
                                   crossing(outer14[3], outer14[0], chinA, chinB)};
  // Drop shadow, body, bevel.
  cairo_save(cr);
  cairo_translate(cr, 3, 4);
  polygonPath(cr, offsetPolygon(bezel, 2));
  setColour(cr, 0x000000, 0.55);
  cairo_fill(cr);
  cairo_restore(cr);
  drawBezelBody(cr, bezel, {0x5b667c, 0x3a4354, 0x262c38, 0x323a4a});
  // Inner lip and glass.
  polygonPath(cr, offsetPolygon(panel, 5));
  setLinear(cr, 0, 90, 0, 245, {0x0b0e15, 0x1a202b});
  cairo_fill(cr);
  polygonPath(cr, offsetPolygon(panel, 2));
  setLinear(cr, panel[0].x, panel[0].y, panel[2].x, panel[2].y, {0x0a1322, 0x04070d, 0x03050a});
  cairo_fill(cr);
  // A faint reflection across the upper left of the glass.
  cairo_save(cr);
  polygonPath(cr, offsetPolygon(panel, 2));
  cairo_clip(cr);
  cairo_move_to(cr, 262, 85);
  cairo_line_to(cr, 380, 85);
  cairo_line_to(cr, 262, 200);
  cairo_close_path(cr);
  setLinear(cr, 262, 85, 320, 140, {0x3a5a80, 0x0a1322});
  cairo_set_operator(cr, CAIRO_OPERATOR_SCREEN);
  cairo_fill(cr);
  cairo_restore(cr);
  // Screws at the four corners of the bezel.
  for (const PixelPoint& p : offsetPolygon(bezel, -6)) {
    setRadial(cr, p.x - 0.5, p.y - 0.5, 0, 3, {0xb8c2d4, 0x5a6478, 0x1c2029});
    cairo_arc(cr, p.x, p.y, 2.5, 0, 2 * M_PI);
    cairo_fill(cr);
  }
  // The volume slot: a dark groove around the bar, a lit rail inside, ticks and a label.
  const std::vector<PixelPoint> bar = points(volumeBar);
  polygonPath(cr, offsetPolygon(bar, 2.5));
  setColour(cr, 0x05070b);
  cairo_fill(cr);
  polygonPath(cr, offsetPolygon(bar, 2.5));
  setColour(cr, 0x7f8ca4, 0.5);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
  polygonPath(cr, bar);
  setLinear(cr, 0, 217, 0, 242, {0x7d9cc2, 0x4a6488, 0x2c3e58});
  cairo_fill(cr);
  for (int tick = 0; tick <= 10; ++tick) {
    const double t = tick / 10.0;
    const double x = bar[3].x + t * (bar[2].x - bar[3].x), y = bar[3].y + t * (bar[2].y - bar[3].y);
    setColour(cr, 0x9aa8c0, tick % 5 == 0 ? 0.9 : 0.5);
    cairo_move_to(cr, x, y + 4);
    cairo_line_to(cr, x, y + (tick % 5 == 0 ? 8 : 6));
    cairo_stroke(cr);
  }
  cairo_save(cr);
  cairo_translate(cr, 336, 249);
  cairo_rotate(cr, std::atan2(bar[1].y - bar[0].y, bar[1].x - bar[0].x));
  setColour(cr, 0xaab6ca);
  drawText(cr, fonts, FontFaces::sansBold, 8, 0, 0, "volume");
  cairo_restore(cr);
}

void drawTrackDisplay(cairo_t* cr, const FontFaces& fonts) {
  const std::vector<PixelPoint> panel = points(labelPanel);
  const std::vector<PixelPoint> bezel = offsetPolygon(panel, 7);
  cairo_save(cr);
  cairo_translate(cr, 2, 3);
  polygonPath(cr, bezel);
  setColour(cr, 0x000000, 0.55);
  cairo_fill(cr);
  cairo_restore(cr);
  drawBezelBody(cr, bezel, {0x5b667c, 0x323a4a, 0x262c38});
  polygonPath(cr, offsetPolygon(panel, 3));
  setColour(cr, 0x0b0e15);
  cairo_fill(cr);
  polygonPath(cr, offsetPolygon(panel, 1.5));
  setLinear(cr, panel[0].x, panel[0].y, panel[2].x, panel[2].y, {0x0a1322, 0x03050a});
  cairo_fill(cr);
  cairo_save(cr);
  cairo_translate(cr, 552, 116);
  cairo_rotate(cr, std::atan2(panel[1].y - panel[0].y, panel[1].x - panel[0].x));
  setColour(cr, 0x8c98ac);
  drawText(cr, fonts, FontFaces::sansBold, 8, 0, 0, "now playing");
  cairo_restore(cr);
}

void drawInfoBand(cairo_t* cr) {
  const double top = 263, bottom = 306, left = 300;
  cairo_pattern_t* fade = cairo_pattern_create_linear(left, 0, left + 40, 0);
  addStop(fade, 0, 0x161c28, 0);
  addStop(fade, 1, 0x161c28, 1);
  cairo_rectangle(cr, left, top, pictureWidth - left, bottom - top);
  cairo_set_source(cr, fade);
  cairo_fill(cr);
  cairo_pattern_destroy(fade);
  for (double row : {top, bottom - 1}) {
    cairo_pattern_t* line = cairo_pattern_create_linear(left, 0, pictureWidth, 0);
    addStop(line, 0, 0x2a9ec8, 0);
    addStop(line, 0.2, 0x2a9ec8, 0.55);
    addStop(line, 1, 0x2a9ec8, 0.25);
    cairo_rectangle(cr, left, row, pictureWidth - left, 1);
    cairo_set_source(cr, line);
    cairo_fill(cr);
    cairo_pattern_destroy(line);
  }
}

void drawFloor(cairo_t* cr) {
  cairo_save(cr);
  cairo_rectangle(cr, 0, floorTop, pictureWidth, railTop - floorTop);
  cairo_clip(cr);
  setLinear(cr, 0, floorTop, 0, railTop, {0x0a0d16, 0x10142a, 0x1a1634});
  cairo_paint(cr);
  // Grid on the plane y = -1 seen by the program's camera: row 240 + 579.4 / z, column 320 + 176.7
  // x / z.
  cairo_set_line_width(cr, 1);
  // The rows' depths are a geometric series, each the one before divided by 1.22.
  for (double z = 9.0; z > 1.8; z /= 1.22) {  // NOLINT(clang-analyzer-security.FloatLoopCounter)
    const double row = std::floor(240 + 579.4 / z) + 0.5;
    setColour(cr, 0x2fa8d8, std::min(0.55, 0.9 / z));
    cairo_move_to(cr, 0, row);
    cairo_line_to(cr, pictureWidth, row);
    cairo_stroke(cr);
  }
  for (int k = -16; k <= 16; ++k) {
    const double x = k * 0.6;
    setColour(cr, 0x2fa8d8, 0.22);
    cairo_move_to(cr, 320 + 176.7 * x / 9.0, 240 + 579.4 / 9.0);
    cairo_line_to(cr, 320 + 176.7 * x / 1.5, 240 + 579.4 / 1.5);
    cairo_stroke(cr);
  }
  // Horizon haze.
  cairo_pattern_t* haze = cairo_pattern_create_linear(0, floorTop, 0, floorTop + 30);
  addStop(haze, 0, 0x0f131c, 1);
  addStop(haze, 1, 0x0f131c, 0);
  cairo_set_source(cr, haze);
  cairo_paint(cr);
  cairo_pattern_destroy(haze);
  cairo_restore(cr);
}

void drawSpectrumShelf(cairo_t* cr) {
  // The bars stand on the line (225, 333)-(309, 314): a glowing edge with a soft light below.
  const PixelPoint from{225, 333.5}, to{312, 313.5};
  cairo_move_to(cr, from.x, from.y);
  cairo_line_to(cr, to.x, to.y);
  cairo_line_to(cr, to.x, to.y + 8);
  cairo_line_to(cr, from.x, from.y + 14);
  cairo_close_path(cr);
  cairo_pattern_t* light = cairo_pattern_create_linear(0, to.y, 0, from.y + 14);
  addStop(light, 0, 0x38c8f0, 0.28);
  addStop(light, 1, 0x38c8f0, 0.0);
  cairo_set_source(cr, light);
  cairo_fill(cr);
  cairo_pattern_destroy(light);
  cairo_set_line_width(cr, 1.2);
  cairo_move_to(cr, from.x, from.y);
  cairo_line_to(cr, to.x, to.y);
  cairo_pattern_t* edge = cairo_pattern_create_linear(from.x, 0, to.x, 0);
  addStop(edge, 0, 0xbff0ff, 0.95);
  addStop(edge, 1, 0xbff0ff, 0.25);
  cairo_set_source(cr, edge);
  cairo_stroke(cr);
  cairo_pattern_destroy(edge);
}

void drawBaseRail(cairo_t* cr, const FontFaces& fonts) {
  cairo_rectangle(cr, 0, railTop, pictureWidth, pictureHeight - railTop);
  setLinear(cr, 0, railTop, 0, pictureHeight, {0x3a4354, 0x222834, 0x161a22});
  cairo_fill(cr);
  cairo_rectangle(cr, 0, railTop, pictureWidth, 1);
  setColour(cr, 0x7d8aa2);
  cairo_fill(cr);
  // The scroller's white strip with a dark frame and a soft inner shadow above the glyph rows.
  const PixelRect strip = scrollerStrip;
  cairo_rectangle(cr, strip.x - 1, strip.y - 1, strip.width + 2, strip.height + 2);
  setColour(cr, 0x07090d);
  cairo_fill(cr);
  cairo_rectangle(cr, strip.x, strip.y, strip.width, strip.height);
  setColour(cr, 0xffffff);
  cairo_fill(cr);
  cairo_rectangle(cr, strip.x, strip.y, strip.width, 2);
  setColour(cr, 0x8a948a, 0.5);
  cairo_fill(cr);
  setColour(cr, 0x6c788e);
  drawText(cr, fonts, FontFaces::sansBold, 9, 18, 470, "ZR-1  stereo music disk");
}

void drawConsole(cairo_t* cr, const FontFaces& fonts, const ConsoleLook& look) {
  drawGround(cr);
  drawSky(cr, fonts);
  drawFloor(cr);
  drawBackPanel(cr);
  drawInfoBand(cr);
  drawMainScreen(cr, fonts);
  drawTrackDisplay(cr, fonts);
  drawSpectrumShelf(cr);
  drawLoudspeakers(cr, fonts);
  drawBaseRail(cr, fonts);
  drawControlDeck(cr, fonts, look);
  drawTitleStrip(cr, fonts);
}

}  // namespace

RgbImage drawBackground(const FontFaces& fonts, const ConsoleLook& look) {
  cairo_surface_t* surface =
      cairo_image_surface_create(CAIRO_FORMAT_ARGB32, pictureWidth, pictureHeight);
  cairo_t* cr = cairo_create(surface);
  setColour(cr, consoleDark);
  cairo_paint(cr);
  drawConsole(cr, fonts, look);
  cairo_destroy(cr);
  RgbImage image = imageFromSurface(surface);
  cairo_surface_destroy(surface);
  return image;
}

std::vector<std::uint8_t> leftCabinetCoverage() {
  cairo_surface_t* surface =
      cairo_image_surface_create(CAIRO_FORMAT_A8, pictureWidth, pictureHeight);
  cairo_t* cr = cairo_create(surface);
  leftCabinetPath(cr);
  cairo_fill(cr);
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  std::vector<std::uint8_t> coverage(std::size_t(pictureWidth) * pictureHeight);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  for (int y = 0; y < pictureHeight; ++y)
    for (int x = 0; x < pictureWidth; ++x)
      coverage[std::size_t(y) * pictureWidth + x] = data[y * stride + x];
  cairo_surface_destroy(surface);
  return coverage;
}
