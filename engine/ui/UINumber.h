#pragma once

#include <cstdint>
#include <string>

#include "engine/core/Math.h"

class Image;
struct ScreenVertex;

namespace ui {

// A number style: integers (optionally with thousands separators) or minutes-and-seconds
// times drawn from one strip of glyph images, described by a Lua file defining
//
//   Number = { Image = "img/score_digits.png", Size = { 0.02, 0.03 },
//              Coords = { 0, 0.091, ... } }   -- 14 u boundaries: glyph g spans g .. g + 1
//
// Glyphs 0 to 9 are the digits, 10 the thousands separator, 11 the colon, 12 the minus.
// Coords items present replace the defaults from the first on.
class UINumber {
 public:
  static constexpr int kBoundaryCount = 14;
  static constexpr int kSeparator = 10;
  static constexpr int kColon = 11;
  static constexpr int kMinus = 12;
  // Glyphs of the longest number: 10 digits, 3 separators and a minus.
  static constexpr int kMaxGlyphs = 16;

  UINumber();
  virtual ~UINumber();
  UINumber(const UINumber&) = delete;
  UINumber& operator=(const UINumber&) = delete;

  // Reads the style file and loads its image. A file that does not run logs
  // "Unable to load UINumber ini file<file>!" and leaves the style empty.
  bool Load(const std::string& file);
  // The glyph quads of a value from the position (play-area fractions), glyphSize per
  // digit (separator and colon are 0.3 as wide); returns the vertex count (6 a glyph).
  // vertices must hold kMaxGlyphs x 6.
  uint32_t BuildVertices(int32_t value, bool separators, const math::Vec2& position,
                         const math::Vec2& glyphSize, ScreenVertex* vertices) const;
  // Draws the value at the position, glyphs scale x the style's size.
  void Render(int32_t value, const math::Vec2& position, float scale, bool separators);
  // The size the value takes when drawn at that scale.
  math::Vec2 GetExtent(int32_t value, float scale, bool separators) const;

  math::Vec2 size{0.02f, 0.03f};
  Image* image = nullptr;  // owned
  float coords[kBoundaryCount];
  // Seconds shown as m:ss.
  bool timeMode = false;

 private:
  // The glyphs, most significant first; returns their count.
  int Glyphs(int32_t value, bool separators, int* glyphs) const;
};

// Two process-wide number styles, null at start, that their first user loads and shares
// (the game's blocks keep their value styles here). At exit each one left is deleted and
// its pointer set back to null.
extern UINumber* g_sharedNumbers[2];

}  // namespace ui
