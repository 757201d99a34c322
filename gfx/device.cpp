// The Direct3D object and device, the fixed camera and the three lights.
#include "gfx/device.h"

DeviceState deviceState;

int createDevice(bool) { return -1; }

void setupCameraAndLights() {}
