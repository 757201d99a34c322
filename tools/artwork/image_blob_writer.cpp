// ImageBlob encoder for indexed pictures.
#include "image_blob_writer.h"

std::vector<std::uint8_t> encodeImageBlob(const IndexedImage& image) {
  std::vector<std::uint8_t> blob;
  blob.reserve(6 + 3 * image.palette.size() + image.indices.size());
  blob.push_back(1);  // pictureType
  blob.push_back(std::uint8_t(image.height & 0xFF));
  blob.push_back(std::uint8_t(image.height >> 8));
  blob.push_back(std::uint8_t(image.width & 0xFF));
  blob.push_back(std::uint8_t(image.width >> 8));
  blob.push_back(std::uint8_t(image.palette.size()));
  for (const Rgb& c : image.palette) blob.insert(blob.end(), {c.r, c.g, c.b});
  blob.insert(blob.end(), image.indices.begin(), image.indices.end());
  return blob;
}
