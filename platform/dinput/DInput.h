#pragma once

// The DirectInput 8 interface that the input devices call: the DirectInput object, the
// system keyboard and mouse with buffered data and immediate state. Input comes from the
// window layer's message queue (SDL events, or a ScriptedEventSource in tests), which
// every Poll, GetDeviceData and GetDeviceState drains first.
//
// Keys are DirectInput key codes (scan codes, see platform/win32/ScanCodes.h). Mouse
// buttons: 0 left, 1 right, 2 middle. The wheel moves 120 a notch. Mouse axes are
// relative: buffered records carry each motion, the immediate state the sum since the
// previous GetDeviceState.

#include <cstdint>

#include "platform/win32/ComBase.h"
#include "platform/win32/KernelApi.h"
#include "platform/win32/UserTypes.h"

inline constexpr DWORD DIRECTINPUT_VERSION = 0x0800;

extern const IID IID_IDirectInput8A;
extern const GUID GUID_SysKeyboard;
extern const GUID GUID_SysMouse;
// Property ids (SetProperty / GetProperty).
extern const GUID DIPROP_BUFFERSIZE;

// Results
#ifndef DI_OK
#define DI_OK S_OK
#endif
#ifndef DI_NOEFFECT
#define DI_NOEFFECT S_FALSE
#endif
#ifndef DI_BUFFEROVERFLOW
#define DI_BUFFEROVERFLOW S_FALSE
#endif
#ifndef DIERR_OLDDIRECTINPUTVERSION
#define DIERR_OLDDIRECTINPUTVERSION ((HRESULT)0x8007047EU)
#endif
#ifndef DIERR_BETADIRECTINPUTVERSION
#define DIERR_BETADIRECTINPUTVERSION ((HRESULT)0x80070481U)
#endif
#ifndef DIERR_INVALIDPARAM
#define DIERR_INVALIDPARAM E_INVALIDARG
#endif
#ifndef DIERR_DEVICENOTREG
#define DIERR_DEVICENOTREG ((HRESULT)0x80040154U)
#endif
#ifndef DIERR_NOTINITIALIZED
#define DIERR_NOTINITIALIZED ((HRESULT)0x80070015U)
#endif
#ifndef DIERR_INPUTLOST
#define DIERR_INPUTLOST ((HRESULT)0x8007001EU)
#endif
#ifndef DIERR_NOTACQUIRED
#define DIERR_NOTACQUIRED ((HRESULT)0x8007000CU)
#endif
#ifndef DIERR_ACQUIRED
#define DIERR_ACQUIRED ((HRESULT)0x800700AAU)
#endif
#ifndef DIERR_OTHERAPPHASPRIORITY
#define DIERR_OTHERAPPHASPRIORITY E_ACCESSDENIED
#endif
#ifndef DIERR_NOTBUFFERED
#define DIERR_NOTBUFFERED ((HRESULT)0x80040207U)
#endif
#ifndef DIERR_UNSUPPORTED
#define DIERR_UNSUPPORTED E_NOTIMPL
#endif
#ifndef DIERR_OUTOFMEMORY
#define DIERR_OUTOFMEMORY E_OUTOFMEMORY
#endif

// The name of a DirectInput result ("DIERR_INPUTLOST", "DI_OK" ...); null for a code
// that is not one of the above.
const char* DInputErrorName(HRESULT result);

// Cooperative levels
inline constexpr DWORD DISCL_EXCLUSIVE = 0x01;
inline constexpr DWORD DISCL_NONEXCLUSIVE = 0x02;
inline constexpr DWORD DISCL_FOREGROUND = 0x04;
inline constexpr DWORD DISCL_BACKGROUND = 0x08;
inline constexpr DWORD DISCL_NOWINKEY = 0x10;

// Data formats. Only the address matters: pass one of the three below.
struct DIDATAFORMAT {
  DWORD dwSize;
  DWORD dwDataSize;  // bytes of the immediate state
};
extern const DIDATAFORMAT c_dfDIKeyboard;  // 256 key bytes
extern const DIDATAFORMAT c_dfDIMouse;     // DIMOUSESTATE
extern const DIDATAFORMAT c_dfDIMouse2;    // DIMOUSESTATE2 (eight buttons)

struct DIMOUSESTATE {
  LONG lX;
  LONG lY;
  LONG lZ;
  BYTE rgbButtons[4];
};

struct DIMOUSESTATE2 {
  LONG lX;
  LONG lY;
  LONG lZ;
  BYTE rgbButtons[8];
};

