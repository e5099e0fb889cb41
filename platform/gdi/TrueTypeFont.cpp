#include "platform/gdi/TrueTypeFont.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace gdi {
namespace {

constexpr int kDefaultCellHeight = 16;
constexpr int kLargestHeight = 4096;

// Design units above and below the baseline that GDI's cell spans: the Windows ascent
// and descent of the OS/2 table, else the face's own ascender and descender.
void CellUnits(FT_Face face, const TT_OS2* os2, double& ascent, double& descent) {
  ascent = descent = 0;
  if (os2 && os2->usWinAscent + os2->usWinDescent > 0) {
    ascent = os2->usWinAscent;
    descent = os2->usWinDescent;
  } else if (face->ascender - face->descender > 0) {
    ascent = face->ascender;
    descent = -face->descender;
  } else {
    ascent = face->units_per_EM * 0.8;
    descent = face->units_per_EM * 0.2;
  }
}

// Average character width in design units, which CreateFontA's width parameter asks for.
double AverageWidthUnits(FT_Face face, const TT_OS2* os2) {
  if (os2 && os2->xAvgCharWidth > 0) return os2->xAvgCharWidth;
  if (FT_Load_Char(face, 'x', FT_LOAD_NO_SCALE) == 0 && face->glyph->advance.x > 0) {
    return static_cast<double>(face->glyph->advance.x);
  }
  return face->units_per_EM * 0.5;
}

}  // namespace

std::unique_ptr<TrueTypeFont> TrueTypeFont::Open(FT_Library library, const FaceChoice& choice,
                                                 int height, int width) {
  if (!library || std::abs(height) > kLargestHeight) return nullptr;
  std::unique_ptr<TrueTypeFont> font(new TrueTypeFont());
  if (FT_New_Face(library, choice.path.c_str(), choice.index, &font->face_) != 0) {
    font->face_ = nullptr;
    return nullptr;
  }
  FT_Face face = font->face_;
  if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0) return nullptr;
  FT_Select_Charmap(face, FT_ENCODING_UNICODE);
  font->family_ = choice.family;
  font->embolden_ = choice.embolden;

  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  if (os2 && os2->version == 0xFFFF) os2 = nullptr;
  double ascentUnits = 0;
  double descentUnits = 0;
  CellUnits(face, os2, ascentUnits, descentUnits);
  const double unitsPerEm = face->units_per_EM;
  const double cellUnits = ascentUnits + descentUnits;

  // GDI's positive height is the whole cell, not the em: scale so that the cell is that
  // tall, or the text comes out a fifth too big. A negative height is the em itself.
  if (height == 0) height = kDefaultCellHeight;
  double emPixels = 0;
  if (height > 0) {
    emPixels = height * unitsPerEm / cellUnits;
    font->ascent_ = static_cast<int>(std::lround(height * ascentUnits / cellUnits));
    font->descent_ = height - font->ascent_;
  } else {
    emPixels = -height;
    font->ascent_ = static_cast<int>(std::lround(ascentUnits * emPixels / unitsPerEm));
    font->descent_ = static_cast<int>(std::lround(descentUnits * emPixels / unitsPerEm));
  }

  double emPixelsX = emPixels;
  if (width != 0) emPixelsX = std::abs(width) * unitsPerEm / AverageWidthUnits(face, os2);

  const FT_F26Dot6 sizeX = std::max<FT_F26Dot6>(64, std::lround(std::min(emPixelsX, 8.0 * kLargestHeight) * 64));
  const FT_F26Dot6 sizeY = std::max<FT_F26Dot6>(64, std::lround(emPixels * 64));
  if (FT_Set_Char_Size(face, sizeX, sizeY, 72, 72) != 0) return nullptr;
  return font;
}

TrueTypeFont::~TrueTypeFont() {
  if (face_) FT_Done_Face(face_);
}

bool TrueTypeFont::Load(char32_t code) {
  // A character the face lacks takes glyph 0, the face's missing-glyph shape, as GDI does.
  const FT_UInt index = FT_Get_Char_Index(face_, code);
  if (FT_Load_Glyph(face_, index, FT_LOAD_NO_BITMAP) != 0) return false;
  if (embolden_ && face_->glyph->format == FT_GLYPH_FORMAT_OUTLINE) FT_GlyphSlot_Embolden(face_->glyph);
  return true;
}

int TrueTypeFont::Advance(char32_t code) {
  if (!Load(code)) return 0;
  return std::max(0, static_cast<int>((face_->glyph->advance.x + 32) >> 6));
}

bool TrueTypeFont::Render(char32_t code, GlyphCoverage& out) {
  out = GlyphCoverage{};
  if (!Load(code)) return false;
  FT_GlyphSlot slot = face_->glyph;
  if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return false;
  const FT_Bitmap& bitmap = slot->bitmap;
  if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) return false;
  out.left = slot->bitmap_left;
  out.top = slot->bitmap_top;
  out.width = static_cast<int>(bitmap.width);
  out.rows = static_cast<int>(bitmap.rows);
  out.pitch = bitmap.pitch;
  out.pixels = bitmap.buffer;
  // An upward-flowing bitmap starts with its bottom row; point at the top one.
  if (out.pitch < 0 && out.rows > 0) out.pixels += static_cast<long>(out.rows - 1) * -out.pitch;
  if (!out.pixels) out.width = out.rows = 0;
  return true;
}

const std::vector<std::pair<char16_t, std::uint16_t>>& TrueTypeFont::UnicodeRanges() {
  if (rangesRead_) return ranges_;
  rangesRead_ = true;
  if (!face_->charmap || face_->charmap->encoding != FT_ENCODING_UNICODE) return ranges_;
  FT_UInt index = 0;
  for (FT_ULong code = FT_Get_First_Char(face_, &index); index != 0 && code <= 0xFFFF;
       code = FT_Get_Next_Char(face_, code, &index)) {
    ++covered_;
    if (!ranges_.empty()) {
      auto& last = ranges_.back();
      if (last.first + static_cast<FT_ULong>(last.second) == code && last.second < 0xFFFF) {
        ++last.second;
        continue;
      }
    }
    ranges_.emplace_back(static_cast<char16_t>(code), 1);
  }
  return ranges_;
}

std::uint32_t TrueTypeFont::CoveredCount() {
  UnicodeRanges();
  return covered_;
}

}  // namespace gdi
