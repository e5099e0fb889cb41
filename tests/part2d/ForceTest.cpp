// Forces and death rules on hand-made particles.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "engine/core/Random.h"
#include "engine/core/Script.h"
#include "engine/part2d/P2DForce.h"
#include "engine/part2d/PartDie.h"
#include "tests/core/LogCapture.h"
#include "tests/part2d/Part2DTestSupport.h"

namespace p2dtest {
namespace {

using part2d::Particle;
using part2d::PartGroup;

Particle Moving(math::Vec2 pos, math::Vec2 dir, float speed) {
  Particle p;
  p.alive = 1;
  p.pos = pos;
  p.dir = dir;
  p.speed = speed;
  p.life.duration = p.life.remaining = 1.0f;
  return p;
}

// A group's first force made from a table written in Lua.
class ForceTest : public Part2DTest {
 protected:
  void SetUp() override {
    Part2DTest::SetUp();
    state_ = script::CreateLuaState();
    group_ = MakeGroup(10);
  }
  void TearDown() override { LuaState::Destroy(state_); }

  part2d::P2DForce* Load(const std::string& table) {
    EXPECT_TRUE(state_->DoString(("f = " + table).c_str()) == 0);
    return group_->LoadForce(script::GetGlobal(state_, "f"));
  }
  template <typename Force>
  Force* LoadAs(const std::string& table) {
    return dynamic_cast<Force*>(Load(table));
  }

