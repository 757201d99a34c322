// The compositions: each function builds one complete song, and `allTunes`
// lists them with the file name they are written to.
#pragma once

#include "module.h"

namespace tunes {

enum class Format { Mod, Xm };

struct TuneEntry {
  const char* fileName;  // "Artist - Title.ext"
  Format format;
  Song (*build)();
};

Song harbourLights();
Song crystalCaverns();
Song popcornEngine();
Song nightShift();
Song robotWaltz();
Song snowploughBoogie();

extern const TuneEntry allTunes[];
extern const int tuneCount;

}  // namespace tunes
