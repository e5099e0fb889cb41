#pragma once

#include "engine/ui/UIWidget.h"

namespace ui {

// A two-image toggle: state image 7 shows while checked, state image 8 while not. A left
// or right release over it toggles it and plays "button_press"; the widget's text is not
// drawn.
//
// Layout keys: IsChecked, CheckedImg, UncheckedImg.
class UICheckBox : public UIWidget {
 public:
  static constexpr int kCheckedImage = 7;
  static constexpr int kUncheckedImage = 8;

  UICheckBox(UIWidget* parent, const std::string& name);

  bool Load(const LuaObject& table) override;
  bool Tick(float dt) override;
  bool Render(bool forced) override;
  // Inside an active, visible box: toggles, plays the sound, offers the release to the
  // children; when none takes it, fires "lmb_release" and returns false.
  bool MouseUp(const math::Vec2& point, int button) override;
  // Copies the base widget and the checked flag.
  UIWidget* GetClone() override;
  bool SaveExtra(WriteLua& writer) override;

  bool IsChecked() const { return checked; }
  // Fires nothing and plays nothing.
  void SetChecked(bool flag) { checked = flag; }

  bool checked = false;
};

}  // namespace ui
