// Direct3DCreate9 and IDirect3D9: the entry to the OpenGL-backed Direct3D 9 subset.
// SDL's video subsystem is started by the window layer's ensureVideo, under the same rules
// as for windows, and stays open for the rest of the run.
#include <string>

#include "platform/d3d9.h"
#include "platform/d3d9_gl.h"
#include "platform/sdl_window.h"

IDirect3D9* Direct3DCreate9(UINT sdkVersion) {
  if (sdkVersion != D3D_SDK_VERSION) {
    refused("Direct3DCreate9", "not the SDK version of d3d9.h");
    return nullptr;
  }
  if (!ensureVideo()) {
    refused("Direct3DCreate9", "no video: the display cannot be opened");
    return nullptr;
  }
  return new GLDirect3D();
}

GLDirect3D::GLDirect3D() = default;

GLDirect3D::~GLDirect3D() = default;

HRESULT GLDirect3D::CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow,
                                 DWORD behaviorFlags, D3DPRESENT_PARAMETERS* parameters,
                                 IDirect3DDevice9** returnedDevice) {
  if (!returnedDevice) return refused("CreateDevice", "no place for the device");
  if (!parameters) return refused("CreateDevice", "no presentation parameters");
  *returnedDevice = nullptr;
  const DWORD vertexProcessing = D3DCREATE_HARDWARE_VERTEXPROCESSING |
                                 D3DCREATE_SOFTWARE_VERTEXPROCESSING |
                                 D3DCREATE_MIXED_VERTEXPROCESSING;
  if (adapter != D3DADAPTER_DEFAULT) return refused("CreateDevice", "only the default adapter");
  if (deviceType != D3DDEVTYPE_HAL) return refused("CreateDevice", "only the HAL device type");
  if ((behaviorFlags & vertexProcessing) == 0)
    return refused("CreateDevice", "no vertex processing flag");
  HWND window = parameters->hDeviceWindow ? parameters->hDeviceWindow : focusWindow;
  GLDevice* device = GLDevice::create(this, window, *parameters);
  if (!device) {
    const std::string reason = std::string("no OpenGL device: ") + SDL_GetError();
    return refused("CreateDevice", reason.c_str(), D3DERR_NOTAVAILABLE);
  }
  *returnedDevice = device;
  return D3D_OK;
}
