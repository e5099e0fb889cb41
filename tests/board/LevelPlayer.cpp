#include "tests/board/LevelPlayer.h"

#include <algorithm>

#include "game/board/KivBlock.h"
#include "game/board/KivWell.h"

namespace boardtest {
namespace {

void Grow(KivWell& board, int x, int y, std::vector<KivBlock*>& blocks, std::vector<std::pair<int, int>>& cells) {
  KivBlock* block = board.GetKivBlock(x, y);
  if (!block || block->IsDying() || block->moving || block->kind != kKindFlower ||
      std::find(blocks.begin(), blocks.end(), block) != blocks.end() || !board.CanJoin(block, blocks)) {
    return;
  }
  blocks.push_back(block);
  cells.emplace_back(x, y);
  // The chain goes on from its newest cell only: a drag joins each block to the one
  // before it, so the cells must form a path.
  for (int dx = -1; dx <= 1 && cells.size() < 5; ++dx) {
    for (int dy = -1; dy <= 1 && cells.size() < 5; ++dy) {
      if (!dx && !dy) continue;
      const size_t before = cells.size();
      Grow(board, x + dx, y + dy, blocks, cells);
      if (cells.size() > before) return;
    }
  }
}

}  // namespace

std::vector<std::pair<int, int>> FindChain(KivWell& board) {
  std::vector<std::pair<int, int>> best;
  bool bestTurns = false;
  board.RebuildCells();
  for (int x = 0; x < KivWell::kGridWidth; ++x) {
    for (int y = 0; y < KivWell::kGridHeight; ++y) {
      std::vector<KivBlock*> blocks;
      std::vector<std::pair<int, int>> cells;
      Grow(board, x, y, blocks, cells);
      if (cells.size() < 3) continue;
      bool turns = false;
      for (const auto& [cx, cy] : cells) turns = turns || board.GetTileValue(cx, cy) > 1;
      if (best.empty() || (turns && !bestTurns)) {
        best = cells;
        bestTurns = turns;
      }
    }
  }
  return best;
}

}  // namespace boardtest
