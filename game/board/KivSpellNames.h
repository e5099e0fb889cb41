#pragma once

#include <cstdint>
#include <string>

// The spells by index: 0 "match", 1 "fireball", 2 "tilegrab", 3 "flowerblast", 4 "time",
// 5 "lightning". The level state numbers them from 1 (index + 1).
inline constexpr int32_t kSpellCount = 6;
inline constexpr int32_t kSpellMatch = 0;
inline constexpr int32_t kSpellFireball = 1;
inline constexpr int32_t kSpellTilegrab = 2;
inline constexpr int32_t kSpellFlowerblast = 3;
inline constexpr int32_t kSpellTime = 4;
inline constexpr int32_t kSpellLightning = 5;

// The spell's name; any index outside 0 to 5 gives "unknown".
std::string SpellName(int32_t index);

// The first index whose name equals `name` without regard to case; 1 ("fireball") when none
// does, so a misspelt spell still arms something.
int32_t SpellIndex(const std::string& name);

// A brush name as armed: the spell's name with an optional power in square brackets,
// "fireball[2]". `power` is the bracketed text read as a decimal integer (0 when it does not
// start with one), -1 without a bracketed text.
struct SpellBrushSpec {
  std::string name;
  int32_t power = -1;
};
SpellBrushSpec ParseSpellBrushName(const std::string& brushName);
