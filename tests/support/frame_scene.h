// Off-screen scene for the frame's render tests and benchmark: a real device on a hidden
// window with every scene resource, a hand-made playlist, and read-back of render targets
// into pixels and PNG files for review.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3d9.h"

// Pixels of a surface as 0xAARRGGBB, row by row from the top.
struct FramePixels {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> argb;

  uint32_t at(int x, int y) const { return argb[size_t(y) * width + x]; }
  int red(int x, int y) const { return at(x, y) >> 16 & 0xFF; }
  int green(int x, int y) const { return at(x, y) >> 8 & 0xFF; }
  int blue(int x, int y) const { return at(x, y) & 0xFF; }
};

// Creates the windowed device, camera, lights and scene resources (with an empty playlist,
// so the track fields are left to the test). False when no device can be made.
bool openFrameScene();

// Releases the scene resources and the device, and forgets the hand-made playlist.
void closeFrameScene();

// Installs `count` tracks laid out as at start-up: artist "Artist N", title and short title
// "Title N", number "N" (N from 1). Player state goes back to its start values.
void useFrameTracks(int count);

// The track entries installed by useFrameTracks, in display order.
struct TrackEntry;
TrackEntry& frameTrack(int index);

// Copies a render target (or the back buffer) into memory.
FramePixels readFrameSurface(IDirect3DSurface9* surface);

// Writes the pixels to test-output/<name>.png under the working folder; returns the path.
std::string saveFramePng(const FramePixels& pixels, const std::string& name);

// Texels of level 0 of a texture with a CPU copy (pictures, dynamic textures).
FramePixels readFrameTexels(IDirect3DTexture9* texture);
