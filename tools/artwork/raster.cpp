// Conversion between RgbImage and Cairo's premultiplied ARGB32 surfaces.
#include "raster.h"

RgbImage imageFromSurface(cairo_surface_t* surface) {
  cairo_surface_flush(surface);
  RgbImage image(cairo_image_surface_get_width(surface), cairo_image_surface_get_height(surface));
  const unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  for (int y = 0; y < image.height; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(data + std::size_t(y) * stride);
    for (int x = 0; x < image.width; ++x) {
      const std::uint32_t p = row[x];  // premultiplied, so this is the colour over black
      image.at(x, y) = {std::uint8_t(p >> 16), std::uint8_t(p >> 8), std::uint8_t(p)};
    }
  }
  return image;
}

cairo_surface_t* surfaceFromImage(const RgbImage& image) {
  cairo_surface_t* surface =
      cairo_image_surface_create(CAIRO_FORMAT_ARGB32, image.width, image.height);
  cairo_surface_flush(surface);
  unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  for (int y = 0; y < image.height; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(data + std::size_t(y) * stride);
    for (int x = 0; x < image.width; ++x) {
      const Rgb c = image.at(x, y);
      row[x] = 0xFF000000u | std::uint32_t(c.r) << 16 | std::uint32_t(c.g) << 8 | c.b;
    }
  }
  cairo_surface_mark_dirty(surface);
  return surface;
}

RgbImage cropImage(const RgbImage& image, int x, int y, int w, int h) {
  RgbImage part(w, h);
  for (int row = 0; row < h; ++row)
    for (int col = 0; col < w; ++col) part.at(col, row) = image.at(x + col, y + row);
  return part;
}
