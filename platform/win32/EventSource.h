#pragma once

// Where window messages and raw input come from. The message queue asks its event source
// to drain everything that is waiting whenever a message is peeked or an input device is
// read: SdlEventSource translates SDL's events; ScriptedEventSource replays what a test
// pushed. Window messages go to the queue (one taken per PeekMessageA); input events go to
// the input devices' buffers (read once a frame).

#include <cstdint>

#include "platform/win32/UserTypes.h"

namespace plat {

class MessageQueue;

enum class InputKind : uint8_t {
  Key,          // code: scan code (DirectInput key code); down
  MouseButton,  // code: 0 left, 1 right, 2 middle, 3 and 4 the side buttons; down
  MouseMotion,  // dx, dy: relative motion in pixels
  MouseWheel,   // dy: wheel units, 120 a notch, positive away from the user
};

struct InputEvent {
  InputKind kind = InputKind::Key;
  uint8_t code = 0;
  bool down = false;
  int32_t dx = 0;
  int32_t dy = 0;
  uint32_t time = 0;      // milliseconds
  HWND window = nullptr;  // the window that has the input; null: the active window
  // Key events from SDL carry the lock-key states; the keyboard layout reads them.
  bool hasLockState = false;
  bool capsLock = false;
  bool numLock = false;
};

// A receiver of input events: the input devices register while they are acquired.
class InputSink {
 public:
  // sequence: one number per event, increasing across all devices.
  virtual void OnInput(const InputEvent& event, uint32_t sequence) = 0;
  // The application's windows gained (true) or lost the input focus.
  virtual void OnFocusChange(bool focused) {}

 protected:
  ~InputSink() = default;
};

// Two values (coordinates, or a width and a height) packed into a message's lParam the
// way GET_X_LPARAM and GET_Y_LPARAM read them back: each clamped to signed 16 bits.
inline LPARAM PackSigned16(int low, int high) {
  auto clamp16 = [](int value) {
    return static_cast<WORD>(static_cast<int16_t>(value < -32768 ? -32768 : value > 32767 ? 32767 : value));
  };
  return MAKELPARAM(clamp16(low), clamp16(high));
}

class EventSource {
 public:
  virtual ~EventSource() = default;
  // Moves every waiting event into the queue: window messages with Post/Send/PostDrop,
  // input with PostInput.
  virtual void Drain(MessageQueue& queue) = 0;
};

}  // namespace plat
