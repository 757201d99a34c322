// The playlist built from a real folder: display fields from file names, the display
// order, the carousel start layout and the empty or missing folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "music/playlist.h"
#include "tests/support/audio_module_writer.h"

namespace {

class PlaylistTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previousFolder = std::filesystem::current_path();
    std::filesystem::current_path(freshScratchFolder("playlist"));
  }
  void TearDown() override {
    destroyPlaylist();
    std::filesystem::path scratch = std::filesystem::current_path();
    std::filesystem::current_path(previousFolder);
    std::filesystem::remove_all(scratch);
  }

  // Makes data/msx/ with these (empty) entries, scans it and derives the fields.
  int scan(const std::vector<std::string>& names) {
    std::filesystem::create_directories("data/msx");
    for (const std::string& name : names) writeBytes("data/msx/" + name, {});
    int result = scanMusicFolder();
    deriveTrackFields();
    return result;
  }

  static const TrackEntry& track(const std::string& fileName) {
    for (int i = 0; i < playlist.count; ++i)
      if (std::string(playlist.entries[i].path.chars()) == "data/msx/" + fileName)
        return playlist.entries[i];
    ADD_FAILURE() << "no track for " << fileName;
    return playlist.entries[0];
  }

  static std::vector<std::string> displayedTitles() {
    std::vector<std::string> titles;
    for (int i = 0; i < playlist.count; ++i)
      titles.push_back(playlist.playOrder[i]->shortTitle.chars());
    return titles;
  }

  std::filesystem::path previousFolder;
};

std::string text(const RefString& value) { return std::string(value.chars(), value.length()); }

TEST_F(PlaylistTest, FieldsComeFromTheFileName) {
  ASSERT_EQ(scan({"Artist - Title.xm", "chip.mod", "a-b-c.it", "song.final.xm", "Chip-Tune"}), 0);
  ASSERT_EQ(playlist.count, 5);
  EXPECT_EQ(playlist.capacity, 5) << "storage is shrunk to the entries after the scan";

  const TrackEntry& spaced = track("Artist - Title.xm");
  EXPECT_EQ(text(spaced.artist), "Artist ");
  EXPECT_EQ(text(spaced.title), " Title");
  EXPECT_EQ(text(spaced.shortTitle), " Title");
  EXPECT_EQ(text(spaced.path), "data/msx/Artist - Title.xm");

  const TrackEntry& plain = track("chip.mod");
  EXPECT_EQ(text(plain.artist), "chip");
  EXPECT_EQ(text(plain.title), "chip");
  EXPECT_EQ(text(plain.shortTitle), "chip");

  EXPECT_EQ(text(track("a-b-c.it").artist), "a");
  EXPECT_EQ(text(track("a-b-c.it").title), "c");
  EXPECT_EQ(text(track("song.final.xm").title), "song.final");

  // A name without a dot keeps its whole name as the base name.
  EXPECT_EQ(text(track("Chip-Tune").artist), "Chip");
  EXPECT_EQ(text(track("Chip-Tune").title), "Tune");
}

TEST_F(PlaylistTest, LongTitlesAreCutForTheCarouselOnly) {
  ASSERT_EQ(scan({"x-Fourteen chars.mod", "x-Fifteen chars!!.mod"}), 0);
  EXPECT_EQ(text(track("x-Fourteen chars.mod").shortTitle), "Fourteen chars");
  EXPECT_EQ(text(track("x-Fifteen chars!!.mod").shortTitle), "Fifteen chars>");
  EXPECT_EQ(text(track("x-Fifteen chars!!.mod").title), "Fifteen chars!!");
}

TEST_F(PlaylistTest, DisplayOrderComparesSignedBytes) {
  ASSERT_EQ(scan({"a-alpha.mod", "b-Zed.mod", "c- space.mod", "d-\xE9t\xE9.mod", "e-Alpha.mod"}),
            0);
  std::vector<std::string> expected = {"\xE9t\xE9", " space", "Alpha", "Zed", "alpha"};
  EXPECT_EQ(displayedTitles(), expected);
}

TEST_F(PlaylistTest, EqualKeysKeepTheListingOrder) {
  ASSERT_EQ(scan({"a-Same long title one.mod", "b-Same long title two.mod",
                  "c-Same long title 3.mod", "d-A.mod"}),
            0);
  ASSERT_EQ(playlist.count, 4);
  EXPECT_EQ(text(playlist.playOrder[0]->shortTitle), "A");
  std::vector<const TrackEntry*> tied(playlist.playOrder + 1, playlist.playOrder + 4);
  for (const TrackEntry* entry : tied) EXPECT_EQ(text(entry->shortTitle), "Same long tit>");
  EXPECT_LT(tied[0], tied[1]) << "ties stay in storage (listing) order";
  EXPECT_LT(tied[1], tied[2]);
}

