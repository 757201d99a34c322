// Test helper: X11 window inspection (tests/support/shell_x11_probe.h).
#include "tests/support/shell_x11_probe.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/shape.h>

#include <cstring>

#include "tests/support/shell_xvfb.h"

namespace {

Display* asDisplay(void* display) { return static_cast<Display*>(display); }

constexpr unsigned long motifDecorationsFlag = 2;  // _MOTIF_WM_HINTS flags: decorations field valid

}  // namespace

// Windows of the program come and go while they are looked at (a window made and dropped during
// start-up); asking about one that has just gone is no error of the test.
static int ignoreXError(Display*, XErrorEvent*) { return 0; }

X11Probe::X11Probe(const std::string& display) {
  XSetErrorHandler(ignoreXError);
  display_ = XOpenDisplay(display.c_str());
}

X11Probe::~X11Probe() {
  if (display_) XCloseDisplay(asDisplay(display_));
}

std::string describeWindow(const X11WindowInfo& info) {
  return "window " + std::string(info.found ? "" : "not found, last seen ") +
         std::to_string(info.width) + "x" + std::to_string(info.height) + " at (" +
         std::to_string(info.x) + ", " + std::to_string(info.y) + ")" +
         (info.viewable ? "" : ", not viewable");
}

unsigned long X11Probe::find(const std::string& title) {
  Display* display = asDisplay(display_);
  Window root, parent, *children = nullptr;
  unsigned int count = 0;
  Window found = None;
  if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
    return None;
  for (unsigned int i = 0; i < count && found == None; ++i) {
    char* name = nullptr;
    if (XFetchName(display, children[i], &name) && name && title == name) found = children[i];
    if (name) XFree(name);
  }
  if (children) XFree(children);
  return found;
}

X11WindowInfo X11Probe::window(const std::string& title) {
  X11WindowInfo info;
  if (!display_) return info;
  Display* display = asDisplay(display_);
  const Window window = find(title);
  XWindowAttributes attributes;
  if (window == None || !XGetWindowAttributes(display, window, &attributes)) return info;
  info.found = true;
  Window child;
  XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &info.x, &info.y,
                        &child);
  info.width = attributes.width;
  info.height = attributes.height;
  info.viewable = attributes.map_state == IsViewable;

  Window root, parent, *children = nullptr;
  unsigned int count = 0;
  XQueryTree(display, window, &root, &parent, &children, &count);
  if (children) XFree(children);
  info.childOfRoot = parent == DefaultRootWindow(display);

  int boundingShaped = 0, clipShaped = 0, cx, cy;
  unsigned int width, height, cw, ch;
  XShapeQueryExtents(display, window, &boundingShaped, &info.shapeX, &info.shapeY, &width, &height,
                     &clipShaped, &cx, &cy, &cw, &ch);
  info.shaped = boundingShaped;
  info.shapeWidth = static_cast<int>(width);
  info.shapeHeight = static_cast<int>(height);

  const Atom motifHints = XInternAtom(display, "_MOTIF_WM_HINTS", True);
  Atom type;
  int format;
  unsigned long items = 0, remaining;
  unsigned char* data = nullptr;
  if (motifHints != None &&
      XGetWindowProperty(display, window, motifHints, 0, 5, False, AnyPropertyType, &type, &format,
                         &items, &remaining, &data) == Success &&
      data && items >= 3) {
    const unsigned long* hints = reinterpret_cast<unsigned long*>(data);
    info.decorationsOff = (hints[0] & motifDecorationsFlag) && hints[2] == 0;
  }
  if (data) XFree(data);
  return info;
}

bool X11Probe::waitForWindow(const std::string& title, int x, int y, int width, int height,
                             int timeoutMs, X11WindowInfo* seen) {
  return waitUntil(
      [&] {
        *seen = window(title);
        return seen->viewable && seen->x == x && seen->y == y && seen->width == width &&
               seen->height == height;
      },
      timeoutMs);
}

bool X11Probe::shapeContains(const std::string& title, int x, int y) {
  if (!display_) return false;
  const Window window = find(title);
  if (window == None) return false;
  int count = 0, ordering = 0;
  XRectangle* rectangles =
      XShapeGetRectangles(asDisplay(display_), window, ShapeBounding, &count, &ordering);
  bool inside = false;
  for (int i = 0; i < count; ++i) {
    const XRectangle& r = rectangles[i];
    if (x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height) inside = true;
  }
  if (rectangles) XFree(rectangles);
  return inside;
}

bool X11Probe::pointer(int* x, int* y) {
  if (!display_) return false;
  Display* display = asDisplay(display_);
  Window root, child;
  int windowX, windowY;
  unsigned int mask;
  return XQueryPointer(display, DefaultRootWindow(display), &root, &child, x, y, &windowX, &windowY,
                       &mask);
}
