// Tests of the default tunes and of the tool that makes them: every file in
// data/msx plays for one to three minutes, enough of them loop back to the
// start for the automatic advance, the committed files are exactly what the
// generator writes, and the writers put the right pitches, tempo and
// releases into MOD and XM files as libopenmpt reads them.
#include "chip_samples.h"
#include "module_writers.h"
#include "score.h"
#include "songs.h"

#include <libopenmpt/libopenmpt.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace tunes;

namespace {

const std::filesystem::path musicFolder = std::filesystem::path(ZOLTA_SOURCE_DIR) / "data" / "msx";
constexpr int renderRate = 8000;             // Hz; enough to follow orders and count cycles
constexpr size_t maxTuneBytes = 200 * 1024;  // committed tunes stay small

std::vector<uint8_t> readBytes(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

openmpt_module* load(const std::vector<uint8_t>& bytes) {
  return openmpt_module_create_from_memory2(bytes.data(), bytes.size(), openmpt_log_func_silent,
                                            nullptr, openmpt_error_func_ignore, nullptr, nullptr,
                                            nullptr, nullptr);
}

std::vector<std::filesystem::path> tuneFiles() {
  std::vector<std::filesystem::path> files;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(musicFolder, error))
    files.push_back(entry.path());
  return files;
}

// Plays the module as the player does (looping for ever) a little past its
// length and says whether the order went above 2 and later came back to 2 or less.
bool advancesAtItsEnd(openmpt_module* module) {
  openmpt_module_set_repeat_count(module, -1);
  double seconds = openmpt_module_get_duration_seconds(module) + 5.0;
  std::vector<float> buffer(renderRate / 50);
  bool armed = false;
  for (double t = 0; t < seconds; t += 1.0 / 50) {
    openmpt_module_read_float_mono(module, renderRate, buffer.size(), buffer.data());
    int order = openmpt_module_get_current_order(module);
    if (order > 2)
      armed = true;
    else if (armed)
      return true;
  }
  return false;
}

// Fundamental frequency of the first second of a rendered module, from its zero crossings.
double renderedPitch(const std::vector<uint8_t>& bytes) {
  openmpt_module* module = load(bytes);
  if (!module) return 0.0;
  std::vector<float> samples(renderRate);
  openmpt_module_read_float_mono(module, renderRate, samples.size(), samples.data());
  openmpt_module_destroy(module);
  int crossings = 0;
  for (size_t i = renderRate / 10 + 1; i < samples.size(); ++i)
    if ((samples[i - 1] < 0) != (samples[i] < 0)) ++crossings;
  return crossings / 2.0 / 0.9;
}

// Peak of the rendered mono signal between two times, in seconds.
double renderedPeak(const std::vector<uint8_t>& bytes, double from, double to) {
  openmpt_module* module = load(bytes);
  if (!module) return -1.0;
  std::vector<float> samples(size_t(to * renderRate));
  openmpt_module_read_float_mono(module, renderRate, samples.size(), samples.data());
  openmpt_module_destroy(module);
  double peak = 0.0;
  for (size_t i = size_t(from * renderRate); i < samples.size(); ++i)
    peak = std::max(peak, double(std::fabs(samples[i])));
  return peak;
}

// A one-pattern song: a looped square playing `note` on channel 1, released at row `releaseRow` if
// >= 0.
Song toneSong(int channels, int note, int releaseRow) {
  Song song;
  song.title = "tone";
  song.channels = channels;
  song.speed = 5;
  song.tempo = 140;
  song.instruments = {loopedWave("square", Wave::Square, middleCycle)};
  Pattern pattern(64, channels);
  pattern.at(0, 0) = Cell{note, 1, noVolume, 0, 0};
  if (releaseRow >= 0) pattern.at(releaseRow, 0).note = keyOff;
  song.patterns = {pattern};
  song.orders = {0};
  return song;
}

}  // namespace

TEST(DefaultTunes, EveryFileLoadsAndLastsOneToThreeMinutes) {
  std::vector<std::filesystem::path> files = tuneFiles();
  ASSERT_GE(files.size(), 6u) << "expected at least six tunes in " << musicFolder;
  for (const auto& path : files) {
    std::vector<uint8_t> bytes = readBytes(path);
    EXPECT_LT(bytes.size(), maxTuneBytes) << path.filename();
    openmpt_module* module = load(bytes);
    ASSERT_NE(module, nullptr) << path.filename() << " does not load";
    double seconds = openmpt_module_get_duration_seconds(module);
    EXPECT_GE(seconds, 60.0) << path.filename();
    EXPECT_LE(seconds, 180.0) << path.filename();
    openmpt_module_destroy(module);
  }
}

