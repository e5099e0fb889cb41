// Message boxes: shown by SDL, or only logged where nobody could see them.

#include <SDL2/SDL.h>

#include "engine/core/Log.h"
#include "platform/win32/SdlVideo.h"
#include "platform/win32/Window.h"
#include "platform/win32/WinUser.h"

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  const char* title = caption ? caption : "";
  const char* message = text ? text : "";
  // A headless run (tests, recordings, CI) must never wait on a box that nobody sees.
  if (!plat::IsHeadless()) {
    Uint32 flags = SDL_MESSAGEBOX_INFORMATION;
    const UINT icon = type & 0xF0;
    if (icon == MB_ICONERROR) flags = SDL_MESSAGEBOX_ERROR;
    if (icon == MB_ICONWARNING) flags = SDL_MESSAGEBOX_WARNING;
    plat::Window* window = plat::Window::FromHandle(owner);
    if (SDL_ShowSimpleMessageBox(flags, title, message, window ? window->sdl : nullptr) == 0) {
      return IDOK;
    }
  }
  LOG_LINE(MSG_WARNING) << "Message box \"" << title << "\": " << message;
  return IDOK;
}
