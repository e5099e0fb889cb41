// The clothes catalogue, the heroine and her widget on the shell's stage: the catalogue's
// rows, the setup file's rows, dressing from the profile, slots hidden by a worn item, piece
// changes and animations, her extent, the bonuses she gives, and the widget that shows a
// copy of her.

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "engine/ui/SpriteSet.h"
#include "game/shell/KivDresses.h"
#include "game/shell/KivHana.h"
#include "game/shell/KivHanaWidget.h"
#include "game/shell/KivVars.h"
#include "tests/core/LogCapture.h"
#include "tests/shell/FashionTest.h"

namespace {

constexpr int kHead = 0;
constexpr int kUpper = 1;
constexpr int kLower = 2;

const std::string& Current(const KivHana& hana, const char* part) { return hana.FindPart(part)->current; }

void ExpectVec2(const math::Vec2& actual, float x, float y) {
  EXPECT_NEAR(actual.x, x, 1e-5f);
  EXPECT_NEAR(actual.y, y, 1e-5f);
}

using HanaTest = shelltest::FashionTest;

TEST_F(HanaTest, CatalogueKeepsTheFirstRowOfASpriteNameAndLowerCasesTheNamesItMatches) {
  KivDresses dresses;
  EXPECT_EQ(dresses.ItemCount(), 9u);  // the second "hair1" and the nameless row are left out

  struct Case {
    const char* sprite;
    const char* name;
    const char* stat1;
    const char* stat2;
    const char* override;
  };
  const Case cases[] = {
      {"hair1", "Bun", "fireball", "", ""},
      {"HAIR1", "Bun", "fireball", "", ""},
      {"hair2", "Braid", "", "time", ""},
      {"dress2", "Gown", "", "", "lower"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sprite);
    const DressItem* item = dresses.Find(c.sprite);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->Name, c.name);
    EXPECT_EQ(item->Stat1, c.stat1);
    EXPECT_EQ(item->Stat2, c.stat2);
    EXPECT_EQ(item->Override, c.override);
  }
  EXPECT_EQ(dresses.Find("hair1")->SpriteName, "hair1");
  EXPECT_EQ(dresses.Find("hair1")->PartID, "hair");
  EXPECT_FLOAT_EQ(dresses.Find("hair3")->Prob2, 30.0f);
  EXPECT_EQ(dresses.Find(""), nullptr);
  EXPECT_EQ(dresses.Find("hair4"), nullptr);
}

TEST_F(HanaTest, MissingOrBrokenCatalogueLogsAndLeavesItEmptyWhileTheHeroineLoads) {
  for (const char* text : {"", "Clothes = {", "Clothes = 'rows'", "Clothes = {}"}) {
    SCOPED_TRACE(text);
    if (*text) {
      Write(KivDresses::kItemsFile, text);
    } else {
      std::remove(KivDresses::kItemsFile);
    }
    LogCapture log;
    KivDresses dresses;
    EXPECT_EQ(dresses.ItemCount(), 0u);
    const bool fails = std::string(text) == "" || std::string(text) == "Clothes = {";
    EXPECT_EQ(log.Count("Unable to load dress data scripts/items.lua!"), fails ? 1u : 0u);
    ASSERT_NE(dresses.GetHana(), nullptr);
    EXPECT_EQ(dresses.GetHana()->Parts().size(), 4u);
  }
}

TEST_F(HanaTest, SetupRowsNeedANameAndPiecesAndTheFirstPartOfANameTakesItsPieces) {
  Write(KivHana::kSetupFile,
        "Character = {\n"
        "  { Name = 'shadow', Offset = { 8, 8 } },\n"
        "  { Name = 'ghost', Parts = {} },\n"
        "  { Parts = { 'nameless' } },\n"
        "  { Name = 'hair', Offset = { 400, 300 }, Parts = { 'hair1', 'hair2' } },\n"
        "  { Name = 'HAIR', Parts = { 'hair3' } },\n"
        "  { Name = 'body', Parts = { 'body' } },\n"
        "}\n");
  KivHana hana(nullptr);
  ASSERT_EQ(hana.Parts().size(), 3u);
  const HanaPart& first = *hana.Parts()[0];
  const HanaPart& second = *hana.Parts()[1];
  EXPECT_EQ(first.Name, "hair");
  ExpectVec2(first.offset, 0.5f, 0.5f);
  // The second "hair" never gets a piece: every operation by that name reaches the first,
  // its own first piece included.
  EXPECT_EQ(first.current, "hair3");
  EXPECT_EQ(second.current, "");
  EXPECT_EQ(hana.Parts()[2]->current, "body");
  hana.SetPiece("Hair", "hair2");
  EXPECT_EQ(first.current, "hair2");
  EXPECT_EQ(second.current, "");
  ExpectVec2(first.size, 0.1f, 0.1f);
  ExpectVec2(second.size, 0.0f, 0.0f);
}

