#include "platform/dinput/InputDevice.h"

#include <algorithm>
#include <cstring>

#include "platform/win32/MessageQueue.h"
#include "platform/win32/Window.h"

namespace dinput {

namespace {

constexpr size_t kDirectX3RecordSize = 16;  // the record without uAppData

bool IsKeyboardFormat(const DIDATAFORMAT* format) { return format == &c_dfDIKeyboard; }
bool IsMouseFormat(const DIDATAFORMAT* format) {
  return format == &c_dfDIMouse || format == &c_dfDIMouse2;
}

}  // namespace

InputDevice::InputDevice(Kind kind) : kind_(kind) {}

InputDevice::~InputDevice() { Detach(); }

HRESULT InputDevice::QueryInterface(REFIID id, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG InputDevice::AddRef() { return ++references_; }

ULONG InputDevice::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT InputDevice::SetDataFormat(const DIDATAFORMAT* format) {
  if (acquired_) return DIERR_ACQUIRED;
  const bool fits = kind_ == Kind::Keyboard ? IsKeyboardFormat(format) : IsMouseFormat(format);
  if (!fits) return DIERR_INVALIDPARAM;
  format_ = format;
  return DI_OK;
}

HRESULT InputDevice::SetCooperativeLevel(HWND window, DWORD flags) {
  const bool exclusive = flags & DISCL_EXCLUSIVE;
  const bool nonExclusive = flags & DISCL_NONEXCLUSIVE;
  const bool foreground = flags & DISCL_FOREGROUND;
  const bool background = flags & DISCL_BACKGROUND;
  if ((exclusive && nonExclusive) || (foreground && background)) return DIERR_INVALIDPARAM;
  if (window && !plat::Window::FromHandle(window)) return E_HANDLE;
  // Neither exclusive nor non-exclusive reads as non-exclusive, and neither foreground
  // nor background as background: the devices share the input either way.
  cooperation_ = (exclusive ? DISCL_EXCLUSIVE : DISCL_NONEXCLUSIVE) |
                 (foreground ? DISCL_FOREGROUND : DISCL_BACKGROUND);
  // A foreground device cannot stay acquired in an application without the focus.
  if (foreground && acquired_ && !plat::MessageQueue::Instance().HasFocus()) {
    Detach();
    lost_ = true;
  }
  return DI_OK;
}

HRESULT InputDevice::SetProperty(REFGUID property, const DIPROPHEADER* header) {
  if (!header || header->dwHeaderSize != sizeof(DIPROPHEADER)) return DIERR_INVALIDPARAM;
  if (property != DIPROP_BUFFERSIZE) return DIERR_UNSUPPORTED;
  if (header->dwSize != sizeof(DIPROPDWORD) || header->dwHow != DIPH_DEVICE || header->dwObj != 0) {
    return DIERR_INVALIDPARAM;
  }
  if (acquired_) return DIERR_ACQUIRED;
  bufferSize_ = reinterpret_cast<const DIPROPDWORD*>(header)->dwData;
  return DI_OK;
}

HRESULT InputDevice::GetProperty(REFGUID property, DIPROPHEADER* header) {
  if (!header || header->dwHeaderSize != sizeof(DIPROPHEADER)) return DIERR_INVALIDPARAM;
  if (property != DIPROP_BUFFERSIZE) return DIERR_UNSUPPORTED;
  if (header->dwSize != sizeof(DIPROPDWORD) || header->dwHow != DIPH_DEVICE) return DIERR_INVALIDPARAM;
  reinterpret_cast<DIPROPDWORD*>(header)->dwData = bufferSize_;
  return DI_OK;
}

HRESULT InputDevice::Acquire() {
  if (!format_) return DIERR_INVALIDPARAM;
  if (acquired_) return S_FALSE;
  plat::MessageQueue& queue = plat::MessageQueue::Instance();
  if ((cooperation_ & DISCL_FOREGROUND) && !queue.HasFocus()) return DIERR_OTHERAPPHASPRIORITY;
  buffer_.clear();
  overflowed_ = false;
  lost_ = false;
  // The immediate state starts from what is held now.
  for (int code = 0; code < 256; ++code) {
    keys_[code] = queue.IsKeyDown(static_cast<uint8_t>(code)) ? 0x80 : 0;
  }
  for (int button = 0; button < 8; ++button) buttons_[button] = queue.IsMouseButtonDown(button) ? 0x80 : 0;
  std::fill(std::begin(axes_), std::end(axes_), 0);
  acquired_ = true;
  queue.AddInputSink(this);
  return DI_OK;
}

HRESULT InputDevice::Unacquire() {
  lost_ = false;
  if (!acquired_) return DI_NOEFFECT;
  Detach();
  return DI_OK;
}

void InputDevice::Detach() {
  if (acquired_) plat::MessageQueue::Instance().RemoveInputSink(this);
  acquired_ = false;
  buffer_.clear();
  overflowed_ = false;
}

HRESULT InputDevice::ReadableState() {
  if (acquired_) return DI_OK;
  if (lost_) {
    lost_ = false;
    return DIERR_INPUTLOST;
  }
  return DIERR_NOTACQUIRED;
}

HRESULT InputDevice::Poll() {
  plat::MessageQueue::Instance().Drain();
  const HRESULT state = ReadableState();
  return state == DI_OK ? DI_NOEFFECT : state;
}

HRESULT InputDevice::GetDeviceState(DWORD size, LPVOID data) {
  if (!data || !format_ || size != format_->dwDataSize) return DIERR_INVALIDPARAM;
  plat::MessageQueue::Instance().Drain();
  const HRESULT state = ReadableState();
  if (state != DI_OK) return state;
  if (kind_ == Kind::Keyboard) {
    std::memcpy(data, keys_, sizeof keys_);
    return DI_OK;
  }
  // The axes are relative: what moved since the previous read. DIMOUSESTATE is the
  // first part of DIMOUSESTATE2, so one layout serves both sizes.
  DIMOUSESTATE2 mouse{axes_[0], axes_[1], axes_[2], {}};
  std::memcpy(mouse.rgbButtons, buttons_, sizeof buttons_);
  std::memcpy(data, &mouse, size);
  std::fill(std::begin(axes_), std::end(axes_), 0);
  return DI_OK;
}

HRESULT InputDevice::GetDeviceData(DWORD recordSize, DIDEVICEOBJECTDATA* records, DWORD* count,
                                   DWORD flags) {
  if (!count || (recordSize != sizeof(DIDEVICEOBJECTDATA) && recordSize != kDirectX3RecordSize)) {
    return DIERR_INVALIDPARAM;
  }
  plat::MessageQueue::Instance().Drain();
  const HRESULT state = ReadableState();
  if (state != DI_OK) {
    *count = 0;
    return state;
  }
  if (bufferSize_ == 0) {
    *count = 0;
    return DIERR_NOTBUFFERED;
  }
  const bool peek = flags & DIGDD_PEEK;
  const size_t wanted = std::min<size_t>(*count, buffer_.size());
  if (records) {
    // Copied record by record: a caller with the shorter record gets no uAppData.
    unsigned char* out = reinterpret_cast<unsigned char*>(records);
    for (size_t i = 0; i < wanted; ++i) std::memcpy(out + i * recordSize, &buffer_[i], recordSize);
  }
  if (!peek) buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(wanted));
  *count = static_cast<DWORD>(wanted);
  const bool overflowed = overflowed_;
  if (!peek) overflowed_ = false;
  return overflowed ? DI_BUFFEROVERFLOW : DI_OK;
}

int InputDevice::ButtonCount() const { return format_ == &c_dfDIMouse2 ? 8 : 4; }

void InputDevice::Record(DWORD offset, DWORD data, const plat::InputEvent& event, uint32_t sequence) {
  if (bufferSize_ == 0) return;
  if (buffer_.size() >= bufferSize_) {
    // Full: the newest records are lost, and the next read says so.
    overflowed_ = true;
    return;
  }
  buffer_.push_back(DIDEVICEOBJECTDATA{offset, data, event.time, sequence, 0});
}

void InputDevice::OnInput(const plat::InputEvent& event, uint32_t sequence) {
  if (kind_ == Kind::Keyboard) {
    if (event.kind != plat::InputKind::Key) return;
    keys_[event.code] = event.down ? 0x80 : 0;
    Record(event.code, event.down ? 0x80 : 0, event, sequence);
    return;
  }
  switch (event.kind) {
    case plat::InputKind::MouseMotion:
      axes_[0] += event.dx;
      axes_[1] += event.dy;
      if (event.dx) Record(DIMOFS_X, static_cast<DWORD>(event.dx), event, sequence);
      if (event.dy) Record(DIMOFS_Y, static_cast<DWORD>(event.dy), event, sequence);
      break;
    case plat::InputKind::MouseWheel:
      axes_[2] += event.dy;
      if (event.dy) Record(DIMOFS_Z, static_cast<DWORD>(event.dy), event, sequence);
      break;
    case plat::InputKind::MouseButton:
      if (event.code >= ButtonCount()) break;
      buttons_[event.code] = event.down ? 0x80 : 0;
      Record(DIMOFS_BUTTON0 + event.code, event.down ? 0x80 : 0, event, sequence);
      break;
    case plat::InputKind::Key:
      break;
  }
}

void InputDevice::OnFocusChange(bool focused) {
  if (focused || !(cooperation_ & DISCL_FOREGROUND) || !acquired_) return;
  Detach();
  lost_ = true;
}

}  // namespace dinput
