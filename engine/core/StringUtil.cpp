#include "engine/core/StringUtil.h"

#include <cstdio>
#include <cstdlib>

#include "engine/core/StrMan.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one UTF-8 sequence at text[i]; advances i past it.
char32_t DecodeUtf8(std::string_view text, size_t& i) {
  unsigned char lead = static_cast<unsigned char>(text[i++]);
  if (lead < 0x80) return lead;
  int extra;
  char32_t cp;
  if (lead >= 0xC2 && lead <= 0xDF) {
    extra = 1;
    cp = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    extra = 2;
    cp = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    extra = 3;
    cp = lead & 0x07;
  } else {
    return kReplacement;
  }
  for (int k = 0; k < extra; ++k) {
    if (i >= text.size()) return kReplacement;
    unsigned char c = static_cast<unsigned char>(text[i]);
    if ((c & 0xC0) != 0x80) return kReplacement;  // the byte starts the next sequence
    cp = (cp << 6) | (c & 0x3F);
    ++i;
  }
  // Overlong forms, surrogates and values above U+10FFFF are malformed.
  if ((extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000) || cp > 0x10FFFF ||
      (cp >= 0xD800 && cp <= 0xDFFF)) {
    return kReplacement;
  }
  return cp;
}

void EncodeUtf8(char32_t cp, std::string& out) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace

WString ToWide(std::string_view narrow) {
  WString wide;
  wide.reserve(narrow.size());
  size_t i = 0;
  while (i < narrow.size()) {
    char32_t cp = DecodeUtf8(narrow, i);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      wide += static_cast<char16_t>(0xD800 + (cp >> 10));
      wide += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      wide += static_cast<char16_t>(cp);
    }
  }
  return wide;
}

std::string ToNarrow(std::u16string_view wide) {
  std::string narrow;
  narrow.reserve(wide.size());
  for (size_t i = 0; i < wide.size(); ++i) {
    char32_t cp = wide[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
        wide[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (wide[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = kReplacement;
    }
    EncodeUtf8(cp, narrow);
  }
  return narrow;
}

std::string IntToGroupedString(long long value, char separator, int groupSize) {
  unsigned long long magnitude =
      value < 0 ? 0ull - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
  std::string reversed;
  int inGroup = 0;
  do {
    if (groupSize > 0 && inGroup == groupSize) {
      reversed += separator;
      inGroup = 0;
    }
    reversed += static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
    ++inGroup;
  } while (magnitude > 0);
  if (value < 0) reversed += '-';
  return std::string(reversed.rbegin(), reversed.rend());
}

std::string NumberToString(long long value, bool grouped) {
  if (grouped) return IntToGroupedString(value, ',', 3);
  return std::to_string(value);
}

std::string SecondsToClock(float seconds) {
  int s = static_cast<int>(seconds);
  int m = s / 60;
  int r = s % 60;
  char text[32];
  if (r >= 10) {
    std::snprintf(text, sizeof text, "%2i:%2i", m, r);
  } else {
    std::snprintf(text, sizeof text, "%2i:0%i", m, r);
  }
  return text;
}

void TrimPathToLastDir(std::string& path) {
  size_t last = path.find_last_of("/\\");
  if (last == std::string::npos) return;
  std::string file = path.substr(last + 1);
  std::string dir = path.substr(0, last);
  size_t previous = dir.find_last_of("/\\");
  if (previous == std::string::npos) {
    path = dir + "/" + file;
  } else {
    path = dir.substr(previous + 1) + "/" + file;
  }
}

std::string ToLowerCase(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

WString JoinLocalizedStrings(const std::string& key1, const std::string& key2, bool withSpace) {
  const lang::StrMan& strings = lang::StrMan::Instance();
  WString first = strings.GetString(key1);
  WString second = strings.GetString(key2);
  if (first.empty()) first = ToWide(key1);
  if (second.empty()) second = ToWide(key2);
  if (withSpace) first += u' ';
  return first + second;
}
