#include "tests/board/LevelPlayer.h"

#include <algorithm>
#include <cstdlib>

#include "game/board/KivBlock.h"
#include "game/board/KivWell.h"

namespace boardtest {
namespace {

void Grow(KivWell& board, int x, int y, std::vector<KivBlock*>& blocks, std::vector<std::pair<int, int>>& cells) {
  KivBlock* block = board.GetKivBlock(x, y);
  // Flowers, and the special blocks that join any chain (zen, gems, cuts, clocks): a
  // player who left those alone would find the board filling up with them.
  const bool joins = block && (block->kind == kKindFlower || (block->kind >= kKindZen && block->kind <= kKindTime));
  if (!joins || block->IsDying() || block->moving ||
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
  board.RebuildCells();
  std::vector<std::pair<int, int>> unturned;
  for (int x = 0; x < KivWell::kGridWidth; ++x) {
    for (int y = 0; y < KivWell::kGridHeight; ++y) {
      if (board.GetTileValue(x, y) > 1) unturned.emplace_back(x, y);
    }
  }
  // How far the chain lies from the nearest tile still to turn, in cells (0 over one):
  // clearing near such a tile brings it new neighbours to chain with.
  const auto distance = [&unturned](const std::vector<std::pair<int, int>>& cells) {
    int nearest = KivWell::kGridWidth + KivWell::kGridHeight;
    for (const auto& [cx, cy] : cells) {
      for (const auto& [tx, ty] : unturned) nearest = std::min(nearest, std::max(std::abs(cx - tx), std::abs(cy - ty)));
    }
    return nearest;
  };
  std::vector<std::pair<int, int>> best;
  int bestDistance = 0;
  for (int x = 0; x < KivWell::kGridWidth; ++x) {
    for (int y = 0; y < KivWell::kGridHeight; ++y) {
      std::vector<KivBlock*> blocks;
      std::vector<std::pair<int, int>> cells;
      Grow(board, x, y, blocks, cells);
      if (cells.size() < 3) continue;
      const int d = distance(cells);
      if (best.empty() || d < bestDistance) {
        best = cells;
        bestDistance = d;
      }
    }
  }
  return best;
}

}  // namespace boardtest
