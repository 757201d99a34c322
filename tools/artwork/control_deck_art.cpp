// The title strip with its three window buttons, and the control deck: five transport buttons
// (normal or lit) and the repeat lamp (unlit or lit) with its label.
#include "background_art.h"
#include "paint.h"

#include <cmath>

namespace {

using namespace layout;

constexpr double deckLeft = 321, deckRight = 637, deckBottom = 58;  // pixels
constexpr double capInset = 2.5;  // pixels between a button cell's edge and its cap
constexpr double capRadius = 5;   // pixels
constexpr unsigned symbolNormal = 0xc5cfdd;
constexpr unsigned symbolLit = 0xf0feff;

void windowButton(cairo_t* cr, const PixelRect& zone, double right, unsigned top, unsigned bottom) {
  roundedRect(cr, zone.x + 0.5, 2.5, right - zone.x - 1, 10, 2);
  setLinear(cr, 0, 2, 0, 13, {top, bottom});
  cairo_fill_preserve(cr);
  cairo_set_line_width(cr, 1);
  setColour(cr, 0x07090e);
  cairo_stroke(cr);
}

// The symbol of a transport button centred on (cx, cy), as a path.
void symbolPath(cairo_t* cr, int button, double cx, double cy) {
  auto triangle = [cr](double x, double y, double w, double h, bool right) {
    cairo_move_to(cr, right ? x : x + w, y - h / 2);
    cairo_line_to(cr, right ? x + w : x, y);
    cairo_line_to(cr, right ? x : x + w, y + h / 2);
    cairo_close_path(cr);
  };
  switch (button) {
    case 0:  // previous: bar and two triangles pointing left
      cairo_rectangle(cr, cx - 9, cy - 6, 2.5, 12);
      triangle(cx - 6.5, cy, 7.5, 12, false);
      triangle(cx + 1, cy, 7.5, 12, false);
      break;
    case 1:  // pause
      cairo_rectangle(cr, cx - 5.5, cy - 6.5, 4, 13);
      cairo_rectangle(cr, cx + 1.5, cy - 6.5, 4, 13);
      break;
    case 2:  // stop
      cairo_rectangle(cr, cx - 6, cy - 6, 12, 12);
      break;
    case 3:  // play
      triangle(cx - 5, cy, 11.5, 14, true);
      break;
    default:  // next: two triangles pointing right and a bar
      triangle(cx - 8.5, cy, 7.5, 12, true);
      triangle(cx - 1, cy, 7.5, 12, true);
      cairo_rectangle(cr, cx + 6.5, cy - 6, 2.5, 12);
      break;
  }
}

void transportButton(cairo_t* cr, int index, bool lit) {
  const PixelRect cell = button(index);
  const double x = cell.x + capInset, y = cell.y + capInset;
  const double w = cell.width - 2 * capInset, h = cell.height - 2 * capInset;
  const double cx = cell.x + cell.width / 2.0, cy = cell.y + cell.height / 2.0;
  roundedRect(cr, x, y, w, h, capRadius);
  if (lit)
    setLinear(cr, 0, y, 0, y + h, {0x3a9ad0, 0x1f5f8c, 0x163f60});
  else
    setLinear(cr, 0, y, 0, y + h, {0x4f596e, 0x2d3442, 0x222834});
  cairo_fill_preserve(cr);
  cairo_set_line_width(cr, 1);
  setColour(cr, 0x06080c);
  cairo_stroke(cr);
  roundedRect(cr, x + 1, y + 1, w - 2, h - 2, capRadius - 1);
  setColour(cr, lit ? 0x9fe6ff : 0x8391aa, lit ? 0.7 : 0.35);
  cairo_stroke(cr);
  cairo_save(cr);
  roundedRect(cr, x + 1.5, y + 1.5, w - 3, h - 3, capRadius - 1.5);
  cairo_clip(cr);
  if (lit) {  // glow behind the symbol
    cairo_pattern_t* glow = cairo_pattern_create_radial(cx, cy, 0, cx, cy, 16);
    addStop(glow, 0, 0x8ff0ff, 0.75);
    addStop(glow, 1, 0x8ff0ff, 0);
    cairo_set_source(cr, glow);
    cairo_paint(cr);
    cairo_pattern_destroy(glow);
  }
  // Gloss on the upper half of the cap.
  cairo_rectangle(cr, x, y, w, h * 0.45);
  setLinear(cr, 0, y, 0, y + h * 0.45, {0xffffff, 0xffffff});
  cairo_pattern_t* gloss = cairo_pattern_create_linear(0, y, 0, y + h * 0.45);
  addStop(gloss, 0, 0xffffff, lit ? 0.22 : 0.12);
  addStop(gloss, 1, 0xffffff, 0.0);
  cairo_set_source(cr, gloss);
  cairo_fill(cr);
  cairo_pattern_destroy(gloss);
  cairo_restore(cr);
  cairo_save(cr);
  cairo_translate(cr, 1, 1);
  symbolPath(cr, index, cx, cy);
  setColour(cr, 0x05070a, 0.8);
  cairo_fill(cr);
  cairo_restore(cr);
  symbolPath(cr, index, cx, cy);
  setColour(cr, lit ? symbolLit : symbolNormal);
  cairo_fill(cr);
}

void repeatLamp(cairo_t* cr, const FontFaces& fonts, bool lit) {
  const double cx = lampCentreX + 0.5, cy = lampCentreY + 0.5;  // centre of pixel (559, 36)
  setRadial(cr, cx - 2, cy - 2, 0, 7.5, {0xc4ccda, 0x6a7488, 0x262b35});
  cairo_arc(cr, cx, cy, 6.5, 0, 2 * M_PI);
  cairo_fill(cr);
  if (lit)
    setRadial(cr, cx - 1, cy - 1, 0, 5.2, {0xfffbe2, 0xffd25a, 0xff8a14, 0xb84400});
  else
    setRadial(cr, cx - 1, cy - 1, 0, 5.2, {0x6a3418, 0x3a1608, 0x1e0a04});
  cairo_arc(cr, cx, cy, 5, 0, 2 * M_PI);
  cairo_fill(cr);
  setColour(cr, 0xffffff, lit ? 0.85 : 0.45);
  cairo_arc(cr, cx - 2, cy - 2, 1.2, 0, 2 * M_PI);
  cairo_fill(cr);
  setColour(cr, 0xa6b2c6);
  drawText(cr, fonts, FontFaces::sansBold, 10, 571, 40, "repeat");
}

}  // namespace

