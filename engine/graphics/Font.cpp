#include "engine/graphics/Font.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "engine/graphics/Graphics.h"

namespace {

// All glyph drawing goes through this one array: a text has at most kMaxCharacters
// glyphs of six vertices each, so it always fits.
constexpr int kVertexCapacity = Font::kMaxCharacters * 6;
ScreenVertex g_vertices[kVertexCapacity];

// The measuring pass has its own arrays, so that measuring inside a draw never disturbs
// the lines being drawn.
TextLine g_measureLines[Font::kMaxLines];
Glyph* g_measureGlyphs[Font::kMaxCharacters];

constexpr float kBoundsStart = 1000000.0f;

// The control characters are understood by every font, whether or not it has glyphs for
// them: the layout and the drawing see these stand-ins, which are never drawn.
Glyph MakeControlGlyph(char16_t code) {
  Glyph glyph;
  glyph.code = code;
  return glyph;
}
Glyph g_newlineGlyph = MakeControlGlyph(Font::kNewline);
Glyph g_tabGlyph = MakeControlGlyph(Font::kTab);
Glyph g_breakGlyph = MakeControlGlyph(Font::kBreakPoint);
Glyph g_colourGlyph = MakeControlGlyph(Font::kColourSwitch);

Glyph* ControlGlyph(char16_t code) {
  switch (code) {
    case Font::kNewline: return &g_newlineGlyph;
    case Font::kTab: return &g_tabGlyph;
    case Font::kBreakPoint: return &g_breakGlyph;
    case Font::kColourSwitch: return &g_colourGlyph;
    default: return nullptr;
  }
}

bool SameFace(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
           return std::toupper(x) == std::toupper(y);
         });
}

void PutGlyphQuad(ScreenVertex* v, float x0, float y0, float x1, float y1, float u0, float v0,
                  float u1, float v1, uint32_t colour) {
  v[0] = ScreenVertex{x0, y1, 0.0f, 1.0f, colour, u0, v1};
  v[1] = ScreenVertex{x0, y0, 0.0f, 1.0f, colour, u0, v0};
  v[2] = ScreenVertex{x1, y1, 0.0f, 1.0f, colour, u1, v1};
  v[3] = ScreenVertex{x1, y0, 0.0f, 1.0f, colour, u1, v0};
  v[4] = ScreenVertex{x1, y1, 0.0f, 1.0f, colour, u1, v1};
  v[5] = ScreenVertex{x0, y0, 0.0f, 1.0f, colour, u0, v0};
}

}  // namespace

Font::Font(const std::string& fontName) : name(fontName) {}

Font::~Font() = default;

bool Font::Create(const std::string& faceName, int fontWidth, int fontHeight, uint8_t styleByte,
                  int fontWeight) {
  face = faceName;
  width = fontWidth;
  height = fontHeight;
  style = styleByte;
  weight = fontWeight;
  return Build();
}

void Font::Resize(const std::string& faceName, int fontWidth, int fontHeight, int fontWeight,
                  int) {
  if (!SameFace(face, faceName) || width != fontWidth || height != fontHeight ||
      weight != fontWeight) {
    Create(faceName, fontWidth, fontHeight, style, fontWeight);
  }
}

void Font::DrawText(const std::string& text, const math::Vec2& position, const math::Vec2& box,
                    uint32_t flags, uint32_t colour, uint32_t reserved) {
  DrawTextW(ToWide(text), position, box, flags, colour, reserved);
}

void Font::GetTextSize(const std::string& text, const math::Vec2& box, math::Vec2& position,
                       math::Vec2& size, uint32_t flags) {
  GetTextSizeW(ToWide(text), box, position, size, flags);
}

float Font::GetHeight() {
  float screenWidth, screenHeight;
  PlayAreaSize(screenWidth, screenHeight);
  return static_cast<float>(height) / screenHeight;
}

bool Font::Recreate() { return Create(face, width, height, style, weight); }

Glyph* Font::GetGlyph(uint16_t code) {
  auto found = glyphs.find(code);
  return found == glyphs.end() ? nullptr : found->second.get();
}

