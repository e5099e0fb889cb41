// The clipboard: SDL's system clipboard (UTF-8) behind Win32's text formats.

#include <SDL2/SDL.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/core/StringUtil.h"
#include "platform/win32/KernelApi.h"
#include "platform/win32/SdlVideo.h"
#include "platform/win32/WinUser.h"

namespace {

struct ClipboardState {
  bool open = false;
  std::vector<HGLOBAL> handedOut;  // blocks given by GetClipboardData, freed on close
};

ClipboardState& State() {
  static ClipboardState state;
  return state;
}

// Whether the clipboard is open; sets the error of a call made while it is not.
bool CheckOpen(const ClipboardState& state) {
  if (!state.open) SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
  return state.open;
}

bool IsTextFormat(UINT format) {
  return format == CF_TEXT || format == CF_OEMTEXT || format == CF_UNICODETEXT;
}

void FreeHandedOut(ClipboardState& state) {
  for (HGLOBAL block : state.handedOut) GlobalFree(block);
  state.handedOut.clear();
}

HGLOBAL BlockOf(const void* bytes, size_t size) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
  void* data = GlobalLock(block);
  std::memcpy(data, bytes, size);
  GlobalUnlock(block);
  return block;
}

}  // namespace

BOOL OpenClipboard(HWND owner) {
  ClipboardState& state = State();
  if (state.open || !plat::EnsureVideo()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  state.open = true;
  return TRUE;
}

BOOL CloseClipboard() {
  ClipboardState& state = State();
  if (!CheckOpen(state)) return FALSE;
  state.open = false;
  FreeHandedOut(state);
  return TRUE;
}

BOOL EmptyClipboard() {
  ClipboardState& state = State();
  if (!CheckOpen(state)) return FALSE;
  FreeHandedOut(state);
  SDL_SetClipboardText("");
  return TRUE;
}

BOOL IsClipboardFormatAvailable(UINT format) {
  return IsTextFormat(format) && plat::VideoReady() && SDL_HasClipboardText() ? TRUE : FALSE;
}

HANDLE GetClipboardData(UINT format) {
  ClipboardState& state = State();
  if (!CheckOpen(state)) return nullptr;
  if (!IsTextFormat(format) || !SDL_HasClipboardText()) return nullptr;
  char* raw = SDL_GetClipboardText();
  const std::string text = raw ? raw : "";
  SDL_free(raw);
  HGLOBAL block;
  if (format == CF_UNICODETEXT) {
    const WString wide = ToWide(text);
    block = BlockOf(wide.c_str(), (wide.size() + 1) * sizeof(char16_t));
  } else {
    block = BlockOf(text.c_str(), text.size() + 1);
  }
  state.handedOut.push_back(block);
  return block;
}

HANDLE SetClipboardData(UINT format, HANDLE data) {
  ClipboardState& state = State();
  if (!CheckOpen(state)) return nullptr;
  if (!IsTextFormat(format) || !data) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const size_t size = GlobalSize(data);
  const void* bytes = GlobalLock(data);
  if (!bytes) return nullptr;
  std::string text;
  if (format == CF_UNICODETEXT) {
    // Up to the terminator, never past the block.
    const char16_t* units = static_cast<const char16_t*>(bytes);
    size_t length = 0;
    while (length < size / 2 && units[length] != 0) ++length;
    text = ToNarrow(std::u16string_view(units, length));
  } else {
    const char* chars = static_cast<const char*>(bytes);
    text.assign(chars, strnlen(chars, size));
  }
  GlobalUnlock(data);
  const bool stored = SDL_SetClipboardText(text.c_str()) == 0;
  if (!stored) plat::SetLastErrorFromSdl();
  // The clipboard owns the block from here on.
  GlobalFree(data);
  return stored ? data : nullptr;
}
