// The 3D text can be read: zolta-frames renders the real program on its virtual clock with tunes
// named as we choose, and the OCR engine tesseract reads the track label and both track information
// lines off frame 900 (a lone "1" at the label's end, a few pixels wide, is left out: the engine
// reads most renderings of it as "4"). Reading tiny rendered text is sensitive to how the crop is
// enlarged, so each text is read after a few fixed preparations and the best reading counts; it
// must match at least 90 % of the characters (letters and digits, case ignored).
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/e2e_run.h"
#include "tests/support/shell_xvfb.h"

namespace {

namespace fs = std::filesystem;

constexpr int runTimeoutMs = 300000;  // 900 frames take ~40 s here, far more on a loaded machine
constexpr int toolTimeoutMs = 60000;
constexpr double requiredAccuracy = 0.9;
const char* const frameName = "/shots/frame-00900.png";

struct Crop {
  const char* geometry;                   // ImageMagick WxH+X+Y in window pixels
  std::vector<const char*> preparations;  // ImageMagick arguments, one string each
};

// The info lines are drawn about four times as wide as tall per font pixel, the label narrow
// and tall: each crop is scaled back towards upright letters before it is read.
const Crop artistLine{"290x18+350+263",
                      {"-resize 200%x600%!", "-resize 200%x600%! -threshold 30%",
                       "-resize 250%x800%! -threshold 30%"}};
const Crop titleLine{"290x18+350+282",
                     {"-resize 200%x600%!", "-resize 200%x600%! -threshold 40%",
                      "-resize 250%x800%! -threshold 40%"}};
const Crop label{"76x44+552+130", {"-resize 400%x200%!", "-resize 600%x300%!"}};

// Letters and digits of a text, lower case.
std::string letters(const std::string& text) {
  std::string kept;
  for (unsigned char c : text)
    if (std::isalnum(c)) kept += static_cast<char>(std::tolower(c));
  return kept;
}

// 1 - edit distance / expected length, over letters and digits only.
double accuracy(const std::string& expectedText, const std::string& readText) {
  const std::string expected = letters(expectedText), read = letters(readText);
  std::vector<size_t> row(read.size() + 1);
  for (size_t j = 0; j <= read.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= expected.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= read.size(); ++j) {
      const size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (expected[i - 1] != read[j - 1])});
      diagonal = above;
    }
  }
  return 1.0 - static_cast<double>(row[read.size()]) / static_cast<double>(expected.size());
}

std::vector<std::string> words(const std::string& text) {
  std::vector<std::string> split;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(' ', start);
    if (end == std::string::npos) end = text.size();
    if (end > start) split.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return split;
}

class TextLegibility : public ::testing::Test {
 protected:
  void TearDown() override {
    for (const std::string& folder : folders) removeFolder(folder);
  }

  // A folder whose data/msx holds default tunes under the given names; returns the frame 900
  // that zolta-frames renders there after pressing the keys given.
  std::string renderFrame900(const std::vector<std::string>& names, const std::string& keys) {
    const std::string folder = makeTemporaryFolder();
    folders.push_back(folder);
    fs::create_directories(folder + "/data/msx");
    std::vector<fs::path> tunes;
    for (const auto& entry : fs::directory_iterator(ZOLTA_SOURCE_DIR "/data/msx"))
      tunes.push_back(entry.path());
    std::sort(tunes.begin(), tunes.end());
    for (size_t i = 0; i < names.size(); ++i) {
      const fs::path& tune = tunes[i % tunes.size()];
      fs::copy_file(tune, folder + "/data/msx/" + names[i] + tune.extension().string());
    }
    std::vector<std::string> arguments = {ZOLTA_BINARY_DIR "/zolta-frames", "--frames", "900",
                                          "--out", folder + "/shots"};
    if (!keys.empty()) arguments.insert(arguments.end(), {"--keys", keys});
    const ProgramRun run =
        runProgram(arguments, folder, {"SDL_AUDIODRIVER=dummy", "SDL_VIDEODRIVER=offscreen"}, {},
                   runTimeoutMs);
    EXPECT_TRUE(run.ended && run.status == 0) << "status " << run.status << ", stderr:\n"
                                              << run.errors;
    return folder + frameName;
  }

  // The best accuracy of tesseract's readings of the crop after each preparation.
  double bestReading(const std::string& frame, const Crop& crop, const std::string& expected) {
    double best = 0.0;
    std::string readings;
    for (const char* preparation : crop.preparations) {
      const std::string prepared = frame + "." + std::to_string(++preparedCount) + ".png";
      std::vector<std::string> convert = {"/usr/bin/env", "convert", frame,         "-crop",
                                          crop.geometry,  "+repage", "-colorspace", "gray"};
      for (const std::string& word : words(preparation)) convert.push_back(word);
      for (const char* word : {"-negate", "-bordercolor", "white", "-border", "30"})
        convert.push_back(word);
      convert.push_back(prepared);
      const ProgramRun converted = runProgram(convert, ".", {}, {}, toolTimeoutMs);
      EXPECT_TRUE(converted.ended && converted.status == 0) << "convert: " << converted.errors;
      const ProgramRun ocr = runProgram({"/usr/bin/env", "tesseract", prepared, "-", "--psm", "7"},
                                        ".", {}, {}, toolTimeoutMs);
      EXPECT_TRUE(ocr.ended && ocr.status == 0)
          << "tesseract (package tesseract-ocr) did not run: " << ocr.errors;
      best = std::max(best, accuracy(expected, ocr.output));
      readings += " \"" + ocr.output.substr(0, ocr.output.find('\n')) + "\"";
    }
    EXPECT_GE(best, requiredAccuracy) << "\"" << expected << "\" read as" << readings;
    return best;
  }

  std::vector<std::string> folders;
  int preparedCount = 0;
};

TEST(TextLegibilityScore, CountsEditsOverLettersAndDigits) {
  EXPECT_DOUBLE_EQ(accuracy("Pulsegeist", "| Pulsegeist"), 1.0);
  EXPECT_DOUBLE_EQ(accuracy("Pulsegeist", "Pulsepelst"), 0.8);
  EXPECT_DOUBLE_EQ(accuracy("Track 3", "track3"), 1.0);
  EXPECT_NEAR(accuracy("Track 3", "rack"), 1.0 - 2.0 / 6.0, 1e-9);
  EXPECT_LT(accuracy("Track 3", ""), 0.1);
}

// The first track's lines at start-up; the label and lines of the third after two presses of
// "next". Both are paused two seconds before the shot, so that the fountains' notes have landed
// instead of flying over the lines.
TEST_F(TextLegibility, LabelAndInformationLinesReadBack) {
  const std::string first =
      renderFrame900({"Kid Quartz - Waltz for a Robot", "Vexel - Wild Jukebox"}, "700:C");
  const std::string third = renderFrame900(
      {"Pulsegeist - Snowy Valley", "Moxa - Harbour Lights", "Kid Quartz - Popcorn Engine"},
      "100:B,150:B,700:C");
  bestReading(first, artistLine, "Kid Quartz");
  bestReading(first, titleLine, "Waltz for a Robot");
  bestReading(third, label, "Track 3");
  bestReading(third, artistLine, "Pulsegeist");
  bestReading(third, titleLine, "Snowy Valley");
}

}  // namespace
