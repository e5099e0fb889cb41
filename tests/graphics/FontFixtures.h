#pragma once

// Bitmap fonts made by the tests: a Lua description file written into the working folder,
// and a renderer that records draws and hands out a picture of the glyph sheet without
// reading any file.

#include <string>
#include <vector>

#include "engine/graphics/Image.h"
#include "tests/graphics/FakeRenderer.h"

namespace fonttest {

// One entry of a description file. "Glyph" is always written; "GlyphID" when id is not 0.
struct GlyphEntry {
  std::string glyph;  // "Glyph"
  int id = 0;         // "GlyphID"
  int x = 0, y = 0, w = 10, h = 12;
  int offset = 0;     // "Offset": pixels after the glyph
  int preOffset = 0;  // "PreOffset"
};

// The text of a description file.
std::string FontFile(const std::string& image, int lineOffset, const std::vector<GlyphEntry>& glyphs);

// The standard test font, glyph sheet "fonts/test.png" (256 x 64), line offset 2:
// "A" to "Z", "x", "y", "z", "$" and "%" are 10 x 12 with no spacing, " " is 5 x 12.
std::vector<GlyphEntry> StandardGlyphs();
// Writes the standard font's description to the file; the name back.
std::string WriteStandardFont(const std::string& file = "fonts/test.lua");

// A recording renderer whose LoadImage gives a 256 x 64 picture (no surface) for the names
// in images, and null for every other name.
class FontRenderer : public FakeRenderer {
 public:
  Image* LoadImage(const std::string& name) override {
    loads.push_back(name);
    for (const std::string& known : images) {
      if (name == known) {
        Image* image = new Image;
        image->name = name;
        image->width = 256;
        image->height = 64;
        return image;
      }
    }
    return nullptr;
  }

  std::vector<std::string> images{"fonts/test.png"};
  std::vector<std::string> loads;
};

// A glyph quad as drawn: its pixel rectangle (play-area offsets and the half-pixel shift
// taken off), colour and texture corner.
struct DrawnGlyph {
  float x, y, w, h;
  uint32_t colour;
  float u, v;
};

std::vector<DrawnGlyph> GlyphsOf(const FakeRenderer::Draw& draw);
// Every glyph of every draw.
std::vector<DrawnGlyph> AllGlyphs(const FakeRenderer& renderer);

}  // namespace fonttest
