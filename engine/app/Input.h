#pragma once

#include <cstdint>

#include "platform/win32/UserTypes.h"

struct IDirectInput8A;

namespace input {

class Keyboard;
class Mouse;

// The DirectInput object and the two devices it reads. Process-wide: reached through
// GetDevices, created empty on first use and destroyed at process exit.
class Input {
 public:
  Input() = default;
  ~Input();
  Input(const Input&) = delete;
  Input& operator=(const Input&) = delete;

  // Creates DirectInput, then the mouse and the keyboard for the application window.
  // False only when DirectInput itself cannot be created; a device that cannot be set up
  // logs and stays unacquired. A second call changes nothing.
  bool Init(HWND window);
  // Mouse update, then keyboard update (each when the device exists), so that a frame's
  // mouse events always reach the listeners before its keyboard events. Always true.
  bool Update(bool skip, float dt, float time);
  // Every held button and key becomes released, without events. Always true.
  bool ReleaseAll();
  // Destroys the devices and DirectInput (what the destructor does; logs "Shutting down
  // input" when there was something to shut down). Listeners registered with the old
  // devices stay silent until they are made again.
  void Shutdown();

  IDirectInput8A* directInput = nullptr;
  Mouse* mouse = nullptr;
  Keyboard* keyboard = nullptr;
};

Input& GetDevices();

// The character of a DirectInput key code under the keyboard layout, with the modifier
// and lock keys as they are held now, into chars[0]. Returns the translation's result:
// 1 for one character, 0 for none (chars is left as it was).
int ScanCodeToAscii(uint32_t scanCode, uint16_t* chars);

// Logs a failed DirectInput call as two MSG_ERROR lines: the result's name, then message.
void LogInputError(int32_t result, const char* message);

}  // namespace input
