// Window class, windows, regions and window geometry of the Win32 subset, over SDL2.
// A window is a borderless SDL window with an OpenGL surface; the Win32 style bits are kept
// for GetWindowLongA but change nothing on screen (the window never has decoration).
// With a window scale N above 1 (platform/start_options.h) the program's positions and sizes are
// in units of N screen pixels: windows, the desktop size, the pointer and window rectangles.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/end_signals.h"
#include "platform/sdl_window.h"
#include "platform/session_bus.h"
#include "platform/start_options.h"
#include "platform/win32_internal.h"
#include "support/stderr_line.h"

namespace {

constexpr int pictureWidth = 640;   // client picture width, pixels
constexpr int pictureHeight = 480;  // client picture height, pixels
constexpr int captionHeight = 23;   // AdjustWindowRectEx: WS_CAPTION, pixels
constexpr int frameThickness = 8;   // AdjustWindowRectEx: WS_THICKFRAME, pixels per side
constexpr int borderThickness =
    1;  // AdjustWindowRectEx: caption without sizing frame, pixels per side
constexpr int displayOpenAttempts = 4;           // tries at opening the display before giving up
constexpr Uint32 displayRetryMilliseconds = 50;  // pause between them

struct WindowClass {
  std::string name;
  WNDPROC procedure;
};

std::vector<WindowClass> windowClasses;
std::vector<std::unique_ptr<HWND__>> windows;
std::vector<HWND> windowHandles;
HWND__ desktopWindow;
int moduleAnchor;  // its address is the program's module handle
bool videoReady = false;
bool videoFailed = false;
int requestedScale = 1;  // 1-4 or autoWindowScale
int scaleInForce = 1;    // 1-4

bool sameDriver(const char* a, const char* b) { return a && b && SDL_strcasecmp(a, b) == 0; }

HWND liveWindow(HWND window) {
  return (window && window != &desktopWindow && !window->destroyed) ? window : nullptr;
}

// How far each row of a rounded corner is cut in, as GDI rounds it: the ellipse of
// (width - 1) × (height - 1) pixels traced by Bresenham's method for ellipses (after A. Zingl),
// one inset for each row from the middle row (height / 2, inset 0) to the outermost
// (height - 1). The corner rows above the middle take them mirrored: row r uses the inset of
// row height - 1 - r.
std::vector<int> cornerInsets(int width, int height) {
  const long long a = width - 1, b = height - 1;
  const long long stepX = 8 * b * b, stepY = 8 * a * a;
  long long dx = 4 * b * b * (1 - a), dy = 4 * a * a * (1 + b % 2);
  long long error = dx + dy + a * a * (b % 2);
  std::vector<int> insets(static_cast<size_t>(height), 0);
  int x = 0;
  for (int y = height / 2; x <= width / 2;) {
    const long long twice = 2 * error;
    if (twice >= dx) {
      ++x;
      error += dx += stepX;
    }
    if (twice <= dy && y + 1 < height) {
      ++y;
      error += dy += stepY;
      insets[static_cast<size_t>(y)] = x;
    } else if (twice <= dy) {
      break;
    }
  }
  return insets;
}

}  // namespace

bool ensureVideo() {
  if (videoReady) return true;
  if (videoFailed) return false;
  const char* requested = std::getenv("SDL_VIDEODRIVER");
  // With no display named at all there is nothing to open; asking SDL anyway would only add
  // its drivers' own complaints to the one line that says so.
  if (!requested && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
    stderrLine("no display: cannot open a window (DISPLAY is not set)");
    videoFailed = true;
    return false;
  }
  // Only X11 can use DISPLAY; letting SDL go on to its other drivers when that server cannot
  // be reached ends, at best, in an invisible window.
  if (!requested && !std::getenv("WAYLAND_DISPLAY")) SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
  // A click that also activates the window reaches the window, as on Windows; SDL would drop it
  // when it handles the focus change and the click in the same pump.
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  keepToExistingSessionBus();
  catchEndSignals();  // before SDL, which would install its own handlers
  // An X server may reset a connection made just as another client leaves (Xvfb does, often,
  // when busy): a start right after another program ended would fail for nothing.
  for (int attempt = 1; SDL_InitSubSystem(SDL_INIT_VIDEO) != 0; ++attempt) {
    if (attempt == displayOpenAttempts) {
      stderrLine("no display: cannot open a window (%s)", SDL_GetError());
      videoFailed = true;
      return false;
    }
    SDL_Delay(displayRetryMilliseconds);
  }
  // Without a display SDL quietly picks a driver that shows nothing; a program nobody can see
  // has failed to open its window, unless such a driver was asked for (as the tests do).
  const char* driver = SDL_GetCurrentVideoDriver();
  if ((sameDriver(driver, "offscreen") || sameDriver(driver, "dummy")) &&
      !sameDriver(driver, requested)) {
    stderrLine(
        "no display: cannot open a window (set DISPLAY, or "
        "SDL_VIDEODRIVER=offscreen to run unseen)");
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    videoFailed = true;
    return false;
  }
  catchDisplayLoss();
  videoReady = true;
  scaleInForce = requestedScale;
  SDL_DisplayMode mode;
  if (requestedScale == autoWindowScale) {
    scaleInForce = SDL_GetDesktopDisplayMode(0, &mode) == 0
                       ? fittingWindowScale(pictureWidth, pictureHeight, mode.w, mode.h)
                       : 1;
  }
  return true;
}

