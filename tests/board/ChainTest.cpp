// Chains: the score formula, which blocks may join, how the pointer grows and shortens a
// chain, and what clearing one does to the board.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "game/board/KivScore.h"
#include "tests/board/BoardTestSupport.h"

namespace boardtest {
namespace {

class ChainTest : public BoardTest {
 protected:
  void SetUp() override {
    BoardTest::SetUp();
    LoadBoard(WellFile(1));
  }
  // A block that stands on no cell; the test owns it.
  KivBlock* Loose(const std::string& type, int colour = 0) {
    owned_.emplace_back(static_cast<KivBlock*>(
        board_->CreateBlock(type, FlowerColorName(colour), -1, 0, 1, 1)));
    return owned_.back().get();
  }
  std::vector<std::unique_ptr<KivBlock>> owned_;
};

TEST_F(ChainTest, ScoreGrowsWithLengthAndMultipliersAndStopsAtTheCap) {
  struct Case {
    std::vector<const char*> types;
    int32_t score;
  };
  const std::vector<Case> cases = {
      {{"flower", "flower"}, 0},
      {{"flower", "flower", "flower"}, 30},
      {{"flower", "flower", "flower", "flower"}, 80},
      {{"flower", "flower", "flower", "flower", "flower"}, 200},
      {{"double", "flower", "flower"}, 360},
      {{"triple", "flower", "flower"}, 1080},
      {{"gem", "zenblock", "flower"}, 30},
  };
  for (const Case& c : cases) {
    std::vector<KivBlock*> chain;
    for (const char* type : c.types) chain.push_back(Loose(type));
    EXPECT_EQ(board_->ChainScore(chain), c.score) << c.types.size() << " " << c.types[0];
  }
  // A hundred triples: 20100 x 20097 x 20 points overflow 32 bits long before the cap.
  std::vector<KivBlock*> triples;
  for (int i = 0; i < 100; ++i) triples.push_back(Loose("triple"));
  EXPECT_EQ(board_->ChainScore(triples), 100000000);
  // Seven flowers score 56 x base: one point per block more than the cap allows stops there.
  KivScore::Instance().SetValue(KivScore::kPointsPerBlock, 100000000 / 56 + 1);
  std::vector<KivBlock*> seven;
  for (int i = 0; i < 7; ++i) seven.push_back(Loose("flower"));
  EXPECT_EQ(board_->ChainScore(seven), 100000000);
}

TEST_F(ChainTest, FlowersJoinTheirColourAndFreeBlocksJoinAnything) {
  constexpr int kRed = 2;
  constexpr int kBlue = 0;
  struct Case {
    const char* what;
    std::vector<std::pair<const char*, int>> chain;
    std::pair<const char*, int> candidate;
    bool joins;
  };
  const std::vector<Case> cases = {
      {"red double after red", {{"flower", kRed}}, {"double", kRed}, true},
      {"gem after red", {{"flower", kRed}}, {"gem", kRed}, true},
      {"blue after red and gem", {{"flower", kRed}, {"gem", 0}}, {"flower", kBlue}, false},
      {"red after red and gem", {{"flower", kRed}, {"gem", 0}}, {"flower", kRed}, true},
      {"any colour after a gem", {{"gem", 0}}, {"flower", kBlue}, true},
      {"only that colour later", {{"gem", 0}, {"flower", kBlue}}, {"flower", kRed}, false},
      {"cut after blue", {{"flower", kBlue}}, {"starcut", 0}, true},
      {"stone never", {{"flower", kRed}}, {"stone", 0}, false},
      {"frozen never", {{"flower", kRed}}, {"frozenflower", kRed}, false},
      {"locked never", {{"flower", kRed}}, {"lockedflower", kRed}, false},
      {"tile blast never", {{"gem", 0}}, {"tileblast", 0}, false},
      {"first block of an empty chain", {}, {"flower", kBlue}, true},
  };
  for (const Case& c : cases) {
    std::vector<KivBlock*> chain;
    for (const auto& [type, colour] : c.chain) chain.push_back(Loose(type, colour));
    EXPECT_EQ(board_->CanJoin(Loose(c.candidate.first, c.candidate.second), chain), c.joins)
        << c.what;
  }
  // A thawed flower joins again; a chain holding an encased block takes nothing more.
  KivBlock* frozen = Loose("frozenflower", kRed);
  frozen->Kill();
  EXPECT_TRUE(board_->CanJoin(frozen, {Loose("flower", kRed)}));
  KivBlock* encased = Loose("flower", kRed);
  encased->state = kBlockEncased;
  EXPECT_FALSE(board_->CanJoin(Loose("gem"), {encased}));
}

TEST_F(ChainTest, TheCornerOfFourCellsPicksNothing) {
  for (int x = 2; x <= 3; ++x) {
    for (int y = 2; y <= 3; ++y) Put("flower", x, y, 2);
  }
  Hold({{2, 2}});
  SetPointer(board_->CellToScreen(3, 3), true);  // the corner the four cells share
  Frame();
  EXPECT_EQ(board_->GetChain().size(), 1u);
  EXPECT_EQ(board_->GetHovered(), board_->GetKivBlock(2, 2));
  // Just inside the hit circle of (3, 3) it is taken.
  SetPointer(Centre(3, 3) - board_->GetCellSize() * 0.2f, true);
  Frame();
  EXPECT_EQ(board_->GetChain().size(), 2u);
}

TEST_F(ChainTest, SteppingBackShortensTheChainAndPlaysTheGradeOfTheCutLength) {
  for (int x = 0; x < 6; ++x) Put("flower", x, 0, 4);
  Hold({{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}});
  ASSERT_EQ(board_->GetChain().size(), 6u);
  Frames(5);
  ClearSounds();
  SetPointer(Centre(2, 0), true);
  Frames(5);
  EXPECT_EQ(board_->GetChain().size(), 3u);
  EXPECT_EQ(board_->GetKivBlock(3, 0)->state, well::kBlockNormal);
  EXPECT_EQ(board_->GetKivBlock(2, 0)->state, well::kBlockSelected);
  // Length 5: grade 2, once; no other grade.
  EXPECT_EQ(Played("token_select_2"), 1u);
  EXPECT_EQ(Played("token_select_1"), 0u);
  EXPECT_EQ(board_->GetPreviewLength(), 3);
  EXPECT_EQ(board_->GetPreviewScore(), 30);
}

TEST_F(ChainTest, APressOnAnEmptyCellNeverGrowsAndScoresNothing) {
  for (int x = 1; x < 4; ++x) Put("flower", x, 0, 4);
  Drag({{0, 0}, {1, 0}, {2, 0}, {3, 0}});
  EXPECT_EQ(board_->GetScore(), 0);
  EXPECT_FALSE(board_->GetKivBlock(1, 0)->IsDying());
}

TEST_F(ChainTest, ADragOverThreeRedFlowersScoresTurnsTilesAndClearsTheStoneBeside) {
  LoadBoard(WellFile(2));
  for (int x = 1; x <= 3; ++x) Put("flower", x, 1, 2);
  KivBlock* stone = Put("stone", 4, 1);
  ASSERT_NE(stone, nullptr);
  Drag({{1, 1}, {2, 1}, {3, 1}});
  EXPECT_EQ(board_->GetScore(), 30);
  EXPECT_EQ(Played("token_clear_1"), 1u) << "played at once, not at the next step";
  for (int x = 1; x <= 3; ++x) EXPECT_EQ(board_->GetTileValue(x, 1), 1) << x;
  EXPECT_EQ(board_->GetTileValue(4, 1), 2) << "the stone's tile is not under the chain";
  EXPECT_EQ(board_->GetGold(), 3);
  EXPECT_EQ(board_->GetClearedBlocks(), 3);
  EXPECT_EQ(board_->GetClearedCells(2), 3);
  EXPECT_TRUE(stone->IsDying());
  EXPECT_TRUE(board_->GetChain().empty());
  EXPECT_TRUE(board_->IsMoveCheckDue());
  Frames(5);
  EXPECT_EQ(board_->GetKivBlock(4, 1), nullptr);
  EXPECT_EQ(board_->GetKivBlock(2, 1), nullptr);
  EXPECT_EQ(Played("tile_turned"), 1u);
}

TEST_F(ChainTest, LongChainsLeaveAZenBlockWorthTheirExtraLength) {
  board_->SetSpellCost(0, 50);
  struct Case {
    int length;
    int32_t value;  // 0: no zen block
  };
  for (const Case& c : {Case{4, 0}, Case{5, 2}, Case{6, 3}}) {
    LoadBoard(WellFile(1));
    board_->SetSpellCost(0, 50);
    std::vector<std::pair<int, int>> cells;
    for (int x = 0; x < c.length; ++x) {
      Put("flower", x, 5, 1);
      cells.emplace_back(x, 5);
    }
    Drag(cells);
    Frames(5);
    KivBlock* last = board_->GetKivBlock(c.length - 1, 5);
    if (c.value == 0) {
      EXPECT_EQ(last, nullptr) << c.length;
      continue;
    }
    ASSERT_NE(last, nullptr) << c.length;
    EXPECT_EQ(last->kind, kKindZen);
    EXPECT_EQ(static_cast<KivZenBlock*>(last)->value, c.value) << c.length;
  }
}

TEST_F(ChainTest, AMiddleReleaseResolvesAndARightReleaseCancels) {
  for (int x = 0; x < 3; ++x) Put("flower", x, 7, 3);
  for (int x = 0; x < 3; ++x) Put("flower", x, 9, 3);
  Drag({{0, 7}, {1, 7}, {2, 7}}, 2);
  EXPECT_EQ(board_->GetScore(), 30);
  Drag({{0, 9}, {1, 9}, {2, 9}}, 1);
  EXPECT_EQ(board_->GetScore(), 30);
  EXPECT_TRUE(board_->GetChain().empty());
  for (int x = 0; x < 3; ++x) {
    EXPECT_FALSE(board_->GetKivBlock(x, 9)->IsDying());
    EXPECT_EQ(board_->GetKivBlock(x, 9)->state, well::kBlockNormal);
  }
}

TEST_F(ChainTest, EachSoundRequestPlaysOncePerStep) {
  Frames(5);
  ClearSounds();
  for (int i = 0; i < 4; ++i) {
    board_->RequestSound(KivWell::kSoundJingle);
    board_->SelectSoundFlag(44);
    board_->SelectSoundFlag(3);
  }
  Frames(3, 0.02f);  // one periodic step
  EXPECT_EQ(Played("token_jingle"), 1u);
  EXPECT_EQ(Played("token_select_15"), 1u);
  EXPECT_EQ(Played("token_select_1"), 1u);
  Frames(5);
  EXPECT_EQ(Played("token_jingle"), 1u) << "the flags are cleared once played";
}

}  // namespace
}  // namespace boardtest
