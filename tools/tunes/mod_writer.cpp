// ProTracker "M.K." writer: 20-byte title, 31 sample headers, order table,
// 64-row patterns of 4-byte cells holding Amiga periods, then 8-bit samples.
#include "module_writers.h"

#include <algorithm>

namespace tunes {
namespace {

constexpr int modChannels = 4;
constexpr int modRows = 64;
constexpr int modMaxSamples = 31;
constexpr int modMaxOrders = 128;
constexpr int modMaxSampleBytes = 131070;  // 16-bit word count limit, bytes
constexpr int volumeEffect = 0xC;
constexpr int speedEffect = 0xF;

// Amiga periods for finetune 0, C-1 .. B-3. Our note 49 (C-4, the sample's
// base rate) is ProTracker's C-2, period 428.
constexpr int periods[36] = {856, 808, 762, 720, 678, 640, 604, 570, 538, 508, 480, 453,
                             428, 404, 381, 360, 340, 320, 302, 285, 269, 254, 240, 226,
                             214, 202, 190, 180, 170, 160, 151, 143, 135, 127, 120, 113};
constexpr int firstModNote = 37;  // our C-3 is the first period (C-1)

void putBigWord(std::vector<uint8_t>& out, int value) {
  out.push_back(uint8_t(value >> 8));
  out.push_back(uint8_t(value));
}

void putText(std::vector<uint8_t>& out, const std::string& text, size_t width) {
  for (size_t i = 0; i < width; ++i) out.push_back(i < text.size() ? uint8_t(text[i]) : 0);
}

// 8-bit sample data, even length; a sample without loop starts with two
// zero bytes because the Amiga repeats the first word after a one-shot.
std::vector<int8_t> eightBitData(const Instrument& instrument) {
  std::vector<int8_t> data;
  for (int16_t s : instrument.samples) data.push_back(int8_t(s >> 8));
  if (instrument.loopLength == 0 && data.size() >= 2) data[0] = data[1] = 0;
  if (data.size() % 2) data.push_back(0);
  return data;
}

// Encodes one cell; a key-off becomes volume 0 when the effect slot is free.
bool encodeCell(const Cell& cell, uint8_t out[4], std::string& error) {
  int period = 0;
  if (cell.note != noNote && cell.note != keyOff) {
    int index = cell.note - firstModNote;
    if (index < 0 || index >= 36) {
      error = "note " + std::to_string(cell.note) + " is outside the MOD range C-3..B-5";
      return false;
    }
    period = periods[index];
  }
  int effect = cell.effect, param = cell.param;
  bool effectFree = effect == 0 && param == 0;
  if (cell.note == keyOff && effectFree) {
    effect = volumeEffect;
    param = 0;
  } else if (cell.volume != noVolume && effectFree) {
    effect = volumeEffect;
    param = cell.volume;
  }
  out[0] = uint8_t((cell.instrument & 0xF0) | (period >> 8));
  out[1] = uint8_t(period & 0xFF);
  out[2] = uint8_t(((cell.instrument & 0x0F) << 4) | (effect & 0x0F));
  out[3] = uint8_t(param);
  return true;
}

// The first pattern gets the song's speed and tempo as Fxx effects in row 0.
bool putTempo(Pattern& first, const Song& song, std::string& error) {
  int wanted[2] = {song.speed, song.tempo};
  int placed = 0;
  for (int channel = 0; channel < modChannels && placed < 2; ++channel) {
    Cell& cell = first.at(0, channel);
    if (cell.effect == 0 && cell.param == 0 && cell.volume == noVolume) {
      cell.effect = speedEffect;
      cell.param = wanted[placed++];
    }
  }
  if (placed < 2) error = "no free effect slots in row 0 for speed and tempo";
  return placed == 2;
}

}  // namespace

bool writeMod(const Song& song, std::vector<uint8_t>& out, std::string& error) {
  if (song.channels != modChannels) return error = "a MOD has 4 channels", false;
  if (int(song.instruments.size()) > modMaxSamples) return error = "more than 31 samples", false;
  if (song.orders.empty() || int(song.orders.size()) > modMaxOrders)
    return error = "a MOD needs 1..128 orders", false;
  for (const Pattern& pattern : song.patterns)
    if (pattern.rows != modRows) return error = "MOD patterns have 64 rows", false;
  for (int order : song.orders)
    if (order < 0 || order >= int(song.patterns.size()))
      return error = "order names a missing pattern", false;

  std::vector<Pattern> patterns = song.patterns;
  if (!putTempo(patterns[song.orders[0]], song, error)) return false;

  out.clear();
  putText(out, song.title, 20);
  std::vector<std::vector<int8_t>> sampleData;
  for (int i = 0; i < modMaxSamples; ++i) {
    if (i >= int(song.instruments.size())) {
      putText(out, "", 22);
      putBigWord(out, 0);
      out.push_back(0);
      out.push_back(0);
      putBigWord(out, 0);
      putBigWord(out, 1);
      continue;
    }
    const Instrument& instrument = song.instruments[i];
    sampleData.push_back(eightBitData(instrument));
    const std::vector<int8_t>& data = sampleData.back();
    if (int(data.size()) > modMaxSampleBytes)
      return error = instrument.name + ": sample too long", false;
    putText(out, instrument.name, 22);
    putBigWord(out, int(data.size() / 2));
    out.push_back(0);  // finetune
    out.push_back(uint8_t(std::clamp(instrument.volume, 0, maxVolume)));
    if (instrument.loopLength > 0) {
      putBigWord(out, instrument.loopStart / 2);
      putBigWord(out, instrument.loopLength / 2);
    } else {
      putBigWord(out, 0);
      putBigWord(out, 1);
    }
  }
  out.push_back(uint8_t(song.orders.size()));
  out.push_back(127);  // no restart position: the song loops to order 0
  int highestPattern = 0;
  for (int i = 0; i < modMaxOrders; ++i) {
    int pattern = i < int(song.orders.size()) ? song.orders[i] : 0;
    highestPattern = std::max(highestPattern, pattern);
    out.push_back(uint8_t(pattern));
  }
  putText(out, "M.K.", 4);
  for (int p = 0; p <= highestPattern; ++p) {
    for (int row = 0; row < modRows; ++row) {
      for (int channel = 0; channel < modChannels; ++channel) {
        uint8_t cell[4];
        if (!encodeCell(patterns[p].at(row, channel), cell, error)) {
          error.insert(0, "pattern " + std::to_string(p) + " row " + std::to_string(row) + ": ");
          return false;
        }
        out.insert(out.end(), cell, cell + 4);
      }
    }
  }
  for (const std::vector<int8_t>& data : sampleData)
    for (int8_t s : data) out.push_back(uint8_t(s));
  return true;
}

}  // namespace tunes
