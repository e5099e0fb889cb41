#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/graphics/Font.h"
#include "engine/graphics/GlyphSheet.h"

class IDirect3DDevice8;
class IDirect3DTexture8;
namespace gdi {
struct HDC__;
struct HBITMAP__;
struct HFONT__;
}  // namespace gdi

// The TrueType kind of Font. The system's font rasteriser draws each character the first
// time a text needs it into a 32-bit staging bitmap, and the picture is copied into one
// 1024 x 1024 A4R4G4B4 texture, the glyph sheet, whose square cells are a cache of glyphs:
// when every cell is taken, a glyph that has held its character for more than 0.01 s
// gives its cell to the new one. A second font of face "Verdana" stands behind the
// requested face for the Latin-1 characters that the face lacks.
//
// Each glyph is staged in the staging bitmap at its own cell's place and is clipped to
// that cell, both when rasterised and when copied, so no glyph reaches into another's
// cell and every glyph can always be staged.
class DX8Font : public Font {
 public:
  static constexpr int kSheetSize = glyphsheet::kSheetSize;
  // Eviction only takes glyphs that got their character longer ago than this.
  static constexpr float kMinimumAge = 0.01f;

  explicit DX8Font(const std::string& fontName);
  ~DX8Font() override;

  // Frees everything, then builds the cells, the sheet, the staging bitmap and both fonts.
  // Failures are logged; the font then draws nothing.
  void Resize(const std::string& faceName, int fontWidth, int fontHeight, int fontWeight,
              int charset) override;
  void DrawTextW(const WString& text, const math::Vec2& position, const math::Vec2& box,
                 uint32_t flags, uint32_t colour, uint32_t reserved) override;
  // Rasterises the glyphs given a cell since the last pass, in ascending character order,
  // and uploads their cells (only those) to the sheet. Glyphs that cannot be uploaded (the
  // sheet does not lock) stay pending and are tried again at the next pass.
  void UpdateGlyphs(bool upload) override;
  // The filed glyph, else a newly assigned cell; null when every cell is young.
  Glyph* GetGlyph(uint16_t code) override;
  void BindSheet() override;
  // Frees the fonts, the staging bitmap, the sheet and every glyph.
  virtual void DeInit();

  // Gives a cell to a character and marks it pending; null when no cell can be had.
  Glyph* AllocGlyph(uint16_t code);
  // Whether a font with that range table (a GLYPHSET) covers the character. Characters
  // above U+00FF count as covered by any face.
  static bool HasGlyph(uint16_t code, const std::vector<uint8_t>& ranges);

  // The time source of eviction: the frame timer's total time unless a test sets another.
  void SetClock(std::function<float()> clock) { clock_ = std::move(clock); }

  int CellSide() const { return cell; }
  size_t FreeCellCount() const { return freeCells.size(); }
  int PendingCount() const { return pending; }
  IDirect3DTexture8* Sheet() const { return sheet; }
  bool HasFonts() const { return mainFont != nullptr; }

 private:
  // The glyphs a text being laid out holds are given back at the next pass.
  void ReleaseHeld();
  void Hold(Glyph* glyph);
  static std::vector<uint8_t> ReadRanges(gdi::HDC__* dc, gdi::HFONT__* font);

  IDirect3DDevice8* device = nullptr;
  IDirect3DTexture8* sheet = nullptr;
  gdi::HDC__* stageDC = nullptr;
  gdi::HBITMAP__* stageBitmap = nullptr;
  gdi::HFONT__* mainFont = nullptr;
  gdi::HFONT__* fallbackFont = nullptr;
  uint32_t* stagePixels = nullptr;
  std::vector<std::unique_ptr<Glyph>> freeCells;
  int pending = 0;
  int cell = 0;
  std::vector<uint8_t> mainRanges;
  std::vector<uint8_t> fallbackRanges;
  std::vector<Glyph*> held;
  std::vector<Glyph*> staged;  // the glyphs of the current pass
  std::function<float()> clock_;
};
