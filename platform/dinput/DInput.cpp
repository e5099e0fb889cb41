// The DirectInput entry point, its ids, data formats and result names.

#include "platform/dinput/DInput.h"

#include "platform/dinput/DirectInput.h"

// Ids of our own making: they only need to differ from one another.
const IID IID_IDirectInput8A = {0x70656C6C, 0x6176, 0x0001, {0x64, 0x69, 0x6E, 0x70, 0x75, 0x74, 0x38, 0x61}};
const GUID GUID_SysKeyboard = {0x70656C6C, 0x6176, 0x0002, {0x6B, 0x65, 0x79, 0x62, 0x6F, 0x61, 0x72, 0x64}};
const GUID GUID_SysMouse = {0x70656C6C, 0x6176, 0x0003, {0x6D, 0x6F, 0x75, 0x73, 0x65, 0x00, 0x00, 0x00}};
const GUID DIPROP_BUFFERSIZE = {0x70656C6C, 0x6176, 0x0101, {0x62, 0x75, 0x66, 0x66, 0x65, 0x72, 0x00, 0x00}};

const DIDATAFORMAT c_dfDIKeyboard = {sizeof(DIDATAFORMAT), 256};
const DIDATAFORMAT c_dfDIMouse = {sizeof(DIDATAFORMAT), sizeof(DIMOUSESTATE)};
const DIDATAFORMAT c_dfDIMouse2 = {sizeof(DIDATAFORMAT), sizeof(DIMOUSESTATE2)};

HRESULT DirectInput8Create(HINSTANCE instance, DWORD version, REFIID interfaceId, LPVOID* out,
                           LPUNKNOWN outer) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (version < DIRECTINPUT_VERSION) return DIERR_OLDDIRECTINPUTVERSION;
  if (version > DIRECTINPUT_VERSION) return DIERR_BETADIRECTINPUTVERSION;
  if (interfaceId != IID_IDirectInput8A) return E_NOINTERFACE;
  if (outer) return CLASS_E_NOAGGREGATION;
  *out = static_cast<IDirectInput8A*>(new dinput::DirectInput());
  return DI_OK;
}

const char* DInputErrorName(HRESULT result) {
  switch (result) {
    case DI_OK: return "DI_OK";
    case S_FALSE: return "S_FALSE";  // DI_NOEFFECT, DI_BUFFEROVERFLOW
    case DIERR_OLDDIRECTINPUTVERSION: return "DIERR_OLDDIRECTINPUTVERSION";
    case DIERR_BETADIRECTINPUTVERSION: return "DIERR_BETADIRECTINPUTVERSION";
    case DIERR_INVALIDPARAM: return "DIERR_INVALIDPARAM";
    case DIERR_DEVICENOTREG: return "DIERR_DEVICENOTREG";
    case DIERR_NOTINITIALIZED: return "DIERR_NOTINITIALIZED";
    case DIERR_INPUTLOST: return "DIERR_INPUTLOST";
    case DIERR_NOTACQUIRED: return "DIERR_NOTACQUIRED";
    case DIERR_ACQUIRED: return "DIERR_ACQUIRED";
    case DIERR_OTHERAPPHASPRIORITY: return "DIERR_OTHERAPPHASPRIORITY";
    case DIERR_NOTBUFFERED: return "DIERR_NOTBUFFERED";
    case DIERR_UNSUPPORTED: return "DIERR_UNSUPPORTED";
    case DIERR_OUTOFMEMORY: return "DIERR_OUTOFMEMORY";
    case E_NOINTERFACE: return "E_NOINTERFACE";
    case E_POINTER: return "E_POINTER";
    case E_HANDLE: return "E_HANDLE";
    case CLASS_E_NOAGGREGATION: return "CLASS_E_NOAGGREGATION";
    default: return nullptr;
  }
}
