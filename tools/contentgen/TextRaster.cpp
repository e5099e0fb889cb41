#include "tools/contentgen/TextRaster.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <vector>

namespace contentgen {

std::u32string DecodeUtf8(const std::string& utf8) {
  std::u32string out;
  for (size_t i = 0; i < utf8.size();) {
    const unsigned char lead = static_cast<unsigned char>(utf8[i]);
    const size_t extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    char32_t code = lead & (0x3F >> extra);
    bool valid = extra > 0 && i + extra < utf8.size();
    for (size_t k = 1; valid && k <= extra; ++k) {
      const unsigned char next = static_cast<unsigned char>(utf8[i + k]);
      valid = (next & 0xC0) == 0x80;
      code = (code << 6) | (next & 0x3F);
    }
    if (!valid) {
      out.push_back(lead);
      ++i;
    } else {
      out.push_back(code);
      i += extra + 1;
    }
  }
  return out;
}

TextRaster::TextRaster() { FT_Init_FreeType(&library_); }

TextRaster::~TextRaster() {
  if (face_) FT_Done_Face(face_);
  if (library_) FT_Done_FreeType(library_);
}

bool TextRaster::Open(const std::string& fontFile, int pixelSize) {
  if (!library_) return false;
  if (face_) {
    FT_Done_Face(face_);
    face_ = nullptr;
  }
  if (FT_New_Face(library_, fontFile.c_str(), 0, &face_) != 0) {
    face_ = nullptr;
    return false;
  }
  if (FT_Set_Pixel_Sizes(face_, 0, FT_UInt(pixelSize)) != 0) return false;
  ascent_ = int(std::ceil(double(face_->size->metrics.ascender) / 64.0));
  descent_ = int(std::ceil(double(-face_->size->metrics.descender) / 64.0));
  return true;
}

std::string TextRaster::FaceName() const {
  if (!face_) return "";
  std::string name = face_->family_name ? face_->family_name : "";
  const std::string style = face_->style_name ? face_->style_name : "";
  if (!style.empty() && style != "Regular" && style != "Book") name += " " + style;
  return name;
}

GlyphImage TextRaster::Render(char32_t code) const {
  GlyphImage glyph;
  if (!face_) return glyph;
  const FT_UInt index = FT_Get_Char_Index(face_, FT_ULong(code));
  if (index == 0) return glyph;
  if (FT_Load_Glyph(face_, index, FT_LOAD_DEFAULT) != 0) return glyph;
  if (FT_Render_Glyph(face_->glyph, FT_RENDER_MODE_NORMAL) != 0) return glyph;
  const FT_GlyphSlot slot = face_->glyph;
  glyph.found = true;
  glyph.advance = int(std::lround(double(slot->advance.x) / 64.0));
  glyph.left = slot->bitmap_left;
  glyph.top = slot->bitmap_top;
  const FT_Bitmap& bitmap = slot->bitmap;
  glyph.ink = Mask(int(bitmap.width), int(bitmap.rows));
  for (int y = 0; y < int(bitmap.rows); ++y) {
    const unsigned char* row = bitmap.buffer + y * bitmap.pitch;
    for (int x = 0; x < int(bitmap.width); ++x) glyph.ink.Ref(x, y) = float(row[x]) / 255.0f;
  }
  return glyph;
}

int TextRaster::MeasureText(const std::string& utf8) const {
  int width = 0;
  for (char32_t code : DecodeUtf8(utf8)) width += Render(code).advance;
  return width;
}

Mask TextRaster::RenderText(const std::string& utf8) const {
  std::vector<GlyphImage> glyphs;
  int width = 0;
  int right = 0;
  for (char32_t code : DecodeUtf8(utf8)) {
    const GlyphImage& glyph = glyphs.emplace_back(Render(code));
    right = std::max(right, width + glyph.left + glyph.ink.width);
    width += glyph.advance;
  }
  Mask mask(std::max(width, right), ascent_ + descent_);
  int pen = 0;
  for (const GlyphImage& glyph : glyphs) {
    for (int y = 0; y < glyph.ink.height; ++y) {
      for (int x = 0; x < glyph.ink.width; ++x) {
        const int mx = pen + glyph.left + x;
        const int my = ascent_ - glyph.top + y;
        if (mx < 0 || my < 0 || mx >= mask.width || my >= mask.height) continue;
        mask.Ref(mx, my) = std::min(1.0f, mask.Ref(mx, my) + glyph.ink.At(x, y));
      }
    }
    pen += glyph.advance;
  }
  return mask;
}

}  // namespace contentgen
