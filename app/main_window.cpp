// The program's window: class registration, creation, the rounded region and placement.
#include "app/main_window.h"

#include "app/hooks/main_window.h"
#include "app/screen_layout.h"
#include "app/window_proc.h"

namespace {

constexpr int cornerEllipse = 10;  // width and height of the corner ellipses, pixels
const char* const className = "ClassName";
const char* const windowTitle = "Zolta RodiZeve #1";

// Top-left corner that centres a 640 × 480 window on the desktop (integer halving). On a
// desktop smaller than the window the corner stays on the desktop: centred, it would put the
// whole top strip off the screen, with no way to drag the window into reach.
POINT centredCorner() {
  RECT desktop;
  GetClientRect(GetDesktopWindow(), &desktop);
  const LONG left = desktop.right / 2 - clientWidth / 2;
  const LONG top = desktop.bottom / 2 - clientHeight / 2;
  return POINT{left < 0 ? 0 : left, top < 0 ? 0 : top};
}

}  // namespace

HWND appWindow = nullptr;
DWORD windowStyle = 0;

int createMainWindow() {
  RECT frame = {0, 0, clientWidth, clientHeight};
  AdjustWindowRectEx(&frame, windowStyle, FALSE, 0);
  const POINT corner = centredCorner();

  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof(WNDCLASSEXA);
  windowClass.style = CS_VREDRAW | CS_HREDRAW;
  windowClass.lpfnWndProc = windowProc;
  windowClass.cbClsExtra = 0;
  windowClass.cbWndExtra = 0;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hIcon = LoadIconA(nullptr, "IDI_ICON1");
  windowClass.hIconSm = LoadIconA(nullptr, "IDI_ICON1");
  windowClass.hCursor = nullptr;
  windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  windowClass.lpszMenuName = nullptr;
  windowClass.lpszClassName = className;
  RegisterClassExA(&windowClass);

  windowStyle = WS_OVERLAPPEDWINDOW;
  appWindow =
      CreateWindowExA(0, className, windowTitle, windowStyle, corner.x, corner.y, frame.right,
                      frame.bottom, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (!appWindow) return -1;

  windowStyle &= ~(WS_CAPTION | WS_THICKFRAME);
  SetWindowLongA(appWindow, GWL_STYLE, static_cast<LONG>(windowStyle));
  SetWindowRgn(appWindow,
               CreateRoundRectRgn(0, 0, clientWidth, clientHeight, cornerEllipse, cornerEllipse),
               TRUE);
  InvalidateRect(appWindow, nullptr, TRUE);
  SetWindowPos(appWindow, nullptr, 0, 0, clientWidth, windowHeight, SWP_NOMOVE | SWP_NOZORDER);
  ShowWindow(appWindow, SW_SHOWNORMAL);
  return 0;
}

void centreMainWindow() {
  const POINT corner = centredCorner();
  SetWindowPos(appWindow, nullptr, corner.x, corner.y, clientWidth, clientHeight, 0);
}
