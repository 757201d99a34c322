// tune_check: loads module files with libopenmpt and measures what a
// listener would hear: length, orders and where the song loops to, peak and
// RMS level per stereo side, how often each side is loud enough to launch
// the note sprites, and the share of bass, middle and treble energy.
// Usage: tune_check [--wav folder] <file or folder>...
// With --wav, each tune is also written as a 16-bit WAV for sox or a player.
// Exit status 1 when a tune does not load, is outside 60-180 s, clips or is silent on a side.
#include <libopenmpt/libopenmpt.h>
#include <kiss_fftr.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int sampleRate = 44100;        // Hz
constexpr int blockFrames = 882;         // 20 ms, the level meter's window
constexpr int fftSize = 4096;            // samples
constexpr double fullScale = 32768.0;    // 16-bit full scale
constexpr double spriteLevel = 14000.0;  // level that launches a note sprite
constexpr double defaultVolume = 0.8;    // the player starts at volume 80 of 100
constexpr double bassLimit = 250.0;      // Hz, top of the bass band
constexpr double trebleStart = 4000.0;   // Hz, bottom of the treble band
constexpr double minSeconds = 60.0, maxSeconds = 180.0;
constexpr double extraSeconds = 12.0;  // played past the end to see the loop

struct Side {
  double peak = 0.0, sumSquares = 0.0;
  long loudBlocks = 0;     // 20 ms blocks whose peak passes spriteLevel
  long loudAtDefault = 0;  // the same at the starting volume of 80
};

std::vector<char> readFile(const std::filesystem::path& path) {
  std::vector<char> bytes;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return bytes;
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
    bytes.insert(bytes.end(), buffer, buffer + n);
  std::fclose(file);
  return bytes;
}

void putLittle(FILE* file, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) std::fputc(int((value >> (8 * i)) & 0xFF), file);
}

void writeWav(const std::string& path, const std::vector<float>& stereo) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) {
    std::fprintf(stderr, "tune_check: cannot write %s\n", path.c_str());
    return;
  }
  uint32_t dataBytes = uint32_t(stereo.size() * 2);
  std::fputs("RIFF", file);
  putLittle(file, 36 + dataBytes, 4);
  std::fputs("WAVEfmt ", file);
  putLittle(file, 16, 4);
  putLittle(file, 1, 2);  // PCM
  putLittle(file, 2, 2);
  putLittle(file, sampleRate, 4);
  putLittle(file, sampleRate * 4, 4);
  putLittle(file, 4, 2);
  putLittle(file, 16, 2);
  std::fputs("data", file);
  putLittle(file, dataBytes, 4);
  for (float s : stereo)
    putLittle(file, uint32_t(int16_t(std::lround(std::clamp(s, -1.0f, 1.0f) * 32767.0f))), 2);
  std::fclose(file);
}

double decibels(double ratio) { return 10.0 * std::log10(std::max(ratio, 1e-12)); }

