// The pictures compiled into the program: every one present with its size and an indexed
// palette, fonts whose glyphs stay inside the part of the cell the glyph quads sample, the
// pointer's tip, and overlays that line up with the console picture they are drawn over.
#include "gfx/image_loader.h"
#include "platform/win32.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <set>

namespace {

struct PictureBytes {
  const unsigned char* data = nullptr;
  std::size_t size = 0;
};

PictureBytes resourceBytes(int id) {
  HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCEA(id), "BINARYDATA");
  if (!resource) return {};
  return {static_cast<const unsigned char*>(LockResource(LoadResource(nullptr, resource))),
          SizeofResource(nullptr, resource)};
}

DecodedImage picture(int id, bool colourKey) {
  const PictureBytes bytes = resourceBytes(id);
  DecodedImage image;
  EXPECT_EQ(decodeImageBlob(bytes.data, bytes.size, colourKey, image), ImageBlobStatus::decoded)
      << "picture " << id;
  return image;
}

struct Texel {
  int b, g, r, a;
  bool operator==(const Texel&) const = default;
};

Texel at(const DecodedImage& image, int x, int y) {
  const unsigned char* t = &image.texels[(std::size_t(y) * image.width + x) * 4];
  return {t[0], t[1], t[2], t[3]};
}

double luminance(const Texel& t) { return 0.3 * t.r + 0.59 * t.g + 0.11 * t.b; }

TEST(ArtworkPictures, AllSeventeenAreIndexedWithTheirSizes) {
  const std::map<int, std::pair<int, int>> sizes = {
      {103, {32, 32}},  {104, {32, 32}}, {105, {640, 480}}, {106, {40, 37}}, {107, {40, 37}},
      {108, {40, 37}},  {109, {40, 37}}, {110, {40, 37}},   {111, {28, 22}}, {112, {128, 66}},
      {113, {32, 32}},  {114, {32, 32}}, {115, {32, 32}},   {116, {32, 32}}, {117, {32, 32}},
      {118, {143, 53}}, {119, {14, 14}}};
  for (const auto& [id, size] : sizes) {
    SCOPED_TRACE(id);
    const PictureBytes bytes = resourceBytes(id);
    ASSERT_NE(bytes.data, nullptr);
    const int paletteCount = bytes.data[5];
    EXPECT_GE(paletteCount, 2);
    EXPECT_EQ(bytes.size, 6u + 3u * paletteCount + std::size_t(size.first) * size.second);
    const DecodedImage image = picture(id, false);
    EXPECT_EQ(image.width, size.first);
    EXPECT_EQ(image.height, size.second);
    EXPECT_EQ(image.badIndexCount, 0);
  }
  EXPECT_EQ(resourceBytes(102).data, nullptr);
  EXPECT_EQ(resourceBytes(120).data, nullptr);
}

TEST(ArtworkPictures, ScrollerFontGlyphsAreDistinctAndInkOnlyTheSampledColumns) {
  const DecodedImage font = picture(112, true);
  std::set<std::vector<bool>> shapes;
  for (int code = 32; code <= 127; ++code) {
    const int cellX = ((code - 32) % 16) * 8, cellY = ((code - 32) / 16) * 11;
    int ink = 0, inkOutside = 0;
    std::vector<bool> shape;
    for (int y = 0; y < 11; ++y)
      for (int x = 0; x < 8; ++x) {
        const Texel t = at(font, cellX + x, cellY + y);
        ASSERT_TRUE(t == (Texel{0, 0, 0, 255}) || t == (Texel{255, 255, 255, 0}))
            << "only black glyphs on keyed white";
        if (t.a == 255) (x < 7 ? ink : inkOutside)++;
        shape.push_back(t.a == 255);
      }
    if (code >= 33 && code <= 126) {
      EXPECT_TRUE(shapes.insert(shape).second) << "code " << code << " looks like another glyph";
    }
    EXPECT_EQ(inkOutside, 0) << "code " << code << " inks column 7, which is not sampled";
    if (code >= 33 && code <= 126) {
      EXPECT_GT(ink, 2) << "code " << code << " has no glyph";
    }
  }
}

