// Display panels: the carousel and track-label pictures on tilted planes, and between them
// the volume bar refilled every frame from the current volume.
#pragma once

constexpr int volumeBarWidth = 100;  // texels
constexpr int volumeBarHeight = 20;  // texels

// Fills a 100 x 20 picture of B, G, R, A texels (pitch in bytes) with the volume bar for
// volume 0-99: lit columns 1..volume except every tenth, grey rising to the right, alpha 180.
void fillVolumeBar(unsigned char* texels, int pitch, int volume);

// Draws the carousel panel, the volume bar and the track-label panel.
void drawDisplayPanels();
