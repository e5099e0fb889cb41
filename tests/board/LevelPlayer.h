#pragma once

// The tests' level player: finds a move on a board the way a person scanning it would, so
// that board tests and the playthrough of the whole game can play levels to their end.

#include <utility>
#include <vector>

class KivWell;

namespace boardtest {

// A chain of three to five blocks that can join (flowers, and the special blocks that join
// any chain), found by a search from every cell, as cells (x, y) in drag order; one that
// lies over a tile still to turn comes first, then the one nearest to such a tile. Empty
// when the board offers none.
std::vector<std::pair<int, int>> FindChain(KivWell& board);

}  // namespace boardtest
