#pragma once

#include <ostream>
#include <string>
#include <vector>

// The archive packer's commands, built on vfs::Archive.
namespace arctool {

// The developer switch file, never packed when it lies at the top of a folder.
inline constexpr const char* kDeveloperFile = "dev.lua";

// Packs every regular file under folder (build files, names starting with "." and the
// developer switch file left out) into a new archive, each under its lookup key: the last folder and the file name,
// lower-case, joined by "/". Two files with the same key are an error. On failure error
// says why.
bool PackFolder(const std::string& folder, const std::string& archivePath, std::string& error);

// The same over several folders packed into one archive (the data sources and the files
// the build generates): a key that two folders both hold is an error too.
bool PackFolders(const std::vector<std::string>& folders, const std::string& archivePath,
                 std::string& error);

// One line per entry: flags (raw or zlib), raw size, stored size, name.
bool ListArchive(const std::string& archivePath, std::ostream& out, std::string& error);

// Writes the bytes of the entry that the name's lookup key finds to out.
bool ExtractEntry(const std::string& archivePath, const std::string& name, std::ostream& out,
                  std::string& error);

// The key under which the packer files a path relative to the packed folder.
std::string EntryKey(const std::string& relativePath);

}  // namespace arctool
