#include "engine/core/Archive.h"

#include <sys/types.h>
#include <zlib.h>

#include <cstring>
#include <new>
#include <vector>

#include "engine/core/ByteOrder.h"
#include "engine/core/Log.h"
#include "engine/core/VFS.h"

namespace vfs {

namespace {

// Deflate cannot expand data by more than this factor when inflating; a record that
// claims more is damaged (and would otherwise make us allocate whatever it claims).
constexpr uint64_t kMaxInflateRatio = 1032;

uint8_t* NewBytes(uint64_t count) {
  if (count > 0xFFFFFFFFull) return nullptr;
  return new (std::nothrow) uint8_t[count > 0 ? count : 1];
}

bool ReadAt(FILE* stream, uint64_t offset, uint8_t* target, size_t count) {
  if (fseeko(stream, static_cast<off_t>(offset), SEEK_SET) != 0) return false;
  return count == 0 || std::fread(target, 1, count, stream) == count;
}

bool Inflate(const uint8_t* source, uint32_t sourceSize, uint8_t* target, uint32_t targetSize) {
  uLongf produced = targetSize;
  int result = uncompress(target, &produced, source, sourceSize);
  // A stream that ends short of the recorded size is as damaged as one that fails.
  return result == Z_OK && produced == targetSize;
}

// Inflates storedSize bytes read from the stream's position in pieces, so that a large
// entry needs no second buffer for its compressed bytes. Succeeds only when the zlib
// stream ends having produced exactly targetSize bytes.
bool InflateFrom(FILE* stream, uint32_t storedSize, uint8_t* target, uint32_t targetSize) {
  constexpr uint32_t kPiece = 64 * 1024;
  std::unique_ptr<uint8_t[]> piece(new (std::nothrow) uint8_t[kPiece]);
  z_stream inflater = {};
  if (!piece || inflateInit(&inflater) != Z_OK) return false;
  inflater.next_out = target;
  inflater.avail_out = targetSize;
  uint32_t remaining = storedSize;
  int result = Z_OK;
  while (remaining > 0 && result == Z_OK) {
    uint32_t count = remaining < kPiece ? remaining : kPiece;
    if (std::fread(piece.get(), 1, count, stream) != count) break;
    remaining -= count;
    inflater.next_in = piece.get();
    inflater.avail_in = count;
    result = inflate(&inflater, Z_NO_FLUSH);
  }
  const bool ok = result == Z_STREAM_END && inflater.total_out == targetSize;
  inflateEnd(&inflater);
  return ok;
}

bool RecordIsSound(const ArchiveEntry& entry, uint64_t dataEnd) {
  if (entry.flags != ArchiveEntry::kCompressed && entry.flags != ArchiveEntry::kRaw) return false;
  if (entry.offset < Archive::kHeaderSize) return false;
  if (static_cast<uint64_t>(entry.offset) + entry.storedSize > dataEnd) return false;
  if (entry.flags == ArchiveEntry::kRaw) return entry.storedSize == entry.rawSize;
  return entry.rawSize <= static_cast<uint64_t>(entry.storedSize) * kMaxInflateRatio;
}

}  // namespace

void ArchiveEntry::ToRecord(uint8_t* record) const {
  std::memcpy(record, name, kNameSize);
  num::PutU32LE(record + 256, offset);
  num::PutU32LE(record + 260, storedSize);
  num::PutU32LE(record + 264, 0);  // the cache word: meaningless in a file
  num::PutU32LE(record + 268, rawSize);
  num::PutU32LE(record + 272, flags);
}

bool ArchiveEntry::FromRecord(const uint8_t* record) {
  if (!std::memchr(record, '\0', kNameSize)) return false;
  std::memcpy(name, record, kNameSize);
  offset = num::GetU32LE(record + 256);
  storedSize = num::GetU32LE(record + 260);
  rawSize = num::GetU32LE(record + 268);
  flags = num::GetU32LE(record + 272);
  cached.reset();
  return true;
}

Archive::~Archive() { CloseStream(); }

void Archive::CloseStream() {
  if (stream_) std::fclose(stream_);
  stream_ = nullptr;
  dataEnd_ = 0;
}

bool Archive::ShouldStoreCompressed(uint64_t compressedSize, uint64_t rawSize) {
  return static_cast<double>(compressedSize) < static_cast<double>(rawSize) * 0.95;
}

bool Archive::LoadArchive(const std::string& fileName) {
  // Entries of an archive loaded earlier still read from its stream: take their bytes now,
  // before that stream is replaced.
  if (stream_) {
    if (!CacheAllEntries()) {
      // Entries that could not be read must not be read later from the new file, at
      // offsets that mean nothing there.
      std::vector<std::string> unreadable;
      for (const auto& item : entries_) {
        if (!item.second->cached) unreadable.push_back(item.second->name);
      }
      for (const std::string& name : unreadable) delete entries_.Remove(name);
    }
    CloseStream();
  }
  fileName_ = fileName;
  FILE* stream = std::fopen(fileName.c_str(), "rb");
  if (!stream) {
    LOG_LINE(MSG_ERROR) << "Unable to load archive " << fileName;
    return false;
  }
  // Every failure below closes the file again: a rejected archive keeps no stream.
  auto fail = [&](const char* reason) {
    LOG_LINE(MSG_ERROR) << "Unable to load archive " << fileName << reason;
    std::fclose(stream);
    return false;
  };

  if (fseeko(stream, 0, SEEK_END) != 0) return fail(" : damaged file");
  off_t endOffset = ftello(stream);
  if (endOffset < 0) return fail(" : damaged file");
  uint64_t fileSize = static_cast<uint64_t>(endOffset);

  uint8_t header[kHeaderSize];
  if (!ReadAt(stream, 0, header, kHeaderSize)) return fail(" : damaged file");
  uint32_t words[9];
  for (int i = 0; i < 9; ++i) words[i] = num::GetU32LE(header + 4 * i);
  if (words[1] != kVersion) return fail(" : illegal version number");
  if (words[0] != kMagic) return fail(" : illegal magic number");

  const uint32_t count = words[2];
  const uint64_t directoryOffset = words[3];
  const uint32_t directoryStored = words[4];
  const uint64_t directoryRaw = words[5];
  if (directoryRaw != static_cast<uint64_t>(count) * ArchiveEntry::kRecordSize ||
      directoryOffset < kHeaderSize || directoryOffset + directoryStored > fileSize ||
      directoryRaw > static_cast<uint64_t>(directoryStored) * kMaxInflateRatio) {
    return fail(" : damaged file");
  }

  std::vector<std::unique_ptr<ArchiveEntry>> records;
  if (count > 0) {
    std::unique_ptr<uint8_t[]> stored(NewBytes(directoryStored));
    std::unique_ptr<uint8_t[]> directory(NewBytes(directoryRaw));
    if (!stored || !directory) return fail(" : damaged file");
    if (!ReadAt(stream, directoryOffset, stored.get(), directoryStored) ||
        !Inflate(stored.get(), directoryStored, directory.get(), static_cast<uint32_t>(directoryRaw))) {
      return fail(" : damaged file");
    }
    records.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
      auto entry = std::make_unique<ArchiveEntry>();
      if (!entry->FromRecord(directory.get() + static_cast<size_t>(i) * ArchiveEntry::kRecordSize) ||
          !RecordIsSound(*entry, directoryOffset)) {
        return fail(" : damaged file");
      }
      records.push_back(std::move(entry));
    }
  }

