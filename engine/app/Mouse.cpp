#include "engine/app/Mouse.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "engine/app/Input.h"
#include "engine/app/InputListener.h"
#include "engine/graphics/Graphics.h"
#include "platform/win32/WinUser.h"

namespace input {

math::Vec2 g_cursorPosition{0.0f, 0.0f};

namespace {

// Below 0 (or not a number) gives 0, above 1 gives 1.
float ClampFraction(float value) {
  if (!(value >= 0.0f)) return 0.0f;
  return value > 1.0f ? 1.0f : value;
}

}  // namespace

Mouse::Mouse(IDirectInput8A* directInput, HWND window, bool useWindowPositionFlag)
    : useWindowPosition(useWindowPositionFlag), window_(window) {
  for (int id = 0; id < kButtonCount; ++id) buttons[id].id = static_cast<uint32_t>(id);
  HRESULT result = directInput ? directInput->CreateDevice(GUID_SysMouse, &device_, nullptr)
                               : DIERR_NOTINITIALIZED;
  if (FAILED(result)) {
    device_ = nullptr;
    LogInputError(result, "Unable to create mouse object");
    return;
  }
  result = device_->SetDataFormat(&c_dfDIMouse2);
  if (FAILED(result)) {
    LogInputError(result, "Unable to set Mouse Format");
    return;
  }
  SetCursorVisible(true);
}

Mouse::~Mouse() {
  if (device_) {
    device_->Unacquire();
    device_->Release();
  }
}

void Mouse::SetCursorVisible(bool show) {
  // The platform's cursor visibility is absolute, so asking on every call cannot drift.
  ShowCursor(show ? TRUE : FALSE);
  if (show == cursorShown) return;
  cursorShown = show;
  if (!device_) return;
  Graphics* graphics = GetGraphics();
  HRESULT result = device_->SetCooperativeLevel(graphics ? graphics->window : nullptr, DISCL_FOREGROUND);
  if (FAILED(result)) {
    LogInputError(result, "Unable to set Mouse Cooperation Level");
    return;
  }
  result = device_->Acquire();
  if (FAILED(result)) LogInputError(result, "Unable to set Mouse Cooperation Level");
}

template <typename Call>
void Mouse::Dispatch(size_t count, Call call) {
  for (size_t i = 0; i < count && i < listeners_.size(); ++i) {
    MouseListener* listener = listeners_[i];
    if (!listener || !listener->enabled) continue;
    if (!addedThisUpdate_.empty() &&
        std::find(addedThisUpdate_.begin(), addedThisUpdate_.end(), listener) != addedThisUpdate_.end()) {
      continue;
    }
    call(listener);
  }
}

math::Vec2 Mouse::ReadPosition() const {
  if (useWindowPosition) return g_cursorPosition;
  POINT cursor{0, 0};
  RECT rect{0, 0, 0, 0};
  GetCursorPos(&cursor);
  GetWindowRect(window_, &rect);
  const float width = static_cast<float>(rect.right - rect.left);
  const float height = static_cast<float>(rect.bottom - rect.top);
  return math::Vec2{static_cast<float>(cursor.x - rect.left) / width,
                    static_cast<float>(cursor.y - rect.top) / height};
}

bool Mouse::Update(bool skip, float dt, float time) {
  if (!device_) return false;
  DIMOUSESTATE2 state{};
  if (FAILED(device_->GetDeviceState(sizeof state, &state))) {
    device_->Acquire();
    return false;
  }
  if (skip) return true;

  ++updateDepth_;
  const size_t count = listeners_.size();

  if (std::abs(state.lX) + std::abs(state.lY) == 0) {
    idleTime += dt;
    if (idleTime > hoverDelay) {
      Dispatch(count, [this](MouseListener* listener) { listener->MouseHover(&position); });
    }
  } else {
    idleTime = 0.0f;
    math::Vec2 newPosition = ReadPosition();
    newPosition.x = ClampFraction(newPosition.x);
    newPosition.y = ClampFraction(newPosition.y);
    const math::Vec2 oldPosition = position;
    Dispatch(count, [&](MouseListener* listener) { listener->MouseMoved(&oldPosition, &newPosition); });
    if (dragging) {
      Dispatch(count, [&](MouseListener* listener) { listener->MouseDragged(&dragStart, &newPosition); });
    }
    position = newPosition;
  }

  if (state.lZ != 0) {
    const int delta = state.lZ;
    Dispatch(count, [&](MouseListener* listener) { listener->MouseWheel(delta, &position); });
  }

  for (MouseButton& button : buttons) {
    const bool down = (state.rgbButtons[button.id] & 0x80) != 0;
    button.changed = down != button.down;
    button.down = down;
    if (button.changed && down) {
      Dispatch(count, [&](MouseListener* listener) { listener->MouseButtonPressed(&button, &position); });
    } else if (button.changed) {
      if (time - button.lastReleaseTime < doubleClickTime) {
        Dispatch(count, [&](MouseListener* listener) { listener->MouseDoubleClick(&button, &position); });
      }
      Dispatch(count, [&](MouseListener* listener) { listener->MouseButtonReleased(&button, &position); });
      button.lastReleaseTime = time;
      button.repeatCountdown = 0.1f;
    }
    if (button.down) {
      Dispatch(count, [&](MouseListener* listener) { listener->MouseButtonDown(&button, &position); });
      button.repeatCountdown -= dt;
      if (button.repeatCountdown < 0.0f) {
        button.repeatCountdown = 0.1f;
        Dispatch(count, [&](MouseListener* listener) { listener->MouseButtonRepeat(&button, &position); });
      }
    }
  }

  if (buttons[0].down && !dragging) {
    dragging = true;
    dragStart = position;
  } else if (dragging && !buttons[0].down) {
    Dispatch(count, [this](MouseListener* listener) { listener->MouseDragEnd(&dragStart, &position); });
    dragging = false;
  }

  if (--updateDepth_ == 0) addedThisUpdate_.clear();
  return true;
}

void Mouse::ReleaseAll() {
  for (MouseButton& button : buttons) {
    button.changed = button.down;
    button.down = false;
  }
}

void Mouse::AddListener(MouseListener* listener) {
  if (!listener) return;
  if (std::find(listeners_.begin(), listeners_.end(), listener) != listeners_.end()) return;
  // A listener made during an update may take an entry that the update has still to
  // reach; it must not hear this update's events.
  if (updateDepth_ > 0) addedThisUpdate_.push_back(listener);
  auto empty = std::find(listeners_.begin(), listeners_.end(), nullptr);
  if (empty != listeners_.end()) {
    *empty = listener;
  } else {
    listeners_.push_back(listener);
  }
}

void Mouse::RemoveListener(MouseListener* listener) {
  auto entry = std::find(listeners_.begin(), listeners_.end(), listener);
  if (entry != listeners_.end()) *entry = nullptr;
  auto added = std::find(addedThisUpdate_.begin(), addedThisUpdate_.end(), listener);
  if (added != addedThisUpdate_.end()) addedThisUpdate_.erase(added);
}

size_t Mouse::ListenerCount() const {
  return static_cast<size_t>(std::count_if(listeners_.begin(), listeners_.end(),
                                           [](MouseListener* listener) { return listener != nullptr; }));
}

}  // namespace input
