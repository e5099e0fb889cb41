// Spells: their names, how an armed brush name is read, and what each spell does to a board.

#include <gtest/gtest.h>

#include <cstdint>

#include "game/board/KivSpellNames.h"

namespace {

TEST(SpellNamesTest, NamesAndIndicesRoundTripAndUnknownsFallBack) {
  const char* names[] = {"match", "fireball", "tilegrab", "flowerblast", "time", "lightning"};
  for (int32_t i = 0; i < 6; ++i) {
    EXPECT_EQ(SpellName(i), names[i]);
    EXPECT_EQ(SpellIndex(names[i]), i);
  }
  for (int32_t bad : {-1, 6, 1000, INT32_MIN}) EXPECT_EQ(SpellName(bad), "unknown") << bad;

  struct Case {
    const char* name;
    int32_t index;
  };
  const Case cases[] = {
      {"LIGHTNING", 5}, {"Match", 0}, {"tileGrab", 2}, {"", 1},       {"unknown", 1},
      {"matc", 1},      {"matchx", 1}, {"time ", 1},   {"flower", 1}, {"fireball[2]", 1},
  };
  for (const Case& c : cases) EXPECT_EQ(SpellIndex(c.name), c.index) << c.name;
}

TEST(SpellNamesTest, BrushNamesSplitIntoSpellAndPower) {
  struct Case {
    const char* brush;
    const char* name;
    int32_t power;
  };
  const Case cases[] = {
      {"fireball", "fireball", -1},
      {"fireball[2]", "fireball", 2},
      {"lightning[12]", "lightning", 12},
      {"match[0]", "match", 0},
      {"match[-3]", "match", -3},
      {"match[x]", "match", 0},
      {"match[4x]", "match", 4},
      {"match[]", "match[]", -1},       // nothing between the brackets: no power text
      {"match[3", "match[3", -1},       // no closing bracket
      {"match]3[", "match]3[", -1},     // the closing bracket comes first
      {"[5]", "", 5},                   // an empty spell name, found as the fallback later
      {"tilegrab[2]tail", "tilegrab", 2},
      {"fireball[99999999999]", "fireball", INT32_MAX},  // saturates rather than wraps
      {"", "", -1},
  };
  for (const Case& c : cases) {
    const SpellBrushSpec spec = ParseSpellBrushName(c.brush);
    EXPECT_EQ(spec.name, c.name) << c.brush;
    EXPECT_EQ(spec.power, c.power) << c.brush;
  }
}

}  // namespace
