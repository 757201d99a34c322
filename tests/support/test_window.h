// A window of the platform layer for tests that watch the messages a window procedure receives.
#pragma once

#include "platform/win32.h"

// Creates a width × height window, titled className, whose messages go to procedure; its class
// is registered the first time the name is asked for and kept for the rest of the test process.
// nullptr (and a test failure when the class cannot be registered) when no window can be made.
HWND createTestWindow(const char* className, WNDPROC procedure, int width, int height);
