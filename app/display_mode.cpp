// Display-mode switches: the Direct3D object, the device and every scene resource are made
// again from nothing in the other mode. When the wanted mode cannot be had, the other mode is
// tried; when neither works the program ends with status -1 rather than draw without a device.
#include "app/display_mode.h"

#include "app/main_window.h"
#include "gfx/device.h"
#include "gfx/scene_resources.h"
#include "support/stderr_line.h"

namespace {

// Makes the device in the wanted mode, else in the other one, then the camera and the scene.
void recreateDevice(bool fullScreen) {
  if (createDevice(fullScreen) != 0) {
    releaseDevice();
    if (createDevice(!fullScreen) != 0) {
      releaseDevice();
      stderrLine("cannot re-create the Direct3D device after a display-mode switch; ending");
      DestroyWindow(appWindow);
      PostQuitMessage(-1);
      return;
    }
  }
  setupCameraAndLights();
  createSceneResources();
}

}  // namespace

void releaseDevice() {
  if (deviceState.device) releaseSceneResources();
  if (deviceState.device) deviceState.device->Release();
  deviceState.device = nullptr;
  if (deviceState.direct3D) deviceState.direct3D->Release();
  deviceState.direct3D = nullptr;
}

void enterFullScreen() {
  releaseDevice();
  recreateDevice(true);
}

void leaveFullScreen() {
  deviceState.presentParams.Windowed = TRUE;
  if (deviceState.device) deviceState.device->Reset(&deviceState.presentParams);
  releaseDevice();
  recreateDevice(false);
}
