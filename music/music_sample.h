// The music sample of the current frame: spectrum and peak levels of the playing music, taken
// once at the start of the frame and read by the blocks drawn after it.
#pragma once

constexpr int spectrumValueCount = 1024;  // floats in the spectrum buffer

extern float spectrumValues[spectrumValueCount];  // FFT magnitudes; zeros without music
extern unsigned int leftLevel, rightLevel;        // peak levels 0-32768; 0 without music

// Spectrum and levels of the playing music; silence (zeros) when there is none to sample.
void sampleMusic();
