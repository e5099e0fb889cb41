// The player's base library: strings and UTF-8, the hash table, the growable array,
// reference counting, the log hooks and their rate limit, clock, timer and random numbers.

#include <gtest/gtest.h>

#include "engine/swf/base/array.h"
#include "engine/swf/base/clock.h"
#include "engine/swf/base/file_stream.h"
#include "engine/swf/base/hash_table.h"
#include "engine/swf/base/limits.h"
#include "engine/swf/base/log.h"
#include "engine/swf/base/random.h"
#include "engine/swf/base/ref_counted.h"
#include "engine/swf/base/swf_string.h"
#include "platform/win32/Time.h"
#include "tests/swf/support/SwfTestDoubles.h"

namespace {

TEST(SwfString, StaysShortUpTo14BytesAndGrowsInStepsOf16) {
  swf::string s("abcdefghijklmn");
  EXPECT_FALSE(s.is_long());
  EXPECT_EQ(s.length(), 14);
  s += 'o';
  EXPECT_TRUE(s.is_long());
  EXPECT_EQ(s.capacity(), 16);
  EXPECT_STREQ(s.c_str(), "abcdefghijklmno");
  s.resize(31);
  EXPECT_EQ(s.capacity(), 32);
  s.resize(3);
  EXPECT_FALSE(s.is_long());
  EXPECT_STREQ(s.c_str(), "abc");
  EXPECT_EQ(swf::string().length(), 0);
}

TEST(SwfString, WideTextEncodesAsUtf8) {
  const uint16_t wide[] = {'A', 0xE9, 0x20AC, 0};
  swf::string s(wide);
  EXPECT_EQ(s.view(), "A\xC3\xA9\xE2\x82\xAC");
  EXPECT_EQ(s.utf8_length(), 3);
  EXPECT_EQ(s.utf8_char_at(2), 0x20ACu);
  EXPECT_EQ(s.utf8_char_at(3), 0u);
}

TEST(SwfString, Utf8Helpers) {
  EXPECT_EQ(swf::string::utf8_char_count("a\xC3\xA9", 3), 2);
  EXPECT_EQ(swf::string::utf8_char_count("a\xC3\xA9", 1), 1);
  swf::string s("h\xC3\xA9llo");
  EXPECT_EQ(s.utf8_substring(1, 3).view(), "\xC3\xA9l");
  EXPECT_EQ(s.utf8_substring(2, 99).view(), "llo");
  EXPECT_TRUE(s.utf8_substring(2, 2).empty());
  // Case conversion keeps non-ASCII characters whole.
  EXPECT_EQ(swf::string("Ab\xC3\xA9z").utf8_to_upper().view().substr(0, 2), "AB");
  EXPECT_EQ(swf::string("Ab\xC3\xA9z").utf8_to_lower().utf8_length(), 4);
  EXPECT_EQ(swf::string("AB\xC3\xA9").utf8_to_lower().view().substr(0, 2), "ab");
}

TEST(SwfUtf8, DecodeRejectsMalformedForms) {
  struct Case {
    const char* bytes;
    uint32_t first;
    int advanced;
  };
  const Case cases[] = {
      {"\xC0\x80", 0xFFFD, 2},       // overlong NUL
      {"\xE0\x41", 0xFFFD, 1},       // continuation missing: the 0x41 stays
      {"\xED\xA0\x80", 0xFFFD, 3},   // surrogate
      {"\xEF\xBF\xBE", 0xFFFD, 3},   // U+FFFE
      {"\xF0\x9F\x98\x80", 0x1F600, 4},
      {"\xFF", 0xFFFD, 1},
      {"\xC3", 0, 1},                // cut by the end
      {"z", 'z', 1},
  };
  for (const Case& c : cases) {
    const char* p = c.bytes;
    EXPECT_EQ(swf::utf8_decode_next(&p), c.first) << c.bytes;
    EXPECT_EQ(p - c.bytes, c.advanced) << c.bytes;
  }
}

TEST(SwfUtf8, EncodeLengths) {
  const std::pair<uint32_t, int> cases[] = {{0x7F, 1}, {0x80, 2}, {0x7FF, 2}, {0x800, 3}, {0xFFFF, 3},
                                            {0x10000, 4}, {0x1FFFFF, 4}, {0x200000, 5}, {0x3FFFFFF, 5},
                                            {0x4000000, 6}, {0x7FFFFFFF, 6}, {0x80000000, 0}};
  for (auto [code, length] : cases) {
    char buffer[8];
    int index = 0;
    swf::utf8_encode(buffer, &index, code);
    EXPECT_EQ(index, length) << std::hex << code;
    if (length > 0 && code <= 0x10FFFF && code != 0xFFFF) {
      buffer[index] = 0;
      const char* p = buffer;
      EXPECT_EQ(swf::utf8_decode_next(&p), code);
    }
  }
}

TEST(SwfHashTable, GrowsWhenTwoThirdsFull) {
  swf::hash_table<int, int> table;
  for (int i = 0; i < 11; ++i) table.add(i * 7, i);
  EXPECT_EQ(table.capacity(), 16);
  table.add(1000, 11);
  EXPECT_EQ(table.capacity(), 32);
  for (int i = 0; i < 11; ++i) {
    int value = -1;
    ASSERT_TRUE(table.get(i * 7, &value));
    EXPECT_EQ(value, i);
  }
  EXPECT_FALSE(table.get(3, nullptr));
}

TEST(SwfHashTable, CollidingChainsStayFindable) {
  // Keys of many chains crowd a small table; every key must stay reachable.
  swf::hash_table<int, int> table;
  for (int i = 0; i < 500; ++i) table.add(i * 16, i);
  for (int i = 0; i < 500; ++i) {
    int value = -1;
    ASSERT_TRUE(table.get(i * 16, &value)) << i;
    EXPECT_EQ(value, i);
  }
  EXPECT_EQ(table.size(), 500);
  table.set_capacity(0);
  EXPECT_EQ(table.size(), 0);
  EXPECT_FALSE(table.get(0, nullptr));
}

// A key added twice heads its chain with the later entry, which lookups meet first.
TEST(SwfHashTable, StringKeysIgnoreCaseAndTheLaterEntryIsFoundFirst) {
  swf::hash_table<swf::string, int, swf::stringi_hash, swf::stringi_equal> labels;
  labels.add(swf::string("Intro"), 1);
  labels.add(swf::string("intro"), 5);
  int frame = -1;
  ASSERT_TRUE(labels.get(swf::string("INTRO"), &frame));
  EXPECT_EQ(frame, 5);
  EXPECT_EQ(labels.size(), 2);
}

TEST(SwfHashTable, ByteHashRunsFromTheLastByte) {
  const uint8_t bytes[2] = {1, 2};
  EXPECT_EQ(swf::byte_hash(bytes, 2, 5381), (5381u * 65599 + 2) * 65599 + 1);
}

TEST(SwfArray, CapacityFollowsResizes) {
  swf::array<int> a;
  a.resize(8);
  EXPECT_EQ(a.capacity(), 10);
  a.resize(10);
  EXPECT_EQ(a.capacity(), 10);
  a.resize(11);
  EXPECT_EQ(a.capacity(), 13);
  a[10] = 4;
  a.resize(6);  // at most half of 13
  EXPECT_EQ(a.capacity(), 7);
  a.resize(0);
  EXPECT_EQ(a.capacity(), 0);
}

class Counted : public swf::ref_counted {
 public:
  explicit Counted(int* deaths) : deaths_(deaths) {}
  ~Counted() override { ++*deaths_; }