// Offsets of mouse records
inline constexpr DWORD DIMOFS_X = 0;
inline constexpr DWORD DIMOFS_Y = 4;
inline constexpr DWORD DIMOFS_Z = 8;
inline constexpr DWORD DIMOFS_BUTTON0 = 12;
inline constexpr DWORD DIMOFS_BUTTON1 = 13;
inline constexpr DWORD DIMOFS_BUTTON2 = 14;
inline constexpr DWORD DIMOFS_BUTTON3 = 15;
inline constexpr DWORD DIMOFS_BUTTON4 = 16;
inline constexpr DWORD DIMOFS_BUTTON5 = 17;
inline constexpr DWORD DIMOFS_BUTTON6 = 18;
inline constexpr DWORD DIMOFS_BUTTON7 = 19;

// One buffered record. Keyboard: dwOfs the key code, dwData 0x80 pressed / 0 released.
// Mouse: dwOfs one of DIMOFS_*, dwData the signed motion (axes, wheel) or 0x80 / 0
// (buttons). Time in milliseconds; the sequence number grows across all devices, and the
// x and y records of one motion share it.
struct DIDEVICEOBJECTDATA {
  DWORD dwOfs;
  DWORD dwData;
  DWORD dwTimeStamp;
  DWORD dwSequence;
  uintptr_t uAppData;
};

inline constexpr DWORD DIGDD_PEEK = 0x00000001;

struct DIPROPHEADER {
  DWORD dwSize;        // of the whole property structure
  DWORD dwHeaderSize;  // sizeof(DIPROPHEADER)
  DWORD dwObj;         // 0 with DIPH_DEVICE
  DWORD dwHow;
};

struct DIPROPDWORD {
  DIPROPHEADER diph;
  DWORD dwData;
};

inline constexpr DWORD DIPH_DEVICE = 0;
inline constexpr DWORD DIPH_BYOFFSET = 1;

struct IDirectInputDevice8A : IUnknown {
  // DIERR_ACQUIRED while acquired; DIERR_INVALIDPARAM for a format of the other device.
  virtual HRESULT SetDataFormat(const DIDATAFORMAT* format) = 0;
  // Exclusive or non-exclusive (neither: non-exclusive), foreground or background
  // (neither: background); E_HANDLE for a handle that is not a window of this process.
  // A foreground device loses its acquisition when the application loses the focus.
  virtual HRESULT SetCooperativeLevel(HWND window, DWORD flags) = 0;
  // DIPROP_BUFFERSIZE (DIPROPDWORD, DIPH_DEVICE): records kept between reads; 0 (the
  // start) means unbuffered. DIERR_ACQUIRED while acquired.
  virtual HRESULT SetProperty(REFGUID property, const DIPROPHEADER* header) = 0;
  virtual HRESULT GetProperty(REFGUID property, DIPROPHEADER* header) = 0;
  // Needs a data format. Starts with an empty buffer and the current key and button
  // states. S_FALSE when already acquired; DIERR_OTHERAPPHASPRIORITY for a foreground
  // device while the application has no focus.
  virtual HRESULT Acquire() = 0;
  virtual HRESULT Unacquire() = 0;  // DI_NOEFFECT when not acquired
  // Drains the queue. DI_NOEFFECT when acquired (nothing needs polling), else the error
  // GetDeviceData would give.
  virtual HRESULT Poll() = 0;
  // The immediate state in the data format's layout (size must match).
  virtual HRESULT GetDeviceState(DWORD size, LPVOID data) = 0;
  // Up to *count records, oldest first; *count becomes the number given. With DIGDD_PEEK
  // they stay; a null buffer with *count INFINITE empties the buffer. DI_BUFFEROVERFLOW
  // (a success) when records were lost because the buffer was full since the previous
  // read: the newest ones are dropped. DIERR_INPUTLOST once after the focus took the
  // device away, then DIERR_NOTACQUIRED until Acquire; DIERR_NOTBUFFERED with no buffer.
  virtual HRESULT GetDeviceData(DWORD recordSize, DIDEVICEOBJECTDATA* records, DWORD* count,
                                DWORD flags) = 0;
};
typedef IDirectInputDevice8A* LPDIRECTINPUTDEVICE8A;
typedef IDirectInputDevice8A IDirectInputDevice8;
typedef IDirectInputDevice8A* LPDIRECTINPUTDEVICE8;

struct IDirectInput8A : IUnknown {
  // GUID_SysKeyboard or GUID_SysMouse; DIERR_DEVICENOTREG otherwise.
  virtual HRESULT CreateDevice(REFGUID device, IDirectInputDevice8A** out, LPUNKNOWN outer) = 0;
};
typedef IDirectInput8A* LPDIRECTINPUT8A;
typedef IDirectInput8A IDirectInput8;
typedef IDirectInput8A* LPDIRECTINPUT8;

