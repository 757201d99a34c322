// Test hook: audio output advanced by hand. When set before BASS_Init, no output device is
// opened: BASS_Init succeeds and the output advances only through bassPullOutput, so tests,
// benchmarks and the headless frame renderer hear exactly the frames they ask for, never waiting.
#pragma once

constexpr int bassFftSize = 1024;  // samples per FFT (BASS_DATA_FFT1024)

void bassUseManualOutput(bool manual);

// Manual output: mixes the next `frames` frames (interleaved stereo float) into `output`
// under the audio lock, exactly as the device callback would.
void bassPullOutput(float* output, int frames);
