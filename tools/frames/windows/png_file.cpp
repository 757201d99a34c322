// zolta-frames on Windows writes its PNG files itself (tools/frames/frames_platform.h): 8-bit
// RGB, every row unfiltered, the zlib stream made of stored (uncompressed) blocks. Bigger than
// a compressed file, but every PNG reader reads it and it needs no library.
#include <algorithm>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "tools/frames/frames_platform.h"

namespace {

constexpr size_t largestStoredBlock = 65535;  // bytes of a stored deflate block at most

using Bytes = std::vector<unsigned char>;

void appendBigEndian(Bytes& bytes, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back((value >> shift) & 0xFF);
}

uint32_t crc32(const unsigned char* data, size_t size) {
  uint32_t crc = 0xFFFFFFFF;
  for (size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
  }
  return ~crc;
}

uint32_t adler32(const Bytes& data) {
  uint32_t low = 1, high = 0;
  for (const unsigned char byte : data) {
    low = (low + byte) % 65521;
    high = (high + low) % 65521;
  }
  return high << 16 | low;
}

// Length, type, data and the CRC of type and data.
void appendChunk(Bytes& file, const char type[4], const Bytes& data) {
  appendBigEndian(file, static_cast<uint32_t>(data.size()));
  const size_t start = file.size();
  file.insert(file.end(), type, type + 4);
  file.insert(file.end(), data.begin(), data.end());
  appendBigEndian(file, crc32(file.data() + start, file.size() - start));
}

// A zlib stream of stored blocks holding data.
Bytes storedZlib(const Bytes& data) {
  Bytes stream{0x78, 0x01};  // deflate, 32 KiB window, no dictionary
  size_t offset = 0;
  do {
    const size_t size = std::min(largestStoredBlock, data.size() - offset);
    const bool last = offset + size == data.size();
    stream.push_back(last ? 1 : 0);  // BFINAL, BTYPE 00 (stored)
    stream.push_back(size & 0xFF);
    stream.push_back(size >> 8);
    stream.push_back(~size & 0xFF);
    stream.push_back((~size >> 8) & 0xFF);
    stream.insert(stream.end(), data.begin() + offset, data.begin() + offset + size);
    offset += size;
  } while (offset < data.size());
  appendBigEndian(stream, adler32(data));
  return stream;
}

}  // namespace

bool writePng(const std::string& path, const unsigned char* rows, int pitch, int width,
              int height) {
  Bytes scanlines;
  scanlines.reserve(static_cast<size_t>(height) * (1 + width * 3));
  for (int y = 0; y < height; ++y) {
    scanlines.push_back(0);  // filter: none
    const unsigned char* pixel = rows + static_cast<size_t>(y) * pitch;
    for (int x = 0; x < width; ++x, pixel += 4)
      scanlines.insert(scanlines.end(), {pixel[2], pixel[1], pixel[0]});
  }
  Bytes header;
  appendBigEndian(header, width);
  appendBigEndian(header, height);
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, adaptive, no interlace

  Bytes file{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  appendChunk(file, "IHDR", header);
  appendChunk(file, "IDAT", storedZlib(scanlines));
  appendChunk(file, "IEND", {});
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  return out.good();
}
