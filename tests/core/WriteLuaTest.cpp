#include "engine/core/WriteLua.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "engine/core/Script.h"
#include "tests/core/LogCapture.h"
#include "tests/support/TestEnv.h"

namespace {

std::string TempPath(const std::string& name) { return testenv::MakeTempDir("writelua") + "/" + name; }

TEST(WriteLuaTest, PanelTableText) {
  std::string path = TempPath("panel.lua");
  {
    WriteLua writer;
    ASSERT_TRUE(writer.Open(path));
    writer.BeginTable("Panel");
    writer.WriteInt("Width", 800);
    writer.EndTable(false);
  }
  EXPECT_EQ(testenv::ReadFile(path), "Panel = \n{ \n   Width = 800,\n}\n");
}

TEST(WriteLuaTest, NestedTablesScalarsAndVectors) {
  std::string path = TempPath("scene.lua");
  {
    WriteLua writer;
    ASSERT_TRUE(writer.Open(path));
    writer.BeginTable("Scene");
    writer.WriteString("Name", "menu");
    writer.WriteFloat("Speed", 0.5f);
    writer.WriteVector2("Pos", {0.25f, -1});
    writer.BeginTable("Items");
    writer.BeginTable("");
    writer.WriteVector4("Color", {1, 0.5f, 0, 1});
    writer.WriteWString("Text", u"h\u00e9");
    writer.EndTable(true);
    writer.EndTable(true);
    writer.PrintLine("Count = %d,", 2);
    writer.Printf("-- %s\n", "end");
    writer.EndTable(false);
    EXPECT_EQ(writer.Level(), 0);
  }
  EXPECT_EQ(testenv::ReadFile(path),
            "Scene = \n"
            "{ \n"
            "   Name = \"menu\",\n"
            "   Speed = 0.500000,\n"
            "   Pos = { 0.250000, -1.000000 },\n"
            "   Items = \n"
            "   { \n"
            "      { \n"
            "         Color = { 1.000000, 0.500000, 0.000000, 1.000000 },\n"
            "         Text = \"h\xc3\xa9\",\n"
            "      }, \n"
            "   }, \n"
            "   Count = 2,\n"
            "-- end\n"
            "}\n");
}

TEST(WriteLuaTest, EscapeTurnsBackslashesIntoSlashesAndQuotesQuotes) {
  EXPECT_EQ(WriteLua::Escape("c:\\data\\\"x\""), "c:/data/\\\"x\\\"");
  EXPECT_EQ(WriteLua::Escape("a\nb\rc\td\x01" "2"), "a\\nb\\rc\\td\\0012");
  EXPECT_EQ(WriteLua::Escape(std::string("\0\x7f", 2)), "\\000\\127");
}

TEST(WriteLuaTest, LevelNeverDropsBelowZeroAndClosedWriterWritesNothing) {
  std::string path = TempPath("under.lua");
  {
    WriteLua writer;
    writer.BeginTable("Ignored");  // nothing open: no effect
    writer.WriteInt("x", 1);
    EXPECT_EQ(writer.Level(), 0);
    ASSERT_TRUE(writer.Open(path));
    writer.EndTable(false);
    writer.EndTable(true);
    EXPECT_EQ(writer.Level(), 0);
    writer.WriteInt("x", 1);
  }
  EXPECT_EQ(testenv::ReadFile(path), "}\n}, \nx = 1,\n");
}

TEST(WriteLuaTest, NumbersThatAreNotFiniteReadBackAsTheSameValues) {
  EXPECT_EQ(WriteLua::Number(0.5f), "0.500000");
  EXPECT_EQ(WriteLua::Number(std::nanf("")), "0/0");
  EXPECT_EQ(WriteLua::Number(INFINITY), "1/0");
  EXPECT_EQ(WriteLua::Number(-INFINITY), "-1/0");
  const std::string path = TempPath("odd.lua");
  {
    WriteLua writer;
    ASSERT_TRUE(writer.Open(path));
    writer.BeginTable("Odd");
    writer.WriteFloat("A", std::nanf(""));
    writer.WriteVector2("B", {INFINITY, -INFINITY});
    writer.WriteVector4("C", {1, std::nanf(""), 0, -INFINITY});
    writer.EndTable(false);
  }
  LuaState* state = script::CreateLuaState();
  ASSERT_TRUE(script::LoadScript(state, path));
  const LuaObject odd = script::GetGlobal(state, "Odd");
  EXPECT_TRUE(std::isnan(script::GetFloat(odd, "A", 0.0f)));
  EXPECT_EQ(script::GetVec2(odd, "B", {}).x, INFINITY);
  EXPECT_EQ(script::GetVec2(odd, "B", {}).y, -INFINITY);
  EXPECT_TRUE(std::isnan(script::GetVec4(odd, "C", {}).y));
  LuaState::Destroy(state);
}

TEST(WriteLuaTest, CloseReportsAFailedWriteAndAllowsANewFile) {
  WriteLua writer;
  EXPECT_FALSE(writer.Close());  // nothing open
  // The device that is always full takes the open but fails the flush.
  ASSERT_TRUE(writer.Open("/dev/full"));
  writer.BeginTable("Blocks");
  writer.EndTable(false);
  EXPECT_FALSE(writer.Close());
  EXPECT_FALSE(writer.IsOpen());
  const std::string path = TempPath("after.lua");
  ASSERT_TRUE(writer.Open(path));
  writer.WriteInt("x", 1);
  EXPECT_TRUE(writer.Close());
  EXPECT_EQ(testenv::ReadFile(path), "x = 1,\n");
}

TEST(WriteLuaTest, OpenRefusesASecondFileAndMissingFolders) {
  LogCapture log;
  std::string first = TempPath("a.lua");
  WriteLua writer;
  ASSERT_TRUE(writer.Open(first));
  EXPECT_FALSE(writer.Open(TempPath("b.lua")));
  EXPECT_TRUE(log.Contains("WriteLua file already open: unable to open at "));
  EXPECT_TRUE(log.Contains("[MSG_WARNING]"));
  WriteLua other;
  std::string missing = testenv::MakeTempDir("w") + "/no/such/x.lua";
  EXPECT_FALSE(other.Open(missing));
  EXPECT_TRUE(log.Contains("Unable to open WriteLua file at " + missing));
}

// Whatever a string holds (but backslashes, written as "/"), the file reads back to it.
TEST(WriteLuaTest, AwkwardStringsReadBackUnchanged) {
  std::string control;
  for (int c = 1; c < 32; ++c) control += static_cast<char>(c);
  const std::vector<std::string> values = {
      "line one\nline two",
      "carriage\r\nreturn",
      "tab\there",
      std::string("nul\0byte", 8),
      control + "\x7f" + "123",
      "quotes \"inside\" and 'single'",
      "percent %s %d %% %n",
      "]] ]=] [[",
      "utf-8 \xc3\xb6 \xe2\x82\xac \xf0\x9f\x98\x80",
      std::string(5000, 'L') + "end",
      "",
  };
  std::string path = TempPath("strings.lua");
  {
    WriteLua writer;
    ASSERT_TRUE(writer.Open(path));
    writer.BeginTable("Data");
    for (size_t i = 0; i < values.size(); ++i) writer.WriteString("S" + std::to_string(i), values[i]);
    writer.EndTable(false);
  }
  LuaState* state = script::CreateLuaState();
  ASSERT_TRUE(script::LoadScript(state, path));
  LuaObject data = script::GetGlobal(state, "Data");
  for (size_t i = 0; i < values.size(); ++i) {
    EXPECT_EQ(script::GetString(data, "S" + std::to_string(i), "<missing>"), values[i]) << i;
  }
  LuaState::Destroy(state);
}

// Numbers that "%f" would write as names: the file still loads and reads back to them.
TEST(WriteLuaTest, NonFiniteNumbersReadBackAndWritingClosesCleanly) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  std::string path = TempPath("numbers.lua");
  WriteLua writer;
  ASSERT_TRUE(writer.Open(path));
  writer.BeginTable("Data");
  writer.WriteFloat("N", nan);
  writer.WriteVector2("V", math::Vec2(inf, -inf));
  writer.WriteVector4("C", math::Vec4(0.5f, nan, -inf, 1.0f));
  writer.EndTable(false);
  EXPECT_TRUE(writer.Close());
  EXPECT_FALSE(writer.IsOpen());
  EXPECT_FALSE(writer.Close());
  LuaState* state = script::CreateLuaState();
  ASSERT_TRUE(script::LoadScript(state, path));
  LuaObject data = script::GetGlobal(state, "Data");
  EXPECT_TRUE(std::isnan(script::GetFloat(data, "N", 0.0f)));
  EXPECT_EQ(script::GetVec2(data, "V", math::Vec2()), math::Vec2(inf, -inf));
  const math::Vec4 c = script::GetVec4(data, "C", math::Vec4());
  EXPECT_EQ(c.x, 0.5f);
  EXPECT_TRUE(std::isnan(c.y));
  EXPECT_EQ(c.z, -inf);
  LuaState::Destroy(state);
}

}  // namespace
