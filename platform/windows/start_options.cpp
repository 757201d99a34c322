// The start options on Windows. The window scale is a Linux feature: Windows keeps its own
// display scaling, so asking for one says so in one line and changes nothing. The start-up
// click reaches the first top-level window through a computer-based-training hook, which sees each
// window as it is made, so the click is queued before anything else the window receives.
#include <windows.h>

#include "platform/start_options.h"
#include "support/stderr_line.h"

namespace {

HHOOK creationHook = nullptr;
LPARAM startupClick = 0;  // client position as WM_LBUTTONDOWN's lParam

LRESULT CALLBACK seeWindowMade(int code, WPARAM wParam, LPARAM lParam) {
  const auto* creation = reinterpret_cast<const CBT_CREATEWNDA*>(lParam);
  if (code == HCBT_CREATEWND && creation->lpcs->hwndParent == nullptr) {  // a top-level window
    const HWND window = reinterpret_cast<HWND>(wParam);
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, startupClick);
    PostMessageA(window, WM_LBUTTONUP, 0, startupClick);
    UnhookWindowsHookEx(creationHook);
    creationHook = nullptr;
    return 0;
  }
  return CallNextHookEx(creationHook, code, wParam, lParam);
}

}  // namespace

void setWindowScale(int scale) {
  if (scale != 1) stderrLine("--scale is a Linux feature - the window keeps its size");
}

void postStartupClick(int x, int y) {
  startupClick = MAKELPARAM(x, y);
  creationHook = SetWindowsHookExA(WH_CBT, seeWindowMade, nullptr, GetCurrentThreadId());
}
