// Spells: their names, how an armed brush name is read, and what each spell does to a board.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "game/board/KivSpell.h"
#include "game/board/KivSpellNames.h"
#include "game/shell/CursorSet.h"
#include "platform/win32/SdlVideo.h"
#include "tests/board/BoardTestSupport.h"

namespace {

TEST(SpellNamesTest, NamesAndIndicesRoundTripAndUnknownsFallBack) {
  const char* names[] = {"match", "fireball", "tilegrab", "flowerblast", "time", "lightning"};
  for (int32_t i = 0; i < 6; ++i) {
    EXPECT_EQ(SpellName(i), names[i]);
    EXPECT_EQ(SpellIndex(names[i]), i);
  }
  for (int32_t bad : {-1, 6, 1000, INT32_MIN}) EXPECT_EQ(SpellName(bad), "unknown") << bad;

  struct Case {
    const char* name;
    int32_t index;
  };
  const Case cases[] = {
      {"LIGHTNING", 5}, {"Match", 0}, {"tileGrab", 2}, {"", 1},       {"unknown", 1},
      {"matc", 1},      {"matchx", 1}, {"time ", 1},   {"flower", 1}, {"fireball[2]", 1},
  };
  for (const Case& c : cases) EXPECT_EQ(SpellIndex(c.name), c.index) << c.name;
}

TEST(SpellNamesTest, BrushNamesSplitIntoSpellAndPower) {
  struct Case {
    const char* brush;
    const char* name;
    int32_t power;
  };
  const Case cases[] = {
      {"fireball", "fireball", -1},
      {"fireball[2]", "fireball", 2},
      {"lightning[12]", "lightning", 12},
      {"match[0]", "match", 0},
      {"match[-3]", "match", -3},
      {"match[x]", "match", 0},
      {"match[4x]", "match", 4},
      {"match[]", "match[]", -1},       // nothing between the brackets: no power text
      {"match[3", "match[3", -1},       // no closing bracket
      {"match]3[", "match]3[", -1},     // the closing bracket comes first
      {"[5]", "", 5},                   // an empty spell name, found as the fallback later
      {"tilegrab[2]tail", "tilegrab", 2},
      {"fireball[99999999999]", "fireball", INT32_MAX},  // saturates rather than wraps
      {"", "", -1},
  };
  for (const Case& c : cases) {
    const SpellBrushSpec spec = ParseSpellBrushName(c.brush);
    EXPECT_EQ(spec.name, c.name) << c.brush;
    EXPECT_EQ(spec.power, c.power) << c.brush;
  }
}

}  // namespace

