// Feeds arbitrary bytes to the archive reader as a kx.arc file: loading, reading every
// entry (twice, through the cache), and saving and reloading an archive that loaded.
// Whatever the bytes, nothing may crash, and a saved archive must read back the same.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/core/Archive.h"
#include "engine/core/VFS.h"

namespace {

std::string TempPath(const char* name) {
  const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  return std::string(dir) + "/pellavo-fuzz-" + std::to_string(getpid()) + "-" + name;
}

bool WriteBytes(const std::string& path, const uint8_t* data, size_t size) {
  FILE* stream = std::fopen(path.c_str(), "wb");
  if (!stream) return false;
  bool ok = std::fwrite(data, 1, size, stream) == size;
  return std::fclose(stream) == 0 && ok;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string input = TempPath("in.arc");
  static const std::string output = TempPath("out.arc");
  if (!WriteBytes(input, data, size)) return 0;

  vfs::Archive archive;
  if (!archive.LoadArchive(input)) return 0;
  std::vector<std::pair<uint32_t, std::string>> contents;
  bool allRead = true;
  uint64_t total = 0;
  for (const auto& item : archive.Entries()) {
    vfs::File first, second;
    bool ok = archive.GetFile(item.first, first);
    if (ok != archive.GetFile(item.first, second)) std::abort();
    if (!ok) {
      allRead = false;
      continue;
    }
    std::string bytes(first.Chars(), first.size);
    if (bytes != std::string(second.Chars(), second.size)) std::abort();
    total += bytes.size();
    contents.emplace_back(item.first, std::move(bytes));
  }
  if (!allRead || contents.empty() || total > (1u << 20)) return 0;

  if (!archive.SaveArchive(output)) std::abort();
  vfs::Archive reloaded;
  if (!reloaded.LoadArchive(output)) std::abort();
  for (const auto& [hash, bytes] : contents) {
    vfs::File file;
    if (!reloaded.GetFile(hash, file) || std::string(file.Chars(), file.size) != bytes) std::abort();
  }
  return 0;
}
