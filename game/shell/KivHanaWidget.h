#pragma once

#include <memory>

#include "engine/ui/UIWidget.h"

class KivHana;

// A widget that shows a copy of the heroine inside a panel (the studio's frame, the level's
// display). It owns its clone, so that the copy is dressed, animated and placed without
// moving the heroine herself; its creator attaches it to a panel widget, dresses the clone
// (SetPieces) and fits it. Made in code only, under the name "kiv_hana_widget".
class KivHanaWidget : public ui::UIWidget {
 public:
  static constexpr const char* kName = "kiv_hana_widget";

  explicit KivHanaWidget(const KivHana& source);
  ~KivHanaWidget() override;

  // The base tick, then the clone's (its animations and queued pieces) while the widget is
  // active and visible.
  bool Tick(float dt) override;
  // The base drawing, then the clone at the widget's top-left corner (a hidden or inactive
  // widget draws it only when forced).
  bool Render(bool forced) override;

  // Takes the parent's place and size, then scales the clone so that its extent covers the
  // widget in both directions (overflowing it in one) and puts it at the widget's corner.
  // Without a parent only the scale is fitted.
  void FitToParent();

  KivHana* GetHana() const { return clone_.get(); }

 private:
  std::unique_ptr<KivHana> clone_;
};
