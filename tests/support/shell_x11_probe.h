// Test helper: looks at windows of an X server from outside, as another client would, without
// exposing Xlib's macros (which clash with googletest) to the tests.
#pragma once

#include <string>

struct X11WindowInfo {
  bool found = false;
  int x = 0, y = 0;  // top-left corner on the root window
  int width = 0, height = 0;
  bool viewable = false;                                        // mapped and visible
  bool childOfRoot = false;                                     // not reparented into a frame
  bool shaped = false;                                          // has a bounding shape
  int shapeX = 0, shapeY = 0, shapeWidth = 0, shapeHeight = 0;  // extents of the bounding shape
  bool decorationsOff = false;  // _MOTIF_WM_HINTS asks for no decoration
};

// Where a window is and how large, for messages: "window 640x482 at (192, 144)".
std::string describeWindow(const X11WindowInfo& info);

class X11Probe {
 public:
  explicit X11Probe(const std::string& display);
  ~X11Probe();
  X11Probe(const X11Probe&) = delete;
  X11Probe& operator=(const X11Probe&) = delete;

  bool connected() const { return display_ != nullptr; }
  // The first top-level window whose WM_NAME is title.
  X11WindowInfo window(const std::string& title);
  // Waits at most timeoutMs until that window is viewable at (x, y) of the root window with the
  // given size; *seen is what it looked like last.
  bool waitForWindow(const std::string& title, int x, int y, int width, int height, int timeoutMs,
                     X11WindowInfo* seen);
  // Whether the bounding shape of that window contains the window pixel (x, y).
  bool shapeContains(const std::string& title, int x, int y);
  // The pointer position on the root window.
  bool pointer(int* x, int* y);

 private:
  void* display_ = nullptr;
  unsigned long find(const std::string& title);
};
