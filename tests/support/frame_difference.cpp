// Frames compared pixel by pixel (tests/support/frame_difference.h).
#include "tests/support/frame_difference.h"

#include <cairo.h>

#include <algorithm>
#include <cstdlib>

namespace {

bool inside(const Rectangle& r, int x, int y) {
  return x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height;
}

int channel(uint32_t colour, int index) { return int((colour >> (8 * index)) & 0xFF); }

}  // namespace

Picture readPng(const std::string& path) {
  Picture picture;
  cairo_surface_t* image = cairo_image_surface_create_from_png(path.c_str());
  if (cairo_surface_status(image) == CAIRO_STATUS_SUCCESS) {
    cairo_surface_flush(image);
    picture.width = cairo_image_surface_get_width(image);
    picture.height = cairo_image_surface_get_height(image);
    const int stride = cairo_image_surface_get_stride(image);
    const unsigned char* data = cairo_image_surface_get_data(image);
    picture.pixels.resize(size_t(picture.width) * size_t(picture.height));
    for (int y = 0; y < picture.height; ++y)
      for (int x = 0; x < picture.width; ++x)
        picture.pixels[size_t(y) * picture.width + x] =
            *reinterpret_cast<const uint32_t*>(data + size_t(y) * stride + size_t(x) * 4) |
            0xFF000000u;
  }
  cairo_surface_destroy(image);
  return picture;
}

bool FrameRegion::contains(int x, int y) const {
  return inside(area, x, y) && !inside(without, x, y);
}

FrameDifference::FrameDifference(const Picture& a, const Picture& b, int tolerance) : a_(a), b_(b) {
  const size_t count = size_t(a.width) * size_t(a.height);
  const bool sameSize = a.width == b.width && a.height == b.height;
  differs_.assign(count, !sameSize);
  largest_.assign(count, sameSize ? 0 : 255);
  if (!sameSize) return;
  for (size_t i = 0; i < count; ++i) {
    for (int c = 0; c < 3; ++c)
      largest_[i] =
          std::max(largest_[i], std::abs(channel(a.pixels[i], c) - channel(b.pixels[i], c)));
    differs_[i] = largest_[i] > tolerance;
  }
}

double FrameDifference::sameShare(const FrameRegion& region) const {
  long inRegion = 0, same = 0;
  for (int y = 0; y < a_.height; ++y)
    for (int x = 0; x < a_.width; ++x)
      if (region.contains(x, y)) {
        ++inRegion;
        same += !differs(x, y);
      }
  return inRegion ? double(same) / double(inRegion) : 1.0;
}

double FrameDifference::darkerInBShare(const FrameRegion& region) const {
  long differing = 0, darker = 0;
  for (int y = 0; y < a_.height && a_.width == b_.width && a_.height == b_.height; ++y)
    for (int x = 0; x < a_.width; ++x) {
      if (!region.contains(x, y) || !differs(x, y)) continue;
      ++differing;
      const uint32_t pa = a_.at(x, y), pb = b_.at(x, y);
      darker += channel(pb, 0) <= channel(pa, 0) && channel(pb, 1) <= channel(pa, 1) &&
                channel(pb, 2) <= channel(pa, 2);
    }
  return differing ? double(darker) / double(differing) : 1.0;
}

double FrameDifference::brightnessOfBInDiffering(const FrameRegion& region) const {
  long brightnessA = 0, brightnessB = 0;
  for (int y = 0; y < a_.height && a_.width == b_.width && a_.height == b_.height; ++y)
    for (int x = 0; x < a_.width; ++x) {
      if (!region.contains(x, y) || !differs(x, y)) continue;
      for (int c = 0; c < 3; ++c) {
        brightnessA += channel(a_.at(x, y), c);
        brightnessB += channel(b_.at(x, y), c);
      }
    }
  return brightnessA ? double(brightnessB) / double(brightnessA) : 1.0;
}

Picture FrameDifference::picture() const {
  Picture difference{a_.width, a_.height, std::vector<uint32_t>(a_.pixels.size())};
  for (size_t i = 0; i < a_.pixels.size(); ++i) {
    const uint32_t pa = a_.pixels[i];
    const int grey = (channel(pa, 0) + channel(pa, 1) + channel(pa, 2)) / 12;
    difference.pixels[i] = differs_[i] ? 0xFF000000u | uint32_t(std::max(largest_[i], 64)) << 16
                                       : 0xFF000000u | uint32_t(grey) * 0x010101u;
  }
  return difference;
}
