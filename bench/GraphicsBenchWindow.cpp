// The benchmark's window, made through the window layer (kept apart from the Direct3D
// declarations, which declare RECT too).

#include "platform/win32/WinUser.h"

HWND CreateBenchWindow(int width, int height) {
  static bool registered = false;
  if (!registered) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = "PellavoGraphicsBench";
    registered = RegisterClassExA(&windowClass) != 0;
  }
  return CreateWindowExA(0, "PellavoGraphicsBench", "bench", WS_POPUP | WS_CAPTION, CW_USEDEFAULT,
                         CW_USEDEFAULT, width, height, nullptr, nullptr, nullptr, nullptr);
}

void DestroyBenchWindow(HWND window) { DestroyWindow(window); }
