#include "engine/core/Script.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/Archive.h"
#include "engine/core/VFS.h"
#include "tests/core/LogCapture.h"
#include "tests/support/TestEnv.h"

namespace {

class ScriptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    state_ = script::CreateLuaState();
    ASSERT_NE(state_, nullptr);
    dir_ = testenv::MakeTempDir("script");
  }
  void TearDown() override {
    LuaState::Destroy(state_);
    vfs::VFS::Instance().RemoveArchives();
  }
  std::string Write(const std::string& name, const std::string& text) {
    testenv::WriteFile(dir_ + "/" + name, text);
    return dir_ + "/" + name;
  }

  LuaState* state_ = nullptr;
  std::string dir_;
};

TEST_F(ScriptTest, ReadersCheckTypesAndFallBackToDefaults) {
  ASSERT_TRUE(script::LoadScript(state_, Write("t.lua",
      "T = { Int = 12, Quoted = '12', Float = 2.5, Neg = -3.7, On = true, Off = false,"
      "      Zero = 0, Half = 0.5, Name = 'x', V2 = { 1, 2 }, V3 = { 1, 2, 3 },"
      "      Color3 = { 1, 0, 0 }, Color4 = { 0.1, 'g', 0.3, 0.4 } }")));
  LuaObject t = script::GetGlobal(state_, "T");
  LuaObject none;

  EXPECT_EQ(script::GetInt(t, "Int", 5), 12);
  EXPECT_EQ(script::GetInt(t, "Quoted", 5), 5);  // a string is not a number
  EXPECT_EQ(script::GetInt(t, "Missing", 5), 5);
  EXPECT_EQ(script::GetInt(t, "Float", 5), 2);
  EXPECT_EQ(script::GetInt(t, "Neg", 5), -3);
  EXPECT_EQ(script::GetInt(none, "Int", 5), 5);
  EXPECT_EQ(script::GetInt(t["Int"], "Int", 5), 5);  // not a table

  const std::tuple<const char*, bool, bool> bools[] = {
      {"On", false, true}, {"Off", true, false}, {"Zero", true, false}, {"Int", false, true},
      {"Half", true, false}, {"Name", true, true}, {"Missing", false, false}, {"Quoted", true, true},
  };
  for (const auto& [key, fallback, expected] : bools) {
    EXPECT_EQ(script::GetBool(t, key, fallback), expected) << key;
  }

  EXPECT_FLOAT_EQ(script::GetFloat(t, "Float", 1), 2.5f);
  EXPECT_FLOAT_EQ(script::GetFloat(t, "Quoted", 1), 1.0f);
  EXPECT_EQ(script::GetString(t, "Name", "d"), "x");
  EXPECT_EQ(script::GetString(t, "Int", "d"), "d");
  EXPECT_FLOAT_EQ(script::ToFloat(t["Half"], 9), 0.5f);
  EXPECT_EQ(script::ToString(t["Half"], "d"), "d");

  const math::Vec4 white(1, 1, 1, 1);
  EXPECT_EQ(script::GetVec4(t, "Color3", white), white);
  EXPECT_EQ(script::GetVec4(t, "Color4", white), math::Vec4(0.1f, 1, 0.3f, 0.4f));
  EXPECT_EQ(script::GetVec3(t, "V3", {}), math::Vec3(1, 2, 3));
  EXPECT_EQ(script::GetVec3(t, "V2", {7, 8, 9}), math::Vec3(7, 8, 9));
  EXPECT_EQ(script::GetVec2(t, "V2", {}), math::Vec2(1, 2));
  EXPECT_EQ(script::GetVec2(t, "Name", {5, 6}), math::Vec2(5, 6));
  EXPECT_FLOAT_EQ(script::GetGlobalFloat(state_, "T", "Float", 0), 2.5f);
  EXPECT_FLOAT_EQ(script::GetGlobalFloat(state_, "None", "Float", 7), 7.0f);

  EXPECT_TRUE(script::GetField(t["Name"], "x").IsEmpty());
  EXPECT_TRUE(script::GetField(none, "x").IsEmpty());
  EXPECT_TRUE(script::GetField(t, "Missing").IsNil());
}