void setWindowScale(int scale) { requestedScale = scale; }

int windowScale() { return scaleInForce; }

int fittingWindowScale(int width, int height, int desktopWidth, int desktopHeight) {
  int scale = 1;
  while (scale < largestWindowScale && 4 * width * (scale + 1) <= 3 * desktopWidth &&
         4 * height * (scale + 1) <= 3 * desktopHeight)
    ++scale;
  return scale;
}

HWND windowOfSdlId(Uint32 id) {
  for (HWND window : windowHandles) {
    if (!window->destroyed && window->sdlId == id) return window;
  }
  return nullptr;
}

const std::vector<HWND>& allWindows() { return windowHandles; }

// ---- Window class and windows

ATOM WINAPI RegisterClassExA(const WNDCLASSEXA* windowClass) {
  if (!windowClass || !windowClass->lpszClassName || !windowClass->lpfnWndProc) return 0;
  for (const WindowClass& known : windowClasses) {
    if (known.name == windowClass->lpszClassName)
      return 0;  // already registered, as Windows answers
  }
  windowClasses.push_back({windowClass->lpszClassName, windowClass->lpfnWndProc});
  return static_cast<ATOM>(0xC000 + windowClasses.size());
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x,
                            int y, int width, int height, HWND, HMENU, HINSTANCE, LPVOID) {
  WNDPROC procedure = nullptr;
  for (const WindowClass& known : windowClasses) {
    if (className && known.name == className) procedure = known.procedure;
  }
  if (!procedure) {
    stderrLine("cannot create a window: class \"%s\" is not registered",
               className ? className : "");
    return nullptr;
  }
  if (!ensureVideo()) return nullptr;
  const int scale = windowScale();
  SDL_Window* sdl = SDL_CreateWindow(windowName ? windowName : "", x * scale, y * scale,
                                     std::max(width, 1) * scale, std::max(height, 1) * scale,
                                     SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN);
  if (!sdl) {
    stderrLine("cannot create a window (%s)", SDL_GetError());
    return nullptr;
  }
  windows.push_back(std::make_unique<HWND__>());
  HWND window = windows.back().get();
  windowHandles.push_back(window);
  window->sdl = sdl;
  window->sdlId = SDL_GetWindowID(sdl);
  window->procedure = procedure;
  window->style = static_cast<LONG>(style);
  window->exStyle = static_cast<LONG>(exStyle);
  requestNoDecoration(window);
  deliverStartupClick(window);
  applyCursorVisibility();
  SendMessageA(window, WM_CREATE, 0, 0);
  if (style & WS_VISIBLE) ShowWindow(window, SW_SHOW);
  return window;
}

// The SDL window stays alive (hidden) after WM_DESTROY, so that a GL context made on it can
// still be released afterwards, as the program releases its device after the loop has ended.
BOOL WINAPI DestroyWindow(HWND window) {
  if (!liveWindow(window)) return FALSE;
  SendMessageA(window, WM_DESTROY, 0, 0);
  window->destroyed = true;
  delete window->region;  // the system frees a window's region with the window
  window->region = nullptr;
  SDL_HideWindow(window->sdl);
  forgetWindowMessages(window);
  return TRUE;
}

BOOL WINAPI IsWindow(HWND window) {
  return (window == &desktopWindow || liveWindow(window)) ? TRUE : FALSE;
}

LONG WINAPI GetWindowLongA(HWND window, int index) {
  if (!liveWindow(window)) return 0;
  if (index == GWL_STYLE) return window->style;
  if (index == GWL_EXSTYLE) return window->exStyle;
  return 0;
}

LONG WINAPI SetWindowLongA(HWND window, int index, LONG value) {
  if (!liveWindow(window)) return 0;
  LONG* field = index == GWL_STYLE     ? &window->style
                : index == GWL_EXSTYLE ? &window->exStyle
                                       : nullptr;
  if (!field) return 0;
  const LONG previous = *field;
  *field = value;
  return previous;
}

