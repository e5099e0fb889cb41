#pragma once

#include "engine/ui/UIWidget.h"

namespace ui {

// A bar that shows a value in [0, 1]: its full image (state image 3) covers the part of
// the rectangle up to the value and its empty image (state image 4) the rest, each cut of
// its texture in proportion. Horizontal bars fill from the left (from the right when
// flipped); vertical ones show the full part below the value's line.
//
// Layout keys: ProgressFull, ProgressEmpty (images), Progress (the value), HorizProgress
// (false when absent, so layouts always write it), Flipped.
class UIProgress : public UIWidget {
 public:
  static constexpr int kFullImage = 3;
  static constexpr int kEmptyImage = 4;

  UIProgress(UIWidget* parent, const std::string& name);

  bool Load(const LuaObject& table) override;
  bool Tick(float dt) override;
  bool Render(bool forced) override;
  // Copies the base widget, the direction, the value and the flipped flag.
  UIWidget* GetClone() override;
  bool SaveExtra(WriteLua& writer) override;

  // The value, clamped to [0, 1].
  void SetProgress(float value);
  float GetProgress() const { return value; }
  void SetFullImage(const std::string& file);
  void SetEmptyImage(const std::string& file);

  bool horizontal = true;
  float value = 0.0f;
  bool flipped = false;

 private:
  void LoadBarImage(int index, const std::string& file);
  // Draws one part over its rectangle, the texture cut along the bar's axis: a plain image
  // from plainFrom to plainTo, a strip's frame between the fractions from and to of it.
  void DrawPart(int index, const math::Vec2& partPosition, const math::Vec2& partSize,
                float plainFrom, float plainTo, float from, float to);
};

}  // namespace ui
