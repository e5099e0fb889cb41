#include "platform/win32/FileFind.h"

#include <dirent.h>
#include <fnmatch.h>
#include <strings.h>
#include <sys/stat.h>
#include <time.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct FindState {
  std::vector<WIN32_FIND_DATAA> matches;
  size_t next = 0;
};

// Seconds between 1601-01-01 and 1970-01-01.
constexpr int64_t kEpochDifference = 11644473600LL;

FILETIME ToFileTime(const struct timespec& time) {
  int64_t ticks = (static_cast<int64_t>(time.tv_sec) + kEpochDifference) * 10000000LL +
                  time.tv_nsec / 100;
  if (ticks < 0) ticks = 0;
  FILETIME result;
  result.dwLowDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks) & 0xFFFFFFFFu);
  result.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks) >> 32);
  return result;
}

bool FillEntry(const std::string& folder, const char* name, WIN32_FIND_DATAA& data) {
  size_t length = std::strlen(name);
  if (length >= MAX_PATH) return false;
  std::string path = folder.empty() ? name : folder == "/" ? "/" + std::string(name) : folder + "/" + name;
  struct stat info;
  if (stat(path.c_str(), &info) != 0 && lstat(path.c_str(), &info) != 0) return false;

  std::memset(&data, 0, sizeof data);
  DWORD attributes = 0;
  if (S_ISDIR(info.st_mode)) attributes |= FILE_ATTRIBUTE_DIRECTORY;
  bool dots = std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
  if (name[0] == '.' && !dots) attributes |= FILE_ATTRIBUTE_HIDDEN;
  if (!(info.st_mode & S_IWUSR)) attributes |= FILE_ATTRIBUTE_READONLY;
  data.dwFileAttributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
  data.ftCreationTime = ToFileTime(info.st_ctim);
  data.ftLastAccessTime = ToFileTime(info.st_atim);
  data.ftLastWriteTime = ToFileTime(info.st_mtim);
  uint64_t size = S_ISDIR(info.st_mode) ? 0 : static_cast<uint64_t>(info.st_size);
  data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
  data.nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFFu);
  std::memcpy(data.cFileName, name, length + 1);
  return true;
}

}  // namespace

HANDLE FindFirstFileA(const char* fileName, WIN32_FIND_DATAA* findData) {
  if (!fileName || !findData) return INVALID_HANDLE_VALUE;
  std::string pattern = fileName;
  std::replace(pattern.begin(), pattern.end(), '\\', '/');
  size_t slash = pattern.rfind('/');
  std::string folder = slash == std::string::npos ? "" : pattern.substr(0, slash);
  std::string wildcard = slash == std::string::npos ? pattern : pattern.substr(slash + 1);
  if (slash == 0) folder = "/";
  if (wildcard.empty()) return INVALID_HANDLE_VALUE;

  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return INVALID_HANDLE_VALUE;
  auto* state = new FindState();
  while (struct dirent* entry = readdir(dir)) {
    if (fnmatch(wildcard.c_str(), entry->d_name, FNM_CASEFOLD) != 0) continue;
    WIN32_FIND_DATAA data;
    if (FillEntry(folder, entry->d_name, data)) state->matches.push_back(data);
  }
  closedir(dir);
  std::sort(state->matches.begin(), state->matches.end(),
            [](const WIN32_FIND_DATAA& a, const WIN32_FIND_DATAA& b) {
              int order = strcasecmp(a.cFileName, b.cFileName);
              return order != 0 ? order < 0 : std::strcmp(a.cFileName, b.cFileName) < 0;
            });
  if (state->matches.empty()) {
    delete state;
    return INVALID_HANDLE_VALUE;
  }
  *findData = state->matches[0];
  state->next = 1;
  return state;
}

BOOL FindNextFileA(HANDLE findFile, WIN32_FIND_DATAA* findData) {
  if (!findFile || findFile == INVALID_HANDLE_VALUE || !findData) return 0;
  auto* state = static_cast<FindState*>(findFile);
  if (state->next >= state->matches.size()) return 0;
  *findData = state->matches[state->next++];
  return 1;
}

BOOL FindClose(HANDLE findFile) {
  if (!findFile || findFile == INVALID_HANDLE_VALUE) return 0;
  delete static_cast<FindState*>(findFile);
  return 1;
}

BOOL FileTimeToSystemTime(const FILETIME* fileTime, SYSTEMTIME* systemTime) {
  if (!fileTime || !systemTime) return 0;
  uint64_t ticks = (static_cast<uint64_t>(fileTime->dwHighDateTime) << 32) | fileTime->dwLowDateTime;
  time_t seconds = static_cast<time_t>(ticks / 10000000ULL) - kEpochDifference;
  struct tm parts;
  if (!gmtime_r(&seconds, &parts)) return 0;
  systemTime->wYear = static_cast<WORD>(parts.tm_year + 1900);
  systemTime->wMonth = static_cast<WORD>(parts.tm_mon + 1);
  systemTime->wDayOfWeek = static_cast<WORD>(parts.tm_wday);
  systemTime->wDay = static_cast<WORD>(parts.tm_mday);
  systemTime->wHour = static_cast<WORD>(parts.tm_hour);
  systemTime->wMinute = static_cast<WORD>(parts.tm_min);
  systemTime->wSecond = static_cast<WORD>(parts.tm_sec);
  systemTime->wMilliseconds = static_cast<WORD>((ticks / 10000ULL) % 1000ULL);
  return 1;
}
