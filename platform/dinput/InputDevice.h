#pragma once

#include <atomic>
#include <cstdint>
#include <deque>

#include "platform/dinput/DInput.h"
#include "platform/win32/EventSource.h"

namespace dinput {

// The system keyboard or mouse: a DirectInput device fed by the window layer's message
// queue. While acquired it receives the queue's input events: it keeps a bounded buffer
// of records for GetDeviceData and the immediate state for GetDeviceState.
class InputDevice : public IDirectInputDevice8A, private plat::InputSink {
 public:
  enum class Kind : uint8_t { Keyboard, Mouse };

  // Made with one reference; Release frees it.
  explicit InputDevice(Kind kind);
  InputDevice(const InputDevice&) = delete;
  InputDevice& operator=(const InputDevice&) = delete;

  Kind GetKind() const { return kind_; }
  bool IsAcquired() const { return acquired_; }
  size_t Buffered() const { return buffer_.size(); }

  HRESULT QueryInterface(REFIID id, void** object) override;
  ULONG AddRef() override;
  ULONG Release() override;

  HRESULT SetDataFormat(const DIDATAFORMAT* format) override;
  HRESULT SetCooperativeLevel(HWND window, DWORD flags) override;
  HRESULT SetProperty(REFGUID property, const DIPROPHEADER* header) override;
  HRESULT GetProperty(REFGUID property, DIPROPHEADER* header) override;
  HRESULT Acquire() override;
  HRESULT Unacquire() override;
  HRESULT Poll() override;
  HRESULT GetDeviceState(DWORD size, LPVOID data) override;
  HRESULT GetDeviceData(DWORD recordSize, DIDEVICEOBJECTDATA* records, DWORD* count,
                        DWORD flags) override;

 private:
  ~InputDevice() override;
  void OnInput(const plat::InputEvent& event, uint32_t sequence) override;
  void OnFocusChange(bool focused) override;
  // Why a read cannot run now (DI_OK when it can); reports a loss once.
  HRESULT ReadableState();
  void Record(DWORD offset, DWORD data, const plat::InputEvent& event, uint32_t sequence);
  void Detach();
  int ButtonCount() const;

  const Kind kind_;
  std::atomic<ULONG> references_{1};
  const DIDATAFORMAT* format_ = nullptr;
  DWORD cooperation_ = DISCL_NONEXCLUSIVE | DISCL_BACKGROUND;
  DWORD bufferSize_ = 0;
  bool acquired_ = false;
  bool lost_ = false;  // the focus took the device away; the next read says so
  bool overflowed_ = false;
  std::deque<DIDEVICEOBJECTDATA> buffer_;
  BYTE keys_[256] = {};
  LONG axes_[3] = {};  // x, y, wheel since the previous GetDeviceState
  BYTE buttons_[8] = {};
};

}  // namespace dinput
