#pragma once

#include "engine/ui/UIWidget.h"

namespace ui {

// A horizontal slider: the widget with an icon (state image 5) at the value's place along
// its width. Dragging, dropping or holding the button over it sets the value from the
// pointer and fires "slider_change" (a drop then also "lmb_release"). No sound.
//
// Layout keys: SliderIcon (image), SliderValue; SliderSize is written but not read, the
// icon's size always comes from its image.
class UISlider : public UIWidget {
 public:
  static constexpr int kIconImage = 5;

  UISlider(UIWidget* parent, const std::string& name);

  bool Load(const LuaObject& table) override;
  bool Tick(float dt) override;
  bool Render(bool forced) override;
  bool MouseDrag(const math::Vec2& start, const math::Vec2& point) override;
  bool MouseDrop(const math::Vec2& start, const math::Vec2& end, UIWidget* dragged) override;
  bool MouseHeld(const math::Vec2& point, int button) override;
  // Copies the base widget, the value and the icon size.
  UIWidget* GetClone() override;
  bool SaveExtra(WriteLua& writer) override;

  float GetSlider() const { return value; }
  // The value, clamped to [0, 1].
  void SetSlider(float newValue);

  float value = 0.0f;
  math::Vec2 iconSize{0.0f, 0.0f};

 protected:
  // The value under the pointer, along the slider's axis.
  virtual float ValueAt(const math::Vec2& point) const;
  // The icon's top-left corner for the value.
  virtual math::Vec2 IconPosition() const;
  virtual UISlider* MakeClone();

 private:
  // Sets the value from an input over the slider; false when the slider does not react.
  bool Slide(const math::Vec2& point, bool dropped);
};

// The vertical slider: the value runs from the top (0) to the bottom (1). Scripts reach
// it only through the Widget methods.
class UIVerSlider : public UISlider {
 public:
  UIVerSlider(UIWidget* parent, const std::string& name);

 protected:
  float ValueAt(const math::Vec2& point) const override;
  math::Vec2 IconPosition() const override;
  UISlider* MakeClone() override;
};

}  // namespace ui
