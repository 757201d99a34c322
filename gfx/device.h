// The Direct3D object and device the program draws with, the fixed camera and the three lights.
#pragma once

#include <d3d9.h>

struct DeviceState {
  IDirect3D9* direct3D;                 // null when none exists
  IDirect3DDevice9* device;             // null when none exists
  D3DPRESENT_PARAMETERS presentParams;  // of the last CreateDevice; kept for Reset
  bool fullScreen;                      // true while the device is full-screen
  float fieldOfView;                    // vertical field of view, radians (π/4)
  float aspectRatio;                    // 4/3
  float nearPlane;                      // world units
  float farPlane;                       // world units
  D3DMATRIX projection;                 // built by setupCameraAndLights
};

extern DeviceState deviceState;

// Creates deviceState.direct3D and deviceState.device for appWindow, windowed (640 × 480) or
// full-screen, and stores the camera values. Returns 0, or -1 when no device can be made.
int createDevice(bool fullScreen);

// True while the device's window is minimised: nothing drawn is seen, so work done only to be
// drawn can wait for the window to show again.
bool windowMinimised();

// Sets the projection, the three directional lights and the fixed render and sampler states
// on the current device. Runs after every successful createDevice.
void setupCameraAndLights();

// The states of a textured layer laid over the picture: solid fill, `cull`, no depth test,
// alpha taken from the texture, and blending `source` / `destination` when `blend` is TRUE.
void setTexturedLayerStates(IDirect3DDevice9* device, D3DCULL cull, BOOL blend, D3DBLEND source,
                            D3DBLEND destination);
