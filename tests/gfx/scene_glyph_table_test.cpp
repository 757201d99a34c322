// The glyph quad table: which atlas cell each character code samples, and the quad's shape.
#include <gtest/gtest.h>

#include "gfx/scene_resources.h"

namespace {

struct TextureBox {
  float left, right, top, bottom;
};

TextureBox boxOf(const TexturedVertex quad[4]) {
  return {quad[0].u, quad[1].u, quad[3].v, quad[0].v};
}

}  // namespace

TEST(GlyphTable, SpaceIsEntryZeroInTheTopLeftCell) {
  TexturedVertex quad[4];
  makeGlyphQuad(' ' - firstGlyphCode, quad);
  TextureBox box = boxOf(quad);
  EXPECT_FLOAT_EQ(box.left, 0.0f);
  EXPECT_FLOAT_EQ(box.right, 0.05625f);
  EXPECT_FLOAT_EQ(box.top, 0.0f);
  EXPECT_FLOAT_EQ(box.bottom, 1.0f / 6.0f);
}

TEST(GlyphTable, CodeOneTwentySevenIsTheLastCell) {
  EXPECT_EQ(127 - firstGlyphCode, glyphCount - 1);
  TexturedVertex quad[4];
  makeGlyphQuad(glyphCount - 1, quad);
  TextureBox box = boxOf(quad);
  EXPECT_FLOAT_EQ(box.left, 0.9375f);
  EXPECT_FLOAT_EQ(box.right, 0.99375f);
  EXPECT_FLOAT_EQ(box.top, 5.0f / 6.0f);
  EXPECT_FLOAT_EQ(box.bottom, 1.0f);
}

// An upright quad 1 wide and 0.3 high whose bottom edge samples the bottom of its row: a
// swapped v would draw every letter upside down.
TEST(GlyphTable, QuadIsUprightAndSamplesItsOwnCell) {
  for (int entry = 0; entry < glyphCount; ++entry) {
    TexturedVertex quad[4];
    makeGlyphQuad(entry, quad);
    int column = entry % 16, row = entry / 16;
    EXPECT_FLOAT_EQ(quad[0].u, column / 16.0f) << "entry " << entry;
    EXPECT_FLOAT_EQ(quad[2].v, row / 6.0f) << "entry " << entry;
    EXPECT_GT(quad[0].v, quad[3].v) << "entry " << entry << ": bottom edge must have the larger v";
    EXPECT_EQ(quad[1].u, quad[2].u);
    EXPECT_EQ(quad[0].u, quad[3].u);
    EXPECT_FLOAT_EQ(quad[2].x, 1.0f);
    EXPECT_FLOAT_EQ(quad[2].y, 0.3f);
    EXPECT_EQ(quad[0].x, 0.0f);
    EXPECT_EQ(quad[0].y, 0.0f);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(quad[i].colour, 0x80FFFFFFu);
  }
}
