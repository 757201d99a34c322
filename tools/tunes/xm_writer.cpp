// FastTracker 2 "Extended Module" writer (version 1.04): header, packed
// patterns, one sample per instrument with its volume envelope, auto-vibrato,
// panning and delta-coded 8- or 16-bit data.
#include "module_writers.h"

#include <algorithm>

namespace tunes {
namespace {

constexpr int xmHeaderSize = 276;       // bytes from the header-size field to the patterns
constexpr int xmInstrumentSize = 263;   // instrument header with one sample, as FT2 writes it
constexpr int xmSampleHeaderSize = 40;  // bytes
constexpr int xmMaxChannels = 32;
constexpr int xmMaxOrders = 256;
constexpr int xmMaxRows = 256;
constexpr int xmMaxEnvelopePoints = 12;
constexpr int linearFrequencies = 1;  // header flag

void putByte(std::vector<uint8_t>& out, int value) { out.push_back(uint8_t(value)); }

void putWord(std::vector<uint8_t>& out, int value) {
  out.push_back(uint8_t(value));
  out.push_back(uint8_t(value >> 8));
}

void putLong(std::vector<uint8_t>& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(uint8_t(value >> (8 * i)));
}

void putText(std::vector<uint8_t>& out, const std::string& text, size_t width) {
  for (size_t i = 0; i < width; ++i) out.push_back(i < text.size() ? uint8_t(text[i]) : 0);
}

// Packed cell: a flag byte 0x80 | which of note, instrument, volume, effect
// and parameter follow.
void putCell(std::vector<uint8_t>& out, const Cell& cell) {
  int flags = 0x80;
  if (cell.note != noNote) flags |= 1;
  if (cell.instrument != 0) flags |= 2;
  if (cell.volume != noVolume) flags |= 4;
  if (cell.effect != 0) flags |= 8;
  if (cell.param != 0) flags |= 16;
  putByte(out, flags);
  if (flags & 1) putByte(out, cell.note);
  if (flags & 2) putByte(out, cell.instrument);
  if (flags & 4) putByte(out, 0x10 + std::clamp(cell.volume, 0, maxVolume));
  if (flags & 8) putByte(out, cell.effect);
  if (flags & 16) putByte(out, cell.param);
}

bool putPattern(std::vector<uint8_t>& out, const Pattern& pattern, std::string& error) {
  std::vector<uint8_t> packed;
  for (int row = 0; row < pattern.rows; ++row) {
    for (int channel = 0; channel < pattern.channels; ++channel) {
      const Cell& cell = pattern.at(row, channel);
      if (cell.note < 0 || cell.note > keyOff) return error = "note out of range", false;
      putCell(packed, cell);
    }
  }
  if (packed.size() > 0xFFFF) return error = "pattern too large", false;
  putLong(out, 9);  // pattern header length
  putByte(out, 0);  // packing type
  putWord(out, pattern.rows);
  putWord(out, int(packed.size()));
  out.insert(out.end(), packed.begin(), packed.end());
  return true;
}

void putInstrument(std::vector<uint8_t>& out, const Instrument& instrument) {
  putLong(out, xmInstrumentSize);
  putText(out, instrument.name, 22);
  putByte(out, 0);  // type
  putWord(out, 1);  // one sample
  putLong(out, xmSampleHeaderSize);
  for (int i = 0; i < 96; ++i) putByte(out, 0);  // every note plays sample 0
  size_t points = std::min<size_t>(instrument.envelope.size(), xmMaxEnvelopePoints);
  for (int i = 0; i < xmMaxEnvelopePoints; ++i) {
    putWord(out, i < int(points) ? instrument.envelope[i].tick : 0);
    putWord(out, i < int(points) ? instrument.envelope[i].level : 0);
  }
  for (int i = 0; i < xmMaxEnvelopePoints * 2; ++i) putWord(out, 0);  // no panning envelope
  putByte(out, int(points));
  putByte(out, 0);
  putByte(out, std::max(instrument.sustainPoint, 0));
  putByte(out, 0);  // volume loop start
  putByte(out, 0);  // volume loop end
  putByte(out, 0);  // panning sustain, loop start, loop end
  putByte(out, 0);
  putByte(out, 0);
  int volumeType = points > 0 ? 1 : 0;
  if (points > 0 && instrument.sustainPoint >= 0) volumeType |= 2;
  putByte(out, volumeType);
  putByte(out, 0);  // panning envelope off
  putByte(out, 0);  // auto-vibrato sine
  putByte(out, instrument.vibratoSweep);
  putByte(out, instrument.vibratoDepth);
  putByte(out, instrument.vibratoRate);
  putWord(out, instrument.fadeout);
  for (int i = 0; i < 22; ++i) putByte(out, 0);  // reserved

  int bytesPerSample = instrument.sixteenBit ? 2 : 1;
  putLong(out, uint32_t(instrument.samples.size() * bytesPerSample));
  putLong(out, uint32_t(instrument.loopStart * bytesPerSample));
  putLong(out, uint32_t(instrument.loopLength * bytesPerSample));
  putByte(out, std::clamp(instrument.volume, 0, maxVolume));
  putByte(out, 0);  // finetune
  putByte(out, (instrument.loopLength > 0 ? 1 : 0) | (instrument.sixteenBit ? 0x10 : 0));
  putByte(out, instrument.panning);
  putByte(out, instrument.relativeNote);
  putByte(out, 0);
  putText(out, instrument.name, 22);

  // Sample data is stored as differences from the previous value.
  int previous = 0;
  for (int16_t s : instrument.samples) {
    int value = instrument.sixteenBit ? s : s >> 8;
    int delta = value - previous;
    previous = value;
    if (instrument.sixteenBit)
      putWord(out, delta & 0xFFFF);
    else
      putByte(out, delta & 0xFF);
  }
}

}  // namespace

bool writeXm(const Song& song, std::vector<uint8_t>& out, std::string& error) {
  if (song.channels < 1 || song.channels > xmMaxChannels)
    return error = "XM needs 1..32 channels", false;
  if (song.orders.empty() || int(song.orders.size()) > xmMaxOrders)
    return error = "XM needs 1..256 orders", false;
  if (song.instruments.size() > 128) return error = "more than 128 instruments", false;
  for (const Pattern& pattern : song.patterns) {
    if (pattern.rows < 1 || pattern.rows > xmMaxRows)
      return error = "pattern rows out of 1..256", false;
    if (pattern.channels != song.channels)
      return error = "pattern channel count differs from the song", false;
  }
  for (int order : song.orders)
    if (order < 0 || order >= int(song.patterns.size()))
      return error = "order names a missing pattern", false;

  out.clear();
  putText(out, "Extended Module: ", 17);
  putText(out, song.title, 20);
  putByte(out, 0x1A);
  putText(out, "zolta tunes", 20);
  putWord(out, 0x0104);
  putLong(out, xmHeaderSize);
  putWord(out, int(song.orders.size()));
  putWord(out, 0);  // restart position: order 0
  putWord(out, song.channels);
  putWord(out, int(song.patterns.size()));
  putWord(out, int(song.instruments.size()));
  putWord(out, linearFrequencies);
  putWord(out, song.speed);
  putWord(out, song.tempo);
  for (int i = 0; i < xmMaxOrders; ++i)
    putByte(out, i < int(song.orders.size()) ? song.orders[i] : 0);
  for (const Pattern& pattern : song.patterns)
    if (!putPattern(out, pattern, error)) return false;
  for (const Instrument& instrument : song.instruments) putInstrument(out, instrument);
  return true;
}

}  // namespace tunes
