#include "engine/ui/UICalendar.h"

#include <string>

#include "engine/core/DateUtil.h"
#include "engine/core/Log.h"
#include "engine/core/Script.h"
#include "engine/graphics/FontManager.h"
#include "engine/ui/UIManager.h"

namespace ui {

namespace {

constexpr const char* kWeekdayKeys[7] = {"WEEKDAY_MONDAY",   "WEEKDAY_TUESDAY", "WEEKDAY_WEDNESDAY",
                                         "WEEKDAY_THURSDAY", "WEEKDAY_FRIDAY",  "WEEKDAY_SATURDAY",
                                         "WEEKDAY_SUNDAY"};
constexpr uint32_t kDayNumberColour = 0xAFFFFFFF;
constexpr int kMaxWeeks = 52;

void LoadCellImage(TrSprite& quad, const LuaObject& table, const char* key) {
  const std::string file = script::GetString(table, key, "");
  if (!file.empty()) {
    quad.Init(file, false, false, true, false, 0xFFFFFFFF, math::Vec2(0.0f, 0.0f),
              math::Vec2(1.0f, 1.0f));
  }
}

// Shows the quad centred on a cell in the colour and draws it.
void DrawCell(TrSprite& quad, const math::Vec2& corner, const math::Vec2& cell, uint32_t colour) {
  quad.visible = true;
  quad.SetCentered(cell * 0.5f, corner + cell * 0.5f);
  quad.SetColour(colour);
  quad.Render();
}

}  // namespace

// --- UICalendar ---

UICalendar::UICalendar(UIWidget* parent, const std::string& widgetName)
    : UIWidget(parent, widgetName) {
  firstDay = GetWeekStart(GetToday(), false) + 7 - 7 * weeksCount;
  for (int i = 0; i < 7; ++i) {
    labels[i].hJust = UIText::kCentre;
    labels[i].vJust = UIText::kCentre;
  }
  StyleLabels();
  for (int i = 0; i < 7; ++i) labels[i].SetText(ToWide(kWeekdayKeys[i]));
}

UICalendar::~UICalendar() = default;

void UICalendar::StyleLabels() {
  for (UIText& label : labels) {
    label.SetFont(text.fontName.empty() ? manager->defaultFont : text.fontName);
    label.color = text.color;
  }
}

bool UICalendar::Load(const LuaObject& table) {
  if (!UIWidget::Load(table)) return false;
  weeksCount = script::GetInt(table, "WeeksCount", kDefaultWeeks);
  if (weeksCount < 1 || weeksCount > kMaxWeeks) {
    // The grid's rows and cell height are made from it: keep them finite and sensible.
    LOG_LINE(MSG_WARNING) << "UICalendar: WeeksCount " << weeksCount
                          << " is out of range, 4 weeks are shown";
    weeksCount = kDefaultWeeks;
  }
  LoadCellImage(weekDayCell, table, "WeekDayCellImage");
  LoadCellImage(evenMonthCell, table, "EvenMonthCellImage");
  LoadCellImage(oddMonthCell, table, "OddMonthCellImage");
  LoadCellImage(todayHighlight, table, "CurDayHightlightImage");
  StyleLabels();
  for (UIText& label : labels) label.UpdateText();
  return true;
}

math::Vec2 UICalendar::CellSize() const {
  return math::Vec2(size.x * 0.14285715f, size.y / static_cast<float>(weeksCount + 1));
}

math::Vec2 UICalendar::CellPosition(int column, int row) const {
  const math::Vec2 cell = CellSize();
  return math::Vec2(position.x + static_cast<float>(column) * cell.x,
                    position.y + static_cast<float>(row) * cell.y);
}

bool UICalendar::Render(bool forced) {
  if (!UIWidget::Render(forced)) return false;
  const math::Vec2 cell = CellSize();
  FontManager& fonts = FontManager::Get();
  const int cells = 7 * weeksCount;
  for (int i = 0; i < cells; ++i) {
    const int day = firstDay + i;
    const math::Vec2 corner = CellPosition(i % 7, i / 7 + 1);
    const bool even = GetMonthOfDay(day) % 2 == 0;
    evenMonthCell.visible = even;
    oddMonthCell.visible = !even;
    DrawCell(even ? evenMonthCell : oddMonthCell, corner, cell, color);
    fonts.colour = kDayNumberColour;
    fonts.PrintCentered(nullptr, corner + cell * 0.5f, std::to_string(GetDayOfMonth(day)));
  }
  const int index = GetToday() - firstDay;
  if (index >= 0 && index < cells) {
    DrawCell(todayHighlight, CellPosition(index % 7, index / 7 + 1), cell, color);
  } else {
    todayHighlight.visible = false;
  }
  fonts.RenderText();
  for (int c = 0; c < 7; ++c) {
    const math::Vec2 corner = CellPosition(c, 0);
    DrawCell(weekDayCell, corner, cell, color);
    labels[c].SetRect(corner, cell);
    labels[c].Render();
  }
  fonts.RenderText();
  return true;
}

}  // namespace ui
