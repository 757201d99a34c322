// Plain RGB pictures and their exchange with Cairo surfaces.
// Every picture of the program is opaque, so the generator works in 8-bit RGB.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <vector>

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};

struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<Rgb> pixels;  // rows top to bottom, each row left to right

  RgbImage() = default;
  RgbImage(int w, int h, Rgb fill = {}) : width(w), height(h), pixels(std::size_t(w) * h, fill) {}
  Rgb& at(int x, int y) { return pixels[std::size_t(y) * width + x]; }
  const Rgb& at(int x, int y) const { return pixels[std::size_t(y) * width + x]; }
};

// Copies an ARGB32 surface; partly transparent pixels are taken as drawn over black.
RgbImage imageFromSurface(cairo_surface_t* surface);

// A new ARGB32 surface (opaque) holding the picture; the caller destroys it.
cairo_surface_t* surfaceFromImage(const RgbImage& image);

// The rectangle (x, y, w, h) of a picture as a picture of its own.
RgbImage cropImage(const RgbImage& image, int x, int y, int w, int h);
