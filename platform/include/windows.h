// <windows.h> of the Linux build: the Win32 subset of platform/win32.h, so the program includes
// the header it would include on Windows.
#pragma once

#include "platform/win32.h"
