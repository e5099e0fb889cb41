#pragma once

#include <string>

#include "engine/graphics/Font.h"

class Image;

// A font whose glyphs are rectangles of one image, described by a Lua file:
//
//   Offset = 2                  -- line spacing in pixels
//   Img = "fonts/small.png"     -- the glyph sheet
//   Font = {
//     { x = 0, y = 0, w = 8, h = 12, Offset = 1, PreOffset = 0, Glyph = "A",
//       u1 = 0, v1 = 0, u2 = 8, v2 = 12 },
//     { x = 8, y = 0, w = 8, h = 12, GlyphID = 163 },   -- a character by its code
//   }
class BitmapFont : public Font {
 public:
  explicit BitmapFont(const std::string& fontName);
  ~BitmapFont() override;

  // Loads the description file (the other arguments are not used).
  bool Create(const std::string& file, int fontWidth, int fontHeight, uint8_t styleByte,
              int fontWeight) override;
  // A bitmap font has one size: nothing to do.
  void Resize(const std::string& faceName, int fontWidth, int fontHeight, int fontWeight,
              int charset) override {}
  void DrawTextW(const WString& text, const math::Vec2& position, const math::Vec2& box,
                 uint32_t flags, uint32_t colour, uint32_t reserved) override;
  // The image is the resource manager's and comes back with it after a reset.
  bool Recreate() override { return true; }
  void BindSheet() override;

  // Reads the description file and loads its image. False when the file cannot be run
  // ("Unable to load font file " is logged) or its image does not load; glyphs read before
  // a failure stay.
  virtual bool Load(const std::string& file);

  std::string imageFile;
  Image* image = nullptr;  // owned
  float lineOffset = 0.0f;
};

// The character of a glyph entry's "Glyph" text: its first UTF-8 character. A byte that
// starts no valid UTF-8 sequence stands for itself (a Latin-1 file); 0 for an empty text
// or a character beyond U+FFFF, which no UTF-16 text unit can match.
uint16_t GlyphCodeOfText(const std::string& text);
