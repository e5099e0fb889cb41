// System metrics and display modes. The desktop mode is only read, never changed.

#include <SDL2/SDL.h>

#include "platform/win32/KernelApi.h"
#include "platform/win32/SdlVideo.h"
#include "platform/win32/WinUser.h"

namespace {

// A colour mode stored in four bytes counts as 32 bits (as Windows reports it).
DWORD BitsOf(const SDL_DisplayMode& mode) {
  const int bytes = SDL_BYTESPERPIXEL(mode.format);
  return bytes > 0 ? static_cast<DWORD>(bytes * 8) : static_cast<DWORD>(SDL_BITSPERPIXEL(mode.format));
}

void Fill(DEVMODEA& out, const SDL_DisplayMode& mode) {
  out.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;
  out.dmBitsPerPel = BitsOf(mode);
  out.dmPelsWidth = static_cast<DWORD>(mode.w);
  out.dmPelsHeight = static_cast<DWORD>(mode.h);
  out.dmDisplayFrequency = static_cast<DWORD>(mode.refresh_rate);
}

}  // namespace

int GetSystemMetrics(int index) {
  switch (index) {
    case SM_CXSCREEN:
    case SM_CYSCREEN: {
      SDL_DisplayMode mode;
      if (!plat::EnsureVideo() || SDL_GetDesktopDisplayMode(0, &mode) != 0) return 0;
      return index == SM_CXSCREEN ? mode.w : mode.h;
    }
    case SM_CYCAPTION:
    case SM_CXBORDER:
    case SM_CYBORDER:
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
      // SDL sizes the client area; the frame around it is the window manager's.
      return 0;
    case SM_NETWORK:
      return 1;
    case SM_CMONITORS:
      return plat::EnsureVideo() ? SDL_GetNumVideoDisplays() : 0;
    default:
      return 0;
  }
}

BOOL EnumDisplaySettingsA(LPCSTR deviceName, DWORD modeNumber, DEVMODEA* mode) {
  if (!mode) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!plat::EnsureVideo()) return FALSE;
  SDL_DisplayMode found;
  int result;
  if (modeNumber == ENUM_CURRENT_SETTINGS || modeNumber == ENUM_REGISTRY_SETTINGS) {
    result = SDL_GetDesktopDisplayMode(0, &found);
  } else {
    result = SDL_GetDisplayMode(0, static_cast<int>(modeNumber), &found);
  }
  if (result != 0) {
    plat::SetLastErrorFromSdl();
    return FALSE;
  }
  Fill(*mode, found);
  return TRUE;
}

LONG ChangeDisplaySettingsA(DEVMODEA* mode, DWORD flags) {
  // Full screen is a desktop-sized window whose back buffer is letterboxed, so the
  // desktop keeps its mode whatever is asked.
  return DISP_CHANGE_SUCCESSFUL;
}
