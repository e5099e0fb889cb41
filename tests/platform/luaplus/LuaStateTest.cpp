#include <gtest/gtest.h>
#include <lua.hpp>

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "platform/luaplus/LuaPlus.h"
#include "tests/support/TestEnv.h"

namespace {

std::vector<std::string> g_alerts;
std::vector<std::string> g_fallback;

int Alert(lua_State* L) {
  g_alerts.push_back(lua_tostring(L, 1) ? lua_tostring(L, 1) : "(none)");
  return 0;
}
void Fallback(const char* message) { g_fallback.push_back(message); }

class LuaStateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_alerts.clear();
    g_fallback.clear();
    LuaState::SetFallbackErrorSink(Fallback);
    state_ = LuaState::Create(true, false);
    ASSERT_NE(state_, nullptr);
    state_->GetGlobals().Register("_ALERT", Alert);
  }
  void TearDown() override {
    LuaState::Destroy(state_);
    LuaState::SetFallbackErrorSink(nullptr);
  }
  LuaState* state_ = nullptr;
};

TEST_F(LuaStateTest, ChunkErrorsReachAlertAndLeaveTheStackBalanced) {
  lua_State* L = state_->GetCState();
  int top = lua_gettop(L);
  EXPECT_EQ(state_->DoString("x = 1 + 2; return 1, 2, 3"), 0);
  EXPECT_EQ(state_->GetGlobal("x").GetInteger(), 3);
  EXPECT_NE(state_->DoString("error('boom')"), 0);
  EXPECT_NE(state_->DoString("this is not lua"), 0);
  EXPECT_NE(state_->DoString("error({})"), 0);
  const char buffer[] = "local t = nil; return t.field";
  EXPECT_NE(state_->DoBuffer(buffer, sizeof buffer - 1, "@scripts/broken.lua"), 0);
  EXPECT_NE(state_->DoFile("no/such/file.lua"), 0);
  EXPECT_EQ(lua_gettop(L), top);

  ASSERT_EQ(g_alerts.size(), 5u);
  EXPECT_NE(g_alerts[0].find("boom"), std::string::npos);
  EXPECT_NE(g_alerts[1].find("syntax error"), std::string::npos) << g_alerts[1];
  EXPECT_EQ(g_alerts[2], "(error object is a table value)");
  EXPECT_EQ(g_alerts[3].rfind("scripts/broken.lua:1:", 0), 0u) << g_alerts[3];
  EXPECT_NE(g_alerts[4].find("no/such/file.lua"), std::string::npos);
  EXPECT_TRUE(g_fallback.empty());
}

TEST_F(LuaStateTest, ErrorsGoToTheFallbackWithoutAWorkingAlert) {
  state_->GetGlobals().SetNil("_ALERT");
  EXPECT_NE(state_->DoString("error('first')"), 0);
  EXPECT_EQ(state_->DoString("_ALERT = function(m) error('alert broke') end"), 0);
  EXPECT_NE(state_->DoString("error('second')"), 0);
  ASSERT_EQ(g_fallback.size(), 2u);
  EXPECT_NE(g_fallback[0].find("first"), std::string::npos);
  EXPECT_NE(g_fallback[1].find("second"), std::string::npos);
  EXPECT_NE(g_fallback[1].find("alert broke"), std::string::npos);
}

TEST_F(LuaStateTest, PCallRunsAFunctionWithArgumentsAndReportsItsError) {
  ASSERT_EQ(state_->DoString("function Add(a, b) return a + b end"), 0);
  lua_State* L = state_->GetCState();
  state_->GetGlobal("Add").Push();
  lua_pushnumber(L, 2);
  lua_pushnumber(L, 5);
  ASSERT_EQ(state_->PCall(2, 1), 0);
  EXPECT_EQ(lua_tonumber(L, -1), 7);
  lua_pop(L, 1);
  state_->GetGlobal("Add").Push();
  lua_pushnumber(L, 2);
  lua_newtable(L);
  EXPECT_NE(state_->PCall(2, 1), 0);
  EXPECT_EQ(g_alerts.size(), 1u);
  EXPECT_EQ(lua_gettop(L), 0);
}

