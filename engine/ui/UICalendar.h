#pragma once

#include "engine/ui/TrSprite.h"
#include "engine/ui/UIText.h"
#include "engine/ui/UIWidget.h"

namespace ui {

// A month-coloured grid of weeks: a header row of translated weekday names (Monday
// first), then one row per week with the day of the month in each cell on the even- or
// odd-month cell image, and a highlight on today. The first day shown is the Monday of
// the week three weeks before this one, fixed when the widget is made. Display only.
//
// Layout keys: WeeksCount (1 to 52; anything else reads as 4 with a warning),
// WeekDayCellImage, EvenMonthCellImage, OddMonthCellImage, CurDayHightlightImage.
class UICalendar : public UIWidget {
 public:
  static constexpr int kDefaultWeeks = 4;

  UICalendar(UIWidget* parent, const std::string& name);
  ~UICalendar() override;

  bool Load(const LuaObject& table) override;
  bool Render(bool forced) override;

  // The cell of column c, row r (row 0 is the header).
  math::Vec2 CellSize() const;
  math::Vec2 CellPosition(int column, int row) const;

  UIText labels[7];
  int32_t weeksCount = kDefaultWeeks;
  int32_t firstDay = 0;
  TrSprite weekDayCell;
  TrSprite evenMonthCell;
  TrSprite oddMonthCell;
  TrSprite todayHighlight;

 private:
  // The labels take the widget's font and text colour.
  void StyleLabels();
};

}  // namespace ui
