#include "platform/win32/ScanCodes.h"

#include <SDL2/SDL_scancode.h>

#include "platform/win32/WinUser.h"

namespace plat {

namespace {

constexpr uint8_t kVkClear = 0x0C;

enum RowKind : uint8_t { kPlain, kKeypadDigit };

struct KeyRow {
  SDL_Scancode sdl;
  uint8_t scan;
  uint8_t vk;            // US layout; sided for Shift, Ctrl and Alt
  RowKind kind = kPlain;
  uint8_t numpadVk = 0;  // the key's virtual key while Num Lock is on
};

// One row per key of a standard PC keyboard. Where two SDL scancodes share a scan code,
// the first row is the one the scan code maps back to.
const KeyRow kKeys[] = {
    {SDL_SCANCODE_ESCAPE, 0x01, VK_ESCAPE},
    {SDL_SCANCODE_1, 0x02, '1'},
    {SDL_SCANCODE_2, 0x03, '2'},
    {SDL_SCANCODE_3, 0x04, '3'},
    {SDL_SCANCODE_4, 0x05, '4'},
    {SDL_SCANCODE_5, 0x06, '5'},
    {SDL_SCANCODE_6, 0x07, '6'},
    {SDL_SCANCODE_7, 0x08, '7'},
    {SDL_SCANCODE_8, 0x09, '8'},
    {SDL_SCANCODE_9, 0x0A, '9'},
    {SDL_SCANCODE_0, 0x0B, '0'},
    {SDL_SCANCODE_MINUS, 0x0C, VK_OEM_MINUS},
    {SDL_SCANCODE_EQUALS, 0x0D, VK_OEM_PLUS},
    {SDL_SCANCODE_BACKSPACE, 0x0E, VK_BACK},
    {SDL_SCANCODE_TAB, 0x0F, VK_TAB},
    {SDL_SCANCODE_Q, 0x10, 'Q'},
    {SDL_SCANCODE_W, 0x11, 'W'},
    {SDL_SCANCODE_E, 0x12, 'E'},
    {SDL_SCANCODE_R, 0x13, 'R'},
    {SDL_SCANCODE_T, 0x14, 'T'},
    {SDL_SCANCODE_Y, 0x15, 'Y'},
    {SDL_SCANCODE_U, 0x16, 'U'},
    {SDL_SCANCODE_I, 0x17, 'I'},
    {SDL_SCANCODE_O, 0x18, 'O'},
    {SDL_SCANCODE_P, 0x19, 'P'},
    {SDL_SCANCODE_LEFTBRACKET, 0x1A, VK_OEM_4},
    {SDL_SCANCODE_RIGHTBRACKET, 0x1B, VK_OEM_6},
    {SDL_SCANCODE_RETURN, 0x1C, VK_RETURN},
    {SDL_SCANCODE_LCTRL, 0x1D, VK_LCONTROL},
    {SDL_SCANCODE_A, 0x1E, 'A'},
    {SDL_SCANCODE_S, 0x1F, 'S'},
    {SDL_SCANCODE_D, 0x20, 'D'},
    {SDL_SCANCODE_F, 0x21, 'F'},
    {SDL_SCANCODE_G, 0x22, 'G'},
    {SDL_SCANCODE_H, 0x23, 'H'},
    {SDL_SCANCODE_J, 0x24, 'J'},
    {SDL_SCANCODE_K, 0x25, 'K'},
    {SDL_SCANCODE_L, 0x26, 'L'},
    {SDL_SCANCODE_SEMICOLON, 0x27, VK_OEM_1},
    {SDL_SCANCODE_APOSTROPHE, 0x28, VK_OEM_7},
    {SDL_SCANCODE_GRAVE, 0x29, VK_OEM_3},
    {SDL_SCANCODE_LSHIFT, 0x2A, VK_LSHIFT},
    {SDL_SCANCODE_BACKSLASH, 0x2B, VK_OEM_5},
    {SDL_SCANCODE_NONUSHASH, 0x2B, VK_OEM_5},
    {SDL_SCANCODE_Z, 0x2C, 'Z'},
    {SDL_SCANCODE_X, 0x2D, 'X'},
    {SDL_SCANCODE_C, 0x2E, 'C'},
    {SDL_SCANCODE_V, 0x2F, 'V'},
    {SDL_SCANCODE_B, 0x30, 'B'},
    {SDL_SCANCODE_N, 0x31, 'N'},
    {SDL_SCANCODE_M, 0x32, 'M'},
    {SDL_SCANCODE_COMMA, 0x33, VK_OEM_COMMA},
    {SDL_SCANCODE_PERIOD, 0x34, VK_OEM_PERIOD},
    {SDL_SCANCODE_SLASH, 0x35, VK_OEM_2},
    {SDL_SCANCODE_RSHIFT, 0x36, VK_RSHIFT},
    {SDL_SCANCODE_KP_MULTIPLY, 0x37, VK_MULTIPLY},
    {SDL_SCANCODE_LALT, 0x38, VK_LMENU},
    {SDL_SCANCODE_SPACE, 0x39, VK_SPACE},
    {SDL_SCANCODE_CAPSLOCK, 0x3A, VK_CAPITAL},
    {SDL_SCANCODE_F1, 0x3B, VK_F1},
    {SDL_SCANCODE_F2, 0x3C, VK_F1 + 1},
    {SDL_SCANCODE_F3, 0x3D, VK_F1 + 2},
    {SDL_SCANCODE_F4, 0x3E, VK_F1 + 3},
    {SDL_SCANCODE_F5, 0x3F, VK_F1 + 4},
    {SDL_SCANCODE_F6, 0x40, VK_F1 + 5},
    {SDL_SCANCODE_F7, 0x41, VK_F1 + 6},
    {SDL_SCANCODE_F8, 0x42, VK_F1 + 7},
    {SDL_SCANCODE_F9, 0x43, VK_F1 + 8},
    {SDL_SCANCODE_F10, 0x44, VK_F1 + 9},
    {SDL_SCANCODE_NUMLOCKCLEAR, 0x45, VK_NUMLOCK},
    {SDL_SCANCODE_SCROLLLOCK, 0x46, VK_SCROLL},
    {SDL_SCANCODE_KP_7, 0x47, VK_HOME, kKeypadDigit, VK_NUMPAD0 + 7},
    {SDL_SCANCODE_KP_8, 0x48, VK_UP, kKeypadDigit, VK_NUMPAD0 + 8},
    {SDL_SCANCODE_KP_9, 0x49, VK_PRIOR, kKeypadDigit, VK_NUMPAD0 + 9},
    {SDL_SCANCODE_KP_MINUS, 0x4A, VK_SUBTRACT},
    {SDL_SCANCODE_KP_4, 0x4B, VK_LEFT, kKeypadDigit, VK_NUMPAD0 + 4},
    {SDL_SCANCODE_KP_5, 0x4C, kVkClear, kKeypadDigit, VK_NUMPAD0 + 5},
    {SDL_SCANCODE_KP_6, 0x4D, VK_RIGHT, kKeypadDigit, VK_NUMPAD0 + 6},
    {SDL_SCANCODE_KP_PLUS, 0x4E, VK_ADD},
    {SDL_SCANCODE_KP_1, 0x4F, VK_END, kKeypadDigit, VK_NUMPAD0 + 1},
    {SDL_SCANCODE_KP_2, 0x50, VK_DOWN, kKeypadDigit, VK_NUMPAD0 + 2},
    {SDL_SCANCODE_KP_3, 0x51, VK_NEXT, kKeypadDigit, VK_NUMPAD0 + 3},
    {SDL_SCANCODE_KP_0, 0x52, VK_INSERT, kKeypadDigit, VK_NUMPAD0},
    {SDL_SCANCODE_KP_PERIOD, 0x53, VK_DELETE, kKeypadDigit, VK_DECIMAL},
    {SDL_SCANCODE_NONUSBACKSLASH, 0x56, VK_OEM_102},
    {SDL_SCANCODE_F11, 0x57, VK_F1 + 10},
    {SDL_SCANCODE_F12, 0x58, VK_F12},
    {SDL_SCANCODE_F13, 0x64, VK_F12 + 1},
    {SDL_SCANCODE_F14, 0x65, VK_F12 + 2},
    {SDL_SCANCODE_F15, 0x66, VK_F12 + 3},
    {SDL_SCANCODE_KP_EQUALS, 0x8D, 0},
    {SDL_SCANCODE_KP_ENTER, 0x9C, VK_RETURN},
    {SDL_SCANCODE_RCTRL, 0x9D, VK_RCONTROL},
    {SDL_SCANCODE_KP_DIVIDE, 0xB5, VK_DIVIDE},
    {SDL_SCANCODE_PRINTSCREEN, 0xB7, VK_SNAPSHOT},
    {SDL_SCANCODE_RALT, 0xB8, VK_RMENU},
    {SDL_SCANCODE_PAUSE, 0xC5, VK_PAUSE},
    {SDL_SCANCODE_HOME, 0xC7, VK_HOME},
    {SDL_SCANCODE_UP, 0xC8, VK_UP},
    {SDL_SCANCODE_PAGEUP, 0xC9, VK_PRIOR},
    {SDL_SCANCODE_LEFT, 0xCB, VK_LEFT},
    {SDL_SCANCODE_RIGHT, 0xCD, VK_RIGHT},
    {SDL_SCANCODE_END, 0xCF, VK_END},
    {SDL_SCANCODE_DOWN, 0xD0, VK_DOWN},
    {SDL_SCANCODE_PAGEDOWN, 0xD1, VK_NEXT},
    {SDL_SCANCODE_INSERT, 0xD2, VK_INSERT},
    {SDL_SCANCODE_DELETE, 0xD3, VK_DELETE},
    {SDL_SCANCODE_LGUI, 0xDB, VK_LWIN},
    {SDL_SCANCODE_RGUI, 0xDC, VK_RWIN},
    {SDL_SCANCODE_APPLICATION, 0xDD, VK_APPS},
};

struct Tables {
  uint8_t scanFromSdl[SDL_NUM_SCANCODES] = {};
  int sdlFromScan[256] = {};
  const KeyRow* rowFromScan[256] = {};
  uint8_t scanFromVk[256] = {};

