// Turning scan codes into characters: a US layout, with the letters of the system's
// keymap when SDL knows it.

#include <SDL2/SDL.h>

#include <cstring>

#include "platform/win32/MessageQueue.h"
#include "platform/win32/ScanCodes.h"
#include "platform/win32/SdlVideo.h"
#include "platform/win32/WinUser.h"

namespace {

// Scan codes arrive as DirectInput codes (0xC8) or with the E0 prefix (0xE048).
uint8_t NormalisedScanCode(UINT code) {
  if ((code & 0xFF00) == 0xE000) return static_cast<uint8_t>(0x80 | (code & 0x7F));
  return static_cast<uint8_t>(code & 0xFF);
}

uint8_t VirtualKeyOf(uint8_t scanCode, bool sided) {
  const plat::MessageQueue& queue = plat::MessageQueue::Instance();
  const uint8_t usKey = plat::VirtualKeyFromScanCode(scanCode, sided, queue.NumLockOn());
  // On another layout the letters sit elsewhere (AZERTY, QWERTZ): SDL's keymap says
  // which letter a key carries.
  if (usKey && plat::VideoReady()) {
    const SDL_Keycode key = SDL_GetKeyFromScancode(static_cast<SDL_Scancode>(plat::SdlFromScanCode(scanCode)));
    if (key >= 'a' && key <= 'z') return static_cast<uint8_t>(key - 'a' + 'A');
  }
  return usKey;
}

}  // namespace

HKL GetKeyboardLayout(DWORD threadId) {
  // One layout for the process: US English's identifier.
  return reinterpret_cast<HKL>(static_cast<uintptr_t>(0x04090409));
}

BOOL GetKeyboardState(BYTE* keyState) {
  if (!keyState) return FALSE;
  std::memset(keyState, 0, 256);
  const plat::MessageQueue& queue = plat::MessageQueue::Instance();
  for (int scanCode = 1; scanCode < 256; ++scanCode) {
    if (!queue.IsKeyDown(static_cast<uint8_t>(scanCode))) continue;
    const uint8_t sided = VirtualKeyOf(static_cast<uint8_t>(scanCode), true);
    const uint8_t plain = VirtualKeyOf(static_cast<uint8_t>(scanCode), false);
    if (sided) keyState[sided] |= 0x80;
    if (plain) keyState[plain] |= 0x80;
  }
  if (queue.CapsLockOn()) keyState[VK_CAPITAL] |= 0x01;
  if (queue.NumLockOn()) keyState[VK_NUMLOCK] |= 0x01;
  if (queue.ScrollLockOn()) keyState[VK_SCROLL] |= 0x01;
  return TRUE;
}

UINT MapVirtualKeyExA(UINT code, UINT mapType, HKL layout) {
  switch (mapType) {
    case MAPVK_VK_TO_VSC:
      return code < 256 ? plat::ScanCodeFromVirtualKey(static_cast<uint8_t>(code)) : 0;
    case MAPVK_VSC_TO_VK:
      return VirtualKeyOf(NormalisedScanCode(code), false);
    case MAPVK_VK_TO_CHAR:
      if (code >= 'A' && code <= 'Z') return code;
      return code < 256 ? static_cast<unsigned char>(plat::CharFromVirtualKey(
                              static_cast<uint8_t>(code), false, false, false, false))
                        : 0;
    case MAPVK_VSC_TO_VK_EX:
      return VirtualKeyOf(NormalisedScanCode(code), true);
    default:
      return 0;
  }
}

int ToAsciiEx(UINT virtualKey, UINT scanCode, const BYTE* keyState, WORD* chars, UINT flags,
              HKL layout) {
  if (!keyState || !chars || virtualKey >= 256) return 0;
  const bool shift = (keyState[VK_SHIFT] | keyState[VK_LSHIFT] | keyState[VK_RSHIFT]) & 0x80;
  const bool control = (keyState[VK_CONTROL] | keyState[VK_LCONTROL] | keyState[VK_RCONTROL]) & 0x80;
  const bool alt = (keyState[VK_MENU] | keyState[VK_LMENU] | keyState[VK_RMENU]) & 0x80;
  const bool capsLock = keyState[VK_CAPITAL] & 0x01;
  const char c = plat::CharFromVirtualKey(static_cast<uint8_t>(virtualKey), shift, capsLock,
                                          control, alt);
  if (!c) return 0;
  chars[0] = static_cast<unsigned char>(c);
  return 1;
}