bool checkTune(const std::filesystem::path& path, const std::string& wavFolder) {
  std::string name = path.filename().string();
  std::vector<char> bytes = readFile(path);
  openmpt_module* module = openmpt_module_create_from_memory2(
      bytes.data(), bytes.size(), openmpt_log_func_silent, nullptr, openmpt_error_func_ignore,
      nullptr, nullptr, nullptr, nullptr);
  if (!module) {
    std::printf("%s: does not load\n", name.c_str());
    return false;
  }
  double duration = openmpt_module_get_duration_seconds(module);
  int orders = openmpt_module_get_num_orders(module);
  const char* type = openmpt_module_get_metadata(module, "type");
  std::string format = type ? type : "?";
  openmpt_free_string(type);

  // Play once through and on past the end, watching the order number.
  openmpt_module_set_repeat_count(module, -1);
  std::vector<float> stereo;
  Side sides[2];
  int previousOrder = 0, loopOrder = -1, highestOrder = 0;
  long endFrame = long(duration * sampleRate);
  std::vector<float> block(blockFrames * 2);
  for (long frame = 0; frame < endFrame + long(extraSeconds * sampleRate); frame += blockFrames) {
    openmpt_module_read_interleaved_float_stereo(module, sampleRate, blockFrames, block.data());
    int order = openmpt_module_get_current_order(module);
    if (order < previousOrder && loopOrder < 0) loopOrder = order;
    highestOrder = std::max(highestOrder, order);
    previousOrder = order;
    if (frame >= endFrame) continue;
    stereo.insert(stereo.end(), block.begin(), block.end());
    for (int side = 0; side < 2; ++side) {
      double blockPeak = 0.0;
      for (int i = 0; i < blockFrames; ++i) {
        double v = block[2 * i + side];
        blockPeak = std::max(blockPeak, std::fabs(v));
        sides[side].sumSquares += v * v;
      }
      sides[side].peak = std::max(sides[side].peak, blockPeak);
      if (blockPeak * fullScale > spriteLevel) ++sides[side].loudBlocks;
      if (blockPeak * fullScale * defaultVolume > spriteLevel) ++sides[side].loudAtDefault;
    }
  }
  openmpt_module_destroy(module);

  // Energy per band from the power spectrum of the mono mix.
  kiss_fftr_cfg fft = kiss_fftr_alloc(fftSize, 0, nullptr, nullptr);
  std::vector<float> frameIn(fftSize);
  std::vector<kiss_fft_cpx> frameOut(fftSize / 2 + 1);
  double bands[3] = {0, 0, 0};
  size_t frames = stereo.size() / 2;
  for (size_t start = 0; start + fftSize <= frames; start += fftSize) {
    for (int i = 0; i < fftSize; ++i)
      frameIn[i] = 0.5f * (stereo[2 * (start + i)] + stereo[2 * (start + i) + 1]);
    kiss_fftr(fft, frameIn.data(), frameOut.data());
    for (int k = 1; k <= fftSize / 2; ++k) {
      double hz = double(k) * sampleRate / fftSize;
      double power = double(frameOut[k].r) * frameOut[k].r + double(frameOut[k].i) * frameOut[k].i;
      bands[hz < bassLimit ? 0 : hz < trebleStart ? 1 : 2] += power;
    }
  }
  kiss_fftr_free(fft);
  double total = bands[0] + bands[1] + bands[2];
  long blocks = long(frames / blockFrames);

  std::printf("%s\n  %s, %.1f s, %d orders (highest played %d), loops to order %d\n", name.c_str(),
              format.c_str(), duration, orders, highestOrder, loopOrder);
  const char* sideNames[2] = {"left ", "right"};
  for (int side = 0; side < 2; ++side) {
    double rms = std::sqrt(sides[side].sumSquares / std::max<size_t>(frames, 1));
    std::printf(
        "  %s peak %5.0f  rms %5.0f (%.1f dBFS)  loud blocks %4.1f%% (at volume 80: %4.1f%%)\n",
        sideNames[side], sides[side].peak * fullScale, rms * fullScale,
        20.0 * std::log10(rms + 1e-12), 100.0 * sides[side].loudBlocks / std::max(blocks, 1L),
        100.0 * sides[side].loudAtDefault / std::max(blocks, 1L));
  }
  std::printf("  bands: bass %.1f dB, mid %.1f dB, treble %.1f dB of the total\n",
              decibels(bands[0] / total), decibels(bands[1] / total), decibels(bands[2] / total));

  bool ok = true;
  if (duration < minSeconds || duration > maxSeconds)
    std::printf("  FAIL: length outside 60-180 s\n"), ok = false;
  for (int side = 0; side < 2; ++side) {
    if (sides[side].peak >= 0.999)
      std::printf("  FAIL: %s side clips\n", sideNames[side]), ok = false;
    if (sides[side].loudBlocks == 0)
      std::printf("  FAIL: %s side never reaches 14000\n", sideNames[side]), ok = false;
  }
  if (!wavFolder.empty()) writeWav(wavFolder + "/" + path.stem().string() + ".wav", stereo);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  std::string wavFolder;
  std::vector<std::filesystem::path> files;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--wav") == 0 && i + 1 < argc) {
      wavFolder = argv[++i];
      continue;
    }
    std::filesystem::path path = argv[i];
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
      std::vector<std::filesystem::path> found;
      for (const auto& entry : std::filesystem::directory_iterator(path, error))
        found.push_back(entry.path());
      std::sort(found.begin(), found.end());
      files.insert(files.end(), found.begin(), found.end());
    } else {
      files.push_back(path);
    }
  }
  if (files.empty()) {
    std::fprintf(stderr, "usage: tune_check [--wav folder] <file or folder>...\n");
    return 2;
  }
  bool allOk = true;
  for (const auto& file : files) allOk = checkTune(file, wavFolder) && allOk;
  return allOk ? 0 : 1;
}