  // Only a wholly sound directory is taken over; of records with the same name hash the
  // first wins.
  for (auto& record : records) {
    uint32_t key = entries_.KeyOf(record->name);
    if (entries_.InsertKey(key, record.get())) record.release();
  }
  stream_ = stream;
  dataEnd_ = directoryOffset;
  return true;
}

bool Archive::ReadEntry(ArchiveEntry& entry, uint8_t* target) {
  bool ok = false;
  if (stream_ && RecordIsSound(entry, dataEnd_)) {
    if (entry.flags == ArchiveEntry::kCompressed) {
      ok = fseeko(stream_, static_cast<off_t>(entry.offset), SEEK_SET) == 0 &&
           InflateFrom(stream_, entry.storedSize, target, entry.rawSize);
    } else {
      ok = ReadAt(stream_, entry.offset, target, entry.rawSize);
    }
  }
  if (!ok) LOG_LINE(MSG_ERROR) << "Unable to read " << entry.name << " from archive " << fileName_;
  return ok;
}

bool Archive::CacheEntry(ArchiveEntry& entry) {
  if (entry.cached) return false;
  std::unique_ptr<uint8_t[]> bytes(NewBytes(entry.rawSize));
  if (!bytes || !ReadEntry(entry, bytes.get())) return false;
  entry.cached = std::move(bytes);
  return true;
}

