// The fashion popup on the shell's stage with a panel made in code: offers filled from the
// heroine's parts and fitted into their boxes, the power icons and their layout, hovering
// and the zoom, the one purchase per opening, the driver widget and a panel dropped under
// the popup.

#include "game/shell/KivFashionPopup.h"

#include <gtest/gtest.h>

#include <string>

#include "game/board/KivTooltip.h"
#include "game/shell/KivDresses.h"
#include "tests/shell/FashionTest.h"

namespace {

using ui::UIWidget;
using Box = KivFashionPopup::ItemBox;

// Box b's frame is 0.2 x 0.2 at panel-relative (0.25 (b - 1), 0); its icons 0.05 wide
// at (0.25 (b - 1), 0.3) and (0.25 (b - 1) + 0.15, 0.3); its window 0.2 wide below them.
// The panel sits at (0.25, 0.25).
float Left(int b) { return 0.25f + 0.25f * static_cast<float>(b - 1); }

class FashionPopupTest : public shelltest::FashionTest {
 protected:
  void SetUp() override {
    FashionTest::SetUp();
    MakePopupPanel();
  }

  void MakePopupPanel() {
    panel_ = MakePanel(KivFashionPopup::kPanel);
    MakeChild(panel_, "item_name", math::Vec2(0.0f, 0.45f), math::Vec2(0.5f, 0.02f));
    MakeChild(panel_, "item_desc", math::Vec2(0.0f, 0.47f), math::Vec2(0.5f, 0.02f));
    for (int b = 1; b <= 3; ++b) {
      const float x = Left(b) - 0.25f;
      const std::string n = std::to_string(b);
      MakeChild(panel_, "item_box" + n, math::Vec2(x, 0.0f), math::Vec2(0.2f, 0.2f));
      MakeChild(panel_, "power" + n + "_1", math::Vec2(x, 0.3f), math::Vec2(0.05f, 0.05f));
      MakeChild(panel_, "power" + n + "_2", math::Vec2(x + 0.15f, 0.3f), math::Vec2(0.05f, 0.05f));
      MakeChild(panel_, "item_window" + n, math::Vec2(x, 0.28f), math::Vec2(0.2f, 0.1f));
    }
  }

  KivFashionPopup& Popup() {
    KivFashionPopup& popup = KivFashionPopup::Instance();
    popup.Enable(true);
    return popup;
  }
  UIWidget* W(const std::string& name) { return panel_->GetWidgetByName(name); }
  std::string Text(const std::string& name) { return W(name)->GetText(); }
  // The widget's text in the popup's tooltip table, "" without one.
  std::string Tip(const std::string& name) {
    auto* carrier = dynamic_cast<KivTooltipWidget*>(W(KivFashionPopup::kTooltip));
    if (!carrier) return "(no table)";
    for (const KivTooltips::Record& record : carrier->GetTooltips().GetRecords()) {
      if (record.widget.Get() == W(name)) return record.text;
    }
    return "";
  }

