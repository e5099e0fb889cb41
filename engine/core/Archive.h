#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "engine/core/StringMap.h"

class LuaState;

namespace vfs {

struct File;

// One directory record of an archive. On disk it is 276 little-endian bytes: name
// (char[256], NUL-terminated), offset, stored size, a cache word, raw size, flags. The
// cache word is a pointer in the original layout; a 64-bit pointer does not fit it, so
// the cached bytes live beside the record here and the word is written as 0.
struct ArchiveEntry {
  static constexpr uint32_t kRecordSize = 276;
  static constexpr uint32_t kNameSize = 256;
  enum Flags : uint32_t { kUnsaved = 0, kCompressed = 1, kRaw = 2 };

  char name[kNameSize] = {};
  uint32_t offset = 0;      // of the stored bytes, from the start of the archive file
  uint32_t storedSize = 0;  // bytes in the file
  uint32_t rawSize = 0;     // bytes after inflating
  uint32_t flags = kUnsaved;
  std::unique_ptr<uint8_t[]> cached;  // the raw bytes once read, or none

  void ToRecord(uint8_t* record) const;
  // False when the record's name is not NUL-terminated.
  bool FromRecord(const uint8_t* record);
};

// A data archive ("CRAS" file): a map of entries keyed by the CRC-32 of their upper-cased
// names, and the open archive file from which entry bytes are read on demand.
//
// Layout: a 36-byte header of nine u32 (magic 0x53415243, version 1, entry count,
// directory offset, stored and raw directory size, data start 36, data length, total raw
// size), the entries' stored bytes back to back in ascending hash order, then the
// directory: one zlib stream of count x 276-byte records.
//
// The reader trusts nothing in the file: every read, seek and inflate is checked, every
// record must lie inside the data area with sizes that inflating can produce, and names
// must be terminated. A damaged archive fails to load, a damaged entry fails to read; each
// with a log line, never with garbage handed out as a success.
class Archive {
 public:
  static constexpr uint32_t kMagic = 0x53415243;  // "CRAS"
  static constexpr uint32_t kVersion = 1;
  static constexpr uint32_t kHeaderSize = 36;
  // Entries up to this raw size stay cached after their first read.
  static constexpr uint32_t kCacheLimit = 16384;

  Archive() = default;
  ~Archive();
  Archive(const Archive&) = delete;
  Archive& operator=(const Archive&) = delete;

  // Reads the header and the directory; entry bytes are read later, on demand.
  bool LoadArchive(const std::string& fileName);
  // Writes every entry (compressed where that saves at least 5 %) and the directory.
  bool SaveArchive(const std::string& fileName);
  // Whether an entry has this name's hash (the name is not reduced to a lookup key).
  bool FileExists(const std::string& name) const;
  // Reads a disk file into a new entry named exactly as the file name.
  bool AddFile(const std::string& fileName);
  // The same, under another entry name (the packer files each disk file under its lookup
  // key). False when the name is taken, longer than 255 bytes, or the file unreadable.
  bool AddFile(const std::string& diskPath, const std::string& entryName);
  // Copies an entry's bytes into file; false when there is no such entry or its bytes
  // cannot be read.
  bool GetFile(uint32_t hash, File& file);
  // Reads an entry's bytes into its cache; false when they were cached already or cannot
  // be read.
  bool CacheEntry(ArchiveEntry& entry);

  // Compressed bytes are kept only when they are under 95 % of the raw size.
  static bool ShouldStoreCompressed(uint64_t compressedSize, uint64_t rawSize);

  const StringMap<ArchiveEntry>& Entries() const { return entries_; }
  const std::string& FileName() const { return fileName_; }

 private:
  bool ReadEntry(ArchiveEntry& entry, uint8_t* target);
  bool CacheAllEntries();
  void CloseStream();

  StringMap<ArchiveEntry> entries_{true, true};
  FILE* stream_ = nullptr;
  uint64_t dataEnd_ = 0;  // end of the data area of the open file (its directory offset)
  std::string fileName_;
};

// Registers the Lua class "Archive" (LoadArchive, SaveArchive, FileExists, AddFile) and
// the global "CreateArchive" in a state; false (and a log line) when luabind refuses.
bool RegisterArchive(LuaState* state);

}  // namespace vfs
