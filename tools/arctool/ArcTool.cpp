#include "tools/arctool/ArcTool.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <vector>

#include "engine/core/Archive.h"
#include "engine/core/StringUtil.h"
#include "engine/core/VFS.h"

namespace arctool {

namespace fs = std::filesystem;

std::string EntryKey(const std::string& relativePath) {
  // NormalizePath takes "\" and "/" alike as folder separators and joins with "/".
  std::string key = relativePath;
  vfs::VFS::NormalizePath(key);
  return ToLowerCase(key);
}

bool PackFolders(const std::vector<std::string>& folders, const std::string& archivePath,
                 std::string& error) {
  // Every file with its key and the path that names it in an error (the folder and the
  // path relative to it); sorted paths make a clash name the same file on every machine.
  struct Source {
    fs::path file;
    std::string shown;
    std::string key;
  };
  std::vector<Source> sources;
  for (const std::string& folder : folders) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
      error = "not a folder: " + folder;
      return false;
    }
    std::vector<fs::path> files;
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
      std::string name = it->path().filename().string();
      if (!name.empty() && name[0] == '.') {
        if (it->is_directory()) it.disable_recursion_pending();
        continue;
      }
      if (name == "CMakeLists.txt" || !it->is_regular_file()) continue;
      // The developer switch file at a folder's top is read from the disk only: packing
      // it would give every player the level editor.
      if (it.depth() == 0 && name == kDeveloperFile) continue;
      files.push_back(it->path());
    }
    if (ec) {
      error = "cannot read " + folder + ": " + ec.message();
      return false;
    }
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
      std::string relative = fs::relative(file, folder).generic_string();
      std::string shown = folders.size() > 1 ? (fs::path(folder) / relative).generic_string() : relative;
      sources.push_back({file, shown, EntryKey(relative)});
    }
  }

  vfs::Archive archive;
  std::map<std::string, std::string> owners;  // key -> the path shown for it
  for (const Source& source : sources) {
    auto [owner, inserted] = owners.emplace(source.key, source.shown);
    if (!inserted) {
      error = source.shown + " and " + owner->second + " share the archive key " + source.key;
      return false;
    }
    if (!archive.AddFile(source.file.string(), source.key)) {
      error = "cannot add " + source.shown + " as " + source.key;
      return false;
    }
  }
  if (!archive.SaveArchive(archivePath)) {
    error = "cannot write " + archivePath;
    return false;
  }
  return true;
}

bool PackFolder(const std::string& folder, const std::string& archivePath, std::string& error) {
  return PackFolders({folder}, archivePath, error);
}

bool ListArchive(const std::string& archivePath, std::ostream& out, std::string& error) {
  vfs::Archive archive;
  if (!archive.LoadArchive(archivePath)) {
    error = "cannot load " + archivePath;
    return false;
  }
  for (const auto& item : archive.Entries()) {
    const vfs::ArchiveEntry& entry = *item.second;
    out << (entry.flags == vfs::ArchiveEntry::kCompressed ? "zlib" : "raw ") << ' ' << entry.rawSize
        << ' ' << entry.storedSize << ' ' << entry.name << '\n';
  }
  return true;
}

bool ExtractEntry(const std::string& archivePath, const std::string& name, std::ostream& out,
                  std::string& error) {
  vfs::Archive archive;
  if (!archive.LoadArchive(archivePath)) {
    error = "cannot load " + archivePath;
    return false;
  }
  std::string key = name;
  vfs::VFS::NormalizePath(key);
  vfs::File file;
  if (!archive.GetFile(vfs::VFS::HashKey(key), file)) {
    error = "no entry " + key + " in " + archivePath;
    return false;
  }
  out.write(file.Chars(), file.size);
  return static_cast<bool>(out);
}

}  // namespace arctool
