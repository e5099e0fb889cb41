#pragma once

#include <string>

// The pictures of the settings, highscore and story screens' widget kinds, under ui_img/:
// the check box's two faces ("check_on.png", "check_off.png"), the drop-down's button and
// list background ("drop_button.png", "drop_bg.png"), the score graph's fill, dot and
// column ("graph_fill.png", "graph_point.png", "graph_column.png"), and the calendar's
// cells ("cal_weekday.png", "cal_even.png", "cal_odd.png", "cal_today.png").
namespace contentgen {

bool MakeWidgetArt(const std::string& outDir);

}  // namespace contentgen