TEST_F(LuaStateTest, TypedReadsDistinguishTypes) {
  ASSERT_EQ(state_->DoString(
                "T = { n = 2.9, m = -2.9, big = 1e20, s = '12', b = false, list = { 1, 2, 3 },"
                "      nan = 0/0, text = 'a\\0b' }"),
            0);
  LuaObject t = state_->GetGlobal("T");
  EXPECT_TRUE(t.IsTable());
  EXPECT_TRUE(t["n"].IsNumber());
  EXPECT_EQ(t["n"].GetInteger(), 2);
  EXPECT_EQ(t["m"].GetInteger(), -2);
  EXPECT_EQ(t["big"].GetInteger(), 2147483647);
  EXPECT_EQ(t["nan"].GetInteger(), 0);
  EXPECT_FALSE(t["s"].IsNumber());
  EXPECT_TRUE(t["s"].IsString());
  EXPECT_STREQ(t["n"].GetString(), "");  // a number is not converted to text
  EXPECT_TRUE(t["b"].IsBoolean());
  EXPECT_FALSE(t["b"].GetBoolean());
  EXPECT_EQ(t["list"].GetTableCount(), 3);
  EXPECT_EQ(t["list"][2].GetInteger(), 2);
  EXPECT_EQ(t["s"].GetTableCount(), 0);
  EXPECT_EQ(t["text"].GetStrLen(), 3u);
  EXPECT_EQ(t["text"].ToStdString(), std::string("a\0b", 3));
  EXPECT_TRUE(t["missing"].IsNil());
  EXPECT_TRUE(t["n"]["x"].IsNil());  // indexing a number gives nil, not an error
  EXPECT_STREQ(t["list"].TypeName(), "table");
}

TEST_F(LuaStateTest, ReadsHonourMetatablesAndSurviveFailingHandlers) {
  ASSERT_EQ(state_->DoString(
                "Base = { size = 4 }"
                "Derived = setmetatable({}, { __index = Base })"
                "Broken = setmetatable({}, { __index = function() error('no') end })"),
            0);
  EXPECT_EQ(state_->GetGlobal("Derived")["size"].GetInteger(), 4);
  EXPECT_TRUE(state_->GetGlobal("Broken")["size"].IsNil());
  EXPECT_TRUE(g_alerts.empty());
}

TEST_F(LuaStateTest, ObjectsOutlivingTheirStateBecomeEmpty) {
  LuaState* other = LuaState::Create();
  ASSERT_EQ(other->DoString("T = { name = 'x' }"), 0);
  LuaObject table = other->GetGlobal("T");
  LuaObject name = table["name"];
  LuaObject copy = name;
  EXPECT_STREQ(copy.GetString(), "x");
  LuaState::Destroy(other);
  for (const LuaObject* object : {&table, &name, &copy}) {
    EXPECT_TRUE(object->IsEmpty());
    EXPECT_TRUE(object->IsNil());
    EXPECT_STREQ(object->GetString(), "");
    EXPECT_TRUE((*object)["name"].IsEmpty());
  }
  LuaObject later = table;
  later.SetNumber("n", 1);  // ignored, no crash
  EXPECT_TRUE(later.IsEmpty());
}

TEST_F(LuaStateTest, WritesBuildTablesAndRegisterFunctions) {
  LuaObject globals = state_->GetGlobals();
  LuaObject config = globals.CreateTable("Config");
  config.SetNumber("Width", 800).SetString("Name", std::string("a\0b", 3)).SetBoolean("On", true);
  LuaObject color = config.CreateTable("Color", 3);
  color.SetNumber(1, 0.25).SetNumber(2, 0.5).SetNumber(3, 1);
  config.SetObject("Alias", color);
  globals.Register("Twice", [](lua_State* L) {
    lua_pushnumber(L, 2 * luaL_checknumber(L, 1));
    return 1;
  });
  ASSERT_EQ(state_->DoString(
                "assert(Config.Width == 800 and Config.Name == 'a\\0b' and Config.On == true)"
                "assert(#Config.Color == 3 and Config.Alias == Config.Color)"
                "assert(Twice(21) == 42)"),
            0)
      << (g_alerts.empty() ? "" : g_alerts[0]);

  LuaObject number = config["Width"];
  number.SetNumber("x", 1);          // not a table: nothing happens
  EXPECT_TRUE(number.CreateTable("t").IsEmpty());
  config.SetObject(LuaObject(), LuaObject());  // an empty key is refused quietly
  EXPECT_TRUE(config["Width"].IsNumber());
}

TEST_F(LuaStateTest, IteratorVisitsEveryPair) {
  ASSERT_EQ(state_->DoString("T = { 10, 20, a = 'x', b = true }"), 0);
  std::map<std::string, std::string> seen;
  for (LuaTableIterator it(state_->GetGlobal("T")); it.IsValid(); it.Next()) {
    lua_State* L = state_->GetCState();
    it.GetKey().Push();
    std::string key = luaL_tolstring(L, -1, nullptr);
    it.GetValue().Push();
    seen[key] = luaL_tolstring(L, -1, nullptr);
    lua_settop(L, 0);
  }
  EXPECT_EQ(seen, (std::map<std::string, std::string>{{"1", "10"}, {"2", "20"}, {"a", "x"}, {"b", "true"}}));
  EXPECT_FALSE(LuaTableIterator(state_->GetGlobal("Missing")).IsValid());
  EXPECT_FALSE(LuaTableIterator(LuaObject()).IsValid());
}

