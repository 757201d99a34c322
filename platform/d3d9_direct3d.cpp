// Direct3DCreate9 and IDirect3D9: the entry to the OpenGL-backed Direct3D 9 subset.
#include "platform/d3d9.h"

IDirect3D9* Direct3DCreate9(UINT) { return nullptr; }
