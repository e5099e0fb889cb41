// Popup transitions on the recording renderer and audio back end, driven tick by tick as a
// hosting screen drives them: the opening's timing and picture, what completes or abandons
// an opening (sounds, sparkles, scripts, hints), and panels dropped or reloaded under it.

#include "game/shell/KivUITransition.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/ui/UIManager.h"
#include "game/board/KivHelp.h"
#include "tests/shell/ShellUITest.h"

namespace {

using ui::UIWidget;

class UITransitionTest : public shelltest::ShellUITest {
 protected:
  void SetUp() override {
    ShellUITest::SetUp();
    Write(KivUITransition::kSparklesFile, Effect());
    transition_ = std::make_unique<KivUITransition>();
    a_ = MakePanel("panel_a");
    aFrame_ = MakeChild(a_, "Frame", {0.0f, 0.0f}, {0.4f, 0.2f});  // at (0.25, 0.25)
    aFrame_->SetOffImage("ui/frame_a.png");
    b_ = MakePanel("panel_b");
    bFrame_ = MakeChild(b_, "Frame", {0.1f, 0.1f}, {0.2f, 0.2f});
    Run("log = ''");
  }
  void TearDown() override {
    transition_.reset();
    ShellUITest::TearDown();
  }
  // Sparkles flying, per group.
  std::string Sparkles() const {
    return std::to_string(Live(transition_->Sparkles(), 0)) + "/" +
           std::to_string(Live(transition_->Sparkles(), 1)) + "/" +
           std::to_string(Live(transition_->Sparkles(), 2));
  }

