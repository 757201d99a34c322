// The program's single window: frameless, 640 × 480 visible through a rounded region, centred.
#pragma once

#include <windows.h>

extern HWND appWindow;  // null until createMainWindow succeeds

// Registers the window class and creates, shapes, sizes and shows the window.
// Returns 0, or -1 when the window cannot be created.
int createMainWindow();

// Places the window centred on the desktop at 640 × 480 (after full-screen mode ends).
void centreMainWindow();
