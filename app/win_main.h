// The program's entry point and its main loop.
#pragma once

#include <windows.h>

// Start-up, main loop and shut-down. Returns 0 after a normal run, -1 when the window or the
// Direct3D device cannot be created. The arguments are ignored.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine,
                   int showCommand);

// Dispatches every waiting message; when none waits, sleeps 10 ms, measures the time since
// the previous frame and calls drawFrame with it (0 for the first frame). Returns the exit code
// of WM_QUIT when it is retrieved: 0 after a normal close, -1 when no device could be re-made.
int runMainLoop(void (*drawFrame)(float frameSeconds));
