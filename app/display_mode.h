// Releasing and re-creating the Direct3D objects when the display mode changes or the program
// ends.
#pragma once

// Re-create the Direct3D object, device and scene resources in full-screen / windowed mode.
void enterFullScreen();
void leaveFullScreen();

// Releases the scene resources, the device and the Direct3D object, clearing each pointer.
void releaseDevice();