// Each glyph with its outline fills the 8 x 8 pixels that lie at least half inside the part of
// its cell that the glyph quads sample (the left nine tenths); every glyph has a shape of its own
// and the letters use the full width, so neighbours meet in the carousel and the label.
TEST(ArtworkPictures, TextFontGlyphsAreOutlinedDistinctAndFillTheirBoxes) {
  const DecodedImage font = picture(118, false);
  const double cellWidth = 143.0 / 16, cellHeight = 53.0 / 6;
  std::vector<bool> claimed(143 * 53, false);
  std::set<std::vector<bool>> shapes;
  int fullWidthLetters = 0;
  for (int code = 32; code <= 127; ++code) {
    const int col = (code - 32) % 16, row = (code - 32) / 16;
    const int x0 = int(std::floor(col * cellWidth + 0.5)),
              y0 = int(std::floor(row * cellHeight + 0.5));
    ASSERT_LE(x0 + 8, int(std::floor((col + 0.9) * cellWidth + 0.5)))
        << "box inside the sampled part";
    int bright = 0, dark = 0, left = 8, right = -1;
    std::vector<bool> shape;
    for (int y = y0; y < y0 + 8; ++y)
      for (int x = x0; x < x0 + 8; ++x) {
        claimed[y * 143 + x] = true;
        const Texel t = at(font, x, y);
        shape.push_back(t.r > 200);
        if (t == (Texel{0, 255, 0, 255})) continue;
        EXPECT_TRUE(t.r == t.g && t.g == t.b) << "glyph pixels are greys between black and white";
        (t.r > 200 ? bright : dark) += t.r > 200 || t.r < 60;
        if (t.r > 200) left = std::min(left, x - x0), right = std::max(right, x - x0);
      }
    if (code >= 33 && code <= 126) {
      EXPECT_GT(bright, 0) << "code " << code << " has no white face";
      EXPECT_GT(dark, 0) << "code " << code << " has no black outline";
      EXPECT_TRUE(shapes.insert(shape).second) << "code " << code << " looks like another glyph";
      if (std::isalpha(code)) fullWidthLetters += left == 1 && right == 6;
    }
  }
  EXPECT_GE(fullWidthLetters, 40) << "letters whose face spans the six inner columns";
  for (int y = 0; y < 53; ++y)
    for (int x = 0; x < 143; ++x)
      if (!claimed[y * 143 + x]) {
        EXPECT_EQ(at(font, x, y), (Texel{0, 255, 0, 255}))
            << "ink outside a cell at " << x << "," << y;
      }
}

TEST(ArtworkPictures, PointerTipIsAtFiveFive) {
  const DecodedImage pointer = picture(104, true);
  EXPECT_EQ(at(pointer, 5, 5).a, 255);
  EXPECT_LT(luminance(at(pointer, 5, 5)), 128) << "the tip is the arrow's dark rim";
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x)
      if (x < 5 || y < 5) {
        EXPECT_EQ(at(pointer, x, y).a, 0) << "pixel " << x << "," << y << " lies beyond the tip";
      }
  int opaque = 0;
  for (int i = 0; i < 32 * 32; ++i) opaque += pointer.texels[i * 4 + 3] == 255;
  EXPECT_GT(opaque, 80);
  EXPECT_LT(opaque, 400);
}

TEST(ArtworkPictures, SparkIsAGlowOnBlack) {
  const DecodedImage spark = picture(103, false);
  EXPECT_GT(luminance(at(spark, 16, 16)), 240);
  for (int corner : {0, 31}) {
    EXPECT_EQ(at(spark, corner, corner), (Texel{0, 0, 0, 255}));
    EXPECT_EQ(at(spark, corner, 31 - corner), (Texel{0, 0, 0, 255}));
  }
}

TEST(ArtworkPictures, NotesAreFiveDifferentBlackShapesOnWhite) {
  std::set<std::vector<unsigned char>> distinct;
  for (int id = 113; id <= 117; ++id) {
    const DecodedImage note = picture(id, false);
    int dark = 0;
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) dark += luminance(at(note, x, y)) < 80;
    EXPECT_GT(dark, 40) << "picture " << id;
    EXPECT_EQ(at(note, 0, 0), (Texel{255, 255, 255, 255}));
    // Black all through: a pixel whose eight neighbours are mostly inked is body, not edge.
    auto inked = [&](int x, int y) { return luminance(at(note, x, y)) < 128; };
    for (int y = 1; y < 31; ++y)
      for (int x = 1; x < 31; ++x) {
        bool body = true;
        for (int dy = -1; dy <= 1; ++dy)
          for (int dx = -1; dx <= 1; ++dx) body = body && inked(x + dx, y + dy);
        if (body) {
          EXPECT_LT(luminance(at(note, x, y)), 40)
              << "picture " << id << " body pixel " << x << "," << y;
        }
      }
    distinct.insert(note.texels);
  }
  EXPECT_EQ(distinct.size(), 5u);
}

