#pragma once

// The basic types of the Win32 window, message, shell and kernel services that the
// platform layer offers. Widths are the Win32 ones: BOOL, LONG and DWORD are 32 bits;
// WPARAM, LPARAM and LRESULT are as wide as a pointer.

#include <cstdint>

#include "platform/win32/Handles.h"

typedef int BOOL;
typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef unsigned int UINT;
typedef uint16_t ATOM;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef char CHAR;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef void* LPVOID;
typedef void* HANDLE;
typedef HANDLE HGLOBAL;
typedef HANDLE HLOCAL;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

// Opaque handles. Each is a pointer to a type of its own so that they do not mix.
struct HINSTANCE__;
typedef HINSTANCE__* HINSTANCE;
typedef HINSTANCE HMODULE;
struct HICON__;
typedef HICON__* HICON;
typedef HICON HCURSOR;
struct HBRUSH__;
typedef HBRUSH__* HBRUSH;
struct HMENU__;
typedef HMENU__* HMENU;
struct HDROP__;
typedef HDROP__* HDROP;
struct HKL__;
typedef HKL__* HKL;

// Guarded like the Direct3D stand-in's RECT (the same layout), so that code using both
// layers sees one definition.
#ifndef PELLAVO_RECT_DEFINED
#define PELLAVO_RECT_DEFINED
struct RECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};
#endif

struct POINT {
  LONG x;
  LONG y;
};

// One window message as the queue hands it out.
struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;  // milliseconds on SDL's clock when the message was queued
  POINT pt;    // not kept by this layer: always (0, 0)
};
typedef MSG* LPMSG;

inline constexpr WORD LOWORD(uintptr_t value) { return static_cast<WORD>(value & 0xFFFF); }
inline constexpr WORD HIWORD(uintptr_t value) { return static_cast<WORD>((value >> 16) & 0xFFFF); }
inline constexpr DWORD MAKELONG(WORD low, WORD high) {
  return static_cast<DWORD>(low) | (static_cast<DWORD>(high) << 16);
}
// Two 16-bit values packed into an lParam (zero-extended, as Win32 does).
inline constexpr LPARAM MAKELPARAM(WORD low, WORD high) {
  return static_cast<LPARAM>(MAKELONG(low, high));
}
// The signed client coordinates of a mouse message.
inline constexpr int GET_X_LPARAM(LPARAM lParam) {
  return static_cast<int16_t>(LOWORD(static_cast<uintptr_t>(lParam)));
}
inline constexpr int GET_Y_LPARAM(LPARAM lParam) {
  return static_cast<int16_t>(HIWORD(static_cast<uintptr_t>(lParam)));
}

// A resource named by number (cursor ids such as IDC_ARROW).
inline LPCSTR MAKEINTRESOURCEA(uintptr_t id) { return reinterpret_cast<LPCSTR>(id); }
inline bool IS_INTRESOURCE(LPCSTR name) { return (reinterpret_cast<uintptr_t>(name) >> 16) == 0; }
