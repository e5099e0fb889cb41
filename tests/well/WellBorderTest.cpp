// The border's autotiler: which pieces a cell takes from its eight neighbours, their
// image names, and which cells it draws; and the flight list that carries blocks off.

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/graphics/Graphics.h"
#include "engine/well/WellBorder.h"
#include "engine/well/WellMoveEnd.h"
#include "tests/well/WellTestSupport.h"

namespace welltest {
namespace {

using well::WellBorder;

// Cells listed as walls are walls; every other cell of the grid is inside (unless listed
// as outside).
class TestBorder : public WellBorder {
 public:
  TestBorder(well::BaseWell* board, const std::string& prefix) : WellBorder(board, prefix, 7) {}
  bool IsInside(int32_t x, int32_t y) override {
    return !walls.count({x, y}) && !outside.count({x, y});
  }
  bool IsWall(int32_t x, int32_t y) override { return walls.count({x, y}) > 0; }

  std::vector<std::string> Pieces(int x, int y) const {
    std::vector<std::string> names;
    for (int32_t piece : GetCell(x, y).pieces) {
      if (piece != kNone) names.push_back(GetPieceName(piece));
    }
    return names;
  }

  std::set<std::pair<int, int>> walls;
  std::set<std::pair<int, int>> outside;
};

TEST_F(WellTest, EachCellTakesItsBorderPiecesFromItsNeighbours) {
  MakeBoard(3, 3);
  // Neighbours of the middle cell (1, 1), by the letters of a keypad: q w e / a . d / z x c.
  const std::pair<char, std::pair<int, int>> kAround[] = {
      {'q', {0, 0}}, {'w', {1, 0}}, {'e', {2, 0}}, {'a', {0, 1}},
      {'d', {2, 1}}, {'z', {0, 2}}, {'x', {1, 2}}, {'c', {2, 2}},
  };
  struct Case {
    const char* walls;
    std::vector<std::string> pieces;
  };
  const Case cases[] = {
      {"", {}},
      {"w", {"t"}},
      {"a", {"l"}},
      {"d", {"r"}},
      {"x", {"b"}},
      {"wa", {"corner_tl"}},
      {"wd", {"corner_tr"}},
      {"ax", {"corner_bl"}},
      {"dx", {"corner_br"}},
      {"ad", {"l", "r"}},
      {"wx", {"t", "b"}},
      {"wad", {"u_b"}},
      {"wdx", {"u_l"}},
      {"wax", {"u_r"}},
      {"adx", {"u_t"}},
      {"wadx", {"closed"}},
      {"wac", {"corner_tl", "edge_br"}},
      {"qezc", {"edge_tl", "edge_tr", "edge_bl", "edge_br"}},
      {"qweadzxc", {"closed"}},
      {"qw", {"t"}},
      {"qe", {"edge_tl", "edge_tr"}},
      {"dz", {"r", "edge_bl"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.walls);
    TestBorder border(board_.get(), "wall");
    for (const char* w = c.walls; *w; ++w) {
      for (const auto& [key, cell] : kAround) {
        if (key == *w) border.walls.insert(cell);
      }
    }
    border.UpdateAll();
    EXPECT_EQ(border.Pieces(1, 1), c.pieces);
    // A cell that is not inside never takes pieces, whatever its neighbours.
    border.outside.insert({1, 1});
    border.UpdateCell(1, 1);
    EXPECT_EQ(border.GetCell(1, 1).mask, 0);
    EXPECT_TRUE(border.Pieces(1, 1).empty());
  }
}

TEST_F(WellTest, BorderPiecesAreNamedByPrefixAndDrawnOnlyWhenOnTheScreen) {
  // Cells of 1/32 so that the screen positions below are exact.
  const float cell = 0.03125f;
  MakeBoard(3, 1);
  board_->Create(3, 1, math::Vec2(0.0f, 0.5f), math::Vec2(3 * cell, cell), math::Vec2(cell, cell));
  TestBorder border(board_.get(), "img/wall");
  EXPECT_STREQ(border.GetPieceName(5), "corner_tl");
  EXPECT_STREQ(border.GetPieceName(17), "closed");
  EXPECT_STREQ(border.GetPieceName(0), "none");
  EXPECT_STREQ(border.GetPieceName(18), "none");
  EXPECT_EQ(border.GetOption(), 7);

  // The middle cell with walls left and right: "l" then "r".
  border.walls = {{0, 0}, {2, 0}};
  border.UpdateAll();
  ASSERT_EQ(border.Pieces(1, 0), (std::vector<std::string>{"l", "r"}));

  struct Case {
    float cellX;  // the screen x of cell (1, 0)
    bool drawn;
  };
  const Case cases[] = {
      {0.5f, true}, {-0.015625f, true}, {-0.03125f, false}, {0.96875f, true}, {1.0f, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cellX);
    // Cell (1, 0) lies at origin.x + one cell - view.x.
    board_->SetViewOffset(math::Vec2(cell - c.cellX, 0.0f));
    renderer_.draws.clear();
    renderer_.textures.clear();
    border.Render();
    std::vector<std::string> images;
    for (const auto& texture : renderer_.textures) images.push_back(texture.second->name);
    if (c.drawn) {
      EXPECT_EQ(images, (std::vector<std::string>{"img/wall_l", "img/wall_r"}));
      size_t vertices = 0;
      for (const auto& draw : renderer_.draws) vertices += draw.vertices.size();
      EXPECT_EQ(vertices, 12u);
    } else {
      EXPECT_TRUE(renderer_.draws.empty());
    }
  }
}

TEST_F(WellTest, AFlightListCarriesBlocksOffAndDeletesThem) {
  MakeBoard();
  TestBlock* block = board_->Put("normal", 2, 3);
  board_->DropBlock(block, false);
  {
    well::WellMoveEnd flights;
    flights.Add(nullptr);
    flights.Add(block);
    ASSERT_EQ(flights.GetFlights().size(), 1u);
    const math::Vec2 start = block->GetScreenPos();
    EXPECT_FLOAT_EQ(flights.GetFlights()[0].position.x, start.x);
    flights.TickAll(0.1f);
    EXPECT_FLOAT_EQ(flights.GetFlights()[0].position.y, start.y - 0.2f);
    renderer_.draws.clear();
    flights.RenderAll();
    ASSERT_EQ(renderer_.draws.size(), 1u);
  }
  EXPECT_EQ(TestBlock::alive, 0);
}

}  // namespace
}  // namespace welltest