TEST_F(LuaStateTest, SerializedTextIsStableAndExact) {
  ASSERT_EQ(state_->DoString(
                "Config = { ClearColor = { 0.1, 0.1, 0.3 }, AppName = 'Application 1.0',"
                "  Volume = 80, Flags = { on = true, [2] = 'two', [1] = 'one', ['end'] = 1,"
                "  ['two words'] = 2, [-1] = 'neg' }, Empty = {}, Fn = print }"),
            0);
  EXPECT_EQ(LuaStateOutFile::Serialize("Config", state_->GetGlobal("Config")),
            "Config = {\n"
            "   AppName = \"Application 1.0\",\n"
            "   ClearColor = { 0.1, 0.1, 0.3 },\n"
            "   Empty = {},\n"
            "   Flags = {\n"
            "      \"one\",\n"
            "      \"two\",\n"
            "      [-1] = \"neg\",\n"
            "      [\"end\"] = 1,\n"
            "      on = true,\n"
            "      [\"two words\"] = 2,\n"
            "   },\n"
            "   Volume = 80,\n"
            "}\n");
}

TEST_F(LuaStateTest, SerializedValuesReadBackUnchanged) {
  // Every byte value in a string, numbers that need all their digits, odd keys, nesting;
  // a cycle and a function are left out.
  ASSERT_EQ(state_->DoString(
                "local bytes = {} for i = 0, 255 do bytes[#bytes + 1] = string.char(i) end "
                "V = { all = table.concat(bytes), third = 1/3, tiny = 5e-324, huge = 1e300,"
                "  negzero = -0.0, inf = 1/0, ninf = -1/0, big = 2^53, [1.5] = 'half',"
                "  [true] = 'yes', nested = { deeper = { 'a', { 'b' } } }, gap = { 1, nil, 3 },"
                "  fn = print, quote = '\"\\\\]]' }"
                "V.self = V "),
            0);
  std::string text = LuaStateOutFile::Serialize("W", state_->GetGlobal("V"));
  EXPECT_EQ(text.find("self"), std::string::npos);
  EXPECT_EQ(text.find("fn"), std::string::npos);
  ASSERT_EQ(state_->DoString(text.c_str()), 0) << text;
  ASSERT_EQ(state_->DoString(
                "local function same(a, b)"
                "  if type(a) ~= type(b) then return false end "
                "  if type(a) ~= 'table' then return a == b or (a ~= a and b ~= b) end "
                "  for k, v in pairs(a) do if k ~= 'self' and k ~= 'fn' and not same(v, b[k]) then return false end end "
                "  for k in pairs(b) do if a[k] == nil then return false end end "
                "  return true "
                "end "
                "assert(same(V, W), 'differs') "
                "assert(1/W.negzero == -1/0, 'sign of zero')"),
            0)
      << text << (g_alerts.empty() ? "" : g_alerts[0]);
}

TEST_F(LuaStateTest, DumpObjectWritesAFileAndReportsFailures) {
  ASSERT_EQ(state_->DoString("T = { a = 1 }"), 0);
  std::string path = testenv::MakeTempDir("dump") + "/t.lua";
  LuaStateOutFile file;
  EXPECT_FALSE(file.Print("x"));
  EXPECT_FALSE(state_->DumpObject(file, "T", state_->GetGlobal("T")));  // not open
  ASSERT_TRUE(file.Open(path.c_str()));
  EXPECT_FALSE(file.Open(path.c_str()));  // one file at a time
  EXPECT_TRUE(state_->DumpObject(file, "T", state_->GetGlobal("T")));
  EXPECT_TRUE(file.Close());
  EXPECT_FALSE(file.Close());
  EXPECT_EQ(testenv::ReadFile(path), "T = {\n   a = 1,\n}\n");
  EXPECT_FALSE(file.Open((testenv::MakeTempDir("dump") + "/missing/t.lua").c_str()));
}

TEST_F(LuaStateTest, CastStateFindsTheOwnerFromACoroutine) {
  static LuaState* seen = nullptr;
  state_->GetGlobals().Register("Probe", [](lua_State* L) {
    seen = LuaState::CastState(L);
    LuaObject argument(L, 1);
    lua_pushboolean(L, argument.GetInteger() == 7);
    return 1;
  });
  ASSERT_EQ(state_->DoString(
                "local co = coroutine.create(function() return Probe(7) end)"
                "local ok, result = coroutine.resume(co) assert(ok and result)"),
            0);
  EXPECT_EQ(seen, state_);
  lua_State* foreign = luaL_newstate();
  EXPECT_EQ(LuaState::CastState(foreign), nullptr);
  lua_close(foreign);
}

}  // namespace
