// Encodes an indexed picture in the program's ImageBlob format: type byte 1, height and width
// as little-endian 16-bit numbers, palette count, palette (red, green, blue), one index a pixel.
#pragma once

#include "quantise.h"

#include <vector>

std::vector<std::uint8_t> encodeImageBlob(const IndexedImage& image);
