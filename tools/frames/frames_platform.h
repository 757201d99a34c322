// What zolta-frames needs of the build's platform (tools/frames/linux/, tools/frames/windows/):
// the run on the virtual clock with an observer of every presented frame, and the PNG file.
#pragma once

#include <string>

struct IDirect3DDevice9;

// Called at the start of every Present, while the finished picture is still in the back buffer
// (render target 0).
using FrameObserver = void (*)(IDirect3DDevice9* device);

// Prepares the program's run before WinMain: time from a virtual clock that starts at one
// second and moves only by the main thread's Sleep (so every frame lasts the main loop's
// 10 ms), and observer called for every frame presented. On Linux the window is unseen; on
// Windows it is the real window over the real Direct3D 9.
void prepareVirtualRun(FrameObserver observer);

// Writes a width × height picture of X8R8G8B8 rows (memory order blue, green, red, unused),
// `pitch` bytes apart, as an opaque PNG file; false when the file cannot be written.
bool writePng(const std::string& path, const unsigned char* rows, int pitch, int width, int height);
