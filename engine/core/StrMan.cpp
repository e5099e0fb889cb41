#include "engine/core/StrMan.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "engine/core/ByteOrder.h"
#include "engine/core/Log.h"

namespace lang {

namespace {

constexpr uint32_t kMagic = 0x6C6F6362;  // "bcol"

void PutU32(std::string& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// Reads the language file's records from memory.
class RecordReader {
 public:
  RecordReader(const uint8_t* bytes, size_t size) : bytes_(bytes), size_(size) {}

  bool AtEnd() const { return position_ >= size_; }

  bool ReadU32(uint32_t& value) {
    if (size_ - position_ < 4) {
      position_ = size_;
      return false;
    }
    value = num::GetU32LE(bytes_ + position_);
    position_ += 4;
    return true;
  }

  // A text of length units: at most kMaxTextUnits are kept, up to the first zero unit.
  // The rest of a longer record is skipped to its declared end (or to the end of the
  // file), so the next record is read in step.
  WString ReadText(uint32_t length) {
    uint64_t available = (size_ - position_) / 2;
    uint64_t kept = std::min<uint64_t>({length, StrMan::kMaxTextUnits, available});
    WString text;
    text.reserve(static_cast<size_t>(kept));
    bool ended = false;
    for (uint64_t i = 0; i < kept; ++i) {
      const uint8_t* unit = bytes_ + position_ + 2 * i;
      char16_t c = static_cast<char16_t>(unit[0] | (unit[1] << 8));
      if (c == 0) ended = true;
      if (!ended) text += c;
    }
    uint64_t skip = 2ull * length;
    position_ = skip >= size_ - position_ ? size_ : position_ + static_cast<size_t>(skip);
    return text;
  }

 private:
  const uint8_t* bytes_;
  size_t size_;
  size_t position_ = 0;
};

}  // namespace

StrMan& StrMan::Instance() {
  static StrMan instance;
  return instance;
}

StrMan::~StrMan() = default;

const WString& StrMan::GetString(const std::string& key) const {
  static const WString empty;
  const WString* text = Find(key);
  return text ? *text : empty;
}

const WString& StrMan::GetStringW(const WString& key) const { return GetString(ToNarrow(key)); }

void StrMan::LoadLangBin(StrMan& table, const std::string& path) {
  table.Clear();
  FILE* stream = std::fopen(path.c_str(), "rb");
  std::string bytes;
  bool ok = stream != nullptr;
  if (ok) {
    char buffer[65536];
    size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, stream)) > 0) bytes.append(buffer, count);
    ok = !std::ferror(stream);
    std::fclose(stream);
  }
  if (!ok) {
    LOG_LINE(MSG_ERROR) << "Unable to load Language file " << path << "!";
    return;
  }
  LoadLangBinFromMemory(table, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), path);
}

bool StrMan::LoadLangBinFromMemory(StrMan& table, const uint8_t* bytes, size_t size,
                                   const std::string& path) {
  table.Clear();
  RecordReader reader(bytes, size);
  uint32_t magic = 0;
  if (!reader.ReadU32(magic) || magic != kMagic) {
    LOG_LINE(MSG_ERROR) << "Unable to load Language file " << path << "!";
    return false;
  }
  while (!reader.AtEnd()) {
    uint32_t keyLength = 0, valueLength = 0, unused = 0;
    if (!reader.ReadU32(keyLength)) break;
    reader.ReadU32(unused);
    WString key = reader.ReadText(keyLength);
    reader.ReadU32(valueLength);
    reader.ReadU32(unused);
    WString value = reader.ReadText(valueLength);
    if (key.empty() || value.empty()) continue;
    auto text = std::make_unique<WString>(std::move(value));
    if (table.Insert(ToNarrow(key), text.get())) text.release();
  }
  return true;
}

std::string LangBinBytes(const std::vector<LangRecord>& records) {
  std::string out;
  PutU32(out, kMagic);
  auto putText = [&out](const WString& text) {
    PutU32(out, static_cast<uint32_t>(text.size()));
    PutU32(out, 0);
    for (char16_t c : text) {
      out += static_cast<char>(c & 0xFF);
      out += static_cast<char>(c >> 8);
    }
  };
  for (const LangRecord& record : records) {
    putText(record.first);
    putText(record.second);
  }
  return out;
}

bool WriteLangBin(const std::string& path, const std::vector<LangRecord>& records) {
  std::string bytes = LangBinBytes(records);
  FILE* stream = std::fopen(path.c_str(), "wb");
  if (!stream) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size();
  ok = std::fclose(stream) == 0 && ok;
  return ok;
}

}  // namespace lang
