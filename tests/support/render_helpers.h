// Test helpers for drawing with the real Direct3D layer off-screen (SDL "offscreen" video
// driver, Mesa's software OpenGL): make the program's device without a window, read a render
// target or the back buffer back as pixels, and save pictures as PNG for a person to look at.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3d9.h"

// A picture read back from the device: 0xAARRGGBB per pixel, row 0 at the top.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;

  uint32_t at(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

inline int redOf(uint32_t colour) { return int((colour >> 16) & 0xFF); }
inline int greenOf(uint32_t colour) { return int((colour >> 8) & 0xFF); }
inline int blueOf(uint32_t colour) { return int(colour & 0xFF); }
inline int alphaOf(uint32_t colour) { return int(colour >> 24); }

// Loads SDL's video and the GL driver once and keeps them for the rest of the test process:
// Mesa keeps a little memory per context that LeakSanitizer could not even name once the driver
// is unloaded. False when that fails.
bool keepVideoLoaded();

// Creates deviceState's Direct3D object and device as createDevice(false) does, but on a hidden
// window of the device's own, then runs setupCameraAndLights. False when no device can be made.
bool createOffscreenDevice();

// Releases deviceState's device and Direct3D object and clears both pointers.
void releaseOffscreenDevice();

// Parameters for a windowed 640 × 480 device with an X8R8G8B8 back buffer shown in `window`
// (null: a hidden window of the device's own) and no depth buffer.
D3DPRESENT_PARAMETERS windowedPresentParameters(HWND window);

// Reads a render-target surface (or texture level 0 of a render target) back.
Picture readSurface(IDirect3DSurface9* surface);
Picture readTexture(IDirect3DTexture9* renderTarget);
// Reads the device's current render target 0 back.
Picture readRenderTarget(IDirect3DDevice9* device);

// Writes the picture as an opaque PNG to test-output/<name>.png under the working folder
// (build/ when run by CTest) and returns the path; "" when it cannot be written.
std::string savePicture(const Picture& picture, const std::string& name);
