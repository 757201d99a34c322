// Small ProTracker MOD files for audio tests: a steady tone over a chosen order layout, so
// tests can check positions, loops, levels and spectra through the real audio layer.
#pragma once

#include <string>
#include <vector>

struct ToneModule {
  int orderCount = 5;         // orders 0..orderCount-1, each playing its own pattern
  int rowsPerOrder = 8;       // rows played per order before breaking to the next (1 row = 20 ms)
  int loopToOrder = 0;        // order the last one jumps back to; -1: the song just ends
  int volume = 64;            // sample volume, 0-64
  bool melody = false;        // channel 1 plays a new note every row instead of the steady tone
  bool fourChannels = false;  // the tone also on channels 3 and 4: twice as loud on each side
};

// Bytes of a 4-channel "M.K." MOD: a 32-byte looped sine of three cycles played at period
// 428 (8287 Hz, so 776.9 Hz, FFT bin 18 at 44.1 kHz) on channels 1 and 2 (left and right),
// speed 1 (one row per 20 ms tick).
std::vector<unsigned char> makeToneModule(const ToneModule& layout);

// Frequency of the tone above, Hz.
constexpr double toneModuleFrequency = 7093789.2 / (428 * 2) * 3 / 32;

// Writes `bytes` to `path` (replacing it); false when the file cannot be written.
bool writeBytes(const std::string& path, const std::vector<unsigned char>& bytes);

// A fresh empty folder in the system's temporary folder, named after `name` and the process.
std::string freshScratchFolder(const std::string& name);