TEST_F(HanaTest, MissingSetupLeavesHerWithoutPartsAndEveryOperationHarmless) {
  std::remove(KivHana::kSetupFile);
  LogCapture log;
  KivHana hana(nullptr);
  EXPECT_EQ(log.Count("Unable to load character hana/hana_setup.lua!"), 1u);
  EXPECT_TRUE(hana.Parts().empty());
  hana.SetPiece("hair", "hair2");
  hana.SetNext("hair", "hair3");
  hana.Tick(0.1f);
  hana.ReloadCurrent();
  hana.Render();
  ExpectVec2(hana.GetSize(), 0.0f, 0.0f);
}

TEST_F(HanaTest, ReloadCurrentOnAFreshProfileOwnsAndWearsEachSlotsFirstPiece) {
  KivDresses dresses;
  KivHana& hana = *dresses.GetHana();
  hana.SetPiece("hair", "hair3");
  ASSERT_EQ(Worn(kHead), 0);
  hana.ReloadCurrent();
  KivVars& vars = KivVars::Instance();
  for (int slot : {kHead, kUpper, kLower}) {
    EXPECT_EQ(Worn(slot), 1);
    EXPECT_EQ(vars.GetValue(KivVars::kHeadOwned + slot), 1);
  }
  EXPECT_EQ(Current(hana, "hair"), "hair1");
  EXPECT_EQ(Current(hana, "dress"), "dress1");
  EXPECT_EQ(Current(hana, "skirt"), "skirt1");

  // A worn number beyond the part's list leaves the part as it is.
  hana.SetPiece("hair", "hair3");
  Wear(kHead, 7);
  hana.ReloadCurrent();
  EXPECT_EQ(Current(hana, "hair"), "hair3");
}

TEST_F(HanaTest, AWornItemHidesTheSlotItNamesWhateverTheCaseOfTheQuestion) {
  KivDresses dresses;
  KivHana& hana = *dresses.GetHana();
  Wear(kHead, 1);
  Wear(kUpper, 2);  // the gown hides the lower slot
  Wear(kLower, 2);
  for (const char* slot : {"lower", "LOWER", "Lower"}) EXPECT_FALSE(hana.IsAvailable(slot)) << slot;
  EXPECT_TRUE(hana.IsAvailable("upper"));
  EXPECT_TRUE(hana.IsAvailable("head"));
  hana.ReloadCurrent();
  EXPECT_EQ(Current(hana, "dress"), "dress2");
  EXPECT_EQ(Current(hana, "skirt"), "none");
  EXPECT_EQ(Worn(kLower), 2);  // the choice stays for when the gown comes off

  Wear(kUpper, 3);
  EXPECT_TRUE(hana.IsAvailable("lower"));
  hana.ReloadCurrent();
  EXPECT_EQ(Current(hana, "skirt"), "skirt2");
}

TEST_F(HanaTest, TheShownPieceKeepsItsAnimationAndQueuedPiecesWaitForTheLoopsEnd) {
  // "twirl": 4 frames of 0.1 s, looping.
  ASSERT_TRUE(ui::GetSpriteSet().AddSprite("twirl", "img/twirl.png", 4, 0.1f, 0, 0, false, false, 0, 0, "t"));
  KivHana hana(nullptr);
  hana.SetPiece("hair", "twirl");
  HanaPart& hair = *hana.FindPart("hair");
  ASSERT_NE(hair.sprite.strip, nullptr);
  hana.Tick(0.15f);
  const float clock = hair.sprite.time;
  EXPECT_GT(clock, 0.0f);
  hana.SetPiece("HAIR", "twirl");
  EXPECT_FLOAT_EQ(hair.sprite.time, clock);

  hana.SetNext("hair", "hair2");
  hana.SetNext("dress", "dress3");
  EXPECT_EQ(Current(hana, "dress"), "dress1");  // queued, not shown
  hana.Tick(0.01f);
  EXPECT_EQ(Current(hana, "dress"), "dress3");  // a still piece gives way at once
  EXPECT_EQ(hana.FindPart("dress")->next, "");
  EXPECT_EQ(Current(hana, "hair"), "twirl");
  for (int i = 0; i < 30 && Current(hana, "hair") == "twirl"; ++i) hana.Tick(0.05f);
  EXPECT_EQ(Current(hana, "hair"), "hair2");

  // Hidden, she neither animates nor changes.
  hana.SetVisible(false);
  hana.SetNext("dress", "dress4");
  hana.Tick(0.1f);
  EXPECT_EQ(Current(hana, "dress"), "dress3");
}

