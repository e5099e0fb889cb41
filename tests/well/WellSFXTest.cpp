// The board's effect sets (rings, sprite pools, floating texts) and the overlay with its
// staged clock and count-ups.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/ui/SpriteSet.h"
#include "engine/ui/UIWidget.h"
#include "engine/part2d/Part2D.h"
#include "engine/well/Part2DSFXSet.h"
#include "engine/well/WellEffect.h"
#include "engine/well/WellSFX.h"
#include "tests/support/TestEnv.h"
#include "tests/well/WellTestSupport.h"

namespace welltest {
namespace {

using well::WellSFX;

TEST_F(WellTest, TheManagerTicksAndDrawsItsSetsInOrder) {
  MakeBoard();
  auto* sfx = new WellSFX(nullptr, board_.get());
  board_->SetSFX(sfx);
  auto* pool = static_cast<well::SimpleSFX*>(
      sfx->AddSet(new well::SimpleSFX(nullptr, sfx, "spark", 2, false, true)));
  auto* rings = static_cast<well::ExplosionSFXSet*>(sfx->AddSet(new well::ExplosionSFXSet(nullptr, sfx)));
  rings->Load("ring", 3, math::Vec4(0, 0, 0, 0), math::Vec4(1, 1, 1, 1));
  EXPECT_EQ(board_->GetSFX(), sfx);
  EXPECT_EQ(sfx->GetWell(), board_.get());

  // Rings load idle: nothing ticks or draws them until a record is live.
  EXPECT_EQ(rings->capacity, 3);
  EXPECT_EQ(rings->activeCount, 0);
  pool->Spawn(math::Vec2(0.2f, 0.3f), math::Vec2(0.05f, 0.05f), 0xFFFFFFFF);
  renderer_.draws.clear();
  renderer_.renderStates.clear();
  sfx->Render();
  ASSERT_EQ(renderer_.draws.size(), 1u);  // the spark only
  for (const auto& state : renderer_.renderStates) EXPECT_NE(state.first, RS_AlphaTest);

  // A still image ends its pass at the first tick, freeing the slot.
  Frame(0.01f);
  EXPECT_EQ(pool->GetActiveCount(), 0);
}

TEST_F(WellTest, ALiveRingGrowsAndFadesThenStops) {
  MakeBoard();
  WellSFX sfx(nullptr, board_.get());
  sfx.SetViewOffset(math::Vec2(0.1f, 0.0f));
  well::ExplosionSFXSet rings(nullptr, &sfx);
  rings.Load("ring", 14, math::Vec4(0, 0, 0, 0), math::Vec4(1, 1, 1, 1));
  // Nothing starts a ring in the framework: light records by hand.
  for (well::ExplosionSFXSet::Ring& ring : rings.rings) {
    ring.timer.remaining = 1.0f;
    ring.center = math::Vec2(0.5f, 0.5f);
    ring.startRadius = 0.1f;
    ring.endRadius = 0.3f;
  }
  rings.activeCount = 14;
  rings.rings[1].timer.remaining = -1.0f;  // one idle record among them
  rings.activeCount = 13;

  renderer_.draws.clear();
  renderer_.renderStates.clear();
  rings.Render();
  // 13 rings of 48 vertices in a buffer of 600: twelve, then one.
  ASSERT_EQ(renderer_.draws.size(), 2u);
  EXPECT_EQ(renderer_.draws[0].vertices.size(), 12u * 48u);
  EXPECT_EQ(renderer_.draws[1].vertices.size(), 48u);
  const ScreenVertex& centre = renderer_.draws[0].vertices[0];
  EXPECT_EQ(centre.color, 0xFFFFFFFFu);  // alpha 255 at the start
  EXPECT_NEAR(centre.x, 0.4f * 800.0f, 1.0f);  // the view offset taken off
  EXPECT_EQ(renderer_.draws[0].vertices[1].color, 0x00FFFFFFu);
  using State = std::pair<RenderState, uint32_t>;
  EXPECT_EQ(renderer_.renderStates,
            (std::vector<State>{{RS_SrcBlend, BF_SrcAlpha}, {RS_DestBlend, BF_One}, {RS_AlphaTest, 0},
                                {RS_SrcBlend, BF_SrcAlpha}, {RS_DestBlend, BF_InvSrcAlpha},
                                {RS_AlphaTest, 1}}));

  // Just before the end: the end radius and alpha 10.
  rings.Tick(0.999f);
  renderer_.draws.clear();
  rings.Render();
  ASSERT_FALSE(renderer_.draws.empty());
  EXPECT_EQ(renderer_.draws[0].vertices[0].color, 0x0A0A0A0Au);
  const ScreenVertex& rim = renderer_.draws[0].vertices[1];
  EXPECT_NEAR(rim.x - renderer_.draws[0].vertices[0].x, 0.3f * 800.0f, 1.0f);

  // Run out: no longer drawn.
  rings.Tick(0.01f);
  EXPECT_EQ(rings.activeCount, 0);
  renderer_.draws.clear();
  rings.Render();
  EXPECT_TRUE(renderer_.draws.empty());
}

TEST_F(WellTest, ASpritePoolRefusesSpawnsWhenFullAndFreesSlotsAtTheAnimationsEnd) {
  MakeBoard();
  // A strip of 4 frames of 0.1 s, played once per spawn.
  ASSERT_TRUE(ui::GetSpriteSet().AddSprite("sparkle", "img/sparkle.png", 4, 0.1f, 0, 0, false, false,
                                       0, 0, "test"));
  WellSFX sfx(nullptr, board_.get());
  well::SimpleSFX pool(nullptr, &sfx, "sparkle", 2, true, true);
  EXPECT_FLOAT_EQ(pool.GetFrameSize().x, 0.025f);  // 80 pixels in 4 frames
  pool.Spawn(math::Vec2(0.1f, 0.1f), math::Vec2(0.02f, 0.02f), 0xFFFFFFFF);
  pool.Spawn(math::Vec2(0.2f, 0.1f), math::Vec2(0.02f, 0.02f), 0xFF00FF00);
  pool.Spawn(math::Vec2(0.3f, 0.1f), math::Vec2(0.02f, 0.02f), 0xFFFF0000);
  EXPECT_EQ(pool.GetActiveCount(), 2);
  EXPECT_FLOAT_EQ(pool.GetSlot(1).position.x, 0.2f);

  pool.Tick(0.2f);
  EXPECT_EQ(pool.GetActiveCount(), 2);
  EXPECT_FLOAT_EQ(pool.GetSlot(0).position.y, 0.2f);  // drifting down at 0.5 per second
  pool.Tick(0.3f);
  EXPECT_EQ(pool.GetActiveCount(), 0);
  pool.Spawn(math::Vec2(0.3f, 0.1f), math::Vec2(0.02f, 0.02f), 0xFFFF0000);
  EXPECT_EQ(pool.GetActiveCount(), 1);

  well::SimpleSFX none(nullptr, &sfx, "sparkle", 0, false, false);
  none.Spawn(math::Vec2(0.1f, 0.1f), math::Vec2(0.02f, 0.02f), 0xFFFFFFFF);
  EXPECT_EQ(none.GetActiveCount(), 0);
  EXPECT_FLOAT_EQ(none.GetFrameSize().x, 0.0f);
}

TEST_F(WellTest, AFloatingTextRisesAndFadesOverItsDuration) {
  MakeBoard();
  WellSFX sfx(nullptr, board_.get());
  well::TextSFX texts(nullptr, &sfx, "", "SmallFont", 5.0f, 2, true, 0);
  for (int i = 0; i < texts.GetCapacity(); ++i) texts.GetWidget(i)->SetSize(math::Vec2(0.2f, 0.05f));
  texts.ShowText("+50", math::Vec2(0.4f, 0.6f));
  texts.ShowText("+70", math::Vec2(0.4f, 0.6f));
  texts.ShowText("+90", math::Vec2(0.4f, 0.6f));  // every record live: not shown
  EXPECT_EQ(texts.GetActiveCount(), 2);
  const ui::UIWidget& widget = *texts.GetRecord(0).widget;
  EXPECT_EQ(widget.GetName(), "TestFX");
  EXPECT_EQ(widget.GetText(), "+50");

  renderer_.draws.clear();
  texts.Render();
  EXPECT_FALSE(renderer_.draws.empty());

  for (int i = 0; i < 250; ++i) texts.Tick(0.02f);
  EXPECT_NEAR(widget.GetPosition().y, 0.6f - 1.0f, 1e-4f);  // 1.0 over 5 s
  EXPECT_LE(widget.GetTextColor() >> 24, 1u);
  texts.Tick(0.02f);  // the time is out: fully transparent and free again
  EXPECT_EQ(widget.GetTextColor() >> 24, 0u);
  EXPECT_EQ(texts.GetActiveCount(), 0);
  renderer_.draws.clear();
  texts.Render();
  EXPECT_TRUE(renderer_.draws.empty());

  // A record shown again starts its time afresh, opaque.
  texts.ShowText("+10", math::Vec2(0.1f, 0.1f));
  texts.Tick(0.02f);
  EXPECT_EQ(texts.GetActiveCount(), 1);
  EXPECT_GT(texts.GetRecord(0).widget->GetTextColor() >> 24, 250u);
}

TEST_F(WellTest, AnOverlayRunsStagesAndCountsUpInThreeSeconds) {
  Write("ui/popup.ui", R"(
Panel = { Name = "popup", Size = { 1, 1 }, Children = {
  { Name = "score", Pos = { 0.1, 0.1 }, Size = { 0.3, 0.1 }, Text = "old" },
  { Name = "clock", Pos = { 0.1, 0.3 }, Size = { 0.3, 0.1 }, Text = "old" },
} }
)");
  class Staged : public well::WellEffect {
   public:
    Staged() : WellEffect(nullptr, "ui/popup.ui") {}
    void OnStage(int32_t stage) override { stages.push_back(stage); }
    std::vector<int32_t> stages;
  };
  MakeBoard();
  auto* popup = new Staged;
  board_->SetOverlay(popup);
  ui::UIWidget* panel = popup->GetPanel();
  ASSERT_NE(panel, nullptr);
  EXPECT_TRUE(panel->GetIsVisible());
  EXPECT_EQ(ui_.GetPanels().back(), panel);

  popup->AddCountUpByName("score", 1234.0f, 0.0f, false, 0.5f);
  popup->AddCountUpByName("clock", 75.0f, 0.0f, true, 0.0f);
  popup->AddCountUpByName("nothing", 1.0f, 0.0f, false, 0.0f);
  EXPECT_EQ(popup->GetCountUps().size(), 2u);
  EXPECT_EQ(panel->GetWidgetByName("score")->GetText(), "");

  // Nothing runs for the first 0.1 s; then a stage every 0.3 s.
  Frame(0.05f);
  Frame(0.04f);
  EXPECT_EQ(popup->GetElapsed(), 0.0f);
  for (int i = 0; i < 25; ++i) Frame(0.02f);
  EXPECT_EQ(popup->stages, (std::vector<int32_t>{0}));
  EXPECT_EQ(popup->GetStage(), 1);

  // Three seconds after their delays (with the frame the delay ends on).
  for (int i = 0; i < 200; ++i) Frame(0.02f);
  EXPECT_EQ(panel->GetWidgetByName("score")->GetText(), "1,234");
  EXPECT_NE(panel->GetWidgetByName("clock")->GetText().find("1:15"), std::string::npos);
  EXPECT_FALSE(board_->IsOverlayDone());
  popup->SetDone();
  EXPECT_TRUE(board_->IsOverlayDone());

  popup->SetWidgetText("score", "done");
  EXPECT_EQ(panel->GetWidgetByName("score")->GetText(), "done");

  // The panel rebuilt from its file (the console's RefreshActive): the overlay takes the
  // new one, and its count-ups write into it.
  ui_.RefreshActive();
  panel = ui_.GetPanel("popup");
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(panel->GetWidgetByName("score")->GetText(), "old");
  Frame(0.02f);
  EXPECT_EQ(popup->GetPanel(), panel);
  EXPECT_EQ(panel->GetWidgetByName("score")->GetText(), "1,234");
  board_->SetOverlay(nullptr);
  EXPECT_FALSE(panel->GetIsVisible());
  EXPECT_FALSE(board_->IsOverlayDone());

  // Without a panel, the named operations do nothing.
  well::WellEffect bare(nullptr, "");
  EXPECT_EQ(bare.GetPanel(), nullptr);
  bare.AddCountUpByName("score", 1.0f, 0.0f, false, 0.0f);
  bare.SetWidgetText("score", "x");
  EXPECT_TRUE(bare.GetCountUps().empty());
}

TEST_F(WellTest, CountUpsShowTheirTargetsThreeSecondsAfterTheirDelays) {
  MakeBoard();
  ui::UIWidget score(nullptr, "score");
  ui::UIWidget clock(nullptr, "clock");
  well::WellEffect effect(nullptr, "");
  effect.Tick(0.2f);  // past the start delay
  effect.AddCountUp(&score, 1234.0f, 0.0f, false, 1.0f);
  effect.AddCountUp(&clock, 75.0f, 0.0f, true, 0.0f);
  effect.AddCountUp(nullptr, 5.0f, 0.0f, false, 0.0f);
  EXPECT_EQ(effect.GetCountUps().size(), 2u);
  for (int i = 0; i < 100; ++i) effect.Tick(0.01f);  // the delay
  EXPECT_EQ(score.GetText(), "0");
  for (int i = 0; i < 150; ++i) effect.Tick(0.01f);
  const int halfWay = std::stoi(score.GetText());
  EXPECT_NEAR(halfWay, 617, 10);
  // Three seconds after the delay, give or take the frame the delay ends on.
  for (int i = 0; i < 152; ++i) effect.Tick(0.01f);
  EXPECT_EQ(score.GetText(), "1,234");
  EXPECT_NE(clock.GetText().find("1:15"), std::string::npos);
}

}  // namespace
}  // namespace welltest

