#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "engine/core/Math.h"
#include "engine/core/StringUtil.h"

struct ScreenVertex;

// One character of a font. Bitmap glyphs are rectangles of the font's image; TrueType
// glyphs live in a cell of the font's glyph sheet and are rasterised on demand.
struct Glyph {
  uint16_t code = 0;    // the UTF-16 character
  uint8_t pending = 0;  // 1 while a TrueType glyph still has to be rasterised
  // 1 while the text being laid out holds this glyph: such a glyph is never given to
  // another character before the text is drawn.
  uint8_t held = 0;
  float lastUse = 0.0f;  // frame time at which a TrueType glyph got its cell; -1 for a free cell
  int32_t stageX = 0, stageY = 0;  // bitmap: position in the image; TrueType: in the staging bitmap
  int32_t width = 0, height = 0;   // pixel size of the glyph's quad
  int32_t postAdvance = 0;         // pixels added to the pen after the glyph
  int32_t preAdvance = 0;          // pixels between the pen and the glyph's left edge
  int32_t cellX = 0, cellY = 0;    // TrueType: the cell's top-left pixel in the sheet
  int32_t cellW = 0, cellH = 0;
  float u = 0.0f, v = 0.0f;    // sheet coordinates of the top-left corner
  float du = 0.0f, dv = 0.0f;  // glyph size in sheet coordinates
};
static_assert(sizeof(Glyph) == 64);

// One laid-out line: characters [first, end), its pixel width, and its pixel position
// (written by the drawing pass).
struct TextLine {
  int32_t first = 0;
  int32_t end = 0;
  int32_t width = 0;
  int32_t reserved = 0;
  int32_t x = 0;
  int32_t y = 0;
};
static_assert(sizeof(TextLine) == 24);

// Every piece of text on screen goes through a Font. Positions and box sizes are
// fractions of the renderer's screen; inside a font everything is whole pixels.
//
// Control characters, never drawn: newline, tab (stops every 30 pixels from the line's
// start, in the layout and in the drawing alike) and "$", an invisible point where a line
// may break, in every font, with or without glyphs of their own; and the pound sign
// U+00A3, which switches between the drawing colour and the font's alternate colour in a
// font that has a glyph for it (a font without one skips it like any character it lacks).
class Font {
 public:
  // Text flags of DrawTextW, GetTextSizeW and DrawGlyphs. Bit 0 is tested before bit 1,
  // bit 3 before bit 2; other bits are ignored.
  enum TextFlags : uint32_t {
    kCentreLines = 1,  // centre each line in the box
    kRightLines = 2,   // align lines to the box's right edge
    kCentreBlock = 4,  // centre the block of lines vertically
    kBottomBlock = 8,  // put the block's last line at the box's bottom
  };

  // Fixed capacities of the layout: a text has at most kMaxLines - 1 lines (a line break
  // that would make kMaxLines abandons the layout, which then draws nothing) and at most
  // kMaxCharacters characters (the rest of a longer text is cut off).
  static constexpr int kMaxLines = 100;
  static constexpr int kMaxCharacters = 1024;
  static constexpr int kTabWidth = 30;
  static constexpr char16_t kNewline = u'\n';
  static constexpr char16_t kTab = u'\t';
  static constexpr char16_t kBreakPoint = u'$';
  static constexpr char16_t kColourSwitch = u'\u00A3';

  explicit Font(const std::string& fontName);
  virtual ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  // Stores the parameters, then Build.
  virtual bool Create(const std::string& faceName, int fontWidth, int fontHeight, uint8_t styleByte,
                      int fontWeight);
  // Create again (with the stored style) when the face (ignoring case), width, height or
  // weight differ; else nothing.
  virtual void Resize(const std::string& faceName, int fontWidth, int fontHeight, int fontWeight,
                      int charset);
  virtual void DrawTextW(const WString& text, const math::Vec2& position, const math::Vec2& box,
                         uint32_t flags, uint32_t colour, uint32_t reserved) = 0;
  // UTF-8 text: converted, then DrawTextW.
  virtual void DrawText(const std::string& text, const math::Vec2& position, const math::Vec2& box,
                        uint32_t flags, uint32_t colour, uint32_t reserved);
  // Lays the text out in the box (a side of at most one pixel stands for the whole
  // screen) and measures what would be drawn: position becomes the top-left of the drawn
  // glyphs and size their extent, as screen fractions. An empty text leaves both untouched;
  // a text that lays out as nothing measures (0, 0) at (0, 0).
  virtual void GetTextSizeW(const WString& text, const math::Vec2& box, math::Vec2& position,
                            math::Vec2& size, uint32_t flags);
  virtual void GetTextSize(const std::string& text, const math::Vec2& box, math::Vec2& position,
                           math::Vec2& size, uint32_t flags);
  // The line height as a fraction of the screen height.
  virtual float GetHeight();
  virtual void OnDeviceLost() {}
  // Called after the text queue is flushed and after a widget's text is drawn.
  virtual void EndText() {}
  // Create with the stored parameters.
  virtual bool Recreate();
  // Places the laid-out glyphs (see the .cpp) and, with draw set, draws them in one call.
  // Always updates the pixel bounds minX..maxY of what was placed.
  virtual void DrawGlyphs(const math::Vec2& position, const math::Vec2& box, uint32_t colour,
                          TextLine* lines, Glyph** glyphPointers, int lineCount,
                          int characterCount, uint32_t flags, bool draw);
  virtual bool Build() { return true; }
  // Rasterises glyphs that GetGlyph handed out and that are not drawn yet.
  virtual void UpdateGlyphs(bool upload) {}
  // The glyph of a character, or null.
  virtual Glyph* GetGlyph(uint16_t code);
  // Binds the glyph sheet to texture stage 0 for drawing.
  virtual void BindSheet() = 0;

  // Breaks a text into lines of at most boxWidth pixels (boxHeight is not used). Fills
  // lines (at most kMaxLines) and glyphPointers (one per character, at most
  // kMaxCharacters) and sets the counts; an empty text leaves the counts untouched, a
  // failed layout sets both to 0.
  void LayoutText(const WString& text, float boxWidth, float boxHeight, TextLine* lines,
                  Glyph** glyphPointers, int& lineCount, int& characterCount);

  const std::string& GetName() const { return name; }
  size_t GlyphCount() const { return glyphs.size(); }

  std::map<uint16_t, std::unique_ptr<Glyph>> glyphs;
  float minX = 0.0f, minY = 0.0f, maxX = 0.0f, maxY = 0.0f;
  int32_t sheetWidth = 1;
  int32_t sheetHeight = 1;
  uint32_t altColour = 0xFFFFFF00;
  std::string name;
  std::string face;
  int32_t width = 0;
  int32_t height = 0;
  int32_t weight = 0;
  int32_t lineSpacing = 0;
  bool border = false;
  bool underline = false;
  uint8_t style = 0;

 protected:
  // The common DrawTextW: nothing for an empty text or a box of no width; else the layout
  // into the caller's arrays, then DrawGlyphs.
  void LayoutAndDraw(const WString& text, const math::Vec2& position, const math::Vec2& box,
                     uint32_t flags, uint32_t colour, TextLine* lines, Glyph** glyphPointers);
};
