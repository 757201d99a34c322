// The launcher's icon, drawn with Cairo at 256 x 256 on a transparent ground.
#include "icon_art.h"

#include "paint.h"

#include <cairo.h>

#include <cmath>
#include <cstdio>

namespace {

struct Ball {
  double x, y, radius;  // pixels
};

// The console: a dark rounded body with a lighter rim and a screen inset.
void drawBody(cairo_t* cr) {
  roundedRect(cr, 12, 20, 232, 216, 40);
  setLinear(cr, 0, 20, 0, 236, {0x4a5468, 0x262c38, 0x161a22});
  cairo_fill_preserve(cr);
  cairo_set_line_width(cr, 6);
  setColour(cr, 0x8c98ae);
  cairo_stroke(cr);
  roundedRect(cr, 34, 42, 188, 132, 18);
  setLinear(cr, 0, 42, 0, 174, {0x05080e, 0x0b1424});
  cairo_fill(cr);
}

// Three blurred blobs that melt into one, as the metaballs do on the disk's floor.
void drawBalls(cairo_t* cr) {
  const Ball balls[] = {{98, 112, 38}, {148, 96, 30}, {160, 136, 26}};
  cairo_save(cr);
  roundedRect(cr, 34, 42, 188, 132, 18);
  cairo_clip(cr);
  for (const Ball& ball : balls) {
    setRadial(cr, ball.x - ball.radius * 0.3, ball.y - ball.radius * 0.35, 0, ball.radius * 1.25,
              {0xe8ffff, 0x33d6f0, 0x0d6c9c, 0x0b1424});
    cairo_arc(cr, ball.x, ball.y, ball.radius * 1.25, 0, 2 * M_PI);
    cairo_fill(cr);
  }
  cairo_restore(cr);
}

// A quaver: filled head, stem and flag, in warm white with a dark rim.
void drawNote(cairo_t* cr) {
  cairo_save(cr);
  cairo_translate(cr, 186, 204);
  cairo_new_path(cr);
  cairo_save(cr);
  cairo_scale(cr, 1.3, 1.0);
  cairo_arc(cr, 0, 0, 17, 0, 2 * M_PI);
  cairo_restore(cr);
  cairo_rectangle(cr, 15, -92, 8, 92);
  cairo_move_to(cr, 23, -92);
  cairo_curve_to(cr, 30, -70, 58, -64, 46, -34);
  cairo_curve_to(cr, 50, -58, 34, -62, 23, -68);
  cairo_close_path(cr);
  setColour(cr, 0x10141c);
  cairo_set_line_width(cr, 8);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_stroke_preserve(cr);
  setLinear(cr, 0, -92, 0, 17, {0xfff6d8, 0xffc94a});
  cairo_fill(cr);
  cairo_restore(cr);
}

// Five small control buttons under the screen.
void drawButtons(cairo_t* cr) {
  for (int i = 0; i < 5; ++i) {
    roundedRect(cr, 40 + i * 24, 192, 18, 14, 4);
    setColour(cr, i == 2 ? 0x33d6f0 : 0x8c98ae);
    cairo_fill(cr);
  }
}

}  // namespace

bool writeIcon(const std::string& path) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, iconSize, iconSize);
  cairo_t* cr = cairo_create(surface);
  drawBody(cr);
  drawBalls(cr);
  drawButtons(cr);
  drawNote(cr);
  cairo_destroy(cr);
  const bool ok = cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(surface);
  if (!ok) std::fprintf(stderr, "zolta_artwork: cannot write %s\n", path.c_str());
  return ok;
}
