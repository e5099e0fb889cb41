// The thread's last error and its text, folder creation and the module handle.

#include <SDL2/SDL.h>
#include <errno.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/win32/KernelApi.h"

namespace {

thread_local DWORD t_lastError = ERROR_SUCCESS;
thread_local std::string t_sdlError;

constexpr DWORD kErrorFilenameTooLong = 206;

struct ErrorText {
  DWORD code;
  const char* text;
};

const ErrorText kErrorTexts[] = {
    {ERROR_SUCCESS, "No error"},
    {ERROR_FILE_NOT_FOUND, "File not found"},
    {ERROR_PATH_NOT_FOUND, "Path not found"},
    {ERROR_ACCESS_DENIED, "Access denied"},
    {ERROR_INVALID_HANDLE, "Invalid handle"},
    {ERROR_NOT_ENOUGH_MEMORY, "Not enough memory"},
    {ERROR_INVALID_PARAMETER, "Invalid parameter"},
    {ERROR_INSUFFICIENT_BUFFER, "Buffer too small"},
    {ERROR_ALREADY_EXISTS, "Already exists"},
    {kErrorFilenameTooLong, "File name too long"},
    {ERROR_INVALID_WINDOW_HANDLE, "Invalid window handle"},
    {ERROR_CANNOT_FIND_WND_CLASS, "Window class not found"},
    {ERROR_CLASS_ALREADY_EXISTS, "Window class already exists"},
    {ERROR_INVALID_INDEX, "Invalid index"},
    {ERROR_CLIPBOARD_NOT_OPEN, "Clipboard not open"},
};

DWORD ErrorFromErrno(int value) {
  switch (value) {
    case 0: return ERROR_SUCCESS;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS: return ERROR_ACCESS_DENIED;
    case EBADF: return ERROR_INVALID_HANDLE;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    case EEXIST: return ERROR_ALREADY_EXISTS;
    case ENAMETOOLONG: return kErrorFilenameTooLong;
    default: return ERROR_ERRNO_BASE + static_cast<DWORD>(value);
  }
}

// The text of a code, or false when the code has none.
bool TextOf(DWORD code, std::string& text) {
  if (code == ERROR_SDL) {
    text = t_sdlError.empty() ? "SDL error" : t_sdlError;
    return true;
  }
  if (code > ERROR_ERRNO_BASE && code < ERROR_ERRNO_BASE + 0x10000) {
    text = std::strerror(static_cast<int>(code - ERROR_ERRNO_BASE));
    return true;
  }
  for (const ErrorText& entry : kErrorTexts) {
    if (entry.code == code) {
      text = entry.text;
      return true;
    }
  }
  return false;
}

}  // namespace

DWORD GetLastError() { return t_lastError; }

void SetLastError(DWORD error) { t_lastError = error; }

namespace plat {

void SetLastErrorFromErrno(int errnoValue) { t_lastError = ErrorFromErrno(errnoValue); }

void SetLastErrorFromSdl() {
  t_sdlError = SDL_GetError();
  t_lastError = ERROR_SDL;
}

}  // namespace plat

DWORD FormatMessageA(DWORD flags, const void* source, DWORD messageId, DWORD languageId,
                     LPSTR buffer, DWORD size, void* arguments) {
  if (!(flags & FORMAT_MESSAGE_FROM_SYSTEM) || !buffer) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::string text;
  if (!TextOf(messageId, text)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) {
    char* block = static_cast<char*>(std::malloc(text.size() + 1));
    if (!block) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return 0;
    }
    std::memcpy(block, text.c_str(), text.size() + 1);
    *reinterpret_cast<char**>(buffer) = block;
  } else {
    if (text.size() + 1 > size) {
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return 0;
    }
    std::memcpy(buffer, text.c_str(), text.size() + 1);
  }
  return static_cast<DWORD>(text.size());
}

HLOCAL LocalFree(HLOCAL memory) {
  std::free(memory);
  return nullptr;
}

BOOL CreateDirectoryA(LPCSTR path, SECURITY_ATTRIBUTES* security) {
  if (!path || !*path) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return FALSE;
  }
  if (mkdir(path, 0777) != 0) {
    // A missing parent is a missing path, not a missing file.
    SetLastError(errno == ENOENT ? ERROR_PATH_NOT_FOUND : ErrorFromErrno(errno));
    return FALSE;
  }
  return TRUE;
}

HMODULE GetModuleHandleA(LPCSTR moduleName) {
  static char program;
  return reinterpret_cast<HMODULE>(&program);
}