TEST_F(ScriptTest, LoadScriptReportsEachOutcome) {
  std::string empty = Write("empty.lua", "");
  std::string syntax = Write("syntax.lua", "Config = {");
  std::string runtime = Write("runtime.lua", "local x = nil\nx.y = 1");
  LogCapture log;

  EXPECT_TRUE(script::LoadScript(state_, empty));
  EXPECT_TRUE(log.Contains("LUA Script " + empty + " Loaded from " + empty + "  [MSG_INIT]"));

  EXPECT_FALSE(script::LoadScript(state_, ""));
  EXPECT_TRUE(log.Contains("Failed to load script file . Program may become unstable.  [MSG_ERROR]"));

  EXPECT_FALSE(script::LoadScript(state_, dir_ + "/none.lua"));
  EXPECT_TRUE(log.Contains("Couldn't find file "));
  // Script lines carry no source prefix.
  EXPECT_EQ(log.Find("Unable to load script file "), "Unable to load script file " + dir_ + "/none.lua  [MSG_SCRIPT]\n");

  for (const std::string& path : {syntax, runtime}) {
    log.Clear();
    EXPECT_FALSE(script::LoadScript(state_, path));
    // Lua's own message first (the state's error hook logs it), then the loader's line.
    ASSERT_EQ(log.lines.size(), 2u) << log.All();
    EXPECT_EQ(log.lines[0].rfind(path + ":", 0), 0u) << log.lines[0];
    EXPECT_NE(log.lines[0].find("[MSG_SCRIPT]"), std::string::npos);
    EXPECT_EQ(log.lines[1], "Unable to parse script file " + path + "  [MSG_SCRIPT]\n");
  }
}

TEST_F(ScriptTest, ScriptsLoadFromTheArchiveUnderTheirKey) {
  std::string disk = Write("startup.lua", "Ready = true");
  vfs::Archive archive;
  ASSERT_TRUE(archive.AddFile(disk, "scripts/startup.lua"));
  ASSERT_TRUE(archive.SaveArchive(dir_ + "/kx.arc"));
  vfs::VFS::Instance().AddArchive(dir_ + "/kx.arc");
  LogCapture log;
  EXPECT_TRUE(script::LoadScript(state_, "data/Scripts/Startup.lua"));
  EXPECT_TRUE(log.Contains("LUA Script data/Scripts/Startup.lua Loaded from Scripts/Startup.lua"));
  EXPECT_TRUE(state_->GetGlobal("Ready").GetBoolean());
}

TEST_F(ScriptTest, PrintWritesOneScriptLineJoinedByTabs) {
  LogCapture log;
  ASSERT_EQ(state_->DoString("print('a', 1, nil, true) LOG('log') _ALERT('alert') print()"), 0);
  ASSERT_EQ(log.lines.size(), 4u);
  EXPECT_EQ(log.lines[0], "a\t1\tnil\ttrue  [MSG_SCRIPT]\n");
  EXPECT_EQ(log.lines[1], "log  [MSG_SCRIPT]\n");
  EXPECT_EQ(log.lines[2], "alert  [MSG_SCRIPT]\n");
  EXPECT_EQ(log.lines[3], "  [MSG_SCRIPT]\n");

  // A "tostring" that gives no string makes print fail; the error cannot go through the
  // (equally broken) printer and reaches the fallback instead.
  static std::vector<std::string> fallback;
  fallback.clear();
  LuaState::SetFallbackErrorSink([](const char* message) { fallback.push_back(message); });
  EXPECT_NE(state_->DoString("tostring = function() return nil end print(1)"), 0);
  LuaState::SetFallbackErrorSink(nullptr);
  ASSERT_EQ(fallback.size(), 1u);
  EXPECT_NE(fallback[0].find("`tostring' must return a string to `print'"), std::string::npos) << fallback[0];
}