bool Archive::CacheAllEntries() {
  bool ok = true;
  for (const auto& item : entries_) {
    ArchiveEntry& entry = *item.second;
    if (!entry.cached && !CacheEntry(entry)) ok = false;
  }
  return ok;
}

bool Archive::GetFile(uint32_t hash, File& file) {
  ArchiveEntry* entry = entries_.FindKey(hash);
  if (!entry) return false;
  file.Release();

  // Large entries are not kept: they are read (and inflated) again at every load, so the
  // archive never holds big data twice. Only entries that can be read again qualify:
  // bytes added from the disk, or kept after a save closed the file, exist nowhere else.
  const bool rereadable = stream_ && entry->flags != ArchiveEntry::kUnsaved;
  const bool keep = entry->rawSize <= kCacheLimit || !rereadable;
  if (keep && !entry->cached && !CacheEntry(*entry)) return false;
  std::unique_ptr<uint8_t[]> bytes(NewBytes(entry->rawSize));
  if (!bytes) return false;
  // An entry not kept and not cached is read straight into the caller's buffer: the same
  // bytes as caching, copying and dropping the cache, without the copy.
  if (entry->cached) {
    if (entry->rawSize) std::memcpy(bytes.get(), entry->cached.get(), entry->rawSize);
    if (!keep) entry->cached.reset();
  } else if (!ReadEntry(*entry, bytes.get())) {
    return false;
  }
  file.data = std::move(bytes);
  file.size = entry->rawSize;
  file.position = 0;
  return true;
}

bool Archive::FileExists(const std::string& name) const { return entries_.Find(name) != nullptr; }

bool Archive::AddFile(const std::string& fileName) { return AddFile(fileName, fileName); }

bool Archive::AddFile(const std::string& diskPath, const std::string& entryName) {
  // A name that does not fit the 256-byte record with its terminator is refused rather
  // than cut: a cut name would be filed under another key.
  if (entryName.size() >= ArchiveEntry::kNameSize) {
    LOG_LINE(MSG_WARNING) << "Archive entry name too long: " << entryName;
    return false;
  }
  if (entries_.Find(entryName)) return false;
  FILE* stream = std::fopen(diskPath.c_str(), "rb");
  if (!stream) return false;
  std::unique_ptr<uint8_t[]> bytes;
  uint64_t size = 0;
  bool ok = fseeko(stream, 0, SEEK_END) == 0;
  if (ok) {
    off_t end = ftello(stream);
    ok = end >= 0 && static_cast<uint64_t>(end) <= 0xFFFFFFFFull;
    size = ok ? static_cast<uint64_t>(end) : 0;
  }
  if (ok) {
    bytes.reset(NewBytes(size));
    ok = bytes && ReadAt(stream, 0, bytes.get(), size);
  }
  std::fclose(stream);
  if (!ok) return false;

  auto entry = std::make_unique<ArchiveEntry>();
  std::memcpy(entry->name, entryName.c_str(), entryName.size() + 1);
  entry->rawSize = static_cast<uint32_t>(size);
  entry->flags = ArchiveEntry::kUnsaved;
  entry->cached = std::move(bytes);
  if (!entries_.Insert(entryName, entry.get())) return false;
  entry.release();
  return true;
}

