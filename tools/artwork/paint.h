// Small Cairo helpers shared by the drawing files: colours written 0xRRGGBB, gradients,
// rounded rectangles, polygons and text in a DejaVu face.
#pragma once

#include "art_layout.h"
#include "font_face.h"

#include <cairo.h>

#include <vector>

void setColour(cairo_t* cr, unsigned rgb, double alpha = 1.0);
void addStop(cairo_pattern_t* pattern, double offset, unsigned rgb, double alpha = 1.0);

// Linear gradient from (x0, y0) to (x1, y1) through evenly spaced colours; set as the source.
void setLinear(cairo_t* cr, double x0, double y0, double x1, double y1,
               const std::vector<unsigned>& colours);
// Radial gradient around (cx, cy) from radius r0 to r1 through evenly spaced colours.
void setRadial(cairo_t* cr, double cx, double cy, double r0, double r1,
               const std::vector<unsigned>& colours);

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double radius);
void polygonPath(cairo_t* cr, const std::vector<PixelPoint>& points);

// The polygon (corners in clockwise screen order) with every edge moved outwards by distance
// pixels (inwards when negative).
std::vector<PixelPoint> offsetPolygon(const std::vector<PixelPoint>& points, double distance);

// Text with its baseline starting at (x, y); returns the advance in pixels.
double drawText(cairo_t* cr, const FontFaces& fonts, FontFaces::Face face, double size, double x,
                double y, const char* text);
double textWidth(cairo_t* cr, const FontFaces& fonts, FontFaces::Face face, double size,
                 const char* text);
