#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/contentgen/Pictures.h"
#include "tools/contentgen/SoundMaker.h"

// The board's art: the block, floor-tile, wall, chain-mark and spark sprites with their
// sprite sheet "img/sprites.lua", the number styles of gems, zen and the timer, the
// ring images of the board's explosions; and the board's sounds.
namespace contentgen {

bool MakeBoardArt(const FontFiles& fonts, const std::string& outDir);

struct BoardSound {
  std::string name;  // written as sounds/<name>.ogg
  Samples samples;
};
std::vector<BoardSound> BoardSounds();

// The board's flower colours by index, named as its colour table names them: flower
// picture n (flowers_tiles_<n>) is drawn in colour n - 1.
struct FlowerColourName {
  const char* name;
  uint32_t rgb;
};
inline constexpr int kFlowerColourCount = 24;
const FlowerColourName& FlowerColourNamed(int index);

// Adds sprite entries (lines of the sheet's table) to the end of the board's sheet
// "img/sprites.lua" that MakeBoardArt wrote, before the table's closing brace.
bool AppendToBoardSheet(const std::string& outDir, const std::string& entries);

}  // namespace contentgen
