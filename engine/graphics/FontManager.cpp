#include "engine/graphics/FontManager.h"

#include <cstdarg>
#include <cstdio>

#include "engine/core/FileList.h"
#include "engine/graphics/BitmapFont.h"
#include "engine/graphics/Font.h"
#include "engine/graphics/Graphics.h"
#include "platform/gdi/Gdi.h"

namespace {

constexpr const char* kFontFilePattern = "fonts/*.ttf";

// vsnprintf into a buffer of kFormatBufferSize bytes: a longer result is cut.
std::string Format(const char* format, va_list args) {
  char buffer[FontManager::kFormatBufferSize];
  const int written = std::vsnprintf(buffer, sizeof buffer, format ? format : "", args);
  if (written < 0) return std::string();
  return std::string(buffer);
}

}  // namespace

FontManager& FontManager::Get() {
  static FontManager instance;
  return instance;
}

FontManager::FontManager() : StringMap<Font>(true, true) {}

FontManager::~FontManager() { Shutdown(); }

std::vector<std::string> FontManager::FontFiles() {
  script::FileList list;
  list.Build(kFontFilePattern);
  std::vector<std::string> files;
  for (int i = 0; i < list.GetFileC(); ++i) {
    if (!list.IsDirectory(i)) files.push_back(list.GetFileName(i));
  }
  return files;
}

bool FontManager::RegisterTTFonts(const std::string& face, int width, int height) {
  for (const std::string& file : FontFiles()) gdi::AddFontResourceA(file.c_str());
  defaultFont = CreateFont("Default", face, width, height, 500, 0);
  return true;
}

Font* FontManager::CreateFont(const std::string& name, const std::string& face, int width,
                              int height, int weight, int charset) {
  if (Font* found = FindFont(name)) return found;
  Graphics* graphics = GetGraphics();
  Font* font = graphics ? graphics->CreateFont(name) : nullptr;
  if (!font) return nullptr;
  font->Resize(face, width, height, weight, charset);
  if (!AddFont(font)) {
    delete font;
    return FindFont(name);
  }
  return font;
}

Font* FontManager::InitBitmapFont(const std::string& name, const std::string& file) {
  if (Font* found = FindFont(name)) return found;
  BitmapFont* font = new BitmapFont(name);
  font->Create(file, 0, 0, 0, 0);
  AddFont(font);
  return font;
}

bool FontManager::AddFont(Font* font) {
  if (!font) return false;
  return Insert(font->name, font);
}

Font* FontManager::FindFont(const std::string& name) const { return Find(name); }

void FontManager::Enqueue(Font* font, const math::Vec2& position, std::string text) {
  queue.push_back(TextRecord{std::move(text), font, position, colour});
}

void FontManager::EnqueueCentered(Font* font, const math::Vec2& position, std::string text) {
  Font* measuring = font ? font : defaultFont;
  if (!measuring) {
    Enqueue(font, position, std::move(text));
    return;
  }
  math::Vec2 measuredPosition(0.0f, 0.0f);
  math::Vec2 size(0.0f, 0.0f);
  measuring->GetTextSize(text, math::Vec2(1.0f, 1.0f), measuredPosition, size, 16);
  Enqueue(font, position - size * 0.5f, std::move(text));
}

void FontManager::Printf(const math::Vec2& position, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = Format(format, args);
  va_end(args);
  Enqueue(nullptr, position, std::move(text));
}

void FontManager::PrintfFont(Font* font, const math::Vec2& position, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = Format(format, args);
  va_end(args);
  Enqueue(font, position, std::move(text));
}

void FontManager::PrintfCentered(Font* font, const math::Vec2& position, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = Format(format, args);
  va_end(args);
  EnqueueCentered(font, position, std::move(text));
}

void FontManager::Print(const math::Vec2& position, const std::string& text) {
  Enqueue(nullptr, position, text);
}

void FontManager::PrintFont(Font* font, const math::Vec2& position, const std::string& text) {
  Enqueue(font, position, text);
}

void FontManager::PrintCentered(Font* font, const math::Vec2& position, const std::string& text) {
  EnqueueCentered(font, position, text);
}

void FontManager::RenderText() {
  for (const TextRecord& record : queue) {
    Font* font = record.font ? record.font : defaultFont;
    if (!font) continue;
    font->DrawText(record.text, record.position, math::Vec2(1.0f, 1.0f), 0, record.colour, 0);
  }
  queue.clear();
  colour = 0xFFFFFFFF;
  if (defaultFont) defaultFont->EndText();
}

void FontManager::ReleaseFonts() {
  for (const auto& entry : *this) entry.second->OnDeviceLost();
}

void FontManager::RestoreFonts() {
  if (!defaultFont) return;
  for (const auto& entry : *this) entry.second->Recreate();
}

void FontManager::Shutdown() {
  defaultFont = nullptr;
  queue.clear();
  Clear();
  for (const std::string& file : FontFiles()) gdi::RemoveFontResourceA(file.c_str());
}