void Font::LayoutText(const WString& text, float boxWidth, float, TextLine* lines,
                      Glyph** glyphPointers, int& lineCount, int& characterCount) {
  if (text.empty()) return;
  // A longer text is cut: the arrays hold kMaxCharacters characters.
  const int count = static_cast<int>(std::min<size_t>(text.size(), kMaxCharacters));
  for (int i = 0; i < count; ++i) {
    const char16_t c = text[static_cast<size_t>(i)];
    Glyph* control = ControlGlyph(c);
    // The pound sign switches colours only in a font that has it; elsewhere it is a
    // character the font lacks, like any other.
    if (control && c == kColourSwitch && !GetGlyph(c)) control = nullptr;
    glyphPointers[i] = control ? control : GetGlyph(c);
  }
  UpdateGlyphs(true);

  int line = 0;
  lines[0] = TextLine{};
  int x = 0;
  int breakIndex = -1;  // the last break point on the line
  int breakX = 0;       // the pen at that break point
  int startOfCurrent = 0;   // the pen before character i
  int startOfPrevious = 0;  // the pen before character i - 1

  auto fail = [&] {
    lineCount = 0;
    characterCount = 0;
  };
  // Closes the current line and starts the next one at next; false when that would make
  // kMaxLines lines.
  auto newLine = [&](int end, int lineWidth, int next) {
    if (line + 2 >= kMaxLines) return false;
    lines[line].end = end;
    lines[line].width = lineWidth;
    ++line;
    lines[line] = TextLine{};
    lines[line].first = next;
    x = 0;
    breakIndex = -1;
    startOfCurrent = 0;
    return true;
  };

  for (int i = 0; i < count;) {
    startOfPrevious = startOfCurrent;
    startOfCurrent = x;
    const char16_t c = text[static_cast<size_t>(i)];
    const Glyph* glyph = glyphPointers[i];
    if (!glyph) {  // a character the font lacks takes no room
      ++i;
      continue;
    }
    if (c == kNewline) {
      if (!newLine(i, x, i + 1)) return fail();
      ++i;
      continue;
    }
    if (c == kTab) {
      x = (x / kTabWidth + 1) * kTabWidth;
      ++i;
      continue;
    }
    if (c == kBreakPoint) {
      breakIndex = i;
      breakX = x;
      ++i;
      continue;
    }
    if (c == kColourSwitch) {
      ++i;
      continue;
    }
    if (c == u' ') {
      breakIndex = i;
      breakX = x;
    }
    if (static_cast<float>(glyph->width) > boxWidth) return fail();
    const int advance = glyph->preAdvance + glyph->width + glyph->postAdvance;
    const int first = lines[line].first;
    // The first character of a line always stays on it, so that every wrap moves on.
    if (static_cast<float>(x + advance) <= boxWidth || i == first) {
      x += advance;
      ++i;
      continue;
    }
    // Each closed line is measured exactly: its width is the pen where it ends.
    bool wrapped;
    int next;
    if (breakIndex >= 0) {
      next = breakIndex + 1;
      wrapped = newLine(breakIndex, breakX, next);
    } else if (i - 1 > first) {
      // Without a break point the line ends before the character that precedes the one
      // that did not fit; that character starts the next line.
      next = i - 1;
      wrapped = newLine(i - 1, startOfPrevious, next);
    } else {
      next = i;
      wrapped = newLine(i, startOfCurrent, next);
    }
    if (!wrapped) return fail();
    i = next;
  }
  lines[line].end = count;
  lines[line].width = x;
  lineCount = line + 1;
  characterCount = count;
}