TEST(DefaultTunes, AtLeastTwoPlayPastOrderTwoAndLoopBackForTheAdvance) {
  int advancing = 0;
  for (const auto& path : tuneFiles()) {
    openmpt_module* module = load(readBytes(path));
    ASSERT_NE(module, nullptr) << path.filename();
    if (openmpt_module_get_num_orders(module) > 3 && advancesAtItsEnd(module)) ++advancing;
    openmpt_module_destroy(module);
  }
  EXPECT_GE(advancing, 2);
}

TEST(DefaultTunes, NamesAreArtistAndTitleInBothFormatsWithOneLongTitle) {
  bool mod = false, xm = false, longTitle = false;
  for (const auto& path : tuneFiles()) {
    std::string stem = path.stem().string();
    size_t hyphen = stem.rfind(" - ");
    ASSERT_NE(hyphen, std::string::npos) << path.filename() << " is not 'Artist - Title.ext'";
    EXPECT_GT(hyphen, 0u) << path.filename();
    if (stem.size() - stem.rfind('-') - 1 > 14) longTitle = true;
    mod = mod || path.extension() == ".mod";
    xm = xm || path.extension() == ".xm";
  }
  EXPECT_TRUE(mod);
  EXPECT_TRUE(xm);
  EXPECT_TRUE(longTitle) << "no title is long enough to be cut in the carousel";
}

TEST(DefaultTunes, TheGeneratorWritesExactlyTheCommittedFiles) {
  for (int i = 0; i < tuneCount; ++i) {
    const TuneEntry& tune = allTunes[i];
    std::vector<uint8_t> first, second;
    std::string error;
    auto write = [&](std::vector<uint8_t>& bytes) {
      Song song = tune.build();
      return tune.format == Format::Mod ? writeMod(song, bytes, error)
                                        : writeXm(song, bytes, error);
    };
    ASSERT_TRUE(write(first)) << tune.fileName << ": " << error;
    ASSERT_TRUE(write(second));
    EXPECT_EQ(first, second) << tune.fileName << " differs between two runs";
    EXPECT_EQ(first, readBytes(musicFolder / tune.fileName))
        << tune.fileName
        << " in data/msx is not what make_tunes writes; regenerate with the 'tunes' target";
  }
  EXPECT_TRUE(scoreOk());
}

TEST(ModuleWriters, MiddleCSoundsAtTheSamePitchInModAndXm) {
  constexpr int middleC = 49, octaveUp = 61;
  for (int note : {middleC, octaveUp}) {
    std::vector<uint8_t> mod, xm;
    std::string error;
    ASSERT_TRUE(writeMod(toneSong(4, note, -1), mod, error)) << error;
    ASSERT_TRUE(writeXm(toneSong(4, note, -1), xm, error)) << error;
    double expected = note == middleC ? 261.6 : 523.3;  // Hz
    EXPECT_NEAR(renderedPitch(mod), expected, expected * 0.02) << "MOD note " << note;
    EXPECT_NEAR(renderedPitch(xm), expected, expected * 0.02) << "XM note " << note;
  }
}

TEST(ModuleWriters, SpeedTempoAndReleasesReachThePlayer) {
  for (bool asMod : {true, false}) {
    std::vector<uint8_t> bytes;
    std::string error;
    Song song = toneSong(4, 49, 8);  // released after 8 rows of 5 ticks at 140 BPM: 0.71 s
    ASSERT_TRUE(asMod ? writeMod(song, bytes, error) : writeXm(song, bytes, error)) << error;
    openmpt_module* module = load(bytes);
    ASSERT_NE(module, nullptr);
    std::vector<float> buffer(renderRate /
                              10);  // a few ticks: a MOD takes a new tempo one tick late
    openmpt_module_read_float_mono(module, renderRate, buffer.size(), buffer.data());
    EXPECT_EQ(openmpt_module_get_current_speed(module), 5) << (asMod ? "MOD" : "XM");
    EXPECT_EQ(openmpt_module_get_current_tempo(module), 140) << (asMod ? "MOD" : "XM");
    EXPECT_EQ(openmpt_module_get_num_orders(module), 1);
    openmpt_module_destroy(module);
    EXPECT_GT(renderedPeak(bytes, 0.1, 0.6), 0.1) << "the note should sound before its release";
    EXPECT_LT(renderedPeak(bytes, 0.8, 1.5), 0.01) << "the release should silence it";
  }
}

