// ImageBlob decoding and texture creation.
#include "gfx/image_loader.h"

#include "gfx/device.h"
#include "gfx/hooks/image_loader.h"
#include <windows.h>
#include "support/printable_name.h"
#include "support/stderr_line.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr std::size_t headerBytes = 6;     // pictureType, height, width, paletteCount
constexpr int trueColourAlphaPalette = 1;  // paletteCount of 32-bit RGBA pictures
constexpr int firstIndexedPalette = 2;     // smallest paletteCount of indexed pictures
constexpr unsigned char opaque = 255, clear = 0;
constexpr std::size_t readChunk = 64 * 1024;  // bytes per fread of a picture file

unsigned char keyedAlpha(bool colourKey, unsigned char r, unsigned char g, unsigned char b) {
  return colourKey && r == 255 && g == 255 && b == 255 ? clear : opaque;
}

// Copies a decoded picture into a new texture on the current device.
void createTexture(const DecodedImage& image, IDirect3DTexture9** texture) {
  IDirect3DDevice9* device = deviceState.device;
  if (!device) {
    stderrLine("picture not loaded: no Direct3D device");
    return;
  }
  IDirect3DTexture9* created = nullptr;
  if (FAILED(device->CreateTexture(UINT(image.width), UINT(image.height), 1, D3DUSAGE_DYNAMIC,
                                   D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &created, nullptr)) ||
      !created) {
    stderrLine("picture not loaded: CreateTexture %dx%d failed", image.width, image.height);
    return;
  }
  D3DLOCKED_RECT locked;
  if (FAILED(created->LockRect(0, &locked, nullptr, D3DLOCK_DISCARD))) {
    stderrLine("picture not loaded: LockRect failed");
    created->Release();
    return;
  }
  const std::size_t rowBytes = std::size_t(image.width) * 4;
  for (int y = 0; y < image.height; ++y)
    std::memcpy(static_cast<unsigned char*>(locked.pBits) + std::size_t(y) * locked.Pitch,
                image.texels.data() + y * rowBytes, rowBytes);
  created->UnlockRect(0);
  *texture = created;
}

const char* describeImageBlobStatus(ImageBlobStatus status) {
  switch (status) {
    case ImageBlobStatus::decoded: return "decoded";
    case ImageBlobStatus::tooShort: return "fewer bytes than its header needs";
    case ImageBlobStatus::emptyPicture: return "zero width or height";
    case ImageBlobStatus::sizeMismatch: return "more bytes than its header describes";
  }
  return "unknown problem";
}

}  // namespace

ImageBlobStatus decodeImageBlob(const unsigned char* data, std::size_t size, bool colourKey,
                                DecodedImage& image) {
  image = DecodedImage{};
  if (!data || size < headerBytes) return ImageBlobStatus::tooShort;
  const int height = data[1] | data[2] << 8;
  const int width = data[3] | data[4] << 8;
  const int paletteCount = data[5];
  if (width == 0 || height == 0) return ImageBlobStatus::emptyPicture;
  const std::size_t paletteBytes =
      paletteCount >= firstIndexedPalette ? 3 * std::size_t(paletteCount) : 0;
  const std::size_t bytesPerPixel = paletteCount >= firstIndexedPalette      ? 1
                                    : paletteCount == trueColourAlphaPalette ? 4
                                                                             : 3;
  const std::size_t pixelCount = std::size_t(width) * height;
  const std::size_t expected = headerBytes + paletteBytes + pixelCount * bytesPerPixel;
  if (size < expected) return ImageBlobStatus::tooShort;
  if (size > expected) return ImageBlobStatus::sizeMismatch;

  const unsigned char* palette = data + headerBytes;
  const unsigned char* source = palette + paletteBytes;
  image.width = width;
  image.height = height;
  image.texels.resize(pixelCount * 4);
  unsigned char* texel = image.texels.data();
  for (std::size_t i = 0; i < pixelCount; ++i, texel += 4, source += bytesPerPixel) {
    unsigned char r, g, b, a;
    if (paletteCount >= firstIndexedPalette) {
      if (source[0] < paletteCount) {
        const unsigned char* entry = palette + 3 * std::size_t(source[0]);
        r = entry[0], g = entry[1], b = entry[2];
      } else {
        r = g = b = 0;  // an index beyond the palette reads as opaque black
        ++image.badIndexCount;
      }
      a = keyedAlpha(colourKey, r, g, b);
    } else {
      r = source[0], g = source[1], b = source[2];
      a = paletteCount == trueColourAlphaPalette ? source[3] : keyedAlpha(colourKey, r, g, b);
    }
    texel[0] = b, texel[1] = g, texel[2] = r, texel[3] = a;
  }
  return ImageBlobStatus::decoded;
}

void loadImageBlob(const unsigned char* data, int size, IDirect3DTexture9** texture,
                   bool colourKey) {
  DecodedImage image;
  const ImageBlobStatus status =
      decodeImageBlob(data, size < 0 ? 0 : std::size_t(size), colourKey, image);
  if (status != ImageBlobStatus::decoded) {
    stderrLine("picture not loaded: %s", describeImageBlobStatus(status));
    return;
  }
  if (image.badIndexCount > 0)
    stderrLine("picture has %d pixels with a palette index beyond its palette; drawn black",
               image.badIndexCount);
  createTexture(image, texture);
}

void loadImageFile(const char* path, IDirect3DTexture9** texture, bool colourKey) {
  std::FILE* file = path ? std::fopen(path, "rb") : nullptr;
  if (!file) {
    stderrLine("picture not loaded: cannot open %s", printableName(path).c_str());
    return;
  }
  std::vector<unsigned char> bytes;
  std::size_t got = 0;
  do {
    bytes.resize(bytes.size() + readChunk);
    got = std::fread(bytes.data() + bytes.size() - readChunk, 1, readChunk, file);
    bytes.resize(bytes.size() - readChunk + got);
  } while (got == readChunk);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed || bytes.size() > std::size_t(0x7FFFFFFF)) {
    stderrLine("picture not loaded: cannot read %s", printableName(path).c_str());
    return;
  }
  loadImageBlob(bytes.data(), int(bytes.size()), texture, colourKey);
}

void loadImageResource(WORD id, IDirect3DTexture9** texture, bool colourKey) {
  HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCEA(id), "BINARYDATA");
  if (!resource) {
    stderrLine("picture %u not loaded: no such resource", unsigned(id));
    return;
  }
  const DWORD size = SizeofResource(nullptr, resource);
  const auto* bytes =
      static_cast<const unsigned char*>(LockResource(LoadResource(nullptr, resource)));
  loadImageBlob(bytes, int(size), texture, colourKey);
}
