// Metaball passes and animation: the surface is drawn twice a frame from the
// previous frame's triangles, faint and unlit into the off-screen metaball
// target (pass A) and lit, half-transparent on the back buffer (pass B);
// animateBalls then moves the three balls for the next frame.
#pragma once

#include "metaballs/iso_surface.h"

extern float spinX;    // radians about x, grows 0.4 per second
extern float spinY;    // radians about y, grows 0.3 per second
extern int ballFrame;  // drives the ball centres, +2 per frame

void drawMetaballsA(IDirect3DDevice9* device, float frameSeconds);
void drawMetaballsB(IDirect3DDevice9* device, float frameSeconds);
void animateBalls();
