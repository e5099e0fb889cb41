#pragma once

#include <cstdint>
#include <string>
#include <vector>

class LuaState;

namespace script {

// One listed file.
struct FileEntry {
  enum Flags : uint32_t { kDirectory = 1, kHidden = 2, kSystem = 4, kReadOnly = 8, kArchive = 16 };

  std::string name;  // the folder part of the search pattern, then the found name
  std::string date;  // last write, "%2i:%2i:%4i-%2i%2i" with day, month, year, hour, minute
  uint32_t flags = 0;
};

// A directory listing (the Lua class "FileList"). Indices are 0-based; out of range gives
// "" or false.
class FileList {
 public:
  // Appends every match of a pattern whose last part may hold wildcards ("fonts/*.ttf").
  // "." and ".." are listed like any other entry.
  void Build(const std::string& pattern);
  int GetFileC() const { return static_cast<int>(entries_.size()); }
  std::string GetFileName(int index) const;
  // The name after its last "/" or "\" up to its last ".".
  std::string GetBaseFileName(int index) const;
  // The text after the last "." of the name; the whole name when it has none.
  std::string GetExtension(int index) const;
  bool IsDirectory(int index) const { return HasFlag(index, FileEntry::kDirectory); }
  bool IsHidden(int index) const { return HasFlag(index, FileEntry::kHidden); }
  bool IsSystem(int index) const { return HasFlag(index, FileEntry::kSystem); }
  bool IsArchive(int index) const { return HasFlag(index, FileEntry::kArchive); }
  bool IsReadOnly(int index) const { return HasFlag(index, FileEntry::kReadOnly); }
  void Reset() { entries_.clear(); }
  // Names with a number (the first run of digits, folder included) before names without,
  // smaller numbers first.
  void SortNumber();
  static bool CompareNumber(const FileEntry& a, const FileEntry& b);

  const std::vector<FileEntry>& Entries() const { return entries_; }

 private:
  const FileEntry* At(int index) const;
  bool HasFlag(int index, uint32_t flag) const;

  std::vector<FileEntry> entries_;
};

// The Lua global "SearchDir": a new list filled by Build, owned by a process-wide registry
// of lists that lives until exit.
FileList* SearchDir(const std::string& pattern);

// Registers the Lua class "FileList" and the global "SearchDir"; false (and a log line)
// when luabind refuses.
bool RegisterFileList(LuaState* state);

}  // namespace script
