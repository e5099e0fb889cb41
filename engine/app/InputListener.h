#pragma once

#include "engine/core/Math.h"

namespace input {

struct KeyEvent;
struct MouseButton;
class Keyboard;
class Mouse;

// Base of every object that wants keyboard events. Constructing one registers it with the
// keyboard device (when the devices exist), destroying it unregisters it. Every event goes
// to every enabled listener in registration order; none consumes it.
class KeyboardListener {
 public:
  KeyboardListener();
  virtual ~KeyboardListener();
  KeyboardListener(const KeyboardListener&) = delete;
  KeyboardListener& operator=(const KeyboardListener&) = delete;

  virtual void KeyPressed(const KeyEvent* event) {}
  virtual void KeyReleased(const KeyEvent* event) {}
  // Every update while the key is held.
  virtual void KeyDown(const KeyEvent* event) {}
  virtual void KeyRepeat(const KeyEvent* event) {}

  // Other parts switch it off to silence a listener without unregistering it.
  bool enabled = true;
  // The device found at construction; null when it did not exist yet (such a listener
  // never receives events).
  Keyboard* keyboard = nullptr;
};

// Base of every object that wants mouse events; registered and unregistered as the
// keyboard listener is. Positions are fractions of the play area.
class MouseListener {
 public:
  MouseListener();
  virtual ~MouseListener();
  MouseListener(const MouseListener&) = delete;
  MouseListener& operator=(const MouseListener&) = delete;

  virtual void MouseButtonPressed(const MouseButton* button, const math::Vec2* position) {}
  // A release within the double-click time of the button's previous release; comes
  // before that release's MouseButtonReleased.
  virtual void MouseDoubleClick(const MouseButton* button, const math::Vec2* position) {}
  virtual void MouseButtonReleased(const MouseButton* button, const math::Vec2* position) {}
  // Every update while the button is held, the update of the press included.
  virtual void MouseButtonDown(const MouseButton* button, const math::Vec2* position) {}
  virtual void MouseButtonRepeat(const MouseButton* button, const math::Vec2* position) {}
  // delta as the device reports it: 120 a notch.
  virtual void MouseWheel(int delta, const math::Vec2* position) {}
  // Every update once the mouse has been still for longer than the hover delay.
  virtual void MouseHover(const math::Vec2* position) {}
  virtual void MouseMoved(const math::Vec2* oldPosition, const math::Vec2* newPosition) {}
  virtual void MouseDragged(const math::Vec2* dragStart, const math::Vec2* position) {}
  virtual void MouseDragEnd(const math::Vec2* dragStart, const math::Vec2* endPosition) {}

  bool enabled = true;
  Mouse* mouse = nullptr;
};

}  // namespace input
