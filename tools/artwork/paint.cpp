// Cairo helpers for the artwork.
#include "paint.h"

#include <cmath>

void setColour(cairo_t* cr, unsigned rgb, double alpha) {
  cairo_set_source_rgba(cr, ((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0,
                        (rgb & 0xFF) / 255.0, alpha);
}

void addStop(cairo_pattern_t* pattern, double offset, unsigned rgb, double alpha) {
  cairo_pattern_add_color_stop_rgba(pattern, offset, ((rgb >> 16) & 0xFF) / 255.0,
                                    ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0, alpha);
}

namespace {

void setPattern(cairo_t* cr, cairo_pattern_t* pattern, const std::vector<unsigned>& colours) {
  for (std::size_t i = 0; i < colours.size(); ++i)
    addStop(pattern, colours.size() > 1 ? double(i) / double(colours.size() - 1) : 0.0, colours[i]);
  cairo_set_source(cr, pattern);
  cairo_pattern_destroy(pattern);
}

}  // namespace

void setLinear(cairo_t* cr, double x0, double y0, double x1, double y1,
               const std::vector<unsigned>& colours) {
  setPattern(cr, cairo_pattern_create_linear(x0, y0, x1, y1), colours);
}

void setRadial(cairo_t* cr, double cx, double cy, double r0, double r1,
               const std::vector<unsigned>& colours) {
  setPattern(cr, cairo_pattern_create_radial(cx, cy, r0, cx, cy, r1), colours);
}

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double radius) {
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + w - radius, y + radius, radius, -M_PI / 2, 0);
  cairo_arc(cr, x + w - radius, y + h - radius, radius, 0, M_PI / 2);
  cairo_arc(cr, x + radius, y + h - radius, radius, M_PI / 2, M_PI);
  cairo_arc(cr, x + radius, y + radius, radius, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr);
}

void polygonPath(cairo_t* cr, const std::vector<PixelPoint>& points) {
  cairo_new_sub_path(cr);
  for (const auto& p : points) cairo_line_to(cr, p.x, p.y);
  cairo_close_path(cr);
}

std::vector<PixelPoint> offsetPolygon(const std::vector<PixelPoint>& points, double distance) {
  const std::size_t n = points.size();
  struct Line {
    double px, py, dx, dy;
  };
  std::vector<Line> lines;
  for (std::size_t i = 0; i < n; ++i) {
    const PixelPoint a = points[i], b = points[(i + 1) % n];
    const double dx = b.x - a.x, dy = b.y - a.y, length = std::hypot(dx, dy);
    const double nx = dy / length, ny = -dx / length;  // outward for clockwise corners (y down)
    lines.push_back({a.x + nx * distance, a.y + ny * distance, dx, dy});
  }
  std::vector<PixelPoint> result;
  for (std::size_t i = 0; i < n; ++i) {
    const Line& l1 = lines[(i + n - 1) % n];
    const Line& l2 = lines[i];
    const double det = l1.dx * l2.dy - l1.dy * l2.dx;
    const double t = ((l2.px - l1.px) * l2.dy - (l2.py - l1.py) * l2.dx) / det;
    result.push_back({l1.px + t * l1.dx, l1.py + t * l1.dy});
  }
  return result;
}

double drawText(cairo_t* cr, const FontFaces& fonts, FontFaces::Face face, double size, double x,
                double y, const char* text) {
  cairo_set_font_face(cr, fonts.cairoFace(face));
  cairo_set_font_size(cr, size);
  cairo_text_extents_t extents;
  cairo_text_extents(cr, text, &extents);
  cairo_move_to(cr, x, y);
  cairo_show_text(cr, text);
  cairo_new_path(cr);
  return extents.x_advance;
}

double textWidth(cairo_t* cr, const FontFaces& fonts, FontFaces::Face face, double size,
                 const char* text) {
  cairo_set_font_face(cr, fonts.cairoFace(face));
  cairo_set_font_size(cr, size);
  cairo_text_extents_t extents;
  cairo_text_extents(cr, text, &extents);
  return extents.x_advance;
}
