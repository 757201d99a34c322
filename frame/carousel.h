// The title carousel (pass 1) and the track label (pass 2): 3D glyph runs drawn into their
// render targets, which the display panels then show in the visible picture.
#pragma once

// Moves every title 0.01 up (pending next commands) or down (pending previous commands) and
// works off carouselSteps once the current title has crossed the line y = 0.
void animateCarousel();

// Every short title on its slanting line that can land on the carousel target; the current one
// without red while fewer than three moves are pending either way.
void drawCarousel();

// "Track " and the current track's number in tall narrow letters, the first one 0.05 lower.
// With no tunes, the no-tunes message runs through the label as a ticker.
void drawTrackLabel();
