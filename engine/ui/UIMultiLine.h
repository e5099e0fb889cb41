#pragma once

#include <vector>

#include "engine/graphics/Font.h"
#include "engine/ui/UIWidget.h"

namespace ui {

// A block of translated text wrapped into lines by its font inside the widget's inner box
// (the rectangle less the text border on each side). Lines are centred unless the UI
// manager forces left alignment. Drawing starts at the first line, which scrolling moves;
// the line height is the font's.
class UIMultiLine : public UIWidget {
 public:
  UIMultiLine(UIWidget* parent, const std::string& name);

  bool Tick(float dt) override;
  bool Render(bool forced) override;
  // Keeps the text as the source, shows its translation (the text itself when there is
  // none) and wraps it.
  void SetWideText(const WString& text) override;
  void RefreshText() override;
  // Copies the base widget and the first line, and wraps the source text again.
  UIWidget* GetClone() override;
  // The text is kept here, not in the base text block (which would draw it a second
  // time, unwrapped), so a saved panel takes it from here.
  WString GetSourceText() const override { return sourceText; }

  // One line back, while not at the first.
  void ScrollUp();
  // One line on, while lines remain below the box.
  void ScrollDown();

  int32_t LineCount() const { return lineCount; }
  int32_t FirstLine() const { return firstLine; }
  float LineHeight() const { return lineHeight; }

  std::vector<TextLine> lines;
  std::vector<Glyph*> glyphs;
  int32_t lineCount = 0;
  int32_t characterCount = 0;
  int32_t firstLine = 0;
  float lineHeight = 0.0f;
  WString sourceText;

 private:
  math::Vec2 InnerBox() const;
};

}  // namespace ui
