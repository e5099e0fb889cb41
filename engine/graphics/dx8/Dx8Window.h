#pragma once

// The window and system services the renderer calls, kept apart from the Direct3D
// declarations (the two platform headers each declare RECT).

#include <cstdint>

#include "platform/win32/Handles.h"

namespace dx8 {

// Styles and places the window: full screen is a borderless window at the origin of
// width x height (of the whole screen in wide-screen mode); windowed is a captioned
// window whose client area is width x height, centred on the desktop. Then shows it.
// Failures are logged and otherwise ignored.
void SetUpWindow(HWND window, uint32_t width, uint32_t height, bool fullscreen, bool wideScreen);
void ShowGameWindow(HWND window);
// Bits per pixel of the desktop's current mode (0 when unknown).
uint32_t DesktopBitsPerPixel();
// The lowest bit of the network system metric.
bool NetworkEnabled();
void ShowFatalMessage(const char* text, const char* caption);

}  // namespace dx8
