#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "engine/core/StringMap.h"
#include "engine/core/StringUtil.h"

namespace lang {

// The table of displayed texts: wide strings looked up by case-insensitive key, filled
// from a language file.
//
// Language file: the u32 magic 0x6C6F6362 ("bcol"), then records to the end of the file,
// all little-endian: u32 key length, u32 (unused, written as 0), the key in UTF-16 units,
// u32 value length, u32 (unused), the value in UTF-16 units. A text ends at its first
// zero unit. Keys are filed under their UTF-8 form; the first record of a key wins;
// records with an empty key or value are skipped.
class StrMan : public StringMap<WString> {
 public:
  // The longest text kept: longer ones are cut to this many units.
  static constexpr uint32_t kMaxTextUnits = 1023;

  static StrMan& Instance();

  StrMan() : StringMap<WString>(true, true) {}
  ~StrMan() override;

  // Empties the table (every string reference from GetString dies) and fills it from the
  // language file at path. A missing file or a wrong magic logs
  // "Unable to load Language file <path>!" and leaves the table empty.
  static void LoadLangBin(StrMan& table, const std::string& path);
  // The same over bytes already in memory; path only names them in the log line. False
  // when the magic is wrong.
  static bool LoadLangBinFromMemory(StrMan& table, const uint8_t* bytes, size_t size,
                                    const std::string& path);

  // The text of a key, or one process-wide empty text when the key is missing.
  const WString& GetString(const std::string& key) const;
  const WString& GetStringW(const WString& key) const;
};

// A record of a language file to write.
using LangRecord = std::pair<WString, WString>;  // key, value

// Writes a language file; false when it cannot be written.
bool WriteLangBin(const std::string& path, const std::vector<LangRecord>& records);
// The bytes of a language file.
std::string LangBinBytes(const std::vector<LangRecord>& records);

}  // namespace lang
