#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/app/GameScreen.h"
#include "engine/core/Timer.h"
#include "engine/ui/WidgetHandle.h"

// The state "credits": the lines of the credits file scroll up without end on the 17 text
// widgets "Credits0" to "Credits16" of its panel, over the credits scene. Each widget
// rises from the bottom (y = 1.0) to above the top (y = -0.1) in 7 seconds and then takes
// the next line; the widgets start 7/17 s apart, so that they sit evenly spaced. The list
// of lines repeats; leaving and entering again starts it from its first line.
//
// The credits file defines one global array of strings, "CREDITS": a string that starts
// with "#" is a big line, one that starts with "*" a medium line (the marker is dropped),
// any other a plain line; an element that is not a string is an empty plain line.
// It keeps the screen's type name "ui_state" and takes no mouse input of its own.
//
// The slots hold their widgets through handles: when the panel is reloaded while the
// screen shows it (RefreshActive from a script or the console), the widgets are found
// again in the new panel at the next tick and show the lines they showed.
class KivCreditsState : public GameScreen {
 public:
  static constexpr const char* kPanelFile = "ui/credits.ui";
  static constexpr const char* kEnterScript = "OnEnterCredits()";
  static constexpr const char* kExitScript = "OnExitGeneric()";
  static constexpr const char* kSceneFile = "backgrounds/credits.lua";
  static constexpr const char* kCreditsFile = "scripts/credits.lua";
  static constexpr const char* kCreditsTable = "CREDITS";
  static constexpr int kSlotCount = 17;
  static constexpr float kLineTime = 7.0f;
  static constexpr float kTop = -0.1f;
  static constexpr float kBottom = 1.0f;
  // A credits file from outside cannot make the screen hold more than this: further
  // elements are left out, longer texts are cut.
  static constexpr int kMaxLines = 4096;
  static constexpr size_t kMaxLineLength = 1024;

  enum Style : uint32_t { kPlain = 0, kMedium = 1, kBig = 2 };
  struct Line {
    std::string text;
    uint32_t style = kPlain;
  };
  struct Slot {
    ui::WidgetHandle widget;  // empty when the panel lacks it
    CountdownTimer timer;
    int32_t line = -1;  // the line the widget shows; -1 before the first
  };

  // The screen with its panel and scripts; the scene from kSceneFile; the lines from
  // kCreditsFile ("Unable to load Credits !" in the log, and no lines, when it cannot be
  // run).
  explicit KivCreditsState(camera::Camera* camera);
  ~KivCreditsState() override = default;

  // From the first line; the screen's entry; then each slot finds its widget, starts
  // 7 x i / 17 s from its end, is placed at the bottom and takes the next line. False
  // when the screen has no panel.
  bool OnEnter() override;
  // The screen's exit; the next line is the first again.
  bool OnExit() override;
  // The screen's tick, the popup transitions, then each slot with a widget: its timer
  // runs down, on running out it starts again and takes the next line, and the widget is
  // placed at the height of the timer's progress.
  bool Tick(float dt) override;
  // After the scene's front layer: the popup transitions.
  void RenderForeground() override;

  // Reads a credits file into lines; false when the file cannot be run (the lines are
  // then empty). A missing, empty or non-table "CREDITS" gives no lines.
  static bool ReadCredits(const std::string& file, std::vector<Line>* lines);
  // "BigFont", "MediumFont" or "SmallFont".
  static const char* StyleFont(uint32_t style);

  const std::vector<Line>& Lines() const { return lines_; }
  const Slot& GetSlot(int index) const { return slots_[index]; }
  uint32_t NextLine() const { return nextLine_; }

 private:
  // Each slot's widget looked up in the panel ("Credits0" to "Credits16").
  void FindSlotWidgets(ui::UIWidget* panel);
  // After the panel was reloaded: the slots find their widgets in the new one, which
  // show the lines the old ones showed.
  void FollowReloadedPanel();
  // Gives the slot's widget the next line with its font; nothing without a widget or
  // without lines.
  void FillSlot(Slot& slot);
  // The slot's widget shows line `index` in the line's font.
  void ShowLine(Slot& slot, uint32_t index);

  Slot slots_[kSlotCount];
  // The panel the slots' widgets were found in; empty once it is deleted.
  ui::WidgetHandle slotPanel_;
  std::vector<Line> lines_;
  uint32_t nextLine_ = 0;
};