// Version 0x0800 and IID_IDirectInput8A only.
HRESULT DirectInput8Create(HINSTANCE instance, DWORD version, REFIID interfaceId, LPVOID* out,
                           LPUNKNOWN outer);

// DirectInput key codes the engine names (the scan codes of the keys).
inline constexpr uint8_t DIK_ESCAPE = 0x01;
inline constexpr uint8_t DIK_1 = 0x02;
inline constexpr uint8_t DIK_0 = 0x0B;
inline constexpr uint8_t DIK_MINUS = 0x0C;
inline constexpr uint8_t DIK_EQUALS = 0x0D;
inline constexpr uint8_t DIK_BACK = 0x0E;
inline constexpr uint8_t DIK_TAB = 0x0F;
inline constexpr uint8_t DIK_Q = 0x10;
inline constexpr uint8_t DIK_P = 0x19;
inline constexpr uint8_t DIK_RETURN = 0x1C;
inline constexpr uint8_t DIK_LCONTROL = 0x1D;
inline constexpr uint8_t DIK_A = 0x1E;
inline constexpr uint8_t DIK_L = 0x26;
inline constexpr uint8_t DIK_GRAVE = 0x29;
inline constexpr uint8_t DIK_LSHIFT = 0x2A;
inline constexpr uint8_t DIK_Z = 0x2C;
inline constexpr uint8_t DIK_M = 0x32;
inline constexpr uint8_t DIK_RSHIFT = 0x36;
inline constexpr uint8_t DIK_MULTIPLY = 0x37;
inline constexpr uint8_t DIK_LMENU = 0x38;
inline constexpr uint8_t DIK_SPACE = 0x39;
inline constexpr uint8_t DIK_CAPITAL = 0x3A;
inline constexpr uint8_t DIK_F1 = 0x3B;
inline constexpr uint8_t DIK_F3 = 0x3D;
inline constexpr uint8_t DIK_F4 = 0x3E;
inline constexpr uint8_t DIK_F10 = 0x44;
inline constexpr uint8_t DIK_NUMLOCK = 0x45;
inline constexpr uint8_t DIK_SCROLL = 0x46;
inline constexpr uint8_t DIK_NUMPAD7 = 0x47;
inline constexpr uint8_t DIK_NUMPAD8 = 0x48;
inline constexpr uint8_t DIK_NUMPAD9 = 0x49;
inline constexpr uint8_t DIK_SUBTRACT = 0x4A;
inline constexpr uint8_t DIK_NUMPAD4 = 0x4B;
inline constexpr uint8_t DIK_NUMPAD5 = 0x4C;
inline constexpr uint8_t DIK_NUMPAD6 = 0x4D;
inline constexpr uint8_t DIK_ADD = 0x4E;
inline constexpr uint8_t DIK_NUMPAD1 = 0x4F;
inline constexpr uint8_t DIK_NUMPAD2 = 0x50;
inline constexpr uint8_t DIK_NUMPAD3 = 0x51;
inline constexpr uint8_t DIK_NUMPAD0 = 0x52;
inline constexpr uint8_t DIK_DECIMAL = 0x53;
inline constexpr uint8_t DIK_F11 = 0x57;
inline constexpr uint8_t DIK_F12 = 0x58;
inline constexpr uint8_t DIK_NUMPADENTER = 0x9C;
inline constexpr uint8_t DIK_RCONTROL = 0x9D;
inline constexpr uint8_t DIK_DIVIDE = 0xB5;
inline constexpr uint8_t DIK_RMENU = 0xB8;
inline constexpr uint8_t DIK_PAUSE = 0xC5;
inline constexpr uint8_t DIK_HOME = 0xC7;
inline constexpr uint8_t DIK_UP = 0xC8;
inline constexpr uint8_t DIK_PRIOR = 0xC9;
inline constexpr uint8_t DIK_LEFT = 0xCB;
inline constexpr uint8_t DIK_RIGHT = 0xCD;
inline constexpr uint8_t DIK_END = 0xCF;
inline constexpr uint8_t DIK_DOWN = 0xD0;
inline constexpr uint8_t DIK_NEXT = 0xD1;
inline constexpr uint8_t DIK_INSERT = 0xD2;
inline constexpr uint8_t DIK_DELETE = 0xD3;
inline constexpr uint8_t DIK_LWIN = 0xDB;
inline constexpr uint8_t DIK_RWIN = 0xDC;
inline constexpr uint8_t DIK_APPS = 0xDD;
