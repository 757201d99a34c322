// Helpers for end-to-end tests that listen to the program (tests/support/e2e_sound.h).
#include "tests/support/e2e_sound.h"

#include <gtest/gtest.h>
#include <kiss_fftr.h>
#include <libopenmpt/libopenmpt.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <fstream>
#include <iterator>

#include "tests/support/shell_xvfb.h"

namespace {

constexpr int renderChunkFrames = 1024;  // frames asked of libopenmpt per call
constexpr int loopForever = -1;          // libopenmpt repeat count
constexpr double silentEnergy = 1e-12;   // below this a stretch counts as silent (sum of squares)
// A stretch this much quieter than the pattern is not compared
constexpr double quietestMatch = 1e-4;

// Left plus right of frames [from, from + count) of sound, zero past its end.
std::vector<float> monoStretch(const Sound& sound, long from, long count, long size) {
  std::vector<float> mono(static_cast<size_t>(size), 0.0f);
  for (long i = 0; i < count && from + i < sound.frames(); ++i)
    mono[i] = sound.samples[(from + i) * 2] + sound.samples[(from + i) * 2 + 1];
  return mono;
}

std::vector<std::complex<float>> spectrum(kiss_fftr_cfg forward, const std::vector<float>& signal) {
  std::vector<std::complex<float>> bins(signal.size() / 2 + 1);
  kiss_fftr(forward, signal.data(), reinterpret_cast<kiss_fft_cpx*>(bins.data()));
  return bins;
}

}  // namespace

