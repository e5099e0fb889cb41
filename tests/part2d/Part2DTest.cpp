// Particle groups and systems: pools, birth, emission, the colour ramp, deaths, files.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "engine/graphics/Graphics.h"
#include "engine/part2d/P2DForce.h"
#include "engine/part2d/PartDie.h"
#include "tests/core/LogCapture.h"
#include "tests/part2d/Part2DTestSupport.h"

namespace p2dtest {
namespace {

using part2d::Particle;
using part2d::PartGroup;

TEST_F(Part2DTest, AFullPoolGivesNullAndFreedSlotsAreFoundAgain) {
  PartGroup* group = MakeGroup(3);
  for (int i = 0; i < 3; ++i) ASSERT_NE(group->SpawnParticle(math::Vec2(0.5f, 0.5f)), nullptr);
  EXPECT_EQ(group->liveCount, 3);
  EXPECT_EQ(group->SpawnParticle(math::Vec2(0.5f, 0.5f)), nullptr);
  group->particles[1].alive = 0;
  group->liveCount = 2;
  EXPECT_EQ(group->SpawnParticle(math::Vec2(0.5f, 0.5f)), &group->particles[1]);
  EXPECT_EQ(group->nextFree, 1);
  group->ClearParticles();
  EXPECT_EQ(group->liveCount, 0);
}

TEST_F(Part2DTest, AZeroBirthVelocityMovesDownTheDiagonalAtTheLeastSpeed) {
  struct Case {
    float minSpeedMag;
    float speed;
  };
  for (const Case& c : {Case{-1.0f, 0.0f}, Case{0.5f, 0.5f}}) {
    PartGroup* group = MakeGroup(1);
    group->SetInitialSpeed(math::Vec2(0, 0), math::Vec2(0, 0), c.minSpeedMag);
    Particle* p = group->SpawnParticle(math::Vec2(0.5f, 0.5f));
    ASSERT_NE(p, nullptr);
    EXPECT_FLOAT_EQ(p->speed, c.speed) << c.minSpeedMag;
    EXPECT_NEAR(p->dir.x, 0.6f, 1e-6f);
    EXPECT_NEAR(p->dir.y, 0.8f, 1e-6f);
  }
}

TEST_F(Part2DTest, BirthTakesItsRangesAndALockedRectIsSquare) {
  PartGroup* group = MakeGroup(4);
  group->SetSize(math::Vec2(0.1f, 0.3f), math::Vec2(0.1f, 0.3f), math::Vec2(0.2f, 0.5f),
                 math::Vec2(0.2f, 0.5f));
  group->SetInitialSpeed(math::Vec2(0.3f, 0.4f), math::Vec2(0.3f, 0.4f), -1.0f);
  group->SetLockRect(false);
  Particle* p = group->SpawnParticle(math::Vec2(0.2f, 0.3f));
  EXPECT_EQ(p->pos, math::Vec2(0.2f, 0.3f));
  EXPECT_EQ(p->size, math::Vec2(0.1f, 0.3f));
  EXPECT_NEAR(p->sizeDelta.x, 0.1f, 1e-6f);
  EXPECT_NEAR(p->sizeDelta.y, 0.2f, 1e-6f);
  EXPECT_NEAR(p->speed, 0.5f, 1e-6f);
  EXPECT_NEAR(p->dir.x, 0.6f, 1e-6f);
  group->SetLockRect(true);
  group->SetLockSize(true);
  p = group->SpawnParticle(math::Vec2(0.2f, 0.3f));
  EXPECT_EQ(p->size, math::Vec2(0.1f, 0.1f));
  EXPECT_EQ(p->sizeDelta, math::Vec2(0.0f, 0.0f));
  // A trigger or a rule's velocity: its own length, MinSpeedMag not applied.
  group->SetInitialSpeed(math::Vec2(0, 0), math::Vec2(0, 0), 0.5f);
  p = group->SpawnParticleAt(math::Vec2(0, 0), math::Vec2(0.0f, 0.0f));
  EXPECT_EQ(p->speed, 0.0f);
  EXPECT_NEAR(p->dir.x, std::sqrt(0.5f), 1e-6f);
}

TEST_F(Part2DTest, TheEmissionTimerGivesOneParticleACallAndKeepsTheRest) {
  PartGroup* group = MakeGroup(10);
  group->SetGenRate(0.1f);
  const math::Vec2 corner(0.2f, 0.2f), size(0.1f, 0.1f);
  EXPECT_TRUE(group->EmitInRect(0.35f, corner, size));
  EXPECT_EQ(group->liveCount, 1);
  EXPECT_NEAR(group->genTime, 0.25f, 1e-6f);
  EXPECT_TRUE(group->EmitInRect(0.0f, corner, size));
  EXPECT_EQ(group->liveCount, 2);
  EXPECT_NEAR(group->genTime, 0.15f, 1e-6f);
  for (int i = 0; i < 2; ++i) {
    const math::Vec2 at = group->particles[i].pos;
    EXPECT_TRUE(at.x >= 0.2f && at.x <= 0.3f && at.y >= 0.2f && at.y <= 0.3f);
  }
  // Inactive, without image, or without a rate: nothing.
  group->SetActive(false);
  EXPECT_FALSE(group->EmitInRect(1.0f, corner, size));
  group->SetActive(true);
  group->SetGenRate(0.0f);
  EXPECT_FALSE(group->EmitInRect(1.0f, corner, size));
  PartGroup bare(&system_);
  bare.SetMaxC(5);
  EXPECT_FALSE(bare.EmitInRect(1.0f, corner, size));
}

TEST_F(Part2DTest, ColourKeysSpanEqualRunsAndTheLastKeyHolds) {
  PartGroup* group = MakeGroup(1);
  EXPECT_EQ(group->colors[17], 0xFFFFFFFFu);
  group->AddColor(1, 0, 0, 1);
  group->AddColor(0, 1, 0, 1);
  group->AddColor(0, 0, 1, 0.5f);
  struct Case {
    int entry;
    uint32_t color;
  };
  const Case cases[] = {
      {0, 0xFFFF0000u},   {85, 0xFF00FF00u},  {170, 0x7F0000FFu},
      {254, 0x7F0000FFu}, {255, 0x7F0000FFu}, {84, PackColor(1.0f - 84.0f / 85, 84.0f / 85, 0, 1)},
  };
  for (const Case& c : cases) EXPECT_EQ(group->colors[c.entry], c.color) << c.entry;
  group->ClearColors();
  EXPECT_EQ(group->colors[0], 0xFFFFFFFFu);
  EXPECT_EQ(group->colors[255], 0xFFFFFFFFu);
}

struct DeathLog {
  int calls = 0;
  int liveInTarget = -1;
  math::Vec2 pos;
  PartGroup* target = nullptr;
};

void NoteDeath(Particle* particle, void* user) {
  DeathLog* log = static_cast<DeathLog*>(user);
  ++log->calls;
  log->pos = particle->pos;
  log->liveInTarget = log->target->liveCount;
}

TEST_F(Part2DTest, AParticleDiesAfterMovingItsRuleBeforeItsTriggerAndTheCallbackLast) {
  PartGroup* source = MakeGroup(1, 0.5f);
  source->SetInitialSpeed(math::Vec2(0, 0.4f), math::Vec2(0, 0.4f), -1.0f);
  // Rule and trigger both feed a pool of one: whichever runs first takes the slot.
  PartGroup* target = MakeGroup(1, 5.0f);
  target->SetInitialSpeed(math::Vec2(0.3f, 0), math::Vec2(0.3f, 0), -1.0f);
  source->partDie = new part2d::PartRebirth(&system_, 1, 100);
  source->TriggerIndex = 1;
  DeathLog log;
  log.target = target;
  source->SetCallback(0, &NoteDeath, &log);

  source->SpawnParticle(math::Vec2(0.5f, 0.1f));
  source->Update(0.25f);
  source->Update(0.25f);  // remaining exactly 0: not yet
  EXPECT_EQ(log.calls, 0);
  EXPECT_EQ(source->liveCount, 1);
  source->Update(0.25f);
  EXPECT_EQ(log.calls, 1);
  EXPECT_EQ(source->liveCount, 0);
  EXPECT_NEAR(log.pos.y, 0.1f + 3 * 0.25f * 0.4f, 1e-6f);  // moved in the update it died in
  EXPECT_EQ(log.liveInTarget, 1);
  // The rule's particle (the target's own speed), not the trigger's (speed 1).
  EXPECT_NEAR(target->particles[0].speed, 0.3f, 1e-6f);

  // Without the rule the trigger spawns, at speed 1 along the dead particle's direction.
  delete source->partDie;
  source->partDie = nullptr;
  target->ClearParticles();
  source->SpawnParticle(math::Vec2(0.5f, 0.1f));
  source->Update(1.0f);
  EXPECT_EQ(log.calls, 2);
  EXPECT_FLOAT_EQ(target->particles[0].speed, 1.0f);
  EXPECT_NEAR(target->particles[0].dir.y, 1.0f, 1e-6f);
}

TEST_F(Part2DTest, ATriggerToItsOwnGroupOrBeyondSpawnsNothing) {
  for (int32_t trigger : {0, 1, 7}) {
    part2d::Part2D system;
    PartGroup* group = system.CreateGroup();
    group->SetImage("dot.png");
    group->SetLifespan(math::Vec2(0.1f, 0.1f));
    group->TriggerIndex = trigger;
    group->SpawnParticle(math::Vec2(0, 0));
    group->Update(1.0f);
    EXPECT_EQ(group->liveCount, 0) << trigger;
  }
}

TEST_F(Part2DTest, AGroupWithoutImageOrInactiveNeitherMovesNorDraws) {
  PartGroup* group = system_.CreateGroup();
  Particle* p = group->SpawnParticle(math::Vec2(0.5f, 0.5f));
  ASSERT_NE(p, nullptr);
  EXPECT_FALSE(group->Update(10.0f));
  EXPECT_FALSE(group->Render(math::Vec2(0, 0)));
  EXPECT_EQ(group->liveCount, 1);
  group->SetImage("");
  EXPECT_FALSE(group->HasImage());
  group->SetImage("dot.png");
  group->SetActive(false);
  EXPECT_FALSE(group->Update(10.0f));
  group->SetActive(true);
  EXPECT_TRUE(group->Update(10.0f));
  EXPECT_EQ(group->liveCount, 0);
}

TEST_F(Part2DTest, TheSixthCreatedGroupWarnsTheFifthNot) {
  const std::string warning =
      "You're creating a VERY VERY big particle system. Are you sure you know what you're doing?";
  LogCapture log;
  for (int i = 0; i < 5; ++i) system_.CreateGroup();
  EXPECT_FALSE(log.Contains(warning));
  PartGroup* sixth = system_.CreateGroup();
  EXPECT_EQ(log.Count(warning), 1u);
  EXPECT_EQ(sixth->GetMaxC(), 100);
  EXPECT_EQ(sixth->GetName(), "GROUP_6");
  EXPECT_EQ(system_.GetGroup(-1), nullptr);
  EXPECT_EQ(system_.GetGroup(6), nullptr);
  EXPECT_EQ(system_.GetGroup(5), sixth);
}

TEST_F(Part2DTest, SystemsEmitIntoPrimaryGroupsOnly) {
  PartGroup* primary = MakeGroup(100);
  PartGroup* secondary = MakeGroup(100);
  secondary->IsSecondary = true;
  system_.EmitAt(math::Vec2(0.5f, 0.5f));
  system_.Emit(math::Vec2(0.1f, 0.1f), math::Vec2(0.3f, 0.1f));
  system_.Burst(3, math::Vec2(0.5f, 0.5f));
  system_.Burst(-2, math::Vec2(0.5f, 0.5f));
  EXPECT_EQ(primary->liveCount, 5);
  EXPECT_EQ(secondary->liveCount, 0);
  const float x = primary->particles[1].pos.x;
  EXPECT_TRUE(x >= 0.1f && x <= 0.3f);
  EXPECT_EQ(system_.Spawn(math::Vec2(0, 0)), &primary->particles[5]);
  part2d::Part2D empty;
  EXPECT_EQ(empty.Spawn(math::Vec2(0, 0)), nullptr);
  EXPECT_FALSE(empty.Tick(0.1f));
  EXPECT_FALSE(empty.Render(math::Vec2(0, 0)));
}

// --- Files ---

constexpr const char* kFullFile = R"(
Part2D = {
  { Image = "img/spark.png", MaxC = 40, Additive = 1, LockRect = true, LockSize = 0,
    RenderDebug = 1, FuzzyBirth = { 0.01, 0.02 }, SizeFromMin = { 0.03, 0.04 },
    SizeFromMax = { 0.05, 0.06 }, SizeToMin = { 0.07, 0.08 }, SizeToMax = { 0.09, 0.1 },
    Lifespan = { 0.5, 1.5 }, MinSpeed = { -0.1, -0.2 }, MaxSpeed = { 0.1, 0.2 },
    MinSpeedMag = 0.25, StretchSpeed = 0.3, GenRate = 0.05, IsSecondary = false,
    TriggerIndex = 1,
    Color = { { 1, 0.5, 0, 1 }, { 0, 0, 1, 0 }, "odd" },
    Forces = {
      { Type = "Linear", Force = { 0, 0.3 } },
      { Type = "Attractor", Offset = { 0.1, 0 }, AttractorType = "InvSqr", Magnitude = 2 },
      { Type = "KILLPLANE", Height = 0.9 },
      { Type = "sphereex", Offset = { 0, 0.2 }, Magnitude = 0.05, BounceForce = 0.7, Action = "Bounce" },
      { Type = "path", Speed = 3, Amplitude = 0.2, ClosePath = 1, MinSpeed = 0.01 },
      { Type = "steer", SteeringForce = 2, MaxSpeed = 0.4, Destination = { 0.5, 0.5 } },
      { Type = "vortex" },
    },
    PartDie = { Type = "Part_Direction", Group = 1, Probability = 0.5 },
  },
  "not a group",
  { Image = "img/dot.png", IsSecondary = 1 },
}
)";

TEST_F(Part2DTest, AFileLoadsAfterTheGroupsAlreadyThereWithEveryKey) {
  Write("full.p2d", kFullFile);
  system_.CreateGroup();
  system_.CreateGroup();
  ASSERT_TRUE(system_.Load("full.p2d"));
  EXPECT_EQ(system_.GetPath(), "full.p2d");
  ASSERT_EQ(system_.GroupC(), 4);
  const PartGroup* g = system_.GetGroup(2);
  EXPECT_EQ(g->GetName(), "GROUP_3");
  EXPECT_EQ(system_.GetGroup(3)->GetName(), "GROUP_4");
  EXPECT_EQ(g->GetImage(), "img/spark.png");
  EXPECT_TRUE(g->HasImage());
  EXPECT_EQ(g->GetMaxC(), 40);
  EXPECT_TRUE(g->Additive && g->LockRect && !g->LockSize && g->RenderDebug && !g->IsSecondary);
  EXPECT_EQ(g->FuzzyBirth, math::Vec2(0.01f, 0.02f));
  EXPECT_EQ(g->SizeToMax, math::Vec2(0.09f, 0.1f));
  EXPECT_EQ(g->Lifespan, math::Vec2(0.5f, 1.5f));
  EXPECT_EQ(g->MinSpeed, math::Vec2(-0.1f, -0.2f));
  EXPECT_FLOAT_EQ(g->MinSpeedMag, 0.25f);
  EXPECT_FLOAT_EQ(g->StretchSpeed, 0.3f);
  EXPECT_FLOAT_EQ(g->GenRate, 0.05f);
  EXPECT_EQ(g->TriggerIndex, 1);
  ASSERT_EQ(g->colorKeys.size(), 3u);
  EXPECT_EQ(g->colorKeys[2], math::Vec4(1, 1, 1, 1));  // not four numbers: white
  ASSERT_EQ(g->forces.size(), 6u);                     // the unknown type is skipped
  const char* types[] = {"linear", "attractor", "killplane", "sphereex", "path", "steer"};
  for (size_t i = 0; i < 6; ++i) EXPECT_STREQ(g->forces[i]->GetType(), types[i]);
  ASSERT_NE(g->partDie, nullptr);
  EXPECT_STREQ(g->partDie->GetType(), "part_direction");
  EXPECT_EQ(g->partDie->Probability, 50);
  const PartGroup* defaults = system_.GetGroup(3);
  EXPECT_EQ(defaults->GetMaxC(), 100);
  EXPECT_FALSE(defaults->LockRect);
  EXPECT_EQ(defaults->MaxSpeed, math::Vec2(0.1f, 0.01f));
  EXPECT_EQ(defaults->Lifespan, math::Vec2(0.4f, 1.0f));
  EXPECT_TRUE(defaults->IsSecondary);
}

TEST_F(Part2DTest, SaveThenLoadGivesBackEveryFieldAndTheForces) {
  Write("full.p2d", kFullFile);
  ASSERT_TRUE(system_.Load("full.p2d"));
  ASSERT_TRUE(system_.Save("saved.p2d"));
  EXPECT_FALSE(std::filesystem::exists("saved.p2d.tmp"));
  part2d::Part2D again;
  ASSERT_TRUE(again.Load("saved.p2d"));
  ASSERT_EQ(again.GroupC(), 2);
  const PartGroup* a = system_.GetGroup(0);
  const PartGroup* b = again.GetGroup(0);
  EXPECT_EQ(b->Image, a->Image);
  EXPECT_EQ(b->MaxC, a->MaxC);
  EXPECT_EQ(b->Additive, a->Additive);
  EXPECT_EQ(b->LockRect, a->LockRect);
  EXPECT_EQ(b->LockSize, a->LockSize);
  EXPECT_EQ(b->RenderDebug, a->RenderDebug);
  EXPECT_EQ(b->IsSecondary, a->IsSecondary);
  EXPECT_EQ(b->TriggerIndex, a->TriggerIndex);
  const math::Vec2 PartGroup::*vectors[] = {
      &PartGroup::FuzzyBirth, &PartGroup::SizeFromMin, &PartGroup::SizeFromMax,
      &PartGroup::SizeToMin,  &PartGroup::SizeToMax,   &PartGroup::Lifespan,
      &PartGroup::MinSpeed,   &PartGroup::MaxSpeed};
  for (auto field : vectors) {
    EXPECT_NEAR((b->*field).x, (a->*field).x, 1e-6f);
    EXPECT_NEAR((b->*field).y, (a->*field).y, 1e-6f);
  }
  EXPECT_NEAR(b->StretchSpeed, a->StretchSpeed, 1e-6f);
  EXPECT_NEAR(b->MinSpeedMag, a->MinSpeedMag, 1e-6f);
  EXPECT_NEAR(b->GenRate, a->GenRate, 1e-6f);
  ASSERT_EQ(b->colorKeys.size(), a->colorKeys.size());
  for (size_t i = 0; i < a->colorKeys.size(); ++i) EXPECT_EQ(b->colorKeys[i], a->colorKeys[i]);
  ASSERT_NE(b->partDie, nullptr);
  EXPECT_STREQ(b->partDie->GetType(), "part_direction");
  EXPECT_EQ(b->partDie->Group, 1);
  EXPECT_EQ(b->partDie->Probability, 50);
  ASSERT_EQ(b->forces.size(), a->forces.size());
  const auto* attractor = dynamic_cast<const part2d::P2DForceAttractor*>(b->forces[1]);
  ASSERT_NE(attractor, nullptr);
  EXPECT_EQ(attractor->Type, part2d::kAttractInvSqr);
  EXPECT_FLOAT_EQ(attractor->Magnitude, 2.0f);
  const auto* sphere = dynamic_cast<const part2d::P2DForceSphereEx*>(b->forces[3]);
  ASSERT_NE(sphere, nullptr);
  EXPECT_EQ(sphere->Action, part2d::kActionBounce);
  EXPECT_NEAR(sphere->radiusSq, 0.0025f, 1e-7f);
  const auto* path = dynamic_cast<const part2d::P2DForcePath*>(b->forces[4]);
  ASSERT_NE(path, nullptr);
  EXPECT_TRUE(path->ClosePath);
  EXPECT_FLOAT_EQ(path->Speed, 3.0f);
  const auto* steer = dynamic_cast<const part2d::P2DForceSteer*>(b->forces[5]);
  ASSERT_NE(steer, nullptr);
  EXPECT_EQ(steer->Destination, math::Vec2(0.5f, 0.5f));
  // Saving the same system again writes the same text.
  ASSERT_TRUE(again.Save("again.p2d"));
  EXPECT_EQ(Read("again.p2d"), Read("saved.p2d"));
}

TEST_F(Part2DTest, AFailedSaveKeepsTheOldFile) {
  Write("keep.p2d", "Part2D = { { Image = \"old.png\" } }\n");
  std::filesystem::create_directory("keep.p2d.tmp");  // the temporary file cannot be made
  MakeGroup(5);
  EXPECT_FALSE(system_.Save("keep.p2d"));
  EXPECT_EQ(system_.GetPath(), "keep.p2d");
  EXPECT_EQ(Read("keep.p2d"), "Part2D = { { Image = \"old.png\" } }\n");
  EXPECT_FALSE(system_.Save("no/such/folder/x.p2d"));
}

TEST_F(Part2DTest, AFileThatCannotRunLogsItsPathAndKeepsTheGroups) {
  Write("broken.p2d", "Part2D = { {\n");
  system_.CreateGroup();
  LogCapture log;
  EXPECT_FALSE(system_.Load("broken.p2d"));
  EXPECT_TRUE(log.Contains("\t Error loading Particle system object broken.p2d"));
  EXPECT_FALSE(system_.Load("missing.p2d"));
  EXPECT_TRUE(log.Contains("\t Error loading Particle system object missing.p2d"));
  EXPECT_EQ(system_.GroupC(), 1);
  // A file without the table, or with an empty one, loads nothing and succeeds.
  Write("none.p2d", "x = 1\n");
  EXPECT_TRUE(system_.Load("none.p2d"));
  Write("empty.p2d", "Part2D = {}\n");
  EXPECT_TRUE(system_.Load("empty.p2d"));
  EXPECT_EQ(system_.GroupC(), 1);
}

TEST_F(Part2DTest, AFileThatRunsEndlesslyOrAsksTooMuchMemoryIsStoppedAndLoadsNothing) {
  // Each defines a group first, then never finishes within the data state's bounds.
  const struct {
    const char* name;
    const char* tail;
  } cases[] = {
      {"endless.p2d", "while true do end\n"},
      {"recursion.p2d", "local function f() return f() end f()\n"},
      {"huge.p2d", "local s = string.rep('x', 1 << 30)\n"},
      {"growing.p2d", "local t = {} for i = 1, 1e9 do t[i] = string.rep('y', 4096) .. i end\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Write(c.name, std::string("Part2D = { { Image = 'dot.png', MaxC = 10 } }\n") + c.tail);
    part2d::Part2D system;
    LogCapture log;
    EXPECT_FALSE(system.Load(c.name));
    EXPECT_TRUE(log.Contains(std::string("\t Error loading Particle system object ") + c.name));
    EXPECT_EQ(system.GroupC(), 0);
  }
}

TEST_F(Part2DTest, FileValuesAreBoundedBeforeTheySizeOrIndexAnything) {
  Write("bounds.p2d", R"(
Part2D = {
  { MaxC = -5 },
  { MaxC = 1e12, TriggerIndex = 1e30, PartDie = { Probability = 0/0, Group = -1e20 } },
  { MaxC = 0/0, TriggerIndex = -1e30, Color = { { 0/0, 1e30, -1e30, 2.5 } } },
  { MaxC = 12.9, PartDie = { Probability = 1e30 } },
}
)");
  LogCapture log;
  ASSERT_TRUE(system_.Load("bounds.p2d"));
  ASSERT_EQ(system_.GroupC(), 4);
  EXPECT_EQ(system_.GetGroup(0)->GetMaxC(), 0);
  EXPECT_EQ(system_.GetGroup(0)->particles, nullptr);
  EXPECT_EQ(system_.GetGroup(1)->GetMaxC(), PartGroup::kMaxParticles);
  EXPECT_EQ(log.Count("particles; it gets 10000"), 1u);
  EXPECT_EQ(system_.GetGroup(1)->TriggerIndex, 2147483647);
  EXPECT_EQ(system_.GetGroup(1)->partDie->Probability, 0);
  EXPECT_EQ(system_.GetGroup(1)->partDie->Group, -2147483647 - 1);
  EXPECT_EQ(system_.GetGroup(2)->GetMaxC(), 100);  // NaN: the default
  EXPECT_EQ(system_.GetGroup(2)->TriggerIndex, -2147483647 - 1);
  EXPECT_EQ(system_.GetGroup(2)->colors[0] >> 24, 0x7Du);  // 2.5 x 255 = 637 = 0x27D, low byte
  EXPECT_EQ(system_.GetGroup(3)->GetMaxC(), 12);
  EXPECT_EQ(system_.GetGroup(3)->partDie->Probability, 2147483647);
  // A rule that names a group far out of range, and a trigger far out of range: nothing.
  PartGroup* g = system_.GetGroup(1);
  g->SetImage("dot.png");
  g->SetLifespan(math::Vec2(0.1f, 0.1f));
  g->SpawnParticle(math::Vec2(0, 0));
  g->Update(1.0f);
  EXPECT_EQ(g->liveCount, 0);
}

TEST_F(Part2DTest, NumbersThatAreNotFiniteReadAsTheDefaultsAndFarParticlesAreNotDrawn) {
  Write("nan.p2d", R"(
Part2D = { { Image = "dot.png", FuzzyBirth = { 0/0, 0.1 }, GenRate = 1/0, Lifespan = { 1, -1/0 },
  Forces = { { Type = "steer", SteeringForce = 0/0, Destination = { 1/0, 0 } } } } }
)");
  ASSERT_TRUE(system_.Load("nan.p2d"));
  PartGroup* g = system_.GetGroup(0);
  EXPECT_EQ(g->FuzzyBirth, math::Vec2(0, 0));
  EXPECT_FLOAT_EQ(g->GenRate, 0.016666668f);
  EXPECT_EQ(g->Lifespan, math::Vec2(0.4f, 1.0f));
  const auto* steer = dynamic_cast<const part2d::P2DForceSteer*>(g->forces[0]);
  ASSERT_NE(steer, nullptr);
  EXPECT_EQ(steer->SteeringForce, 1.0f);
  EXPECT_EQ(steer->Destination, math::Vec2(0, 0));
  // Thrown far away or pushed to NaN by a force: skipped in drawing.
  g->forces.clear();
  Particle* far = g->SpawnParticle(math::Vec2(0.5f, 0.5f));
  Particle* lost = g->SpawnParticle(math::Vec2(0.5f, 0.5f));
  g->SpawnParticle(math::Vec2(0.5f, 0.5f));
  far->pos = math::Vec2(3e38f, 0.0f);
  lost->pos.y = std::nanf("");
  ASSERT_TRUE(g->Render(math::Vec2(0, 0)));
  ASSERT_EQ(renderer_.draws.size(), 1u);
  EXPECT_EQ(renderer_.draws[0].vertices.size(), 6u);  // one band: two triangles
  delete steer;
}

TEST_F(Part2DTest, AFileAddsAtMost64GroupsWithOneWarning) {
  std::string text = "Part2D = {\n";
  for (int i = 0; i < 70; ++i) text += "  { MaxC = 1 },\n";
  Write("many.p2d", text + "}\n");
  LogCapture log;
  ASSERT_TRUE(system_.Load("many.p2d"));
  EXPECT_EQ(system_.GroupC(), 64);
  EXPECT_EQ(log.Count("groups; the rest are skipped"), 1u);
}

TEST_F(Part2DTest, AParticleOfNoLifeIsAtTheEndOfItInDrawingAndThePathForce) {
  PartGroup* group = MakeGroup(1, 0.0f);
  group->AddColor(1, 0, 0, 1);
  group->AddColor(0, 0, 1, 1);
  group->SetLockSize(true);
  group->SetSize(math::Vec2(0.1f, 0.1f), math::Vec2(0.1f, 0.1f), math::Vec2(0, 0),
                 math::Vec2(0, 0));
  group->CreateForce("path");
  Particle* p = group->SpawnParticle(math::Vec2(0.5f, 0.5f));
  EXPECT_EQ(p->LifeFraction(), 1.0f);
  group->forces[0]->Apply(system_.origin, group->particles, 1, 0.1f);
  EXPECT_TRUE(std::isfinite(p->dir.x) && std::isfinite(p->dir.y));
  ASSERT_TRUE(group->Render(math::Vec2(0, 0)));
  ASSERT_EQ(renderer_.draws.size(), 1u);
  for (const ScreenVertex& v : renderer_.draws[0].vertices) {
    EXPECT_EQ(v.color, 0xFF0000FFu);
    EXPECT_TRUE(std::isfinite(v.x) && std::isfinite(v.y));
  }
}

}  // namespace
}  // namespace p2dtest