void Font::DrawGlyphs(const math::Vec2& position, const math::Vec2& box, uint32_t colour,
                      TextLine* lines, Glyph** glyphPointers, int lineCount, int characterCount,
                      uint32_t flags, bool draw) {
  if (border) colour = 0xFFFFFFFF;
  uint32_t current = colour;
  uint32_t other = altColour;

  float screenWidth, screenHeight;
  PlayAreaSize(screenWidth, screenHeight);
  const float px = screenWidth * position.x;
  const float py = screenHeight * position.y;
  const float bw = screenWidth * box.x;
  const float bh = screenHeight * box.y;
  const int lineStep = height + lineSpacing;
  const float blockHeight = static_cast<float>(lineStep * lineCount);
  float top = py;
  if (flags & kBottomBlock) {
    top = py + bh - blockHeight;
  } else if (flags & kCentreBlock) {
    top = py + (bh - blockHeight) * 0.5f;
  }

  minX = minY = kBoundsStart;
  maxX = maxY = -kBoundsStart;
  Graphics* graphics = GetGraphics();
  if (!graphics) draw = false;
  if (draw) BindSheet();

  const float offsetX = static_cast<float>(screen::g_offsetX) + 0.5f;
  const float offsetY = static_cast<float>(screen::g_offsetY) + 0.5f;
  const float sheetW = static_cast<float>(sheetWidth);
  const float sheetH = static_cast<float>(sheetHeight);
  int vertexCount = 0;
  bool placed = false;
  for (int k = 0; k < lineCount; ++k) {
    TextLine& line = lines[k];
    line.y = static_cast<int32_t>(top + static_cast<float>(k * lineStep));
    float lineX = px;
    if (flags & kCentreLines) {
      lineX = px + (bw - static_cast<float>(line.width)) * 0.5f;
    } else if (flags & kRightLines) {
      lineX = px + (bw - static_cast<float>(line.width));
    }
    line.x = static_cast<int32_t>(lineX);
    float pen = static_cast<float>(line.x);
    const int end = std::min(line.end, characterCount);
    for (int i = std::max(line.first, 0); i < end; ++i) {
      const Glyph* glyph = glyphPointers[i];
      if (!glyph) continue;
      switch (glyph->code) {
        case kNewline:
        case kBreakPoint:
          continue;
        case kTab: {
          // The pen goes to the same tab stop as the layout put it (stops every
          // kTabWidth pixels from the line's start), so that measured lines and drawn
          // lines agree and tabbed columns line up.
          const int offset = static_cast<int>(pen) - line.x;
          pen = static_cast<float>(line.x + (offset / kTabWidth + 1) * kTabWidth);
          continue;
        }
        case kColourSwitch:
          std::swap(current, other);
          continue;
        default:
          break;
      }
      const int gx = static_cast<int>(pen + static_cast<float>(glyph->preAdvance));
      const int gy = line.y;
      if (draw && vertexCount + 6 <= kVertexCapacity) {
        const float x0 = static_cast<float>(gx) + offsetX;
        const float y0 = static_cast<float>(gy) + offsetY;
        const float x1 = x0 + static_cast<float>(glyph->width);
        const float y1 = y0 + static_cast<float>(glyph->height);
        const float u1 = glyph->u + static_cast<float>(glyph->width) / sheetW;
        const float v1 = glyph->v + static_cast<float>(glyph->height) / sheetH;
        PutGlyphQuad(g_vertices + vertexCount, x0, y0, x1, y1, glyph->u, glyph->v, u1, v1, current);
        vertexCount += 6;
      }
      minX = std::min(minX, static_cast<float>(gx));
      minY = std::min(minY, static_cast<float>(gy));
      maxX = std::max(maxX, static_cast<float>(gx + glyph->width));
      maxY = std::max(maxY, static_cast<float>(gy + glyph->height));
      placed = true;
      pen += static_cast<float>(glyph->width + glyph->postAdvance);
    }
  }
  if (draw && vertexCount > 0) {
    graphics->DrawArray(g_vertices, static_cast<uint32_t>(vertexCount), PT_Triangles);
  }
  if (!placed) minX = minY = maxX = maxY = 0.0f;

  if (draw && underline && lineCount > 0) {
    // Drawn untextured: opaque black whatever the sheet holds under its corner.
    int count = 0;
    for (int k = 0; k < lineCount && count + 6 <= kVertexCapacity; ++k) {
      const TextLine& line = lines[k];
      count += static_cast<int>(BuildScreenQuad(
          {static_cast<float>(line.x) / screenWidth,
           (static_cast<float>(height) * 0.75f + static_cast<float>(line.y)) / screenHeight},
          {static_cast<float>(line.width) / screenWidth, 1.0f / 600.0f}, {0, 0}, {1, 1},
          0xFF000000, g_vertices + count));
    }
    graphics->SetTexture(0, nullptr);
    graphics->DrawArray(g_vertices, static_cast<uint32_t>(count), PT_Triangles);
  }
}

void Font::GetTextSizeW(const WString& text, const math::Vec2& box, math::Vec2& position,
                        math::Vec2& size, uint32_t flags) {
  if (text.empty()) return;
  float screenWidth, screenHeight;
  PlayAreaSize(screenWidth, screenHeight);
  float boxWidth = screenWidth * box.x;
  float boxHeight = screenHeight * box.y;
  if (boxWidth <= 1.0f) boxWidth = screenWidth;
  if (boxHeight <= 1.0f) boxHeight = screenHeight;
  int lineCount = 0;
  int characterCount = 0;
  LayoutText(text, boxWidth, boxHeight, g_measureLines, g_measureGlyphs, lineCount, characterCount);
  // Laid out in the widened box, aligned in the caller's.
  DrawGlyphs(position, box, 0xFFFFFFFF, g_measureLines, g_measureGlyphs, lineCount,
             characterCount, flags, false);
  position = math::Vec2(minX / screenWidth, minY / screenHeight);
  size = math::Vec2((maxX - minX) / screenWidth, (maxY - minY) / screenHeight);
}

void Font::LayoutAndDraw(const WString& text, const math::Vec2& position, const math::Vec2& box,
                         uint32_t flags, uint32_t colour, TextLine* lines, Glyph** glyphPointers) {
  if (box.x <= 0.00001f || text.empty()) return;
  float screenWidth, screenHeight;
  PlayAreaSize(screenWidth, screenHeight);
  int lineCount = 0;
  int characterCount = 0;
  LayoutText(text, screenWidth * box.x, screenHeight * box.y, lines, glyphPointers, lineCount,
             characterCount);
  DrawGlyphs(position, box, colour, lines, glyphPointers, lineCount, characterCount, flags, true);
}
