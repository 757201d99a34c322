// The Direct3D object and device, the fixed camera and the three lights.
#include "gfx/device.h"

#include <cmath>
#include <cstring>

#include "app/main_window.h"
#include "app/screen_layout.h"

DeviceState deviceState;

namespace {

constexpr float fieldOfView = 0.7853982f;  // π/4, radians, vertical
constexpr float aspectRatio = 1.3333334f;  // 4/3
constexpr float nearPlane = 1.0f;          // world units
constexpr float farPlane = 1000.0f;        // world units
constexpr int samplerCount = 8;            // every sampler of the device
constexpr float lightRange = 1000.0f;      // world units; unused by directional lights

struct LightSetting {
  D3DCOLORVALUE diffuse;  // alpha stays 0
  D3DVECTOR direction;    // unnormalised, the direction the light travels
};

constexpr LightSetting lightSettings[3] = {
    {{0.678431f, 0.752941f, 0.737255f, 0.0f}, {1.0f, 0.0f, 1.0f}},
    {{0.415686f, 0.466667f, 0.490196f, 0.0f}, {-1.0f, -0.5f, 0.0f}},
    {{0.309804f, 0.529412f, 0.568627f, 0.0f}, {1.0f, 0.5f, -0.5f}},
};

}  // namespace

int createDevice(bool fullScreen) {
  deviceState.direct3D = Direct3DCreate9(D3D_SDK_VERSION);
  if (!deviceState.direct3D) return -1;
  deviceState.fullScreen = fullScreen;

  D3DPRESENT_PARAMETERS& params = deviceState.presentParams;
  std::memset(&params, 0, sizeof params);
  params.BackBufferWidth = clientWidth;
  params.BackBufferHeight = clientHeight;
  params.BackBufferFormat = D3DFMT_X8R8G8B8;
  params.BackBufferCount = 0;
  params.MultiSampleType = D3DMULTISAMPLE_NONE;
  params.MultiSampleQuality = 0;
  params.SwapEffect = D3DSWAPEFFECT_DISCARD;
  params.hDeviceWindow = appWindow;
  params.Windowed = fullScreen ? FALSE : TRUE;
  params.EnableAutoDepthStencil = TRUE;
  params.AutoDepthStencilFormat = D3DFMT_D16;
  params.Flags = 0;
  params.FullScreen_RefreshRateInHz = 0;
  params.PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;

  HRESULT result = deviceState.direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, appWindow,
                                                      D3DCREATE_HARDWARE_VERTEXPROCESSING, &params,
                                                      &deviceState.device);
  if (FAILED(result))
    result = deviceState.direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, appWindow,
                                                D3DCREATE_SOFTWARE_VERTEXPROCESSING, &params,
                                                &deviceState.device);
  if (FAILED(result)) return -1;

  deviceState.fieldOfView = fieldOfView;
  deviceState.farPlane = farPlane;
  deviceState.nearPlane = nearPlane;
  deviceState.aspectRatio = aspectRatio;
  return 0;
}

void setupCameraAndLights() {
  IDirect3DDevice9* device = deviceState.device;

  // The aspect ratio multiplies the tangent here (m00 ≈ 0.5523, not cot(fov/2) / aspect):
  // every world position of the presentation is laid out for this projection.
  const double tangent = std::tan(double(deviceState.fieldOfView) * 0.5);
  const float depthRange = deviceState.farPlane - deviceState.nearPlane;
  D3DMATRIX& projection = deviceState.projection;
  std::memset(&projection, 0, sizeof projection);
  projection._11 = float(double(deviceState.aspectRatio) * tangent);
  projection._22 = float(1.0 / tangent);
  projection._33 = deviceState.farPlane / depthRange;
  projection._34 = 1.0f;
  projection._43 = -(deviceState.nearPlane * deviceState.farPlane) / depthRange;
  device->SetTransform(D3DTS_PROJECTION, &projection);

  for (DWORD index = 0; index < 3; ++index) {
    D3DLIGHT9 light;
    std::memset(&light, 0, sizeof light);
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = lightSettings[index].diffuse;
    light.Direction = lightSettings[index].direction;
    light.Range = lightRange;
    device->SetLight(index, &light);
    device->LightEnable(index, TRUE);
  }

  device->SetRenderState(D3DRS_AMBIENT, 0);
  device->SetRenderState(D3DRS_LIGHTING, FALSE);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);

  for (DWORD sampler = 0; sampler < samplerCount; ++sampler) {
    device->SetSamplerState(sampler, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(sampler, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(sampler, D3DSAMP_MIPFILTER, D3DTEXF_ANISOTROPIC);
    device->SetSamplerState(sampler, D3DSAMP_MAXANISOTROPY, 1);
  }
}

void setTexturedLayerStates(IDirect3DDevice9* device, D3DCULL cull, BOOL blend, D3DBLEND source,
                            D3DBLEND destination) {
  device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
  device->SetRenderState(D3DRS_CULLMODE, cull);
  device->SetRenderState(D3DRS_ZENABLE, FALSE);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, blend);
  device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  device->SetRenderState(D3DRS_SRCBLEND, source);
  device->SetRenderState(D3DRS_DESTBLEND, destination);
}

bool windowMinimised() { return IsIconic(deviceState.presentParams.hDeviceWindow) != FALSE; }