 private:
  int* deaths_;
};

TEST(SwfRefCounted, SmartAndWeakPointers) {
  int deaths = 0;
  swf::weak_ptr<Counted> weak;
  {
    swf::smart_ptr<Counted> a(new Counted(&deaths));
    swf::smart_ptr<Counted> b = a;
    weak = a.get_ptr();
    EXPECT_EQ(a->get_ref_count(), 2);
    a = nullptr;
    EXPECT_EQ(deaths, 0);
    EXPECT_NE(weak.get_ptr(), nullptr);
  }
  EXPECT_EQ(deaths, 1);
  EXPECT_EQ(weak.get_ptr(), nullptr);
}

TEST(SwfLog, NothingWithoutCallbackAndTextsPassAsFormatted) {
  swf::register_log_callback(nullptr);
  swf::log_error("dropped %d\n", 1);  // no callback: nothing happens
  swftest::SwfLogCapture log;
  swf::log_msg("a %s\n", "b");
  swf::log_error("c %d\n", 7);
  ASSERT_EQ(log.lines.size(), 2u);
  EXPECT_FALSE(log.lines[0].error);
  EXPECT_EQ(log.lines[0].text, "a b\n");
  EXPECT_TRUE(log.lines[1].error);
  EXPECT_EQ(log.lines[1].text, "c 7\n");
}

TEST(SwfLog, RateIsBoundedAndDroppedLinesAreCounted) {
  win32::FakeClock clock(1000, 5000);
  swftest::SwfLogCapture log;
  for (int i = 0; i < 500; ++i) swf::log_error("flood %d\n", i);
  EXPECT_EQ(log.lines.size(), static_cast<size_t>(swf::limits::kMaxLogLinesPerSecond));
  clock.Advance(1000);
  swf::log_error("later\n");
  ASSERT_GE(log.lines.size(), 2u);
  EXPECT_EQ(log.lines[log.lines.size() - 2].text,
            "swf: " + std::to_string(500 - swf::limits::kMaxLogLinesPerSecond) + " log lines dropped\n");
  EXPECT_EQ(log.lines.back().text, "later\n");
}

TEST(SwfTimer, ExpiresAfterItsIntervalAndNotWhenStopped) {
  win32::FakeClock clock(1000, 10000);  // 10 s
  swf::Timer stopped(1.0, 0.0);
  EXPECT_FALSE(stopped.expired());
  swf::Timer timer(1.0, 10.0);
  EXPECT_FALSE(timer.expired());
  clock.Advance(1500);
  EXPECT_TRUE(timer.expired());
  EXPECT_DOUBLE_EQ(timer.get_start(), 11.5);
  swftest::SwfLogCapture log;
  swf::Timer ahead(1.0, 20.0);  // the clock went backwards
  EXPECT_TRUE(ahead.expired());
  EXPECT_TRUE(log.Contains("is before start"));
}

TEST(SwfRandom, SeededSequenceIsFixed) {
  swf::random_generator a, b;
  a.seed_random(987654321);
  b.seed_random(987654321);
  uint32_t first = a.next_random();
  EXPECT_EQ(first, b.next_random());
  EXPECT_NE(first, a.next_random());
  swf::random_generator c;
  c.seed_random(1);
  EXPECT_NE(c.next_random(), first);
}

TEST(SwfFileStream, StandardFileFailureAndMemoryStream) {
  swf::file_stream missing("/nonexistent/file.swf", "rb");
  EXPECT_EQ(missing.get_error(), swf::file_stream::OPEN_ERROR);
  EXPECT_EQ(missing.read_bytes(nullptr, 4), 0);
  std::unique_ptr<swf::file_stream> mem(swftest::MakeMemoryStream({1, 2, 3}));
  uint8_t b[4] = {};
  EXPECT_EQ(mem->read_bytes(b, 4), 3);
  EXPECT_TRUE(mem->get_eof());
  EXPECT_EQ(mem->set_position(1), 0);
  EXPECT_EQ(mem->get_position(), 1);
}

}  // namespace
