#pragma once

#include <string>
#include <vector>

#include "tools/contentgen/BoardArt.h"

// The spells' art: the spell cursor "castle_off" and the target shadow
// "Effect_Overlay_Shadow", added to the board's sprite sheet (run after the board art), and
// the spells' success sounds "sounds/zenpower_<spell>.ogg".
namespace contentgen {

bool MakeSpellArt(const std::string& outDir);
std::vector<BoardSound> SpellSounds();

}  // namespace contentgen
