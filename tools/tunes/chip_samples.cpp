// Chip instrument synthesis; see chip_samples.h.
#include "chip_samples.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace tunes {
namespace {

constexpr double baseRate = 8363.0;    // samples per second at the base note C-4
constexpr double fullScale = 32767.0;  // 16-bit peak
constexpr double pi = 3.14159265358979323846;

// Wave value in -1..1 at phase 0..1, before removing the DC offset.
double rawWave(Wave wave, double phase) {
  switch (wave) {
    case Wave::Square: return phase < 0.5 ? 1.0 : -1.0;
    case Wave::Pulse25: return phase < 0.25 ? 1.0 : -1.0;
    case Wave::Pulse12: return phase < 0.125 ? 1.0 : -1.0;
    case Wave::Triangle: {
      // 16 steps, like the triangle channel of an old console
      double t = phase < 0.5 ? 4.0 * phase - 1.0 : 3.0 - 4.0 * phase;
      return std::round(t * 7.5 + 7.5) / 7.5 - 1.0;
    }
    case Wave::Saw: return 2.0 * phase - 1.0;
  }
  return 0.0;
}

// One cycle with its mean removed and its peak scaled to 1.
std::vector<double> waveCycle(Wave wave, int cycle) {
  std::vector<double> values(cycle);
  double mean = 0.0;
  for (int i = 0; i < cycle; ++i) {
    values[i] = rawWave(wave, (i + 0.5) / cycle);
    mean += values[i] / cycle;
  }
  double peak = 0.0;
  for (double& v : values) peak = std::max(peak, std::fabs(v -= mean));
  for (double& v : values) v /= peak;
  return values;
}

int16_t toSample(double value) {
  return int16_t(std::lround(std::clamp(value, -1.0, 1.0) * fullScale));
}

// 15-bit noise register of the kind old sound chips clock for their noise.
struct NoiseRegister {
  unsigned state = 1;
  double next() {
    unsigned bit = (state ^ (state >> 1)) & 1;
    state = (state >> 1) | (bit << 14);
    return (state & 1) ? 1.0 : -1.0;
  }
};

Instrument oneShot(const char* name, const std::vector<double>& values) {
  Instrument instrument;
  instrument.name = name;
  for (double v : values) instrument.samples.push_back(toSample(v));
  if (instrument.samples.size() % 2) instrument.samples.push_back(0);
  return instrument;
}

// Noise with an exponential decay; `hold` repeats each noise value that many
// samples (lower = brighter), `highPass` 0..1 removes the low part.
std::vector<double> noiseBurst(double seconds, double decaySeconds, int hold, double highPass,
                               unsigned seed) {
  NoiseRegister noise;
  noise.state = seed;
  int length = int(seconds * drumRate);
  std::vector<double> values(length);
  double current = 0.0, smooth = 0.0;
  for (int i = 0; i < length; ++i) {
    if (i % hold == 0) current = noise.next();
    smooth += (current - smooth) * 0.5;
    double value = current - highPass * smooth;
    values[i] = value * std::exp(-i / (decaySeconds * drumRate));
  }
  return values;
}

// A sine falling from `startHz` to `endHz` with an exponential decay.
std::vector<double> sweptSine(double seconds, double startHz, double endHz, double sweepSeconds,
                              double decaySeconds) {
  int length = int(seconds * drumRate);
  std::vector<double> values(length);
  double phase = 0.0;
  for (int i = 0; i < length; ++i) {
    double t = i / drumRate;
    double hz = endHz + (startHz - endHz) * std::exp(-t / sweepSeconds);
    phase += hz / drumRate;
    values[i] = std::sin(2.0 * pi * phase) * std::exp(-t / decaySeconds);
  }
  return values;
}

// Brings the peak to `level` and fades the last 5 ms so the sample ends in silence.
std::vector<double> finish(std::vector<double> values, double level) {
  double peak = 1e-9;
  for (double v : values) peak = std::max(peak, std::fabs(v));
  int fade = int(0.005 * drumRate);
  for (size_t i = 0; i < values.size(); ++i) {
    double tail = double(values.size() - i) / fade;
    values[i] *= level / peak * std::min(1.0, tail);
  }
  return values;
}

}  // namespace

