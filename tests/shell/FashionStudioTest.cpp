// The fashion studio on the shell's stage with a panel made in code: stepping through the
// owned pieces (wrapping, hidden slots, pieces beyond the part's list), the texts, boxes
// (with the worn piece's picture) and buttons of each slot, the coins, the heroine's copy, the drawing order, the
// parts-changed flag, the refresh script, the studio's tip ended by a piece tried on and a
// panel dropped under the studio.

#include "game/shell/KivFashionStudio.h"

#include <gtest/gtest.h>

#include <string>

#include "game/board/KivHelp.h"
#include "game/board/KivTooltip.h"
#include "game/shell/KivDresses.h"
#include "game/shell/KivHana.h"
#include "game/shell/KivHanaWidget.h"
#include "game/shell/KivPieceWidget.h"
#include "game/shell/KivVars.h"
#include "tests/shell/FashionTest.h"

namespace {

using ui::UIWidget;

constexpr int kHead = 0;
constexpr int kUpper = 1;
constexpr int kLower = 2;
const char* const kSlots[] = {"head", "upper", "lower"};

class FashionStudioTest : public shelltest::FashionTest {
 protected:
  void SetUp() override {
    FashionTest::SetUp();
    MakeStudioPanel();
  }

  void MakeStudioPanel() {
    panel_ = MakePanel(KivFashionStudio::kPanel);
    MakeChild(panel_, "hana_pos", math::Vec2(0.0f, 0.0f), math::Vec2(0.2f, 0.3f));
    for (const char* slot : kSlots) {
      for (const char* row : {"_name", "_desc", "_prev", "_next", "_box"}) {
        MakeChild(panel_, std::string(slot) + row, math::Vec2(0.3f, 0.0f), math::Vec2(0.1f, 0.05f));
      }
    }
    MakeChild(panel_, "coins_box", math::Vec2(0.3f, 0.4f), math::Vec2(0.1f, 0.05f));
  }

  KivFashionStudio& Studio() {
    KivFashionStudio& studio = KivFashionStudio::Instance();
    studio.Enable(true);
    return studio;
  }
  UIWidget* W(const std::string& name) { return panel_->GetWidgetByName(name); }
  std::string Text(const std::string& name) { return W(name)->GetText(); }
  // The piece the slot's box shows ("<slot>_piece", made by the studio in the box).
  std::string Piece(const std::string& slot) {
    auto* piece = dynamic_cast<KivPieceWidget*>(W(slot + "_box")->GetWidgetByName(slot + "_piece"));
    return piece ? piece->GetPiece() : "no piece widget";
  }
  bool Shown(const std::string& name) { return W(name)->GetIsVisible(); }
  // Runs of "RefreshFashionZenPowers()" so far.
  int Refreshes() {
    const std::string count = Global("powers");
    return count.empty() ? 0 : std::stoi(count);
  }

