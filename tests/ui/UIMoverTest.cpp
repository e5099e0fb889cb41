// The widget movers: their timing (delay, first running frame, end state), the queue,
// values taken when a mover is queued, finish scripts, and what ClearMovers ends.

#include "engine/ui/UIMover.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/graphics/Image.h"
#include "engine/ui/UIProgress.h"
#include "engine/ui/UIWidget.h"
#include "tests/ui/UITestSupport.h"

namespace {

using ::testing::FloatNear;
using ::testing::Pointwise;
using ui::UIWidget;

class UIMoverTest : public uitest::UITest {
 protected:
  // Ticks the manager once per step and records the widget's x after each.
  std::vector<float> XsOver(UIWidget* widget, int steps, float dt) {
    std::vector<float> xs;
    for (int i = 0; i < steps; ++i) {
      ui_.Tick(dt);
      xs.push_back(widget->GetRelativePosition().x);
    }
    return xs;
  }
};

TEST_F(UIMoverTest, AMoveWaitsItsDelayStartsAtProgressZeroAndEndsExactly) {
  struct Case {
    const char* name;
    float delay;
    std::vector<float> xs;  // after each tick of 0.25 s
  };
  const Case cases[] = {
      // A delay of 0 still costs one frame; the first running frame applies progress 0.
      {"no delay", 0.0f, {0.2f, 0.0f, 0.25f, 0.5f, 0.75f, 1.0f, 1.0f}},
      {"half a second", 0.5f, {0.2f, 0.2f, 0.2f, 0.0f, 0.25f, 0.5f, 0.75f}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UIWidget* widget = Make({0.2f, 0.3f}, {0.1f, 0.1f});
    UIMove::AddUIMove(widget, c.delay, 1.0f, math::Vec4(0.0f, 0.3f, 1.0f, 0.3f), "");
    EXPECT_THAT(XsOver(widget, 7, 0.25f), Pointwise(FloatNear(1e-6f), c.xs));
    ui_.DropPanel(widget, true);
  }
}

TEST_F(UIMoverTest, MoversOfOneWidgetPlayOneAfterAnother) {
  UIWidget* widget = Make({0.1f, 0.1f}, {0.1f, 0.1f});
  UIMove::AddUIMove(widget, 0.0f, 0.5f, math::Vec4(0.0f, 0.0f, 0.5f, 0.0f), "");
  UIMove::AddUIMove(widget, 0.0f, 0.5f, math::Vec4(0.8f, 0.0f, 0.6f, 0.0f), "");
  // The first ends on the fourth tick; the second waits a frame for its delay of 0.
  EXPECT_THAT(XsOver(widget, 7, 0.25f),
              Pointwise(FloatNear(1e-6f), std::vector<float>{0.1f, 0.0f, 0.25f, 0.5f, 0.5f, 0.8f, 0.7f}));
  EXPECT_EQ(widget->movers.size(), 1u);
  ui_.Tick(0.25f);
  EXPECT_FALSE(widget->HasAnimation());
  EXPECT_FLOAT_EQ(widget->GetRelativePosition().x, 0.6f);
}

TEST_F(UIMoverTest, APanStartsFromWhereTheWidgetStoodWhenItWasQueued) {
  UIWidget* widget = Make({0.1f, 0.2f}, {0.1f, 0.1f});
  UIMove::AddUIMove(widget, 0.0f, 0.25f, math::Vec4(0.5f, 0.5f, 0.7f, 0.5f), "");
  UIMove::AddUIPan(widget, 0.0f, 0.5f, math::Vec2(0.9f, 0.2f), "");
  for (int i = 0; i < 3; ++i) ui_.Tick(0.25f);
  EXPECT_FLOAT_EQ(widget->GetRelativePosition().x, 0.7f);  // the move's end
  ui_.Tick(0.25f);                                          // the pan's delay of 0
  ui_.Tick(0.25f);                                          // its first running frame
  EXPECT_FLOAT_EQ(widget->GetRelativePosition().x, 0.1f);
  EXPECT_FLOAT_EQ(widget->GetRelativePosition().y, 0.2f);
}

TEST_F(UIMoverTest, AChildPansAndSwaysAboutItsPlaceInItsParent) {
  UIWidget* parent = Make({0.2f, 0.2f}, {0.5f, 0.5f});
  UIWidget* child = Make({0.1f, 0.1f}, {0.1f, 0.1f}, parent);
  UIMove::AddUIPan(child, 0.0f, 1.0f, math::Vec2(0.1f, 0.3f), "");
  ui_.Tick(0.25f);
  ui_.Tick(0.25f);  // progress 0: the child has not jumped by its parent's offset
  EXPECT_FLOAT_EQ(child->GetPosition().x, 0.3f);
  EXPECT_FLOAT_EQ(child->GetPosition().y, 0.3f);
  for (int i = 0; i < 4; ++i) ui_.Tick(0.25f);
  EXPECT_FALSE(child->HasAnimation());
  EXPECT_FLOAT_EQ(child->GetPosition().y, 0.5f);

  // A sway of x about the child's place; y has a period of 0 and stays put.
  UISine::AddUISine(child, math::Vec3(0.05f, 1.0f, 0.25f), math::Vec3(0.04f, 0.0f, 0.0f));
  ui_.Tick(0.25f);  // the delay of 0
  ui_.Tick(0.25f);
  const float expected = std::sin(0.25f / 1.0f * 6.28318f + 0.25f * 6.28318f) * 0.05f + 0.1f;
  EXPECT_NEAR(child->GetRelativePosition().x, expected, 1e-6);
  EXPECT_FLOAT_EQ(child->GetRelativePosition().y, 0.3f);
  EXPECT_TRUE(std::isfinite(child->GetPosition().y));

  // It has no end of its own: a move queued behind it waits until ClearMovers ends it,
  // with the widget back at its centre.
  UIMove::AddUIMove(child, 0.0f, 1.0f, math::Vec4(0.0f, 0.0f, 0.0f, 0.0f), "");
  for (int i = 0; i < 20; ++i) ui_.Tick(0.25f);
  EXPECT_EQ(child->movers.size(), 2u);
  child->ClearMovers();
  ui_.Tick(0.25f);
  EXPECT_EQ(child->movers.size(), 1u);
  EXPECT_FLOAT_EQ(child->GetRelativePosition().x, 0.1f);
  EXPECT_FLOAT_EQ(child->GetRelativePosition().y, 0.3f);
}

TEST_F(UIMoverTest, AFadeKeepsTheColourAndRunsTheAlpha) {
  UIWidget* widget = Make({0.1f, 0.1f}, {0.1f, 0.1f});
  widget->SetColor(1.0f, 0.5f, 0.0f, 1.0f);
  UIXFade::AddUIXFade(widget, 0.0f, 1.0f, math::Vec2(1.0f, 0.0f), "");
  std::vector<uint32_t> alphas;
  for (int i = 0; i < 6; ++i) {
    ui_.Tick(0.25f);
    EXPECT_EQ(widget->GetColor() & 0xFFFFFF, 0xFF7F00u);
    alphas.push_back(widget->GetColor() >> 24);
  }
  EXPECT_EQ(alphas, (std::vector<uint32_t>{0xFF, 0xFF, 0xBF, 0x7F, 0x3F, 0x00}));
  EXPECT_FALSE(widget->HasAnimation());
}

TEST_F(UIMoverTest, AnImageChangeActsOnTheFrameAfterItsTimeRanOut) {
  UIWidget* widget = Make({0.1f, 0.1f}, {0.1f, 0.1f});
  UISetImage::AddSetImage(widget, 0.5f, "img/later.png", "");
  ui_.Tick(0.3f);
  ui_.Tick(0.3f);  // 0.5 s ran out in this frame
  EXPECT_FALSE(widget->images[UIWidget::IS_Off].IsLoaded());
  ui_.Tick(0.3f);
  ASSERT_TRUE(widget->images[UIWidget::IS_Off].IsLoaded());
  EXPECT_EQ(widget->images[UIWidget::IS_Off].image->name, "img/later.png");
  EXPECT_FALSE(widget->HasAnimation());
}

TEST_F(UIMoverTest, AProgressMoverRunsABarAndNothingElse) {
  auto* bar = Make<ui::UIProgress>({0.1f, 0.1f}, {0.3f, 0.05f});
  UIMoveProgress::AddMoveProg(bar, 1.0f, 0.2f, 0.6f, "");
  UIWidget* plain = Make({0.5f, 0.5f}, {0.1f, 0.1f});
  UIMoveProgress::AddMoveProg(plain, 1.0f, 0.2f, 0.6f, "");
  UIMove::AddUIMove(nullptr, 0.0f, 1.0f, math::Vec4(), "");  // nothing for no widget
  EXPECT_FALSE(plain->HasAnimation());
  ui_.Tick(0.5f);
  ui_.Tick(0.5f);
  EXPECT_FLOAT_EQ(bar->GetProgress(), 0.2f);
  ui_.Tick(0.5f);
  EXPECT_FLOAT_EQ(bar->GetProgress(), 0.4f);
  ui_.Tick(0.5f);
  EXPECT_FLOAT_EQ(bar->GetProgress(), 0.6f);
  EXPECT_FALSE(bar->HasAnimation());
}

TEST_F(UIMoverTest, AFinishScriptRunsOnceAndNeverAfterClearMovers) {
  UIWidget* widget = Make({0.1f, 0.1f}, {0.1f, 0.1f});
  UIMove::AddUIMove(widget, 0.0f, 0.5f, math::Vec4(0.0f, 0.0f, 0.2f, 0.0f), "done = (done or 0) + 1");
  for (int i = 0; i < 10; ++i) ui_.Tick(0.25f);
  EXPECT_EQ(Global("done"), "1");

  UIMove::AddUIMove(widget, 0.0f, 1.0f, math::Vec4(0.0f, 0.0f, 0.4f, 0.0f), "cleared = 1");
  UISetImage::AddSetImage(widget, 0.0f, "img/end.png", "cleared = 2");
  ui_.Tick(0.25f);
  ui_.Tick(0.25f);
  widget->ClearMovers();
  // The move makes one last step at full progress; the image change still acts.
  ui_.Tick(0.25f);
  EXPECT_FLOAT_EQ(widget->GetRelativePosition().x, 0.4f);
  for (int i = 0; i < 3; ++i) ui_.Tick(0.25f);
  EXPECT_FALSE(widget->HasAnimation());
  EXPECT_TRUE(widget->images[UIWidget::IS_Off].IsLoaded());
  EXPECT_EQ(Global("cleared"), "");
}

TEST_F(UIMoverTest, AFinishScriptMayDropTheWidgetsOwnPanel) {
  Write("ui/card.ui",
        "Panel = { Name = 'card', Size = { 1, 1 }, Children = {\n"
        "  { Name = 'button', Pos = { 0.1, 0.1 }, Size = { 0.2, 0.1 } } } }\n");
  UIWidget* card = ui_.AddPanel("ui/card.ui");
  ASSERT_NE(card, nullptr);
  UIMove::AddUIMove(card->FindChild("button"), 0.0f, 0.25f, math::Vec4(0.0f, 0.0f, 0.5f, 0.5f),
                    "GetUIMan():RefreshActive() reloaded = 1");
  for (int i = 0; i < 4; ++i) ui_.Tick(0.25f);
  EXPECT_EQ(Global("reloaded"), "1");
  UIWidget* fresh = ui_.GetPanel("card");
  ASSERT_NE(fresh, nullptr);
  EXPECT_FLOAT_EQ(fresh->FindChild("button")->GetPosition().x, 0.1f);
  EXPECT_FALSE(fresh->FindChild("button")->HasAnimation());
}

}  // namespace