namespace welltest {
namespace {

// A particle set fires its system at board points, spread or not, and draws it less the
// manager's view offset; a set whose file does not load stays empty and quiet.
TEST_F(WellTest, AParticleSetFiresItsSystemAtPointsAndTicksIt) {
  const std::string dir = testenv::MakeTempDir("wellp2d");
  ASSERT_TRUE(testenv::WriteFile(dir + "/dots.p2d",
      "Part2D = { { Image = \"spark\", MaxC = 10, Lifespan = { 1.0, 1.0 }, GenRate = 0,"
      "             SizeFromMin = { 0.01, 0.01 }, SizeFromMax = { 0.01, 0.01 } } }"));
  MakeBoard();
  auto* sfx = new WellSFX(nullptr, board_.get());
  board_->SetSFX(sfx);
  auto* set = static_cast<well::Part2DSFXSet*>(sfx->AddSet(new well::Part2DSFXSet(nullptr, sfx)));

  set->Emit(3, math::Vec2(0.5f, 0.5f));  // nothing loaded: nothing happens
  EXPECT_EQ(set->GetSystem(), nullptr);
  ASSERT_TRUE(set->Load(dir + "/dots.p2d"));
  part2d::PartGroup* group = set->GetSystem()->GetGroup(0);
  ASSERT_NE(group, nullptr);

  set->Emit(0, math::Vec2(0.5f, 0.5f));
  EXPECT_EQ(group->GetLiveCount(), 0);
  set->Emit(3, math::Vec2(0.5f, 0.5f));
  set->EmitSpread(4, math::Vec2(0.2f, 0.2f), math::Vec2(0.1f, 0.1f));
  EXPECT_EQ(group->GetLiveCount(), 7);
  for (int frame = 0; frame < 25; ++frame) sfx->Tick(0.02f);
  EXPECT_EQ(group->GetLiveCount(), 7);
  for (int frame = 0; frame < 35; ++frame) sfx->Tick(0.02f);  // each particle lives 1 s
  EXPECT_EQ(group->GetLiveCount(), 0);

  EXPECT_FALSE(set->Load(dir + "/missing.p2d"));
  EXPECT_EQ(set->GetSystem()->GroupC(), 0);
}

}  // namespace
}  // namespace welltest
