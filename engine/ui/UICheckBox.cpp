#include "engine/ui/UICheckBox.h"

#include "engine/app/Audio.h"
#include "engine/core/MemoryManager.h"
#include "engine/core/Script.h"
#include "engine/core/WriteLua.h"

namespace ui {

UICheckBox::UICheckBox(UIWidget* parent, const std::string& widgetName)
    : UIWidget(parent, widgetName) {
  type = WT_CheckBox;
}

bool UICheckBox::Load(const LuaObject& table) {
  if (!UIWidget::Load(table)) return false;
  checked = script::GetBool(table, "IsChecked", false);
  const math::Vec2 whole1(0.0f, 0.0f), whole2(1.0f, 1.0f);
  images[kCheckedImage].Init(script::GetString(table, "CheckedImg", ""), whole1, whole2, false);
  images[kUncheckedImage].Init(script::GetString(table, "UncheckedImg", ""), whole1, whole2, false);
  return true;
}

bool UICheckBox::Tick(float dt) {
  const bool ticked = UIWidget::Tick(dt);
  images[kUncheckedImage].Animate(dt);
  images[kCheckedImage].Animate(dt);
  return ticked;
}

bool UICheckBox::Render(bool forced) {
  if (SkipsDraw(forced)) return false;
  UISprite& image = images[checked ? kCheckedImage : kUncheckedImage];
  image.SetTransform(position, size, rotation, scale, color);
  image.Render();
  for (size_t i = 0; i < children.size(); ++i) children[i]->Render(false);
  return true;
}

bool UICheckBox::MouseUp(const math::Vec2& point, int button) {
  if (!IsActiveAndVisible() || !IsInside(point)) return false;
  checked = !checked;
  audio::GetAudio().PlaySound("button_press");
  if (ChildrenFirst([&](UIWidget* c) { return c->MouseUp(point, button); })) return true;
  FireEvent(EV_ReleaseLMB);
  return false;
}

UIWidget* UICheckBox::GetClone() {
  const std::string cloneName = NextCloneName();
  MEMORY_OWNER("UICheckBox::GetClone");
  UICheckBox* clone = new UICheckBox(parent, cloneName);
  CopyInto(clone);
  clone->checked = checked;
  return clone;
}

bool UICheckBox::SaveExtra(WriteLua& writer) {
  writer.WriteInt("IsChecked", checked ? 1 : 0);
  writer.WriteString("UncheckedImg", images[kUncheckedImage].fileName);
  writer.WriteString("CheckedImg", images[kCheckedImage].fileName);
  return true;
}

}  // namespace ui
