#pragma once

#include <string>

// The game's mouse cursors as Windows animated cursor files ("ani"), which the game reads
// from the disk beside the program: "cursors/cursor_default.ani" (a pointer whose tip
// shimmers) and "cursors/cursor_power1.ani" to "_power4" and "_power6" (one brush cursor
// per spell, each with a pulsing emblem). Every file has four 32 x 32 frames with 32-bit
// pixels, a hot spot, per-step rates and a step sequence.
namespace contentgen {

bool MakeCursorArt(const std::string& outDir);

}  // namespace contentgen