Instrument loopedWave(const char* name, Wave wave, int cycle) {
  Instrument instrument;
  instrument.name = name;
  for (double v : waveCycle(wave, cycle)) instrument.samples.push_back(toSample(v));
  instrument.loopStart = 0;
  instrument.loopLength = cycle;
  return instrument;
}

namespace {

// One looped shape falling from full level to `sustain`, then looping its last repeat.
Instrument pluckedShape(const char* name, const std::vector<double>& shape, double decaySeconds,
                        double sustain) {
  int cycle = int(shape.size());
  int decayCycles = std::max(1, int(decaySeconds * baseRate / cycle));
  Instrument instrument;
  instrument.name = name;
  for (int c = 0; c <= decayCycles; ++c) {
    // level per cycle, so the looped last cycle continues seamlessly
    double level = sustain + (1.0 - sustain) * std::exp(-4.0 * c / decayCycles);
    if (c == decayCycles) level = sustain;
    for (double v : shape) instrument.samples.push_back(toSample(v * level));
  }
  instrument.loopStart = decayCycles * cycle;
  instrument.loopLength = cycle;
  return instrument;
}

}  // namespace

Instrument pluckedWave(const char* name, Wave wave, int cycle, double decaySeconds,
                       double sustain) {
  return pluckedShape(name, waveCycle(wave, cycle), decaySeconds, sustain);
}

Instrument pluckedChord(const char* name, Wave wave, int cycle, std::vector<int> ratios,
                        double decaySeconds, double sustain) {
  int loop = cycle * ratios.front();
  std::vector<double> shape(loop, 0.0);
  for (int ratio : ratios) {
    std::vector<double> tone = waveCycle(wave, loop);  // one cycle, read `ratio` times per loop
    for (int i = 0; i < loop; ++i) shape[i] += tone[(i * ratio) % loop];
  }
  double peak = 1e-9;
  for (double v : shape) peak = std::max(peak, std::fabs(v));
  for (double& v : shape) v /= peak;
  return pluckedShape(name, shape, decaySeconds, sustain);
}

Instrument enveloped(Instrument instrument, std::vector<EnvelopePoint> envelope, int sustainPoint,
                     int fadeout) {
  instrument.sixteenBit = true;
  instrument.envelope = std::move(envelope);
  instrument.sustainPoint = sustainPoint;
  instrument.fadeout = fadeout;
  return instrument;
}

Instrument kickDrum() {
  std::vector<double> body = sweptSine(0.28, 170.0, 48.0, 0.03, 0.11);
  for (int i = 0; i < 40 && i < int(body.size()); ++i)
    body[i] += 0.5 * (1.0 - i / 40.0);  // beater click
  return oneShot("kick", finish(body, 1.0));
}

Instrument snareDrum() {
  std::vector<double> noise = noiseBurst(0.22, 0.06, 1, 0.3, 0x4A5B);
  std::vector<double> body = sweptSine(0.22, 240.0, 180.0, 0.02, 0.04);
  for (size_t i = 0; i < noise.size(); ++i) noise[i] = 0.75 * noise[i] + 0.6 * body[i];
  return oneShot("snare", finish(noise, 1.0));
}

Instrument closedHat() {
  return oneShot("closed hat", finish(noiseBurst(0.07, 0.018, 1, 0.95, 0x1234), 0.8));
}

Instrument openHat() {
  return oneShot("open hat", finish(noiseBurst(0.35, 0.12, 1, 0.95, 0x2345), 0.7));
}

Instrument crashCymbal() {
  std::vector<double> hiss = noiseBurst(1.1, 0.35, 1, 0.8, 0x3456);
  std::vector<double> ring = noiseBurst(1.1, 0.5, 3, 0.5, 0x5A5A);
  for (size_t i = 0; i < hiss.size(); ++i) hiss[i] = hiss[i] + 0.4 * ring[i];
  return oneShot("crash", finish(hiss, 0.8));
}

Instrument tomDrum() {
  return oneShot("tom", finish(sweptSine(0.3, 220.0, 110.0, 0.06, 0.12), 1.0));
}

}  // namespace tunes
