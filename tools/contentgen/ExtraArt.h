#pragma once

#include <string>

// The highscore screen's tabs, drawn as sprites of "ui_img/sprites.lua": the time frames'
// tabs hang from the top of the table ("top_tag_highlight" for the chosen one,
// "top_tag_dim" for the others), the local and global tabs stand on its foot
// ("bottom_tag_highlight", "bottom_tag_dim"); the backdrop of the heroine's portrait in the
// level ("ui_img/portrait_frame.png"); and the key tick of an edited text
// ("sounds/textbox_new_text.ogg").
namespace contentgen {

bool MakeExtraArt(const std::string& outDir);

}  // namespace contentgen
