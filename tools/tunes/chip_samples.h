// Synthesised chip instruments: looped single-cycle waves (square, pulses,
// triangle, saw), plucked waves with the decay baked into the sample (for
// MODs, which have no envelopes) and noise/sine drums. Everything is
// computed from formulas and a fixed-seed noise register, so every run gives
// the same bytes.
#pragma once

#include "module.h"

namespace tunes {

// A wave cycle of this many samples plays middle C (about 261 Hz) at the
// sample's base note C-4; a cycle twice as long sounds an octave lower.
constexpr int middleCycle = 32;  // samples per cycle

// Drum samples are made at this rate and are triggered at C-5, where the
// tracker plays them back at about this rate.
constexpr double drumRate = 16574.0;  // samples per second

enum class Wave { Square, Pulse25, Pulse12, Triangle, Saw };

// One looped cycle of `cycle` samples (middleCycle = middle C at C-4).
Instrument loopedWave(const char* name, Wave wave, int cycle);

// The wave repeated for `decaySeconds` (at the base rate) falling
// exponentially to `sustain` (0..1), then looping its last cycle there.
Instrument pluckedWave(const char* name, Wave wave, int cycle, double decaySeconds, double sustain);

// A whole chord on one channel, plucked like pluckedWave: one loop holds `ratios[i]` cycles of
// tone i (4, 5, 6 is a major triad in just intonation), so the first tone sounds at the pitch
// of a `cycle`-sample wave.
Instrument pluckedChord(const char* name, Wave wave, int cycle, std::vector<int> ratios,
                        double decaySeconds, double sustain);

// The instrument for an XM: 16-bit data, a volume envelope (ticks, levels
// 0..64) held at `sustainPoint` while the key is down, then faded out.
Instrument enveloped(Instrument instrument, std::vector<EnvelopePoint> envelope, int sustainPoint,
                     int fadeout);

Instrument kickDrum();
Instrument snareDrum();
Instrument closedHat();
Instrument openHat();
Instrument crashCymbal();
Instrument tomDrum();

}  // namespace tunes
