// Releasing and re-creating the Direct3D objects when the display mode changes or the program
// ends. enterFullScreen and leaveFullScreen themselves are declared in app/window_proc.h.
#pragma once

// Releases the scene resources, the device and the Direct3D object, clearing each pointer.
void releaseDevice();
