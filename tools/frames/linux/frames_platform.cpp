// zolta-frames on Linux (tools/frames/frames_platform.h): our platform's own hooks run the
// program unseen on the virtual clock, and Cairo writes the PNG files.
#include "tools/frames/frames_platform.h"

#include <cairo.h>

#include <cstdlib>
#include <cstring>

#include "platform/hooks/clock.h"
#include "platform/hooks/present_observer.h"

void prepareVirtualRun(FrameObserver observer) {
  setenv("SDL_VIDEODRIVER", "offscreen", 1);  // unseen, on purpose
  useVirtualClock();
  setPresentObserver(observer);
}

bool writePng(const std::string& path, const unsigned char* rows, int pitch, int width,
              int height) {
  // Cairo's RGB24 holds each pixel as X8R8G8B8 does: the rows copy unchanged.
  cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  unsigned char* pixels = cairo_image_surface_get_data(image);
  const int stride = cairo_image_surface_get_stride(image);
  for (int row = 0; row < height; ++row)
    std::memcpy(pixels + row * stride, rows + row * pitch, width * 4);
  cairo_surface_mark_dirty(image);
  const bool written = cairo_surface_write_to_png(image, path.c_str()) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(image);
  return written;
}
