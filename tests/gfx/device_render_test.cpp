// The program's device: Direct3D 9 defaults at creation, the camera, lights and fixed states of
// setupCameraAndLights, the program window in both modes, and creation failures (without
// OpenGL at all: device_without_opengl_render_test.cpp, a process of its own).
#include <gtest/gtest.h>

#include <SDL.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "app/main_window.h"
#include "gfx/device.h"
#include "platform/hooks/window.h"
#include "tests/support/render_helpers.h"

namespace {

float asFloat(DWORD bits) {
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

DWORD renderState(IDirect3DDevice9* device, D3DRENDERSTATETYPE state) {
  DWORD value = 0xDEADBEEF;
  EXPECT_EQ(device->GetRenderState(state, &value), D3D_OK);
  return value;
}

DWORD samplerState(IDirect3DDevice9* device, DWORD sampler, D3DSAMPLERSTATETYPE state) {
  DWORD value = 0xDEADBEEF;
  EXPECT_EQ(device->GetSamplerState(sampler, state, &value), D3D_OK);
  return value;
}

// A Direct3D object of its own and a windowed 640 × 480 device made on it, as a program asks
// for one; each test releases both.
class Direct3DDevice : public ::testing::Test {
 protected:
  void createDevice(DWORD vertexProcessing) {
    ASSERT_TRUE(keepVideoLoaded()) << SDL_GetError();
    direct3D = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(direct3D, nullptr);
    D3DPRESENT_PARAMETERS params = windowedPresentParameters(nullptr);
    params.EnableAutoDepthStencil = TRUE;
    params.AutoDepthStencilFormat = D3DFMT_D16;
    ASSERT_EQ(direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr, vertexProcessing,
                                     &params, &device),
              D3D_OK)
        << SDL_GetError();
  }

  IDirect3D9* direct3D = nullptr;
  IDirect3DDevice9* device = nullptr;
};

}  // namespace

TEST_F(Direct3DDevice, NewDeviceHasDirect3DDefaultsNotOpenGLOnes) {
  ASSERT_NO_FATAL_FAILURE(createDevice(D3DCREATE_SOFTWARE_VERTEXPROCESSING));
  EXPECT_EQ(renderState(device, D3DRS_LIGHTING), DWORD(TRUE));
  EXPECT_EQ(renderState(device, D3DRS_ZENABLE), DWORD(D3DZB_TRUE));
  EXPECT_EQ(renderState(device, D3DRS_ZWRITEENABLE), DWORD(TRUE));
  EXPECT_EQ(renderState(device, D3DRS_ZFUNC), DWORD(D3DCMP_LESSEQUAL));
  EXPECT_EQ(renderState(device, D3DRS_CULLMODE), DWORD(D3DCULL_CCW));
  EXPECT_EQ(renderState(device, D3DRS_SRCBLEND), DWORD(D3DBLEND_ONE));
  EXPECT_EQ(renderState(device, D3DRS_DESTBLEND), DWORD(D3DBLEND_ZERO));
  EXPECT_EQ(renderState(device, D3DRS_DIFFUSEMATERIALSOURCE), DWORD(D3DMCS_COLOR1));
  EXPECT_EQ(renderState(device, D3DRS_COLORWRITEENABLE), 0xFu);
  EXPECT_EQ(asFloat(renderState(device, D3DRS_POINTSIZE_MIN)), 1.0f);
  EXPECT_EQ(asFloat(renderState(device, D3DRS_POINTSCALE_A)), 1.0f);
  EXPECT_EQ(samplerState(device, 0, D3DSAMP_MINFILTER), DWORD(D3DTEXF_POINT));
  DWORD alphaOp = 0, alphaArg = 0;
  device->GetTextureStageState(0, D3DTSS_ALPHAOP, &alphaOp);
  device->GetTextureStageState(0, D3DTSS_ALPHAARG1, &alphaArg);
  EXPECT_EQ(alphaOp, DWORD(D3DTOP_SELECTARG1));
  EXPECT_EQ(alphaArg, DWORD(D3DTA_TEXTURE));
  D3DMATRIX view;
  device->GetTransform(D3DTS_VIEW, &view);
  EXPECT_EQ(view._11, 1.0f);
  EXPECT_EQ(view._41, 0.0f);

  // The back buffer is render target 0, 640 × 480 X8R8G8B8; the device outlives it.
  IDirect3DSurface9* backBuffer = nullptr;
  ASSERT_EQ(device->GetRenderTarget(0, &backBuffer), D3D_OK);
  D3DSURFACE_DESC desc;
  backBuffer->GetDesc(&desc);
  EXPECT_EQ(desc.Width, 640u);
  EXPECT_EQ(desc.Height, 480u);
  EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);
  backBuffer->Release();
  EXPECT_EQ(device->Release(), 0u);
  EXPECT_EQ(direct3D->Release(), 0u);
}

