#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/core/Math.h"
#include "engine/core/Timer.h"
#include "engine/ui/UIWidget.h"
#include "engine/ui/WidgetHandle.h"

class KivHelpBox;

// Tooltips: texts for widgets, the one under a mouse that rests for a second shown in the
// tooltip box over its widget. A move hides it; another second's rest shows it again.
class KivTooltips {
 public:
  static constexpr float kRestSeconds = 1.0f;

  struct Record {
    // Panels can be dropped or rebuilt under the table: the handle empties when its widget
    // is deleted, and the record is then forgotten.
    ui::WidgetHandle widget;
    std::string text;
  };

  KivTooltips();
  ~KivTooltips();
  KivTooltips(const KivTooltips&) = delete;
  KivTooltips& operator=(const KivTooltips&) = delete;

  // The widget's text; an empty text removes its record. A null widget is ignored.
  void SetTooltip(ui::UIWidget* widget, const std::string& text);
  void Tick(float dt);
  void Render();

  KivHelpBox& GetBox() { return *box_; }
  const std::vector<Record>& GetRecords() const { return records_; }
  // The widget whose text shows (or showed last), null for none.
  ui::UIWidget* GetShownWidget() const { return shown_.Get(); }
  bool IsBoxShown() const;

 private:
  void HideBox();

  std::unique_ptr<KivHelpBox> box_;
  CountdownTimer hover_;
  math::Vec2 lastMouse_{-1.0f, -1.0f};
  std::vector<Record> records_;
  ui::WidgetHandle shown_;
};

// An invisible widget that carries a tooltip table: it ticks the table after itself and
// draws the tooltip box in its highlight pass.
class KivTooltipWidget : public ui::UIWidget {
 public:
  KivTooltipWidget(ui::UIWidget* parent, const std::string& name);

  bool Tick(float dt) override;
  void RenderHighlight() override;

  KivTooltips& GetTooltips() { return tooltips_; }

 private:
  KivTooltips tooltips_;
};
