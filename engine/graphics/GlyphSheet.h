#pragma once

#include <cstdint>

// The arithmetic of the TrueType glyph sheet: a 1024 x 1024 texture of square cells, one
// character a cell, filled from 32-bit white-on-black staging pixels.
namespace glyphsheet {

constexpr int kSheetSize = 1024;

// A pixel rectangle; right and bottom exclusive.
struct PixelRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

// The side of a cell for a font of the pixel height: 1.8 x the height, truncated, which
// leaves room for an outline and for accents. 0 for no height.
int CellSide(int fontHeight);
// Cells along each side of the sheet; 0 when not even one cell fits.
int CellsPerSide(int cellSide);
// The top-left pixel of the cell that the k-th character of a fresh font receives (k
// from 0): the bottom cell of the last column first, then the cell above it, and so on
// column by column towards the left.
void CellOfAllocation(int cellSide, int perSide, int k, int& x, int& y);

// The sheet texel (A4R4G4B4) for the staging pixel (x, y). The pixel's coverage is the
// upper four bits of its blue byte; a covered pixel is white with that alpha. With border,
// an uncovered pixel next to any non-zero pixel (of the eight around it) is opaque black,
// which outlines the glyph. Pixels outside bounds count as zero. stagingPitch is in pixels.
uint16_t GlyphTexel(const uint32_t* staging, int stagingPitch, const PixelRect& bounds, int x,
                    int y, bool border);

// Copies a staged glyph picture into the sheet: the staging pixel (x, y) of picture becomes
// the texel (x + shiftX, y), and only texels inside cell are written, so a glyph never
// reaches into a neighbouring cell. Neighbours are looked up within cell (the glyph's own
// staging area). sheetPitch is in texels.
void CopyGlyphPicture(const uint32_t* staging, int stagingPitch, const PixelRect& picture,
                      int shiftX, const PixelRect& cell, bool border, uint16_t* sheet,
                      int sheetPitch);

}  // namespace glyphsheet
