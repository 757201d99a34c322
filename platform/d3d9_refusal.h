// Platform-internal: why the Direct3D layer refused a call. With ZOLTA_D3D_DEBUG set in the
// environment, the first refusal of each kind prints one stderr line,
// "zolta: d3d9: CALL: REASON"; the same call refused for the same reason again prints nothing,
// and without the variable nothing is printed at all. Direct3D runs on the main thread only.
#pragma once

#include "platform/d3d9.h"

// Reports the refusal and returns result, so that a refusal reads
// `return refused("DrawPrimitive", "no vertex buffer bound");`.
HRESULT refused(const char* call, const char* reason, HRESULT result = D3DERR_INVALIDCALL);