  UIWidget* panel_ = nullptr;
};

TEST_F(FashionPopupTest, ConstructionReadsTheFramesHidesTheIconsAndAddsTheDriver) {
  W("power2_1")->SetIsVisible(true);
  KivFashionPopup& popup = KivFashionPopup::Instance();
  EXPECT_FALSE(popup.IsEnabled());
  EXPECT_EQ(Text("item_name"), "");
  EXPECT_EQ(Text("item_desc"), "SELECT_FASHION");
  EXPECT_FALSE(W("power2_1")->GetIsVisible());
  const Box& box = popup.Box(2);
  EXPECT_FLOAT_EQ(box.x1, 0.5f);
  EXPECT_FLOAT_EQ(box.y1, 0.25f);
  EXPECT_FLOAT_EQ(box.x2, 0.7f);
  EXPECT_FLOAT_EQ(box.y2, 0.45f);
  EXPECT_FALSE(box.valid);
  UIWidget* helper = W("fashion_helper");
  ASSERT_NE(helper, nullptr);
  EXPECT_NEAR(helper->GetSize().x, 0.01f, 1e-6f);
  EXPECT_EQ(helper->GetPosition().x, 0.25f);
  // The tooltip carrier follows the driver; scripts set tips of the panel's widgets.
  EXPECT_EQ(panel_->GetChildren().back()->GetName(), KivFashionPopup::kTooltip);
  EXPECT_EQ(panel_->GetChildren().end()[-2], helper);
  popup.SetTooltip("ITEM_NAME", "NAME_TIP");
  EXPECT_EQ(Tip("item_name"), "NAME_TIP");
  popup.SetTooltip("item_name", "");
  EXPECT_EQ(Tip("item_name"), "");
}

TEST_F(FashionPopupTest, NothingChangesWhileDisabledOrForABoxOutsideOneToThree) {
  KivFashionPopup& popup = KivFashionPopup::Instance();
  popup.SetItem(1, "head", 1);
  EXPECT_FALSE(popup.Box(1).valid);
  popup.Enable(true);
  for (int box : {0, 4, -1}) popup.SetItem(box, "head", 1);
  for (int piece : {0, 7}) popup.SetItem(1, "head", piece);
  EXPECT_FALSE(popup.Box(1).valid);
  popup.OnMouseOver(1);  // an invalid box: the texts stay
  EXPECT_EQ(Text("item_desc"), "SELECT_FASHION");
  popup.OnMouseOver(9);
  popup.OnMouseLeave(0);

  // A slot name that none of the three words holds offers from the dress.
  popup.SetItem(3, "hat", 3);
  EXPECT_EQ(popup.Box(3).piece, "dress3");
}

TEST_F(FashionPopupTest, TheImageIsFittedIntoItsFrameAndCentred) {
  Picture("hair1", 384, 60);  // 2.4 frame widths wide, 0.1 high
  Picture("hair2", 80, 600);  // 1 wide, 5 frame heights high
  KivFashionPopup& popup = Popup();
  popup.SetItem(1, "head", 1);
  const Box& wide = popup.Box(1);
  ASSERT_TRUE(wide.valid);
  EXPECT_EQ(wide.piece, "hair1");
  EXPECT_NEAR(wide.w, 0.8333333f * 0.2f, 1e-6f);
  EXPECT_NEAR(wide.h, 0.1f / 2.4f * 0.8333333f, 1e-6f);
  EXPECT_NEAR(wide.x, 0.25f + (0.2f - wide.w) * 0.5f, 1e-6f);
  EXPECT_NEAR(wide.y, 0.25f + (0.2f - wide.h) * 0.5f, 1e-6f);
  EXPECT_FLOAT_EQ(wide.zoom, 1.0f);

  popup.SetItem(2, "head", 2);
  const Box& tall = popup.Box(2);
  EXPECT_NEAR(tall.h, 0.8333333f * 0.2f, 1e-6f);
  EXPECT_NEAR(tall.w, 0.1f / 5.0f * 0.8333333f, 1e-6f);

  popup.SetItem(3, "upper", 1);  // a small one keeps its size
  EXPECT_NEAR(popup.Box(3).w, 0.1f, 1e-6f);
  EXPECT_NEAR(popup.Box(3).h, 0.1f, 1e-6f);

  popup.SetItem(1, "", 0);
  EXPECT_FALSE(popup.Box(1).valid);
}

TEST_F(FashionPopupTest, TheIconsShownAreThoseOfTheStatsCentredInTheWindow) {
  struct Case {
    int piece;           // of the head slot
    const char* first;   // off image of icon 1, or null when hidden
    const char* second;  // of icon 2
    const char* tips[2];
  };
  const Case cases[] = {
      // "red" is no zen power: a flower colour's icon and text of its own
      {3, "bonus_red", "wildcard006", {"BONUS_RED", "TIP_ZENPOWER_LIGHTNING_APPEAR"}},
      {1, "wildcard002", nullptr, {"TIP_ZENPOWER_FIREBALL_APPEAR", ""}},  // Stat1 only
      {2, nullptr, "wildcard005", {"", "TIP_ZENPOWER_TIME_APPEAR"}},      // Stat2 only
      {6, nullptr, nullptr, {"", ""}},                                    // no stats
      {4, nullptr, nullptr, {"", ""}},                                    // no catalogue row
  };
  KivFashionPopup& popup = Popup();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.piece);
    // Each icon starts where the layout put it.
    W("power1_1")->SetPositionRelativeToParent(math::Vec2(0.25f, 0.55f));
    W("power1_2")->SetPositionRelativeToParent(math::Vec2(0.4f, 0.55f));
    popup.SetItem(1, "head", 3);  // both shown before, so that every case hides its own
    popup.SetItem(1, "head", c.piece);
    EXPECT_TRUE(popup.Box(1).valid);
    UIWidget* icons[2] = {W("power1_1"), W("power1_2")};
    const char* images[2] = {c.first, c.second};
    const int shown = (c.first ? 1 : 0) + (c.second ? 1 : 0);
    int k = 0;
    for (int n = 0; n < 2; ++n) {
      SCOPED_TRACE(n + 1);
      EXPECT_EQ(icons[n]->GetIsVisible(), images[n] != nullptr);
      EXPECT_EQ(Tip("power1_" + std::to_string(n + 1)), c.tips[n]);
      if (!images[n]) continue;
      EXPECT_EQ(icons[n]->images[UIWidget::IS_Off].fileName, images[n]);
      // Centred as a group in the window 0.25 to 0.45, keeping their height.
      const float x = (0.25f + 0.45f - static_cast<float>(shown) * 0.05f) * 0.5f + static_cast<float>(k++) * 0.05f;
      EXPECT_NEAR(icons[n]->GetPosition().x, x, 1e-6f);
      EXPECT_NEAR(icons[n]->GetPosition().y, 0.55f, 1e-6f);
    }
  }
}

