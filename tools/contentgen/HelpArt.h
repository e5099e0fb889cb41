#pragma once

#include <string>

// The pictures and sounds of the tips and of the end of a level: the tip frame
// ("ui_img/help_bg.png", a three-by-three grid) with its four corner sprites ("help_tl",
// "help_bl", "help_tr", "help_br" in the board's sheet "img/sprites.lua"), the icon background
// ("ui_img/sidebar_bg.png"), the backgrounds of the victory, defeat, summary and shop
// panels, and the sounds "HINT_OPEN", "hint_up", "hint_close", "help_open", "help_close"
// and "score_countup".
namespace contentgen {

bool MakeHelpArt(const std::string& outDir);

}  // namespace contentgen
