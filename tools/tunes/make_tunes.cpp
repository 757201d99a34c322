// make_tunes: writes every default tune into a folder (normally data/msx).
// Usage: make_tunes <folder>. The output is the same bytes on every run.
#include "module_writers.h"
#include "score.h"
#include "songs.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

using namespace tunes;

namespace {

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_tunes <output folder>\n");
    return 2;
  }
  std::error_code folderError;
  std::filesystem::create_directories(argv[1], folderError);
  int failures = 0;
  for (int i = 0; i < tuneCount; ++i) {
    const TuneEntry& tune = allTunes[i];
    const int errorsBefore = scoreErrorCount();
    Song song = tune.build();
    if (scoreErrorCount() != errorsBefore) {  // its data said why; no file from bad data
      ++failures;
      continue;
    }
    std::vector<uint8_t> bytes;
    std::string error;
    bool written =
        tune.format == Format::Mod ? writeMod(song, bytes, error) : writeXm(song, bytes, error);
    std::string path = std::string(argv[1]) + "/" + tune.fileName;
    if (!written) {
      std::fprintf(stderr, "make_tunes: %s: %s\n", tune.fileName, error.c_str());
      ++failures;
    } else if (!writeFile(path, bytes)) {
      std::fprintf(stderr, "make_tunes: cannot write %s\n", path.c_str());
      ++failures;
    } else {
      std::printf("%-45s %7zu bytes, %zu orders\n", tune.fileName, bytes.size(),
                  song.orders.size());
    }
  }
  return failures ? 1 : 0;
}
