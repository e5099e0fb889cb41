#include "tests/shell/FashionTest.h"

#include "engine/ui/SpriteSet.h"
#include "game/shell/KivDresses.h"
#include "game/shell/KivFashionPopup.h"
#include "game/shell/KivFashionStudio.h"
#include "game/shell/KivHana.h"
#include "game/shell/KivVars.h"
#include "tests/support/TestEnv.h"

namespace shelltest {

const char* const FashionTest::kItems =
    "Clothes = {\n"
    "  { SpriteName = 'hair1', Name = 'Bun', Description = 'A neat bun', Stat1 = 'FireBall', Prob1 = 10,\n"
    "    PartID = 'Hair' },\n"
    "  { SpriteName = 'HAIR1', Name = 'Second bun' },\n"
    "  { SpriteName = 'hair2', Name = 'Braid', Description = 'Long', Stat2 = 'Time', Prob2 = 5 },\n"
    "  { SpriteName = 'hair3', Name = 'Bob', Description = 'Short', Stat1 = 'red', Prob1 = 20,\n"
    "    Stat2 = 'lightning', Prob2 = 30 },\n"
    "  { SpriteName = 'hair6', Name = 'Veil', Description = 'Light' },\n"
    "  { SpriteName = 'dress1', Name = 'Frock', Description = 'Cotton' },\n"
    "  { SpriteName = 'dress2', Name = 'Gown', Description = 'To the floor', Override = 'Lower' },\n"
    "  { SpriteName = 'dress3', Name = 'Tunic', Description = 'Linen' },\n"
    "  { SpriteName = 'skirt1', Name = 'Pleats', Description = 'Wool', Stat1 = 'tilegrab', Prob1 = 15 },\n"
    "  { SpriteName = 'skirt2', Name = 'Kilt', Description = 'Tartan' },\n"
    "  { SpriteName = '', Name = 'Nameless', Stat1 = 'match', Prob1 = 50 },\n"
    "}\n";

const char* const FashionTest::kSetup =
    "Character = {\n"
    "  { Name = 'body', Offset = { 0, 0 }, Parts = { 'body' } },\n"
    "  { Name = 'hair', Offset = { 0, 0 }, Parts = { 'hair1', 'hair2', 'hair3', 'hair4', 'hair5', 'hair6' } },\n"
    "  { Name = 'dress', Offset = { 0, 60 }, Parts = { 'dress1', 'dress2', 'dress3', 'dress4', 'dress5', 'dress6' } },\n"
    "  { Name = 'skirt', Offset = { 0, 120 }, Parts = { 'skirt1', 'skirt2', 'skirt3', 'skirt4', 'skirt5', 'skirt6' } },\n"
    "}\n";

void FashionTest::SetUp() {
  ShellUITest::SetUp();
  rms_ = std::make_unique<GameRMS>(testenv::MakeTempDir("fashion_rms") + "/kx_test.rms");
  rms_->Load();
  ASSERT_TRUE(rms_->AddProfile("Anna", "", "oslo"));
  KivVars::Instance().store = rms_.get();
  Write(KivDresses::kItemsFile, kItems);
  Write(KivHana::kSetupFile, kSetup);
  Run("function RefreshFashionZenPowers() powers = (powers or 0) + 1 end\n");
}

void FashionTest::TearDown() {
  KivFashionPopup::Destroy();
  KivFashionStudio::Destroy();
  KivDresses::Destroy();
  ui::GetSpriteSet().Clear();
  KivVars::Instance().store = nullptr;
  ShellUITest::TearDown();
}

void FashionTest::Picture(const std::string& name, int width, int height) {
  auto surface = std::make_unique<spritetest::FakeSurface>();
  surface->width = width;
  surface->height = height;
  renderer_.surfaces[name] = std::move(surface);
}

void FashionTest::Own(int slot, std::initializer_list<int> pieces) {
  int bits = 0;
  for (int piece : pieces) bits |= 1 << (piece - 1);
  KivVars::Instance().SetValue(KivVars::kHeadOwned + slot, bits);
}

void FashionTest::Wear(int slot, int piece) { KivVars::Instance().SetValue(KivVars::kHeadWorn + slot, piece); }

int FashionTest::Worn(int slot) { return KivVars::Instance().GetValue(KivVars::kHeadWorn + slot); }

}  // namespace shelltest
