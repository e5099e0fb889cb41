#include "engine/ui/UINumber.h"

#include <algorithm>
#include <cstdlib>

#include "engine/core/Log.h"
#include "engine/core/Script.h"
#include "engine/graphics/Graphics.h"
#include "engine/graphics/Image.h"

namespace ui {

namespace {

constexpr float kDefaultCoords[UINumber::kBoundaryCount] = {
    0.0f,       0.09142857f, 0.15857142f, 0.25428572f, 0.33714285f, 0.42428571f, 0.51f,
    0.58857143f, 0.6785714f, 0.75714284f, 0.8457143f,  0.88285714f, 0.88285714f, 0.0f};
// Separator and colon are this share of a digit's width.
constexpr float kNarrowGlyph = 0.3f;

float GlyphWidth(int glyph, float digitWidth) {
  const bool narrow = glyph == UINumber::kSeparator || glyph == UINumber::kColon;
  return narrow ? digitWidth * kNarrowGlyph : digitWidth;
}

// Deletes what is left in the shared styles when the process ends.
struct SharedNumbersCleanup {
  ~SharedNumbersCleanup() {
    for (UINumber*& number : g_sharedNumbers) {
      delete number;
      number = nullptr;
    }
  }
};

}  // namespace

UINumber* g_sharedNumbers[2] = {nullptr, nullptr};
static const SharedNumbersCleanup s_sharedNumbersCleanup;

UINumber::UINumber() { std::copy(std::begin(kDefaultCoords), std::end(kDefaultCoords), coords); }

UINumber::~UINumber() { delete image; }

bool UINumber::Load(const std::string& file) {
  LuaState* state = script::CreateLuaState();
  if (!script::LoadScript(state, file)) {
    LOG_LINE(MSG_ERROR) << "Unable to load UINumber ini file" << file << "!";
    LuaState::Destroy(state);
    return false;
  }
  LuaObject number = script::GetGlobal(state, "Number");
  const std::string imageFile = script::GetString(number, "Image", "");
  delete image;
  image = nullptr;
  if (Graphics* graphics = GetGraphics()) image = graphics->LoadImage(imageFile);
  LuaObject list = script::GetField(number, "Coords");
  const int count = std::min(list.GetTableCount(), kBoundaryCount);
  for (int i = 0; i < count; ++i) coords[i] = script::ToFloat(list.GetByIndex(i + 1), coords[i]);
  size = script::GetVec2(number, "Size", math::Vec2(0.02f, 0.03f));
  number.Reset();
  list.Reset();
  LuaState::Destroy(state);
  return true;
}

int UINumber::Glyphs(int32_t value, bool separators, int* glyphs) const {
  int reversed[kMaxGlyphs];
  int count = 0;
  if (timeMode) {
    // A negative time shows 0:00's seconds; a time of 100 minutes or more keeps its two
    // lowest minute digits.
    const int64_t seconds = std::max<int64_t>(value, 0);
    const int64_t minutes = seconds / 60;
    reversed[count++] = static_cast<int>(seconds % 60 % 10);
    reversed[count++] = static_cast<int>(seconds % 60 / 10);
    if (minutes > 0) {
      reversed[count++] = kColon;
      reversed[count++] = static_cast<int>(minutes % 10);
      if (minutes >= 10) reversed[count++] = static_cast<int>(minutes / 10 % 10);
    }
  } else {
    // The magnitude in 64 bits: the lowest 32-bit value has no 32-bit magnitude.
    int64_t magnitude = std::llabs(static_cast<int64_t>(value));
    int digits = 0;
    do {
      if (separators && digits > 0 && digits % 3 == 0) reversed[count++] = kSeparator;
      reversed[count++] = static_cast<int>(magnitude % 10);
      magnitude /= 10;
      ++digits;
    } while (magnitude > 0);
    if (value < 0) reversed[count++] = kMinus;
  }
  for (int i = 0; i < count; ++i) glyphs[i] = reversed[count - 1 - i];
  return count;
}

uint32_t UINumber::BuildVertices(int32_t value, bool separators, const math::Vec2& position,
                                 const math::Vec2& glyphSize, ScreenVertex* vertices) const {
  int glyphs[kMaxGlyphs];
  const int count = Glyphs(value, separators, glyphs);
  math::Vec2 pen = position;
  uint32_t written = 0;
  for (int i = 0; i < count; ++i) {
    const int g = glyphs[i];
    const float width = GlyphWidth(g, glyphSize.x);
    written += BuildScreenQuad(pen, math::Vec2(width, glyphSize.y), math::Vec2(coords[g], 0.0f),
                               math::Vec2(coords[g + 1], 1.0f), 0xFFFFFFFF, vertices + written);
    pen.x += width;
  }
  return written;
}

void UINumber::Render(int32_t value, const math::Vec2& position, float scale, bool separators) {
  Graphics* graphics = GetGraphics();
  if (!graphics) return;
  ScreenVertex vertices[kMaxGlyphs * 6];
  const uint32_t count = BuildVertices(value, separators, position, size * scale, vertices);
  graphics->SetTexture(0, image);
  graphics->DrawArray(vertices, count, PT_Triangles);
}

math::Vec2 UINumber::GetExtent(int32_t value, float scale, bool separators) const {
  int glyphs[kMaxGlyphs];
  const int count = Glyphs(value, separators, glyphs);
  const math::Vec2 glyphSize = size * scale;
  float width = 0.0f;
  for (int i = 0; i < count; ++i) width += GlyphWidth(glyphs[i], glyphSize.x);
  return math::Vec2(width, glyphSize.y);
}

}  // namespace ui