TEST_F(HanaTest, SizeIsTheExtentFromHerPositionAndGrowsWithTheScale) {
  Picture("hair1", 160, 60);  // 0.2 wide
  KivHana hana(nullptr);
  ExpectVec2(hana.GetSize(), 0.2f, 0.3f);
  hana.SetScale(2.0f);
  ExpectVec2(hana.GetSize(), 0.4f, 0.6f);
  hana.SetPos(math::Vec2(0.3f, 0.1f));
  ExpectVec2(hana.GetSize(), 0.4f, 0.6f);
  hana.Render();
  ExpectVec2(hana.FindPart("skirt")->sprite.position, 0.3f, 0.1f + 2.0f * 0.2f);
  ExpectVec2(hana.FindPart("skirt")->sprite.size, 0.2f, 0.2f);
}

TEST_F(HanaTest, StatsOfTheWornPiecesAreAppendedPartByPart) {
  KivDresses dresses;
  KivHana& hana = *dresses.GetHana();
  std::vector<KivDresses::Stat> stats = {{"kept", 1.0f}};
  hana.SetPiece("hair", "hair2");  // Stat2 only
  dresses.CollectStats(&hana, stats);
  ASSERT_EQ(stats.size(), 3u);  // and skirt1's
  EXPECT_EQ(stats[0].first, "kept");
  EXPECT_EQ(stats[1], KivDresses::Stat("time", 5.0f));
  EXPECT_EQ(stats[2], KivDresses::Stat("tilegrab", 15.0f));

  stats.clear();
  hana.SetPiece("hair", "hair3");
  hana.SetPiece("skirt", "none");
  dresses.CollectStats(&hana, stats);
  ASSERT_EQ(stats.size(), 2u);
  EXPECT_EQ(stats[0], KivDresses::Stat("red", 20.0f));
  EXPECT_EQ(stats[1], KivDresses::Stat("lightning", 30.0f));
  dresses.CollectStats(nullptr, stats);
  EXPECT_EQ(stats.size(), 2u);
}

TEST_F(HanaTest, ResetRebuildsThePartsAndDressesHerFromTheProfile) {
  KivDresses dresses;
  KivHana& hana = *dresses.GetHana();
  hana.SetPos(math::Vec2(0.2f, 0.2f));
  hana.SetScale(3.0f);
  hana.SetNext("hair", "hair5");
  Wear(kHead, 3);
  hana.Reset();
  EXPECT_EQ(Current(hana, "hair"), "hair3");
  EXPECT_EQ(hana.FindPart("hair")->next, "");
  ExpectVec2(hana.GetPos(), 0.2f, 0.2f);
  EXPECT_FLOAT_EQ(hana.GetScale(), 3.0f);
}

TEST_F(HanaTest, ScriptsReachTheHeroineThroughGetHana) {
  Wear(kHead, 2);
  Run("local hana = GetHana()\n"
      "hana:ReloadCurrent()\n"
      "hana:SetPiece('dress', 'dress3')\n"
      "hana:SetScale(2)\n"
      "hana:SetVisible(false)\n"
      "visible = hana:IsVisible()\n"
      "lower = hana:IsAvailable('lower')\n");
  KivHana& hana = *KivDresses::Instance().GetHana();
  EXPECT_EQ(Current(hana, "hair"), "hair2");
  EXPECT_EQ(Current(hana, "dress"), "dress3");
  EXPECT_FLOAT_EQ(hana.GetScale(), 2.0f);
  EXPECT_EQ(Global("visible"), "false");
  EXPECT_EQ(Global("lower"), "true");
}

// --- The widget ---

