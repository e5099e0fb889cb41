#pragma once

#include <string>

// The trophy room's pictures: for each of the 24 trophies a 64 x 64 medal in three states
// ("trophies/trophy_<n>_disabled.png", "_available.png", "_selected.png"), and the room's
// and the popup's backgrounds ("ui_img/trophy_room_bg.png", "ui_img/trophy_popup_bg.png").
namespace contentgen {

bool MakeTrophyArt(const std::string& outDir);

}  // namespace contentgen
