#include "engine/core/SwearFilter.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <string>

#include "engine/core/DateUtil.h"
#include "engine/core/VFS.h"
#include "tests/core/LogCapture.h"
#include "tests/support/TestEnv.h"

namespace {

// A filter loaded from a word file written by the test.
class SwearFilterTest : public ::testing::Test {
 protected:
  bool LoadWords(const std::string& script) {
    std::string path = testenv::MakeTempDir("swear") + "/swear.lua";
    testenv::WriteFile(path, script);
    return filter_.Load(path);
  }
  std::u16string Run(const std::u16string& text) const {
    std::u16string out;
    filter_.Filter(text, out);
    return out;
  }
  SwearFilter filter_;
};

TEST_F(SwearFilterTest, FindPatternMatchesCaseAndWildcard) {
  const std::tuple<std::u16string, std::u16string, size_t> cases[] = {
      {u"xABCx", u"abc", 1},  {u"abc", u"a?c", 0},  {u"a-c", u"a?c", 0}, {u"ABC", u"a?c", 0},
      {u"ab", u"abc", 2},     {u"", u"a", 0},       {u"xyz", u"", 0},    {u"aXbab", u"ab", 3},
      {u"no", u"yes", 2},
      // Only the low eight bits of a character count: U+0141 and 'A' (0x41) agree.
      {u"\u0141", u"a", 0},
  };
  for (const auto& [text, pattern, expected] : cases) {
    EXPECT_EQ(FindPattern(text, pattern), expected) << ToNarrow(text) << " / " << ToNarrow(pattern);
  }
}

TEST_F(SwearFilterTest, EntriesReplaceEveryMatch) {
  ASSERT_TRUE(LoadWords(
      "Swear = {"
      "  { From = 'abc', To = '####' },"
      "  { From = { 'd?mn', '', 'heck' }, To = '*' },"
      "  { From = 'plain' },"
      "  { From = { '', '' }, To = 'never' },"
      "  'not a table',"
      "  { To = 'no pattern' },"
      "}"));
  ASSERT_EQ(filter_.Entries().size(), 3u);
  EXPECT_EQ(filter_.Entries()[1].words.size(), 2u);  // the empty string is not a pattern
  EXPECT_EQ(filter_.Entries()[2].replacement, u"-");

  const std::pair<std::u16string, std::u16string> cases[] = {
      {u"xABCx", u"x####x"},
      {u"abcabc", u"########"},
      {u"DAMN the dimn HECK", u"* the * *"},
      {u"so plain", u"so -"},
      {u"clean text", u"clean text"},
  };
  for (const auto& [input, expected] : cases) EXPECT_EQ(Run(input), expected) << ToNarrow(input);

  std::string narrow;
  filter_.FilterNarrow("abc \xc3\xa9 plain", narrow);
  EXPECT_EQ(narrow, "#### \xc3\xa9 -");
}

TEST_F(SwearFilterTest, ReplacementsThatContainTheirPatternEnd) {
  ASSERT_TRUE(LoadWords(
      "Swear = {"
      "  { From = 'bad', To = 'badbad' },"
      "  { From = '', To = 'x' },"
      "  { From = 'ab', To = 'bbbba' },"
      "}"));
  EXPECT_EQ(filter_.Entries().size(), 2u);
  EXPECT_EQ(Run(u"a bad day"), u"a badbad day");
  EXPECT_EQ(Run(u"aab"), u"abbbba");
}

TEST_F(SwearFilterTest, MissingFilesAndTablesLoadNothing) {
  LogCapture log;
  std::string missing = testenv::MakeTempDir("swear") + "/none.lua";
  EXPECT_FALSE(filter_.Load(missing));
  EXPECT_TRUE(log.Contains("Unable to load swear words " + missing + "  [MSG_ERROR]"));
  EXPECT_FALSE(LoadWords("Swear = {"));
  EXPECT_TRUE(LoadWords("Other = {}"));
  EXPECT_TRUE(filter_.Entries().empty());
  EXPECT_EQ(Run(u"anything"), u"anything");
}

TEST_F(SwearFilterTest, TheGamesWordListLoadsFromKxArc) {
  std::string archive = std::string(PELLAVO_BINARY_DIR) + "/bin/kx.arc";
  ASSERT_TRUE(testenv::FileExists(archive)) << "the build packs data/ into " << archive;
  vfs::VFS::Instance().AddArchive(archive);
  LogCapture log;
  bool loaded = filter_.Load("scripts/swear.lua");
  vfs::VFS::Instance().RemoveArchives();
  ASSERT_TRUE(loaded);
  EXPECT_TRUE(log.Contains("LUA Script scripts/swear.lua Loaded from scripts/swear.lua"));
  EXPECT_FALSE(filter_.Entries().empty());
  EXPECT_EQ(Run(u"Darn it"), u"**** it");
}

// Sets a time zone for the test's duration (the test main runs everything in UTC).
class ZoneScope {
 public:
  explicit ZoneScope(const char* zone) {
    const char* current = getenv("TZ");
    previous_ = current ? current : "";
    setenv("TZ", zone, 1);
    tzset();
  }
  ~ZoneScope() {
    setenv("TZ", previous_.c_str(), 1);
    tzset();
  }

