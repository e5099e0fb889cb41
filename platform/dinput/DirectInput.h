#pragma once

#include <atomic>

#include "platform/dinput/DInput.h"

namespace dinput {

// The DirectInput object: makes the system keyboard and mouse devices.
class DirectInput : public IDirectInput8A {
 public:
  DirectInput() = default;
  DirectInput(const DirectInput&) = delete;
  DirectInput& operator=(const DirectInput&) = delete;

  HRESULT QueryInterface(REFIID id, void** object) override;
  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT CreateDevice(REFGUID device, IDirectInputDevice8A** out, LPUNKNOWN outer) override;

 private:
  ~DirectInput() override = default;

  std::atomic<ULONG> references_{1};
};

}  // namespace dinput
