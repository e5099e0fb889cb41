#include "engine/well/WellBorder.h"

#include <algorithm>

#include "engine/core/MemoryManager.h"
#include "engine/graphics/SpriteBatch.h"
#include "engine/well/BaseWell.h"

namespace well {

namespace {

// Each neighbour bit with its offset, in bit order.
struct Offset {
  int32_t dx;
  int32_t dy;
};
constexpr Offset kOffsets[8] = {{-1, -1}, {0, -1}, {1, -1}, {-1, 0},
                                {1, 0},   {-1, 1}, {0, 1},  {1, 1}};

const char* const kPieceNames[WellBorder::kPieceCount] = {
    "none",    "l",       "r",       "t",       "b",       "corner_tl", "corner_tr",
    "corner_bl", "corner_br", "u_l",   "u_r",     "u_t",     "u_b",       "edge_tl",
    "edge_tr", "edge_bl", "edge_br", "closed",
};

}  // namespace

WellBorder::WellBorder(BaseWell* well, const std::string& prefix, int32_t option)
    : well_(well), option_(option), prefix_(prefix), width_(well->GetWidth()),
      height_(well->GetHeight()) {
  MEMORY_OWNER("WellBorder::WellBorder");
  batch_ = std::make_unique<SpriteBatch>();
  cells_.resize(static_cast<size_t>(width_) * static_cast<size_t>(height_));
  LoadPieces();
}

WellBorder::~WellBorder() = default;

const char* WellBorder::GetPieceName(int32_t index) const {
  if (index < kLeft || index >= kPieceCount) return "none";
  return kPieceNames[index];
}

void WellBorder::LoadPieces() {
  for (int32_t i = kLeft; i < kPieceCount; ++i) {
    ui::UISprite& piece = pieces_[static_cast<size_t>(i)];
    piece.Init(prefix_ + "_" + GetPieceName(i), math::Vec2(0.0f, 0.0f), math::Vec2(1.0f, 1.0f),
               false);
    piece.size = well_->GetCellSize();
  }
}

const WellBorder::Cell& WellBorder::GetCell(int32_t x, int32_t y) const {
  static const Cell kOutside;
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return kOutside;
  return cells_[static_cast<size_t>(y * width_ + x)];
}

void WellBorder::UpdateCell(int32_t x, int32_t y) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  Cell& cell = cells_[static_cast<size_t>(y * width_ + x)];
  cell = Cell();
  if (!IsInside(x, y)) return;
  for (int bit = 0; bit < 8; ++bit) {
    if (IsWall(x + kOffsets[bit].dx, y + kOffsets[bit].dy)) cell.mask |= static_cast<uint8_t>(1 << bit);
  }
  if (cell.mask == 0) return;

  size_t count = 0;
  auto add = [&](int32_t piece) { cell.pieces[count++] = piece; };
  const bool up = cell.mask & kUp;
  const bool left = cell.mask & kLeftSide;
  const bool right = cell.mask & kRightSide;
  const bool down = cell.mask & kDown;

  // The primary pieces from the four sides, as a bit pattern up, left, right, down.
  switch ((up ? 8 : 0) | (left ? 4 : 0) | (right ? 2 : 0) | (down ? 1 : 0)) {
    case 0b1000: add(kTop); break;
    case 0b0100: add(kLeft); break;
    case 0b0010: add(kRight); break;
    case 0b0001: add(kBottom); break;
    case 0b1100: add(kCornerTL); break;
    case 0b1010: add(kCornerTR); break;
    case 0b0101: add(kCornerBL); break;
    case 0b0011: add(kCornerBR); break;
    case 0b0110: add(kLeft); add(kRight); break;
    case 0b1001: add(kTop); add(kBottom); break;
    case 0b1110: add(kUB); break;
    case 0b1011: add(kUL); break;
    case 0b1101: add(kUR); break;
    case 0b0111: add(kUT); break;
    case 0b1111: add(kClosed); break;
    default: break;
  }
  // An inner edge for each diagonal wall whose two neighbouring sides are clear.
  if ((cell.mask & kUpLeft) && !up && !left) add(kEdgeTL);
  if ((cell.mask & kUpRight) && !up && !right) add(kEdgeTR);
  if ((cell.mask & kDownLeft) && !left && !down) add(kEdgeBL);
  if ((cell.mask & kDownRight) && !right && !down) add(kEdgeBR);
}

void WellBorder::UpdateAll() {
  for (int32_t y = 0; y < height_; ++y) {
    for (int32_t x = 0; x < width_; ++x) UpdateCell(x, y);
  }
}

void WellBorder::Render() {
  const math::Vec2 cellSize = well_->GetCellSize();
  for (int32_t y = 0; y < height_; ++y) {
    for (int32_t x = 0; x < width_; ++x) {
      const Cell& cell = cells_[static_cast<size_t>(y * width_ + x)];
      if (cell.mask == 0) continue;
      const math::Vec2 p = well_->CellToScreen(x, y);
      if (!(p.x > -cellSize.x && p.x < 1.0f && p.y > -cellSize.y && p.y < 1.0f)) continue;
      for (int32_t piece : cell.pieces) {
        if (piece == kNone) break;
        batch_->Add(&pieces_[static_cast<size_t>(piece)], p);
      }
    }
  }
  batch_->Render(math::Vec2(0.0f, 0.0f), false);
}

}  // namespace well
