#include "engine/app/Keyboard.h"

#include <algorithm>
#include <cstring>

#include "engine/app/Input.h"
#include "engine/app/InputListener.h"
#include "engine/core/Timer.h"
#include "platform/win32/KernelApi.h"
#include "platform/win32/WinUser.h"

namespace input {

char KeyEvent::ToAscii() const {
  uint16_t chars[2] = {0, 0};
  ScanCodeToAscii(code, chars);
  return static_cast<char>(chars[0] & 0xFF);
}

Keyboard::Keyboard(IDirectInput8A* directInput, HWND window) : window_(window) {
  HRESULT result = directInput ? directInput->CreateDevice(GUID_SysKeyboard, &device_, nullptr)
                               : DIERR_NOTINITIALIZED;
  if (FAILED(result)) {
    device_ = nullptr;
    LogInputError(result, "Unable to Create DI8 Keyboard Object");
    return;
  }
  result = device_->SetDataFormat(&c_dfDIKeyboard);
  if (FAILED(result)) {
    LogInputError(result, "Unable to set Keyboard format");
    return;
  }
  result = device_->SetCooperativeLevel(window, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND);
  if (FAILED(result)) {
    LogInputError(result, "Unable to set Keyboard Cooperation Level");
    return;
  }
  DIPROPDWORD bufferSize{{sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), 0, DIPH_DEVICE}, kBufferSize};
  result = device_->SetProperty(DIPROP_BUFFERSIZE, &bufferSize.diph);
  if (FAILED(result)) {
    LogInputError(result, "Unable to set Keyboard buffer");
    return;
  }
  device_->Acquire();
  ReleaseAll();
}

Keyboard::~Keyboard() {
  if (device_) {
    device_->Unacquire();
    device_->Release();
  }
}

KeyEvent* Keyboard::GetKey(uint32_t code) { return code < kKeyCount ? &keys_[code] : nullptr; }
const KeyEvent* Keyboard::GetKey(uint32_t code) const {
  return code < kKeyCount ? &keys_[code] : nullptr;
}

// Calls each of the first `count` entries (the entries there were when the update began),
// skipping the ones that went away meanwhile and the disabled ones.
template <typename Call>
void Keyboard::Dispatch(size_t count, Call call) {
  for (size_t i = 0; i < count && i < listeners_.size(); ++i) {
    KeyboardListener* listener = listeners_[i];
    if (listener && listener->enabled) call(listener);
  }
}

bool Keyboard::Update(bool skip, float dt, float time) {
  if (!device_) return false;
  device_->Poll();
  // On the stack rather than in the object: a listener may run a nested main loop (a
  // script waiting for a reply), whose own update must not overwrite this one's events.
  DIDEVICEOBJECTDATA events[kBufferSize];
  DWORD count = kBufferSize;
  if (FAILED(device_->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), events, &count, 0))) {
    device_->Acquire();
    return false;
  }
  if (skip) return true;

  const bool outermost = !updating_;
  updating_ = true;
  const size_t listenerCount = listeners_.size();
  for (KeyEvent& key : keys_) key.changed = false;

  for (DWORD i = 0; i < count; ++i) {
    KeyEvent& key = keys_[events[i].dwOfs & 0xFF];
    key.code = events[i].dwOfs;
    const bool down = (events[i].dwData & 0x80) != 0;
    if (down != key.down) {
      key.changed = true;
      key.down = down;
      key.changeTime = time;
    }
    if (!key.changed) continue;
    if (key.down) {
      Dispatch(listenerCount, [&key](KeyboardListener* listener) { listener->KeyPressed(&key); });
    } else {
      Dispatch(listenerCount, [&key](KeyboardListener* listener) { listener->KeyReleased(&key); });
    }
  }

  for (uint32_t code = 0; code < kKeyCount; ++code) {
    KeyEvent& key = keys_[code];
    if (!key.down) {
      key.repeatTime = 0.0f;
      continue;
    }
    Dispatch(listenerCount, [&key](KeyboardListener* listener) { listener->KeyDown(&key); });
    key.repeatTime += dt;
    // Backspace repeats faster, so that deleting a word does not drag.
    const float threshold = repeatInterval_ * (code == DIK_BACK ? 0.4f : 1.0f);
    if (key.repeatTime > threshold) {
      key.repeatTime = 0.0f;
      Dispatch(listenerCount, [&key](KeyboardListener* listener) { listener->KeyRepeat(&key); });
    }
  }

  if (outermost) {
    updating_ = false;
    CompactListeners();
  }
  return true;
}

void Keyboard::ReleaseAll() {
  // Stamped with the frame clock, the clock of every other change time.
  const float now = FrameTimer::Instance().GetTime();
  for (KeyEvent& key : keys_) {
    if (!key.down) continue;
    key.down = false;
    key.changed = true;
    key.changeTime = now;
  }
}

void Keyboard::AddListener(KeyboardListener* listener) {
  if (!listener) return;
  if (std::find(listeners_.begin(), listeners_.end(), listener) != listeners_.end()) return;
  listeners_.push_back(listener);
}

void Keyboard::RemoveListener(KeyboardListener* listener) {
  auto entry = std::find(listeners_.begin(), listeners_.end(), listener);
  if (entry == listeners_.end()) return;
  // While events are dispatched the entry only becomes empty, so that the positions the
  // dispatch walks stay valid; the update closes the gap when it ends.
  if (updating_) {
    *entry = nullptr;
  } else {
    listeners_.erase(entry);
  }
}

size_t Keyboard::ListenerCount() const {
  return static_cast<size_t>(std::count_if(listeners_.begin(), listeners_.end(),
                                           [](KeyboardListener* listener) { return listener != nullptr; }));
}

void Keyboard::CompactListeners() {
  listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), nullptr), listeners_.end());
}

bool Keyboard::GetClipboardText(std::string& out) const {
  if (!OpenClipboard(window_)) return false;
  if (IsClipboardFormatAvailable(CF_TEXT) || IsClipboardFormatAvailable(CF_OEMTEXT)) {
    if (HANDLE data = GetClipboardData(CF_OEMTEXT)) {
      if (const char* text = static_cast<const char*>(GlobalLock(data))) {
        out = text;
        GlobalUnlock(data);
      }
    }
  }
  CloseClipboard();
  return !out.empty();
}

bool Keyboard::SetClipboardText(const WString& text) const {
  if (!OpenClipboard(window_)) return false;
  EmptyClipboard();
  const size_t bytes = (text.size() + 1) * sizeof(char16_t);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (!block) {
    CloseClipboard();
    return false;
  }
  if (void* memory = GlobalLock(block)) {
    std::memset(memory, 0, bytes);
    std::memcpy(memory, text.data(), text.size() * sizeof(char16_t));
    GlobalUnlock(block);
  }
  SetClipboardData(CF_UNICODETEXT, block);
  CloseClipboard();
  return true;
}

}  // namespace input
