#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/ui/UISprite.h"

class SpriteBatch;

namespace well {

class BaseWell;

// Draws a border round any region of a board: each cell inside the region looks at its
// eight neighbours and takes up to four border pieces (sides, corners, U shapes, inner
// edges) named prefix + "_" + piece name. A derived class says which cells are inside and
// which neighbours count as wall; UpdateAll works the pieces out again after a change.
class WellBorder {
 public:
  // Pieces: 0 is no piece; 1 "l" to 17 "closed".
  enum Piece : int32_t {
    kNone = 0,
    kLeft = 1,
    kRight,
    kTop,
    kBottom,
    kCornerTL,
    kCornerTR,
    kCornerBL,
    kCornerBR,
    kUL,
    kUR,
    kUT,
    kUB,
    kEdgeTL,
    kEdgeTR,
    kEdgeBL,
    kEdgeBR,
    kClosed,
    kPieceCount,
  };

  // Neighbour bits of a cell's mask.
  enum Neighbour : uint8_t {
    kUpLeft = 1 << 0,
    kUp = 1 << 1,
    kUpRight = 1 << 2,
    kLeftSide = 1 << 3,
    kRightSide = 1 << 4,
    kDownLeft = 1 << 5,
    kDown = 1 << 6,
    kDownRight = 1 << 7,
  };

  struct Cell {
    uint8_t mask = 0;
    std::array<int32_t, 4> pieces{};  // filled from the first; 0 ends the list
  };

  // Copies the board's grid size, keeps the prefix and loads the pieces.
  WellBorder(BaseWell* well, const std::string& prefix, int32_t option);
  virtual ~WellBorder();
  WellBorder(const WellBorder&) = delete;
  WellBorder& operator=(const WellBorder&) = delete;

  // Works out the mask and pieces of one cell; nothing outside the grid.
  virtual void UpdateCell(int32_t x, int32_t y);
  // Draws the pieces of every cell that lies at least partly on the screen.
  virtual void Render();
  // Loads the sprite of every piece, one cell in size.
  virtual void LoadPieces();
  virtual bool IsInside(int32_t x, int32_t y) = 0;
  virtual bool IsWall(int32_t x, int32_t y) = 0;
  virtual const char* GetPieceName(int32_t index) const;

  // UpdateCell of every cell, row by row.
  void UpdateAll();
  const Cell& GetCell(int32_t x, int32_t y) const;
  int32_t GetOption() const { return option_; }

 protected:
  BaseWell* well_;

 private:
  int32_t option_;
  std::unique_ptr<SpriteBatch> batch_;
  std::string prefix_;
  std::array<ui::UISprite, kPieceCount> pieces_;
  int32_t width_;
  int32_t height_;
  std::vector<Cell> cells_;
};

}  // namespace well
