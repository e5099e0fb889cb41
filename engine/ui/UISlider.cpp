#include "engine/ui/UISlider.h"

#include <algorithm>

#include "engine/core/MemoryManager.h"
#include "engine/core/Script.h"
#include "engine/core/WriteLua.h"

namespace ui {

UISlider::UISlider(UIWidget* parent, const std::string& name) : UIWidget(parent, name) {
  type = WT_Slider;
}

void UISlider::SetSlider(float newValue) { value = std::clamp(newValue, 0.0f, 1.0f); }

bool UISlider::Load(const LuaObject& table) {
  if (!UIWidget::Load(table)) return false;
  const std::string icon = script::GetString(table, "SliderIcon", "");
  if (!icon.empty()) images[kIconImage].Init(icon, uv1, uv2, false);
  iconSize = images[kIconImage].size;
  SetSlider(script::GetFloat(table, "SliderValue", 0.0f));
  return true;
}

bool UISlider::Tick(float dt) {
  images[kIconImage].Animate(dt);
  return UIWidget::Tick(dt);
}

bool UISlider::Render(bool forced) {
  if (!UIWidget::Render(forced)) return false;
  UISprite& icon = images[kIconImage];
  icon.SetTransform(IconPosition(), iconSize, rotation, scale, color);
  icon.Render();
  return true;
}

math::Vec2 UISlider::IconPosition() const {
  return math::Vec2(position.x + value * size.x - iconSize.x * 0.5f,
                    position.y + (size.y - iconSize.y) * 0.5f);
}

float UISlider::ValueAt(const math::Vec2& point) const {
  return size.x != 0.0f ? (point.x - position.x) / size.x : 0.0f;
}

bool UISlider::Slide(const math::Vec2& point, bool dropped) {
  if (!IsActiveAndVisible() || !IsInside(point)) return false;
  SetSlider(ValueAt(point));
  FireEvent(EV_SliderChange);
  if (dropped) FireEvent(EV_ReleaseLMB);
  return true;
}

bool UISlider::MouseDrag(const math::Vec2& start, const math::Vec2& point) {
  if (!Slide(point, false)) return false;
  return ChildrenFirst([&](UIWidget* c) { return c->MouseDrag(start, point); });
}

bool UISlider::MouseDrop(const math::Vec2& start, const math::Vec2& end, UIWidget* dragged) {
  if (!Slide(end, true)) return false;
  return ChildrenFirst([&](UIWidget* c) { return c->MouseDrop(start, end, dragged); });
}

bool UISlider::MouseHeld(const math::Vec2& point, int button) {
  if (!Slide(point, false)) return false;
  return ChildrenFirst([&](UIWidget* c) { return c->MouseHeld(point, button); });
}

UISlider* UISlider::MakeClone() {
  const std::string cloneName = NextCloneName();
  MEMORY_OWNER("UISlider::GetClone");
  return new UISlider(parent, cloneName);
}

UIWidget* UISlider::GetClone() {
  UISlider* clone = MakeClone();
  CopyInto(clone);
  clone->value = value;
  clone->iconSize = iconSize;
  return clone;
}

bool UISlider::SaveExtra(WriteLua& writer) {
  if (images[kIconImage].IsLoaded()) writer.WriteString("SliderIcon", images[kIconImage].fileName);
  writer.WriteFloat("SliderValue", value);
  writer.WriteVector2("SliderSize", iconSize);
  return true;
}

UIVerSlider::UIVerSlider(UIWidget* parent, const std::string& name) : UISlider(parent, name) {
  type = WT_VerSlider;
}

float UIVerSlider::ValueAt(const math::Vec2& point) const {
  return size.y != 0.0f ? (point.y - position.y) / size.y : 0.0f;
}

math::Vec2 UIVerSlider::IconPosition() const {
  return math::Vec2(position.x + (size.x - iconSize.x) * 0.5f,
                    position.y + value * size.y - iconSize.y * 0.5f);
}

UISlider* UIVerSlider::MakeClone() {
  const std::string cloneName = NextCloneName();
  MEMORY_OWNER("UIVerSlider::GetClone");
  return new UIVerSlider(parent, cloneName);
}

}  // namespace ui