class HanaWidgetTest : public shelltest::FashionTest {
 protected:
  void SetUp() override {
    FashionTest::SetUp();
    dresses_ = std::make_unique<KivDresses>();
    frame_ = MakeChild(MakePanel("studio"), "frame", math::Vec2(0.1f, 0.1f), math::Vec2(0.2f, 0.3f));
  }
  void TearDown() override {
    dresses_.reset();
    FashionTest::TearDown();
  }
  KivHanaWidget* Attach() {
    auto* widget = new KivHanaWidget(*dresses_->GetHana());
    frame_->AddChild(widget);
    return widget;
  }

  std::unique_ptr<KivDresses> dresses_;
  ui::UIWidget* frame_ = nullptr;
};

TEST_F(HanaWidgetTest, FitsItsParentWithTheLargerScaleOfTheTwoDirections) {
  KivHanaWidget* widget = Attach();
  EXPECT_EQ(widget->GetName(), "kiv_hana_widget");
  widget->FitToParent();
  // 0.2 x 0.3 over an extent of 0.1 x 0.3: twice as wide, exactly as high.
  ExpectVec2(widget->GetPosition(), 0.35f, 0.35f);
  ExpectVec2(widget->GetSize(), 0.2f, 0.3f);
  EXPECT_FLOAT_EQ(widget->GetHana()->GetScale(), 2.0f);
  ExpectVec2(widget->GetHana()->GetPos(), 0.35f, 0.35f);

  // Fitted again, it measures at scale 1 first.
  widget->FitToParent();
  EXPECT_FLOAT_EQ(widget->GetHana()->GetScale(), 2.0f);
}

TEST_F(HanaWidgetTest, WithoutParentOnlyTheScaleIsFittedAndWithoutExtentItStaysOne) {
  KivHanaWidget loose(*dresses_->GetHana());
  loose.Create("kiv_hana_widget", math::Vec2(0.5f, 0.5f), math::Vec2(0.05f, 0.6f));
  loose.FitToParent();
  ExpectVec2(loose.GetPosition(), 0.5f, 0.5f);
  ExpectVec2(loose.GetSize(), 0.05f, 0.6f);
  EXPECT_FLOAT_EQ(loose.GetHana()->GetScale(), 2.0f);

  // A copy without parts (a setup file that failed) has no extent to divide by.
  Write(KivHana::kSetupFile, "Character = nil");
  KivHanaWidget empty(*dresses_->GetHana());
  empty.Create("kiv_hana_widget", math::Vec2(0.5f, 0.5f), math::Vec2(0.05f, 0.6f));
  empty.FitToParent();
  EXPECT_FLOAT_EQ(empty.GetHana()->GetScale(), 1.0f);
}

TEST_F(HanaWidgetTest, AHiddenWidgetNeitherTicksNorDrawsItsCopyUnlessForced) {
  KivHanaWidget* widget = Attach();
  widget->FitToParent();
  KivHana& copy = *widget->GetHana();
  widget->SetIsVisible(false);
  copy.SetNext("dress", "dress3");
  widget->Tick(0.1f);
  EXPECT_EQ(Current(copy, "dress"), "dress1");
  copy.SetPos(math::Vec2(0.0f, 0.0f));
  widget->Render(false);
  ExpectVec2(copy.GetPos(), 0.0f, 0.0f);
  widget->Render(true);
  ExpectVec2(copy.GetPos(), 0.35f, 0.35f);

  widget->SetIsVisible(true);
  widget->Tick(0.1f);
  EXPECT_EQ(Current(copy, "dress"), "dress3");
}

TEST_F(HanaWidgetTest, TheCopyFollowsTheWidgetAndKeepsItsOwnClothes) {
  KivHanaWidget* widget = Attach();
  widget->FitToParent();
  widget->SetPosition(math::Vec2(0.05f, 0.0f));
  widget->Render(false);
  ExpectVec2(widget->GetHana()->GetPos(), 0.4f, 0.35f);
  ExpectVec2(widget->GetHana()->FindPart("dress")->sprite.position, 0.4f, 0.35f + 2.0f * 0.1f);

  // Dressing the heroine does not reach the copy until its creator copies her pieces.
  KivHana& hana = *dresses_->GetHana();
  hana.SetPiece("hair", "hair4");
  EXPECT_EQ(Current(*widget->GetHana(), "hair"), "hair1");
  widget->GetHana()->SetPieces(hana);
  EXPECT_EQ(Current(*widget->GetHana(), "hair"), "hair4");
}

}  // namespace
