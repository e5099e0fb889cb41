#pragma once

#include <string>
#include <vector>

#include "tools/contentgen/TextRaster.h"

// Makes the game's bitmap fonts: a glyph sheet (white glyphs, optionally with a black
// outline, on a transparent PNG) and the Lua description the font loader reads:
//   Offset = <extra line spacing>
//   Img = "fonts/<name>.png"
//   Font = { { x, y, w, h, Offset, PreOffset, Glyph or GlyphID, u1, v1, u2, v2 }, ... }
// Every glyph rectangle is one line high with the baseline at the same row, since the
// loader places every glyph at the top of its line. Each rectangle starts at the pen
// (PreOffset 0) and Offset makes up the rest of the advance.
namespace contentgen {

struct BitmapFontStyle {
  std::string name;        // the name the engine files the font under, e.g. "BigFont"
  std::string fontFile;    // TrueType file to rasterise
  int pixelSize = 16;      // em size in pixels
  int outline = 0;         // black outline width in pixels
};

// The characters of every font: ASCII 32 to 126, then the Latin-1 characters 160 to 255;
// tab and the pound sign (the text colour switch) get empty, zero-width glyphs, so that
// the drawing code sees them.
std::vector<char32_t> FontCharacters();

// One glyph as the bitmap fonts lay it out: its coverage in a rectangle one line high, the
// outline's room included, that starts at the pen, and the pen's advance past the glyph.
struct LaidGlyph {
  Mask cell;
  int advance = 0;
};
LaidGlyph LayFontGlyph(const TextRaster& raster, char32_t code, int outline);

// Writes <outDir>/fonts/<lower-case name>.lua and .png; false with error set on failure.
bool MakeBitmapFont(const BitmapFontStyle& style, const std::string& outDir, std::string& error);

}  // namespace contentgen
