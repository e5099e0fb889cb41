#pragma once

// A stage for the heroine and the fashion screens: the shell's user-interface stage with a
// profile store in a temporary folder, a clothes table and a setup file of our own.
//
// The figure: "body" (one piece), then "hair", "dress" and "skirt" with six pieces each, at
// (0, 0), (0, 60) and (0, 120) setup pixels. Every picture of the stage is 80 x 60 pixels
// (0.1 x 0.1 of the play area) unless a test gives it another size, so she is 0.1 x 0.3
// at scale 1.

#include <memory>
#include <string>

#include "engine/app/GameRMS.h"
#include "engine/core/Math.h"
#include "tests/shell/ShellUITest.h"

namespace shelltest {

class FashionTest : public ShellUITest {
 protected:
  // hair1 (a stat in mixed case; a second row of its name in capitals), hair2 (Stat2 only),
  // hair3 (a colour and a spell), dress2 (hides the lower slot), a row without SpriteName.
  static const char* const kItems;
  static const char* const kSetup;

  void SetUp() override;
  void TearDown() override;

  // Gives the named picture its own pixel size.
  void Picture(const std::string& name, int width, int height);
  // Slot 0 head, 1 upper, 2 lower: the owned pieces and the one worn.
  static void Own(int slot, std::initializer_list<int> pieces);
  static void Wear(int slot, int piece);
  static int Worn(int slot);

  std::unique_ptr<GameRMS> rms_;
};

}  // namespace shelltest