 private:
  std::string previous_;
};

TEST(DateUtilTest, DayNumbersCountLocalDaysTruncatedTowardZero) {
  const std::pair<time_t, int32_t> utc[] = {
      {0, 0}, {86399, 0}, {86400, 1}, {-1, 0}, {-86399, 0}, {-86400, -1}, {1704240000, 19725},
  };
  for (const auto& [time, day] : utc) EXPECT_EQ(GetDayNumber(time), day) << time;

  {
    // Three hours east of UTC (POSIX zone names count the other way round).
    ZoneScope zone("XET-3");
    const std::pair<time_t, int32_t> east[] = {
        {-3 * 3600, 0},                // 1 January 1970 00:00 local
        {-3 * 3600 - 1, 0},            // a second before: still day 0 (truncation)
        {-3 * 3600 + 86400, 1},
        {21 * 3600 - 1, 0},            // 23:59:59 local on the first day
        {-3 * 3600 - 86400, -1},
    };
    for (const auto& [time, day] : east) EXPECT_EQ(GetDayNumber(time), day) << time;
  }
  {
    ZoneScope zone("XWT+5");
    EXPECT_EQ(GetDayNumber(0), 0);               // 31 December 1969, 19:00 local
    EXPECT_EQ(GetDayNumber(5 * 3600 + 86400), 1);
    EXPECT_EQ(GetDayNumber(5 * 3600 + 86399), 0);
  }
  EXPECT_EQ(GetToday(), GetDayNumber(time(nullptr)));
}

TEST(DateUtilTest, WeekStartMonthAndDayOfMonth) {
  const int32_t wednesday = 19725;  // 3 January 2024
  EXPECT_EQ(GetWeekStart(wednesday, true), wednesday - 3);   // Sunday 31 December 2023
  EXPECT_EQ(GetWeekStart(wednesday, false), wednesday - 2);  // Monday 1 January 2024
  const int32_t sunday = wednesday - 3;
  EXPECT_EQ(GetWeekStart(sunday, true), sunday);
  EXPECT_EQ(GetWeekStart(sunday, false), sunday - 6);
  EXPECT_EQ(GetMonthOfDay(wednesday), 0);
  EXPECT_EQ(GetDayOfMonth(wednesday), 3);
  EXPECT_EQ(GetMonthOfDay(sunday), 11);
  EXPECT_EQ(GetDayOfMonth(sunday), 31);
  EXPECT_EQ(GetDayOfMonth(0), 1);
  EXPECT_EQ(GetWeekStart(0, true), -4);  // 1 January 1970 was a Thursday
  {
    // Splitting a day number does not depend on the zone.
    ZoneScope zone("XET-3");
    EXPECT_EQ(GetDayOfMonth(wednesday), 3);
    EXPECT_EQ(GetWeekStart(wednesday, false), wednesday - 2);
  }
}

}  // namespace
