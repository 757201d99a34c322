// Shared pieces of the Direct3D layer's render tests: a fixture with an off-screen device made
// as the program makes it, and small builders for vertex buffers and textures.
#pragma once

#include <gtest/gtest.h>

#include <SDL.h>

#include <cstring>
#include <vector>

#include "gfx/device.h"
#include "tests/support/render_helpers.h"

struct ScreenVertex {  // D3DFVF_XYZRHW | D3DFVF_TEX1
  float x, y, z, rhw, u, v;
};
struct ColouredVertex {  // D3DFVF_XYZ | D3DFVF_DIFFUSE
  float x, y, z;
  D3DCOLOR colour;
};
struct TexturedVertex {  // D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1
  float x, y, z;
  D3DCOLOR colour;
  float u, v;
};

constexpr DWORD screenFvf = D3DFVF_XYZRHW | D3DFVF_TEX1;
constexpr DWORD colouredFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE;
constexpr DWORD texturedFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;

class D3D9Scene : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(createOffscreenDevice()) << "no off-screen device: " << SDL_GetError();
    device = deviceState.device;
  }

  void TearDown() override {
    for (; !resources.empty(); resources.pop_back()) resources.back()->Release();  // newest first
    releaseOffscreenDevice();
  }

  template <class Vertex>
  IDirect3DVertexBuffer9* buffer(const std::vector<Vertex>& vertices) {
    IDirect3DVertexBuffer9* made = nullptr;
    const UINT bytes = UINT(vertices.size() * sizeof(Vertex));
    EXPECT_EQ(device->CreateVertexBuffer(bytes, 0, 0, D3DPOOL_MANAGED, &made, nullptr), D3D_OK);
    void* data = nullptr;
    made->Lock(0, 0, &data, 0);
    std::memcpy(data, vertices.data(), bytes);
    made->Unlock();
    resources.push_back(made);
    return made;
  }

  // A dynamic A8R8G8B8 texture filled by colourAt(x, y) → 0xAARRGGBB.
  template <class ColourAt>
  IDirect3DTexture9* texture(UINT width, UINT height, ColourAt colourAt) {
    IDirect3DTexture9* made = nullptr;
    EXPECT_EQ(device->CreateTexture(width, height, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8,
                                    D3DPOOL_DEFAULT, &made, nullptr),
              D3D_OK);
    fill(made, colourAt);
    resources.push_back(made);
    return made;
  }

  template <class ColourAt>
  void fill(IDirect3DTexture9* target, ColourAt colourAt) {
    D3DSURFACE_DESC desc;
    target->GetLevelDesc(0, &desc);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(target->LockRect(0, &locked, nullptr, D3DLOCK_DISCARD), D3D_OK);
    for (UINT y = 0; y < desc.Height; ++y)
      for (UINT x = 0; x < desc.Width; ++x) {
        const D3DCOLOR colour = colourAt(int(x), int(y));
        std::memcpy(static_cast<unsigned char*>(locked.pBits) + y * locked.Pitch + 4 * x, &colour,
                    4);
      }
    target->UnlockRect(0);
  }

  IDirect3DTexture9* renderTarget() {
    IDirect3DTexture9* made = nullptr;
    EXPECT_EQ(device->CreateTexture(640, 480, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8,
                                    D3DPOOL_DEFAULT, &made, nullptr),
              D3D_OK);
    resources.push_back(made);
    return made;
  }

  // The surface a render-target texture draws into, and the device's render target 0 as it is
  // now (the back buffer, until a test sets another); released with the fixture.
  IDirect3DSurface9* surfaceOf(IDirect3DTexture9* target) {
    IDirect3DSurface9* surface = nullptr;
    EXPECT_EQ(target->GetSurfaceLevel(0, &surface), D3D_OK);
    if (surface) resources.push_back(surface);
    return surface;
  }
  IDirect3DSurface9* currentRenderTarget() {
    IDirect3DSurface9* surface = nullptr;
    EXPECT_EQ(device->GetRenderTarget(0, &surface), D3D_OK);
    if (surface) resources.push_back(surface);
    return surface;
  }

  // A pre-transformed quad in window pixels, corners top-left, top-right, bottom-right,
  // bottom-left, texture coordinates 0 to 1.
  IDirect3DVertexBuffer9* screenQuad(float left, float top, float right, float bottom) {
    return buffer<ScreenVertex>({{left, top, 0.5f, 1.0f, 0.0f, 0.0f},
                                 {right, top, 0.5f, 1.0f, 1.0f, 0.0f},
                                 {right, bottom, 0.5f, 1.0f, 1.0f, 1.0f},
                                 {left, bottom, 0.5f, 1.0f, 0.0f, 1.0f}});
  }

  void drawFan(IDirect3DVertexBuffer9* quad, DWORD fvf, UINT stride, UINT triangles = 2) {
    device->SetFVF(fvf);
    device->SetStreamSource(0, quad, 0, stride);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, triangles), D3D_OK);
  }

  void clear(D3DCOLOR colour) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, colour, 1.0f, 0);
  }

  IDirect3DDevice9* device = nullptr;
  std::vector<IUnknown*> resources;
};
