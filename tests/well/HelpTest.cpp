// The help framework: the hint queue with its popup and sounds, the corner popup's states,
// the tip names of the base, and where the side-bar box goes beside its target.

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "engine/app/Audio.h"
#include "engine/well/HelpManager.h"
#include "engine/well/HelpPopup.h"
#include "platform/bass/Bass.h"
#include "tests/support/TestEnv.h"
#include "tests/well/WellTestSupport.h"

namespace welltest {
namespace {

class TestHelp : public well::HelpManager {
 public:
  explicit TestHelp(const FrameTimer* clock) : clock_(clock) {}
  bool IsHintEnabled(int32_t id) override { return disabled.count(id) == 0; }
  void OnHintShown(int32_t id) override { shown.push_back(id); }
  void CreatePopup() override {
    auto* popup = new well::HintPopup(math::Vec2(0.99f, 0.99f), 0.01f, 0.05f);
    popup->SetClock(clock_);
    SetPopup(popup);
  }
  std::set<int32_t> disabled;
  std::vector<int32_t> shown;

 private:
  const FrameTimer* clock_;
};

class HelpTest : public WellTest {
 protected:
  void SetUp() override {
    WellTest::SetUp();
    std::string bank = "SoundBank = {\n";
    for (const char* name : {"HINT_OPEN", "hint_up", "hint_close", "help_open", "help_close", "button_press"}) {
      testenv::WriteFile(std::string("sounds/") + name + ".wav", name);
      bank += std::string("  { Name = '") + name + "', Files = { 'sounds/" + name + ".wav' } },\n";
    }
    testenv::WriteFile("sounds/help_bank.lua", bank + "}\n");
    audio::GetAudio().Clear();
    BASS_Free();
    audio::GetAudio().Init("sounds/help_bank.lua");
    uitest::Sounds::Instance().Clear();
    help_ = std::make_unique<TestHelp>(timer_.get());
    Wait(2.0f);  // the frame timer's smoothed frame time settles at 0.02 s
  }
  void TearDown() override {
    help_.reset();
    WellTest::TearDown();
  }
  // Frames of 0.02 s on the clock and the popup.
  void Wait(float seconds) {
    for (float t = 0.0f; t < seconds; t += 0.02f) {
      clock_.AdvanceSeconds(0.02f);
      timer_->Update();
      help_->TickPopup(0.02f);
    }
  }
  size_t Played(const std::string& name) { return uitest::Sounds::Instance().Count(name); }

