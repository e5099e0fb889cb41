#pragma once

// A test block kind and a test board on the user-interface stage (a recording renderer
// that gives every image an 80 x 60 picture, the UI manager, a "SmallFont"), with a frame
// clock that the tests drive.

#include <memory>
#include <string>
#include <vector>

#include "engine/core/Timer.h"
#include "engine/well/GameWell.h"
#include "engine/well/WellBlock.h"
#include "platform/win32/Time.h"
#include "tests/ui/UITestSupport.h"

namespace welltest {

// What the blocks and the board report, in order ("placed normal@1,2", "settled", ...).
using Events = std::vector<std::string>;

// A block kind of any type name, drawn with the image "block_<colour name>"; the type
// "ghost" has no image. Reports its hooks and counts the blocks alive.
class TestBlock : public well::WellBlock {
 public:
  TestBlock(well::BaseWell* board, const std::string& type, int color, int w, int h,
            Events* events);
  ~TestBlock() override;

  std::string GetTypeName() const override { return type_; }
  void OnPlaced() override;
  void OnKill() override;
  void OnLandedOn() override;
  void OnTimer() override;

  // "<type>@x,y" of the target cell.
  std::string Name() const;

  static int alive;

 private:
  std::string type_;
  Events* events_;
};

// A board whose CreateBlock makes a TestBlock of any type but "unknown" (null), with its
// colour by name. Reports settling, sweeps and steps.
class TestWell : public well::GameWell {
 public:
  TestWell(FrameTimer& clock, Events* events) : GameWell(nullptr, clock), events_(events) {}

  well::WellBlock* CreateBlock(const std::string& type, const std::string& color, int32_t x,
                               int32_t y, int32_t w, int32_t h) override;
  void OnSettled() override;
  void SweepDeadBlocks() override;
  void PeriodicStep() override;

  // Makes a block and places it at once.
  TestBlock* Put(const std::string& type, int x, int y, int w = 1, int h = 1,
                 const std::string& color = "red");
  float Now() const { return GameTime(); }

  std::vector<float> stepTimes;  // game time of every periodic step

 private:
  Events* events_;
};

class WellTest : public uitest::UITest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A 10 x 8 board of 0.02 x 0.02 cells at (0.1, 0.1).
  void MakeBoard(int width = 10, int height = 8);
  // One frame of dt seconds: the clock moves on, the frame timer updates, the board ticks
  // with the timer's frame time.
  void Frame(float dt = 0.02f);
  // The events since the last call.
  Events TakeEvents();

  win32::FakeClock clock_{1000000, 0};
  std::unique_ptr<FrameTimer> timer_;
  Events events_;
  std::unique_ptr<TestWell> board_;
};

}  // namespace welltest