TEST_F(ScriptTest, DofileRunsFilesThroughTheFileSystem) {
  std::string lib = Write("lib.lua", "Lib = 40\nreturn 1, 3");
  std::string broken = Write("broken.lua", "return {");
  vfs::Archive archive;
  ASSERT_TRUE(archive.AddFile(lib, "scripts/lib.lua"));
  ASSERT_TRUE(archive.SaveArchive(dir_ + "/kx.arc"));
  vfs::VFS::Instance().AddArchive(dir_ + "/kx.arc");

  LogCapture log;
  ASSERT_EQ(state_->DoString("local a, b = dofile('data/scripts/lib.lua') Result = Lib + a + b"), 0)
      << log.All();
  EXPECT_EQ(state_->GetGlobal("Result").GetInteger(), 44);

  EXPECT_NE(state_->DoString("dofile()"), 0);
  EXPECT_TRUE(log.Contains("Unable to load file!  [MSG_SCRIPT]"));
  EXPECT_NE(state_->DoString("dofile('none/x.lua')"), 0);
  EXPECT_TRUE(log.Contains("Unable to load script file none/x.lua  [MSG_SCRIPT]"));
  log.Clear();
  EXPECT_NE(state_->DoString(("dofile('" + broken + "')").c_str()), 0);
  ASSERT_EQ(log.lines.size(), 2u) << log.All();
  EXPECT_EQ(log.lines[0], "Error executing block from " + broken + "  [MSG_SCRIPT]\n");
  EXPECT_NE(log.lines[1].find("broken.lua:1:"), std::string::npos) << log.lines[1];
}

TEST_F(ScriptTest, EnsureGlobalTableCreatesOnlyMissingTables) {
  ASSERT_EQ(state_->DoString("Number = 3"), 0);
  script::EnsureGlobalTable(state_, "Config");
  script::EnsureGlobalTable(state_, "Number");
  EXPECT_TRUE(state_->GetGlobal("Config").IsTable());
  EXPECT_EQ(state_->GetGlobal("Number").GetInteger(), 3);
  state_->GetGlobal("Config").SetNumber("x", 1);
  script::EnsureGlobalTable(state_, "Config");
  EXPECT_EQ(state_->GetGlobal("Config")["x"].GetInteger(), 1);
}

}  // namespace

// Data files run in bounded states: an endless or greedy file stops with a logged script
// error, and the reader carries on; the console's resident state has no such bound.
TEST_F(ScriptTest, DataStatesStopEndlessAndGreedyFiles) {
  struct Case {
    const char* name;
    const char* text;
    const char* logged;
  };
  const Case cases[] = {
      {"endless", "while true do end", "instruction limit reached"},
      {"recursive", "local function f() return f() end f()", "instruction limit reached"},
      {"greedy", "local t = {} for i = 1, 1e9 do t[i] = string.rep('x', 64) .. i end",
       "not enough memory"},
  };
  for (const Case& c : cases) {
    LogCapture log;
    LuaState* state = script::CreateLuaState();
    ASSERT_NE(state, nullptr);
    EXPECT_FALSE(script::LoadScript(state, Write(std::string(c.name) + ".lua", c.text))) << c.name;
    EXPECT_TRUE(log.Contains(c.logged)) << c.name << ": " << log.All();
    LuaState::Destroy(state);
  }

  LuaState* state = script::CreateLuaState();
  EXPECT_TRUE(script::LoadScript(state, Write("fine.lua",
      "local t = {} for i = 1, 100000 do t[i] = i end Total = #t")));
  EXPECT_EQ(state->GetGlobal("Total").GetInteger(), 100000);
  LuaState::Destroy(state);

  LuaState* resident = script::CreateLuaState(script::StateUse::Resident);
  EXPECT_EQ(resident->DoString("local n = 0 for i = 1, 25000000 do n = n + 1 end Count = n"), 0);
  EXPECT_EQ(resident->GetGlobal("Count").GetInteger(), 25000000);
  LuaState::Destroy(resident);
}
