#include "engine/graphics/GlyphSheet.h"

#include <algorithm>

namespace glyphsheet {

int CellSide(int fontHeight) {
  if (fontHeight <= 0) return 0;
  return static_cast<int>(static_cast<float>(fontHeight) * 1.8f);
}

int CellsPerSide(int cellSide) { return cellSide > 0 ? kSheetSize / cellSide : 0; }

void CellOfAllocation(int cellSide, int perSide, int k, int& x, int& y) {
  // Cells are made column by column (rows within a column) and handed out from the end.
  const int made = perSide * perSide - 1 - k;
  x = cellSide * (made / perSide);
  y = cellSide * (made % perSide);
}

uint16_t GlyphTexel(const uint32_t* staging, int stagingPitch, const PixelRect& bounds, int x,
                    int y, bool border) {
  const auto at = [&](int px, int py) -> uint32_t {
    if (!bounds.Contains(px, py)) return 0;
    return staging[static_cast<long>(py) * stagingPitch + px];
  };
  const uint32_t coverage = (at(x, y) >> 4) & 0xF;
  if (coverage != 0) return static_cast<uint16_t>((coverage << 12) | 0x0FFF);
  if (!border) return 0;
  for (int dy = -1; dy <= 1; ++dy) {
    for (int dx = -1; dx <= 1; ++dx) {
      if ((dx != 0 || dy != 0) && at(x + dx, y + dy) != 0) return 0xF000;
    }
  }
  return 0;
}

void CopyGlyphPicture(const uint32_t* staging, int stagingPitch, const PixelRect& picture,
                      int shiftX, const PixelRect& cell, bool border, uint16_t* sheet,
                      int sheetPitch) {
  // The part of the picture whose texels land inside the cell.
  const int left = std::max(picture.left, cell.left - shiftX);
  const int right = std::min(picture.right, cell.right - shiftX);
  const int top = std::max(picture.top, cell.top);
  const int bottom = std::min(picture.bottom, cell.bottom);
  for (int y = top; y < bottom; ++y) {
    uint16_t* row = sheet + static_cast<long>(y) * sheetPitch;
    for (int x = left; x < right; ++x) {
      row[x + shiftX] = GlyphTexel(staging, stagingPitch, cell, x, y, border);
    }
  }
}

}  // namespace glyphsheet
