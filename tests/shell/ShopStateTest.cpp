// The shop: the heroine placed and scaled into "hana_pos", the studio opened over it, and the
// way on to the map once the studio is closed, once per visit.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "game/shell/KivDresses.h"
#include "game/shell/KivFashionStudio.h"
#include "game/shell/KivHana.h"
#include "game/shell/KivVars.h"
#include "game/shell/MenuScreens.h"
#include "tests/shell/FashionTest.h"

namespace {

using ui::UIWidget;

class ShopStateTest : public shelltest::FashionTest {
 protected:
  void SetUp() override {
    FashionTest::SetUp();
    Run("Ran = '' function MapAsia() Ran = Ran .. 'MapAsia ' end function MapZen() Ran = Ran .. 'MapZen ' end");
    shopPanel_ = MakePanel("shop");
    shop_ = std::make_unique<KivShopState>(nullptr, "", "", "", "");
    shop_->AttachPanel(shopPanel_);
  }
  void TearDown() override {
    shop_.reset();
    KivVars::Instance().SetFreeplay(false);
    FashionTest::TearDown();
  }

  UIWidget* MakeStudio() {
    UIWidget* studio = MakePanel(KivFashionStudio::kPanel);
    MakeChild(studio, "hana_pos", math::Vec2(0.0f, 0.0f), math::Vec2(0.2f, 0.3f));
    return studio;
  }
  static KivHana& Hana() { return *KivDresses::Instance().GetHana(); }

  UIWidget* shopPanel_ = nullptr;
  std::unique_ptr<KivShopState> shop_;
};

TEST_F(ShopStateTest, TheHeroineCoversHerPlaceAndTheStudioOpensOverTheShop) {
  UIWidget* studio = MakeStudio();
  MakeChild(shopPanel_, "hana_pos", math::Vec2(0.1f, 0.2f), math::Vec2(0.3f, 0.3f));
  ASSERT_NE(KivDresses::Instance().GetHana(), nullptr);
  Hana().SetScale(1.0f);  // 0.1 x 0.3 of the play area
  shop_->OnEnter();
  EXPECT_EQ(Hana().GetPos(), shopPanel_->GetWidgetByName("hana_pos")->GetPosition());
  EXPECT_FLOAT_EQ(Hana().GetScale(), 3.0f);  // the larger of 0.3 / 0.1 and 0.3 / 0.3
  EXPECT_TRUE(studio->GetIsVisible());
  EXPECT_TRUE(KivFashionStudio::Instance().IsEnabled());
  EXPECT_EQ(ui_.GetPanels().back(), studio) << "drawn last";
  for (int i = 0; i < 5; ++i) shop_->Tick(0.02f);
  EXPECT_EQ(Global("Ran"), "") << "the studio is open";
  shop_->OnExit();
  EXPECT_FALSE(studio->GetIsVisible());
  EXPECT_FALSE(KivFashionStudio::Instance().IsEnabled());
}

TEST_F(ShopStateTest, AShopWithoutAPlaceLeavesTheHeroineWhereSheWasAndStillOpensTheStudio) {
  UIWidget* studio = MakeStudio();
  Hana().SetPos(math::Vec2(0.5f, 0.25f));
  Hana().SetScale(0.75f);
  shop_->OnEnter();
  EXPECT_FALSE(shop_->hanaPlace);
  EXPECT_EQ(Hana().GetPos(), math::Vec2(0.5f, 0.25f));
  EXPECT_FLOAT_EQ(Hana().GetScale(), 0.75f);
  EXPECT_TRUE(studio->GetIsVisible());
}

TEST_F(ShopStateTest, ClosingTheStudioSendsTheMapOfTheModeInPlayOnceAVisit) {
  UIWidget* studio = MakeStudio();
  for (const bool freePlay : {false, true}) {
    SCOPED_TRACE(freePlay ? "free play" : "story");
    Run("Ran = ''");
    KivVars::Instance().SetFreeplay(freePlay);
    shop_->OnEnter();
    shop_->Tick(0.02f);
    KivFashionStudio::Instance().SetIsVisible(false);
    for (int i = 0; i < 20; ++i) shop_->Tick(0.02f);
    EXPECT_EQ(Global("Ran"), freePlay ? "MapZen " : "MapAsia ");
    shop_->OnExit();
  }
  EXPECT_FALSE(studio->GetIsVisible());
}

TEST_F(ShopStateTest, WithoutAStudioPanelTheFirstTickSendsTheMap) {
  shop_->OnEnter();
  shop_->Tick(0.02f);
  EXPECT_EQ(Global("Ran"), "MapAsia ");
  shop_->Tick(0.02f);
  EXPECT_EQ(Global("Ran"), "MapAsia ");
}

// The console reloads the visible panels (RefreshActive) while the shop shows: the shop's
// panel is deleted and loaded again. Leaving hides the reloaded panel, and the next visit
// places the heroine in its "hana_pos" (the screen once followed its pointer to the
// deleted panel).
TEST_F(ShopStateTest, AfterTheShownPanelsAreReloadedTheShopUsesTheNewPanel) {
  MakeStudio();
  Write("ui/shop_file.ui",
        "Panel = { Name = 'shop_file', Size = { 1, 1 }, Children = {"
        " { Name = 'hana_pos', Pos = { 0.1, 0.2 }, Size = { 0.3, 0.3 } } } }\n");
  KivShopState shop(nullptr, "ui/shop_file.ui", "", "", "");
  ui::UIWidget* first = shop.GetPanel(0);
  ASSERT_NE(first, nullptr);
  shop.OnEnter();
  EXPECT_TRUE(first->GetIsVisible());
  EXPECT_EQ(shop.hanaPlace.Get(), first->GetWidgetByName("hana_pos"));

  Run("GetUIMan():RefreshActive()");
  ui::UIWidget* reloaded = ui_.GetPanel("shop_file");
  ASSERT_NE(reloaded, nullptr);
  EXPECT_FALSE(shop.hanaPlace) << "the place went with the old panel";
  shop.Tick(0.02f);
  shop.OnExit();
  EXPECT_FALSE(reloaded->GetIsVisible()) << "leaving hides the reloaded panel";

  reloaded->GetWidgetByName("hana_pos")->SetPosition(math::Vec2(0.3f, 0.1f));
  Hana().SetScale(1.0f);
  shop.OnEnter();
  EXPECT_EQ(shop.GetPanel(0), reloaded);
  EXPECT_TRUE(reloaded->GetIsVisible());
  EXPECT_EQ(shop.hanaPlace.Get(), reloaded->GetWidgetByName("hana_pos"));
  EXPECT_EQ(Hana().GetPos(), math::Vec2(0.3f, 0.1f));
  shop.OnExit();
}

TEST(ShopScaleTest, AHeroineWithoutExtentKeepsHerScale) {
  struct Case {
    math::Vec2 place, size;
    float expected;
  };
  const Case cases[] = {
      {{0.3f, 0.3f}, {0.1f, 0.3f}, 3.0f},
      {{0.2f, 0.9f}, {0.1f, 0.3f}, 3.0f},
      {{0.3f, 0.3f}, {0.0f, 0.3f}, 1.5f},  // no width: no division by zero
      {{0.3f, 0.3f}, {0.1f, 0.0f}, 1.5f},
      {{0.3f, 0.3f}, {0.0f, 0.0f}, 1.5f},
  };
  for (const Case& c : cases) {
    EXPECT_FLOAT_EQ(KivShopState::CoverScale(1.5f, c.place, c.size), c.expected)
        << c.size.x << " x " << c.size.y;
  }
}

}  // namespace
