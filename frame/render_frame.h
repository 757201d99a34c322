// The frame: the one function that draws. Runs the automatic advance, samples the music,
// renders the three off-screen passes, composes the visible picture and presents it.
#pragma once

constexpr int SPECTRUM_VALUE_COUNT = 1024;  // floats in the spectrum buffer

// Music sample of the current frame, read by the blocks drawn after it.
extern float spectrumValues[SPECTRUM_VALUE_COUNT];  // FFT magnitudes; zeros without music
extern unsigned int leftLevel, rightLevel;          // 16-bit peak levels; 0 without music

// Draws and presents one frame; `frameSeconds` is the time since the previous one (0 first).
void renderFrame(float frameSeconds);