void drawTitleStrip(cairo_t* cr, const FontFaces& fonts) {
  cairo_rectangle(cr, 0, 0, pictureWidth, titleStripRows - 1);
  setLinear(cr, 0, 0, 0, titleStripRows - 1, {0x465068, 0x2c3344, 0x1e2330});
  cairo_fill(cr);
  cairo_rectangle(cr, 0, 0, pictureWidth, 1);
  setColour(cr, 0x6b7894);
  cairo_fill(cr);
  cairo_rectangle(cr, 0, titleStripRows - 1, deckLeft, 1);
  cairo_rectangle(cr, deckRight, titleStripRows - 1, pictureWidth - deckRight, 1);
  setColour(cr, 0x07090e);
  cairo_fill(cr);
  // A small cyan emblem and the title.
  cairo_move_to(cr, 10, 3.5);
  cairo_line_to(cr, 14, 7.5);
  cairo_line_to(cr, 10, 11.5);
  cairo_line_to(cr, 6, 7.5);
  cairo_close_path(cr);
  setLinear(cr, 0, 3, 0, 12, {0xb8f4ff, 0x2aa8e0});
  cairo_fill(cr);
  setColour(cr, 0x0a0d14);
  drawText(cr, fonts, FontFaces::sansBold, 10, 19, 12, "Zolta RodiZeve #1");
  setColour(cr, 0xe8eef8);
  drawText(cr, fonts, FontFaces::sansBold, 10, 18, 11, "Zolta RodiZeve #1");
  // Window buttons: minimise 596-604, full-screen 606-619, close 621-639 (rounded corner).
  windowButton(cr, minimiseZone, minimiseZone.x + minimiseZone.width, 0x5a6680, 0x2e3545);
  windowButton(cr, fullScreenZone, fullScreenZone.x + fullScreenZone.width, 0x5a6680, 0x2e3545);
  windowButton(cr, closeZone, 636, 0xc04848, 0x6e1c1c);
  setColour(cr, 0xe8eef8);
  cairo_rectangle(cr, 598, 9, 5, 2);
  cairo_fill(cr);
  cairo_set_line_width(cr, 1);
  cairo_rectangle(cr, 609.5, 4.5, 7, 6);
  cairo_stroke(cr);
  cairo_rectangle(cr, 609.5, 4.5, 7, 1.5);
  cairo_fill(cr);
  cairo_set_line_width(cr, 1.6);
  cairo_move_to(cr, 625.5, 4.5);
  cairo_line_to(cr, 631.5, 10.5);
  cairo_move_to(cr, 631.5, 4.5);
  cairo_line_to(cr, 625.5, 10.5);
  cairo_stroke(cr);
}

void drawControlDeck(cairo_t* cr, const FontFaces& fonts, const ConsoleLook& look) {
  // Housing hanging from the title strip.
  cairo_save(cr);
  cairo_translate(cr, 2, 3);
  roundedRect(cr, deckLeft, titleStripRows - 8, deckRight - deckLeft,
              deckBottom - titleStripRows + 8, 8);
  setColour(cr, 0x000000, 0.5);
  cairo_fill(cr);
  cairo_restore(cr);
  roundedRect(cr, deckLeft, titleStripRows - 8, deckRight - deckLeft,
              deckBottom - titleStripRows + 8, 8);
  setLinear(cr, 0, titleStripRows, 0, deckBottom, {0x262d3b, 0x1c222d, 0x151a23});
  cairo_fill_preserve(cr);
  cairo_set_line_width(cr, 1);
  setColour(cr, 0x07090e);
  cairo_stroke(cr);
  cairo_rectangle(cr, deckLeft + 1, deckBottom - 2, deckRight - deckLeft - 2, 1);
  setColour(cr, 0x5b6780, 0.5);
  cairo_fill(cr);
  // Recess behind the five buttons, and a divider before the repeat option.
  roundedRect(cr, button(0).x - 1, button(0).y + 0.5, 5 * 40 + 2, 36, 6);
  setColour(cr, 0x0a0d13);
  cairo_fill(cr);
  cairo_rectangle(cr, 541, 20, 1, 32);
  setColour(cr, 0x07090e);
  cairo_fill(cr);
  cairo_rectangle(cr, 542, 20, 1, 32);
  setColour(cr, 0x3d475a);
  cairo_fill(cr);
  for (int i = 0; i < buttonCount; ++i) transportButton(cr, i, look.litButton == i);
  repeatLamp(cr, fonts, look.lampLit);
}
