#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vfs {

class Archive;

// What a load through the file system returns; the caller owns it.
struct File {
  // For a load from an archive: the lookup key; for a load from the disk: the name exactly
  // as passed to the load.
  std::string name;
  // Number of valid bytes in data. Readers use it: the buffer is not terminated as far as
  // they know (a disk load keeps one zero byte after the data; an archive load none).
  uint32_t size = 0;
  std::unique_ptr<uint8_t[]> data;
  // Read cursor for callers that consume data piecewise.
  uint32_t position = 0;

  const char* Chars() const { return reinterpret_cast<const char*>(data.get()); }
  // Drops the bytes; size and position become 0.
  void Release();
};

// The process-wide file system: the mounted data archives, searched in mount order, then
// the disk.
class VFS {
 public:
  static VFS& Instance();

  VFS() = default;
  ~VFS();
  VFS(const VFS&) = delete;
  VFS& operator=(const VFS&) = delete;

  // Fills file from the first archive that holds the name's lookup key, else from the disk
  // (the name as passed, with the fallback of ResolveDiskPath). On failure logs
  // "Couldn't find file <key> in archives" and leaves file empty.
  bool LoadFile(const std::string& name, File& file);

  // Loads the archive and appends it to the search list; a failed load (which the archive
  // has logged) leaves the list unchanged.
  void AddArchive(const std::string& fileName);

  // Reads a disk file whole (through ResolveDiskPath). No log line on failure.
  bool LoadLocal(const std::string& name, File& file);

  // The name under which a disk file is opened: "\" becomes "/", and when no file has the
  // exact name, each missing folder or file name is matched without regard to case. When
  // nothing matches, the converted name is returned (and opening it fails).
  static std::string ResolveDiskPath(const std::string& name);

  // Reduces a path to its lookup key: the last folder, "/" and the file name
  // ("data\Scripts\Console.lua" gives "Scripts/Console.lua"; a name without folder stays).
  static void NormalizePath(std::string& path);

  // The hash under which archives file a lookup key (the key upper-cased, CRC-32).
  static uint32_t HashKey(const std::string& key);

  size_t ArchiveCount() const { return archives_.size(); }
  // Unmounts and deletes every archive (an ordered shutdown, or a test, does this).
  void RemoveArchives();

 private:
  std::vector<std::unique_ptr<Archive>> archives_;
};

// Path helpers. Extension: at most 3 characters after the last ".", lower-cased ("" when
// there is no "."). StripExtension: the text before the last ".", lower-cased ("" without
// a "."). GetBaseName: after the last "/" up to the last "." (only "/" separates).
std::string GetExtension(const std::string& path);
std::string StripExtension(const std::string& path);
std::string GetBaseName(const std::string& path);

}  // namespace vfs
