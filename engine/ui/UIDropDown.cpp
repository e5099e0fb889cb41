#include "engine/ui/UIDropDown.h"

#include "engine/core/MemoryManager.h"
#include "engine/core/Script.h"
#include "engine/core/WriteLua.h"
#include "engine/ui/UIManager.h"
#include "platform/luaplus/LuaObject.h"

namespace ui {

namespace {
// Row texts start a twentieth of the width in from the left edge.
constexpr float kRowIndent = 0.05f;
}  // namespace

UIDropDown::UIDropDown(UIWidget* parent, const std::string& widgetName)
    : UIWidget(parent, widgetName) {
  type = WT_DropDown;
}

UIDropDown::~UIDropDown() = default;

bool UIDropDown::Load(const LuaObject& table) {
  if (!UIWidget::Load(table)) return false;
  LuaObject list = script::GetField(table, "Options");
  if (list.IsTable()) {
    const int count = list.GetTableCount();
    for (int i = 1; i <= count; ++i) {
      LuaObject entry = list.GetByIndex(i);
      if (entry.IsString()) AddOption(entry.ToStdString());
    }
  }
  coversCompletely = script::GetBool(table, "CoversCompletely", false);
  const std::string button = script::GetString(table, "DropButton", "");
  if (!button.empty()) {
    images[kButtonImage].Init(button, uv1, uv2, false);
    images[kButtonImage].Animate(0.0f);
  }
  const std::string background = script::GetString(table, "DropBG", "");
  if (!background.empty()) {
    images[kListImage].Init(background, uv1, uv2, false);
    images[kListImage].Animate(0.0f);
  }
  if (images[kButtonImage].IsLoaded()) {
    buttonPosition = math::Vec2(position.x + size.x - size.y, position.y);
    buttonSize = math::Vec2(size.y, size.y);
  } else {
    buttonPosition = position;
    buttonSize = size;
  }
  if (coversCompletely) UIWidget::SetWideText(WString());
  return true;
}

bool UIDropDown::Tick(float dt) {
  images[kButtonImage].Animate(dt);
  images[kListImage].Animate(dt);
  return UIWidget::Tick(dt);
}

bool UIDropDown::Render(bool forced) {
  if (!UIWidget::Render(forced)) return false;
  UISprite& button = images[kButtonImage];
  button.SetTransform(buttonPosition, buttonSize, rotation, scale, color);
  button.Render();
  if (open) {
    UISprite& list = images[kListImage];
    list.SetTransform(math::Vec2(position.x, position.y + size.y),
                      math::Vec2(size.x, static_cast<float>(options.size()) * size.y), rotation,
                      scale, color);
    list.Render();
    for (size_t i = 0; i < options.size(); ++i) {
      UIText& row = *options[i];
      row.SetRect(math::Vec2(position.x + kRowIndent * size.x,
                             position.y + size.y * static_cast<float>(i + 1)),
                  size);
      row.Render();
    }
  }
  return true;
}

bool UIDropDown::IsInside(const math::Vec2& point) const {
  if (!open) return UIWidget::IsInside(point);
  const float height = size.y * static_cast<float>(options.size() + 1);
  return point.x >= position.x && point.x <= position.x + size.x && point.y >= position.y &&
         point.y <= position.y + height;
}

bool UIDropDown::MouseUp(const math::Vec2& point, int button) {
  if (!IsActiveAndVisible() || !IsInside(point)) return false;
  const auto within = [&point](const math::Vec2& corner, const math::Vec2& extent) {
    return point.x >= corner.x && point.x <= corner.x + extent.x && point.y >= corner.y &&
           point.y <= corner.y + extent.y;
  };
  if (open) {
    for (size_t i = 0; i < options.size(); ++i) {
      if (within(math::Vec2(position.x, position.y + size.y * static_cast<float>(i + 1)), size)) {
        open = false;
        Select(static_cast<int32_t>(i), true);
        return true;
      }
    }
  }
  if (within(buttonPosition, buttonSize) || (coversCompletely && within(position, size))) {
    if (!open) {
      manager->SetOpenDropDown(this);
      manager->PushPanelToFront(GetRoot());
    }
    open = !open;
    return true;
  }
  return ChildrenFirst([&](UIWidget* c) { return c->MouseUp(point, button); });
}

bool UIDropDown::MouseHeld(const math::Vec2& point, int) {
  return IsActiveAndVisible() && IsInside(point);
}

void UIDropDown::SetPosition(const math::Vec2& relative) {
  const math::Vec2 before = position;
  UIWidget::SetPosition(relative);
  buttonPosition = buttonPosition + (position - before);
}

bool UIDropDown::HasImage() const { return images[kListImage].IsLoaded(); }

void UIDropDown::SetText(const std::string& newText) {
  if (!coversCompletely) UIWidget::SetText(newText);
}

void UIDropDown::SetWideText(const WString& newText) {
  if (!coversCompletely) UIWidget::SetWideText(newText);
}

void UIDropDown::RefreshText() {
  UIWidget::RefreshText();
  for (auto& option : options) option->UpdateText();
}

void UIDropDown::AddOption(const std::string& optionText) {
  MEMORY_OWNER("UIDropDown::AddOption");
  auto option = std::make_unique<UIText>();
  option->SetFont(text.fontName);
  option->color = text.color;
  option->hJust = text.hJust;
  option->vJust = text.vJust;
  option->SetRect(position, size);
  option->SetText(ToWide(optionText));
  option->Justify();
  if (selected < 0) {
    selected = 0;
    SetWideText(option->GetText());
  }
  options.push_back(std::move(option));
}

void UIDropDown::Clear() {
  options.clear();
  selected = -1;
}

void UIDropDown::Select(int32_t index, bool fire) {
  selected = index;
  if (ValidIndex(index)) {
    // SetWideText itself keeps the text empty while the widget covers completely.
    SetWideText(options[static_cast<size_t>(index)]->GetText());
  }
  if (manager->GetOpenDropDown() == this) manager->SetOpenDropDown(nullptr);
  if (fire) FireEvent(EV_Selected);
}

std::string UIDropDown::GetSelectedText() const {
  return ValidIndex(selected) ? ToNarrow(options[static_cast<size_t>(selected)]->GetText()) : "";
}

std::string UIDropDown::GetOriginalSelectedText() const {
  return ValidIndex(selected) ? ToNarrow(options[static_cast<size_t>(selected)]->rawText) : "";
}

void UIDropDown::SetCurrentOptionFromText(const std::string& optionText) {
  const WString wanted = ToWide(optionText);
  for (size_t i = 0; i < options.size(); ++i) {
    if (options[i]->rawText == wanted) {
      Select(static_cast<int32_t>(i), false);
      return;
    }
  }
}

UIWidget* UIDropDown::GetClone() {
  const std::string cloneName = NextCloneName();
  MEMORY_OWNER("UIDropDown::GetClone");
  UIDropDown* clone = new UIDropDown(parent, cloneName);
  CopyInto(clone);
  clone->selected = selected;
  clone->open = open;
  clone->buttonPosition = buttonPosition;
  clone->buttonSize = buttonSize;
  for (const auto& option : options) clone->AddOption(ToNarrow(option->rawText));
  return clone;
}

bool UIDropDown::SaveExtra(WriteLua& writer) {
  writer.WriteInt("CoversCompletely", coversCompletely ? 1 : 0);
  if (images[kButtonImage].IsLoaded()) {
    writer.WriteString("DropButton", images[kButtonImage].fileName);
  }
  if (images[kListImage].IsLoaded()) writer.WriteString("DropBG", images[kListImage].fileName);
  return true;
}

}  // namespace ui
