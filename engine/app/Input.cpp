#include "engine/app/Input.h"

#include <cstdio>

#include "engine/app/Keyboard.h"
#include "engine/app/Mouse.h"
#include "engine/core/Log.h"
#include "platform/dinput/DInput.h"
#include "platform/win32/KernelApi.h"
#include "platform/win32/WinUser.h"

namespace input {

void LogInputError(int32_t result, const char* message) {
  const char* name = DInputErrorName(result);
  if (name) {
    LOG_LINE(MSG_ERROR) << name;
  } else {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(result));
    LOG_LINE(MSG_ERROR) << code;
  }
  LOG_LINE(MSG_ERROR) << message;
}

Input& GetDevices() {
  static Input devices;
  return devices;
}

Input::~Input() { Shutdown(); }

bool Input::Init(HWND window) {
  if (directInput) return true;
  const HRESULT result = DirectInput8Create(GetModuleHandleA(nullptr), DIRECTINPUT_VERSION, IID_IDirectInput8A,
                                            reinterpret_cast<LPVOID*>(&directInput), nullptr);
  if (FAILED(result)) {
    directInput = nullptr;
    LogInputError(result, "Unable to Create DI8 Object");
    return false;
  }
  mouse = new Mouse(directInput, window, true);
  keyboard = new Keyboard(directInput, window);
  return true;
}

bool Input::Update(bool skip, float dt, float time) {
  if (mouse) mouse->Update(skip, dt, time);
  if (keyboard) keyboard->Update(skip, dt, time);
  return true;
}

bool Input::ReleaseAll() {
  if (mouse) mouse->ReleaseAll();
  if (keyboard) keyboard->ReleaseAll();
  return true;
}

void Input::Shutdown() {
  if (!directInput && !mouse && !keyboard) return;
  // Cleared before the devices go, so that listeners destroyed meanwhile find no device.
  Mouse* oldMouse = mouse;
  Keyboard* oldKeyboard = keyboard;
  mouse = nullptr;
  keyboard = nullptr;
  delete oldMouse;
  delete oldKeyboard;
  if (directInput) {
    directInput->Release();
    directInput = nullptr;
  }
  LOG_LINE(MSG_INIT) << "Shutting down input";
}

int ScanCodeToAscii(uint32_t scanCode, uint16_t* chars) {
  // The layout is fetched once, on the first call.
  static const HKL layout = GetKeyboardLayout(0);
  static BYTE keyState[256];
  if (!GetKeyboardState(keyState)) return 0;
  const UINT virtualKey = MapVirtualKeyExA(scanCode, MAPVK_VSC_TO_VK, layout);
  return ToAsciiEx(virtualKey, scanCode, keyState, chars, 0, layout);
}

}  // namespace input