bool Archive::SaveArchive(const std::string& fileName) {
  // Entries of a loaded archive that were never read exist only in its file, which is
  // closed (and may be the very file being written): read them all first.
  if (!CacheAllEntries()) {
    LOG_LINE(MSG_ERROR) << "Unable to save archive " << fileName;
    return false;
  }
  CloseStream();
  if (entries_.Empty()) {
    LOG_LINE(MSG_ERROR) << "Can't save an empty archive to file " << fileName;
    return false;
  }
  FILE* stream = std::fopen(fileName.c_str(), "wb");
  if (!stream) {
    LOG_LINE(MSG_ERROR) << "Unable to save archive " << fileName;
    return false;
  }
  auto fail = [&]() {
    std::fclose(stream);
    std::remove(fileName.c_str());
    LOG_LINE(MSG_ERROR) << "Unable to save archive " << fileName;
    return false;
  };

  uint8_t header[kHeaderSize] = {};
  if (std::fwrite(header, 1, kHeaderSize, stream) != kHeaderSize) return fail();

  uint64_t offset = kHeaderSize;
  uint64_t totalRaw = 0;
  for (const auto& item : entries_) {
    ArchiveEntry& entry = *item.second;
    uLongf compressedSize = compressBound(entry.rawSize);
    std::unique_ptr<uint8_t[]> compressed(NewBytes(compressedSize));
    if (!compressed) return fail();
    bool compressedOk = compress2(compressed.get(), &compressedSize, entry.cached.get(),
                                  entry.rawSize, 9) == Z_OK;
    const uint8_t* bytes = entry.cached.get();
    uint32_t stored = entry.rawSize;
    entry.flags = ArchiveEntry::kRaw;
    if (compressedOk && ShouldStoreCompressed(compressedSize, entry.rawSize)) {
      bytes = compressed.get();
      stored = static_cast<uint32_t>(compressedSize);
      entry.flags = ArchiveEntry::kCompressed;
    }
    if (offset + stored > 0xFFFFFFFFull) return fail();
    if (stored > 0 && std::fwrite(bytes, 1, stored, stream) != stored) return fail();
    entry.offset = static_cast<uint32_t>(offset);
    entry.storedSize = stored;
    offset += stored;
    totalRaw += entry.rawSize;
  }

  const uint64_t count = entries_.Size();
  const uint64_t directoryRaw = count * ArchiveEntry::kRecordSize;
  if (directoryRaw > 0xFFFFFFFFull) return fail();
  std::unique_ptr<uint8_t[]> directory(NewBytes(directoryRaw));
  uLongf directoryStored = compressBound(static_cast<uLong>(directoryRaw));
  std::unique_ptr<uint8_t[]> compressedDirectory(NewBytes(directoryStored));
  if (!directory || !compressedDirectory) return fail();
  size_t index = 0;
  for (const auto& item : entries_) {
    item.second->ToRecord(directory.get() + index * ArchiveEntry::kRecordSize);
    ++index;
  }
  if (compress2(compressedDirectory.get(), &directoryStored, directory.get(),
                static_cast<uLong>(directoryRaw), 9) != Z_OK ||
      offset + directoryStored > 0xFFFFFFFFull ||
      std::fwrite(compressedDirectory.get(), 1, directoryStored, stream) != directoryStored) {
    return fail();
  }

  const uint32_t words[9] = {kMagic,
                             kVersion,
                             static_cast<uint32_t>(count),
                             static_cast<uint32_t>(offset),
                             static_cast<uint32_t>(directoryStored),
                             static_cast<uint32_t>(directoryRaw),
                             kHeaderSize,
                             static_cast<uint32_t>(offset - kHeaderSize),
                             static_cast<uint32_t>(totalRaw)};
  for (int i = 0; i < 9; ++i) num::PutU32LE(header + 4 * i, words[i]);
  if (fseeko(stream, 0, SEEK_SET) != 0 || std::fwrite(header, 1, kHeaderSize, stream) != kHeaderSize) {
    return fail();
  }
  if (std::fclose(stream) != 0) {
    std::remove(fileName.c_str());
    LOG_LINE(MSG_ERROR) << "Unable to save archive " << fileName;
    return false;
  }
  return true;
}

}  // namespace vfs
