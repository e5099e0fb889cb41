// The arrow cursor, cursor visibility, the system icons and cursors loaded from files.

#include <SDL2/SDL.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <vector>

#include "engine/core/Log.h"
#include "platform/win32/CursorFile.h"
#include "platform/win32/KernelApi.h"
#include "platform/win32/SdlVideo.h"
#include "platform/win32/Time.h"
#include "platform/win32/WinUser.h"

// A cursor or icon: an SDL cursor (made when video is up). A cursor loaded from a file
// keeps its frames and makes one SDL cursor per frame the first time it is shown.
struct HICON__ {
  SDL_Cursor* sdl = nullptr;
  bool fromFile = false;
  plat::CursorAnimation animation;
  std::vector<SDL_Cursor*> frameCursors;
  uint32_t startMs = 0;  // when it was last made current
  int shownFrame = -1;
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

// The SDL cursor of one frame of a cursor loaded from a file, made on first use.
SDL_Cursor* FrameCursor(HCURSOR cursor, uint32_t frameIndex) {
  if (cursor->frameCursors.size() != cursor->animation.frames.size()) {
    cursor->frameCursors.assign(cursor->animation.frames.size(), nullptr);
  }
  SDL_Cursor*& made = cursor->frameCursors[frameIndex];
  if (made) return made;
  plat::CursorFrame& frame = cursor->animation.frames[frameIndex];
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
      frame.rgba.data(), static_cast<int>(frame.width), static_cast<int>(frame.height), 32,
      static_cast<int>(frame.width * 4), SDL_PIXELFORMAT_RGBA32);
  if (!surface) return nullptr;
  made = SDL_CreateColorCursor(surface, static_cast<int>(frame.hotX), static_cast<int>(frame.hotY));
  SDL_FreeSurface(surface);
  return made;
}

// The frame of the animation's step at this moment, shown when video runs.
void StepFileCursor(HCURSOR cursor) {
  const size_t step = cursor->animation.StepAt(timeGetTime() - cursor->startMs);
  const uint32_t frame = cursor->animation.steps[step].frame;
  const bool sameFrame = static_cast<int>(frame) == cursor->shownFrame;
  cursor->shownFrame = static_cast<int>(frame);
  if (!plat::VideoReady()) return;
  if (sameFrame && SDL_GetCursor() == FrameCursor(cursor, frame)) return;
  if (SDL_Cursor* sdlCursor = FrameCursor(cursor, frame)) SDL_SetCursor(sdlCursor);
}

std::vector<uint8_t> ReadWholeFile(const char* path, bool* tooLarge) {
  std::ifstream file(path, std::ios::binary);
  std::vector<uint8_t> bytes;
  *tooLarge = false;
  if (!file) return bytes;
  file.seekg(0, std::ios::end);
  const std::streamoff length = file.tellg();
  if (length < 0) return bytes;
  if (static_cast<uint64_t>(length) > plat::kMaxCursorFileBytes) {
    *tooLarge = true;
    return bytes;
  }
  file.seekg(0, std::ios::beg);
  bytes.resize(static_cast<size_t>(length));
  file.read(reinterpret_cast<char*>(bytes.data()), length);
  if (file.gcount() != length) bytes.clear();
  return bytes;
}

}  // namespace

HANDLE LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int width, int height, UINT flags) {
  if (type != IMAGE_CURSOR || !(flags & LR_LOADFROMFILE) || !name || IS_INTRESOURCE(name)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  bool tooLarge = false;
  const std::vector<uint8_t> bytes = ReadWholeFile(name, &tooLarge);
  plat::CursorAnimation animation;
  std::string reason;
  if (bytes.empty() && !tooLarge) {
    reason = "file missing or unreadable";
  } else if (tooLarge) {
    reason = "file too large";
  } else {
    plat::ReadCursorFile(bytes.data(), bytes.size(), &animation, &reason);
  }
  if (animation.frames.empty()) {
    LOG_LINE(MSG_ERROR) << "Unable to load cursor " << name << ": " << reason;
    SetLastError(bytes.empty() && !tooLarge ? ERROR_FILE_NOT_FOUND : ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  HCURSOR handle = new HICON__;
  handle->fromFile = true;
  handle->animation = std::move(animation);
  State().made.push_back(handle);
  return handle;
}

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
  if (cursor && cursor->fromFile) {
    // A cursor made current again starts its animation from the first step.
    if (cursor != previous) {
      cursor->startMs = timeGetTime();
      cursor->shownFrame = -1;
    }
    StepFileCursor(cursor);
  } else if (cursor && plat::VideoReady()) {
    SDL_Cursor* sdlCursor = cursor == &state.arrow ? ArrowCursor() : cursor->sdl;
    if (sdlCursor) SDL_SetCursor(sdlCursor);
  }
  return previous;
}

HCURSOR GetCursor() { return State().current; }

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
  for (SDL_Cursor* frame : cursor->frameCursors) {
    if (frame) SDL_FreeCursor(frame);
  }
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

const CursorAnimation* CursorAnimationOf(HCURSOR cursor) {
  const std::vector<HCURSOR>& made = State().made;
  if (!cursor || std::find(made.begin(), made.end(), cursor) == made.end() || !cursor->fromFile) {
    return nullptr;
  }
  return &cursor->animation;
}

int CursorShownFrame(HCURSOR cursor) {
  return CursorAnimationOf(cursor) ? cursor->shownFrame : -1;
}

}  // namespace plat
