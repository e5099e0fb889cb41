// The cheat name as the game's settings script applies it: the profile chosen decides
// cheat mode, and with it whether the level editor opens. The profile store is handed to
// the script through luabind, so this file is built as a binding file.

#include <luabind/luabind.hpp>
#include <gtest/gtest.h>

#include <string>

#include "engine/app/GameRMS.h"
#include "engine/core/Console.h"
#include "game/shell/KivVars.h"
#include "game/shell/Shell.h"
#include "platform/luaplus/LuaState.h"
#include "tests/board/BoardTestSupport.h"
#include "tests/support/TestEnv.h"

namespace boardtest {
namespace {

class CheatProfileTest : public BoardTest {
 protected:
  void SetUp() override {
    BoardTest::SetUp();
    LoadBoard(WellFile(2));
  }
};

TEST_F(CheatProfileTest, AProfileOfTheCheatNameReachesTheEditorThroughTheSettingsScript) {
  // The game's settings script over the test's profile store, which holds "Anna".
  LuaState* state = console::GetConsole().GetState();
  ASSERT_TRUE(RegisterGameRMS(state));
  ASSERT_TRUE(RegisterShellScripts(state));
  luabind::globals(state->GetCState())["TestRMS"] = rms_.get();
  Run("function GetRMS() return TestRMS end");
  Run(testenv::ReadFile(std::string(PELLAVO_SOURCE_DIR) + "/data/scripts/settings.lua"));
  testenv::WriteFile("dev.lua", "DEV_DATA = { EnableEditor = true }\n");
  KivVars& vars = KivVars::Instance();
  vars.SetCheatMode(true);
  struct Case {
    const char* what;
    const char* script;
    bool cheat;
  };
  const Case cases[] = {
      {"Anna chosen", "ProfileChanged()", false},
      {"a profile made with the cheat name", "GetRMS():AddProfile('Let_Me_Play_On', '', 'english') ProfileChanged()", true},
      {"the next profile, Anna", "NextProfile()", false},
      {"the cheater's again", "NextProfile()", true},
      {"the cheater's deleted", "DeleteProfile()", false},
  };
  for (const Case& c : cases) {
    Run(c.script);
    EXPECT_EQ(vars.GetCheatMode(), c.cheat) << c.what;
    board_->KeyPressed(KivWell::kKeyF1);
    EXPECT_EQ(board_->HasEditor(), c.cheat) << c.what;
    if (board_->HasEditor()) board_->KeyPressed(KivWell::kKeyF1);
  }
  Run("GetRMS = nil");
}

}  // namespace
}  // namespace boardtest
