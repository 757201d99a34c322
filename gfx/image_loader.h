// Embedded pictures (ImageBlob) and the path by which they become Direct3D textures.
//
// ImageBlob, little-endian, no padding: pictureType (1 byte, not interpreted), height (16 bit),
// width (16 bit), paletteCount (1 byte), then 3 x paletteCount palette bytes (red, green, blue)
// when paletteCount >= 2, then the pixels top row first: an index byte each (paletteCount
// 2-255), red, green, blue, alpha (paletteCount 1) or red, green, blue (paletteCount 0).
// A picture becomes a new one-level D3DUSAGE_DYNAMIC D3DFMT_A8R8G8B8 texture in the default
// pool, texels in memory order blue, green, red, alpha. With the colour key, pure white
// (255, 255, 255) texels of indexed and 24-bit pictures get alpha 0; 32-bit pictures keep theirs.
//
// Pictures are decoded straight from memory: no temporary file is written anywhere. Malformed
// pictures (short, size not matching the header, zero width or height) give no texture and one
// line on stderr; a palette index beyond the palette gives opaque black for that pixel.
#pragma once

#include <d3d9.h>

#include <cstddef>
#include <vector>

// A decoded picture: width x height texels of four bytes (blue, green, red, alpha), top row first.
struct DecodedImage {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> texels;
  int badIndexCount = 0;  // pixels whose palette index was at or beyond paletteCount
};

enum class ImageBlobStatus { decoded, tooShort, emptyPicture, sizeMismatch };

// Pure decoding of ImageBlob bytes; on any status but `decoded` the image is left empty.
ImageBlobStatus decodeImageBlob(const unsigned char* data, std::size_t size, bool colourKey,
                                DecodedImage& image);

// Resource `id` of type "BINARYDATA" as a texture on the current device; `texture` is left as
// it was when the resource is missing or malformed. The caller owns the texture.
void loadImageResource(WORD id, IDirect3DTexture9** texture, bool colourKey);
