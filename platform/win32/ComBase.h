#pragma once

// The COM basics that the DirectX stand-ins share: result codes, interface and object
// ids, and the reference-counted base interface. The result codes are macros, as Win32
// has them, so that another stand-in may name them too.

#include <cstdint>
#include <cstring>

typedef int32_t HRESULT;
typedef uint32_t ULONG;

#ifndef S_OK
#define S_OK ((HRESULT)0)
#endif
#ifndef S_FALSE
#define S_FALSE ((HRESULT)1)
#endif
#ifndef E_NOTIMPL
#define E_NOTIMPL ((HRESULT)0x80004001U)
#endif
#ifndef E_NOINTERFACE
#define E_NOINTERFACE ((HRESULT)0x80004002U)
#endif
#ifndef E_POINTER
#define E_POINTER ((HRESULT)0x80004003U)
#endif
#ifndef E_FAIL
#define E_FAIL ((HRESULT)0x80004005U)
#endif
#ifndef E_ACCESSDENIED
#define E_ACCESSDENIED ((HRESULT)0x80070005U)
#endif
#ifndef E_HANDLE
#define E_HANDLE ((HRESULT)0x80070006U)
#endif
#ifndef E_OUTOFMEMORY
#define E_OUTOFMEMORY ((HRESULT)0x8007000EU)
#endif
#ifndef E_INVALIDARG
#define E_INVALIDARG ((HRESULT)0x80070057U)
#endif
#ifndef CLASS_E_NOAGGREGATION
#define CLASS_E_NOAGGREGATION ((HRESULT)0x80040110U)
#endif
#ifndef SUCCEEDED
#define SUCCEEDED(hr) (((HRESULT)(hr)) >= 0)
#endif
#ifndef FAILED
#define FAILED(hr) (((HRESULT)(hr)) < 0)
#endif

#ifndef GUID_DEFINED
#define GUID_DEFINED
struct GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
};
inline bool operator==(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }
inline bool operator!=(const GUID& a, const GUID& b) { return !(a == b); }
#endif
typedef GUID IID;
typedef const GUID& REFGUID;
typedef const GUID& REFIID;

#ifndef IUNKNOWN_DEFINED
#define IUNKNOWN_DEFINED
struct IUnknown {
  virtual HRESULT QueryInterface(REFIID id, void** object) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  virtual ~IUnknown() = default;
};
#endif
typedef IUnknown* LPUNKNOWN;