  LuaState* state_ = nullptr;
  PartGroup* group_ = nullptr;
};

TEST_F(ForceTest, TypeNamesIgnoreCaseAndAMissingTypeIsLinear) {
  EXPECT_NE(LoadAs<part2d::P2DForceAttractor>("{ Type = 'Attractor' }"), nullptr);
  EXPECT_NE(LoadAs<part2d::P2DForceKillPlane>("{ Type = 'KILLPLANE' }"), nullptr);
  EXPECT_NE(LoadAs<part2d::P2DForceSphereEx>("{ Type = 'SphereEx' }"), nullptr);
  auto* linear = LoadAs<part2d::P2DForceLinear>("{ }");
  ASSERT_NE(linear, nullptr);
  EXPECT_EQ(linear->Force, math::Vec2(0.0f, -0.98f));
  EXPECT_EQ(Load("{ Type = 'gravity' }"), nullptr);
  EXPECT_EQ(Load("12"), nullptr);
  EXPECT_EQ(group_->forces.size(), 4u);
  group_->DeleteForce(group_->forces[1]);
  group_->DeleteForce(nullptr);
  ASSERT_EQ(group_->forces.size(), 3u);
  EXPECT_STREQ(group_->forces[1]->GetType(), "sphereex");
  std::unique_ptr<part2d::P2DForce> copy(linear->Clone());
  EXPECT_EQ(dynamic_cast<part2d::P2DForceLinear*>(copy.get())->Force, linear->Force);
}

// Every force acts on every particle each frame: a file (or a script) cannot give a group
// more than kMaxForces of them; the rest are skipped with one warning.
TEST_F(ForceTest, AGroupTakesABoundedNumberOfForces) {
  std::string forces;
  for (int i = 0; i < 50000; ++i) forces += "{ Type = 'KillPlane', Height = 2 },";
  Write("crowded.p2d", "Part2D = { { Image = 'dot.png', MaxC = 10, Forces = { " + forces + " } } }");
  part2d::Part2D crowded;
  LogCapture log;
  ASSERT_TRUE(crowded.Load("crowded.p2d"));
  ASSERT_NE(crowded.GetGroup(0), nullptr);
  PartGroup& group = *crowded.GetGroup(0);
  EXPECT_EQ(group.forces.size(), static_cast<size_t>(PartGroup::kMaxForces));
  EXPECT_EQ(log.Count("forces; the rest are skipped  [MSG_WARNING]"), 1u) << log.All();

  // A full group refuses one more made by hand, with the same warning; one taken out
  // makes room again.
  EXPECT_EQ(group.CreateForce("linear"), nullptr);
  EXPECT_EQ(log.Count("forces; the rest are skipped  [MSG_WARNING]"), 2u);
  group.DeleteForce(group.forces.back());
  EXPECT_NE(group.CreateForce("linear"), nullptr);
}

TEST_F(ForceTest, AKillPlaneKillsOnlyWhatLiesBelowIt) {
  auto* plane = LoadAs<part2d::P2DForceKillPlane>("{ Type = 'killplane', Height = 0.5 }");
  Particle p[3] = {Moving({0.2f, 0.5f}, {0, 1}, 0), Moving({0.2f, 0.5001f}, {0, 1}, 0),
                   Moving({0.2f, 0.9f}, {0, 1}, 0)};
  p[2].alive = 0;
  plane->Apply(math::Vec2(0, 0), p, 3, 0.1f);
  EXPECT_FALSE(p[0].dying);
  EXPECT_TRUE(p[1].dying);
  EXPECT_FALSE(p[2].dying);  // free records are left alone
  // In a group the plane's victim dies in the same update.
  group_->forces.push_back(plane->Clone());
  group_->SetLifespan(math::Vec2(10, 10));
  group_->SpawnParticle(math::Vec2(0.5f, 0.5001f));
  group_->SpawnParticle(math::Vec2(0.5f, 0.5f));
  group_->forces.erase(group_->forces.begin());  // only the clone acts
  delete plane;
  group_->Update(0.0f);
  EXPECT_EQ(group_->liveCount, 1);
}

TEST_F(ForceTest, SpheresMoveBounceOrKillWhatIsInside) {
  system_.origin = math::Vec2(0.5f, 0.5f);
  struct Case {
    const char* action;
    math::Vec2 pos, dir;
    float speed;
    bool dying;
  };
  const Case cases[] = {
      {"Bounce", {0.5f, 0.4f}, {0, 0}, 0, false},  // on the surface: outside
      {"explode", {0.5f, 0.45f}, {0, 1}, 2, false},
      {"Move", {0.5f, 0.45f}, {0, 1}, 2, false},
      {"kill", {0.5f, 0.45f}, {0, 1}, 2, true},
  };
  for (const Case& c : cases) {
    auto* sphere = LoadAs<part2d::P2DForceSphereEx>(
        std::string("{ Type = 'sphereex', Magnitude = 0.1, Action = '") + c.action + "' }");
    ASSERT_NE(sphere, nullptr);
    Particle p = Moving(c.pos, c.dir, c.speed);
    sphere->Apply(system_.origin, &p, 1, 0.1f);
    SCOPED_TRACE(c.action);
    EXPECT_EQ(p.dying != 0, c.dying);
    if (!c.dying) {
      EXPECT_NEAR(p.pos.y, 0.4f, 1e-6f);  // pushed out to the surface on its own side
      EXPECT_EQ(p.speed, c.speed);
    }
  }
  // A particle heading straight at the centre bounces back at BounceForce of its speed.
  auto* bounce = LoadAs<part2d::P2DForceSphereEx>(
      "{ Type = 'sphereex', Magnitude = 0.1, BounceForce = 0.9, Action = 'bounce' }");
  Particle p = Moving({0.5f, 0.45f}, {0, 1}, 2);
  bounce->Apply(system_.origin, &p, 1, 0.1f);
  EXPECT_NEAR(p.pos.y, 0.4f, 1e-6f);
  EXPECT_NEAR(p.dir.x, 0.0f, 1e-6f);
  EXPECT_NEAR(p.dir.y, 1.0f, 1e-6f);
  EXPECT_NEAR(p.speed, -1.8f, 1e-5f);
}

TEST_F(ForceTest, APathSwaysAcrossTheCourseUnlessItsSpeedIsZero) {
  auto* still = LoadAs<part2d::P2DForcePath>("{ Type = 'path', Speed = 0, Amplitude = 5 }");
  Particle p = Moving({0.5f, 0.5f}, {0, 1}, 0.2f);
  p.life.remaining = 0.5f;
  still->Apply(math::Vec2(0, 0), &p, 1, 0.1f);
  EXPECT_EQ(p.dir, math::Vec2(0, 1));
  auto* sway = LoadAs<part2d::P2DForcePath>(
      "{ Type = 'path', Speed = 3, Amplitude = 1, MinSpeed = 0.5 }");
  sway->Apply(math::Vec2(0, 0), &p, 1, 0.1f);
  EXPECT_FLOAT_EQ(p.speed, 0.5f);  // raised to MinSpeed
  const float w = std::sin(0.5f * 3);
  EXPECT_NEAR(p.dir.x, w / std::sqrt(1 + w * w), 1e-5f);
  // A closed path does not sway at birth.
  auto* closed = LoadAs<part2d::P2DForcePath>("{ Type = 'path', Speed = 3, ClosePath = true }");
  Particle born = Moving({0.5f, 0.5f}, {0, 1}, 0.2f);
  closed->Apply(math::Vec2(0, 0), &born, 1, 0.1f);
  EXPECT_EQ(born.dir, math::Vec2(0, 1));
}

TEST_F(ForceTest, LinearForcesAccelerateAndAStopKeepsTheDirection) {
  auto* gravity = LoadAs<part2d::P2DForceLinear>("{ Force = { 0, 0.98 } }");
  Particle falling = Moving({0.5f, 0.5f}, {1, 0}, 0.98f);
  gravity->Apply(math::Vec2(0, 0), &falling, 1, 1.0f);
  EXPECT_NEAR(falling.speed, 0.98f * std::sqrt(2.0f), 1e-5f);
  EXPECT_NEAR(falling.dir.y, std::sqrt(0.5f), 1e-5f);
  // A step that stops the particle exactly, or overflows: speed 0, direction kept.
  Particle rising = Moving({0.5f, 0.5f}, {0, -1}, 0.98f);
  gravity->Apply(math::Vec2(0, 0), &rising, 1, 1.0f);
  EXPECT_EQ(rising.speed, 0.0f);
  EXPECT_EQ(rising.dir, math::Vec2(0, -1));
  auto* huge = LoadAs<part2d::P2DForceLinear>("{ Force = { 3e38, 3e38 } }");
  Particle blown = Moving({0.5f, 0.5f}, {1, 0}, 3e38f);
  huge->Apply(math::Vec2(0, 0), &blown, 1, 1.0f);
  EXPECT_EQ(blown.speed, 0.0f);
  EXPECT_EQ(blown.dir, math::Vec2(1, 0));
}

TEST_F(ForceTest, AttractorsPullByTheirKindAndDistance) {
  struct Case {
    const char* kind;
    float distance;
    float speed;
  };
  const Case cases[] = {
      {"Constant", 0.5f, 1.0f},  {"Constant", 2.0f, 1.0f},  {"linear", 0.5f, 0.5f},
      {"linear", 2.0f, 2.0f},    {"InvLinear", 0.5f, 2.0f}, {"InvLinear", 2.0f, 0.5f},
      {"INVSQR", 0.5f, 4.0f},    {"InvSqr", 2.0f, 0.25f},
  };
  system_.origin = math::Vec2(0.1f, 0.2f);
  for (const Case& c : cases) {
    auto* attractor = LoadAs<part2d::P2DForceAttractor>(
        std::string("{ Type = 'attractor', Offset = { 0.2, 0 }, AttractorType = '") + c.kind +
        "', Magnitude = 1 }");
    ASSERT_NE(attractor, nullptr);
    // At rest, c.distance to the right of the centre (0.3, 0.2).
    Particle p = Moving({0.3f + c.distance, 0.2f}, {0, 1}, 0.0f);
    attractor->Apply(system_.origin, &p, 1, 1.0f);
    SCOPED_TRACE(std::string(c.kind) + " at " + std::to_string(c.distance));
    EXPECT_NEAR(p.speed, c.speed, 1e-4f);
    EXPECT_NEAR(p.dir.x, -1.0f, 1e-5f);
  }
  // An unknown kind name keeps the kind; an inverse attractor pulls nothing at its centre.
  EXPECT_EQ(part2d::P2DForceAttractor::ParseType("sideways", part2d::kAttractInvLinear),
            part2d::kAttractInvLinear);
  for (const char* kind : {"InvLinear", "InvSqr"}) {
    auto* attractor = LoadAs<part2d::P2DForceAttractor>(
        std::string("{ Type = 'attractor', AttractorType = '") + kind + "' }");
    Particle p = Moving(system_.origin, {0, 1}, 0.3f);
    attractor->Apply(system_.origin, &p, 1, 1.0f);
    EXPECT_EQ(p.speed, 0.3f);
    EXPECT_EQ(p.dir, math::Vec2(0, 1));
  }
}

TEST_F(ForceTest, SteeringTurnsTowardTheDestinationAtMaxSpeed) {
  auto* steer = LoadAs<part2d::P2DForceSteer>(
      "{ Type = 'steer', SteeringForce = 1, MaxSpeed = 0.4, Destination = { 0.5, 0.5 } }");
  Particle p = Moving({0.5f, 0.1f}, {1, 0}, 0.2f);
  steer->Apply(math::Vec2(9, 9), &p, 1, 0.5f);  // the origin is not used
  EXPECT_FLOAT_EQ(p.speed, 0.4f);
  EXPECT_NEAR(p.dir.Magnitude(), 1.0f, 1e-5f);
  EXPECT_GT(p.dir.y, 0.0f);  // turning down toward (0.5, 0.5)
}

// --- Death rules ---

part2d::PartDie* LoadRule(LuaState* state, const std::string& table, part2d::Part2D* owner) {
  EXPECT_EQ(state->DoString(("r = " + table).c_str()), 0);
  return part2d::PartDie::GetPartDie(script::GetGlobal(state, "r"), owner);
}

TEST_F(ForceTest, RuleTypesIgnoreCaseAndUnknownOnesGiveNone) {
  std::unique_ptr<part2d::PartDie> rebirth(LoadRule(state_, "{ Type = 'Part_Rebirth' }", &system_));
  ASSERT_NE(rebirth, nullptr);
  EXPECT_STREQ(rebirth->GetType(), "part_rebirth");
  EXPECT_EQ(rebirth->Probability, 100);
  EXPECT_EQ(rebirth->Group, 0);
  std::unique_ptr<part2d::PartDie> byDefault(LoadRule(state_, "{ Group = 2 }", &system_));
  EXPECT_STREQ(byDefault->GetType(), "part_rebirth");
  EXPECT_EQ(LoadRule(state_, "{ Type = 'part_explode' }", &system_), nullptr);
  EXPECT_EQ(LoadRule(state_, "'part_rebirth'", &system_), nullptr);
}

TEST_F(ForceTest, AHalfChanceFiresExactlyWhenTheCLibraryDrawIsBelowFifty) {
  PartGroup* target = group_;
  const Particle dead = Moving({0.3f, 0.3f}, {0, 1}, 1.0f);
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    num::CSRand(seed);
    const bool expected = num::CRand() % 100 < 50;
    num::CSRand(seed);
    part2d::PartRebirth rule(&system_, 0, 50);
    target->ClearParticles();
    rule.OnDie(dead);
    EXPECT_EQ(target->liveCount == 1, expected) << seed;
  }
  part2d::PartRebirth never(&system_, 0, 0);
  target->ClearParticles();
  for (int i = 0; i < 50; ++i) never.OnDie(dead);
  EXPECT_EQ(target->liveCount, 0);
  // At 100 % the rule fires without drawing.
  num::CSRand(9);
  const int first = num::CRand();
  num::CSRand(9);
  part2d::PartRebirth always(&system_, 0, 100);
  always.OnDie(dead);
  EXPECT_EQ(target->liveCount, 1);
  EXPECT_EQ(num::CRand(), first);
  EXPECT_EQ(target->particles[0].pos, math::Vec2(0.3f, 0.3f));
}

TEST_F(ForceTest, ADirectionRuleTurnsTheBirthBoxIntoTheDeadParticlesFrame) {
  group_->SetInitialSpeed(math::Vec2(0.5f, -2.0f), math::Vec2(0.5f, -2.0f), -1.0f);
  // Moving right at speed 0.5: the box's negative y runs along the old direction.
  const Particle dead = Moving({0.3f, 0.3f}, {1, 0}, 0.5f);
  part2d::PartDirection rule(&system_, 0, 100);
  rule.OnDie(dead);
  const Particle& born = group_->particles[0];
  // w = dir x (2 x 0.5) + (0, -1) x (0.5 x 0.5) = (1, -0.25)
  EXPECT_NEAR(born.speed, std::sqrt(1.0f + 0.0625f), 1e-5f);
  EXPECT_NEAR(born.dir.x, 1.0f / std::sqrt(1.0625f), 1e-5f);
  EXPECT_NEAR(born.dir.y, -0.25f / std::sqrt(1.0625f), 1e-5f);
  part2d::PartDirection outOfRange(&system_, 3, 100);
  outOfRange.OnDie(dead);
  EXPECT_EQ(group_->liveCount, 1);
}

}  // namespace
}  // namespace p2dtest
