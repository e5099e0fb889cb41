#pragma once

// One FreeType face opened at the pixel size that a GDI font request describes: metrics
// of the GDI cell (ascent + descent = the requested height), advance widths, grey glyph
// coverage, and the face's Unicode ranges. Internal to the GDI layer.

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/gdi/FontRegistry.h"

typedef struct FT_FaceRec_* FT_Face;

namespace gdi {

struct HFONT__;

// A rendered glyph: width x rows coverage bytes (0 to 255), pitch bytes a row, placed
// left pixels right of the pen and top pixels above the baseline.
struct GlyphCoverage {
  int left = 0;
  int top = 0;
  int width = 0;
  int rows = 0;
  int pitch = 0;
  const std::uint8_t* pixels = nullptr;
};

class TrueTypeFont {
 public:
  // Height and width as CreateFontA takes them; null when the face cannot be opened.
  static std::unique_ptr<TrueTypeFont> Open(FT_Library library, const FaceChoice& choice,
                                            int height, int width);
  ~TrueTypeFont();
  TrueTypeFont(const TrueTypeFont&) = delete;
  TrueTypeFont& operator=(const TrueTypeFont&) = delete;

  const std::string& Family() const { return family_; }
  bool Emboldened() const { return embolden_; }
  int CellHeight() const { return ascent_ + descent_; }
  int Ascent() const { return ascent_; }

  // Advance width in pixels of a character (the missing-glyph shape's for one the face
  // lacks).
  int Advance(char32_t code);
  // Renders a character; the coverage stays valid until the next call on this font.
  bool Render(char32_t code, GlyphCoverage& out);
  // The covered UTF-16 code units as {low, count} runs, ascending.
  const std::vector<std::pair<char16_t, std::uint16_t>>& UnicodeRanges();
  // The number of code units that UnicodeRanges covers.
  std::uint32_t CoveredCount();

 private:
  TrueTypeFont() = default;
  bool Load(char32_t code);

  FT_Face face_ = nullptr;
  std::string family_;
  bool embolden_ = false;
  int ascent_ = 0;
  int descent_ = 0;
  bool rangesRead_ = false;
  std::vector<std::pair<char16_t, std::uint16_t>> ranges_;
  std::uint32_t covered_ = 0;
};

// The TrueType font behind a font handle, null for anything else (tests look at it).
TrueTypeFont* TrueTypeFontOf(HFONT__* font);

}  // namespace gdi
