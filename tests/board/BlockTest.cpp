// The game's blocks: kind names, the factory and its parameters, what each kind does when
// it is hit, and the cuts that travel across the board.

#include <gtest/gtest.h>

#include <string>

#include "tests/board/BoardTestSupport.h"

namespace boardtest {
namespace {

class BlockTest : public BoardTest {
 protected:
  void SetUp() override {
    BoardTest::SetUp();
    LoadBoard(WellFile(1));
  }
};

TEST(BlockNames, KindNamesAndNumbers) {
  EXPECT_EQ(KivBlock::TypeIndex("FLOWER"), 0);
  EXPECT_EQ(KivBlock::TypeIndex("unknown"), 3);
  EXPECT_EQ(KivBlock::TypeIndex("nosuchkind"), 0);
  EXPECT_EQ(KivBlock::TypeIndex("TileBlast"), 18);
  EXPECT_EQ(KivBlock::TypeName(14), "unknown");
  EXPECT_EQ(KivBlock::TypeName(25), "unknown");
  EXPECT_EQ(KivBlock::TypeName(-1), "unknown");
  EXPECT_EQ(KivBlock::TypeName(12), "starcut");
  EXPECT_EQ(FlowerColorName(0), "flower_1");
  EXPECT_EQ(FlowerColorIndex("FLOWER_24"), 23);
  EXPECT_EQ(FlowerColorIndex("flower_25"), 0);
}

TEST_F(BlockTest, TheFactoryReadsKindsColoursAndParameters) {
  struct Case {
    const char* type;
    int32_t kind;
    std::string typeName;
  };
  const Case cases[] = {
      {"double", kKindFlower, "double"},     {"triple", kKindFlower, "triple"},
      {"gem[12]", kKindGem, "gem[12]"},      {"gem[]", kKindGem, "gem[1]"},
      {"gem[5", kKindGem, "gem[1]"},         {"gem", kKindGem, "gem[1]"},
      {"[3]gem", kKindFlower, "flower"},     {"stone", kKindStone, "stone"},
      {"unknown", kKindNone, "unknown"},     {"lockedflower", kKindLocked, "lockedflower"},
      {"frozenflower", kKindFrozen, "frozenflower"},
      {"gem[1000000]", kKindGem, "gem[999]"},  // a gem's worth is bounded
      {"gem[-4]", kKindGem, "gem[1]"},
  };
  int x = 0;
  for (const Case& c : cases) {
    KivBlock* block = Put(c.type, x % 14, x / 14, 5);
    ++x;
    ASSERT_NE(block, nullptr) << c.type;
    EXPECT_EQ(block->kind, c.kind) << c.type;
    EXPECT_EQ(block->GetTypeName(), c.typeName) << c.type;
  }
  EXPECT_EQ(Put("wallblock", 0, 11), nullptr);
  EXPECT_EQ(Put("flower", 0, 0), nullptr) << "the cell is taken";
  KivBlock* triple = board_->GetKivBlock(1, 0);
  EXPECT_FLOAT_EQ(triple->GetMultiplier(), 3.0f);
  EXPECT_EQ(triple->color, 5);
  EXPECT_EQ(board_->GetKivBlock(4, 0)->color, kSpecialColor) << "special kinds keep their colour";
  KivBlock* random = Put("KIV_RANDOM_BLOCK", 13, 11);
  ASSERT_NE(random, nullptr);
  EXPECT_TRUE(random->madeAtRandom);
  EXPECT_EQ(random->GetTypeName(), "unknown");
}

TEST_F(BlockTest, AFileLoadedWhileTheLevelLoadsKeepsOnlyItsSpecialBlocks) {
  LoadBoard(WellFile(1,
                     "{ Type = 'flower', Color = 'flower_3', X = 0, Y = 0, Width = 1, Height = 1 },\n"
                     "{ Type = 'gem[7]', Color = 'flower_3', X = 1, Y = 0, Width = 1, Height = 1 },\n"
                     "{ Type = 'double', Color = 'flower_3', X = 2, Y = 0, Width = 1, Height = 1 },\n"));
  EXPECT_EQ(board_->GetKivBlock(0, 0), nullptr);
  ASSERT_NE(board_->GetKivBlock(1, 0), nullptr);
  EXPECT_EQ(board_->GetKivBlock(1, 0)->GetTypeName(), "gem[7]");
  ASSERT_NE(board_->GetKivBlock(2, 0), nullptr);
  EXPECT_EQ(board_->GetKivBlock(2, 0)->GetTypeName(), "double");
}

TEST_F(BlockTest, AGemPaysItsValue) {
  KivBlock* gem = Put("gem[5]", 3, 3);
  gem->Kill();
  EXPECT_EQ(board_->GetGold(), 5);
  EXPECT_TRUE(gem->IsDying());
  gem->Kill();
  EXPECT_EQ(board_->GetGold(), 5) << "a dying gem pays nothing more";
}

TEST_F(BlockTest, ALockedFlowerLosesOneLayerAFrame) {
  KivBlock* locked = Put("lockedflower", 5, 5, 2);
  for (const auto& [x, y] : {std::pair{4, 5}, {4, 4}, {5, 4}}) Put("flower", x, y, 2);
  ASSERT_EQ(locked->state, kBlockEncased);
  // Two of the chain's blocks stand beside it: two hits in one frame.
  Drag({{4, 5}, {4, 4}, {5, 4}});
  EXPECT_EQ(locked->kind, kKindFrozen);
  EXPECT_EQ(locked->state, kBlockEncased);
  EXPECT_EQ(locked->GetTypeName(), "frozenflower") << "saved without its lock from now on";
  EXPECT_TRUE(board_->IsSoundRequested(KivWell::kSoundLock2));
  Frame();
  locked->Kill();
  locked->Kill();
  EXPECT_EQ(locked->kind, kKindFlower);
  EXPECT_EQ(locked->state, well::kBlockNormal);
  EXPECT_FALSE(locked->IsDying());
  Frame();
  locked->Kill();
  EXPECT_TRUE(locked->IsDying());
}

TEST_F(BlockTest, EncasedAndHardBlocksNeverShake) {
  KivBlock* flower = Put("flower", 0, 0);
  KivBlock* frozen = Put("frozenflower", 1, 0);
  KivBlock* stone = Put("stone", 2, 0);
  for (KivBlock* block : {flower, frozen, stone}) block->StartShake(0.00125f, 7.5f, 1.0f);
  EXPECT_TRUE(flower->shaking);
  EXPECT_FALSE(frozen->shaking);
  EXPECT_FALSE(stone->shaking);
  Frames(3);
  EXPECT_NE(flower->drawOffset.x, 0.0f);
  Frames(60);
  EXPECT_FALSE(flower->shaking);
  EXPECT_EQ(flower->drawOffset.x, 0.0f);
}

TEST_F(BlockTest, AStarcutInACornerCutsOnlyInsideTheGrid) {
  KivBlock* star = Put("starcut", 0, 0);
  KivBlock* right = Put("flower", 1, 0);
  KivBlock* below = Put("flower", 0, 1);
  KivBlock* diagonal = Put("flower", 1, 1);
  KivBlock* beyond = Put("flower", 3, 0);
  star->Kill();
  EXPECT_TRUE(right->IsDying());
  EXPECT_TRUE(below->IsDying());
  EXPECT_TRUE(diagonal->IsDying());
  EXPECT_EQ(board_->GetCutCount(), 3u);
  Frames(30);
  EXPECT_FALSE(beyond->IsDying()) << "the cut stopped at the empty cell (2, 0)";
  EXPECT_EQ(board_->GetCutCount(), 0u);
}

TEST_F(BlockTest, ACutTravelsOneCellEveryTenthOfASecond) {
  LoadBoard(WellFile(1));
  board_->SetTileValue(6, 3, 3);
  KivBlock* cut = Put("hcut", 0, 3);
  KivBlock* row[8] = {};
  for (int x = 1; x <= 7; ++x) row[x] = Put("flower", x, 3, 1);
  cut->Kill();
  EXPECT_TRUE(row[1]->IsDying());
  EXPECT_FALSE(row[2]->IsDying());
  for (int x = 2; x <= 6; ++x) {
    Frames(4, 0.02f);  // 0.08 s: not yet
    EXPECT_FALSE(row[x]->IsDying()) << x;
    Frames(1, 0.025f);
    EXPECT_TRUE(row[x]->IsDying()) << x;
  }
  // (6, 3) stands on a tile still to turn: turned one step, and the cut ends there.
  EXPECT_EQ(board_->GetTileValue(6, 3), 2);
  Frames(30);
  EXPECT_FALSE(row[7]->IsDying());
  EXPECT_EQ(board_->GetCutCount(), 0u);

  // A hard block takes one hit and stops the cut.
  LoadBoard(WellFile(1));
  KivBlock* vcut = Put("vcut", 8, 0);
  KivBlock* locked = Put("lockedflower", 8, 1);
  KivBlock* past = Put("flower", 8, 2);
  vcut->Kill();
  Frames(30);
  EXPECT_EQ(locked->kind, kKindFrozen);
  EXPECT_FALSE(past->IsDying());
}

TEST_F(BlockTest, AFlowerGrowsInOverItsFirstTenthsOfASecond) {
  KivBlock* flower = Put("flower", 2, 2);
  auto* grown = static_cast<KivFlowerBlock*>(flower);
  EXPECT_GE(grown->popIn.remaining, 0.0f);
  Frames(20);
  EXPECT_LT(grown->popIn.remaining, 0.0f);
}

}  // namespace
}  // namespace boardtest
