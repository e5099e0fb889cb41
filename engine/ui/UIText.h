#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/core/Math.h"
#include "engine/core/StringUtil.h"

class Font;
namespace input {
struct KeyEvent;
}

namespace ui {

class UIWidget;
class UISprite;

// The text block every widget carries: a raw text (a key of the language table, or for an
// editable text the text itself), the displayed text it gives, measured and aligned in the
// widget's rectangle and drawn in a named font. An editable text that the UI manager has
// made the edited text takes keys, with a caret and a selection.
class UIText {
 public:
  static constexpr int32_t kDefaultMaxInput = 64;
  static constexpr const char* kCaretImage = "ui_img/cursor.png";

  // Justification values.
  enum { kCentre = 0, kLeft = 1, kTop = 1, kRight = 2, kBottom = 2 };

  UIText();
  ~UIText();
  UIText(const UIText&) = delete;
  UIText& operator=(const UIText&) = delete;

  // The rectangle to lay the text in (the owner's); the border is taken off every side.
  void SetRect(const math::Vec2& position, const math::Vec2& size);
  // The font manager's font of the name, else its default font.
  void SetFont(const std::string& name);
  // The font's name; "unknown" without a font.
  std::string GetFont() const;
  // "left" / "right" (any capitalisation), anything else centres; likewise "top" /
  // "bottom" for the vertical alignment.
  void SetHJust(const std::string& text);
  void SetVJust(const std::string& text);
  // Both flags together: an editable text shows its raw text as it is.
  void SetEditable(bool flag);

  // Sets the raw text (an editable one goes through the name word filter first) and lays
  // it out; an editable text puts its caret after the last character.
  void SetText(const WString& text);
  // Adds the appended text's translation (or the text itself) to the displayed text.
  void AppendText(const WString& text);
  // Translates (unless editable), applies the replacement words, measures and aligns.
  void UpdateText();
  void Justify();

  void SelectAll();
  // Caret (and no selection) at the character under the point.
  void PlaceCaret(const math::Vec2& point);
  // Selects from the character under start to the one under point.
  void DragSelect(const math::Vec2& start, const math::Vec2& point);
  // Drops every space that follows a space, and a trailing space.
  void TrimSpaces();
  // The owner widget's hit test, or the measured text's rectangle without an owner.
  bool IsInside(const math::Vec2& point) const;
  // One key of the edited text (DirectInput code; its character through the layout).
  void OnKey(const input::KeyEvent* key);
  // Draws the text, and the caret while it is the UI manager's edited text. False when
  // there is no font, or an empty text that is not editable.
  bool Render();
  // Cuts characters off the end until the text fits 90% of the rectangle; true when it cut.
  bool ShrinkToFit();
  // 1 for a point left of the text, length + 1 right of it, else one more than the index
  // of the character under the point (length + 1 over the last character).
  int32_t HitTest(const math::Vec2& point) const;

  const WString& GetText() const { return displayText; }
  bool IsEditable() const { return editable; }
  // Copies alignment, border, font, colour, flags, limits and both texts (a clone's text).
  void CopyFrom(const UIText& other);
  // The font's text flags the alignment gives, as the text is measured and drawn.
  uint32_t DrawFlags() const;

  // The process-wide replacement words (UIManager::AddReplaceWord), applied pair by pair
  // in the order they were added.
  static std::vector<std::pair<WString, WString>>& ReplacementTable();

  math::Vec2 origin{0.0f, 0.0f};
  math::Vec2 textSize{0.0f, 0.0f};
  math::Vec2 border{0.005f, 0.005f};
  int32_t vJust = kCentre;
  int32_t hJust = kCentre;
  math::Vec2 rectPosition{0.0f, 0.0f};
  math::Vec2 rectSize{0.0f, 0.0f};
  WString displayText;
  WString rawText;
  std::string fontName;
  Font* font = nullptr;  // the font manager's
  uint32_t color = 0xFFFFFFFF;
  int32_t caret = 0;
  int32_t selectionEnd = 0;
  int32_t maxInput = kDefaultMaxInput;
  math::Vec2 caretOffset{0.0f, 0.0f};  // from rectPosition + border
  math::Vec2 caretSize{0.0f, 0.0f};
  std::unique_ptr<UISprite> caretImage;
  bool editable = false;
  bool rawIsText = false;
  bool underline = false;
  UIWidget* owner = nullptr;
  bool isPassword = false;

 private:
  // Measures the displayed text in the rectangle and aligns it.
  void Measure();
  // Screen width of a text in one line; 0 without a font or for an empty text.
  float MeasureWidth(const WString& text) const;
  // Where the font draws the first glyph: the left of the text and the top of its lines.
  math::Vec2 TextCorner() const;
  void UpdateCaretBox();
  // Takes an edited text as the raw and displayed text and lays it out again.
  void ApplyEdit(const WString& text);
  // Removes the selected characters; the caret and the selection end at its start.
  void DeleteSelection();
};

}  // namespace ui
