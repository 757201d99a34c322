// Test hook: the SDL side of a Win32 window and its full-screen mode, for tests that push SDL
// events into a window or check where the picture lies. The window is created with
// SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS. In windowed mode it is 640 × 482 (the picture fills
// the top 640 × 480, the shape clips the rest); in full-screen mode it covers the desktop and the
// 640 × 480 picture is scaled by min(w / 640, h / 480) and centred.
#pragma once

#include "platform/win32.h"

struct SDL_Window;

// The SDL window of a window handle; NULL for NULL, the desktop or a destroyed window.
SDL_Window* sdlWindowOf(HWND window);

// True while the window covers the desktop (setWindowFullScreen(window, true)).
bool isWindowFullScreen(HWND window);

// Makes the window cover the desktop (the shape is lifted), or returns it to 640 × 480 at its
// previous position with its shape restored.
void setWindowFullScreen(HWND window, bool fullScreen);

// Where the 640 × 480 picture lies inside a full-screen drawable of the given size: scaled by
// min(w / 640, h / 480) and centred, so the Direct3D layer and the mouse mapping agree.
// (In windowed mode the picture sits unscaled at the window's top-left corner.) Writes the
// picture's left, top, width and height in drawable pixels.
void pictureViewport(int drawableWidth, int drawableHeight, int* left, int* top, int* width,
                     int* height);

// The client pixel (0-639, 0-479) under drawable pixel (x, y) of a full-screen drawable of the
// given size; false in the black bars around the picture.
bool picturePixelAt(int drawableWidth, int drawableHeight, int x, int y, POINT* client);

// ---- Win32 calls the program does not make ------------------------------------------------
// For tests that look at a window from outside or put a procedure of their own in front of the
// program's; the platform uses IsWindow too. Real names, values and behaviour.

#define GWLP_WNDPROC (-4)

LONG WINAPI GetWindowLongA(HWND window, int index);  // GWL_STYLE, GWL_EXSTYLE
// GWLP_WNDPROC swaps the window procedure; other indices as SetWindowLongA. Returns the
// previous value.
LONG_PTR WINAPI SetWindowLongPtrA(HWND window, int index, LONG_PTR value);
BOOL WINAPI IsWindow(HWND window);      // live windows and the desktop
BOOL WINAPI DeleteObject(HRGN region);  // a region not handed to SetWindowRgn
