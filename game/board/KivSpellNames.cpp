#include "game/board/KivSpellNames.h"

#include <array>
#include <cctype>
#include <climits>

namespace {

constexpr std::array<const char*, kSpellCount> kNames = {"match",       "fireball", "tilegrab",
                                                          "flowerblast", "time",     "lightning"};

bool EqualNoCase(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i] != '\0'; ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return i == a.size() && b[i] == '\0';
}

// Reads a leading decimal integer (an optional sign, then digits); 0 when there is none.
// Values beyond the 32-bit range saturate rather than wrap.
int32_t LeadingInteger(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int64_t value = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > INT32_MAX) value = int64_t{INT32_MAX} + 1;
  }
  if (negative) value = -value;
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(value);
}

}  // namespace

std::string SpellName(int32_t index) {
  if (index < 0 || index >= kSpellCount) return "unknown";
  return kNames[static_cast<size_t>(index)];
}

int32_t SpellIndex(const std::string& name) {
  for (int32_t i = 0; i < kSpellCount; ++i) {
    if (EqualNoCase(name, kNames[static_cast<size_t>(i)])) return i;
  }
  return kSpellFireball;
}

SpellBrushSpec ParseSpellBrushName(const std::string& brushName) {
  SpellBrushSpec spec;
  const size_t open = brushName.find('[');
  if (open != std::string::npos) {
    const size_t close = brushName.find(']', open + 1);
    if (close != std::string::npos && close > open + 1) {
      spec.name = brushName.substr(0, open);
      spec.power = LeadingInteger(brushName.substr(open + 1, close - open - 1));
      return spec;
    }
  }
  spec.name = brushName;
  return spec;
}
