#include "engine/app/InputListener.h"

#include "engine/app/Input.h"
#include "engine/app/Keyboard.h"
#include "engine/app/Mouse.h"

namespace input {

KeyboardListener::KeyboardListener() {
  keyboard = GetDevices().keyboard;
  if (keyboard) keyboard->AddListener(this);
}

// The device is looked up again: it may have been made or destroyed since.
KeyboardListener::~KeyboardListener() {
  if (Keyboard* device = GetDevices().keyboard) device->RemoveListener(this);
}

MouseListener::MouseListener() {
  mouse = GetDevices().mouse;
  if (mouse) mouse->AddListener(this);
}

MouseListener::~MouseListener() {
  if (Mouse* device = GetDevices().mouse) device->RemoveListener(this);
}

}  // namespace input
