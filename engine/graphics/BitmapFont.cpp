#include "engine/graphics/BitmapFont.h"

#include <algorithm>

#include "engine/core/Log.h"
#include "engine/core/Script.h"
#include "engine/graphics/Graphics.h"
#include "engine/graphics/Image.h"

namespace {

TextLine g_lines[Font::kMaxLines];
Glyph* g_glyphPointers[Font::kMaxCharacters];

}  // namespace

uint16_t GlyphCodeOfText(const std::string& text) {
  if (text.empty()) return 0;
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
  const uint8_t lead = byte(0);
  if (lead < 0x80) return lead;
  int length = 0;
  char32_t code = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code = lead & 0x07;
  } else {
    return lead;
  }
  if (text.size() < static_cast<size_t>(length)) return lead;
  for (int i = 1; i < length; ++i) {
    const uint8_t next = byte(static_cast<size_t>(i));
    if ((next & 0xC0) != 0x80) return lead;
    code = (code << 6) | (next & 0x3F);
  }
  // Overlong forms and surrogates are no characters.
  if ((length == 3 && code < 0x800) || (length == 4 && code < 0x10000) ||
      (code >= 0xD800 && code <= 0xDFFF)) {
    return lead;
  }
  return code > 0xFFFF ? 0 : static_cast<uint16_t>(code);
}

BitmapFont::BitmapFont(const std::string& fontName) : Font(fontName) {}

BitmapFont::~BitmapFont() { delete image; }

bool BitmapFont::Create(const std::string& file, int, int, uint8_t, int) { return Load(file); }

void BitmapFont::DrawTextW(const WString& text, const math::Vec2& position, const math::Vec2& box,
                           uint32_t flags, uint32_t colour, uint32_t) {
  LayoutAndDraw(text, position, box, flags, colour, g_lines, g_glyphPointers);
}

void BitmapFont::BindSheet() {
  Graphics* graphics = GetGraphics();
  if (graphics && image) graphics->SetTexture(0, image);
}

bool BitmapFont::Load(const std::string& file) {
  face = file;
  LuaState* state = script::CreateLuaState();
  if (!script::LoadScript(state, file)) {
    LOG_LINE(MSG_ERROR) << "Unable to load font file " << file;
    LuaState::Destroy(state);
    return false;
  }

  const LuaObject offset = script::GetGlobal(state, "Offset");
  lineOffset = offset.IsNumber() ? offset.GetFloat() : 0.0f;
  imageFile = script::ToString(script::GetGlobal(state, "Img"), "");
  delete image;
  image = nullptr;
  if (!imageFile.empty()) {
    if (Graphics* graphics = GetGraphics()) image = graphics->LoadImage(imageFile);
  }
  if (!image) {
    LuaState::Destroy(state);
    return false;
  }
  // A sheet of no size would divide by zero below.
  sheetWidth = std::max<int32_t>(1, static_cast<int32_t>(image->width));
  sheetHeight = std::max<int32_t>(1, static_cast<int32_t>(image->height));
  const float sheetW = static_cast<float>(sheetWidth);
  const float sheetH = static_cast<float>(sheetHeight);

  const LuaObject table = script::GetGlobal(state, "Font");
  const int count = table.IsTable() ? table.GetTableCount() : 0;
  for (int i = 1; i <= count; ++i) {
    const LuaObject entry = table[i];
    if (!entry.IsTable()) continue;
    auto glyph = std::make_unique<Glyph>();
    glyph->stageX = script::GetInt(entry, "x", 0);
    glyph->stageY = script::GetInt(entry, "y", 0);
    glyph->width = script::GetInt(entry, "w", 0);
    glyph->height = script::GetInt(entry, "h", 0);
    glyph->postAdvance = script::GetInt(entry, "Offset", 0);
    glyph->preAdvance = script::GetInt(entry, "PreOffset", 0);
    height = i == 1 ? glyph->height : std::max(height, glyph->height);

    // The "Glyph" text names the character by its first UTF-8 character (not its first
    // byte, which for any character beyond ASCII would match no text character).
    const std::string glyphText = script::GetString(entry, "Glyph", "");
    int code = glyphText.empty() ? script::GetInt(entry, "GlyphID", 0) : GlyphCodeOfText(glyphText);
    if (code <= 0 || code > 0xFFFF) continue;
    glyph->code = static_cast<uint16_t>(code);

    const int u1 = script::GetInt(entry, "u1", 0);
    const int v1 = script::GetInt(entry, "v1", 0);
    glyph->cellX = u1;
    glyph->cellY = v1;
    glyph->cellW = script::GetInt(entry, "u2", 0) - u1;
    glyph->cellH = script::GetInt(entry, "v2", 0) - v1;
    glyph->u = static_cast<float>(glyph->stageX) / sheetW;
    glyph->v = static_cast<float>(glyph->stageY) / sheetH;
    glyph->du = static_cast<float>(glyph->width) / sheetW;
    glyph->dv = static_cast<float>(glyph->height) / sheetH;
    glyph->lastUse = 0.0f;
    glyph->pending = 0;
    // The first entry of a character wins.
    glyphs.emplace(glyph->code, std::move(glyph));
  }

  LuaState::Destroy(state);
  lineSpacing = static_cast<int32_t>(lineOffset);
  return true;
}