TEST_F(Direct3DDevice, ResourcesKeepTheirDeviceAliveUntilReleased) {
  ASSERT_NO_FATAL_FAILURE(createDevice(D3DCREATE_HARDWARE_VERTEXPROCESSING));
  IDirect3DTexture9* target = nullptr;
  ASSERT_EQ(device->CreateTexture(640, 480, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8,
                                  D3DPOOL_DEFAULT, &target, nullptr),
            D3D_OK);
  IDirect3DSurface9* surface = nullptr;
  target->GetSurfaceLevel(0, &surface);
  device->SetRenderTarget(0, surface);
  device->SetTexture(0, target);
  EXPECT_GT(device->Release(), 0u) << "the texture still holds the device";
  surface->Release();
  EXPECT_EQ(target->Release(), 0u);  // unbinds itself, then lets the device go
  EXPECT_EQ(direct3D->Release(), 0u);
}

TEST_F(Direct3DDevice, OnlyVersion32IsAccepted) { EXPECT_EQ(Direct3DCreate9(31), nullptr); }

TEST(GraphicsDevice, CreateDeviceFillsThePresentParametersAndTheCamera) {
  ASSERT_TRUE(createOffscreenDevice()) << SDL_GetError();
  const D3DPRESENT_PARAMETERS& params = deviceState.presentParams;
  EXPECT_EQ(params.BackBufferWidth, 640u);
  EXPECT_EQ(params.BackBufferHeight, 480u);
  EXPECT_EQ(params.BackBufferFormat, D3DFMT_X8R8G8B8);
  EXPECT_EQ(params.SwapEffect, D3DSWAPEFFECT_DISCARD);
  EXPECT_EQ(params.Windowed, TRUE);
  EXPECT_EQ(params.EnableAutoDepthStencil, TRUE);
  EXPECT_EQ(params.AutoDepthStencilFormat, D3DFMT_D16);
  EXPECT_EQ(params.PresentationInterval, 0u);
  EXPECT_FALSE(deviceState.fullScreen);
  EXPECT_FLOAT_EQ(deviceState.fieldOfView, 0.7853982f);
  EXPECT_FLOAT_EQ(deviceState.aspectRatio, 1.3333334f);
  EXPECT_EQ(deviceState.nearPlane, 1.0f);
  EXPECT_EQ(deviceState.farPlane, 1000.0f);
  releaseOffscreenDevice();
}

