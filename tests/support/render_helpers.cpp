// Test helpers: off-screen device, pixel read-back through GetRenderTargetData, PNG via Cairo.
#include "tests/support/render_helpers.h"

#include <SDL.h>
#include <cairo.h>
#include <sys/stat.h>

#include <cstring>

#include "app/main_window.h"
#include "app/screen_layout.h"
#include "gfx/device.h"

bool keepVideoLoaded() {
  static const bool videoKept =
      SDL_InitSubSystem(SDL_INIT_VIDEO) == 0 && SDL_GL_LoadLibrary(nullptr) == 0;
  return videoKept;
}

bool createOffscreenDevice() {
  if (!keepVideoLoaded()) return false;
  HWND savedWindow = appWindow;
  appWindow = nullptr;  // a NULL device window makes a hidden window of the device's own
  const int result = createDevice(false);
  appWindow = savedWindow;
  if (result != 0) {
    releaseOffscreenDevice();
    return false;
  }
  setupCameraAndLights();
  return true;
}

void releaseOffscreenDevice() {
  if (deviceState.device) deviceState.device->Release();
  deviceState.device = nullptr;
  if (deviceState.direct3D) deviceState.direct3D->Release();
  deviceState.direct3D = nullptr;
}

D3DPRESENT_PARAMETERS windowedPresentParameters(HWND window) {
  D3DPRESENT_PARAMETERS parameters{};
  parameters.BackBufferWidth = clientWidth;
  parameters.BackBufferHeight = clientHeight;
  parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
  parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
  parameters.hDeviceWindow = window;
  parameters.Windowed = TRUE;
  return parameters;
}

Picture readSurface(IDirect3DSurface9* surface) {
  Picture picture;
  D3DSURFACE_DESC desc;
  IDirect3DDevice9* device = nullptr;
  if (!surface || FAILED(surface->GetDesc(&desc)) || FAILED(surface->GetDevice(&device)))
    return picture;
  IDirect3DSurface9* copy = nullptr;
  if (SUCCEEDED(device->CreateOffscreenPlainSurface(desc.Width, desc.Height, D3DFMT_A8R8G8B8,
                                                    D3DPOOL_SYSTEMMEM, &copy, nullptr)) &&
      SUCCEEDED(device->GetRenderTargetData(surface, copy))) {
    D3DLOCKED_RECT locked;
    if (SUCCEEDED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
      picture.width = int(desc.Width);
      picture.height = int(desc.Height);
      picture.pixels.resize(size_t(desc.Width) * desc.Height);
      for (UINT row = 0; row < desc.Height; ++row)
        std::memcpy(&picture.pixels[size_t(row) * desc.Width],
                    static_cast<unsigned char*>(locked.pBits) + size_t(row) * size_t(locked.Pitch),
                    size_t(desc.Width) * 4);
      copy->UnlockRect();
    }
  }
  if (copy) copy->Release();
  device->Release();
  return picture;
}

namespace {

// Reads a surface the caller holds a reference to, then lets the reference go.
Picture readAndRelease(IDirect3DSurface9* surface) {
  Picture picture = readSurface(surface);
  surface->Release();
  return picture;
}

}  // namespace

Picture readTexture(IDirect3DTexture9* renderTarget) {
  IDirect3DSurface9* surface = nullptr;
  if (!renderTarget || FAILED(renderTarget->GetSurfaceLevel(0, &surface))) return Picture{};
  return readAndRelease(surface);
}

Picture readRenderTarget(IDirect3DDevice9* device) {
  IDirect3DSurface9* surface = nullptr;
  if (!device || FAILED(device->GetRenderTarget(0, &surface))) return Picture{};
  return readAndRelease(surface);
}

std::string savePicture(const Picture& picture, const std::string& name) {
  if (picture.width <= 0 || picture.height <= 0) return "";
  mkdir("test-output", 0755);
  const std::string path = "test-output/" + name + ".png";
  cairo_surface_t* image =
      cairo_image_surface_create(CAIRO_FORMAT_RGB24, picture.width, picture.height);
  cairo_surface_flush(image);
  unsigned char* data = cairo_image_surface_get_data(image);
  const int stride = cairo_image_surface_get_stride(image);
  for (int row = 0; row < picture.height; ++row)
    std::memcpy(data + size_t(row) * size_t(stride), &picture.pixels[size_t(row) * picture.width],
                size_t(picture.width) * 4);
  cairo_surface_mark_dirty(image);
  const bool written = cairo_surface_write_to_png(image, path.c_str()) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(image);
  return written ? path : "";
}
