#pragma once

#include <cstdint>

namespace plat {

// Keys are named by scan code everywhere above SDL: the set-1 scan code of a standard PC
// keyboard, plus 0x80 for an extended key. These are DirectInput's key codes (0x01
// Escape, 0x1C Enter, 0x29 grave, 0x2A/0x36 Shift, 0x1D/0x9D Ctrl, 0x38/0xB8 Alt,
// 0xC8 up arrow ...).

// The scan code of an SDL scancode; 0 for a key that has none.
uint8_t ScanCodeFromSdl(int sdlScancode);
// The SDL scancode of a scan code; 0 (SDL_SCANCODE_UNKNOWN) for none.
int SdlFromScanCode(uint8_t scanCode);

// The US-layout virtual key of a scan code. With `sided`, Shift, Ctrl and Alt give their
// left and right keys (VK_LSHIFT ...), else VK_SHIFT, VK_CONTROL, VK_MENU. The keypad's
// digit keys give VK_NUMPAD0..9 and its point VK_DECIMAL when `numLock`, else the
// navigation keys. 0 for none.
uint8_t VirtualKeyFromScanCode(uint8_t scanCode, bool sided, bool numLock);
// The scan code of a virtual key (the left key for VK_SHIFT, VK_CONTROL, VK_MENU); 0 for
// none.
uint8_t ScanCodeFromVirtualKey(uint8_t virtualKey);

// The US-layout character of a virtual key: 0 when the key has none.
char CharFromVirtualKey(uint8_t virtualKey, bool shift, bool capsLock, bool control,
                        bool alt);

}  // namespace plat