  std::unique_ptr<TestHelp> help_;
};

TEST_F(HelpTest, TheSecondHintWaitsUntilTheFirstHasBeenUpForASecond) {
  help_->ShowHint(2, math::Vec2(0.5f, 0.2f), math::Vec2(0.1f, 0.4f));
  help_->ShowHint(5, math::Vec2(0.1f, 0.1f), math::Vec2(0.2f, 0.2f));
  well::HintPopup* popup = help_->GetPopup();
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(popup->state, well::HintPopup::kOpening);
  EXPECT_EQ(popup->text, "HINT_03");
  // The rectangle is spanned by the two points in any order.
  EXPECT_FLOAT_EQ(popup->rectMin.x, 0.1f);
  EXPECT_FLOAT_EQ(popup->rectMin.y, 0.2f);
  EXPECT_FLOAT_EQ(popup->rectMax.x, 0.5f);
  EXPECT_FLOAT_EQ(popup->rectMax.y, 0.4f);
  ASSERT_EQ(help_->GetQueue().size(), 1u);
  EXPECT_EQ(Played("HINT_OPEN"), 2u);
  EXPECT_EQ(Played("hint_up"), 1u);

  Wait(0.5f);
  EXPECT_EQ(popup->state, well::HintPopup::kOpen);
  help_->CloseHint();  // too early: nothing
  EXPECT_EQ(popup->text, "HINT_03");
  EXPECT_EQ(help_->GetQueue().size(), 1u);

  Wait(0.6f);
  help_->CloseHint();  // hidden at once, the second opens
  EXPECT_EQ(popup->state, well::HintPopup::kOpening);
  EXPECT_EQ(popup->text, "HINT_06");
  EXPECT_TRUE(help_->IsQueueEmpty());
  EXPECT_EQ(Played("hint_close"), 0u);
  EXPECT_EQ(Played("help_close"), 0u);
  EXPECT_EQ(help_->shown, (std::vector<int32_t>{2, 5}));

  // Nothing waits: the closing animation and its sounds.
  Wait(1.1f);
  help_->CloseHint();
  EXPECT_EQ(popup->state, well::HintPopup::kClosing);
  EXPECT_EQ(Played("hint_close"), 1u);
  EXPECT_EQ(Played("help_close"), 1u);
  Wait(0.4f);
  EXPECT_EQ(popup->state, well::HintPopup::kHidden);
  EXPECT_FALSE(help_->IsPopupActive());
}

TEST_F(HelpTest, HintsThatAreNotEnabledAreDroppedFromTheQueue) {
  help_->disabled = {7};
  help_->ShowHint(7, math::Vec2(0.1f, 0.1f), math::Vec2(0.2f, 0.2f));
  EXPECT_EQ(help_->GetPopup(), nullptr);  // refused before a popup is made
  help_->ShowHint(1, math::Vec2(0.1f, 0.1f), math::Vec2(0.2f, 0.2f));
  help_->ShowHint(3, math::Vec2(0.1f, 0.1f), math::Vec2(0.2f, 0.2f));
  help_->ShowHint(4, math::Vec2(0.1f, 0.1f), math::Vec2(0.2f, 0.2f));
  help_->disabled = {3};  // switched off while waiting
  Wait(1.1f);
  help_->CloseHint();
  EXPECT_EQ(help_->GetPopup()->text, "HINT_05");
  EXPECT_EQ(help_->shown, (std::vector<int32_t>{1, 4}));
}

TEST_F(HelpTest, TipNamesOfTheBase) {
  EXPECT_EQ(help_->GetTipName(0), "HINT_01");
  EXPECT_EQ(help_->GetTipName(8), "HINT_09");
  EXPECT_EQ(help_->GetTipName(9), "HINT_10");
  EXPECT_EQ(help_->GetTipName(41), "HINT_42");
}

TEST_F(HelpTest, CornersFlyInAndACloseWhileClosingHidesAtOnce) {
  well::HintPopup popup(math::Vec2(0.99f, 0.99f), 0.01f, 0.05f);
  popup.SetClock(timer_.get());
  for (auto& corner : popup.corners) corner.size = math::Vec2(0.02f, 0.04f);
  popup.Open(math::Vec2(0.2f, 0.3f), math::Vec2(0.4f, 0.5f), "x");
  EXPECT_FLOAT_EQ(popup.corners[0].target.x, 0.19f);
  EXPECT_FLOAT_EQ(popup.corners[0].target.y, 0.28f);
  EXPECT_FLOAT_EQ(popup.corners[3].target.x, 0.39f);
  EXPECT_FLOAT_EQ(popup.corners[3].target.y, 0.48f);
  popup.Tick(0.29f);
  EXPECT_EQ(popup.state, well::HintPopup::kOpening);
  popup.Tick(0.02f);
  EXPECT_EQ(popup.state, well::HintPopup::kOpen);
  popup.Open(math::Vec2(0.2f, 0.3f), math::Vec2(0.4f, 0.5f), "y");  // open stays open
  EXPECT_EQ(popup.state, well::HintPopup::kOpen);
  popup.Close();
  EXPECT_EQ(popup.state, well::HintPopup::kClosing);
  popup.Close();
  EXPECT_EQ(popup.state, well::HintPopup::kHidden);
}

TEST_F(HelpTest, TheBoxGoesBesideItsTargetWithinTheBounds) {
  struct Case {
    const char* what;
    math::Vec2 min, max, box, expected;
  };
  const Case cases[] = {
      {"right of the target, centred", {0.2f, 0.4f}, {0.3f, 0.5f}, {0.2f, 0.1f}, {0.35f, 0.4f}},
      {"no room right: left", {0.8f, 0.4f}, {0.9f, 0.5f}, {0.2f, 0.1f}, {0.55f, 0.4f}},
      {"above the top: below", {0.2f, 0.0f}, {0.3f, 0.06f}, {0.2f, 0.2f}, {0.35f, 0.11f}},
      {"below the bottom: above", {0.2f, 0.9f}, {0.3f, 0.98f}, {0.2f, 0.2f}, {0.35f, 0.65f}},
      {"no side fits: centred and above", {0.1f, 0.4f}, {0.9f, 0.5f}, {0.3f, 0.1f}, {0.35f, 0.25f}},
      {"no side fits, no room above: below", {0.1f, 0.06f}, {0.9f, 0.2f}, {0.3f, 0.1f}, {0.35f, 0.25f}},
      {"taller than the bounds: centred", {0.4f, 0.4f}, {0.5f, 0.5f}, {0.2f, 1.0f}, {0.55f, 0.02f}},
  };
  well::WellDynamicHelp popup(math::Vec2(0.99f, 0.99f), 0.01f, 0.05f);
  for (const Case& c : cases) {
    popup.rectMin = c.min;
    popup.rectMax = c.max;
    const math::Vec2 at = popup.PlaceBox(c.box);
    EXPECT_NEAR(at.x, c.expected.x, 1e-5f) << c.what;
    EXPECT_NEAR(at.y, c.expected.y, 1e-5f) << c.what;
  }
}

TEST_F(HelpTest, TheBoxIsSizedInFrameCellsToItsText) {
  well::WellDynamicHelp popup(math::Vec2(0.99f, 0.99f), 0.01f, 0.05f);
  popup.SetClock(timer_.get());
  popup.SetUp({"c0", "c1", "c2", "c3"}, "frame.png", "");
  // The stage gives every picture 80 x 60 pixels: cells of a third of that.
  EXPECT_NEAR(popup.FrameCell().x, 80.0f / 3.0f / 800.0f, 1e-6f);
  EXPECT_NEAR(popup.FrameCell().y, 60.0f / 3.0f / 600.0f, 1e-6f);
  popup.Open(math::Vec2(0.1f, 0.1f), math::Vec2(0.2f, 0.2f), "");
  EXPECT_EQ(popup.columns, 2);  // never fewer than two
  EXPECT_EQ(popup.rows, 2);
  popup.Open(math::Vec2(0.1f, 0.1f), math::Vec2(0.2f, 0.2f),
             "A longer text that takes more than two cells of the frame on a line of its own");
  EXPECT_GT(popup.columns, 2);
  EXPECT_EQ(Played("button_press"), 2u);
  popup.Render(math::Vec2(0.0f, 0.0f));  // draws while opening

  well::WellDynamicHelp bare(math::Vec2(0.99f, 0.99f), 0.01f, 0.05f);
  bare.SetUp({"c0", "c1", "c2", "c3"}, "", "");
  EXPECT_NEAR(bare.FrameCell().x, 0.0533333f, 1e-6f);
  EXPECT_NEAR(bare.FrameCell().y, 0.0711111f, 1e-6f);
}

}  // namespace
}  // namespace welltest
