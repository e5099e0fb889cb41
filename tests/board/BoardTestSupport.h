#pragma once

// A stage for board tests: the user-interface stage (recording renderer, UI manager, a
// sound bank on the recording audio back end) with every sound of the board in the bank,
// the game variables on a profile in a temporary store, the tuning constants and the score
// table of the tests, the mouse device, seeded generators and a frame clock the tests
// drive; a 15 x 12 board loaded from a well file the test writes.

#include <memory>
#include <string>
#include <vector>

#include "engine/app/GameRMS.h"
#include "engine/core/Timer.h"
#include "game/board/KivBlock.h"
#include "game/board/KivWell.h"
#include "platform/win32/Time.h"
#include "tests/ui/UITestSupport.h"

namespace boardtest {

// Every tile of columns 0 to 13 has this value; column 14 and the rest none.
std::string WellFile(int tileValue, const std::string& blocks = "");

class BoardTest : public uitest::UITest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes "level.lua" and loads it into a new board.
  void LoadBoard(const std::string& wellText);
  // A block of the type at the cell, placed at once; the colour is "flower_<c + 1>".
  KivBlock* Put(const std::string& type, int x, int y, int colour = 0);
  // One frame of dt seconds through the board's tick.
  void Frame(float dt = 0.02f);
  void Frames(int count, float dt = 0.02f);
  // A left-button drag through the cells' centres: press on the first, move over each
  // with the button held (a frame at each), release on the last.
  void Drag(const std::vector<std::pair<int, int>>& cells, uint32_t releaseButton = 0);
  // Press on the first cell and move over the rest, button held, without releasing.
  void Hold(const std::vector<std::pair<int, int>>& cells);
  math::Vec2 Centre(int x, int y) const;
  void SetPointer(const math::Vec2& at, bool leftHeld);
  // How many times the bank played the sound since the last ClearSounds.
  size_t Played(const std::string& name) const;
  void ClearSounds();

  win32::FakeClock clock_{1000000, 0};
  std::unique_ptr<FrameTimer> timer_;
  std::unique_ptr<GameRMS> rms_;
  std::unique_ptr<KivWell> board_;
};

}  // namespace boardtest
