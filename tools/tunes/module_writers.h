// Writers that turn a Song into the bytes of a ProTracker "M.K." module
// (4 channels, 64-row patterns, 8-bit samples, Amiga panning L R R L) or of a
// FastTracker 2 extended module (XM 1.04, linear frequencies, envelopes).
// Both return false with a one-line reason when the song does not fit the format.
#pragma once

#include "module.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tunes {

bool writeMod(const Song& song, std::vector<uint8_t>& bytes, std::string& error);
bool writeXm(const Song& song, std::vector<uint8_t>& bytes, std::string& error);

}  // namespace tunes
