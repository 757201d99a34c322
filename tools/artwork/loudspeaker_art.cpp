// The two loudspeaker cabinets standing on the grid floor. The left one's top right corner lies
// in the speaker patch (217-245 x 312-334) so that the spectrum bars stand behind it; the
// fountains of notes rise from above each cabinet's tweeter.
#include "background_art.h"
#include "paint.h"

#include <cmath>

namespace {

struct Cabinet {
  double left, right;  // front face, pixels
  double top, bottom;  // front face, pixels
  double depth;        // height of the visible top face, pixels
  double inset;        // how much narrower the back edge of the top face is on each side
};

constexpr Cabinet leftCabinet{18, 238, 322, 452, 8, 6};
constexpr Cabinet rightCabinet{502, 626, 322, 452, 8, 6};

void cabinetPath(cairo_t* cr, const Cabinet& c) {
  cairo_new_sub_path(cr);
  cairo_move_to(cr, c.left + c.inset, c.top - c.depth);
  cairo_line_to(cr, c.right - c.inset, c.top - c.depth);
  cairo_line_to(cr, c.right, c.top);
  cairo_line_to(cr, c.right, c.bottom);
  cairo_line_to(cr, c.left, c.bottom);
  cairo_line_to(cr, c.left, c.top);
  cairo_close_path(cr);
}

void driver(cairo_t* cr, double cx, double cy, double radius, bool glow) {
  // Mounting ring, rubber surround, cone, dust cap, highlight.
  setRadial(cr, cx - radius * 0.3, cy - radius * 0.3, 0, radius * 1.5,
            {0xaab4c6, 0x5c667a, 0x222831});
  cairo_arc(cr, cx, cy, radius + 5, 0, 2 * M_PI);
  cairo_fill(cr);
  setColour(cr, 0x06080b);
  cairo_arc(cr, cx, cy, radius + 1.5, 0, 2 * M_PI);
  cairo_fill(cr);
  setRadial(cr, cx, cy, radius * 0.8, radius, {0x161a21, 0x3a414e, 0x0e1014});
  cairo_arc(cr, cx, cy, radius, 0, 2 * M_PI);
  cairo_fill(cr);
  setRadial(cr, cx, cy, radius * 0.3, radius * 0.82, {0x454c5a, 0x23272f, 0x181b21});
  cairo_arc(cr, cx, cy, radius * 0.82, 0, 2 * M_PI);
  cairo_fill(cr);
  setRadial(cr, cx - radius * 0.1, cy - radius * 0.1, 0, radius * 0.3,
            {0xb6bfce, 0x5d6574, 0x2a2f38});
  cairo_arc(cr, cx, cy, radius * 0.3, 0, 2 * M_PI);
  cairo_fill(cr);
  cairo_save(cr);
  cairo_translate(cr, cx - radius * 0.35, cy - radius * 0.45);
  cairo_scale(cr, radius * 0.35, radius * 0.16);
  cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
  cairo_restore(cr);
  cairo_pattern_t* shine =
      cairo_pattern_create_radial(cx - radius * 0.35, cy - radius * 0.45, 0, cx - radius * 0.35,
                                  cy - radius * 0.45, radius * 0.35);
  addStop(shine, 0, 0xffffff, 0.22);
  addStop(shine, 1, 0xffffff, 0);
  cairo_set_source(cr, shine);
  cairo_fill(cr);
  cairo_pattern_destroy(shine);
  if (glow) {  // a thin cyan light ring inside the mounting ring
    cairo_set_line_width(cr, 1.2);
    setColour(cr, 0x38c8f0, 0.55);
    cairo_arc(cr, cx, cy, radius + 3.2, 0, 2 * M_PI);
    cairo_stroke(cr);
  }
}

void port(cairo_t* cr, double cx, double cy, double radius) {
  setRadial(cr, cx, cy, radius * 0.6, radius + 2, {0x000000, 0x1a1e26, 0x6c778c});
  cairo_arc(cr, cx, cy, radius + 2, 0, 2 * M_PI);
  cairo_fill(cr);
}

void drawCabinet(cairo_t* cr, const Cabinet& c) {
  // Shadow on the floor.
  cairo_save(cr);
  cairo_translate(cr, 0, c.bottom);
  cairo_scale(cr, 1, 0.12);
  cairo_arc(cr, (c.left + c.right) / 2, 0, (c.right - c.left) * 0.62, 0, 2 * M_PI);
  cairo_restore(cr);
  setColour(cr, 0x000000, 0.45);
  cairo_fill(cr);
  // Front face.
  cairo_rectangle(cr, c.left, c.top, c.right - c.left, c.bottom - c.top);
  setLinear(cr, c.left, c.top, c.right, c.bottom, {0x252a35, 0x1a1e27, 0x12151c});
  cairo_fill(cr);
  // Top face, lit from above.
  cairo_move_to(cr, c.left + c.inset, c.top - c.depth);
  cairo_line_to(cr, c.right - c.inset, c.top - c.depth);
  cairo_line_to(cr, c.right, c.top);
  cairo_line_to(cr, c.left, c.top);
  cairo_close_path(cr);
  setLinear(cr, 0, c.top - c.depth, 0, c.top, {0x566178, 0x394153});
  cairo_fill(cr);
  // Trim: a bright front edge and a dark outline.
  cairo_set_line_width(cr, 1);
  cairo_rectangle(cr, c.left + 0.5, c.top + 0.5, c.right - c.left - 1, c.bottom - c.top - 1);
  setColour(cr, 0x8a97b0, 0.55);
  cairo_stroke(cr);
  cairo_rectangle(cr, c.left, c.top, c.right - c.left, 1);
  setColour(cr, 0xaeb9cc);
  cairo_fill(cr);
  cairo_rectangle(cr, c.left + 4.5, c.top + 4.5, c.right - c.left - 9, c.bottom - c.top - 9);
  setColour(cr, 0x07090d, 0.8);
  cairo_stroke(cr);
}

// The notes' outlet: a near-white metal cap over the cabinet's top right corner with a dark
// inset and a glowing slot. Its rim is at least three pixels wide all round (see speakerCap).
void outletCap(cairo_t* cr) {
  const PixelRect cap = layout::speakerCap;
  cairo_save(cr);
  cabinetPath(cr, leftCabinet);
  cairo_clip(cr);
  cairo_rectangle(cr, cap.x, cap.y, cap.width, cap.height);
  setLinear(cr, cap.x, cap.y, cap.x + cap.width, cap.y + cap.height,
            {0xf4f6fa, 0xe6eaf0, 0xeef1f5});
  cairo_fill(cr);
  cairo_restore(cr);
  const double insetLeft = cap.x + 3, insetTop = cap.y + 6;
  const double insetWidth = cap.width - 9, insetHeight = cap.height - 10;
  cairo_rectangle(cr, insetLeft, insetTop, insetWidth, insetHeight);
  setLinear(cr, 0, insetTop, 0, insetTop + insetHeight, {0x343c4c, 0x262c38});
  cairo_fill(cr);
  roundedRect(cr, insetLeft + 2, insetTop + 3, insetWidth - 4, 3, 1.5);
  setColour(cr, 0x05070b);
  cairo_fill_preserve(cr);
  setColour(cr, 0x38c8f0, 0.45);
  cairo_fill(cr);
}

}  // namespace

void leftCabinetPath(cairo_t* cr) { cabinetPath(cr, leftCabinet); }

void drawLoudspeakers(cairo_t* cr, const FontFaces& fonts) {
  drawCabinet(cr, leftCabinet);
  outletCap(cr);
  driver(cr, 96, 391, 50, true);
  driver(cr, 200, 352, 14, false);
  port(cr, 200, 420, 11);
  setColour(cr, 0x8c98ae);
  drawText(cr, fonts, FontFaces::sansBold, 8, 178, 442, "ZR-1");

  drawCabinet(cr, rightCabinet);
  driver(cr, 578, 395, 36, true);
  driver(cr, 528, 352, 12, false);
  port(cr, 528, 420, 9);
}
