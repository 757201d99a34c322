// The small 32 x 32 pictures: the spark (103), the pointer (104) and the five notes (113-117).
#pragma once

#include "gfx/picture_ids.h"
#include "raster.h"

constexpr int spriteSize = 32;                   // pixels
constexpr int pointerTipX = 5, pointerTipY = 5;  // pixel of the arrow's tip

RgbImage drawSpark();
RgbImage drawPointer();
// Note n (0 to notePictureCount - 1). The program lays the picture on a quad twice as wide as high
// with texture row 0 at the bottom, so the note is drawn upside down and stretched twice in height
// here to stand upright and in proportion on the screen.
RgbImage drawNote(int n);
