#include "platform/dinput/DirectInput.h"

#include <new>

#include "platform/dinput/InputDevice.h"

namespace dinput {

HRESULT DirectInput::QueryInterface(REFIID id, void** object) {
  if (!object) return E_POINTER;
  if (id == IID_IDirectInput8A) {
    AddRef();
    *object = static_cast<IDirectInput8A*>(this);
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG DirectInput::AddRef() { return ++references_; }

ULONG DirectInput::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT DirectInput::CreateDevice(REFGUID device, IDirectInputDevice8A** out, LPUNKNOWN outer) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  if (device == GUID_SysKeyboard) {
    *out = new InputDevice(InputDevice::Kind::Keyboard);
  } else if (device == GUID_SysMouse) {
    *out = new InputDevice(InputDevice::Kind::Mouse);
  } else {
    return DIERR_DEVICENOTREG;
  }
  return DI_OK;
}

}  // namespace dinput
