// The playable board: cells and the screen, the cell array, delayed drops, the periodic
// step, sliding and falling blocks, settling and the sweep, clearing, restoring, and the
// order in which it draws.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/graphics/SpriteBatch.h"
#include "engine/well/WellDecoration.h"
#include "engine/well/WellEffect.h"
#include "engine/well/WellSFX.h"
#include "tests/well/WellTestSupport.h"

namespace welltest {
namespace {

using well::WellBlock;

bool Has(const Events& events, const std::string& event) {
  return std::find(events.begin(), events.end(), event) != events.end();
}

TEST_F(WellTest, CellsMapToTheScreenAndBack) {
  MakeBoard();
  board_->SetViewOffset(math::Vec2(0.01f, 0.0f));
  const math::Vec2 p = board_->CellToScreen(3, 2);
  EXPECT_FLOAT_EQ(p.x, 0.15f);
  EXPECT_FLOAT_EQ(p.y, 0.14f);
  EXPECT_FLOAT_EQ(board_->CellToScreenNoView(3, 2).x, 0.16f);
  int x = -1;
  int y = -1;
  board_->ScreenToCell(math::Vec2(0.151f, 0.141f), x, y);
  EXPECT_EQ(x, 3);
  EXPECT_EQ(y, 2);
  // Half a cell left of the grid is still column 0 (truncated toward zero).
  board_->SetViewOffset(math::Vec2(0.0f, 0.0f));
  board_->ScreenToCell(math::Vec2(0.09f, 0.105f), x, y);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  EXPECT_EQ(board_->CellIndex(3, 2), 23);
  EXPECT_EQ(board_->CellIndex(-1, 2), 0);
  EXPECT_EQ(board_->CellIndex(10, 0), 0);
}

TEST_F(WellTest, ABlockOfTwoByTwoHoldsItsFourCellsAndIsListedOnce) {
  MakeBoard();
  TestBlock* big = board_->Put("big", 3, 4, 2, 2);
  TestBlock* small = board_->Put("normal", 5, 4);
  board_->RebuildCells();
  for (auto [x, y] : {std::pair{3, 4}, {4, 4}, {3, 5}, {4, 5}}) {
    EXPECT_EQ(board_->GetBlock(x, y), big) << x << "," << y;
  }
  EXPECT_EQ(board_->GetBlock(5, 5), nullptr);
  EXPECT_EQ(board_->GetBlock(-1, 0), nullptr);
  EXPECT_EQ(board_->GetBlockAt(board_->CellToScreen(4, 5) + math::Vec2(0.001f, 0.001f)), big);

  std::vector<WellBlock*> all;
  board_->GetAllBlocks(all);
  EXPECT_EQ(all, (std::vector<WellBlock*>{big, small}));
  // A rectangle that starts inside the big block lists it once, at its first column.
  std::vector<WellBlock*> part;
  board_->GetBlocksInRect(4, 5, 5, 5, part);
  EXPECT_EQ(part, (std::vector<WellBlock*>{big}));
  part.clear();
  board_->GetBlocksInRect(4, 4, 5, 5, part);
  EXPECT_EQ(part, (std::vector<WellBlock*>{big, small}));
}

TEST_F(WellTest, CanPlaceChecksAllFourEdgesAndTheCells) {
  MakeBoard(10, 8);
  board_->Put("normal", 2, 2);
  board_->RebuildCells();
  struct Case {
    int x, y, w, h;
    bool fits;
  };
  const Case cases[] = {
      {0, 0, 2, 2, true},  {8, 6, 2, 2, true},   {9, 6, 2, 2, false}, {8, 7, 2, 2, false},
      {-1, 0, 2, 2, false}, {0, -1, 2, 2, false}, {1, 1, 2, 2, false}, {3, 3, 1, 1, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(board_->CanPlace(c.x, c.y, c.w, c.h), c.fits) << c.x << "," << c.y;
  }
}

TEST_F(WellTest, DelayedDropsLandEarliestFirstAtTheFirstStepAfterTheirTime) {
  MakeBoard();
  const float start = board_->Now();
  board_->AddBlock(new TestBlock(board_.get(), "late", 2, 1, 1, &events_), 0, 0, 0.3f);
  board_->AddBlock(new TestBlock(board_.get(), "early", 2, 1, 1, &events_), 1, 0, 0.1f);
  board_->AddBlock(new TestBlock(board_.get(), "middle", 2, 1, 1, &events_), 2, 0, 0.2f);
  EXPECT_EQ(board_->GetPendingCount(), 3);
  EXPECT_TRUE(board_->IsChanging());

  std::vector<std::pair<std::string, float>> landed;  // name, time of its step
  while (board_->GetPendingCount() > 0 && board_->Now() < start + 2.0f) {
    const size_t steps = board_->stepTimes.size();
    Frame(0.01f);
    for (const std::string& e : TakeEvents()) {
      if (e.rfind("placed ", 0) == 0) {
        ASSERT_GT(board_->stepTimes.size(), steps) << "placed outside a step";
        landed.emplace_back(e.substr(7), board_->stepTimes.back());
      }
    }
  }
  ASSERT_EQ(landed.size(), 3u);
  EXPECT_EQ(landed[0].first, "early@1,0");
  EXPECT_EQ(landed[1].first, "middle@2,0");
  EXPECT_EQ(landed[2].first, "late@0,0");
  const float delays[] = {0.1f, 0.2f, 0.3f};
  for (size_t i = 0; i < 3; ++i) {
    const float due = start + delays[i];
    EXPECT_GT(landed[i].second, due) << landed[i].first;
    // The step before the landing one came no later than the due time.
    auto it = std::find(board_->stepTimes.begin(), board_->stepTimes.end(), landed[i].second);
    ASSERT_NE(it, board_->stepTimes.begin());
    EXPECT_LE(*(it - 1), due) << landed[i].first;
  }

  // A delay of 0 or below places the block at once.
  board_->AddBlock(new TestBlock(board_.get(), "now", 2, 1, 1, &events_), 5, 5, 0.0f);
  board_->AddBlock(new TestBlock(board_.get(), "past", 2, 1, 1, &events_), 6, 5, -1.0f);
  EXPECT_EQ(TakeEvents(), (Events{"placed now@5,5", "placed past@6,5"}));
}

TEST_F(WellTest, ALongTickRunsOnePeriodicStep) {
  MakeBoard();
  Frame(0.04f);
  EXPECT_EQ(board_->stepTimes.size(), 0u);
  Frame(0.02f);
  EXPECT_EQ(board_->stepTimes.size(), 1u);
  Frame(0.5f);
  EXPECT_EQ(board_->stepTimes.size(), 2u);
  Frame(0.049f);
  EXPECT_EQ(board_->stepTimes.size(), 2u);
  EXPECT_FLOAT_EQ(board_->GetElapsed(), 0.609f);
}

TEST_F(WellTest, BlocksSlideAtTheMoveSpeedAndFallOneRowAtATime) {
  MakeBoard(10, 8);
  board_->SetGravity(false);
  board_->SetMoveSpeed(0.5f);
  // Along the bottom row, where the block cannot fall at the end of its move.
  TestBlock* block = board_->Put("normal", 2, 7);
  board_->RebuildCells();
  EXPECT_EQ(block->StartMove(4, 7), nullptr);
  EXPECT_TRUE(block->moving);
  int x = 0;
  int y = 0;
  block->GetCell(x, y);
  EXPECT_EQ(x, 4);  // the target cell counts at once
  // 0.04 screen units at 0.5 per second: 0.08 s.
  board_->Tick(0.05f);
  EXPECT_NEAR(block->moveOffset.x, 0.025f, 1e-6f);
  EXPECT_EQ(block->currentX, 2);
  EXPECT_NEAR(block->GetScreenPos().x, 0.1f + 0.04f + 0.025f, 1e-6f);
  board_->Tick(0.02f);
  EXPECT_TRUE(block->moving);
  board_->Tick(0.02f);
  EXPECT_FALSE(block->moving);
  EXPECT_EQ(block->currentX, 4);
  EXPECT_FLOAT_EQ(block->moveOffset.x, 0.0f);

  // A move onto another block's cell is refused and names that block.
  TestBlock* other = board_->Put("normal", 5, 7);
  board_->RebuildCells();
  EXPECT_EQ(block->StartMove(5, 7), other);
  EXPECT_FALSE(block->moving);

  // Falling: one row when the row below is free; never from the bottom row; not onto a
  // block.
  TestBlock* high = board_->Put("normal", 6, 5);
  board_->RebuildCells();
  high->TryFall();
  EXPECT_TRUE(high->moving);
  EXPECT_EQ(high->targetY, 6);
  TestBlock* bottom = board_->Put("normal", 0, 7);
  TestBlock* stacked = board_->Put("normal", 0, 6);
  board_->RebuildCells();
  bottom->TryFall();
  stacked->TryFall();
  EXPECT_FALSE(bottom->moving);
  EXPECT_FALSE(stacked->moving);
}

TEST_F(WellTest, AFallingBlockLandsSettlesTheBoardAndTheDeadAreSweptThen) {
  MakeBoard(4, 4);
  TestBlock* ground = board_->Put("ground", 1, 3);
  TestBlock* falling = board_->Put("falling", 1, 1);
  TestBlock* doomed = board_->Put("doomed", 3, 3);
  TakeEvents();
  doomed->Kill();
  EXPECT_EQ(TakeEvents(), Events{"kill doomed@3,3"});
  EXPECT_EQ(doomed->state, well::kBlockDying);

  // The first step starts the fall (gravity) and sweeps the dying block.
  Frame(0.06f);
  EXPECT_TRUE(falling->moving);
  EXPECT_EQ(TakeEvents(), (Events{"kill doomed@3,3", "swept doomed@3,3"}));
  EXPECT_EQ(board_->GetBlockCount(), 2);

  // Sliding one row at 1.0 per second takes 0.02 s; on arrival it lands on the ground.
  Events seen;
  for (int i = 0; i < 10 && !Has(seen, "settled"); ++i) {
    Frame(0.01f);
    for (const std::string& e : TakeEvents()) seen.push_back(e);
  }
  EXPECT_EQ(falling->currentY, 2);
  ASSERT_TRUE(Has(seen, "landed on ground@1,3"));
  // OnSettled comes on the tick the board stops changing, the sweep right after it.
  auto settled = std::find(seen.begin(), seen.end(), "settled");
  ASSERT_NE(settled, seen.end());
  EXPECT_LT(std::find(seen.begin(), seen.end(), "landed on ground@1,3"), settled);
  EXPECT_FALSE(board_->IsChanging());
  EXPECT_EQ(ground->currentY, 3);
  ASSERT_EQ(board_->GetRemovedBlocks().size(), 1u);
}

TEST_F(WellTest, TheLaterOfTwoBlocksOnOneCellDiesThenIsSwept) {
  MakeBoard();
  board_->SetGravity(false);
  TestBlock* first = board_->Put("first", 2, 2);
  TestBlock* second = board_->Put("second", 2, 2);
  TakeEvents();
  Frame(0.06f);  // the step's rebuild kills the later one
  EXPECT_EQ(second->state, well::kBlockDead);
  EXPECT_EQ(first->state, well::kBlockNormal);
  // The same step's sweep took it out; a dead block gets no OnKill.
  EXPECT_EQ(TakeEvents(), Events{"swept second@2,2"});
  EXPECT_EQ(board_->GetBlocks(), std::vector<WellBlock*>{first});
  board_->RebuildCells();
  EXPECT_EQ(board_->GetBlock(2, 2), first);
}

TEST_F(WellTest, TheSweepTakesAtMostTwoThousandFiveHundredBlocksAtATime) {
  MakeBoard(60, 50);
  board_->SetGravity(false);
  for (int i = 0; i < 2600; ++i) board_->Put("n", i % 60, i / 60)->Kill();
  TakeEvents();
  board_->SweepDeadBlocks();
  EXPECT_EQ(board_->GetBlockCount(), 100);
  EXPECT_EQ(board_->GetRemovedBlocks().size(), 2500u);
  board_->SweepDeadBlocks();
  EXPECT_EQ(board_->GetBlockCount(), 0);
}

TEST_F(WellTest, ABlockOutsideTheGridNeverClaimsTheTopLeftCell) {
  MakeBoard(10, 8);
  board_->SetGravity(false);
  TestBlock* corner = board_->Put("corner", 0, 0);
  TestBlock* edge = board_->Put("edge", 8, 6, 2, 2);
  // The grid shrinks under the second block: its cells outside are no cells at all.
  board_->Create(9, 7, math::Vec2(0.1f, 0.1f), math::Vec2(0.18f, 0.14f), math::Vec2(0.02f, 0.02f));
  board_->RebuildCells();
  EXPECT_EQ(corner->state, well::kBlockNormal);
  EXPECT_EQ(edge->state, well::kBlockNormal);
  EXPECT_EQ(board_->GetBlock(0, 0), corner);
  EXPECT_EQ(board_->GetBlock(8, 6), edge);

  // A block placed partly left of the grid keeps the block at (0, 0) alive too.
  TestBlock* left = board_->Put("left", -1, 0, 2, 1);
  board_->RebuildCells();
  EXPECT_EQ(corner->state, well::kBlockNormal);
  EXPECT_EQ(left->state, well::kBlockDead);  // its in-grid cell (0, 0) was taken
}

TEST_F(WellTest, DroppingABlockForgetsItInTheCellsAtOnceWhenDeleted) {
  MakeBoard();
  TestBlock* kept = board_->Put("kept", 1, 1);
  TestBlock* gone = board_->Put("gone", 2, 1);
  board_->RebuildCells();

  board_->DropBlock(gone, true);
  EXPECT_EQ(board_->GetBlock(2, 1), nullptr);  // no deleted block before the rebuild
  EXPECT_TRUE(board_->IsDirty());

  // Dropped without deletion: the caller owns it; the cell forgets it at the rebuild.
  board_->DropBlock(kept, false);
  EXPECT_EQ(board_->GetBlock(1, 1), kept);
  board_->RebuildCells();
  EXPECT_EQ(board_->GetBlock(1, 1), nullptr);
  EXPECT_EQ(board_->GetBlockCount(), 0);
  // A block that is not listed is neither dropped nor deleted.
  board_->DropBlock(kept, true);
  EXPECT_EQ(kept->state, well::kBlockNormal);
  delete kept;
}

TEST_F(WellTest, ClearWellTakesBlocksDecorationsOrBoth) {
  struct Case {
    bool all;
    uint32_t flags;
    int blocks;
    size_t decorations;
  };
  const Case cases[] = {
      {false, well::kClearBlocks, 0, 1},
      {false, well::kClearDecorations, 2, 0},
      {true, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.flags);
    MakeBoard();
    board_->Put("a", 0, 0);
    board_->Put("b", 1, 0);
    board_->AddDecoration("leaf", 0, 0, 0, 0, math::Vec2(0.0f, 0.0f), 1, 0);
    board_->AddBlock(new TestBlock(board_.get(), "waiting", 2, 1, 1, &events_), 5, 5, 1.0f);
    if (c.all) {
      board_->ClearWell();
    } else {
      EXPECT_TRUE(board_->ClearWell(c.flags));
    }
    EXPECT_EQ(board_->GetBlockCount(), c.blocks);
    EXPECT_EQ(board_->GetDecorations().size(), c.decorations);
    EXPECT_EQ(board_->GetBlock(0, 0) != nullptr, c.blocks > 0);
    EXPECT_EQ(board_->GetPendingCount(), 1);  // delayed drops stay
  }
}

TEST_F(WellTest, BlocksStillWaitingToLandAreDeletedWithTheBoard) {
  MakeBoard();
  board_->AddBlock(new TestBlock(board_.get(), "waiting", 2, 1, 1, &events_), 5, 5, 10.0f);
  board_->Put("placed", 0, 0)->Kill();
  board_->SweepDeadBlocks();
  EXPECT_EQ(TestBlock::alive, 2);
  board_.reset();
  EXPECT_EQ(TestBlock::alive, 0);
}

TEST_F(WellTest, TriggerRestoreRemakesTheStoredBlocks) {
  MakeBoard();
  board_->Put("big", 0, 0, 2, 2, "blue");
  board_->Put("normal", 4, 1, 1, 1, "GREEN");
  // Made directly: the factory cannot make it again.
  board_->AddBlock(new TestBlock(board_.get(), "unknown", 2, 1, 1, &events_), 6, 1, 0.0f);
  board_->AddDecoration("leaf", 3, 3, 0, 0, math::Vec2(0.0f, 0.0f), 1, 0);
  board_->StoreRestore();
  ASSERT_EQ(board_->GetRestoreRecords().size(), 3u);
  EXPECT_EQ(board_->GetRestoreRecords()[1].type, "normal");
  EXPECT_EQ(board_->GetRestoreRecords()[1].color, 1);

  board_->ClearWell(well::kClearBlocks);
  board_->Put("other", 7, 7);
  board_->TriggerRestore();
  ASSERT_EQ(board_->GetBlockCount(), 2);
  const auto* big = static_cast<TestBlock*>(board_->GetBlockByIndex(0));
  EXPECT_EQ(big->Name(), "big@0,0");
  EXPECT_EQ(big->width, 2);
  EXPECT_EQ(big->color, 0);
  EXPECT_EQ(static_cast<TestBlock*>(board_->GetBlockByIndex(1))->Name(), "normal@4,1");
  EXPECT_EQ(board_->GetBlockByIndex(2), nullptr);
  EXPECT_EQ(board_->GetDecorations().size(), 1u);
  board_->RebuildCells();
  EXPECT_EQ(board_->GetBlock(7, 7), nullptr);
}

TEST_F(WellTest, DecorationsAreFoundTopmostFirstByTheirTurnedBox) {
  MakeBoard();
  // 80 x 60 pixels: 0.1 wide, 0.1 high; make it 0.1 x 0.05 to see the turn.
  board_->AddDecoration("leaf", 0, 0, 0, 0, math::Vec2(0.0f, 0.0f), 3, 1);
  well::WellDecoration* leaf = board_->GetDecorations()[0];
  leaf->size = math::Vec2(0.1f, 0.05f);
  // Turned a quarter: 0.05 across and 0.1 down from (0.1, 0.1).
  EXPECT_TRUE(leaf->HitTest(math::Vec2(0.149f, 0.199f)));
  EXPECT_FALSE(leaf->HitTest(math::Vec2(0.151f, 0.12f)));
  leaf->rotation = 2;
  EXPECT_TRUE(leaf->HitTest(math::Vec2(0.199f, 0.149f)));
  EXPECT_FALSE(leaf->HitTest(math::Vec2(0.12f, 0.151f)));

  board_->AddDecoration("vine", 0, 0, 0, 0, math::Vec2(0.0f, 0.0f), 0, 0);
  board_->AddDecoration("moss", 0, 0, 0, 0, math::Vec2(0.0f, 0.0f), 5, 0);
  // The list runs moss (5), leaf (3), vine (0); the search runs from the end.
  well::WellDecoration* found = board_->FindDecorationAt(math::Vec2(0.12f, 0.12f));
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->imageName, "vine");
  delete found;
  EXPECT_TRUE(board_->DeleteDecoration(math::Vec2(0.12f, 0.12f)));
  EXPECT_EQ(board_->GetDecorations()[0]->imageName, "moss");
  EXPECT_FALSE(board_->DeleteDecoration(math::Vec2(0.9f, 0.9f)));
}

TEST_F(WellTest, ABlockIsDrawnWholeInsideTheClipAndCutAcrossIt) {
  MakeBoard();
  TestBlock* block = board_->Put("normal", 0, 0);  // 0.1 to 0.12 on both axes
  const math::Vec2 pos = block->GetScreenPos();
  struct Case {
    math::Vec2 clipMax;
    float right;  // the quad's right edge in pixels
  };
  const Case cases[] = {
      {math::Vec2(1.0f, 1.0f), 0.12f * 800.0f},  // wholly inside: drawn whole
      {math::Vec2(0.11f, 1.0f), 0.11f * 800.0f},  // cut at the clip's right edge
  };
  for (const Case& c : cases) {
    for (bool batched : {false, true}) {
      SCOPED_TRACE(std::to_string(c.clipMax.x) + (batched ? " batched" : ""));
      renderer_.draws.clear();
      if (batched) {
        SpriteBatch batch;
        block->RenderToBatchClipped(batch, false, math::Vec2(0.0f, 0.0f), c.clipMax);
        batch.Render(math::Vec2(0.0f, 0.0f), false);
      } else {
        block->RenderClipped(pos, math::Vec2(0.0f, 0.0f), c.clipMax);
      }
      ASSERT_EQ(renderer_.draws.size(), 1u);
      float right = 0.0f;
      for (const ScreenVertex& v : renderer_.draws[0].vertices) right = std::max(right, v.x);
      EXPECT_NEAR(right, c.right, 1.0f);
    }
  }
}

class OrderEffect : public well::WellEffect {
 public:
  OrderEffect(Events* events) : WellEffect(nullptr, ""), events_(events) {}
  void Render() override { events_->push_back("overlay"); }
  Events* events_;
};

class OrderSFX : public well::WellSFX {
 public:
  OrderSFX(well::BaseWell* board, Events* events) : WellSFX(nullptr, board), events_(events) {}
  void RenderBelowBlocks() override { events_->push_back("effects"); }
  Events* events_;
};

TEST_F(WellTest, RenderDrawsLowerDecorationsEffectsBlocksUpperDecorationsThenTheOverlay) {
  // Before Create nothing at all is drawn, not even the overlay.
  TestWell bare(*timer_, &events_);
  bare.SetOverlay(new OrderEffect(&events_));
  bare.AddDecoration("leaf", 0, 0, 0, 0, math::Vec2(0.0f, 0.0f), 1, 0);
  bare.Render();
  EXPECT_TRUE(renderer_.draws.empty());
  EXPECT_TRUE(TakeEvents().empty());

  MakeBoard();
  board_->SetOverlay(new OrderEffect(&events_));
  board_->SetSFX(new OrderSFX(board_.get(), &events_));
  board_->Put("normal", 1, 1, 1, 1, "blue");
  board_->Put("ghost", 2, 1);  // no image: not drawn
  board_->AddDecoration("over", 3, 1, 0, 0, math::Vec2(0.0f, 0.0f), 3, 0);
  board_->AddDecoration("under", 0, 1, 0, 0, math::Vec2(0.0f, 0.0f), 0, 0);
  // A lower decoration reaching below the board's bottom edge (0.26) is cut there.
  board_->AddDecoration("low", 0, 7, 0, 0, math::Vec2(0.0f, 0.0f), 2, 0);
  TakeEvents();
  renderer_.draws.clear();
  renderer_.textures.clear();
  board_->Render();
  EXPECT_EQ(TakeEvents(), (Events{"effects", "overlay"}));
  std::vector<std::string> images;
  for (const auto& texture : renderer_.textures) images.push_back(texture.second->name);
  EXPECT_EQ(images, (std::vector<std::string>{"low", "under", "block_blue", "over"}));
  ASSERT_EQ(renderer_.draws.size(), 4u);
  float lowest = 0.0f;
  for (const ScreenVertex& v : renderer_.draws[0].vertices) lowest = std::max(lowest, v.y);
  EXPECT_LE(lowest, 0.26f * 600.0f);
  // The block at its cell: (0.12, 0.12) on the screen.
  float left = 1e9f;
  for (const ScreenVertex& v : renderer_.draws[2].vertices) left = std::min(left, v.x);
  EXPECT_NEAR(left, 0.12f * 800.0f, 1.0f);
}

// The blocks go through one sprite batch: one draw call for each run of blocks whose
// pictures share a texture, in the blocks' list order.
TEST_F(WellTest, BlocksAreDrawnInListOrderOneCallForEachRunOfOnePicture) {
  MakeBoard();
  for (int x = 0; x < 4; ++x) board_->Put("normal", x, 1, 1, 1, x == 2 ? "red" : "blue");
  renderer_.draws.clear();
  renderer_.textures.clear();
  board_->Render();
  std::vector<std::string> images;
  for (const auto& texture : renderer_.textures) images.push_back(texture.second->name);
  EXPECT_EQ(images, (std::vector<std::string>{"block_blue", "block_red", "block_blue"}));
  ASSERT_EQ(renderer_.draws.size(), 3u);
  EXPECT_EQ(renderer_.draws[0].vertices.size(), 12u);
  EXPECT_EQ(renderer_.draws[1].vertices.size(), 6u);
  EXPECT_EQ(renderer_.draws[2].vertices.size(), 6u);
  // The first run holds the first two blocks, left to right.
  EXPECT_LT(renderer_.draws[0].vertices[0].x, renderer_.draws[0].vertices[6].x);
}

}  // namespace
}  // namespace welltest
