#pragma once

// The DirectX error-text library: the symbolic name of a result code, for log lines.

#include "platform/d3d8/ComTypes.h"

// The name of a Direct3D, D3DX, DirectInput or common COM result ("D3DERR_DEVICELOST",
// "E_OUTOFMEMORY", ...); "Unknown" for a code it does not know. Never null.
const char* DXGetErrorString8A(HRESULT hr);
const char* DXGetErrorString8(HRESULT hr);
