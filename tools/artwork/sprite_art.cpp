// Spark glow, arrow pointer and music notes drawn with Cairo.
#include "sprite_art.h"

#include "paint.h"

#include <cmath>
#include <functional>

namespace {

constexpr double noteRim = 0.8;  // width of a note's black rim, design-space pixels

// Draws on a transparent 32 x 32 surface and flattens it onto white. With keyedEdges set,
// pixels less than half covered become pure white (transparent under the colour key) and the
// others opaque, so no pale fringe survives around a keyed shape.
RgbImage onWhite(const std::function<void(cairo_t*)>& draw, bool keyedEdges) {
  cairo_surface_t* surface =
      cairo_image_surface_create(CAIRO_FORMAT_ARGB32, spriteSize, spriteSize);
  cairo_t* cr = cairo_create(surface);
  draw(cr);
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  RgbImage image(spriteSize, spriteSize, {255, 255, 255});
  const unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  for (int y = 0; y < spriteSize; ++y)
    for (int x = 0; x < spriteSize; ++x) {
      const std::uint32_t p = reinterpret_cast<const std::uint32_t*>(data + y * stride)[x];
      const unsigned a = p >> 24;
      auto channel = [&](int shift) {
        const unsigned c = (p >> shift) & 0xFF;  // premultiplied
        if (keyedEdges) return a < 128 ? 255u : std::min(255u, c * 255 / a);
        return c + (255 - a);  // over white
      };
      image.at(x, y) = {std::uint8_t(channel(16)), std::uint8_t(channel(8)),
                        std::uint8_t(channel(0))};
    }
  cairo_surface_destroy(surface);
  return image;
}

void noteHead(cairo_t* cr, double cx, double cy, bool hollow) {
  cairo_save(cr);
  cairo_translate(cr, cx, cy);
  cairo_rotate(cr, -0.35);
  cairo_scale(cr, 4.6, 3.3);
  cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
  cairo_restore(cr);
  if (hollow) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_rotate(cr, -0.35);
    cairo_scale(cr, 3.0, 1.6);
    cairo_arc_negative(cr, 0, 0, 1, 2 * M_PI, 0);
    cairo_restore(cr);
  }
}

void stem(cairo_t* cr, double x, double yTop, double yBottom) {
  cairo_rectangle(cr, x - 1.7, yTop, 1.7, yBottom - yTop);
}

void flag(cairo_t* cr, double x, double y) {
  cairo_move_to(cr, x - 0.5, y);
  cairo_curve_to(cr, x + 1, y + 5, x + 8, y + 6, x + 5, y + 13);
  cairo_curve_to(cr, x + 6, y + 8, x + 2, y + 6.5, x - 0.5, y + 6);
  cairo_close_path(cr);
}

void beam(cairo_t* cr, double x0, double y0, double x1, double y1) {
  cairo_move_to(cr, x0 - 1.7, y0);
  cairo_line_to(cr, x1, y1);
  cairo_line_to(cr, x1, y1 + 3);
  cairo_line_to(cr, x0 - 1.7, y0 + 3);
  cairo_close_path(cr);
}

// The outline of note n in a natural 32 x 16 design space (y down, upright), as a path.
void notePath(cairo_t* cr, int n) {
  cairo_translate(cr, 16, 8);  // shrink a little about the centre to keep the rims inside
  cairo_scale(cr, 0.9, 0.9);
  cairo_translate(cr, -16, -8);
  switch (n) {
    case 0:  // quarter note
      noteHead(cr, 13, 12.5, false);
      stem(cr, 17.3, 1, 12);
      break;
    case 1:  // eighth note
      noteHead(cr, 11, 12.5, false);
      stem(cr, 15.3, 1, 12);
      cairo_scale(cr, 1, 0.5);
      flag(cr, 15.3, 2);
      cairo_scale(cr, 1, 2);
      break;
    case 2:  // two beamed eighths
      noteHead(cr, 7, 13, false);
      noteHead(cr, 22, 11.5, false);
      stem(cr, 11.3, 2.5, 12.5);
      stem(cr, 26.3, 1, 11);
      beam(cr, 11.3, 1.6, 26.3, 0.1);
      break;
    case 3:  // two beamed sixteenths
      noteHead(cr, 7, 12, false);
      noteHead(cr, 22, 13, false);
      stem(cr, 11.3, 1, 11.5);
      stem(cr, 26.3, 2, 12.5);
      cairo_scale(cr, 1, 0.6);
      beam(cr, 11.3, 1.6, 26.3, 3.2);
      beam(cr, 11.3, 7.2, 26.3, 8.8);
      cairo_scale(cr, 1, 1 / 0.6);
      break;
    default:  // half note
      noteHead(cr, 13, 12.5, true);
      stem(cr, 17.3, 1, 12);
      break;
  }
}

}  // namespace

