// The volume bar's texels for a given volume: lit columns, gaps, grey ramp and alpha.
#include "effects/display_panels.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int paddedPitch = volumeBarWidth * 4 + 16;  // a padded pitch, as a driver may return

struct Bar {
  std::vector<unsigned char> texels =
      std::vector<unsigned char>(paddedPitch * volumeBarHeight, 0xEE);
  explicit Bar(int volume) { fillVolumeBar(texels.data(), paddedPitch, volume); }
  const unsigned char* texel(int row, int column) const {
    return &texels[row * paddedPitch + 4 * column];
  }
  // Grey of a column of row 0, or -1 when blue, green and red differ.
  int grey(int column) const {
    const unsigned char* t = texel(0, column);
    return t[0] == t[1] && t[1] == t[2] ? t[0] : -1;
  }
  std::vector<int> litColumns() const {
    std::vector<int> lit;
    for (int c = 0; c < volumeBarWidth; ++c)
      if (grey(c) != 0) lit.push_back(c);
    return lit;
  }
};

std::vector<int> columns(int first, int last) {
  std::vector<int> out;
  for (int c = first; c <= last; ++c) out.push_back(c);
  return out;
}

TEST(VolumeBarTest, LitColumnsFollowTheVolume) {
  EXPECT_TRUE(Bar(0).litColumns().empty());
  EXPECT_EQ(Bar(9).litColumns(), columns(1, 9));
  EXPECT_EQ(Bar(10).litColumns(), columns(1, 9)) << "column 10 is a gap";
  std::vector<int> eleven = columns(1, 9);
  eleven.push_back(11);
  EXPECT_EQ(Bar(11).litColumns(), eleven);
  EXPECT_EQ(Bar(99).litColumns().size(), 90u);
  EXPECT_EQ(Bar(80).litColumns().size(), 72u) << "eight full segments";
}

TEST(VolumeBarTest, GreyRampAlphaGapsAndRows) {
  const Bar bar(99);
  EXPECT_EQ(bar.grey(1), 151);
  EXPECT_EQ(bar.grey(9), 159);
  EXPECT_EQ(bar.grey(99), 249);
  for (int c = 0; c < volumeBarWidth; c += 10) EXPECT_EQ(bar.grey(c), 0) << "column " << c;
  for (int r = 0; r < volumeBarHeight; ++r) {
    for (int c = 0; c < volumeBarWidth; ++c) {
      const unsigned char* t = bar.texel(r, c);
      ASSERT_EQ(t[3], 180) << "alpha at row " << r << " column " << c;
      ASSERT_EQ(t[0], bar.texel(0, c)[0]) << "rows differ at row " << r << " column " << c;
      ASSERT_EQ(t[2], t[0]);
    }
    EXPECT_EQ(bar.texels[r * paddedPitch + volumeBarWidth * 4], 0xEE) << "padding written";
  }
}

}  // namespace
