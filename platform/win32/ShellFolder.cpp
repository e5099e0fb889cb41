// The user's application-data folder.

#include <errno.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/win32/KernelApi.h"
#include "platform/win32/ShellApi.h"

namespace {

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home && *home) return home;
  const passwd* entry = getpwuid(getuid());
  return entry && entry->pw_dir ? entry->pw_dir : "";
}

std::string DataFolder() {
  // A relative XDG_DATA_HOME is invalid and ignored, as the XDG rules say.
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && xdg[0] == '/') return xdg;
  const std::string home = HomeFolder();
  return home.empty() ? std::string() : home + "/.local/share";
}

// Makes the folder and any missing parents.
bool MakeFolders(const std::string& path) {
  for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    const std::string part = path.substr(0, slash);
    if (!part.empty() && mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
      plat::SetLastErrorFromErrno(errno);
      return false;
    }
    if (slash == std::string::npos) break;
  }
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

BOOL SHGetSpecialFolderPathA(HWND owner, LPSTR path, int csidl, BOOL create) {
  if (!path) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  path[0] = '\0';
  if (csidl != CSIDL_APPDATA) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::string folder = DataFolder();
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  if (folder.empty()) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return FALSE;
  }
  if (folder.size() >= static_cast<size_t>(MAX_PATH)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  if (create && !MakeFolders(folder)) return FALSE;
  std::memcpy(path, folder.c_str(), folder.size() + 1);
  return TRUE;
}
