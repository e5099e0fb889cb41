#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/StringUtil.h"

// One entry of the word list: its patterns and what replaces them.
struct SwearEntry {
  std::vector<WString> words;
  WString replacement;
};

// The word filter for text that players type. The word list is a Lua file defining the
// table "Swear": an array of entries { From = "pattern" or { "p1", "p2" }, To = "####" }
// ("To" defaults to "-"). Patterns match anywhere (no word boundaries), ignoring case for
// A to Z; "?" matches any one character.
class SwearFilter {
 public:
  static SwearFilter& Instance();

  // Appends the entries of the word file; false (and an error line) when it does not run.
  bool Load(const std::string& fileName);
  // output = input with every match of every pattern replaced, entry by entry and
  // pattern by pattern in file order.
  void Filter(const WString& input, WString& output) const;
  void FilterNarrow(const std::string& input, std::string& output) const;

  const std::vector<SwearEntry>& Entries() const { return entries_; }

 private:
  std::vector<SwearEntry> entries_;
};

// The first position at or after start where pattern matches text (characters compared
// by their low eight bits after tolower; "?" in the pattern matches any character), or
// text.size() when there is none. An empty pattern matches at start.
size_t FindPattern(std::u16string_view text, std::u16string_view pattern, size_t start = 0);
