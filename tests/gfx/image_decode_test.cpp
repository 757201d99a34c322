// ImageBlob decoding: the three pixel forms, the white key, texel order and placement, and
// malformed pictures, which must give no texture and never read or write outside the buffers.
#include "gfx/image_loader.h"
#include "gfx/hooks/image_loader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

Bytes header(int width, int height, int paletteCount) {
  return {1,
          (unsigned char)(height & 0xFF),
          (unsigned char)(height >> 8),
          (unsigned char)(width & 0xFF),
          (unsigned char)(width >> 8),
          (unsigned char)paletteCount};
}

Bytes blob(int width, int height, int paletteCount, const Bytes& palette, const Bytes& pixels) {
  Bytes bytes = header(width, height, paletteCount);
  bytes.insert(bytes.end(), palette.begin(), palette.end());
  bytes.insert(bytes.end(), pixels.begin(), pixels.end());
  return bytes;
}

DecodedImage decode(const Bytes& bytes, bool key,
                    ImageBlobStatus expected = ImageBlobStatus::decoded) {
  DecodedImage image;
  EXPECT_EQ(decodeImageBlob(bytes.data(), bytes.size(), key, image), expected);
  return image;
}

std::vector<int> texel(const DecodedImage& image, int x, int y) {
  const unsigned char* t = &image.texels[(std::size_t(y) * image.width + x) * 4];
  return {t[0], t[1], t[2], t[3]};  // blue, green, red, alpha
}

// Palette: pure white, near white, red.
const Bytes palette3 = {255, 255, 255, 255, 255, 254, 200, 10, 20};

TEST(ImageDecode, IndexedPictureKeysOnlyExactWhite) {
  const Bytes bytes = blob(3, 1, 3, palette3, {0, 1, 2});
  DecodedImage keyed = decode(bytes, true);
  EXPECT_EQ(texel(keyed, 0, 0), (std::vector<int>{255, 255, 255, 0}));
  EXPECT_EQ(texel(keyed, 1, 0), (std::vector<int>{254, 255, 255, 255}))
      << "near white stays opaque";
  EXPECT_EQ(texel(keyed, 2, 0), (std::vector<int>{20, 10, 200, 255}))
      << "memory order is B, G, R, A";
  DecodedImage plain = decode(bytes, false);
  EXPECT_EQ(texel(plain, 0, 0), (std::vector<int>{255, 255, 255, 255}))
      << "no key: white is opaque";
}

TEST(ImageDecode, TrueColourPicturesFollowTheirForm) {
  // 24-bit: the key applies.
  DecodedImage rgb = decode(blob(2, 1, 0, {}, {255, 255, 255, 1, 2, 3}), true);
  EXPECT_EQ(texel(rgb, 0, 0), (std::vector<int>{255, 255, 255, 0}));
  EXPECT_EQ(texel(rgb, 1, 0), (std::vector<int>{3, 2, 1, 255}));
  // 32-bit: the picture's own alpha, even for white with the key requested.
  DecodedImage rgba = decode(blob(2, 1, 1, {}, {255, 255, 255, 77, 9, 8, 7, 255}), true);
  EXPECT_EQ(texel(rgba, 0, 0), (std::vector<int>{255, 255, 255, 77}));
  EXPECT_EQ(texel(rgba, 1, 0), (std::vector<int>{7, 8, 9, 255}));
}

TEST(ImageDecode, HeightComesBeforeWidthAndRowsRunTopDown) {
  // Width 2, height 3: pixel i is (10i, 10i + 1, 10i + 2).
  Bytes pixels;
  for (int i = 0; i < 6; ++i)
    pixels.insert(pixels.end(), {(unsigned char)(10 * i), (unsigned char)(10 * i + 1),
                                 (unsigned char)(10 * i + 2)});
  DecodedImage image = decode(blob(2, 3, 0, {}, pixels), false);
  ASSERT_EQ(image.width, 2);
  ASSERT_EQ(image.height, 3);
  EXPECT_EQ(texel(image, 1, 2), (std::vector<int>{52, 51, 50, 255}))
      << "texel (1, 2) is source pixel 5";
  EXPECT_EQ(texel(image, 0, 1), (std::vector<int>{22, 21, 20, 255}))
      << "texel (0, 1) is source pixel 2";
}

TEST(ImageDecode, MalformedPicturesGiveNothing) {
  const Bytes good = blob(2, 2, 3, palette3, {0, 1, 2, 0});
  struct Case {
    const char* what;
    Bytes bytes;
    ImageBlobStatus status;
  };
  const Case cases[] = {
      {"empty", {}, ImageBlobStatus::tooShort},
      {"half a header", Bytes(good.begin(), good.begin() + 3), ImageBlobStatus::tooShort},
      {"header only", Bytes(good.begin(), good.begin() + 6), ImageBlobStatus::tooShort},
      {"palette cut short", Bytes(good.begin(), good.begin() + 10), ImageBlobStatus::tooShort},
      {"one pixel missing", Bytes(good.begin(), good.end() - 1), ImageBlobStatus::tooShort},
      {"a byte too many",
       [&] {
         Bytes b = good;
         b.push_back(0);
         return b;
       }(),
       ImageBlobStatus::sizeMismatch},
      {"zero width", blob(0, 2, 0, {}, {}), ImageBlobStatus::emptyPicture},
      {"zero height", blob(2, 0, 0, {}, {}), ImageBlobStatus::emptyPicture},
      {"huge header, few bytes", blob(65535, 65535, 1, {}, {1, 2, 3, 4}),
       ImageBlobStatus::tooShort},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // Copied into a buffer of exactly its size so any over-read shows under AddressSanitizer.
    std::vector<unsigned char> exact(c.bytes);
    DecodedImage image;
    EXPECT_EQ(decodeImageBlob(exact.empty() ? nullptr : exact.data(), exact.size(), true, image),
              c.status);
    EXPECT_EQ(image.width, 0);
    EXPECT_TRUE(image.texels.empty());
  }
  DecodedImage image;
  EXPECT_EQ(decodeImageBlob(good.data(), good.size(), true, image), ImageBlobStatus::decoded);
}

TEST(ImageDecode, PaletteIndexBeyondThePaletteIsOpaqueBlack) {
  DecodedImage image = decode(blob(3, 1, 2, {255, 255, 255, 1, 2, 3}, {1, 2, 255}), true);
  EXPECT_EQ(texel(image, 0, 0), (std::vector<int>{3, 2, 1, 255}));
  EXPECT_EQ(texel(image, 1, 0), (std::vector<int>{0, 0, 0, 255}));
  EXPECT_EQ(texel(image, 2, 0), (std::vector<int>{0, 0, 0, 255}));
  EXPECT_EQ(image.badIndexCount, 2);
}

TEST(ImageLoader, UnusablePicturesLeaveTheTextureAlone) {
  // Malformed bytes and unreadable files return before any device is needed.
  IDirect3DTexture9* const sentinel = reinterpret_cast<IDirect3DTexture9*>(0x1234);
  IDirect3DTexture9* texture = sentinel;
  const Bytes shortBlob = header(4, 4, 0);
  loadImageBlob(shortBlob.data(), int(shortBlob.size()), &texture, true);
  loadImageBlob(shortBlob.data(), -5, &texture, true);
  loadImageBlob(nullptr, 0, &texture, false);
  loadImageFile("no/such/folder/picture.bin", &texture, false);
  loadImageFile(nullptr, &texture, false);
  EXPECT_EQ(texture, sentinel);
}

}  // namespace
