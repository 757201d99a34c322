// The window procedure (app/window_proc.h).
#include "app/window_proc.h"

int hoveredButton = -1;
bool mouseInside = false;
float cursorX = 0.0f;
float cursorY = 0.0f;

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DESTROY: PostQuitMessage(0); return 0;
    case WM_KEYUP:
      if (wParam == VK_ESCAPE) DestroyWindow(window);
      return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

void enterFullScreen() {}

void leaveFullScreen() {}