// The display order is the one a pass of adjacent swaps until none is left gives (the
// reference below, stable by construction), on names crafted for ties, cut titles, signed bytes
// and case, and on a few thousand generated ones from a small alphabet, so most keys tie or share
// long prefixes.
TEST_F(PlaylistTest, DisplayOrderIsTheAdjacentSwapOrder) {
  std::vector<std::string> names = {"a-Tie.mod",
                                    "b-tie.mod",
                                    "c-Tie.mod",
                                    "d-\xE9.mod",
                                    "e-\x7F.mod",
                                    "f- Tie.mod",
                                    "g-Tie.mod",
                                    "h-Tied.mod",
                                    "i-Ti.mod",
                                    "readme",
                                    "j-Same long title 1.xm",
                                    "k-Same long title 2.xm",
                                    "l-Same long tit.xm",
                                    "m-.mod",
                                    "n-\x80z.mod"};
  const char alphabet[] = {'a', 'A', 'b', ' ', '~', '\x7F', '\x80', '\xE9', '\xFF'};
  unsigned seed = 12345;
  for (int i = 0; i < 3000; ++i) {
    std::string title;
    for (int length = 1 + i % 16; length > 0; --length) {
      seed = seed * 1103515245u + 12345u;
      title += alphabet[(seed >> 16) % sizeof alphabet];
    }
    names.push_back("x" + std::to_string(i) + "-" + title + ".mod");
  }
  ASSERT_EQ(scan(names), 0);
  ASSERT_EQ(playlist.count, int(names.size()));

  std::vector<const TrackEntry*> expected;
  for (int i = 0; i < playlist.count; ++i) expected.push_back(&playlist.entries[i]);
  for (bool swapped = true; swapped;) {
    swapped = false;
    for (size_t j = 0; j + 1 < expected.size(); ++j)
      if (expected[j]->shortTitle.compare(expected[j + 1]->shortTitle) == 1) {
        std::swap(expected[j], expected[j + 1]);
        swapped = true;
      }
  }
  const std::vector<const TrackEntry*> shown(playlist.playOrder,
                                             playlist.playOrder + playlist.count);
  EXPECT_TRUE(shown == expected) << "the display order differs from the adjacent-swap order";
  EXPECT_EQ(text(shown[0]->shortTitle), "") << "an empty title comes first";
}

TEST_F(PlaylistTest, CarouselStartAndNumbersFollowTheDisplayOrder) {
  ASSERT_EQ(scan({"x-c.mod", "x-a.mod", "x-b.mod"}), 0);
  const TrackEntry& first = *playlist.playOrder[0];
  const TrackEntry& second = *playlist.playOrder[1];
  EXPECT_EQ(text(first.shortTitle), "a");
  EXPECT_EQ(text(first.number), "1");
  EXPECT_FLOAT_EQ(first.carouselY, 0.0f);
  EXPECT_FLOAT_EQ(first.carouselX, -2.5f);
  EXPECT_EQ(text(second.number), "2");
  EXPECT_FLOAT_EQ(second.carouselY, -0.125f);
  EXPECT_FLOAT_EQ(second.carouselX, -2.48125f);
  EXPECT_EQ(text(playlist.playOrder[2]->number), "3");

  // A later derivation (after a display-mode switch) leaves everything as it is.
  TrackEntry* order[3] = {playlist.playOrder[0], playlist.playOrder[1], playlist.playOrder[2]};
  playlist.playOrder[0]->carouselX = 1.0f;
  deriveTrackFields();
  EXPECT_FLOAT_EQ(playlist.playOrder[0]->carouselX, 1.0f);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(playlist.playOrder[i], order[i]);
}

TEST_F(PlaylistTest, EveryEntryButDotsIsATrack) {
  std::filesystem::create_directories("data/msx/sub folder");
  ASSERT_EQ(scan({"readme", "tune.mod"}), 0);
  EXPECT_EQ(playlist.count, 3);
  EXPECT_EQ(text(track("sub folder").title), "sub folder");
  EXPECT_EQ(text(track("readme").title), "readme");
}

TEST_F(PlaylistTest, EmptyOrMissingFolderLeavesAnEmptyPlaylist) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(scanMusicFolder(), -1);
  deriveTrackFields();
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "zolta: data/msx/: no such folder - playing nothing\n");
  EXPECT_EQ(playlist.count, 0);
  EXPECT_EQ(playlist.playOrder, nullptr);

  testing::internal::CaptureStderr();
  EXPECT_EQ(scan({}), -2);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "zolta: data/msx/: no tunes found - playing nothing\n");
  EXPECT_EQ(playlist.count, 0);
  EXPECT_EQ(playlist.entries, nullptr);
  EXPECT_EQ(playlist.playOrder, nullptr);
}

TEST_F(PlaylistTest, AMusicFolderThatIsAFileIsNamedAsSuch) {
  std::filesystem::create_directories("data");
  writeBytes("data/msx", {'x'});
  testing::internal::CaptureStderr();
  EXPECT_EQ(scanMusicFolder(), -1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "zolta: data/msx/: is not a folder - playing nothing\n");
  EXPECT_EQ(playlist.count, 0);
}

}  // namespace
