#include "engine/core/SwearFilter.h"

#include <cctype>

#include "engine/core/Log.h"
#include "engine/core/Script.h"

namespace {

int LowByte(char16_t c) { return std::tolower(static_cast<unsigned char>(c & 0xFF)); }

}  // namespace

SwearFilter& SwearFilter::Instance() {
  static SwearFilter instance;
  return instance;
}

bool SwearFilter::Load(const std::string& fileName) {
  LuaState* state = script::CreateLuaState();
  if (!state || !script::LoadScript(state, fileName)) {
    LOG_LINE(MSG_ERROR) << "Unable to load swear words " << fileName;
    LuaState::Destroy(state);
    return false;
  }
  LuaObject list = script::GetGlobal(state, "Swear");
  if (list.IsTable()) {
    const int count = list.GetTableCount();
    for (int i = 1; i <= count; ++i) {
      LuaObject item = list[i];
      if (!item.IsTable()) continue;
      SwearEntry entry;
      entry.replacement = ToWide(script::GetString(item, "To", "-"));
      LuaObject from = item["From"];
      // Empty patterns are skipped wherever they come from: an empty pattern matches
      // everywhere and would only ever insert the replacement.
      if (from.IsString()) {
        if (from.GetStrLen() > 0) entry.words.push_back(ToWide(from.ToStdString()));
      } else if (from.IsTable()) {
        const int patterns = from.GetTableCount();
        for (int j = 1; j <= patterns; ++j) {
          std::string word = script::ToString(from[j], "");
          if (!word.empty()) entry.words.push_back(ToWide(word));
        }
      }
      if (!entry.words.empty()) entries_.push_back(std::move(entry));
    }
  }
  LuaState::Destroy(state);
  return true;
}

size_t FindPattern(std::u16string_view text, std::u16string_view pattern, size_t start) {
  if (start > text.size() || pattern.size() > text.size() - start) return text.size();
  for (size_t s = start; text.size() - s >= pattern.size(); ++s) {
    bool match = true;
    for (size_t j = 0; j < pattern.size() && match; ++j) {
      const int p = pattern[j] & 0xFF;
      match = p == '?' || LowByte(text[s + j]) == LowByte(pattern[j]);
    }
    if (match) return s;
  }
  return text.size();
}

void SwearFilter::Filter(const WString& input, WString& output) const {
  output = input;
  for (const SwearEntry& entry : entries_) {
    for (const WString& pattern : entry.words) {
      if (pattern.empty()) continue;
      // The search goes on after each inserted replacement, not from the start again:
      // a replacement that contains its own pattern (or forms a new match with the text
      // before it) would otherwise be replaced forever.
      size_t from = 0;
      while (true) {
        size_t found = FindPattern(output, pattern, from);
        if (found == output.size()) break;
        output.replace(found, pattern.size(), entry.replacement);
        from = found + entry.replacement.size();
      }
    }
  }
}

void SwearFilter::FilterNarrow(const std::string& input, std::string& output) const {
  WString filtered;
  Filter(ToWide(input), filtered);
  output = ToNarrow(filtered);
}
