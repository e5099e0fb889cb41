// Every SWF test runs on a script clock that stands still: a frame's actions then end by
// the work the player counts, never by how fast a busy machine or a sanitizer build runs
// them. A test of the clock's own stop installs a clock of its own for its time.

#include <gtest/gtest.h>

#include "engine/swf/base/clock.h"

namespace {

double StillClock() { return 0.0; }

class StillScriptClock : public ::testing::Environment {
 public:
  void SetUp() override { swf::register_script_clock_callback(StillClock); }
  void TearDown() override { swf::register_script_clock_callback(nullptr); }
};

::testing::Environment* const kStillScriptClock = ::testing::AddGlobalTestEnvironment(new StillScriptClock);

}  // namespace