TEST(ArtworkPictures, SpeakerPatchIsTheBackgroundWhereOpaque) {
  const DecodedImage background = picture(105, false), patch = picture(111, true);
  int opaque = 0;
  for (int y = 0; y < 22; ++y)
    for (int x = 0; x < 28; ++x) {
      const Texel t = at(patch, x, y);
      if (t.a == 0) continue;
      ++opaque;
      EXPECT_EQ(t, at(background, 217 + x, 312 + y)) << "patch pixel " << x << "," << y;
    }
  EXPECT_GT(opaque, 100);
  EXPECT_LT(opaque, 28 * 22 - 100) << "the patch is a corner, with bars visible around it";
  EXPECT_EQ(at(patch, 27, 0).a, 0) << "above and right of the corner the bars show";
  EXPECT_EQ(at(patch, 1, 20).a, 255) << "below and left of the corner is cabinet";
  // The patch is sampled with wrapping: its first column meets its last, its first row its last.
  // Where either side is transparent both must be, or keyed white bleeds in as a grey seam.
  for (int y = 0; y < 22; ++y) EXPECT_EQ(at(patch, 0, y).a, at(patch, 27, y).a) << "row " << y;
  for (int x = 0; x < 28; ++x) EXPECT_EQ(at(patch, x, 0).a, at(patch, x, 21).a) << "column " << x;
}

// Overlays replace background pixels outright: their outer ring must match the background,
// and they must change something inside.
void expectRegistered(int id, int left, int top, int ring) {
  const DecodedImage background = picture(105, false), overlay = picture(id, false);
  int differing = 0;
  for (int y = 0; y < overlay.height; ++y)
    for (int x = 0; x < overlay.width; ++x) {
      const bool edge =
          x < ring || y < ring || x >= overlay.width - ring || y >= overlay.height - ring;
      const bool same = at(overlay, x, y) == at(background, left + x, top + y);
      if (edge) {
        EXPECT_TRUE(same) << "picture " << id << " edge pixel " << x << "," << y;
      }
      differing += !same;
    }
  EXPECT_GT(differing, 40) << "picture " << id << " looks the same as the background";
}

TEST(ArtworkPictures, HighlightsAndLampLineUpWithTheBackground) {
  for (int i = 0; i < 5; ++i) expectRegistered(106 + i, 329 + 40 * i, 14, 2);
  expectRegistered(119, 552, 29, 1);
  const DecodedImage background = picture(105, false), lamp = picture(119, false);
  EXPECT_GT(luminance(at(lamp, 7, 7)), luminance(at(background, 559, 36)) + 60)
      << "the lamp lights up";
}

TEST(ArtworkPictures, ConsoleKeepsItsQuietAndLightPlaces) {
  const DecodedImage background = picture(105, false);
  auto meanLuminance = [&](int x0, int y0, int x1, int y1) {
    double sum = 0;
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x) sum += luminance(at(background, x, y));
    return sum / ((x1 - x0 + 1) * (y1 - y0 + 1));
  };
  EXPECT_GT(meanLuminance(226, 456, 629, 477), 200) << "scroller strip is light";
  // Fading scroller cells blend their white surround over rows 460-470, columns 232-632.
  for (int y = 460; y <= 470; ++y)
    for (int x = 232; x <= 632; ++x)
      ASSERT_EQ(at(background, x, y), (Texel{255, 255, 255, 255}))
          << "strip pixel " << x << "," << y;
  EXPECT_LT(meanLuminance(30, 60, 70, 100), 40) << "sparks start over a dark sky";
  EXPECT_LT(meanLuminance(330, 268, 639, 300), 60) << "info text runs over a calm dark band";
  EXPECT_LT(meanLuminance(300, 110, 500, 190), 40) << "the main screen's glass is dark";
}

}  // namespace
