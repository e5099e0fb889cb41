// The window half of the test support: the window layer's header and the Direct3D headers
// both declare RECT, so they stay in separate files.

#include "platform/win32/WinUser.h"
#include "tests/graphics/TestWindow.h"

namespace gfxtest {

namespace {

const char kClassName[] = "PellavoGraphicsTest";

}  // namespace

HWND CreateTestWindow(int width, int height) {
  static bool registered = false;
  if (!registered) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = kClassName;
    registered = RegisterClassExA(&windowClass) != 0;
  }
  return CreateWindowExA(0, kClassName, "graphics test", WS_POPUP | WS_CAPTION, CW_USEDEFAULT,
                         CW_USEDEFAULT, width, height, nullptr, nullptr, nullptr, nullptr);
}

void DestroyTestWindow(HWND window) { DestroyWindow(window); }

}  // namespace gfxtest
