#include "engine/core/StrMan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/core/LogCapture.h"
#include "tests/support/TestEnv.h"

namespace {

std::string LangPath() { return testenv::MakeTempDir("lang") + "/english.lng"; }

std::string U32(uint32_t value) {
  std::string out;
  for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
  return out;
}

std::string Units(const std::u16string& text) {
  std::string out;
  for (char16_t c : text) {
    out += static_cast<char>(c & 0xFF);
    out += static_cast<char>(c >> 8);
  }
  return out;
}

TEST(StrManTest, WrittenFilesLoadBackWithCaseInsensitiveKeys) {
  std::string path = LangPath();
  const std::vector<lang::LangRecord> records = {
      {u"TITLE", u"Pellavo"},
      {u"start", u"Aloita peli"},
      {u"title", u"second spelling"},   // a later record of the same key loses
      {u"EMPTY", u""},                  // empty texts are skipped
      {u"", u"no key"},
      {u"cur\u00e9", u"\u20ac 5 \U0001F600"},
      {std::u16string(u"cut\0after", 9), std::u16string(u"zero\0ends", 9)},
  };
  ASSERT_TRUE(lang::WriteLangBin(path, records));
  std::string bytes = testenv::ReadFile(path);
  EXPECT_EQ(bytes.substr(0, 4), "bcol");
  EXPECT_EQ(bytes.substr(4, 8), U32(5) + U32(0));

  LogCapture log;
  lang::StrMan table;
  lang::StrMan::LoadLangBin(table, path);
  EXPECT_TRUE(log.lines.empty()) << log.All();
  EXPECT_EQ(table.Size(), 4u);
  EXPECT_EQ(table.GetString("title"), u"Pellavo");
  EXPECT_EQ(table.GetString("Title"), u"Pellavo");
  EXPECT_EQ(table.GetString("START"), u"Aloita peli");
  EXPECT_EQ(table.GetString("CUR\xc3\xa9"), u"\u20ac 5 \U0001F600");  // keys are UTF-8
  EXPECT_EQ(table.GetStringW(u"cur\u00e9"), u"\u20ac 5 \U0001F600");
  EXPECT_EQ(table.GetString("cut"), u"zero");
  EXPECT_EQ(&table.GetString("EMPTY"), &table.GetString("missing"));  // one shared empty text
  EXPECT_TRUE(table.GetString("missing").empty());
}

TEST(StrManTest, AFileWithOnlyTheMagicLoadsNothingQuietly) {
  std::string path = LangPath();
  testenv::WriteFile(path, "bcol");
  LogCapture log;
  lang::StrMan table;
  lang::StrMan::LoadLangBin(table, path);
  EXPECT_TRUE(table.Empty());
  EXPECT_TRUE(log.lines.empty());
}

TEST(StrManTest, FailedLoadsEmptyTheTableAndSayWhy) {
  std::string good = LangPath();
  ASSERT_TRUE(lang::WriteLangBin(good, {{u"KEY", u"text"}}));
  std::string wrongMagic = LangPath();
  testenv::WriteFile(wrongMagic, "lcob" + U32(1));
  lang::StrMan table;
  for (const std::string& bad : {wrongMagic, good + ".missing", std::string("")}) {
    lang::StrMan::LoadLangBin(table, good);
    ASSERT_EQ(table.GetString("key"), u"text");
    LogCapture log;
    lang::StrMan::LoadLangBin(table, bad);
    EXPECT_TRUE(table.Empty());
    EXPECT_TRUE(log.Contains("Unable to load Language file " + bad + "!  [MSG_ERROR]")) << log.All();
  }
}

// Records longer than the kept 1023 units are skipped to their declared end, so the
// records after them still read in step; a length past the end of the file stops there.
TEST(StrManTest, LongAndTruncatedRecordsStayInStep) {
  std::u16string longKey(1500, u'k');
  std::u16string longValue(3000, u'v');
  std::string path = LangPath();
  ASSERT_TRUE(lang::WriteLangBin(path, {{longKey, u"first"}, {u"A", longValue}, {u"B", u"after"}}));
  lang::StrMan table;
  lang::StrMan::LoadLangBin(table, path);
  EXPECT_EQ(table.GetString(std::string(1023, 'k')), u"first");
  EXPECT_EQ(table.GetString("A"), std::u16string(1023, u'v'));
  EXPECT_EQ(table.GetString("B"), u"after");

  struct Case {
    const char* what;
    std::string bytes;
    std::vector<std::pair<std::string, std::u16string>> expected;
  };
  const std::string first = U32(2) + U32(0) + Units(u"K1") + U32(3) + U32(0) + Units(u"one");
  const Case cases[] = {
      {"value cut short", first + U32(2) + U32(0) + Units(u"K2") + U32(10) + U32(0) + Units(u"tw"),
       {{"K1", u"one"}, {"K2", u"tw"}}},
      {"key cut short", first + U32(50) + U32(0) + Units(u"K"), {{"K1", u"one"}}},
      {"length past the end", first + U32(0xFFFFFFFF) + U32(0) + Units(u"xyz"), {{"K1", u"one"}}},
      {"stray bytes", first + "\x01\x02", {{"K1", u"one"}}},
      {"odd byte in a text", first + U32(1) + U32(0) + "Q", {{"K1", u"one"}}},
  };
  for (const Case& c : cases) {
    std::string bytes = "bcol" + c.bytes;
    lang::StrMan parsed;
    EXPECT_TRUE(lang::StrMan::LoadLangBinFromMemory(
        parsed, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), c.what));
    EXPECT_EQ(parsed.Size(), c.expected.size()) << c.what;
    for (const auto& [key, value] : c.expected) EXPECT_EQ(parsed.GetString(key), value) << c.what;
  }
}

TEST(StrManTest, JoinLocalizedStringsFallsBackToTheKeys) {
  std::string path = LangPath();
  ASSERT_TRUE(lang::WriteLangBin(path, {{u"LEVEL", u"Taso"}, {u"WORLD", u"Maailma"}}));
  lang::StrMan& strings = lang::StrMan::Instance();
  lang::StrMan::LoadLangBin(strings, path);
  EXPECT_EQ(JoinLocalizedStrings("level", "world", true), u"Taso Maailma");
  EXPECT_EQ(JoinLocalizedStrings("level", "world", false), u"TasoMaailma");
  EXPECT_EQ(JoinLocalizedStrings("No key", "level", true), u"No key Taso");
  EXPECT_EQ(JoinLocalizedStrings("level", "7", false), u"Taso7");
  strings.Clear();
}

}  // namespace
