// Analysis of what a music is playing: FFT magnitudes (KISS FFT, Hann window) for
// BASS_ChannelGetData and peak levels for BASS_ChannelGetLevel, both taken from the
// music's record of its latest output before the volume attribute.
#include <kiss_fftr.h>

#include <cmath>
#include <cstring>
#include <numbers>

#include "platform/bass_internal.h"

namespace {

constexpr int fftBins = bassFftSize / 2;                         // magnitudes returned
constexpr float fftScale = 4.0f / bassFftSize;                   // full-scale centred sine -> 1.0
constexpr float levelFullScale = 32768.0f;                       // level of a sample of 1.0
constexpr DWORD fftBytesUsed = bassFftSize * 2 * sizeof(float);  // stereo float frames read

struct FftTables {
  kiss_fftr_cfg plan = kiss_fftr_alloc(bassFftSize, 0, nullptr, nullptr);
  float window[bassFftSize];
  FftTables() {
    for (int i = 0; i < bassFftSize; ++i)
      window[i] = 0.5f - 0.5f * std::cos(2.0f * std::numbers::pi_v<float> * i / bassFftSize);
  }
  ~FftTables() { kiss_fftr_free(plan); }
};

FftTables& fftTables() {
  static FftTables tables;
  return tables;
}

// Windowed mono mix ((left + right) / 2) of the latest bassFftSize frames played.
void latestMonoWindowed(const Music& music, const float* window, float* mono) {
  int start = music.historyNext - bassFftSize + bassHistoryFrames;
  for (int i = 0; i < bassFftSize; ++i) {
    const float* frame = music.history + ((start + i) % bassHistoryFrames) * 2;
    mono[i] = 0.5f * (frame[0] + frame[1]) * window[i];
  }
}

}  // namespace

DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length) {
  if (length != BASS_DATA_FFT1024 || !buffer) return static_cast<DWORD>(-1);
  FftTables& tables = fftTables();
  float mono[bassFftSize];
  {
    std::lock_guard<std::mutex> hold(bassLock);
    Music* music = findMusic(handle);
    if (!music) return static_cast<DWORD>(-1);
    if (music->state == MusicState::stopped) {
      std::memset(buffer, 0, sizeof(float) * BASS_DATA_FFT_FLOATS);
      return static_cast<DWORD>(-1);
    }
    latestMonoWindowed(*music, tables.window, mono);
  }
  kiss_fft_cpx spectrum[fftBins + 1];
  kiss_fftr(tables.plan, mono, spectrum);
  float* out = static_cast<float*>(buffer);
  for (int bin = 0; bin < fftBins; ++bin)
    out[bin] =
        fftScale * std::sqrt(spectrum[bin].r * spectrum[bin].r + spectrum[bin].i * spectrum[bin].i);
  std::memset(out + fftBins, 0, sizeof(float) * (BASS_DATA_FFT_FLOATS - fftBins));
  return fftBytesUsed;
}

DWORD BASS_ChannelGetLevel(DWORD handle) {
  std::lock_guard<std::mutex> hold(bassLock);
  Music* music = findMusic(handle);
  if (!music || music->state != MusicState::playing) return static_cast<DWORD>(-1);
  float left = 0.0f, right = 0.0f;
  for (int i = 1; i <= bassLevelFrames; ++i) {
    const float* frame =
        music->history + ((music->historyNext - i + bassHistoryFrames) % bassHistoryFrames) * 2;
    left = std::fmax(left, std::fabs(frame[0]));
    right = std::fmax(right, std::fabs(frame[1]));
  }
  DWORD leftLevel = static_cast<DWORD>(std::fmin(left * levelFullScale, levelFullScale));
  DWORD rightLevel = static_cast<DWORD>(std::fmin(right * levelFullScale, levelFullScale));
  return leftLevel | rightLevel << 16;
}
