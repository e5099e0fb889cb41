// The user's interface language, from the POSIX locale variables.

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/win32/KernelApi.h"

namespace {

struct LanguageCode {
  const char* code;  // ISO 639-1 (or -2 where a locale uses it)
  WORD primary;      // the Win32 primary language id
};

const LanguageCode kLanguages[] = {
    {"ar", 0x01}, {"bg", 0x02}, {"ca", 0x03}, {"zh", 0x04}, {"cs", 0x05}, {"da", 0x06},
    {"de", 0x07}, {"el", 0x08}, {"en", 0x09}, {"es", 0x0A}, {"fi", 0x0B}, {"fr", 0x0C},
    {"he", 0x0D}, {"hu", 0x0E}, {"is", 0x0F}, {"it", 0x10}, {"ja", 0x11}, {"ko", 0x12},
    {"nl", 0x13}, {"nb", 0x14}, {"nn", 0x14}, {"no", 0x14}, {"pl", 0x15}, {"pt", 0x16},
    {"ro", 0x18}, {"ru", 0x19}, {"hr", 0x1A}, {"sr", 0x1A}, {"sk", 0x1B}, {"sq", 0x1C},
    {"sv", 0x1D}, {"th", 0x1E}, {"tr", 0x1F}, {"ur", 0x20}, {"id", 0x21}, {"uk", 0x22},
    {"be", 0x23}, {"sl", 0x24}, {"et", 0x25}, {"lv", 0x26}, {"lt", 0x27}, {"vi", 0x2A},
};

// The message locale as POSIX picks it: LC_ALL, then LC_MESSAGES, then LANG.
std::string MessageLocale() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value && *value) return value;
  }
  return "";
}

}  // namespace

LANGID GetUserDefaultUILanguage() {
  const std::string locale = MessageLocale();
  // "language[_territory][.codeset][@modifier]": the language is the leading letters.
  std::string language;
  for (char c : locale) {
    if (!std::isalpha(static_cast<unsigned char>(c))) break;
    language += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  if (language.empty() || locale == "C" || locale == "POSIX" || locale.rfind("C.", 0) == 0) {
    return static_cast<LANGID>(MAKELANGID(LANG_ENGLISH, SUBLANG_DEFAULT));
  }
  for (const LanguageCode& entry : kLanguages) {
    if (language == entry.code) return static_cast<LANGID>(MAKELANGID(entry.primary, SUBLANG_DEFAULT));
  }
  return static_cast<LANGID>(MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT));
}
