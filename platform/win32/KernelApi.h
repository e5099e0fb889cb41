#pragma once

// The kernel services (kernel32) that the window layer and its callers use: the thread's
// last error and its text, global memory blocks (the clipboard's), folder creation and the
// module handle.

#include <cstddef>

#include "platform/win32/UserTypes.h"

// Error codes (macros, as Win32 has them, so that other parts of the layer may name them
// too). Failures of the layer set one of these; a failed system call sets the
// translation of its errno (or ERROR_ERRNO_BASE + errno when there is none), a failed
// SDL call ERROR_SDL with SDL's text.
#ifndef ERROR_SUCCESS
#define ERROR_SUCCESS 0U
#endif
#ifndef ERROR_FILE_NOT_FOUND
#define ERROR_FILE_NOT_FOUND 2U
#endif
#ifndef ERROR_PATH_NOT_FOUND
#define ERROR_PATH_NOT_FOUND 3U
#endif
#ifndef ERROR_ACCESS_DENIED
#define ERROR_ACCESS_DENIED 5U
#endif
#ifndef ERROR_INVALID_HANDLE
#define ERROR_INVALID_HANDLE 6U
#endif
#ifndef ERROR_NOT_ENOUGH_MEMORY
#define ERROR_NOT_ENOUGH_MEMORY 8U
#endif
#ifndef ERROR_INVALID_PARAMETER
#define ERROR_INVALID_PARAMETER 87U
#endif
#ifndef ERROR_INSUFFICIENT_BUFFER
#define ERROR_INSUFFICIENT_BUFFER 122U
#endif
#ifndef ERROR_ALREADY_EXISTS
#define ERROR_ALREADY_EXISTS 183U
#endif
#ifndef ERROR_INVALID_WINDOW_HANDLE
#define ERROR_INVALID_WINDOW_HANDLE 1400U
#endif
#ifndef ERROR_CANNOT_FIND_WND_CLASS
#define ERROR_CANNOT_FIND_WND_CLASS 1407U
#endif
#ifndef ERROR_CLASS_ALREADY_EXISTS
#define ERROR_CLASS_ALREADY_EXISTS 1410U
#endif
#ifndef ERROR_INVALID_INDEX
#define ERROR_INVALID_INDEX 1413U
#endif
#ifndef ERROR_CLIPBOARD_NOT_OPEN
#define ERROR_CLIPBOARD_NOT_OPEN 1418U
#endif
// Codes of our own (the customer bit 29 keeps them apart from system codes).
#ifndef ERROR_SDL
#define ERROR_SDL 0x20000001U
#endif
#ifndef ERROR_ERRNO_BASE
#define ERROR_ERRNO_BASE 0x20010000U
#endif

// Per thread.
DWORD GetLastError();
void SetLastError(DWORD error);

inline constexpr DWORD FORMAT_MESSAGE_ALLOCATE_BUFFER = 0x00000100;
inline constexpr DWORD FORMAT_MESSAGE_IGNORE_INSERTS = 0x00000200;
inline constexpr DWORD FORMAT_MESSAGE_FROM_SYSTEM = 0x00001000;
inline constexpr WORD LANG_NEUTRAL = 0x00;
inline constexpr WORD SUBLANG_DEFAULT = 0x01;
inline constexpr DWORD MAKELANGID(WORD primary, WORD sub) {
  return static_cast<DWORD>((sub << 10) | primary);
}

using LANGID = WORD;
inline constexpr WORD LANG_ENGLISH = 0x09;
inline constexpr WORD PRIMARYLANGID(LANGID language) { return static_cast<WORD>(language & 0x3FF); }

// The user's interface language as a language id (the primary language in the low 10
// bits, SUBLANG_DEFAULT above): the language of the desktop's message locale, taken from
// the first of LC_ALL, LC_MESSAGES and LANG that is set and not empty ("de_DE.UTF-8" is
// German). English when none is set or the locale is "C" or "POSIX"; LANG_NEUTRAL for a
// language without an id here.
LANGID GetUserDefaultUILanguage();

// FORMAT_MESSAGE_FROM_SYSTEM only: the text of an error code (no trailing line break;
// the language is ignored). With FORMAT_MESSAGE_ALLOCATE_BUFFER, `buffer` is really a
// char** that receives a block to free with LocalFree; otherwise the text is copied into
// `buffer` of `size` characters. Returns the text length, 0 for an unknown code or a
// buffer too small.
DWORD FormatMessageA(DWORD flags, const void* source, DWORD messageId, DWORD languageId,
                     LPSTR buffer, DWORD size, void* arguments);
HLOCAL LocalFree(HLOCAL memory);  // null on success

#ifndef INFINITE
#define INFINITE 0xFFFFFFFFU
#endif

inline constexpr UINT GMEM_FIXED = 0x0000;
inline constexpr UINT GMEM_MOVEABLE = 0x0002;
inline constexpr UINT GMEM_ZEROINIT = 0x0040;
inline constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;

// Blocks of memory behind a handle. Lock gives the bytes (null for a bad handle), Unlock
// returns FALSE once the block is no longer locked (as Win32), Free returns null on
// success.
HGLOBAL GlobalAlloc(UINT flags, size_t bytes);
LPVOID GlobalLock(HGLOBAL memory);
BOOL GlobalUnlock(HGLOBAL memory);
size_t GlobalSize(HGLOBAL memory);
HGLOBAL GlobalFree(HGLOBAL memory);

struct SECURITY_ATTRIBUTES;
// One folder (its parent must exist). An existing folder fails with ERROR_ALREADY_EXISTS.
BOOL CreateDirectoryA(LPCSTR path, SECURITY_ATTRIBUTES* security);

// A non-null handle for the program (the name is ignored).
HMODULE GetModuleHandleA(LPCSTR moduleName);

namespace plat {
// Sets the last error from an errno value.
void SetLastErrorFromErrno(int errnoValue);
// Sets ERROR_SDL and keeps SDL_GetError's text for FormatMessageA.
void SetLastErrorFromSdl();
}  // namespace plat
