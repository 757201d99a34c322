// Direct3DCreate9 and IDirect3D9: the entry to the OpenGL-backed Direct3D 9 subset.
// SDL's video subsystem is started by the window layer's ensureVideo, under the same rules
// as for windows, and stays open for the rest of the run.
#include "platform/d3d9.h"
#include "platform/d3d9_gl.h"
#include "platform/sdl_window.h"

IDirect3D9* Direct3DCreate9(UINT sdkVersion) {
  if (sdkVersion != D3D_SDK_VERSION) return nullptr;
  if (!ensureVideo()) return nullptr;
  return new GLDirect3D();
}

GLDirect3D::GLDirect3D() = default;

GLDirect3D::~GLDirect3D() = default;

HRESULT GLDirect3D::CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow,
                                 DWORD behaviorFlags, D3DPRESENT_PARAMETERS* parameters,
                                 IDirect3DDevice9** returnedDevice) {
  if (!returnedDevice || !parameters) return D3DERR_INVALIDCALL;
  *returnedDevice = nullptr;
  const DWORD vertexProcessing = D3DCREATE_HARDWARE_VERTEXPROCESSING |
                                 D3DCREATE_SOFTWARE_VERTEXPROCESSING |
                                 D3DCREATE_MIXED_VERTEXPROCESSING;
  if (adapter != D3DADAPTER_DEFAULT || deviceType != D3DDEVTYPE_HAL) return D3DERR_INVALIDCALL;
  if ((behaviorFlags & vertexProcessing) == 0) return D3DERR_INVALIDCALL;
  HWND window = parameters->hDeviceWindow ? parameters->hDeviceWindow : focusWindow;
  GLDevice* device = GLDevice::create(this, window, *parameters);
  if (!device) return D3DERR_NOTAVAILABLE;
  *returnedDevice = device;
  return D3D_OK;
}
