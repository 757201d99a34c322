// Writes the small tone MODs of audio_module_writer.h.
#include "audio_module_writer.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>

namespace {

constexpr int sampleBytes = 32;  // looped sample length, bytes
constexpr int sampleCycles = 3;  // sine cycles in the sample
constexpr int tonePeriod = 428;  // Amiga period of C-2
constexpr int rowsPerPattern = 64;
constexpr int channels = 4;
constexpr int effectSpeed = 0xF;  // Fxx: ticks per row
constexpr int effectJump = 0xB;   // Bxx: jump to order xx
constexpr int effectBreak = 0xD;  // Dxx: break to the next order
constexpr int melodyPeriods[] = {428, 381, 339, 320, 285, 254, 226, 214};  // C-2 major scale

void put16be(std::vector<unsigned char>& out, int value) {
  out.push_back(static_cast<unsigned char>(value >> 8));
  out.push_back(static_cast<unsigned char>(value & 0xFF));
}

void setCell(unsigned char* cell, int sample, int period, int effect, int param) {
  cell[0] = static_cast<unsigned char>((sample & 0xF0) | (period >> 8));
  cell[1] = static_cast<unsigned char>(period & 0xFF);
  cell[2] = static_cast<unsigned char>(((sample & 0x0F) << 4) | effect);
  cell[3] = static_cast<unsigned char>(param);
}

}  // namespace

std::vector<unsigned char> makeToneModule(const ToneModule& layout) {
  std::vector<unsigned char> out(20, 0);  // title
  for (int s = 0; s < 31; ++s) {
    out.insert(out.end(), 22, 0);  // name
    bool tone = s == 0;
    put16be(out, tone ? sampleBytes / 2 : 0);  // length, words
    out.push_back(0);                          // finetune
    out.push_back(tone ? layout.volume : 0);   // volume
    put16be(out, 0);                           // loop start, words
    put16be(out, tone ? sampleBytes / 2 : 1);  // loop length, words
  }
  out.push_back(static_cast<unsigned char>(layout.orderCount));
  out.push_back(127);
  for (int i = 0; i < 128; ++i) out.push_back(i < layout.orderCount ? i : 0);
  out.insert(out.end(), {'M', '.', 'K', '.'});
  for (int p = 0; p < layout.orderCount; ++p) {
    std::vector<unsigned char> pattern(rowsPerPattern * channels * 4, 0);
    auto cell = [&](int row, int channel) { return &pattern[(row * channels + channel) * 4]; };
    if (p == 0) {
      setCell(cell(0, 0), 1, tonePeriod, 0, 0);
      setCell(cell(0, 1), 1, tonePeriod, 0, 0);
      const int thirdSample = layout.fourChannels ? 1 : 0;
      setCell(cell(0, 2), thirdSample, layout.fourChannels ? tonePeriod : 0, effectSpeed, 1);
    }
    for (int row = 0; layout.melody && row < layout.rowsPerOrder; ++row)
      setCell(cell(row, 0), 1, melodyPeriods[(p * 3 + row) % 8], 0, 0);
    bool last = p == layout.orderCount - 1;
    int endRow = layout.rowsPerOrder - 1;
    if (last && layout.loopToOrder >= 0)
      setCell(cell(endRow, 3), 0, 0, effectJump, layout.loopToOrder);
    else
      setCell(cell(endRow, 3), 0, 0, effectBreak, 0);  // after the last order: the song ends
    if (p == 0 && layout.fourChannels) {  // keeps a break or jump the last channel may carry
      unsigned char* fourth = cell(0, 3);
      setCell(fourth, 1, tonePeriod, fourth[2] & 0x0F, fourth[3]);
    }
    out.insert(out.end(), pattern.begin(), pattern.end());
  }
  for (int i = 0; i < sampleBytes; ++i) {
    double phase = 2.0 * M_PI * sampleCycles * i / sampleBytes;
    out.push_back(
        static_cast<unsigned char>(static_cast<signed char>(std::lround(127.0 * std::sin(phase)))));
  }
  return out;
}

bool writeBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && ok;
}

std::string freshScratchFolder(const std::string& name) {
  std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                 ("zolta_test_" + std::to_string(::getpid()) + "_" + name);
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  return folder.string();
}