TEST(FashionPopupIcons, AZenPowerShowsItsPowersIconAnyOtherBonusAnIconOfItsOwn) {
  const struct {
    const char* stat;
    const char* image;
    const char* tip;
  } cases[] = {
      {"match", "wildcard001", "TIP_ZENPOWER_MATCH_APPEAR"},
      {"FireBall", "wildcard002", "TIP_ZENPOWER_FIREBALL_APPEAR"},
      {"Lightning", "wildcard006", "TIP_ZENPOWER_LIGHTNING_APPEAR"},
      {"blue", "bonus_blue", "BONUS_BLUE"},     // a flower colour
      {"Purple", "bonus_purple", "BONUS_PURPLE"},
      {"gem", "bonus_gem", "BONUS_GEM"},        // a block kind
      {"TimeBlock", "bonus_timeblock", "BONUS_TIMEBLOCK"},
  };
  for (const auto& c : cases) {
    const KivFashionPopup::BonusIcon icon = KivFashionPopup::IconOfBonus(c.stat);
    EXPECT_EQ(icon.image, c.image) << c.stat;
    EXPECT_EQ(icon.tip, c.tip) << c.stat;
  }
}

TEST_F(FashionPopupTest, HoveringShowsTheTextsAndGrowsTheOfferAtOneASecond) {
  KivFashionPopup& popup = Popup();
  popup.SetItem(1, "head", 1);
  popup.SetItem(2, "head", 4);  // no catalogue row
  popup.OnMouseOver(1);
  EXPECT_EQ(Text("item_name"), "Bun");
  EXPECT_EQ(Text("item_desc"), "A neat bun");
  popup.Tick(0.1f);
  EXPECT_NEAR(popup.Box(1).zoom, 1.1f, 1e-5f);
  EXPECT_FLOAT_EQ(popup.Box(2).zoom, 1.0f);
  popup.Tick(0.5f);
  EXPECT_FLOAT_EQ(popup.Box(1).zoom, 1.2f);
  popup.OnMouseLeave(1);
  EXPECT_EQ(Text("item_name"), "");
  EXPECT_EQ(Text("item_desc"), "SELECT_FASHION");
  popup.Tick(0.1f);
  EXPECT_NEAR(popup.Box(1).zoom, 1.1f, 1e-5f);
  popup.Tick(0.1f);
  EXPECT_FLOAT_EQ(popup.Box(1).zoom, 1.0f);

  popup.OnMouseOver(2);
  EXPECT_EQ(Text("item_name"), "");
  EXPECT_EQ(Text("item_desc"), "SELECT_FASHION");

  // Disabled, the offers keep still and the mouse changes nothing.
  popup.Enable(false);
  popup.Tick(0.1f);
  EXPECT_FLOAT_EQ(popup.Box(2).zoom, 1.0f);
  popup.OnMouseOver(1);
  EXPECT_FALSE(popup.Box(1).hovered);
}

TEST_F(FashionPopupTest, TheDriverWidgetTicksThePopupWithThePanels) {
  KivFashionPopup& popup = Popup();
  popup.SetItem(1, "head", 1);
  popup.OnMouseOver(1);
  panel_->SetIsVisible(true);
  ui_.Tick(0.05f);
  EXPECT_NEAR(popup.Box(1).zoom, 1.05f, 1e-5f);
  ui_.Render();  // drawn in the highlight pass without harm
}

TEST_F(FashionPopupTest, OneOpeningBuysOnce) {
  KivFashionPopup& popup = Popup();
  EXPECT_TRUE(popup.OnBuyItem(2));
  EXPECT_FALSE(popup.OnBuyItem(2));
  EXPECT_FALSE(popup.IsEnabled());
  Run("GetFashionPopup():Enable(true)\n"
      "first = GetFashionPopup():OnBuyItem(1)\n"
      "second = GetFashionPopup():OnBuyItem(1)\n");
  EXPECT_EQ(Global("first"), "true");
  EXPECT_EQ(Global("second"), "false");
}

TEST_F(FashionPopupTest, APanelDroppedUnderThePopupIsFoundAgainWhenReloaded) {
  KivFashionPopup& popup = Popup();
  popup.SetItem(1, "head", 3);
  ASSERT_TRUE(ui_.DropPanel(panel_, true));
  popup.SetItem(1, "head", 1);
  popup.OnMouseOver(1);
  popup.OnMouseLeave(1);
  popup.SetTooltip("power1_1", "TIP");
  popup.Tick(0.1f);
  popup.Render();

  MakePopupPanel();
  popup.SetItem(2, "head", 1);
  EXPECT_NE(W("fashion_helper"), nullptr);
  EXPECT_TRUE(W("power2_1")->GetIsVisible());
  popup.OnMouseOver(2);
  EXPECT_EQ(Text("item_name"), "Bun");
}

}  // namespace
