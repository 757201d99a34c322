// The tracker song that the tune writers turn into files: patterns of cells,
// the order list and the instruments, kept format-neutral. Effect numbers are
// the ProTracker ones (0 arpeggio, 3 portamento, 4 vibrato, A volume slide,
// C volume, F speed/tempo ...), which FastTracker 2 shares.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tunes {

constexpr int noNote = 0;      // cell without a note
constexpr int keyOff = 97;     // note release (XM key-off; a MOD gets volume 0)
constexpr int noVolume = -1;   // cell without a volume
constexpr int maxVolume = 64;  // tracker volume scale 0..64

// One row of one channel. `note` is 1..96 with 1 = C-0 and 49 = C-4, the note
// at which a sample plays at its base rate (8363 Hz in XM terms).
struct Cell {
  int note = noNote;
  int instrument = 0;     // 1-based, 0 = none
  int volume = noVolume;  // 0..64 or noVolume
  int effect = 0;
  int param = 0;
};

struct Pattern {
  int rows = 64;
  int channels = 4;
  std::vector<Cell> cells;  // rows * channels, row-major

  Pattern(int rowCount, int channelCount)
      : rows(rowCount), channels(channelCount), cells(size_t(rowCount) * channelCount) {}
  Cell& at(int row, int channel) { return cells[size_t(row) * channels + channel]; }
  const Cell& at(int row, int channel) const { return cells[size_t(row) * channels + channel]; }
};

// A volume envelope point: tick and level 0..64 (XM only; MODs bake the shape
// into the sample).
struct EnvelopePoint {
  int tick;
  int level;
};

struct Instrument {
  std::string name;
  std::vector<int16_t> samples;         // full-scale 16-bit values
  bool sixteenBit = false;              // XM may store 16 bits; a MOD always gets 8
  int loopStart = 0;                    // in samples
  int loopLength = 0;                   // in samples, 0 = no loop
  int volume = 64;                      // default volume 0..64
  int panning = 128;                    // XM sample panning 0..255, 128 = centre
  int relativeNote = 0;                 // XM semitone offset (MOD ignores it)
  std::vector<EnvelopePoint> envelope;  // XM volume envelope, empty = none
  int sustainPoint = -1;                // envelope point held while the key is down
  int fadeout = 0;                      // XM fade-out speed after key-off
  int vibratoDepth = 0;                 // XM auto-vibrato depth (0 = off)
  int vibratoRate = 0;                  // XM auto-vibrato speed
  int vibratoSweep = 0;                 // XM auto-vibrato ramp-in, ticks
};

struct Song {
  std::string title;
  int channels = 4;
  int speed = 6;    // ticks per row
  int tempo = 125;  // beats per minute (2.5 / tempo seconds per tick)
  std::vector<Pattern> patterns;
  std::vector<int> orders;  // pattern numbers in play order
  std::vector<Instrument> instruments;
};

}  // namespace tunes
