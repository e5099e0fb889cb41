#pragma once

// The few COM and Win32 base names the Direct3D stand-in is declared with. Other platform
// layers may need the same names; each is guarded so that one definition wins.

#include <cstdint>

#ifndef PELLAVO_HRESULT_DEFINED
#define PELLAVO_HRESULT_DEFINED
typedef int32_t HRESULT;
#endif

#ifndef SUCCEEDED
#define SUCCEEDED(hr) (static_cast<HRESULT>(hr) >= 0)
#endif
#ifndef FAILED
#define FAILED(hr) (static_cast<HRESULT>(hr) < 0)
#endif

#ifndef PELLAVO_RECT_DEFINED
#define PELLAVO_RECT_DEFINED
// Right and bottom are exclusive.
struct RECT {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};
#endif

#ifndef MAKEFOURCC
#define MAKEFOURCC(a, b, c, d)                                                         \
  (static_cast<uint32_t>(static_cast<uint8_t>(a)) |                                    \
   (static_cast<uint32_t>(static_cast<uint8_t>(b)) << 8) |                             \
   (static_cast<uint32_t>(static_cast<uint8_t>(c)) << 16) |                            \
   (static_cast<uint32_t>(static_cast<uint8_t>(d)) << 24))
#endif

constexpr HRESULT MakeHResult(uint32_t value) { return static_cast<HRESULT>(value); }

#ifndef S_OK
#define S_OK HRESULT(0)
#endif
#ifndef E_FAIL
#define E_FAIL MakeHResult(0x80004005u)
#endif
#ifndef E_NOTIMPL
#define E_NOTIMPL MakeHResult(0x80004001u)
#endif
#ifndef E_NOINTERFACE
#define E_NOINTERFACE MakeHResult(0x80004002u)
#endif
#ifndef E_POINTER
#define E_POINTER MakeHResult(0x80004003u)
#endif
#ifndef E_OUTOFMEMORY
#define E_OUTOFMEMORY MakeHResult(0x8007000Eu)
#endif
#ifndef E_INVALIDARG
#define E_INVALIDARG MakeHResult(0x80070057u)
#endif
