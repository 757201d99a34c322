// A device on a window that is hidden: Clear, draws and Present do no work and change nothing,
// and the first frame after the window shows again is drawn whole, with the textures as they
// were last filled, also those refilled while nothing could be seen.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstring>
#include <vector>

#include "platform/d3d9.h"
#include "platform/hooks/present_observer.h"
#include "platform/win32.h"
#include "tests/support/render_helpers.h"
#include "tests/support/test_window.h"

namespace {

constexpr D3DCOLOR red = 0xFFFF0000;
constexpr D3DCOLOR green = 0xFF00FF00;
constexpr D3DCOLOR blue = 0xFF0000FF;
constexpr D3DCOLOR yellow = 0xFFFFFF00;
constexpr D3DCOLOR white = 0xFFFFFFFF;

struct ScreenVertex {  // D3DFVF_XYZRHW | D3DFVF_TEX1
  float x, y, z, rhw, u, v;
};

int workDone = 0;  // clears, draws and presents the device has given to GL
void countWork(IDirect3DDevice9*, DeviceWork) { ++workDone; }

class D3D9HiddenWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(keepVideoLoaded()) << SDL_GetError();
    window = createTestWindow("HiddenWindowTest", DefWindowProcA, 640, 480);
    ASSERT_NE(window, nullptr);
    ShowWindow(window, SW_SHOWNORMAL);
    direct3D = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(direct3D, nullptr);
    D3DPRESENT_PARAMETERS parameters = windowedPresentParameters(window);
    ASSERT_EQ(direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                     D3DCREATE_SOFTWARE_VERTEXPROCESSING, &parameters, &device),
              D3D_OK)
        << SDL_GetError();
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    setDeviceWorkObserver(countWork);
  }
  void TearDown() override {
    setDeviceWorkObserver(nullptr);
    if (quad) quad->Release();
    if (texture) texture->Release();
    if (device) device->Release();
    if (direct3D) direct3D->Release();
    if (window) DestroyWindow(window);
  }

  void fill(D3DCOLOR colour) {
    D3DLOCKED_RECT locked;
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_DISCARD), D3D_OK);
    for (int texel = 0; texel < 16 * 16; ++texel)
      std::memcpy(static_cast<unsigned char*>(locked.pBits) + 4 * texel, &colour, 4);
    ASSERT_EQ(texture->UnlockRect(0), D3D_OK);
  }

  // A textured quad over the left half of the picture with the texture and quad made once:
  // what it shows comes from the texture's last fill.
  void drawLeftHalf() {
    if (!texture) {
      ASSERT_EQ(device->CreateTexture(16, 16, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                                      &texture, nullptr),
                D3D_OK);
      const ScreenVertex corners[4] = {{0, 0, 0.5f, 1, 0, 0},
                                       {320, 0, 0.5f, 1, 1, 0},
                                       {320, 480, 0.5f, 1, 1, 1},
                                       {0, 480, 0.5f, 1, 0, 1}};
      ASSERT_EQ(device->CreateVertexBuffer(sizeof corners, 0, 0, D3DPOOL_MANAGED, &quad, nullptr),
                D3D_OK);
      void* data = nullptr;
      quad->Lock(0, 0, &data, 0);
      std::memcpy(data, corners, sizeof corners);
      quad->Unlock();
      device->SetTexture(0, texture);
      device->SetFVF(D3DFVF_XYZRHW | D3DFVF_TEX1);
      device->SetStreamSource(0, quad, 0, sizeof(ScreenVertex));
    }
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2), D3D_OK);
  }

  // One frame: the whole picture cleared, the left half drawn, presented.
  void frame(D3DCOLOR clearColour) {
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, clearColour, 1.0f, 0), D3D_OK);
    EXPECT_EQ(device->BeginScene(), D3D_OK);
    drawLeftHalf();
    EXPECT_EQ(device->EndScene(), D3D_OK);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  }

  // The colours of the back buffer's two halves, or 0 where a half is not all one colour.
  struct Halves {
    uint32_t left = 0, right = 0;
  };
  Halves halves() {
    const Picture picture = readRenderTarget(device);
    EXPECT_EQ(picture.width, 640);
    if (picture.width != 640) return {};
    Halves seen{picture.at(0, 0) | 0xFF000000u, picture.at(639, 0) | 0xFF000000u};
    for (int y = 0; y < picture.height; y += 8)
      for (int x = 0; x < picture.width; x += 8) {
        uint32_t& half = x < 320 ? seen.left : seen.right;
        if ((picture.at(x, y) | 0xFF000000u) != half) half = 0;
      }
    return seen;
  }

  HWND window = nullptr;
  IDirect3D9* direct3D = nullptr;
  IDirect3DDevice9* device = nullptr;
  IDirect3DTexture9* texture = nullptr;
  IDirect3DVertexBuffer9* quad = nullptr;
};

}  // namespace

TEST_F(D3D9HiddenWindow, HiddenNothingIsDrawnAndTheFirstFrameShownAgainIsWhole) {
  drawLeftHalf();  // makes the texture and quad
  fill(blue);
  frame(red);
  EXPECT_EQ(halves().left, blue);
  EXPECT_EQ(halves().right, red);

  ShowWindow(window, SW_HIDE);
  workDone = 0;
  fill(yellow);
  frame(white);
  fill(green);  // the last fill while hidden is the one to show
  frame(white);
  EXPECT_EQ(workDone, 0) << "a hidden window's device gave GL work";
  EXPECT_EQ(halves().left, blue) << "hidden, the previous picture stays as it was";
  EXPECT_EQ(halves().right, red);

  ShowWindow(window, SW_SHOW);
  frame(white);
  EXPECT_EQ(workDone, 3) << "shown again: the clear, the draw and the present";
  EXPECT_EQ(halves().left, green) << "the texture refilled while hidden is drawn as last filled";
  EXPECT_EQ(halves().right, white);
}

TEST_F(D3D9HiddenWindow, AFillWhileHiddenSurvivesAReadOnlyLockAndIsDrawnOnceShown) {
  drawLeftHalf();
  fill(blue);
  frame(red);
  ShowWindow(window, SW_HIDE);
  fill(green);
  D3DLOCKED_RECT locked;
  ASSERT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  D3DCOLOR first;
  std::memcpy(&first, locked.pBits, 4);
  EXPECT_EQ(first, green) << "the lock sees the latest fill";
  ASSERT_EQ(texture->UnlockRect(0), D3D_OK);
  ShowWindow(window, SW_SHOW);
  frame(red);
  EXPECT_EQ(halves().left, green);
  EXPECT_EQ(halves().right, red);
}