  UIWidget* panel_ = nullptr;
};

TEST_F(FashionStudioTest, ConstructionPutsADressedCopyFirstInItsFrameAndEmptiesTheTexts) {
  W("head_name")->SetText("old");
  UIWidget* frame = W("hana_pos");
  MakeChild(frame, "backdrop", math::Vec2(0.0f, 0.0f), math::Vec2(0.2f, 0.3f));
  KivFashionStudio& studio = KivFashionStudio::Instance();
  EXPECT_FALSE(studio.IsEnabled());
  ASSERT_NE(studio.Avatar(), nullptr);
  EXPECT_EQ(frame->GetChildren().front(), studio.Avatar());
  EXPECT_EQ(Text("head_name"), "");
  EXPECT_EQ(Text("lower_desc"), "");

  auto* carrier = dynamic_cast<KivTooltipWidget*>(panel_->GetChildren().back());
  ASSERT_NE(carrier, nullptr);
  EXPECT_EQ(carrier->GetName(), KivFashionStudio::kTooltip);
  studio.SetTooltip("head_next", "NEXT_TIP");
  studio.SetTooltip("no_such_widget", "LOST");
  ASSERT_EQ(carrier->GetTooltips().GetRecords().size(), 1u);
  EXPECT_EQ(carrier->GetTooltips().GetRecords()[0].widget.Get(), W("head_next"));
  EXPECT_EQ(carrier->GetTooltips().GetRecords()[0].text, "NEXT_TIP");
}

TEST_F(FashionStudioTest, ASlotWithOnePieceOwnedShowsItWithNothingToChoose) {
  Own(kHead, {1, 2});
  Own(kUpper, {1});
  Own(kLower, {1, 2});
  Wear(kHead, 2);
  KivFashionStudio& studio = Studio();
  studio.RefreshParts();

  // She wears the one piece she owns: it shows, without the buttons to step.
  EXPECT_EQ(Text("upper_name"), "Frock");
  EXPECT_EQ(Text("upper_desc"), "Cotton");
  EXPECT_TRUE(Shown("upper_box"));
  EXPECT_EQ(Piece("upper"), "dress1");
  EXPECT_FALSE(Shown("upper_prev"));
  EXPECT_FALSE(Shown("upper_next"));

  EXPECT_EQ(Piece("head"), "hair2");
  EXPECT_EQ(Text("head_name"), "Braid");
  EXPECT_EQ(Text("head_desc"), "Long");
  EXPECT_TRUE(Shown("head_box"));
  EXPECT_TRUE(Shown("head_prev"));
  EXPECT_TRUE(Shown("head_next"));
  EXPECT_EQ(Text("lower_name"), "Pleats");

  // The copy wears the outfit and fills its frame.
  KivHanaWidget* avatar = studio.Avatar();
  EXPECT_EQ(avatar->GetHana()->FindPart("hair")->current, "hair2");
  EXPECT_FLOAT_EQ(avatar->GetHana()->GetScale(), 2.0f);

  // A piece without a catalogue row leaves the slot's texts and box as they were.
  Wear(kHead, 4);
  Own(kHead, {1, 4});
  studio.RefreshParts();
  EXPECT_EQ(Text("head_name"), "Braid");
  EXPECT_EQ(avatar->GetHana()->FindPart("hair")->current, "hair4");
}

TEST_F(FashionStudioTest, ChangePartWrapsThroughTheOwnedPiecesOfAPartOf32) {
  std::string pieces;
  for (int n = 1; n <= 32; ++n) pieces += "'hair" + std::to_string(n) + "', ";
  Write(KivHana::kSetupFile, "Character = { { Name = 'hair', Parts = { " + pieces + "} } }\n");
  struct Case {
    int current;
    bool forward;
    int expected;
  };
  const Case cases[] = {
      {32, true, 1},  // past 32 to 1
      {32, false, 3},
      {1, true, 3},
      {1, false, 32},
      {3, true, 32},
      {0, true, 3},  // none chosen counts as piece 1
      {0, false, 32},
  };
  KivFashionStudio& studio = Studio();
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.current) + (c.forward ? " forward" : " backward"));
    Own(kHead, {1, 3, 32});
    Wear(kHead, c.current);
    const int before = Refreshes();
    studio.ChangePart("head", c.forward);
    EXPECT_EQ(Worn(kHead), c.expected);
    EXPECT_EQ(Refreshes(), before + 1);
  }
  // With one piece owned there is nowhere to go.
  Own(kHead, {3});
  Wear(kHead, 3);
  studio.ChangePart("head", true);
  EXPECT_EQ(Worn(kHead), 3);
}

TEST_F(FashionStudioTest, AllPiecesOwnedStepsOnlyThroughThePiecesThePartHolds) {
  KivVars::Instance().GetAllFashion();
  KivFashionStudio& studio = Studio();
  Wear(kUpper, 6);
  studio.ChangePart("upper", true);
  EXPECT_EQ(Worn(kUpper), 1);
  studio.ChangePart("upper", false);
  EXPECT_EQ(Worn(kUpper), 6);
  EXPECT_EQ(KivDresses::Instance().GetHana()->FindPart("dress")->current, "dress6");

  // Owning only pieces beyond the list counts as owning one piece.
  Own(kLower, {1, 7, 20});
  Wear(kLower, 1);
  studio.ChangePart("lower", true);
  EXPECT_EQ(Worn(kLower), 1);
  studio.RefreshParts();
  EXPECT_EQ(Text("lower_desc"), "Wool");
  EXPECT_FALSE(Shown("lower_next"));
}

// The level offers the studio's tip while she owns clothes she has not tried on; once she
// tries a piece on in the studio, it is no longer due.
TEST_F(FashionStudioTest, TryingAPieceOnEndsTheStudiosTip) {
  const KivHelp help;
  const auto due = [&help] { return help.ShouldShowHint(KivHelp::kStudioTip); };
  Own(kHead, {1, 2});
  Own(kUpper, {1});
  Wear(kHead, 1);
  Wear(kUpper, 1);
  KivFashionStudio& studio = Studio();
  studio.RefreshParts();
  EXPECT_TRUE(due()) << "a new piece bought, the studio opened";
  studio.ChangePart("upper", true);  // nothing else to wear
  EXPECT_EQ(Worn(kUpper), 1);
  EXPECT_TRUE(due());
  studio.ChangePart("head", true);
  EXPECT_EQ(Worn(kHead), 2);
  EXPECT_FALSE(due()) << "the piece is worn";
  KivVars::Instance().ResetHints();
  EXPECT_TRUE(due()) << "the tips reset";
}

