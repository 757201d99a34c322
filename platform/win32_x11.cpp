// X11 pieces of the Win32 subset, reached through the SDL window's native handle: the window
// shape that SetWindowRgn sets, and whether a window manager is running.
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/shape.h>

#include <cstdlib>

#include "platform/bass_internal.h"
#include "platform/sdl_window.h"
#include "platform/win32_internal.h"
#include "support/stderr_line.h"

namespace {

constexpr long motifDecorationsFlag = 2;  // _MOTIF_WM_HINTS flags: the decorations field is valid
constexpr int displayLostStatus = 255;    // exit status when the X server goes away

// Xlib's I/O error handler must not return. Nothing else is torn down: the window, the GL
// context and every other object belong to a connection that no longer exists.
int onDisplayLost(Display*) {
  stderrLine("lost the connection to the display - ending");
  bassCloseOutput();
  std::_Exit(displayLostStatus);
}

bool x11Handles(HWND window, Display** display, Window* x11Window) {
  if (!window || !window->sdl) return false;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window->sdl, &info) || info.subsystem != SDL_SYSWM_X11) return false;
  *display = info.info.x11.display;
  *x11Window = info.info.x11.window;
  return true;
}

}  // namespace

void applyWindowShape(HWND window, HRGN region) {
  Display* display;
  Window x11Window;
  if (!x11Handles(window, &display, &x11Window)) return;
  int eventBase, errorBase;
  if (!XShapeQueryExtension(display, &eventBase, &errorBase)) return;
  if (!region) {
    XShapeCombineMask(display, x11Window, ShapeBounding, 0, 0, None, ShapeSet);
    XFlush(display);
    return;
  }
  // The region is in the program's units; the window is windowScale() times larger.
  const int scale = windowScale();
  std::vector<XRectangle> rectangles;
  for (const RECT& r : region->rectangles) {
    rectangles.push_back({static_cast<short>(r.left * scale), static_cast<short>(r.top * scale),
                          static_cast<unsigned short>((r.right - r.left) * scale),
                          static_cast<unsigned short>((r.bottom - r.top) * scale)});
  }
  XShapeCombineRectangles(display, x11Window, ShapeBounding, 0, 0, rectangles.data(),
                          static_cast<int>(rectangles.size()), ShapeSet, YXBanded);
  XFlush(display);
}

// Asks any window manager, also one that starts later, for no decoration: SDL only sets the
// Motif hints when the atom already exists on the server, which it does not on a bare server.
void requestNoDecoration(HWND window) {
  Display* display;
  Window x11Window;
  if (!x11Handles(window, &display, &x11Window)) return;
  const Atom motifHints = XInternAtom(display, "_MOTIF_WM_HINTS", False);
  const long hints[5] = {motifDecorationsFlag, 0, 0, 0,
                         0};  // flags, functions, decorations, input, status
  XChangeProperty(display, x11Window, motifHints, motifHints, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(hints), 5);
  XFlush(display);
}

void catchDisplayLoss() {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver && SDL_strcasecmp(driver, "x11") == 0) XSetIOErrorHandler(onDisplayLost);
}

// A compliant window manager announces itself with _NET_SUPPORTING_WM_CHECK on the root window.
bool windowManagerRunning(HWND window) {
  Display* display;
  Window x11Window;
  if (!x11Handles(window, &display, &x11Window)) return true;  // not X11: leave it to SDL
  const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
  if (check == None) return false;
  Atom type;
  int format;
  unsigned long count, remaining;
  unsigned char* data = nullptr;
  const int status = XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False,
                                        XA_WINDOW, &type, &format, &count, &remaining, &data);
  const bool found = status == Success && data && count == 1;
  if (data) XFree(data);
  return found;
}

// Asks the server where the pointer is: SDL's own answer is cached and only refreshed by input
// events it happens to receive, so it goes stale once the pointer has left the window.
bool queryPointer(int* x, int* y, bool* leftButtonDown) {
  for (HWND window : allWindows()) {
    Display* display;
    Window x11Window;
    if (!IsWindow(window) || !x11Handles(window, &display, &x11Window)) continue;
    Window root, child;
    int windowX, windowY;
    unsigned int mask;
    if (!XQueryPointer(display, DefaultRootWindow(display), &root, &child, x, y, &windowX, &windowY,
                       &mask))
      return false;
    *leftButtonDown = (mask & Button1Mask) != 0;
    return true;
  }
  return false;
}