LONG_PTR WINAPI SetWindowLongPtrA(HWND window, int index, LONG_PTR value) {
  if (index != GWLP_WNDPROC) return SetWindowLongA(window, index, static_cast<LONG>(value));
  if (!liveWindow(window) || !value) return 0;
  const LONG_PTR previous = reinterpret_cast<LONG_PTR>(window->procedure);
  window->procedure = reinterpret_cast<WNDPROC>(value);
  return previous;
}

// ---- Regions

HRGN WINAPI CreateRoundRectRgn(int left, int top, int right, int bottom, int ellipseWidth,
                               int ellipseHeight) {
  if (right < left) std::swap(left, right);
  if (bottom < top) std::swap(top, bottom);
  // GDI's rounded region leaves out one more column and row than its rectangles do: (0, 0, 640,
  // 480) covers 639 x 479 pixels.
  --right;
  --bottom;
  HRGN region = new HRGN__;
  ellipseWidth = std::min(right - left, std::abs(ellipseWidth));
  ellipseHeight = std::min(bottom - top, std::abs(ellipseHeight));
  if (ellipseWidth < 2 || ellipseHeight < 2) {
    region->rectangles.push_back({left, top, right, bottom});
    return region;
  }
  // One rectangle per row of the corner bands, one for the straight middle part.
  const std::vector<int> insets = cornerInsets(ellipseWidth, ellipseHeight);
  const int middle = ellipseHeight / 2;
  for (int row = 0; row < middle; ++row) {
    const int inset = insets[static_cast<size_t>(ellipseHeight - 1 - row)];
    region->rectangles.push_back({left + inset, top + row, right - inset, top + row + 1});
  }
  region->rectangles.push_back({left, top + middle, right, bottom - ellipseHeight + middle + 1});
  for (int row = middle + 1; row < ellipseHeight; ++row) {
    const int inset = insets[static_cast<size_t>(row)];
    const int y = bottom - ellipseHeight + row;
    region->rectangles.push_back({left + inset, y, right - inset, y + 1});
  }
  return region;
}

BOOL WINAPI DeleteObject(HRGN region) {
  delete region;
  return region ? TRUE : FALSE;
}

int WINAPI SetWindowRgn(HWND window, HRGN region, BOOL) {
  if (!liveWindow(window)) return 0;
  delete window->region;
  window->region = region;
  if (!window->fullScreen) applyWindowShape(window, region);
  return 1;
}

// ---- Placement and visibility

BOOL WINAPI SetWindowPos(HWND window, HWND, int x, int y, int width, int height, UINT flags) {
  if (!liveWindow(window)) return FALSE;
  const int scale = windowScale();
  if (!(flags & SWP_NOSIZE))
    SDL_SetWindowSize(window->sdl, std::max(width, 1) * scale, std::max(height, 1) * scale);
  if (!(flags & SWP_NOMOVE)) SDL_SetWindowPosition(window->sdl, x * scale, y * scale);
  return TRUE;
}

// Minimising asks the window manager to iconify the window; with no window manager running
// there is nobody to do that, so the window is unmapped instead.
BOOL WINAPI ShowWindow(HWND window, int command) {
  if (!liveWindow(window)) return FALSE;
  const BOOL wasVisible = (SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_SHOWN) ? TRUE : FALSE;
  switch (command) {
    case SW_HIDE: SDL_HideWindow(window->sdl); break;
    case SW_MINIMIZE:
      SDL_MinimizeWindow(window->sdl);
      if (!windowManagerRunning(window)) SDL_HideWindow(window->sdl);
      window->minimized = true;
      break;
    case SW_RESTORE:
    case SW_SHOWNORMAL:
    case SW_SHOW:
    default:
      SDL_ShowWindow(window->sdl);
      if (window->minimized) SDL_RestoreWindow(window->sdl);
      window->minimized = false;
      if (window->region && !window->fullScreen) applyWindowShape(window, window->region);
      break;
  }
  return wasVisible;
}

BOOL WINAPI IsIconic(HWND window) {
  return (liveWindow(window) && window->minimized) ? TRUE : FALSE;
}

BOOL WINAPI InvalidateRect(HWND window, const RECT*, BOOL) {
  return liveWindow(window) ? TRUE : FALSE;
}

BOOL WINAPI AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL, DWORD) {
  if (!rect) return FALSE;
  int side = 0;
  if (style & WS_THICKFRAME)
    side = frameThickness;
  else if (style & WS_CAPTION)
    side = borderThickness;
  rect->left -= side;
  rect->right += side;
  rect->bottom += side;
  rect->top -= side + ((style & WS_CAPTION) == WS_CAPTION ? captionHeight : 0);
  return TRUE;
}

