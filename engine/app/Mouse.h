#pragma once

#include <cstdint>
#include <vector>

#include "engine/core/Math.h"
#include "platform/dinput/DInput.h"

namespace input {

class MouseListener;

// The cursor position that the window's message pump keeps, as a fraction of the play
// area (each coordinate in [0, 1]). The mouse takes it on every update that reports motion.
extern math::Vec2 g_cursorPosition;

// One of the three buttons; listeners receive a pointer to it.
struct MouseButton {
  uint32_t id = 0;               // 0 left, 1 right, 2 middle
  bool changed = false;          // changed state in this update
  bool down = false;             // held
  float lastReleaseTime = 0.0f;  // update time of the last release
  float repeatCountdown = 0.0f;  // seconds to the next repeat
};

// The system mouse, read from DirectInput's immediate state once a frame.
class Mouse {
 public:
  static constexpr int kButtonCount = 3;

  // Set-up failures are logged and leave the device unacquired (updates then fail).
  Mouse(IDirectInput8A* directInput, HWND window, bool useWindowPosition);
  ~Mouse();
  Mouse(const Mouse&) = delete;
  Mouse& operator=(const Mouse&) = delete;

  // Motion (MouseMoved, MouseDragged, or MouseHover while still), wheel, the three buttons
  // in order (Pressed; DoubleClick and Released; Down and Repeat while held), then the
  // start or end of a left-button drag. With skip the state is read and nothing happens.
  // False when the device could not be read (it is acquired again for the next update).
  bool Update(bool skip, float dt, float time);
  // Every held button becomes released, without events.
  void ReleaseAll();
  // Shows or hides the system cursor (absolute: whatever was asked before); on a change
  // the device is set up again for the renderer's window and acquired.
  void SetCursorVisible(bool show);

  // Takes the first empty entry, else appends; nothing when registered already. A
  // listener added during an update is called from the next update on.
  void AddListener(MouseListener* listener);
  // Empties the listener's entry; the others keep their places. Safe during an update.
  void RemoveListener(MouseListener* listener);
  // Registered listeners (empty entries not counted) and the raw entries, in order.
  size_t ListenerCount() const;
  const std::vector<MouseListener*>& Listeners() const { return listeners_; }

  IDirectInputDevice8A* device() const { return device_; }

  math::Vec2 position{0.0f, 0.0f};
  MouseButton buttons[kButtonCount];
  float hoverDelay = 0.2f;
  float idleTime = 0.0f;
  float doubleClickTime = 0.3f;
  bool dragging = false;
  math::Vec2 dragStart{0.0f, 0.0f};
  bool useWindowPosition = true;
  bool cursorShown = false;

 private:
  template <typename Call>
  void Dispatch(size_t count, Call call);
  math::Vec2 ReadPosition() const;

  IDirectInputDevice8A* device_ = nullptr;
  std::vector<MouseListener*> listeners_;
  // Listeners that took an entry during the current update: not called until it ends.
  std::vector<MouseListener*> addedThisUpdate_;
  int updateDepth_ = 0;
  HWND window_ = nullptr;
};

}  // namespace input
