// For tests: the window style as createMainWindow left it.
#pragma once

#include <windows.h>

// 0 before creation, WS_OVERLAPPEDWINDOW while creating, 0x000B0000 after.
extern DWORD windowStyle;