  std::unique_ptr<KivUITransition> transition_;
  UIWidget* a_ = nullptr;
  UIWidget* aFrame_ = nullptr;
  UIWidget* b_ = nullptr;
  UIWidget* bFrame_ = nullptr;
};

TEST_F(UITransitionTest, AnOpeningTakesTwelveFramesAtSixtyASecondAndOneLongTickCompletesIt) {
  transition_->StartPopup(a_, aFrame_, "log = log .. 'A'");
  // The panel comes to the front and shows; its frame hides while the effect runs.
  EXPECT_EQ(ui_.GetPanels().back(), a_);
  EXPECT_TRUE(a_->GetIsVisible());
  EXPECT_FALSE(aFrame_->GetIsVisible());
  EXPECT_EQ(transition_->Image().fileName, "ui/frame_a.png");
  const int removals = KivHelp::Instance().RemoveAllCount();
  for (int frame = 1; frame <= 11; ++frame) transition_->Tick(1.0f / 60.0f);
  EXPECT_TRUE(transition_->IsOpening());
  EXPECT_EQ(Global("log"), "");
  transition_->Tick(1.0f / 60.0f);
  EXPECT_FALSE(transition_->IsOpening());
  EXPECT_TRUE(aFrame_->GetIsVisible());
  EXPECT_EQ(Global("log"), "A");
  EXPECT_EQ(Played("popup_open"), 1u);
  EXPECT_EQ(KivHelp::Instance().RemoveAllCount(), removals + 1);
  // The sparkles along the frame's edges: 10 rounds of 4 edges, one per primary group.
  EXPECT_EQ(Sparkles(), "40/40/0");

  a_->SetIsVisible(false);
  transition_->StartPopup(a_, aFrame_, "log = log .. 'B'");
  transition_->Tick(0.25f);
  EXPECT_FALSE(transition_->IsOpening());
  EXPECT_EQ(Global("log"), "AB");
  EXPECT_EQ(Played("popup_open"), 2u);
}

TEST_F(UITransitionTest, HalfWayTheFrameIsHalfItsSizeAboutItsCentreAndHalfOpaque) {
  transition_->StartPopup(a_, aFrame_, "");
  EXPECT_EQ(transition_->Image().size.x, 0.0f);
  EXPECT_EQ(transition_->Image().color, 0xFFFFFFFFu);
  transition_->Tick(0.1f);
  const ui::UISprite& image = transition_->Image();
  EXPECT_NEAR(transition_->Progress(), 0.5f, 1e-6f);
  EXPECT_NEAR(image.position.x, 0.25f + 0.1f, 1e-6f);
  EXPECT_NEAR(image.position.y, 0.25f + 0.05f, 1e-6f);
  EXPECT_NEAR(image.size.x, 0.2f, 1e-6f);
  EXPECT_NEAR(image.size.y, 0.1f, 1e-6f);
  EXPECT_EQ(image.color, 0x7FFFFFFFu);  // floor(0.5 x 255) = 127
  renderer_.draws.clear();
  transition_->Render();
  EXPECT_EQ(renderer_.draws.size(), 1u);  // the frame's picture; no sparkles yet
}

TEST_F(UITransitionTest, APopupOfAVisibleOrOpeningPanelDoesNothing) {
  b_->SetIsVisible(true);
  transition_->StartPopup(b_, bFrame_, "log = 'B'");
  EXPECT_FALSE(transition_->IsOpening());
  EXPECT_TRUE(bFrame_->GetIsVisible());

  transition_->StartPopup(a_, aFrame_, "log = log .. 'A'");
  transition_->Tick(0.1f);
  transition_->StartPopup(a_, aFrame_, "log = log .. 'again'");
  EXPECT_NEAR(transition_->Progress(), 0.5f, 1e-6f);
  transition_->Tick(0.1f);
  EXPECT_EQ(Global("log"), "A");
  transition_->StartPopup(nullptr, aFrame_, "log = 'x'");
  transition_->StartPopup(a_, nullptr, "log = 'x'");
  EXPECT_FALSE(transition_->IsOpening());
  EXPECT_EQ(Played("popup_open"), 1u);
}

TEST_F(UITransitionTest, APopupWhileAnotherOpensCompletesTheFirstThenStartsItself) {
  transition_->StartPopup(a_, aFrame_, "log = log .. 'A'");
  transition_->Tick(0.05f);
  const int removals = KivHelp::Instance().RemoveAllCount();
  transition_->StartPopup(b_, bFrame_, "log = log .. 'B'");
  EXPECT_TRUE(aFrame_->GetIsVisible());
  EXPECT_EQ(Global("log"), "A");
  EXPECT_EQ(Played("popup_open"), 1u);
  EXPECT_EQ(Sparkles(), "40/40/0");
  EXPECT_EQ(KivHelp::Instance().RemoveAllCount(), removals);  // completed, but not by a tick
  EXPECT_EQ(transition_->Target(), b_);
  EXPECT_FALSE(bFrame_->GetIsVisible());
  EXPECT_EQ(transition_->Progress(), 0.0f);
  EXPECT_EQ(ui_.GetPanels().back(), b_);
}

TEST_F(UITransitionTest, ClosingThePanelBeingOpenedAbandonsItsOpening) {
  transition_->StartPopup(a_, aFrame_, "log = log .. 'A'");
  transition_->Tick(0.05f);
  transition_->StartPopdown(a_, aFrame_);
  EXPECT_FALSE(transition_->IsOpening());
  EXPECT_FALSE(a_->GetIsVisible());
  EXPECT_TRUE(aFrame_->GetIsVisible());
  EXPECT_EQ(ui_.GetPanels().front(), a_);
  EXPECT_EQ(Played("popup_close"), 1u);
  EXPECT_EQ(Played("popup_open"), 0u);
  EXPECT_EQ(Sparkles(), "40/40/0");
  transition_->Tick(1.0f);
  EXPECT_EQ(Global("log"), "");

  // A hidden panel that is not opening is left alone.
  transition_->StartPopdown(a_, aFrame_);
  EXPECT_EQ(Played("popup_close"), 1u);
}

TEST_F(UITransitionTest, ClearTransitionShowsTheFrameSilentlyAndRemovesTheSparkles) {
  b_->SetIsVisible(true);
  transition_->StartPopdown(b_, bFrame_);
  EXPECT_EQ(Sparkles(), "40/40/0");
  transition_->StartPopup(a_, aFrame_, "log = log .. 'A'");
  uitest::Sounds::Instance().Clear();
  const int removals = KivHelp::Instance().RemoveAllCount();
  transition_->ClearTransition();
  EXPECT_FALSE(transition_->IsOpening());
  EXPECT_TRUE(aFrame_->GetIsVisible());
  EXPECT_TRUE(a_->GetIsVisible());
  EXPECT_EQ(Sparkles(), "0/0/0");
  EXPECT_TRUE(uitest::Sounds::Instance().Played().empty());
  EXPECT_EQ(KivHelp::Instance().RemoveAllCount(), removals);
  transition_->Tick(1.0f);
  EXPECT_EQ(Global("log"), "");
}

TEST_F(UITransitionTest, HintsAreRemovedOnlyWhenATickCompletesTheOpening) {
  const int removals = KivHelp::Instance().RemoveAllCount();
  transition_->StartPopup(a_, aFrame_, "");
  transition_->ForceComplete();
  EXPECT_FALSE(transition_->IsOpening());
  EXPECT_EQ(Played("popup_open"), 1u);
  EXPECT_EQ(KivHelp::Instance().RemoveAllCount(), removals);
  transition_->ForceComplete();  // idle: nothing
  EXPECT_EQ(Played("popup_open"), 1u);
  transition_->StartPopup(b_, bFrame_, "");
  transition_->Tick(0.3f);
  EXPECT_EQ(KivHelp::Instance().RemoveAllCount(), removals + 1);
  transition_->RemoveHints();
  EXPECT_EQ(KivHelp::Instance().RemoveAllCount(), removals + 2);
  EXPECT_EQ(KivHelp::Instance().PendingCount(), 0);
}

TEST_F(UITransitionTest, AnOpeningWhosePanelWentEndsWithoutEffects) {
  // Dropped and deleted while opening.
  transition_->StartPopup(a_, aFrame_, "log = log .. 'A'");
  transition_->Tick(0.05f);
  ASSERT_TRUE(ui_.DropPanel(a_, true));
  EXPECT_FALSE(transition_->IsOpening());
  transition_->Tick(0.05f);
  transition_->Render();
  transition_->ForceComplete();
  // Dropped but kept by its new owner: the next tick ends the opening.
  transition_->StartPopup(b_, bFrame_, "log = log .. 'B'");
  ASSERT_TRUE(ui_.DropPanel(b_, false));
  transition_->Tick(0.05f);
  EXPECT_FALSE(transition_->IsOpening());
  EXPECT_TRUE(bFrame_->GetIsVisible());
  delete b_;
  transition_->Tick(1.0f);
  EXPECT_EQ(Global("log"), "");
  EXPECT_EQ(Played("popup_open"), 0u);
  EXPECT_EQ(Sparkles(), "0/0/0");
}

TEST_F(UITransitionTest, AReloadedPanelEndsTheOpeningAndIsFoundAgainByName) {
  Write("ui/reloaded.ui",
        "Panel = { Name = 'reloaded', Pos = { 0.1, 0.1 }, Size = { 0.5, 0.5 },\n"
        "  Children = { { Name = 'Frame', Pos = { 0, 0 }, Size = { 0.2, 0.2 } } } }\n");
  UIWidget* panel = ui_.AddPanel("ui/reloaded.ui");
  ASSERT_NE(panel, nullptr);
  panel->SetIsVisible(false);
  Run("GetUITransition():PopupWidget('RELOADED', 'frame', 'log = log .. \"R\"')");
  EXPECT_EQ(transition_->Target(), nullptr);  // the script class drives the shared object
  KivUITransition& shared = KivUITransition::Instance();
  ASSERT_EQ(shared.Target(), panel);
  ui_.RefreshActive();  // a language change: the visible panels are loaded again
  EXPECT_FALSE(shared.IsOpening());
  Run("GetUITransition():PopdownWidget('reloaded', 'Frame')");
  UIWidget* again = ui_.GetPanel("reloaded");
  ASSERT_NE(again, nullptr);
  EXPECT_FALSE(again->GetIsVisible());
  EXPECT_EQ(Played("popup_close"), 1u);
  // Unknown names do nothing.
  Run("GetUITransition():PopupWidget('reloaded', 'nothing', 'log = \"x\"')");
  Run("GetUITransition():PopupWidget('nowhere', 'Frame', 'log = \"x\"')");
  EXPECT_FALSE(shared.IsOpening());
  Run("GetUITransition():PopupWidget('reloaded', 'Frame', 'log = log .. \"S\"')");
  Run("GetUITransition():ForceComplete(); GetUITransition():ClearTransition(); "
      "GetUITransition():RemoveHints()");
  EXPECT_EQ(Global("log"), "S");
}

}  // namespace