Sound readRecording(const std::string& path) {
  Sound sound;
  std::ifstream file(path, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const size_t frameBytes = 2 * sizeof(float);
  sound.samples.resize(bytes.size() / frameBytes * 2);
  std::copy_n(bytes.data(), sound.samples.size() * sizeof(float),
              reinterpret_cast<char*>(sound.samples.data()));
  return sound;
}

long recordedFrames(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return 0;
  return static_cast<long>(info.st_size / static_cast<off_t>(2 * sizeof(float)));
}

Sound renderModule(const std::string& path, double seconds) {
  Sound sound;
  std::ifstream file(path, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  openmpt_module* module = bytes.empty()
                               ? nullptr
                               : openmpt_module_create_from_memory2(
                                     bytes.data(), bytes.size(), openmpt_log_func_silent, nullptr,
                                     openmpt_error_func_ignore, nullptr, nullptr, nullptr, nullptr);
  if (!module) return sound;
  openmpt_module_set_repeat_count(module, loopForever);
  const long wanted = framesOf(seconds);
  sound.samples.resize(static_cast<size_t>(wanted) * 2);
  for (long done = 0; done < wanted;) {
    const long ask = std::min<long>(renderChunkFrames, wanted - done);
    const size_t got = openmpt_module_read_interleaved_float_stereo(
        module, soundRate, static_cast<size_t>(ask), &sound.samples[done * 2]);
    if (got == 0) break;
    done += static_cast<long>(got);
  }
  openmpt_module_destroy(module);
  return sound;
}

double correlation(const Sound& a, long aStart, const Sound& b, long bStart, long frames) {
  if (aStart < 0 || bStart < 0 || aStart + frames > a.frames() || bStart + frames > b.frames())
    return 0.0;
  double ab = 0.0, aa = 0.0, bb = 0.0;
  for (long i = 0; i < frames * 2; ++i) {
    const double x = a.samples[aStart * 2 + i], y = b.samples[bStart * 2 + i];
    ab += x * y;
    aa += x * x;
    bb += y * y;
  }
  if (aa < silentEnergy || bb < silentEnergy) return 0.0;
  return ab / std::sqrt(aa * bb);
}

double gainOf(const Sound& a, long aStart, const Sound& b, long bStart, long frames) {
  if (aStart < 0 || bStart < 0 || aStart + frames > a.frames() || bStart + frames > b.frames())
    return 0.0;
  double ab = 0.0, bb = 0.0;
  for (long i = 0; i < frames * 2; ++i) {
    ab += double(a.samples[aStart * 2 + i]) * b.samples[bStart * 2 + i];
    bb += double(b.samples[bStart * 2 + i]) * b.samples[bStart * 2 + i];
  }
  return bb < silentEnergy ? 0.0 : ab / bb;
}

// Cross-correlation of the mono mixes through one real FFT each, normalised by the energy of
// each stretch of a (prefix sums), then the best start confirmed on both channels.
Alignment align(const Sound& a, long from, long to, const Sound& b, long bStart, long frames) {
  Alignment best;
  from = std::max(from, 0L);
  to = std::min(to, a.frames() - frames);
  if (to < from || frames <= 0 || bStart + frames > b.frames()) return best;
  const long span = to - from + frames;
  long size = 2;
  while (size < span) size *= 2;
  const std::vector<float> stretch = monoStretch(a, from, span, size);
  const std::vector<float> pattern = monoStretch(b, bStart, frames, size);
  kiss_fftr_cfg forward = kiss_fftr_alloc(static_cast<int>(size), 0, nullptr, nullptr);
  kiss_fftr_cfg inverse = kiss_fftr_alloc(static_cast<int>(size), 1, nullptr, nullptr);
  std::vector<std::complex<float>> product = spectrum(forward, stretch);
  const std::vector<std::complex<float>> patternBins = spectrum(forward, pattern);
  for (size_t i = 0; i < product.size(); ++i) product[i] *= std::conj(patternBins[i]);
  std::vector<float> crossed(static_cast<size_t>(size));
  kiss_fftri(inverse, reinterpret_cast<const kiss_fft_cpx*>(product.data()), crossed.data());
  kiss_fftr_free(forward);
  kiss_fftr_free(inverse);

  double patternEnergy = 0.0;
  for (long i = 0; i < frames; ++i) patternEnergy += double(pattern[i]) * pattern[i];
  std::vector<double> prefix(static_cast<size_t>(span) + 1, 0.0);
  for (long i = 0; i < span; ++i) prefix[i + 1] = prefix[i] + double(stretch[i]) * stretch[i];
  double bestScore = -2.0;
  for (long k = 0; k <= to - from; ++k) {
    const double energy = prefix[k + frames] - prefix[k];
    if (patternEnergy < silentEnergy || energy < quietestMatch * patternEnergy)
      continue;  // FFT noise
    const double score = crossed[k] / static_cast<double>(size) / std::sqrt(energy * patternEnergy);
    if (score > bestScore) {
      bestScore = score;
      best.start = from + k;
    }
  }
  if (best.start >= 0) best.correlation = correlation(a, best.start, b, bStart, frames);
  return best;
}

long silenceFrom(const Sound& sound, long from, long minFrames) {
  long run = 0;
  for (long i = std::max(from, 0L); i < sound.frames(); ++i) {
    run = (sound.samples[i * 2] == 0.0f && sound.samples[i * 2 + 1] == 0.0f) ? run + 1 : 0;
    if (run >= minFrames) return i - run + 1;
  }
  return -1;
}

long soundFrom(const Sound& sound, long from) {
  long i = std::max(from, 0L);
  while (i < sound.frames() && sound.samples[i * 2] == 0.0f && sound.samples[i * 2 + 1] == 0.0f)
    ++i;
  return i;
}

long soundEndBefore(const Sound& sound, long frame) {
  long i = std::min(frame, sound.frames());
  while (i > 0 && sound.samples[(i - 1) * 2] == 0.0f && sound.samples[(i - 1) * 2 + 1] == 0.0f) --i;
  return i;
}

Sound DiskRecording::listenUntil(long frames) const {
  const int boundMs = waitMs + static_cast<int>(frames * 1000 / soundRate);
  EXPECT_TRUE(waitUntil([&] { return heardFrames() >= frames; }, boundMs))
      << "the recording stopped growing at " << heardFrames() << " frames";
  return readRecording(path);
}

Sound DiskRecording::listenFor(const std::function<bool(const Sound&)>& found) const {
  Sound heard = readRecording(path);
  waitUntil(
      [&] {
        if (heardFrames() < heard.frames() + framesOf(0.25)) return false;
        heard = readRecording(path);
        return found(heard);
      },
      waitMs);
  return heard;
}

long DiskRecording::waitForSilence(long from, long minFrames, Sound* heard) const {
  *heard = listenFor([&](const Sound& sound) { return silenceFrom(sound, from, minFrames) >= 0; });
  return silenceFrom(*heard, from, minFrames);
}

long DiskRecording::waitForSoundAfter(long silence, long frames, Sound* heard) const {
  *heard = listenFor(
      [&](const Sound& sound) { return soundFrom(sound, silence) + frames <= sound.frames(); });
  return soundFrom(*heard, silence);
}
