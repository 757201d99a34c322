// The spectrum: six translucent bars on a line receding to the right behind the loudspeaker,
// their heights taken from spectrumValues[16..21] of this frame.
#pragma once

constexpr int firstBarValue = 16;  // spectrumValues index shown by bar 0

// The bar level of one spectrum value: trunc(sqrt(value / log10(11)) * 1700 - 4), at most 700.
// A silent band gives -4.
int barLevel(float value);

// Height of bar `bar` (0-5) in its own units for a spectrum value; negative for silence, which
// reverses the quad's winding so that culling removes it.
float barHeight(float value, int bar);

// Rewrites the six bar tops and draws them with depth testing on (inside the visible pass).
void drawSpectrumBars();