namespace boardtest {
namespace {

class SpellTest : public BoardTest {
 protected:
  void SetUp() override {
    BoardTest::SetUp();
    Run("Reports = '' function SpellTriggered(name, ok) Reports = Reports .. name .. '=' .. "
        "tostring(ok) .. ';' end");
    LoadBoard(WellFile(2));
  }
  // Frames until the frame timer's total time (smoothed, so slower than the frames' dt at
  // first) is past the given one.
  void FramesUntil(float time) {
    for (int i = 0; i < 1000 && timer_->GetTime() < time; ++i) Frame();
  }
  // Arms the spell and lets the arming delay pass.
  KivSpell* Arm(const std::string& name) {
    board_->SpellBrush(name);
    FramesUntil(timer_->GetTime() + 0.06f);
    return board_->GetSpellBrush() ? board_->GetSpellBrush()->GetSpell() : nullptr;
  }
  // Moves the pointer to the cell's centre and draws a frame (which finds the targets).
  void Point(int x, int y) {
    board_->MouseMoved(board_->GetPointer(), Centre(x, y));
    SetPointer(Centre(x, y), false);
    Frame();
    board_->Render();
  }
  // Waits for the board to settle, then releases the left button over the cell.
  void Click(int x, int y) {
    Point(x, y);
    for (int i = 0; i < 100 && board_->IsChanging(); ++i) Frame();
    board_->MouseButtonPressed(0, Centre(x, y));
    board_->MouseButtonReleased(0, Centre(x, y));
  }
  std::string Reports() { return Global("Reports"); }
  bool Dying(int x, int y) {
    KivBlock* block = board_->GetKivBlock(x, y);
    return block && block->IsDying();
  }
  // Dying, or already swept off its cell.
  bool Cleared(int x, int y) {
    KivBlock* block = board_->GetKivBlock(x, y);
    return !block || block->IsDying();
  }
  using Cells = std::vector<std::pair<int32_t, int32_t>>;
};

TEST_F(SpellTest, NamesMakeTheirSpellsWithPowersFromTheNameOrTheDefault) {
  struct Case {
    const char* name;
    int32_t index;
    int32_t power;
  };
  const Case cases[] = {
      {"match", 0, 6},         {"fireball", 1, 3},      {"tilegrab", 2, 1},
      {"flowerblast", 3, 1},   {"lightning", 5, 3},     {"FIREBALL[2]", 1, 2},
      {"lightning[7]", 5, 7},  {"match[0]", 0, 6},      {"match[-4]", 0, 6},
      {"tilegrab[abc]", 2, 1}, {"nonsense", 1, 3},      {"", 1, 3},
      {"fireball[99999]", 1, KivWell::kGridWidth * KivWell::kGridHeight},
  };
  for (const Case& c : cases) {
    std::unique_ptr<KivSpell> spell = KivSpell::FromName(c.name, board_.get());
    ASSERT_NE(spell, nullptr) << c.name;
    EXPECT_EQ(spell->GetIndex(), c.index) << c.name;
    EXPECT_EQ(spell->GetName(), SpellName(c.index)) << c.name;
    EXPECT_EQ(spell->GetPower(), c.power) << c.name;
  }
  EXPECT_EQ(KivSpell::FromName("time", board_.get()), nullptr);
  EXPECT_EQ(KivSpell::FromName("Time[3]", board_.get()), nullptr);

  // A "time" brush has no spell and never casts; the release leaves it armed.
  board_->SpellBrush("time");
  ASSERT_NE(board_->GetSpellBrush(), nullptr);
  EXPECT_EQ(board_->GetSpellBrush()->GetSpell(), nullptr);
  Click(3, 3);
  EXPECT_NE(board_->GetSpellBrush(), nullptr);
  board_->SpellBrush("");
  EXPECT_EQ(board_->GetSpellBrush(), nullptr);
}

TEST_F(SpellTest, ASpellSetsItsCursorAndPutsTheDefaultBack) {
  // The game's cursor files beside the program fill the set's slots.
  ASSERT_TRUE(plat::EnsureVideo());
  CursorSet& cursors = CursorSet::Instance();
  cursors.SelectDefault();
  Arm("lightning");
  EXPECT_EQ(cursors.current, 6);
  Arm("match");  // the new brush replaces the old one
  EXPECT_EQ(cursors.current, 1);
  board_->SpellBrush("");
  EXPECT_EQ(cursors.current, 0);
  Put("flower", 3, 3);
  Arm("fireball");
  EXPECT_EQ(cursors.current, 2);
  Click(3, 3);
  EXPECT_EQ(board_->GetSpellBrush(), nullptr);
  EXPECT_EQ(cursors.current, 0);
  CursorSet::Shutdown();
}

TEST_F(SpellTest, AFireballHitsItsSquareOnceAndTakesOnlyALock) {
  struct Case {
    const char* name;
    Cells hit;
  };
  const Case cases[] = {
      {"fireball[2]", {{5, 5}, {5, 6}, {6, 5}, {6, 6}}},
      {"fireball[1]", {{5, 5}}},
      {"fireball", {{4, 4}, {4, 5}, {4, 6}, {5, 4}, {5, 5}, {5, 6}, {6, 4}, {6, 5}, {6, 6}}},
  };
  for (const Case& c : cases) {
    LoadBoard(WellFile(2));
    for (int x = 3; x <= 7; ++x) {
      for (int y = 3; y <= 7; ++y) Put("flower", x, y, 1);
    }
    ClearSounds();
    KivSpell* spell = Arm(c.name);
    ASSERT_NE(spell, nullptr);
    Point(5, 5);
    EXPECT_EQ(spell->GetTargets(), c.hit) << c.name;  // column by column
    Click(5, 5);
    EXPECT_EQ(board_->GetSpellBrush(), nullptr) << c.name;
    for (int x = 3; x <= 7; ++x) {
      for (int y = 3; y <= 7; ++y) {
        const bool hit = std::find(c.hit.begin(), c.hit.end(), std::make_pair(x, y)) != c.hit.end();
        EXPECT_EQ(Dying(x, y), hit) << c.name << " " << x << "," << y;
      }
    }
    EXPECT_EQ(Played("zenpower_fireball"), 1u) << c.name;
  }
  EXPECT_EQ(Reports(), "fireball=true;fireball=true;fireball=true;");

  // A locked flower loses its lock only; a wall block is never hit.
  LoadBoard(WellFile(2));
  KivBlock* locked = Put("lockedflower", 5, 5, 3);
  KivBlock* wall = Put("stone", 6, 5);
  ASSERT_NE(locked, nullptr);
  wall->kind = kKindWall;  // wall blocks are drawn by the wall, never made from a file
  Arm("fireball");
  Click(5, 5);
  EXPECT_EQ(locked->kind, kKindFrozen);
  EXPECT_FALSE(locked->IsDying());
  EXPECT_FALSE(wall->IsDying());

  // Nothing to hit but a tiled square: the cast reports false and ends the brush.
  LoadBoard(WellFile(2));
  Arm("fireball");
  Click(5, 5);
  EXPECT_EQ(board_->GetSpellBrush(), nullptr);
  EXPECT_EQ(Reports(), "fireball=true;fireball=true;fireball=true;fireball=true;fireball=false;");
  // Over untiled cells (column 14 and beyond the grid) it cannot be cast at all.
  Arm("fireball[1]");
  Click(14, 5);
  EXPECT_NE(board_->GetSpellBrush(), nullptr);
}

TEST_F(SpellTest, ATilegrabTakesOneLayerAndRefusesTurnedTiles) {
  LoadBoard(WellFile(1));
  board_->SetTileValue(5, 5, 3);
  Put("flower", 5, 5);
  KivSpell* spell = Arm("tilegrab");
  ASSERT_NE(spell, nullptr);
  Click(4, 5);  // value 1: cannot be cast, stays armed
  EXPECT_NE(board_->GetSpellBrush(), nullptr);
  EXPECT_EQ(Reports(), "");
  Click(5, 5);
  EXPECT_EQ(board_->GetSpellBrush(), nullptr);
  EXPECT_EQ(board_->GetTileValue(5, 5), 2);
  EXPECT_EQ(board_->GetGold(), 0);
  EXPECT_FALSE(Dying(5, 5));
  EXPECT_EQ(board_->GetUnturnedTiles(), 1);
  EXPECT_EQ(Reports(), "tilegrab=true;");
}

TEST_F(SpellTest, AFlowerblastSpreadsTheFlowersColourAndRefusesOtherBlocks) {
  Put("gem", 2, 2);
  Arm("flowerblast");
  Click(2, 2);  // a gem
  EXPECT_NE(board_->GetSpellBrush(), nullptr);
  Click(8, 8);  // an empty cell
  EXPECT_NE(board_->GetSpellBrush(), nullptr);
  EXPECT_EQ(Reports(), "");

  constexpr int kRed = 2;
  for (int x = 4; x <= 6; ++x) {
    for (int y = 4; y <= 6; ++y) Put("flower", x, y, 0);
  }
  board_->ReplaceBlock(6, 6, "stone", "");
  KivBlock* centre = board_->ReplaceBlock(5, 5, "double", FlowerColorName(kRed));
  ASSERT_NE(centre, nullptr);
  Click(5, 5);
  EXPECT_EQ(board_->GetSpellBrush(), nullptr);
  EXPECT_EQ(Reports(), "flowerblast=true;");
  for (const auto& [x, y] : Cells{{4, 4}, {5, 4}, {6, 4}, {4, 5}, {6, 5}, {4, 6}, {5, 6}}) {
    KivBlock* block = board_->GetKivBlock(x, y);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->color, kRed) << x << "," << y;
    EXPECT_EQ(block->kind, kKindFlower);
  }
  EXPECT_EQ(board_->GetKivBlock(6, 6)->kind, kKindStone);  // hard blocks stop a spread
  EXPECT_EQ(board_->GetKivBlock(5, 5), centre);
  EXPECT_EQ(board_->GetSpreadCount(), 0u);  // power 1: the neighbours only
}

TEST_F(SpellTest, ALightningWithoutOtherCandidatesChangesOnlyTheClickedBlock) {
  constexpr int kBlue = 0;
  Put("flower", 3, 3, kBlue);
  Put("flower", 4, 3, kBlue);
  KivBlock* wall = Put("stone", 5, 3);
  wall->kind = kKindWall;
  Arm("lightning");
  Click(8, 8);  // no block: the cast fails and ends the brush
  EXPECT_EQ(board_->GetSpellBrush(), nullptr);
  EXPECT_EQ(Reports(), "lightning=false;");
  Arm("lightning");
  Click(3, 3);
  EXPECT_EQ(Reports(), "lightning=false;lightning=true;");
  KivBlock* struck = board_->GetKivBlock(3, 3);
  ASSERT_NE(struck, nullptr);
  EXPECT_FALSE(struck->IsDying());
  EXPECT_EQ(struck->color, kBlue);
  EXPECT_EQ(board_->GetTileValue(3, 3), 1);  // one layer of its tile
  EXPECT_EQ(board_->GetTileValue(4, 3), 2);
  EXPECT_FALSE(wall->IsDying());

  // With candidates: power 3 strikes the clicked gem and two others, all become one colour.
  LoadBoard(WellFile(2));
  Put("gem", 2, 2);
  Put("flower", 6, 6, 3);
  Put("flower", 8, 8, 4);
  Put("flower", 9, 9, 5);
  KivBlock* frozen = Put("frozenflower", 10, 10, 6);
  Arm("lightning");
  Click(2, 2);
  const int colour = board_->GetKivBlock(2, 2)->color;
  int changed = 0;
  for (const auto& [x, y] : Cells{{6, 6}, {8, 8}, {9, 9}, {10, 10}}) {
    if (board_->GetTileValue(x, y) == 1) {
      ++changed;
      EXPECT_EQ(board_->GetKivBlock(x, y)->color, colour);
    }
  }
  EXPECT_EQ(changed, 2);
  EXPECT_EQ(board_->GetKivBlock(2, 2)->kind, kKindFlower);
  if (board_->GetTileValue(10, 10) == 1) {
    EXPECT_NE(board_->GetKivBlock(10, 10), frozen);
  }
}

TEST_F(SpellTest, TheMatchCursorSearchesOncePerCellAndNeedsThreeBlocks) {
  constexpr int kRed = 2;
  Put("flower", 3, 3, kRed);
  Put("flower", 4, 3, kRed);
  auto* spell = static_cast<KivMatchSpell*>(Arm("match"));
  ASSERT_NE(spell, nullptr);
  Point(3, 3);
  const int searches = spell->GetSearches();
  // Within the same cell: no new search.
  board_->MouseMoved(board_->GetPointer(), Centre(3, 3) + board_->GetCellSize() * 0.3f);
  Frame();
  board_->Render();
  EXPECT_EQ(spell->GetSearches(), searches);
  // Two blocks: neither previewed nor castable.
  EXPECT_TRUE(spell->GetChain().empty());
  EXPECT_EQ(board_->GetPreviewLength(), 0);
  EXPECT_FALSE(spell->CanCast());
  Click(3, 3);
  EXPECT_NE(board_->GetSpellBrush(), nullptr);

  // A third block: the next cell's search previews the chain of three.
  Put("flower", 5, 4, kRed);
  Point(4, 3);
  EXPECT_EQ(spell->GetSearches(), searches + 1);
  EXPECT_EQ(spell->GetChain().size(), 3u);
  EXPECT_EQ(board_->GetPreviewLength(), 3);
  EXPECT_EQ(board_->GetPreviewScore(), 30);
  EXPECT_EQ(spell->GetTargets().size(), 3u);
}

TEST_F(SpellTest, AMatchCastScoresClearsAndTurnsTilesLikeADrawnChain) {
  constexpr int kRed = 2;
  // A drawn chain first, on a board of its own.
  for (int x = 1; x <= 3; ++x) Put("flower", x, 1, kRed);
  Put("stone", 2, 2);
  Drag({{1, 1}, {2, 1}, {3, 1}});
  const int32_t drawnScore = board_->GetScore();
  const int32_t drawnGold = board_->GetGold();
  ASSERT_GT(drawnScore, 0);

  LoadBoard(WellFile(2));
  for (int x = 1; x <= 3; ++x) Put("flower", x, 1, kRed);
  KivBlock* stone = Put("stone", 2, 2);
  Put("flower", 2, 3, kRed);  // outside no rectangle, but cut off by the stone
  Arm("match");
  Click(2, 1);
  EXPECT_EQ(board_->GetSpellBrush(), nullptr);
  EXPECT_EQ(Reports(), "match=true;");
  EXPECT_EQ(board_->GetScore(), drawnScore);
  EXPECT_EQ(board_->GetGold(), drawnGold);
  for (int x = 1; x <= 3; ++x) {
    EXPECT_TRUE(Cleared(x, 1)) << x;
    EXPECT_EQ(board_->GetTileValue(x, 1), 1) << x;
  }
  EXPECT_TRUE(stone->IsDying());  // the hard neighbour is hit
  EXPECT_FALSE(Dying(2, 3));
}

TEST_F(SpellTest, AMatchChainThatLostABlockSearchesAgainBeforeItCasts) {
  constexpr int kRed = 2;
  for (int x = 1; x <= 3; ++x) Put("flower", x, 1, kRed);
  auto* spell = static_cast<KivMatchSpell*>(Arm("match"));
  Point(2, 1);
  ASSERT_EQ(spell->GetChain().size(), 3u);
  KivBlock* old = board_->GetKivBlock(3, 1);
  // A refill replaces a chain block while the pointer rests: another colour breaks it.
  board_->ReplaceBlock(3, 1, "flower", FlowerColorName(0));
  ASSERT_TRUE(old->IsDying());
  EXPECT_TRUE(spell->CanCast());
  spell->Cast(Centre(2, 1));
  EXPECT_EQ(board_->GetScore(), 0);
  EXPECT_FALSE(Dying(1, 1));
  EXPECT_EQ(Reports(), "match=false;");

  // A reshuffle frees the flowers it takes: an armed match forgets its chain at once.
  LoadBoard(WellFile(2));
  for (int x = 1; x <= 3; ++x) Put("flower", x, 1, kRed);
  spell = static_cast<KivMatchSpell*>(Arm("match"));
  Point(2, 1);
  ASSERT_EQ(spell->GetChain().size(), 3u);
  board_->Reshuffle();
  EXPECT_TRUE(spell->GetChain().empty());
  Frames(200);  // the falling flowers leave the screen and are deleted
  Click(2, 1);
  EXPECT_EQ(board_->GetScore(), 0);
}

TEST_F(SpellTest, TheClickThatArmsASpellDoesNotCastIt) {
  Put("flower", 3, 3);
  Frames(30);
  const float armed = timer_->GetTime();
  board_->SpellBrush("fireball");
  board_->MouseMoved(board_->GetPointer(), Centre(3, 3));
  board_->MouseButtonReleased(0, Centre(3, 3));
  EXPECT_NE(board_->GetSpellBrush(), nullptr);
  FramesUntil(armed + 0.03f);
  ASSERT_LT(timer_->GetTime() - armed, KivSpellBrush::kArmDelay);
  board_->MouseButtonReleased(0, Centre(3, 3));
  EXPECT_NE(board_->GetSpellBrush(), nullptr);
  FramesUntil(armed + 0.05f);
  board_->MouseButtonReleased(0, Centre(3, 3));
  EXPECT_EQ(board_->GetSpellBrush(), nullptr);
  EXPECT_TRUE(Cleared(3, 3));
  // While a brush is armed a press starts no chain.
  Put("flower", 5, 5);
  board_->SpellBrush("match");
  board_->MouseButtonPressed(0, Centre(5, 5));
  EXPECT_TRUE(board_->GetChain().empty());
}

}  // namespace
}  // namespace boardtest