HWND WINAPI GetDesktopWindow() { return &desktopWindow; }

namespace {

// The desktop in screen pixels.
bool desktopSize(int* width, int* height) {
  SDL_DisplayMode mode;
  if (!ensureVideo() || SDL_GetDesktopDisplayMode(0, &mode) != 0) return false;
  *width = mode.w;
  *height = mode.h;
  return true;
}

}  // namespace

BOOL WINAPI GetClientRect(HWND window, LPRECT rect) {
  if (!rect) return FALSE;
  *rect = {0, 0, 0, 0};
  if (window == &desktopWindow) {
    if (!desktopSize(&rect->right, &rect->bottom)) return FALSE;
  } else if (liveWindow(window)) {
    SDL_GetWindowSize(window->sdl, &rect->right, &rect->bottom);
  } else {
    return FALSE;
  }
  rect->right /= windowScale();
  rect->bottom /= windowScale();
  return TRUE;
}

BOOL WINAPI GetWindowRect(HWND window, LPRECT rect) {
  if (!rect) return FALSE;
  if (window == &desktopWindow) return GetClientRect(window, rect);
  if (!liveWindow(window)) return FALSE;
  int x, y, width, height;
  SDL_GetWindowPosition(window->sdl, &x, &y);
  SDL_GetWindowSize(window->sdl, &width, &height);
  const int scale = windowScale();
  *rect = {x / scale, y / scale, (x + width) / scale, (y + height) / scale};
  return TRUE;
}

BOOL WINAPI PtInRect(const RECT* rect, POINT point) {
  return (rect && point.x >= rect->left && point.x < rect->right && point.y >= rect->top &&
          point.y < rect->bottom)
             ? TRUE
             : FALSE;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName) {
  return moduleName ? nullptr : reinterpret_cast<HMODULE>(&moduleAnchor);
}

HICON WINAPI LoadIconA(HINSTANCE, LPCSTR) { return nullptr; }

// A distinct non-null handle per colour index; nothing paints with it.
HBRUSH WINAPI GetSysColorBrush(int index) {
  return reinterpret_cast<HBRUSH>(static_cast<ULONG_PTR>(0x100 + index));
}

// ---- Full-screen support for the Direct3D layer (platform/sdl_window.h)

SDL_Window* sdlWindowOf(HWND window) {
  return (window && window != &desktopWindow) ? window->sdl : nullptr;
}

bool isWindowFullScreen(HWND window) { return liveWindow(window) && window->fullScreen; }

void setWindowFullScreen(HWND window, bool fullScreen) {
  if (!liveWindow(window) || window->fullScreen == fullScreen) return;
  window->fullScreen = fullScreen;
  if (fullScreen) {
    SDL_GetWindowPosition(window->sdl, &window->windowedPlace.x, &window->windowedPlace.y);
    SDL_GetWindowSize(window->sdl, &window->windowedPlace.w, &window->windowedPlace.h);
    int desktopWidth = 0, desktopHeight = 0;
    desktopSize(&desktopWidth, &desktopHeight);
    applyWindowShape(window, nullptr);
    SDL_SetWindowPosition(window->sdl, 0, 0);
    SDL_SetWindowSize(window->sdl, desktopWidth, desktopHeight);
    SDL_RaiseWindow(window->sdl);
  } else {
    const SDL_Rect& place = window->windowedPlace;
    SDL_SetWindowSize(window->sdl, place.w, place.h);
    SDL_SetWindowPosition(window->sdl, place.x, place.y);
    if (window->region) applyWindowShape(window, window->region);
  }
}

bool picturePixelAt(int drawableWidth, int drawableHeight, int x, int y, POINT* client) {
  int left, top, width, height;
  pictureViewport(drawableWidth, drawableHeight, &left, &top, &width, &height);
  if (x < left || y < top || x >= left + width || y >= top + height) return false;
  *client = POINT{(x - left) * pictureWidth / width, (y - top) * pictureHeight / height};
  return true;
}

void pictureViewport(int drawableWidth, int drawableHeight, int* left, int* top, int* width,
                     int* height) {
  const double scale =
      std::min(drawableWidth / double(pictureWidth), drawableHeight / double(pictureHeight));
  *width = static_cast<int>(std::lround(pictureWidth * scale));
  *height = static_cast<int>(std::lround(pictureHeight * scale));
  *left = (drawableWidth - *width) / 2;
  *top = (drawableHeight - *height) / 2;
}
