#pragma once

#include "platform/win32/Handles.h"

namespace gfxtest {

// A window of the window layer (SDL, OpenGL capable), hidden, with a captioned style.
HWND CreateTestWindow(int width, int height);
void DestroyTestWindow(HWND window);

}  // namespace gfxtest
