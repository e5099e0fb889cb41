// Feeds arbitrary bytes to the language-file reader and looks up what it stored.

#include <cstdint>
#include <cstdlib>

#include "engine/core/StrMan.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  lang::StrMan table;
  lang::StrMan::LoadLangBinFromMemory(table, data, size, "fuzz");
  for (const auto& item : table) {
    const WString& text = *item.second;
    if (text.empty() || text.size() > lang::StrMan::kMaxTextUnits) std::abort();
    for (char16_t c : text) {
      if (c == 0) std::abort();
    }
  }
  table.GetString("TITLE");
  table.GetStringW(u"title");
  return 0;
}
