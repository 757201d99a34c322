// Platform-internal state shared by the win32_*.cpp files: what a window handle and a region
// handle point at, and the few helpers that cross file boundaries.
#pragma once

#include <SDL.h>

#include <vector>

#include "platform/win32.h"

// The error GetLastError reports next.
void WINAPI SetLastError(DWORD error);

// A region: the rectangles that make it up, in window coordinates, right and bottom excluded.
struct HRGN__ {
  std::vector<RECT> rectangles;
};

// A window: an SDL window plus the Win32 values the program reads back.
struct HWND__ {
  SDL_Window* sdl = nullptr;
  Uint32 sdlId = 0;
  WNDPROC procedure = nullptr;
  LONG style = 0;
  LONG exStyle = 0;
  HRGN region = nullptr;  // owned since SetWindowRgn
  bool destroyed = false;
  bool minimized = false;
  bool fullScreen = false;
  bool pointerInBar = false;  // full-screen: the pointer was last seen in a bar beside the picture
  SDL_Rect windowedPlace{};   // position and size to return to when full-screen ends

  ~HWND__() { delete region; }
};

// The live window with this SDL window id, or NULL.
HWND windowOfSdlId(Uint32 id);

// Every window created so far (destroyed ones included; handles stay valid pointers).
const std::vector<HWND>& allWindows();

// Queues the click asked for by postStartupClick, once, for the first window made.
void deliverStartupClick(HWND window);

// Drops queued messages and timers of a window that is being destroyed.
void forgetWindowMessages(HWND window);

// Runs the modal move of WM_NCLBUTTONDOWN / HTCAPTION until the left button is released.
void runMoveLoop(HWND window);

// The applied display count of ShowCursor pushed to SDL (after the video subsystem starts).
void applyCursorVisibility();

// X11 helpers (no effect when the window is not an X11 window).
void applyWindowShape(HWND window, HRGN region);  // NULL lifts the shape
bool windowManagerRunning(HWND window);
void requestNoDecoration(HWND window);
// The pointer on the screen and the left button, from the X server; false when not on X11.
bool queryPointer(int* x, int* y, bool* leftButtonDown);
// From now on, losing the connection to the X server ends the program at once with one stderr
// line and status 255, the audio output closed first (Xlib's own handler would call exit(),
// whose destructors free what the audio thread is still playing).
void catchDisplayLoss();
