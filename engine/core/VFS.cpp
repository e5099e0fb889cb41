#include "engine/core/VFS.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <new>

#include "engine/core/Archive.h"
#include "engine/core/CRC32.h"
#include "engine/core/Log.h"
#include "engine/core/StringUtil.h"

namespace vfs {

namespace {

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

// The entry of folder whose name equals name without regard to case; of several such the
// first in byte order, so that the choice does not depend on the directory's order.
bool FindWithoutCase(const std::string& folder, const std::string& name, std::string& found) {
  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return false;
  bool any = false;
  while (struct dirent* entry = readdir(dir)) {
    if (strcasecmp(entry->d_name, name.c_str()) != 0) continue;
    if (!any || found.compare(entry->d_name) > 0) found = entry->d_name;
    any = true;
  }
  closedir(dir);
  return any;
}

}  // namespace

void File::Release() {
  data.reset();
  size = 0;
  position = 0;
}

VFS& VFS::Instance() {
  static VFS instance;
  return instance;
}

VFS::~VFS() = default;

void VFS::RemoveArchives() { archives_.clear(); }

void VFS::NormalizePath(std::string& path) { TrimPathToLastDir(path); }

uint32_t VFS::HashKey(const std::string& key) { return num::CRC32::Instance().Calc(key, true); }

std::string VFS::ResolveDiskPath(const std::string& name) {
  std::string path = name;
  std::replace(path.begin(), path.end(), '\\', '/');
  struct stat info;
  if (path.empty() || stat(path.c_str(), &info) == 0) return path;

  // Walk the folders: keep each part that exists as written, else look for it without
  // regard to case (content made on Windows names files in any case).
  std::string resolved = path[0] == '/' ? "/" : "";
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    std::string part = path.substr(start, end - start);
    start = end + 1;
    if (part.empty()) continue;
    std::string candidate = JoinPath(resolved, part);
    if (part == "." || part == ".." || lstat(candidate.c_str(), &info) == 0) {
      resolved = candidate;
      continue;
    }
    std::string found;
    if (!FindWithoutCase(resolved, part, found)) return path;
    resolved = JoinPath(resolved, found);
  }
  return resolved;
}

bool VFS::LoadLocal(const std::string& name, File& file) {
  std::string path = ResolveDiskPath(name);
  FILE* stream = std::fopen(path.c_str(), "rb");
  if (!stream) return false;
  struct stat info;
  bool ok = fstat(fileno(stream), &info) == 0 && S_ISREG(info.st_mode) &&
            static_cast<uint64_t>(info.st_size) < 0xFFFFFFFFull;
  uint32_t size = ok ? static_cast<uint32_t>(info.st_size) : 0;
  // One spare byte after the data, always zero, for callers that treat text as a C string.
  std::unique_ptr<uint8_t[]> bytes(ok ? new (std::nothrow) uint8_t[size + 1] : nullptr);
  ok = ok && bytes && (size == 0 || std::fread(bytes.get(), 1, size, stream) == size);
  std::fclose(stream);
  if (!ok) return false;
  bytes[size] = 0;
  file.Release();
  file.name = name;
  file.size = size;
  file.data = std::move(bytes);
  return true;
}

void VFS::AddArchive(const std::string& fileName) {
  auto archive = std::make_unique<Archive>();
  if (archive->LoadArchive(fileName)) archives_.push_back(std::move(archive));
}

bool VFS::LoadFile(const std::string& name, File& file) {
  std::string key = name;
  NormalizePath(key);
  const uint32_t hash = HashKey(key);
  for (const auto& archive : archives_) {
    if (archive->GetFile(hash, file)) {
      file.name = key;
      return true;
    }
  }
  if (LoadLocal(name, file)) return true;
  file.Release();
  LOG_LINE(MSG_ERROR) << "Couldn't find file " << key << " in archives";
  return false;
}

std::string GetExtension(const std::string& path) {
  size_t dot = path.rfind('.');
  if (dot == std::string::npos) return "";
  return ToLowerCase(path.substr(dot + 1, 3));
}

std::string StripExtension(const std::string& path) {
  size_t dot = path.rfind('.');
  if (dot == std::string::npos) return "";
  return ToLowerCase(path.substr(0, dot));
}

std::string GetBaseName(const std::string& path) {
  size_t slash = path.rfind('/');
  size_t start = slash == std::string::npos ? 0 : slash + 1;
  size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot < start) return path.substr(start);
  return path.substr(start, dot - start);
}

}  // namespace vfs