  Tables() {
    for (const KeyRow& row : kKeys) {
      scanFromSdl[row.sdl] = row.scan;
      if (!sdlFromScan[row.scan]) sdlFromScan[row.scan] = row.sdl;
      if (!rowFromScan[row.scan]) rowFromScan[row.scan] = &row;
      // The keypad's navigation keys map back to the dedicated keys; its digits only
      // through their Num Lock keys.
      if (row.kind == kKeypadDigit) {
        scanFromVk[row.numpadVk] = row.scan;
      } else if (row.vk && !scanFromVk[row.vk]) {
        scanFromVk[row.vk] = row.scan;
      }
    }
    scanFromVk[VK_SHIFT] = 0x2A;
    scanFromVk[VK_CONTROL] = 0x1D;
    scanFromVk[VK_MENU] = 0x38;
  }
};

const Tables& GetTables() {
  static const Tables tables;
  return tables;
}

uint8_t UnsidedVirtualKey(uint8_t vk) {
  switch (vk) {
    case VK_LSHIFT:
    case VK_RSHIFT: return VK_SHIFT;
    case VK_LCONTROL:
    case VK_RCONTROL: return VK_CONTROL;
    case VK_LMENU:
    case VK_RMENU: return VK_MENU;
    default: return vk;
  }
}

struct OemPair {
  uint8_t vk;
  char plain;
  char shifted;
};

const OemPair kOemKeys[] = {
    {VK_OEM_1, ';', ':'},      {VK_OEM_PLUS, '=', '+'}, {VK_OEM_COMMA, ',', '<'},
    {VK_OEM_MINUS, '-', '_'},  {VK_OEM_PERIOD, '.', '>'}, {VK_OEM_2, '/', '?'},
    {VK_OEM_3, '`', '~'},      {VK_OEM_4, '[', '{'},    {VK_OEM_5, '\\', '|'},
    {VK_OEM_6, ']', '}'},      {VK_OEM_7, '\'', '"'},   {VK_OEM_102, '\\', '|'},
};

}  // namespace

uint8_t ScanCodeFromSdl(int sdlScancode) {
  if (sdlScancode <= 0 || sdlScancode >= SDL_NUM_SCANCODES) return 0;
  return GetTables().scanFromSdl[sdlScancode];
}

int SdlFromScanCode(uint8_t scanCode) { return GetTables().sdlFromScan[scanCode]; }

uint8_t VirtualKeyFromScanCode(uint8_t scanCode, bool sided, bool numLock) {
  const KeyRow* row = GetTables().rowFromScan[scanCode];
  if (!row) return 0;
  if (row->kind == kKeypadDigit && numLock) return row->numpadVk;
  return sided ? row->vk : UnsidedVirtualKey(row->vk);
}

uint8_t ScanCodeFromVirtualKey(uint8_t virtualKey) {
  return GetTables().scanFromVk[virtualKey];
}

char CharFromVirtualKey(uint8_t vk, bool shift, bool capsLock, bool control, bool alt) {
  const bool letter = vk >= 'A' && vk <= 'Z';
  if (control && alt) return 0;  // the US layout has no AltGr characters
  if (control) {
    // The control codes Win32 gives for Ctrl with these keys.
    if (letter) return static_cast<char>(vk - 'A' + 1);
    switch (vk) {
      case VK_OEM_4: return 0x1B;
      case VK_OEM_5: return 0x1C;
      case VK_OEM_6: return 0x1D;
      case VK_RETURN: return '\n';
      case VK_BACK: return 0x7F;
      case VK_SPACE: return ' ';
      default: return 0;
    }
  }
  if (letter) return static_cast<char>((shift != capsLock) ? vk : vk - 'A' + 'a');
  if (vk >= '0' && vk <= '9') return shift ? ")!@#$%^&*("[vk - '0'] : static_cast<char>(vk);
  for (const OemPair& pair : kOemKeys) {
    if (pair.vk == vk) return shift ? pair.shifted : pair.plain;
  }
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9) return static_cast<char>('0' + vk - VK_NUMPAD0);
  switch (vk) {
    case VK_SPACE: return ' ';
    case VK_RETURN: return '\r';
    case VK_BACK: return '\b';
    case VK_TAB: return '\t';
    case VK_ESCAPE: return 0x1B;
    case VK_MULTIPLY: return '*';
    case VK_ADD: return '+';
    case VK_SUBTRACT: return '-';
    case VK_DECIMAL: return '.';
    case VK_DIVIDE: return '/';
    default: return 0;
  }
}

}  // namespace plat
