#include <gtest/gtest.h>

#include "engine/core/CRC32.h"
#include "engine/core/StringMap.h"
#include "engine/core/StringUtil.h"

namespace {

TEST(CRC32Test, KnownVectorsWithoutFinalInversion) {
  const num::CRC32& crc = num::CRC32::Instance();
  EXPECT_EQ(crc.Calc("", false), 0xFFFFFFFFu);
  EXPECT_EQ(crc.Calc("123456789", false), 0x340BC6D9u);
  EXPECT_EQ(crc.Calc("abc", true), 0x5C7CFCB7u);
  EXPECT_EQ(crc.Calc("ABC", false), 0x5C7CFCB7u);
  EXPECT_EQ(crc.Calc("abc", false), 0xCADBBE3Du);
  EXPECT_EQ(crc.CalcString("scripts/console.lua", true), crc.Calc("SCRIPTS/CONSOLE.LUA", false));
}

TEST(CRC32Test, LongNamesHashWholeTextWhenUpperCasing) {
  std::string lower(5000, 'a');
  std::string upper(5000, 'A');
  const num::CRC32& crc = num::CRC32::Instance();
  EXPECT_EQ(crc.CalcString(lower, true), crc.CalcString(upper, false));
  std::string differentTail = lower;
  differentTail.back() = 'b';
  EXPECT_NE(crc.CalcString(lower, true), crc.CalcString(differentTail, true));
}

struct Counted {
  explicit Counted(int* deaths) : deaths_(deaths) {}
  ~Counted() { ++*deaths_; }
  int* deaths_;
};

TEST(StringMapTest, CaseInsensitiveLookupAndRefusedDuplicate) {
  int deaths = 0;
  StringMap<Counted> map;
  auto* first = new Counted(&deaths);
  EXPECT_TRUE(map.Insert("MUSIC", first));
  EXPECT_EQ(map.Find("Music"), first);
  EXPECT_EQ(map.Find("music"), first);
  EXPECT_EQ(map.Find("sound"), nullptr);

  Counted refused(&deaths);
  EXPECT_FALSE(map.Insert("music", &refused));
  EXPECT_EQ(map.Find("MUSIC"), first);
  EXPECT_EQ(map.Size(), 1u);
  EXPECT_EQ(deaths, 0);
}

TEST(StringMapTest, ClearDeletesOwnedValuesOnceAndStaysUsable) {
  int deaths = 0;
  {
    StringMap<Counted> map;
    map.Insert("a", new Counted(&deaths));
    map.Insert("b", new Counted(&deaths));
    map.Clear();
    EXPECT_EQ(deaths, 2);
    EXPECT_TRUE(map.Empty());
    EXPECT_TRUE(map.Insert("a", new Counted(&deaths)));
  }
  EXPECT_EQ(deaths, 3);

  Counted kept(&deaths);
  {
    StringMap<Counted> borrowing(false, true);
    borrowing.Insert("k", &kept);
  }
  EXPECT_EQ(deaths, 3);
}

TEST(StringConversionTest, RoundTripsAndLongTexts) {
  const std::string samples[] = {
      "", "plain ascii", "caf\xC3\xA9 \xE2\x82\xAC", "\xF0\x9F\x91\x97 dress",  // U+1F457
      std::string(3000, 'q'),
  };
  for (const std::string& s : samples) EXPECT_EQ(ToNarrow(ToWide(s)), s);

  WString dress = ToWide("\xF0\x9F\x91\x97");
  ASSERT_EQ(dress.size(), 2u);
  EXPECT_EQ(dress[0], 0xD83D);
  EXPECT_EQ(dress[1], 0xDC57);

  // 2000 three-byte characters: nothing is cut and no sequence is split.
  std::string cjk;
  for (int i = 0; i < 2000; ++i) cjk += "\xE6\x97\xA5";
  WString wide = ToWide(cjk);
  EXPECT_EQ(wide.size(), 2000u);
  EXPECT_EQ(ToNarrow(wide), cjk);
}

TEST(StringConversionTest, MalformedInputBecomesReplacementCharacters) {
  EXPECT_EQ(ToWide("a\xFF" "b"), u"a\uFFFDb");
  EXPECT_EQ(ToWide("\xE6\x97"), u"\uFFFD");          // cut sequence at the end
  EXPECT_EQ(ToWide("\xC0\xAF"), u"\uFFFD\uFFFD");    // overlong form
  EXPECT_EQ(ToNarrow(u"\xD800x"), "\xEF\xBF\xBDx");  // lone high surrogate
}

TEST(StringFormatTest, NumbersClocksAndPaths) {
  EXPECT_EQ(NumberToString(1234, false), "1234");
  EXPECT_EQ(NumberToString(1234, true), "1,234");
  EXPECT_EQ(NumberToString(-1234567, true), "-1,234,567");
  EXPECT_EQ(IntToGroupedString(123, ',', 3), "123");
  EXPECT_EQ(IntToGroupedString(1000, ',', 3), "1,000");
  EXPECT_EQ(IntToGroupedString(0, ',', 3), "0");
  EXPECT_EQ(IntToGroupedString(-9223372036854775807LL - 1, '.', 3), "-9.223.372.036.854.775.808");

  EXPECT_EQ(SecondsToClock(9.99f), " 0:09");
  EXPECT_EQ(SecondsToClock(59.0f), " 0:59");
  EXPECT_EQ(SecondsToClock(65.9f), " 1:05");
  EXPECT_EQ(SecondsToClock(600.0f), "10:00");

  struct {
    const char* in;
    const char* out;
  } paths[] = {{"a/b/c/d.png", "c/d.png"}, {"c\\d.png", "c/d.png"}, {"d.png", "d.png"},
               {"x\\y/z.ui", "y/z.ui"}};
  for (auto& p : paths) {
    std::string path = p.in;
    TrimPathToLastDir(path);
    EXPECT_EQ(path, p.out) << p.in;
  }

  // Only ASCII letters are lowered: UTF-8 bytes of other letters pass unchanged.
  EXPECT_EQ(ToLowerCase("UI_Img/Blue.PNG"), "ui_img/blue.png");
  EXPECT_EQ(ToLowerCase("\xC3\x84rger @Z[`"), "\xC3\x84rger @z[`");
}

}  // namespace
