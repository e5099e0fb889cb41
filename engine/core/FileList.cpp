#include "engine/core/FileList.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "platform/win32/FileFind.h"

namespace script {

namespace {

// The lists made by "SearchDir": scripts never delete them.
std::vector<std::unique_ptr<FileList>>& Registry() {
  static std::vector<std::unique_ptr<FileList>> lists;
  return lists;
}

uint32_t FlagsOf(DWORD attributes) {
  uint32_t flags = 0;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) flags |= FileEntry::kDirectory;
  if (attributes & FILE_ATTRIBUTE_HIDDEN) flags |= FileEntry::kHidden;
  if (attributes & FILE_ATTRIBUTE_SYSTEM) flags |= FileEntry::kSystem;
  if (attributes & FILE_ATTRIBUTE_READONLY) flags |= FileEntry::kReadOnly;
  if (attributes & FILE_ATTRIBUTE_ARCHIVE) flags |= FileEntry::kArchive;
  return flags;
}

std::string DateOf(const FILETIME& time) {
  SYSTEMTIME parts = {};
  FileTimeToSystemTime(&time, &parts);
  char text[64];
  std::snprintf(text, sizeof text, "%2i:%2i:%4i-%2i%2i", parts.wDay, parts.wMonth, parts.wYear,
                parts.wHour, parts.wMinute);
  return text;
}

// The decimal number from a digit on, as C's atoi reads it (without its overflow).
long long LeadingNumber(const std::string& name, size_t start) {
  return std::strtoll(name.c_str() + start, nullptr, 10);
}

}  // namespace

void FileList::Build(const std::string& pattern) {
  size_t separator = pattern.find_last_of("/\\");
  std::string folder =
      (separator != std::string::npos && separator != 0) ? pattern.substr(0, separator + 1) : "";
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA(pattern.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    FileEntry entry;
    entry.name = folder + data.cFileName;
    entry.date = DateOf(data.ftLastWriteTime);
    entry.flags = FlagsOf(data.dwFileAttributes);
    entries_.push_back(std::move(entry));
  } while (FindNextFileA(find, &data));
  FindClose(find);
}

const FileEntry* FileList::At(int index) const {
  if (index < 0 || static_cast<size_t>(index) >= entries_.size()) return nullptr;
  return &entries_[static_cast<size_t>(index)];
}

bool FileList::HasFlag(int index, uint32_t flag) const {
  const FileEntry* entry = At(index);
  return entry && (entry->flags & flag) != 0;
}

std::string FileList::GetFileName(int index) const {
  const FileEntry* entry = At(index);
  return entry ? entry->name : "";
}

std::string FileList::GetBaseFileName(int index) const {
  const FileEntry* entry = At(index);
  if (!entry) return "";
  const std::string& name = entry->name;
  size_t separator = name.find_last_of("/\\");
  size_t start = separator == std::string::npos ? 0 : separator + 1;
  size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot < start) return name.substr(start);
  return name.substr(start, dot - start);
}

std::string FileList::GetExtension(int index) const {
  const FileEntry* entry = At(index);
  if (!entry) return "";
  size_t dot = entry->name.rfind('.');
  return dot == std::string::npos ? entry->name : entry->name.substr(dot + 1);
}

bool FileList::CompareNumber(const FileEntry& a, const FileEntry& b) {
  size_t digitA = a.name.find_first_of("0123456789");
  size_t digitB = b.name.find_first_of("0123456789");
  if (digitA == std::string::npos || digitB == std::string::npos) {
    return digitA != std::string::npos && digitB == std::string::npos;
  }
  return LeadingNumber(a.name, digitA) < LeadingNumber(b.name, digitB);
}

void FileList::SortNumber() { std::sort(entries_.begin(), entries_.end(), CompareNumber); }

FileList* SearchDir(const std::string& pattern) {
  auto list = std::make_unique<FileList>();
  list->Build(pattern);
  Registry().push_back(std::move(list));
  return Registry().back().get();
}

}  // namespace script
