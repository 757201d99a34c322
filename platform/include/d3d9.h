// <d3d9.h> of the Linux build: the Direct3D 9 subset of platform/d3d9.h, so the program includes
// the header it would include on Windows.
#pragma once

#include "platform/d3d9.h"
