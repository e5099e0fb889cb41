// The particle widget: emission inside its rectangle, pausing, the pool bound of a frame's
// emission, drawing in the first or the second pass, files, saving and cloning.

#include "engine/ui/UIPart2DWidget.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/part2d/Part2D.h"
#include "tests/core/LogCapture.h"
#include "tests/ui/UITestSupport.h"

namespace {

using ui::UIPart2DWidget;
using ui::UIWidget;

// One group of slow, long-lived particles moving right.
std::string Effect(const std::string& genRate, int maxC) {
  return "Part2D = { { Image = 'img/dot.png', MaxC = " + std::to_string(maxC) +
         ", GenRate = " + genRate +
         ", Lifespan = { 5, 5 }, MinSpeed = { 0.1, 0 }, MaxSpeed = { 0.1, 0 } } }\n";
}

class UIPart2DWidgetTest : public uitest::UITest {
 protected:
  void SetUp() override {
    UITest::SetUp();
    Write("effects/test.p2d", Effect("0.1", 20));
  }
  void TearDown() override {
    ui_.particlesShown = false;
    UITest::TearDown();
  }
  UIPart2DWidget* MakeEmitter(const math::Vec2& at, const math::Vec2& size) {
    auto* widget = Make<UIPart2DWidget>(at, size);
    widget->SetPartFile("effects/test.p2d");
    EXPECT_NE(widget->GetPartsys(), nullptr);
    return widget;
  }
  static int Live(const UIPart2DWidget* widget) {
    return widget->GetPartsys()->GetGroup(0)->GetLiveCount();
  }
};

TEST_F(UIPart2DWidgetTest, TriggeredParticlesStartInsideTheRectangle) {
  UIPart2DWidget* widget = MakeEmitter({0.4f, 0.5f}, {0.2f, 0.1f});
  widget->TriggerParticles(0);
  widget->TriggerParticles(-3);
  EXPECT_EQ(Live(widget), 0);
  widget->TriggerParticles(5);
  ASSERT_EQ(Live(widget), 5);
  const part2d::PartGroup* group = widget->GetPartsys()->GetGroup(0);
  for (int i = 0; i < group->MaxC; ++i) {
    const part2d::Particle& p = group->particles[i];
    if (!p.alive) continue;
    EXPECT_GE(p.pos.x, 0.4f);
    EXPECT_LE(p.pos.x, 0.6f);
    EXPECT_GE(p.pos.y, 0.5f);
    EXPECT_LE(p.pos.y, 0.6f);
  }
  widget->ClearParticles();
  EXPECT_EQ(Live(widget), 0);
}

TEST_F(UIPart2DWidgetTest, APausedWidgetEmitsNothingWhileItsParticlesMoveOn) {
  UIPart2DWidget* widget = MakeEmitter({0.4f, 0.5f}, {0.0f, 0.0f});
  widget->SetPaused(true);
  widget->TriggerParticles(1);
  ui_.Tick(0.5f);
  ASSERT_EQ(Live(widget), 1);
  const part2d::PartGroup* group = widget->GetPartsys()->GetGroup(0);
  float x = 0.0f;
  for (int i = 0; i < group->MaxC; ++i) {
    if (group->particles[i].alive) x = group->particles[i].pos.x;
  }
  EXPECT_NEAR(x, 0.45f, 1e-4);  // 0.1 a second for half a second

  widget->SetPaused(false);
  ui_.Tick(0.35f);  // three emissions due at a rate of one every 0.1 s
  EXPECT_EQ(Live(widget), 4);
}

TEST_F(UIPart2DWidgetTest, AFramesEmissionStopsAtThePoolSize) {
  // A rate so small that taking it off the clock no longer changes the clock.
  Write("effects/torrent.p2d", Effect("1e-30", 20));
  auto* widget = Make<UIPart2DWidget>({0.1f, 0.1f}, {0.1f, 0.1f});
  widget->SetPartFile("effects/torrent.p2d");
  ASSERT_NE(widget->GetPartsys(), nullptr);
  ui_.Tick(0.1f);
  EXPECT_EQ(Live(widget), 20);
  ui_.Tick(0.1f);  // the pool is full: the first spawn fails and the frame's emission ends
  EXPECT_EQ(Live(widget), 20);
}

TEST_F(UIPart2DWidgetTest, ForceOnTopParticlesDrawInTheSecondPass) {
  UIWidget* panel = Make({0.0f, 0.0f}, {1.0f, 1.0f});
  auto* below = Make<UIPart2DWidget>({0.1f, 0.1f}, {0.1f, 0.1f}, panel);
  auto* above = Make<UIPart2DWidget>({0.5f, 0.5f}, {0.1f, 0.1f}, panel);
  for (UIPart2DWidget* widget : {below, above}) {
    widget->SetPartFile("effects/test.p2d");
    widget->TriggerParticles(1);
  }
  above->forceOnTop = true;
  const auto drawnIn = [&](auto pass) {
    renderer_.draws.clear();
    pass();
    float x = -1.0f;
    for (const auto& draw : renderer_.draws) x = draw.vertices[0].x;
    return std::make_pair(renderer_.draws.size(), x);
  };
  // The switch is off: nothing draws.
  EXPECT_EQ(drawnIn([&] { panel->Render(false); }).first, 0u);
  EXPECT_EQ(drawnIn([&] { panel->RenderHighlight(); }).first, 0u);
  ui_.particlesShown = true;
  const auto first = drawnIn([&] { panel->Render(false); });
  const auto second = drawnIn([&] { panel->RenderHighlight(); });
  ASSERT_EQ(first.first, 1u);
  ASSERT_EQ(second.first, 1u);
  EXPECT_LT(first.second, 200.0f);   // the one below, near x = 80
  EXPECT_GT(second.second, 350.0f);  // the one above, near x = 400
  // A hidden widget draws in neither pass, even forced.
  above->SetIsVisible(false);
  EXPECT_FALSE(above->Render(true));
  EXPECT_EQ(drawnIn([&] { panel->RenderHighlight(); }).first, 0u);
}

TEST_F(UIPart2DWidgetTest, FilesSetTwiceWarnAndPanelsKeepTheirKeys) {
  Write("ui/sparks.ui",
        "Panel = { Name = 'sparks', Size = { 1, 1 }, Children = {\n"
        "  { Type = 'Part2D', Name = 'fx', Partsys = 'effects/test.p2d', ForceOnTop = 1 },\n"
        "  { Type = 'part2d', Name = 'none' } } }\n");
  UIWidget* panel = ui_.AddPanel("ui/sparks.ui");
  ASSERT_NE(panel, nullptr);
  auto* fx = dynamic_cast<UIPart2DWidget*>(panel->FindChild("fx"));
  ASSERT_NE(fx, nullptr);
  EXPECT_TRUE(fx->forceOnTop);
  part2d::Part2D* system = fx->GetPartsys();
  ASSERT_NE(system, nullptr);
  LogCapture log;
  fx->SetPartFile("effects/test.p2d");
  EXPECT_TRUE(log.Contains("Trying to re-set the file. Reset instead?"));
  EXPECT_EQ(fx->GetPartsys(), system);

  // Without a file the widget ticks its base and draws only its children.
  auto* none = dynamic_cast<UIPart2DWidget*>(panel->FindChild("none"));
  ASSERT_NE(none, nullptr);
  EXPECT_TRUE(none->Tick(0.1f));
  none->TriggerParticles(3);
  EXPECT_FALSE(none->SavePartFile("effects/none.p2d"));

  EXPECT_TRUE(fx->SavePartFile("effects/saved.p2d"));
  ASSERT_TRUE(ui_.SavePanel(panel, "ui/sparks_saved.ui"));
  ui_.DropPanel(panel, true);
  panel = ui_.AddPanel("ui/sparks_saved.ui");
  ASSERT_NE(panel, nullptr);
  fx = dynamic_cast<UIPart2DWidget*>(panel->FindChild("fx"));
  ASSERT_NE(fx, nullptr);
  EXPECT_TRUE(fx->forceOnTop);
  ASSERT_NE(fx->GetPartsys(), nullptr);
  EXPECT_EQ(fx->GetPartsys()->path, "effects/saved.p2d");  // the file last loaded or saved

  UIWidget* clone = fx->GetClone();
  auto* copy = dynamic_cast<UIPart2DWidget*>(clone);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->GetPartsys(), nullptr);
  EXPECT_FALSE(copy->forceOnTop);
  delete clone;

  fx->SetPartFile("");
  EXPECT_EQ(fx->GetPartsys(), nullptr);
}

}  // namespace
