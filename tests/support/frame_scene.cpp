// Off-screen scene for the frame's render tests and benchmark.
#include "tests/support/frame_scene.h"

#include <cairo.h>

#include <cstring>
#include <filesystem>

#include "gfx/device.h"
#include "gfx/scene_resources.h"
#include "music/playback.h"
#include "music/playlist.h"

namespace {

std::vector<TrackEntry> entries;
std::vector<TrackEntry*> order;

void forgetTracks() {
  playlist.playOrder = nullptr;
  playlist.count = 0;
  order.clear();
  entries.clear();
}

void copyRows(const D3DLOCKED_RECT& locked, FramePixels& pixels) {
  for (int y = 0; y < pixels.height; ++y)
    std::memcpy(&pixels.argb[size_t(y) * pixels.width],
                static_cast<const unsigned char*>(locked.pBits) + y * locked.Pitch,
                size_t(pixels.width) * 4);
}

}  // namespace

bool openFrameScene() {
  forgetTracks();
  if (createDevice(false) != 0 || !deviceState.device) return false;
  setupCameraAndLights();
  createSceneResources();
  return true;
}

void closeFrameScene() {
  releaseSceneResources();
  if (deviceState.device) deviceState.device->Release();
  if (deviceState.direct3D) deviceState.direct3D->Release();
  deviceState.device = nullptr;
  deviceState.direct3D = nullptr;
  forgetTracks();
}

void useFrameTracks(int count) {
  forgetTracks();
  entries.resize(count);
  for (int i = 0; i < count; ++i) {
    TrackEntry& entry = entries[i];
    std::string artist = "Artist " + std::to_string(i + 1);
    std::string title = "Title " + std::to_string(i + 1);
    entry.artist.assign(artist.c_str());
    entry.title.assign(title.c_str());
    entry.shortTitle.assign(title.c_str());
    entry.number = RefString(i + 1);
    entry.carouselY = i * -0.125f;
    entry.carouselX = -2.5f - entry.carouselY * 0.15f;
    order.push_back(&entry);
  }
  playlist.playOrder = order.empty() ? nullptr : order.data();
  playlist.count = count;
  currentTrack = 0;
  carouselSteps = 0;
  repeatTrack = true;
}

TrackEntry& frameTrack(int index) { return *order[index]; }

FramePixels readFrameSurface(IDirect3DSurface9* surface) {
  FramePixels pixels;
  D3DSURFACE_DESC desc;
  if (!surface || FAILED(surface->GetDesc(&desc))) return pixels;
  IDirect3DSurface9* copy = nullptr;
  deviceState.device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format,
                                                  D3DPOOL_SYSTEMMEM, &copy, nullptr);
  if (!copy) return pixels;
  D3DLOCKED_RECT locked;
  if (SUCCEEDED(deviceState.device->GetRenderTargetData(surface, copy)) &&
      SUCCEEDED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
    pixels.width = int(desc.Width);
    pixels.height = int(desc.Height);
    pixels.argb.resize(size_t(pixels.width) * pixels.height);
    copyRows(locked, pixels);
    copy->UnlockRect();
  }
  copy->Release();
  return pixels;
}

FramePixels readFrameTexels(IDirect3DTexture9* texture) {
  FramePixels pixels;
  D3DSURFACE_DESC desc;
  D3DLOCKED_RECT locked;
  if (!texture || FAILED(texture->GetLevelDesc(0, &desc))) return pixels;
  if (FAILED(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY))) return pixels;
  pixels.width = int(desc.Width);
  pixels.height = int(desc.Height);
  pixels.argb.resize(size_t(pixels.width) * pixels.height);
  copyRows(locked, pixels);
  texture->UnlockRect(0);
  return pixels;
}

std::string saveFramePng(const FramePixels& pixels, const std::string& name) {
  std::filesystem::path folder = "test-output";  // tests run in the build folder
  std::filesystem::create_directories(folder);
  std::string path = (folder / (name + ".png")).string();
  cairo_surface_t* image =
      cairo_image_surface_create(CAIRO_FORMAT_RGB24, pixels.width, pixels.height);
  unsigned char* data = cairo_image_surface_get_data(image);
  int stride = cairo_image_surface_get_stride(image);
  for (int y = 0; y < pixels.height; ++y)
    std::memcpy(data + y * stride, &pixels.argb[size_t(y) * pixels.width],
                size_t(pixels.width) * 4);
  cairo_surface_mark_dirty(image);
  cairo_surface_write_to_png(image, path.c_str());
  cairo_surface_destroy(image);
  return path;
}
