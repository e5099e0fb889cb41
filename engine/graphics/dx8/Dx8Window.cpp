#include "engine/graphics/dx8/Dx8Window.h"

#include "engine/core/Log.h"
#include "platform/win32/KernelApi.h"
#include "platform/win32/WinUser.h"

namespace dx8 {

namespace {

constexpr DWORD kWindowedStyle = 0x82CA0000u;    // popup, clip children, caption, menu, minimise
constexpr DWORD kWindowedExStyle = 0x00040110u;  // application window, edge, accepts files

// SetWindowLongA returns the previous value, which may be 0: the last error tells.
bool SetLong(HWND window, int index, DWORD value) {
  SetLastError(ERROR_SUCCESS);
  const LONG previous = SetWindowLongA(window, index, static_cast<LONG>(value));
  return previous != 0 || GetLastError() == ERROR_SUCCESS;
}

}  // namespace

void SetUpWindow(HWND window, uint32_t width, uint32_t height, bool fullscreen, bool wideScreen) {
  int x = 0, y = 0;
  int windowWidth = static_cast<int>(width);
  int windowHeight = static_cast<int>(height);
  DWORD style, exStyle;
  UINT flags;
  if (fullscreen) {
    LOG_LINE(MSG_COMMENT) << "Setting up fullscreen parameters";
    if (wideScreen) {
      windowWidth = GetSystemMetrics(SM_CXSCREEN);
      windowHeight = GetSystemMetrics(SM_CYSCREEN);
    }
    style = WS_POPUP;
    exStyle = WS_EX_APPWINDOW;
    flags = SWP_FRAMECHANGED;
  } else {
    LOG_LINE(MSG_COMMENT) << "Setting up windowed parameters";
    windowWidth += 2 * (GetSystemMetrics(SM_CXBORDER) + GetSystemMetrics(SM_CXDLGFRAME));
    windowHeight += GetSystemMetrics(SM_CYCAPTION) +
                    2 * (GetSystemMetrics(SM_CYBORDER) + GetSystemMetrics(SM_CYDLGFRAME));
    style = kWindowedStyle;
    exStyle = kWindowedExStyle;
    flags = SWP_FRAMECHANGED | SWP_NOCOPYBITS;
    DEVMODEA desktop{};
    desktop.dmSize = sizeof desktop;
    if (EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &desktop)) {
      x = (static_cast<int>(desktop.dmPelsWidth) - windowWidth) / 2;
      y = (static_cast<int>(desktop.dmPelsHeight) - windowHeight) / 2;
    }
  }
  if (!SetLong(window, GWL_STYLE, style)) {
    LOG_LINE(MSG_ERROR) << "Unable to setup draw style : !" << GetLastError();
  }
  if (!SetLong(window, GWL_EXSTYLE, exStyle)) {
    LOG_LINE(MSG_ERROR) << "Unable to setup drawex style : !" << GetLastError();
  }
  if (!SetWindowPos(window, HWND_TOP, x, y, windowWidth, windowHeight, flags)) {
    LOG_LINE(MSG_ERROR) << "Unable to setup window position :" << GetLastError();
  }
  ShowWindow(window, SW_SHOW);
}

void ShowGameWindow(HWND window) { ShowWindow(window, SW_SHOW); }

uint32_t DesktopBitsPerPixel() {
  DEVMODEA desktop{};
  desktop.dmSize = sizeof desktop;
  if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &desktop)) return 0;
  return desktop.dmBitsPerPel;
}

bool NetworkEnabled() { return (GetSystemMetrics(SM_NETWORK) & 1) != 0; }

void ShowFatalMessage(const char* text, const char* caption) {
  MessageBoxA(nullptr, text, caption, MB_OK | MB_ICONERROR);
}

}  // namespace dx8
