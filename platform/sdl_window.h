// Platform-internal: SDL's video subsystem and the SDL side of a Win32 window, for the window
// and Direct3D layers (the functions of platform/hooks/window.h, with SDL's own types).
#pragma once

#include <SDL.h>

#include "platform/hooks/window.h"

// Starts SDL's video subsystem once, for windows and the Direct3D layer alike; false (and one
// stderr line) when there is no usable display, including SDL's silent fall-back to its
// invisible offscreen driver.
bool ensureVideo();

// The window scale in force (platform/start_options.h): 1-4 (auto is settled against the
// desktop when video starts; 1 before).
int windowScale();

// The largest scale, 1 at least, whose window of width × height pixels fits in three quarters of
// a desktop of desktopWidth × desktopHeight.
int fittingWindowScale(int width, int height, int desktopWidth, int desktopHeight);
