#pragma once

#include <string>
#include <string_view>

// Narrow texts are UTF-8 byte strings (names, paths, script text); wide texts are UTF-16
// (displayed text).
using WString = std::u16string;

// UTF-8 to UTF-16 and back. Whole texts are converted (no length limit); a malformed
// UTF-8 sequence or a lone surrogate becomes U+FFFD.
WString ToWide(std::string_view narrow);
std::string ToNarrow(std::u16string_view wide);

// Digits grouped from the lowest up: (1234567, ',', 3) gives "1,234,567"; negative values
// are written as "-" and the grouped magnitude.
std::string IntToGroupedString(long long value, char separator, int groupSize);
// "%d" or grouped by three with ",".
std::string NumberToString(long long value, bool grouped);
// Whole seconds as minutes and seconds: 65.9 gives " 1:05", 600 gives "10:00".
std::string SecondsToClock(float seconds);
// The language texts of two keys joined, with a space between them when withSpace; a key
// without a text stands for itself.
WString JoinLocalizedStrings(const std::string& key1, const std::string& key2, bool withSpace);
// Keeps the last folder and the file name: "a/b/c/d.png" becomes "c/d.png", "c\d.png"
// becomes "c/d.png"; a bare file name is left unchanged.
void TrimPathToLastDir(std::string& path);
// ASCII letters lowered, every other byte kept (names, extensions and keywords compare
// without regard to case).
std::string ToLowerCase(std::string text);