TEST_F(FashionStudioTest, AHiddenSlotCannotChangeAndShowsNotAvailable) {
  Own(kUpper, {1, 2});
  Own(kLower, {1, 2, 3});
  Wear(kUpper, 2);  // the gown hides the skirt
  Wear(kLower, 1);
  KivFashionStudio& studio = Studio();
  studio.ChangePart("lower", true);
  EXPECT_EQ(Worn(kLower), 1);
  studio.RefreshParts();
  EXPECT_EQ(Text("lower_desc"), "NOT_AVAILABLE");
  EXPECT_FALSE(Shown("lower_box"));
  EXPECT_FALSE(Shown("lower_prev"));
  EXPECT_EQ(studio.Avatar()->GetHana()->FindPart("skirt")->current, "none");

  // Disabled, nothing steps.
  studio.Enable(false);
  studio.ChangePart("upper", true);
  EXPECT_EQ(Worn(kUpper), 2);
}

TEST_F(FashionStudioTest, CoinsShowUngrouped) {
  KivVars::Instance().SetCoins(1234567);
  Studio().RefreshParts();
  EXPECT_EQ(Text("coins_box"), "1234567");
}

TEST_F(FashionStudioTest, ShownItIsDrawnLastAndHiddenFirst) {
  KivFashionStudio& studio = KivFashionStudio::Instance();
  UIWidget* other = MakePanel("other");
  ASSERT_EQ(ui_.GetPanels().back(), other);
  studio.SetIsVisible(true);
  EXPECT_TRUE(studio.IsEnabled());
  EXPECT_TRUE(studio.GetIsVisible());
  EXPECT_EQ(ui_.GetPanels().back(), panel_);
  studio.SetIsVisible(false);
  EXPECT_FALSE(studio.IsEnabled());
  EXPECT_FALSE(studio.GetIsVisible());
  EXPECT_EQ(ui_.GetPanels().front(), panel_);
}

TEST_F(FashionStudioTest, PartsChangedIsTakenOnceAndNeverWhileDisabled) {
  KivFashionStudio& studio = KivFashionStudio::Instance();
  studio.RefreshParts();  // disabled: nothing
  EXPECT_EQ(Refreshes(), 0);
  studio.Enable(true);
  EXPECT_FALSE(studio.TakePartsChanged());
  studio.RefreshParts();
  EXPECT_EQ(Refreshes(), 1);
  EXPECT_TRUE(studio.TakePartsChanged());
  EXPECT_FALSE(studio.TakePartsChanged());
  studio.RefreshParts();
  EXPECT_EQ(Refreshes(), 2);
  studio.Enable(false);
  EXPECT_FALSE(studio.TakePartsChanged());
  studio.Enable(true);
  EXPECT_TRUE(studio.TakePartsChanged());
}

TEST_F(FashionStudioTest, ScriptsDriveItThroughGetStudio) {
  Own(kHead, {1, 2});
  Run("GetStudio():SetIsVisible(true)\n"
      "GetStudio():RefreshParts()\n"
      "GetStudio():ChangePart('head', true)\n"
      "visible = GetStudio():GetIsVisible()\n");
  EXPECT_EQ(Worn(kHead), 2);
  EXPECT_EQ(Global("visible"), "true");
  EXPECT_EQ(Refreshes(), 2);
}

TEST_F(FashionStudioTest, APanelDroppedUnderTheStudioIsFoundAgainWhenReloaded) {
  KivFashionStudio& studio = Studio();
  ASSERT_TRUE(ui_.DropPanel(panel_, true));
  EXPECT_FALSE(studio.GetIsVisible());
  EXPECT_EQ(studio.Avatar(), nullptr);
  studio.RefreshParts();
  studio.ChangePart("head", true);
  studio.SetIsVisible(true);
  studio.SetTooltip("head_next", "NEXT");

  MakeStudioPanel();
  Own(kHead, {1, 2});
  Wear(kHead, 2);
  studio.RefreshParts();
  ASSERT_NE(studio.Avatar(), nullptr);
  EXPECT_EQ(W("hana_pos")->GetChildren().front(), studio.Avatar());
  EXPECT_EQ(Text("head_name"), "Braid");
}

}  // namespace
