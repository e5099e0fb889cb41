// The Lua classes "PartGroup" and "Part2D", driven from a test state.

#include <luabind/luabind.hpp>

#include <gtest/gtest.h>

#include "engine/core/Script.h"
#include "tests/part2d/Part2DTestSupport.h"

namespace p2dtest {
namespace {

class Part2DScriptTest : public Part2DTest {
 protected:
  void SetUp() override {
    Part2DTest::SetUp();
    state_ = script::CreateLuaState();
    lua_State* L = state_->GetCState();
    // The vector class that the engine's script functions register.
    luabind::module(L)[
      luabind::class_<math::Vec2>("Vec2")
        .def(luabind::constructor<float, float>())
        .def_readwrite("x", &math::Vec2::x)
        .def_readwrite("y", &math::Vec2::y)
    ];
    ASSERT_TRUE(part2d::RegisterPart2DClasses(state_));
    luabind::globals(L)["system"] = &system_;
  }
  void TearDown() override { LuaState::Destroy(state_); }

  void Run(const std::string& chunk) { ASSERT_EQ(state_->DoString(chunk.c_str()), 0) << chunk; }
  float Number(const std::string& name) {
    return script::GetGlobal(state_, name).GetFloat();
  }

  LuaState* state_ = nullptr;
};

TEST_F(Part2DScriptTest, ScriptsBuildAndReadGroupsThroughTheSystem) {
  Write("fx.p2d", "Part2D = { { Image = 'dot.png', MaxC = 7 } }\n");
  Run(R"(
ok = system:Load('fx.p2d')
count = system:GroupC()
g = system:GetGroup(0)
maxc = g:GetMaxC()
g:SetMaxC(12)
g:SetFuzzyBirth(Vec2(0.1, 0.2))
g:SetSize(Vec2(0.01, 0.02), Vec2(0.03, 0.04), Vec2(0.05, 0.06), Vec2(0.07, 0.08))
g:SetInitialSpeed(Vec2(-1, -2), Vec2(1, 2), 0.5)
g:SetLifespan(Vec2(2, 3))
g:SetAdditive(true)
g:SetLockRect(false)
g:SetLockSize(true)
g:SetStretchSpeed(0.25)
g:SetGenRate(0.5)
g:ClearColors()
g:AddColor(1, 0, 0, 1)
g:RecalcColors()
g:SetImage('spark.png')
g:SetActive(false)
g:ClearParticles()
fuzzy = g:GetFuzzyBirth().y
toMax = g:GetSizeToMax().x
maxSpeed = g:GetMaxSpeed().y
mag = g:GetMinSpeedMag()
life = g:GetLifespan().x
image = g:GetImage()
flags = (g:GetAdditive() and 1 or 0) + (g:GetLockRect() and 2 or 0) + (g:GetLockSize() and 4 or 0)
  + (g:IsActive() and 8 or 0)
stretch = g:GetStretchSpeed()
rate = g:GetGenRate()
fresh = system:CreateGroup()
missing = system:GetGroup(5)
saved = system:Save('out.p2d')
)");
  EXPECT_EQ(Number("count"), 1.0f);
  EXPECT_EQ(Number("maxc"), 7.0f);
  EXPECT_FLOAT_EQ(Number("fuzzy"), 0.2f);
  EXPECT_FLOAT_EQ(Number("toMax"), 0.07f);
  EXPECT_FLOAT_EQ(Number("maxSpeed"), 2.0f);
  EXPECT_FLOAT_EQ(Number("mag"), 0.5f);
  EXPECT_FLOAT_EQ(Number("life"), 2.0f);
  EXPECT_EQ(script::GetGlobal(state_, "image").GetString(), std::string("spark.png"));
  EXPECT_EQ(Number("flags"), 5.0f);
  EXPECT_FLOAT_EQ(Number("stretch"), 0.25f);
  EXPECT_FLOAT_EQ(Number("rate"), 0.5f);
  EXPECT_TRUE(script::GetGlobal(state_, "missing").IsNil());
  EXPECT_TRUE(script::GetGlobal(state_, "saved").GetBoolean());
  ASSERT_EQ(system_.GroupC(), 2);
  const part2d::PartGroup* g = system_.GetGroup(0);
  EXPECT_EQ(g->GetMaxC(), 12);
  EXPECT_EQ(g->colors[200], 0xFFFF0000u);
  EXPECT_EQ(g->SizeFromMax, math::Vec2(0.03f, 0.04f));
  EXPECT_EQ(system_.GetGroup(1)->GetName(), "GROUP_2");
}

}  // namespace
}  // namespace p2dtest