RgbImage drawSpark() {
  cairo_surface_t* surface =
      cairo_image_surface_create(CAIRO_FORMAT_ARGB32, spriteSize, spriteSize);
  cairo_t* cr = cairo_create(surface);
  setColour(cr, 0x000000);
  cairo_paint(cr);
  const double c = spriteSize / 2.0;
  cairo_pattern_t* glow = cairo_pattern_create_radial(c, c, 0, c, c, c - 1);
  addStop(glow, 0.0, 0xffffff, 1.0);
  addStop(glow, 0.12, 0xf4faff, 0.95);
  addStop(glow, 0.35, 0xb8dcff, 0.45);
  addStop(glow, 0.7, 0x6090d0, 0.12);
  addStop(glow, 1.0, 0x000000, 0.0);
  cairo_set_source(cr, glow);
  cairo_paint(cr);
  cairo_pattern_destroy(glow);
  // A soft four-pointed flare.
  cairo_set_operator(cr, CAIRO_OPERATOR_ADD);
  for (int axis = 0; axis < 2; ++axis) {
    cairo_pattern_t* ray = axis == 0 ? cairo_pattern_create_linear(3, 0, spriteSize - 3, 0)
                                     : cairo_pattern_create_linear(0, 3, 0, spriteSize - 3);
    addStop(ray, 0, 0xffffff, 0);
    addStop(ray, 0.5, 0xffffff, 0.55);
    addStop(ray, 1, 0xffffff, 0);
    cairo_set_source(cr, ray);
    if (axis == 0)
      cairo_rectangle(cr, 3, c - 0.5, spriteSize - 6, 1);
    else
      cairo_rectangle(cr, c - 0.5, 3, 1, spriteSize - 6);
    cairo_fill(cr);
    cairo_pattern_destroy(ray);
  }
  cairo_destroy(cr);
  RgbImage image = imageFromSurface(surface);
  cairo_surface_destroy(surface);
  return image;
}

RgbImage drawPointer() {
  return onWhite(
      [](cairo_t* cr) {
        const double tx = pointerTipX, ty = pointerTipY;  // top-left corner of the tip pixel
        // Corners in screen order from the tip down the left side (counter-clockwise with y down).
        const std::vector<PixelPoint> arrow = {{tx, ty},
                                               {tx, ty + 19},
                                               {tx + 4.5, ty + 14.8},
                                               {tx + 8, ty + 22},
                                               {tx + 11.2, ty + 20.5},
                                               {tx + 7.8, ty + 13.5},
                                               {tx + 13.8, ty + 13.5}};
        polygonPath(cr, arrow);
        setColour(cr, 0x05070c);
        cairo_fill(cr);
        polygonPath(cr, offsetPolygon(arrow, 1.4));  // positive moves inwards for this winding
        setLinear(cr, tx, ty, tx + 10, ty + 20, {0xf2fbff, 0xa8e4ff, 0x3a9fd8});
        cairo_fill(cr);
      },
      true);
}

RgbImage drawNote(int n) {
  return onWhite(
      [n](cairo_t* cr) {
        cairo_translate(cr, 0, spriteSize);
        cairo_scale(cr, 1, -2);  // upside down, twice as tall: upright and in proportion on screen
        notePath(cr, n);
        // The program blends a note as source x (1 - source) + scene x source: black paints black
        // and white leaves the scene, so a solid black note darkens whatever it passes. The rim
        // thickens the thin stems and beams; only the outermost pixels are anti-aliased.
        cairo_set_line_width(cr, 2 * noteRim);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        setColour(cr, 0x000000);
        cairo_stroke_preserve(cr);
        cairo_fill(cr);
      },
      false);
}
