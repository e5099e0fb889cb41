#include "engine/ui/UIText.h"

#include <algorithm>
#include <cstring>

#include "engine/app/Audio.h"
#include "engine/app/Input.h"
#include "engine/app/Keyboard.h"
#include "engine/core/Log.h"
#include "engine/core/MemoryManager.h"
#include "engine/core/StrMan.h"
#include "engine/core/StringUtil.h"
#include "engine/core/SwearFilter.h"
#include "engine/graphics/Font.h"
#include "engine/graphics/FontManager.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/UISprite.h"
#include "engine/ui/UIWidget.h"
#include "platform/dinput/DInput.h"

namespace ui {

namespace {

// DrawText-style flags of the font (word break and tab expansion are what the font always does).
constexpr uint32_t kWordBreak = 0x10;
constexpr uint32_t kExpandTabs = 0x40;

// Characters the edited texts refuse (they have meanings in scripts and in the font).
constexpr const char* kRefusedCharacters = "!#$%^&*()[]<>\\{}|";

}  // namespace

UIText::UIText() = default;
UIText::~UIText() = default;

std::vector<std::pair<WString, WString>>& UIText::ReplacementTable() {
  static std::vector<std::pair<WString, WString>> table;
  return table;
}

void UIText::SetRect(const math::Vec2& position, const math::Vec2& size) {
  rectPosition = position;
  rectSize = math::Vec2(size.x - 2.0f * border.x, size.y - 2.0f * border.y);
  Justify();
}

void UIText::SetFont(const std::string& name) {
  fontName = name;
  FontManager& fonts = FontManager::Get();
  font = fonts.FindFont(name);
  if (!font) font = fonts.defaultFont;
}

std::string UIText::GetFont() const { return font ? font->GetName() : "unknown"; }

void UIText::SetHJust(const std::string& text) {
  const std::string word = ToLowerCase(text);
  hJust = word == "left" ? kLeft : word == "right" ? kRight : kCentre;
  Justify();
}

void UIText::SetVJust(const std::string& text) {
  const std::string word = ToLowerCase(text);
  vJust = word == "top" ? kTop : word == "bottom" ? kBottom : kCentre;
  Justify();
}

void UIText::SetEditable(bool flag) {
  editable = flag;
  rawIsText = flag;
}

void UIText::SetText(const WString& text) {
  if (rawIsText) {
    SwearFilter::Instance().Filter(text, rawText);
  } else {
    rawText = text;
  }
  UpdateText();
  if (editable) {
    caret = selectionEnd = static_cast<int32_t>(displayText.size());
    UpdateCaretBox();
  }
}

void UIText::AppendText(const WString& text) {
  const WString& translated = lang::StrMan::Instance().GetStringW(text);
  SetText(displayText + (translated.empty() ? text : translated));
}

void UIText::UpdateText() {
  SetFont(fontName);
  if (editable) {
    displayText = rawText;
  } else {
    const WString& translated = lang::StrMan::Instance().GetStringW(rawText);
    displayText = translated.empty() ? rawText : translated;
  }
  for (const auto& [word, replacement] : ReplacementTable()) {
    if (word.empty()) continue;
    for (size_t at = displayText.find(word); at != WString::npos;
         at = displayText.find(word, at + replacement.size())) {
      displayText.replace(at, word.size(), replacement);
    }
  }
  Measure();
}

void UIText::Measure() {
  if (!displayText.empty() && font) {
    math::Vec2 corner = rectPosition + border;
    font->GetTextSizeW(displayText, rectSize, corner, textSize, DrawFlags());
  }
  Justify();
}

void UIText::Justify() {
  switch (hJust) {
    case kLeft: origin.x = rectPosition.x + border.x; break;
    case kRight: origin.x = rectPosition.x + rectSize.x - textSize.x - border.x; break;
    default: origin.x = rectPosition.x + (rectSize.x - textSize.x) * 0.5f; break;
  }
  switch (vJust) {
    case kTop: origin.y = rectPosition.y + border.y; break;
    case kBottom: origin.y = rectPosition.y + rectSize.y - textSize.y - border.y; break;
    default: origin.y = rectPosition.y + (rectSize.y - textSize.y) * 0.5f; break;
  }
}

void UIText::SelectAll() {
  caret = 0;
  selectionEnd = static_cast<int32_t>(displayText.size());
  UpdateCaretBox();
}

void UIText::PlaceCaret(const math::Vec2& point) {
  caret = selectionEnd = HitTest(point) - 1;
  UpdateCaretBox();
}

void UIText::DragSelect(const math::Vec2& start, const math::Vec2& point) {
  caret = HitTest(start) - 1;
  selectionEnd = HitTest(point);
  if (caret > selectionEnd) {
    selectionEnd = caret + 1;
    caret = HitTest(point) - 1;
  }
  if (caret < 0) selectionEnd = 0;
  selectionEnd = std::min(selectionEnd, static_cast<int32_t>(displayText.size()));
  UpdateCaretBox();
}

void UIText::TrimSpaces() {
  WString trimmed;
  for (char16_t c : displayText) {
    if (c == u' ' && !trimmed.empty() && trimmed.back() == u' ') continue;
    trimmed += c;
  }
  if (!trimmed.empty() && trimmed.back() == u' ') trimmed.pop_back();
  displayText = trimmed;
  // An edited text is its own raw text; it must not get its spaces back at the next layout.
  if (editable) rawText = displayText;
}

bool UIText::IsInside(const math::Vec2& point) const {
  if (owner) return owner->IsInside(point);
  return point.x >= origin.x && point.x <= origin.x + textSize.x && point.y >= origin.y &&
         point.y <= origin.y + textSize.y;
}

uint32_t UIText::DrawFlags() const {
  uint32_t flags = kWordBreak | kExpandTabs;
  if (hJust == kCentre) flags |= Font::kCentreLines;
  if (hJust == kRight) flags |= Font::kRightLines;
  if (vJust == kCentre) flags |= Font::kCentreBlock;
  if (vJust == kBottom) flags |= Font::kBottomBlock;
  return flags;
}

float UIText::MeasureWidth(const WString& text) const {
  if (!font || text.empty()) return 0.0f;
  math::Vec2 corner(0.0f, 0.0f);
  math::Vec2 size(0.0f, 0.0f);
  font->GetTextSizeW(text, math::Vec2(0.0f, 0.0f), corner, size, 0);
  return size.x;
}

math::Vec2 UIText::TextCorner() const {
  const math::Vec2 box = rectPosition + border;
  if (font && !displayText.empty()) {
    math::Vec2 corner = box;
    math::Vec2 size(0.0f, 0.0f);
    font->GetTextSizeW(displayText, rectSize, corner, size, DrawFlags());
    return corner;
  }
  // Where the first character of an empty text would go.
  const float lineHeight = font ? font->GetHeight() : 0.0f;
  math::Vec2 corner = box;
  if (hJust == kCentre) corner.x += rectSize.x * 0.5f;
  if (hJust == kRight) corner.x += rectSize.x;
  if (vJust == kCentre) corner.y += (rectSize.y - lineHeight) * 0.5f;
  if (vJust == kBottom) corner.y += rectSize.y - lineHeight;
  return corner;
}

int32_t UIText::HitTest(const math::Vec2& point) const {
  const int32_t length = static_cast<int32_t>(displayText.size());
  if (!font || length == 0) return length + 1;
  const float left = TextCorner().x;
  if (point.x < left) return 1;
  if (point.x > left + MeasureWidth(displayText)) return length + 1;
  for (int32_t i = 1; i < length; ++i) {
    if (point.x < left + MeasureWidth(displayText.substr(0, static_cast<size_t>(i)))) return i;
  }
  return length + 1;
}

void UIText::UpdateCaretBox() {
  const int32_t length = static_cast<int32_t>(displayText.size());
  const int32_t first = std::clamp(std::min(caret, selectionEnd), 0, length);
  const int32_t last = std::clamp(std::max(caret, selectionEnd), 0, length);
  const math::Vec2 corner = TextCorner();
  const float start = MeasureWidth(displayText.substr(0, static_cast<size_t>(first)));
  float width;
  if (last > first) {
    width = MeasureWidth(displayText.substr(0, static_cast<size_t>(last))) - start;
  } else {
    // One character: the one at the caret, or an "X" at the end of the text.
    width = MeasureWidth(first < length ? displayText.substr(static_cast<size_t>(first), 1) : u"X");
    if (width <= 0.0f) width = MeasureWidth(u"X");
  }
  caretOffset = math::Vec2(corner.x + start - (rectPosition.x + border.x),
                           corner.y - (rectPosition.y + border.y));
  caretSize = math::Vec2(width, font ? font->GetHeight() : 0.0f);
}

void UIText::ApplyEdit(const WString& text) {
  rawText = text;
  UpdateText();
}

void UIText::DeleteSelection() {
  const int32_t first = std::min(caret, selectionEnd);
  const int32_t last = std::max(caret, selectionEnd);
  WString text = displayText;
  text.erase(static_cast<size_t>(first), static_cast<size_t>(last - first));
  caret = selectionEnd = first;
  ApplyEdit(text);
}

void UIText::OnKey(const input::KeyEvent* key) {
  if (!key) return;
  const char typed = key->ToAscii();
  if (typed != 0 && std::strchr(kRefusedCharacters, typed)) {
    LOG_LINE(MSG_COMMENT) << "Tried typing an invalid character " << std::string(1, typed);
    return;
  }
  input::Keyboard* keyboard = input::GetDevices().keyboard;
  const bool shift = keyboard && (keyboard->IsDown(DIK_LSHIFT) || keyboard->IsDown(DIK_RSHIFT));
  const bool control =
      keyboard && (keyboard->IsDown(DIK_LCONTROL) || keyboard->IsDown(DIK_RCONTROL));

  // The caret and the selection end stay within the text: a stale index (the text was set
  // shorter from outside) would otherwise delete or insert past its end.
  const int32_t length = static_cast<int32_t>(displayText.size());
  caret = std::clamp(caret, 0, length);
  selectionEnd = std::clamp(selectionEnd, 0, length);
  const bool selection = caret != selectionEnd;

  const uint32_t code = key->code;
  if (code != DIK_LSHIFT && code != DIK_RSHIFT && code != DIK_LCONTROL &&
      code != DIK_RCONTROL) {
    audio::GetAudio().PlaySound("textbox_new_text");
  }

  switch (code) {
    case DIK_RIGHT:
      if (caret < length) selectionEnd = ++caret;
      break;
    case DIK_LEFT:
      if (caret > 0) selectionEnd = --caret;
      break;
    case DIK_HOME:
      caret = selectionEnd = 0;
      break;
    case DIK_END:
      caret = selectionEnd = length;
      break;
    case DIK_BACK:
      if (length > 0 && caret >= 1) {
        if (selection) {
          // The caret goes where the selection began, not one before the old caret.
          DeleteSelection();
        } else {
          WString text = displayText;
          text.erase(static_cast<size_t>(caret - 1), 1);
          caret = selectionEnd = caret - 1;
          ApplyEdit(text);
        }
      }
      break;
    case DIK_DELETE:
      if (selection) {
        DeleteSelection();
      } else if (caret < length) {
        WString text = displayText;
        text.erase(static_cast<size_t>(caret), 1);
        selectionEnd = caret;
        ApplyEdit(text);
      }
      break;
    case DIK_RETURN:
      if (owner) owner->FireEvent(UIWidget::EV_TextEnter);
      break;
    case DIK_INSERT:
      if (shift) {
        std::string pasted;
        if (keyboard && keyboard->GetClipboardText(pasted)) {
          ApplyEdit(displayText + ToWide(pasted));
          ShrinkToFit();
          caret = selectionEnd = static_cast<int32_t>(displayText.size());
        }
      } else if (control && keyboard) {
        const int32_t first = std::min(caret, selectionEnd);
        keyboard->SetClipboardText(selection ? displayText.substr(static_cast<size_t>(first),
                                                                  static_cast<size_t>(std::abs(caret - selectionEnd)))
                                             : displayText);
      }
      break;
    default: {
      const unsigned char c = static_cast<unsigned char>(typed);
      if (c <= 31 || c >= 128) break;
      if (selection) DeleteSelection();
      if (static_cast<int32_t>(displayText.size()) < maxInput) {
        WString text = displayText;
        text.insert(static_cast<size_t>(caret), 1, static_cast<char16_t>(c));
        caret = selectionEnd = caret + 1;
        ApplyEdit(text);
        if (ShrinkToFit()) caret = selectionEnd = static_cast<int32_t>(displayText.size());
      }
      break;
    }
  }
  UpdateCaretBox();
}

bool UIText::ShrinkToFit() {
  if (!font) return false;
  const float room = 0.9f * rectSize.x - 2.0f * border.x;
  bool cut = false;
  while (!displayText.empty() && MeasureWidth(displayText) > room) {
    displayText.pop_back();
    cut = true;
  }
  if (cut) {
    if (editable) rawText = displayText;
    caret = std::min(caret, static_cast<int32_t>(displayText.size()));
    selectionEnd = std::min(selectionEnd, static_cast<int32_t>(displayText.size()));
    Measure();
  }
  return cut;
}

bool UIText::Render() {
  if ((displayText.empty() && !editable) || !font) return false;
  if (!displayText.empty()) {
    const WString shown = isPassword ? WString(displayText.size(), u'X') : displayText;
    const bool fontUnderline = font->underline;
    font->underline = underline;
    font->DrawTextW(shown, rectPosition + border, rectSize, DrawFlags(), color, 0);
    font->underline = fontUnderline;
    font->EndText();
  }
  if (editable && GetUIMan().GetEditText() == this) {
    if (!caretImage) {
      MEMORY_OWNER("UIText::Render");
      caretImage = std::make_unique<UISprite>();
      caretImage->Init(kCaretImage, math::Vec2(0.0f, 0.0f), math::Vec2(1.0f, 1.0f), false);
    }
    caretImage->SetTransform(rectPosition + border + caretOffset, caretSize, 0.0f, 1.0f, 0xFFFFFFFF);
    caretImage->Render();
  }
  return true;
}

void UIText::CopyFrom(const UIText& other) {
  origin = other.origin;
  textSize = other.textSize;
  border = other.border;
  vJust = other.vJust;
  hJust = other.hJust;
  rectPosition = other.rectPosition;
  rectSize = other.rectSize;
  displayText = other.displayText;
  rawText = other.rawText;
  fontName = other.fontName;
  font = other.font;
  color = other.color;
  caret = other.caret;
  selectionEnd = other.selectionEnd;
  maxInput = other.maxInput;
  caretOffset = other.caretOffset;
  caretSize = other.caretSize;
  editable = other.editable;
  rawIsText = other.rawIsText;
  underline = other.underline;
  isPassword = other.isPassword;
}

}  // namespace ui
