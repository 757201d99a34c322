// The window procedure: keys and clicks become player and window commands; mouse moves keep
// the pointer and hover state the frame draws from.
#pragma once

#include <windows.h>

extern int hoveredButton;       // control button under the pointer at the last move, -1 for none
extern bool mouseInside;        // set by every mouse move, cleared by WM_MOUSELEAVE
extern float cursorX, cursorY;  // top-left corner of the drawn pointer: client position - 5

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