TEST(GraphicsDevice, SetupSetsTheUnusualProjectionTheLightsAndTheFixedStates) {
  ASSERT_TRUE(createOffscreenDevice()) << SDL_GetError();
  IDirect3DDevice9* device = deviceState.device;
  D3DMATRIX projection;
  device->GetTransform(D3DTS_PROJECTION, &projection);
  EXPECT_EQ(std::memcmp(&projection, &deviceState.projection, sizeof projection), 0);
  EXPECT_NEAR(projection._11, 0.5522848, 1e-6) << "aspect × tan(fov / 2), not cot / aspect";
  EXPECT_NEAR(projection._22, 2.4142137, 1e-6);
  EXPECT_FLOAT_EQ(projection._33, 1000.0f / 999.0f);
  EXPECT_EQ(projection._34, 1.0f);
  EXPECT_FLOAT_EQ(projection._43, -1000.0f / 999.0f);
  EXPECT_EQ(projection._44, 0.0f);
  EXPECT_EQ(projection._12, 0.0f);

  const float directions[3][3] = {{1.0f, 0.0f, 1.0f}, {-1.0f, -0.5f, 0.0f}, {1.0f, 0.5f, -0.5f}};
  const int diffuseBytes[3][3] = {{173, 192, 188}, {106, 119, 125}, {79, 135, 145}};
  for (DWORD index = 0; index < 3; ++index) {
    D3DLIGHT9 light;
    ASSERT_EQ(device->GetLight(index, &light), D3D_OK);
    BOOL enabled = FALSE;
    device->GetLightEnable(index, &enabled);
    EXPECT_TRUE(enabled);
    EXPECT_EQ(light.Type, D3DLIGHT_DIRECTIONAL);
    EXPECT_EQ(light.Direction.x, directions[index][0]);
    EXPECT_EQ(light.Direction.y, directions[index][1]);
    EXPECT_EQ(light.Direction.z, directions[index][2]);
    EXPECT_EQ(std::lround(light.Diffuse.r * 255), diffuseBytes[index][0]);
    EXPECT_EQ(std::lround(light.Diffuse.g * 255), diffuseBytes[index][1]);
    EXPECT_EQ(std::lround(light.Diffuse.b * 255), diffuseBytes[index][2]);
    EXPECT_EQ(light.Diffuse.a, 0.0f);
    EXPECT_EQ(light.Specular.r, 0.0f);
    EXPECT_EQ(light.Range, 1000.0f);
  }
  EXPECT_EQ(renderState(device, D3DRS_AMBIENT), 0u);
  EXPECT_EQ(renderState(device, D3DRS_LIGHTING), DWORD(FALSE));
  EXPECT_EQ(renderState(device, D3DRS_CULLMODE), DWORD(D3DCULL_NONE));
  for (DWORD sampler = 0; sampler < 8; ++sampler) {
    EXPECT_EQ(samplerState(device, sampler, D3DSAMP_MINFILTER), DWORD(D3DTEXF_LINEAR));
    EXPECT_EQ(samplerState(device, sampler, D3DSAMP_MAGFILTER), DWORD(D3DTEXF_LINEAR));
    EXPECT_EQ(samplerState(device, sampler, D3DSAMP_MIPFILTER), DWORD(D3DTEXF_ANISOTROPIC));
    EXPECT_EQ(samplerState(device, sampler, D3DSAMP_MAXANISOTROPY), 1u);
  }
  releaseOffscreenDevice();
}

TEST(GraphicsDevice, FullScreenCoversTheDesktopAndResetReturnsToTheWindow) {
  ASSERT_EQ(createMainWindow(), 0) << "the program window";
  ASSERT_EQ(createDevice(true), 0) << SDL_GetError();
  EXPECT_TRUE(deviceState.fullScreen);
  EXPECT_EQ(deviceState.presentParams.Windowed, FALSE);
  EXPECT_EQ(deviceState.presentParams.hDeviceWindow, appWindow);
  EXPECT_TRUE(isWindowFullScreen(appWindow));
  setupCameraAndLights();
  IDirect3DDevice9* device = deviceState.device;
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFFFFFFFF, 1.0f, 0);
  EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);

  // Leaving full-screen as the program does: Reset windowed, then release and re-create.
  deviceState.presentParams.Windowed = TRUE;
  device->Reset(&deviceState.presentParams);
  EXPECT_FALSE(isWindowFullScreen(appWindow));
  releaseOffscreenDevice();
  ASSERT_EQ(createDevice(false), 0);
  EXPECT_FALSE(isWindowFullScreen(appWindow));
  EXPECT_EQ(deviceState.device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  releaseOffscreenDevice();
  DestroyWindow(appWindow);
}