TEST(ModuleWriters, RefuseSongsTheFormatCannotHold) {
  std::vector<uint8_t> bytes;
  std::string error;
  EXPECT_FALSE(writeMod(toneSong(6, 49, -1), bytes, error));
  EXPECT_FALSE(writeMod(toneSong(4, 13, -1), bytes, error)) << "C-1 is below the Amiga periods";
  EXPECT_NE(error.find("outside the MOD range"), std::string::npos) << error;
  Song uneven = toneSong(4, 49, -1);
  uneven.patterns[0] = Pattern(32, 4);
  EXPECT_FALSE(writeMod(uneven, bytes, error)) << "MOD patterns have 64 rows";
  EXPECT_TRUE(writeXm(uneven, bytes, error)) << error;
  Song missing = toneSong(4, 49, -1);
  missing.orders = {0, 1};
  EXPECT_FALSE(writeXm(missing, bytes, error));
}

TEST(Score, PhraseBassAndChordTextBecomeCells) {
  const Voice lead{3, 12};
  Track track = phrase(lead, "C5/2~ - D#5=37 .", 1);
  ASSERT_EQ(track.size(), 5u);
  EXPECT_EQ(track[0].note, 49) << "C5 on a voice an octave up is tracker note C-4";
  EXPECT_EQ(track[0].instrument, 3);
  EXPECT_EQ(track[1].effect, 4) << "vibrato on the held row";
  EXPECT_EQ(track[2].note, keyOff);
  EXPECT_EQ(track[3].note, 52);
  EXPECT_EQ(track[3].param, 0x37);
  EXPECT_EQ(track[4].note, noNote);

  Track bass = bassLine(Voice{1, 0}, "Am G7", 4, "R358", noteNumber("E2"));
  ASSERT_EQ(bass.size(), 8u);
  EXPECT_EQ(bass[0].note, noteNumber("A2"));
  EXPECT_EQ(bass[1].note, noteNumber("C3"));
  EXPECT_EQ(bass[2].note, noteNumber("E3"));
  EXPECT_EQ(bass[3].note, noteNumber("A3"));
  EXPECT_EQ(bass[4].note, noteNumber("G2"));

  Track chords = arpeggio(Voice{2, 0}, "C G7", 2, "X.", noteNumber("C4"));
  EXPECT_EQ(chords[0].param, 0x47) << "major triad";
  EXPECT_EQ(chords[1].param, 0x47) << "the arpeggio goes on while the chord is held";
  EXPECT_EQ(chords[2].param, 0x4A) << "a seventh chord spells root, third and seventh";

  EXPECT_TRUE(scoreOk());
  phrase(lead, "C5 Q7", 1);
  EXPECT_FALSE(scoreOk()) << "a bad token must be reported";
}

TEST(Score, ABadChordTextGivesNoRowsAndOneReport) {
  // Every chord function reads the intervals of each row's chord; a chord that could not be
  // read must leave no row behind (once it left a chord without intervals that was read
  // past its end and divided by).
  const Voice voice{1, 0};
  const int lowest = noteNumber("C3");
  const struct {
    const char* chords;
    const char* rhythm;
  } mistakes[] = {{"Am Qx7", "X."}, {". C", "X."}, {"C F Gwhat", "R358"}};
  for (const auto& mistake : mistakes) {
    const int before = scoreErrorCount();
    EXPECT_TRUE(arpeggio(voice, mistake.chords, 2, mistake.rhythm, lowest).empty())
        << mistake.chords;
    EXPECT_TRUE(chordTone(voice, mistake.chords, 2, mistake.rhythm, 3, lowest).empty())
        << mistake.chords;
    EXPECT_TRUE(bassLine(voice, mistake.chords, 2, "R3578", lowest).empty()) << mistake.chords;
    EXPECT_EQ(scoreErrorCount(), before + 3) << "one line per call for '" << mistake.chords << "'";
  }
  EXPECT_FALSE(scoreOk());
}
