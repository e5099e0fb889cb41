#pragma once

#include <cstdint>

// File enumeration in the shape of kernel32's FindFirstFileA / FindNextFileA / FindClose,
// over POSIX directories.
//
// The pattern is a path whose last component may hold the wildcards "*" and "?"; "\" and
// "/" both separate folders. Matching ignores case, as on Windows, and "." and ".." are
// listed like any other entry. Entries come in name order (ignoring case).
//
// Attributes: DIRECTORY for folders, HIDDEN for names starting with "." (other than "."
// and ".."), READONLY when the owner has no write permission, NORMAL when none of these
// applies. SYSTEM and ARCHIVE have no POSIX counterpart and are never set.

typedef uint32_t DWORD;
typedef uint16_t WORD;
typedef int BOOL;
typedef void* HANDLE;

#ifndef INVALID_HANDLE_VALUE
#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1)))
#endif

#ifndef MAX_PATH
#define MAX_PATH 260
#endif

#define FILE_ATTRIBUTE_READONLY 0x00000001
#define FILE_ATTRIBUTE_HIDDEN 0x00000002
#define FILE_ATTRIBUTE_SYSTEM 0x00000004
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020
#define FILE_ATTRIBUTE_NORMAL 0x00000080

// 100-nanosecond intervals since 1 January 1601 (UTC).
struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};

struct SYSTEMTIME {
  WORD wYear;
  WORD wMonth;  // 1..12
  WORD wDayOfWeek;  // 0 = Sunday
  WORD wDay;
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
};

struct WIN32_FIND_DATAA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;  // the status-change time (POSIX keeps no creation time)
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  char cFileName[MAX_PATH];
  char cAlternateFileName[14];
};

// The first match, or INVALID_HANDLE_VALUE when nothing matches (or the folder cannot be
// read). The handle is released with FindClose.
HANDLE FindFirstFileA(const char* fileName, WIN32_FIND_DATAA* findData);
// The next match; false when there is none.
BOOL FindNextFileA(HANDLE findFile, WIN32_FIND_DATAA* findData);
BOOL FindClose(HANDLE findFile);

// Splits a file time into calendar fields, in UTC as on Windows.
BOOL FileTimeToSystemTime(const FILETIME* fileTime, SYSTEMTIME* systemTime);
