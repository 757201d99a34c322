// Reduces a picture to an indexed palette of 2-255 entries.
// Colours named as exact keep their value and are never chosen for any other pixel, so a
// colour key (pure white, pure green) marks exactly the pixels drawn in it.
#pragma once

#include "raster.h"

#include <vector>

struct IndexedImage {
  int width = 0;
  int height = 0;
  std::vector<Rgb> palette;           // 2-255 entries
  std::vector<std::uint8_t> indices;  // one per pixel, rows top to bottom
};

constexpr int maxPaletteEntries = 255;  // entries; paletteCount is one byte and 0/1 mean RGB/RGBA

// Pictures with at most maxColours distinct colours keep every colour; others are reduced by
// weighted median cut refined with a few k-means rounds. exactColours that occur are kept.
IndexedImage quantise(const RgbImage& image, int maxColours, const std::vector<Rgb>& exactColours);

// The picture an indexed picture stands for.
RgbImage expandIndexed(const IndexedImage& image);
