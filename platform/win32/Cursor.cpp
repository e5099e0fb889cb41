// The arrow cursor, cursor visibility and the system icons.

#include <SDL2/SDL.h>

#include <algorithm>
#include <vector>

#include "platform/win32/KernelApi.h"
#include "platform/win32/SdlVideo.h"
#include "platform/win32/WinUser.h"

// A cursor or icon: an SDL cursor (made when video is up).
struct HICON__ {
  SDL_Cursor* sdl = nullptr;
};

namespace {

struct CursorState {
  // The shared system handles, never freed.
  HICON__ arrow;
  HICON__ applicationIcon;
  HICON__ logoIcon;
  HCURSOR current = nullptr;
  bool shown = true;
  std::vector<HCURSOR> made;  // handles of MakeCursorHandle, still live
};

CursorState& State() {
  static CursorState state;
  return state;
}

// The system arrow, made on first use once video runs (the offscreen driver has none;
// SDL's own default cursor then stays).
SDL_Cursor* ArrowCursor() {
  CursorState& state = State();
  if (!state.arrow.sdl && plat::VideoReady()) {
    state.arrow.sdl = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW);
  }
  return state.arrow.sdl;
}

}  // namespace

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) {
  if (!IS_INTRESOURCE(name) || reinterpret_cast<uintptr_t>(name) != IDC_ARROW_ID) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return nullptr;
  }
  ArrowCursor();
  return &State().arrow;
}

HICON LoadIconA(HINSTANCE instance, LPCSTR name) {
  if (IS_INTRESOURCE(name)) {
    const uintptr_t id = reinterpret_cast<uintptr_t>(name);
    if (id == IDI_APPLICATION_ID) return &State().applicationIcon;
    if (id == IDI_WINLOGO_ID) return &State().logoIcon;
  }
  SetLastError(ERROR_FILE_NOT_FOUND);
  return nullptr;
}

HCURSOR SetCursor(HCURSOR cursor) {
  CursorState& state = State();
  const HCURSOR previous = state.current;
  state.current = cursor;
  if (cursor && plat::VideoReady()) {
    SDL_Cursor* sdlCursor = cursor == &state.arrow ? ArrowCursor() : cursor->sdl;
    if (sdlCursor) SDL_SetCursor(sdlCursor);
  }
  return previous;
}

BOOL DestroyCursor(HCURSOR cursor) {
  if (!cursor) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  CursorState& state = State();
  if (cursor == &state.arrow || cursor == &state.applicationIcon || cursor == &state.logoIcon) {
    return TRUE;  // shared: never freed
  }
  auto found = std::find(state.made.begin(), state.made.end(), cursor);
  if (found == state.made.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  state.made.erase(found);
  if (state.current == cursor) state.current = nullptr;
  // SDL goes back to its default cursor when the current one is freed.
  if (cursor->sdl) SDL_FreeCursor(cursor->sdl);
  delete cursor;
  return TRUE;
}

int ShowCursor(BOOL show) {
  CursorState& state = State();
  state.shown = show != FALSE;
  // Absolute, where Win32 keeps a counter: the engine shows or hides on every cursor
  // move, and a counter would drift.
  if (plat::VideoReady()) SDL_ShowCursor(state.shown ? SDL_ENABLE : SDL_DISABLE);
  return state.shown ? 0 : -1;
}

namespace plat {

HCURSOR MakeCursorHandle(SDL_Cursor* cursor) {
  if (!cursor) return nullptr;
  HCURSOR handle = new HICON__;
  handle->sdl = cursor;
  State().made.push_back(handle);
  return handle;
}

bool IsCursorShown() { return State().shown; }

}  // namespace plat
