#pragma once

#include <string>

#include "tools/contentgen/Canvas.h"

// FreeType types, kept out of the header.
struct FT_LibraryRec_;
struct FT_FaceRec_;

// Rasterises text with FreeType from a font file of the machine (the project ships no
// font files; the build passes the path of an open font that Debian installs).
namespace contentgen {

struct GlyphImage {
  bool found = false;  // the face has a glyph for the character
  int advance = 0;     // pen advance in pixels
  int left = 0;        // ink's left edge relative to the pen
  int top = 0;         // ink's top edge above the baseline
  Mask ink;            // coverage of the ink
};

class TextRaster {
 public:
  TextRaster();
  ~TextRaster();
  TextRaster(const TextRaster&) = delete;
  TextRaster& operator=(const TextRaster&) = delete;

  // Opens the font file at a pixel size (the em size); false when it cannot be opened.
  bool Open(const std::string& fontFile, int pixelSize);

  // "DejaVu Sans Bold": the family and style names of the open face.
  std::string FaceName() const;

  int Ascent() const { return ascent_; }    // pixels above the baseline
  int Descent() const { return descent_; }  // pixels below the baseline

  GlyphImage Render(char32_t code) const;
  // Width in pixels of a UTF-8 text laid out on one line.
  int MeasureText(const std::string& utf8) const;
  // The coverage of a UTF-8 text on one line, in a mask of Ascent() + Descent() rows
  // with the baseline at row Ascent().
  Mask RenderText(const std::string& utf8) const;

 private:
  FT_LibraryRec_* library_ = nullptr;
  FT_FaceRec_* face_ = nullptr;
  int ascent_ = 0;
  int descent_ = 0;
};

// The code points of a UTF-8 text (invalid bytes are taken as Latin-1).
std::u32string DecodeUtf8(const std::string& utf8);

}  // namespace contentgen
