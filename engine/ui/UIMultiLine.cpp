#include "engine/ui/UIMultiLine.h"

#include "engine/core/MemoryManager.h"
#include "engine/core/StrMan.h"
#include "engine/graphics/Graphics.h"
#include "engine/ui/UIManager.h"

namespace ui {

UIMultiLine::UIMultiLine(UIWidget* parent, const std::string& widgetName)
    : UIWidget(parent, widgetName),
      lines(static_cast<size_t>(Font::kMaxLines)),
      glyphs(static_cast<size_t>(Font::kMaxCharacters), nullptr) {
  type = WT_MultiLine;
}

bool UIMultiLine::Tick(float dt) {
  UIWidget::Tick(dt);
  return true;
}

math::Vec2 UIMultiLine::InnerBox() const {
  return math::Vec2(size.x - 2.0f * text.border.x, size.y - 2.0f * text.border.y);
}

void UIMultiLine::SetWideText(const WString& newText) {
  sourceText = newText;
  const WString& translated = lang::StrMan::Instance().GetStringW(newText);
  const WString& shown = translated.empty() ? newText : translated;
  lineCount = 0;
  characterCount = 0;
  Font* font = text.font;
  if (!font) return;
  // The line height scrolling counts in comes from the font, so that it is never 0.
  lineHeight = font->GetHeight();
  float width, height;
  PlayAreaSize(width, height);
  const math::Vec2 box = InnerBox();
  font->LayoutText(shown, box.x * width, box.y * height, lines.data(), glyphs.data(), lineCount,
                   characterCount);
  if (firstLine >= lineCount) firstLine = lineCount > 0 ? lineCount - 1 : 0;
}

void UIMultiLine::RefreshText() {
  SetWideText(sourceText);
  for (size_t i = 0; i < children.size(); ++i) children[i]->RefreshText();
}

bool UIMultiLine::Render(bool forced) {
  if (!UIWidget::Render(forced)) return false;
  Font* font = text.font;
  if (!font) return false;
  if (firstLine < lineCount) {
    const uint32_t flags = manager->forceLeftAlign ? 0u : static_cast<uint32_t>(Font::kCentreLines);
    font->DrawGlyphs(position, InnerBox(), color, lines.data() + firstLine, glyphs.data(),
                     lineCount - firstLine, characterCount, flags, true);
    font->EndText();
  }
  return true;
}

void UIMultiLine::ScrollUp() {
  if (firstLine > 0) --firstLine;
}

void UIMultiLine::ScrollDown() {
  if (lineHeight <= 0.0f) return;
  const int32_t shown = static_cast<int32_t>(size.y / lineHeight);
  // Never past the last line, whatever the box holds.
  if (firstLine <= lineCount - shown + 1 && firstLine + 1 < lineCount) ++firstLine;
}

UIWidget* UIMultiLine::GetClone() {
  const std::string cloneName = NextCloneName();
  MEMORY_OWNER("UIMultiLine::GetClone");
  UIMultiLine* clone = new UIMultiLine(parent, cloneName);
  CopyInto(clone);
  clone->firstLine = firstLine;
  // The source text the multi-line kept: its base text block never holds it.
  clone->SetWideText(sourceText);
  return clone;
}

}  // namespace ui
