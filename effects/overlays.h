// Overlays drawn last in every frame: the program's own mouse pointer while the mouse is over
// the window, and the start-up static that fades from opaque to transparent in about 1.3 s.
#pragma once

#include "app/screen_layout.h"

extern bool staticActive;  // true until the first frame that ends with the fade step q >= 254

constexpr int staticWidth = clientWidth;    // texels: the static covers the picture
constexpr int staticHeight = clientHeight;  // texels

// Fade step of the static: milliseconds since the frame clock started, divided by 5.
unsigned int staticFadeStep();

// Alpha of the static at fade step q: 255 - q, and 0 once q passes 255.
unsigned char staticAlpha(unsigned int q);

// Fills a 640 x 480 picture of B, G, R, A texels (pitch in bytes) with random black and white
// pixels of the given alpha, one random value per pixel in row order.
void fillStatic(unsigned char* texels, int pitch, unsigned char alpha);

// Draws the pointer (while the mouse is inside) and the static (while it is active).
void drawOverlays();
