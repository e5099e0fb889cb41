#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/StringUtil.h"
#include "platform/dinput/DInput.h"

namespace input {

class KeyboardListener;

// The state of one key (one DirectInput key code); listeners receive a pointer to it.
struct KeyEvent {
  uint32_t code = 0;        // the key code of the last event for this key
  bool changed = false;     // changed state during this update
  bool down = false;        // held
  float changeTime = 0.0f;  // seconds: the update time of the last change
  float repeatTime = 0.0f;  // seconds held since the press or the last repeat

  // The key's character under the current layout and modifiers; 0 when it has none.
  char ToAscii() const;
};

// The system keyboard, read from DirectInput's buffer once a frame.
class Keyboard {
 public:
  static constexpr uint32_t kKeyCount = 256;
  static constexpr uint32_t kBufferSize = 256;

  // Set-up failures are logged and leave the device unacquired (updates then fail).
  Keyboard(IDirectInput8A* directInput, HWND window);
  ~Keyboard();
  Keyboard(const Keyboard&) = delete;
  Keyboard& operator=(const Keyboard&) = delete;

  // Reads the buffered key events. With skip they are dropped unseen; otherwise each
  // change goes to the listeners (KeyPressed / KeyReleased in the order of the events),
  // then every held key gives KeyDown and, at the repeat rate, KeyRepeat (ascending key
  // codes). False when the device could not be read (it is acquired again for the next
  // update; nothing is dispatched).
  bool Update(bool skip, float dt, float time);
  // Every held key becomes released, without events: a key held across a focus change
  // gives no release, and a press only when the device reports it down again.
  void ReleaseAll();

  // The record of a key code; null for a code of 256 or more.
  KeyEvent* GetKey(uint32_t code);
  const KeyEvent* GetKey(uint32_t code) const;
  bool IsDown(uint32_t code) const {
    const KeyEvent* key = GetKey(code);
    return key && key->down;
  }

  // Appends the listener unless it is registered already.
  void AddListener(KeyboardListener* listener);
  // Unregisters it; the others keep their order. Safe while events are being dispatched
  // (a key binding's script may destroy a listener): the listener is skipped from then on.
  void RemoveListener(KeyboardListener* listener);
  size_t ListenerCount() const;

  // Assigns the clipboard's text to out when the clipboard holds text (out is not cleared
  // first). True when out is not empty afterwards.
  bool GetClipboardText(std::string& out) const;
  // Puts the text on the clipboard as Unicode text.
  bool SetClipboardText(const WString& text) const;

  IDirectInputDevice8A* device() const { return device_; }

 private:
  template <typename Call>
  void Dispatch(size_t count, Call call);
  void CompactListeners();

  IDirectInputDevice8A* device_ = nullptr;
  KeyEvent keys_[kKeyCount];
  // Entries become null when a listener goes away during an update; the list is closed
  // up again when the update ends.
  std::vector<KeyboardListener*> listeners_;
  bool updating_ = false;
  float repeatInterval_ = 0.4f;
  HWND window_ = nullptr;
};

}  // namespace input
