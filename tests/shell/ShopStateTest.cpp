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
    shop_->panels.assign(1, shopPanel_);
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
  EXPECT_EQ(shop_->hanaPlace, nullptr);
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
