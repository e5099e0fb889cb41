// Frames run inside a frame. Scripts may run a whole frame while one is running
// (ForceRedraw(), the score request's wait, which keeps the application stepping until the
// reply comes), from every place the engine runs scripts: a transition's scripts, a
// screen's enter and exit scripts, a delayed script, a widget's event, a console key. Each
// case runs on the recording renderer with the real console, game flow, transitions and
// UI manager, through the application's steps, and must end with every state entered and
// left once, in order, the current and the last state right, only the current screen
// showing its panel and hearing the mouse, and each delayed script run once.

#include <gtest/gtest.h>

#include <lua.hpp>

#include <string>
#include <vector>

#include "engine/app/GameFlowManager.h"
#include "engine/app/GameScreen.h"
#include "engine/app/HighscoreServer.h"
#include "engine/app/Input.h"
#include "engine/app/Keyboard.h"
#include "engine/app/Mouse.h"
#include "engine/app/Script.h"
#include "engine/app/WebRequest.h"
#include "engine/core/Console.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/UIWidget.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/GameFlowTestSupport.h"
#include "tests/app/ScreenTestSupport.h"
#include "tests/core/LogCapture.h"
#include "tests/graphics/FakeRenderer.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/TestEnv.h"

namespace apptest {
namespace {

using gameflow::GameFlowManager;

constexpr uint8_t kBoundKey = 0x43;  // F9

// The score server of the game as far as a total-score request needs it: a stored user id,
// so that the request is the only one.
class ScoreServer : public web::HighscoreServer {
 public:
  explicit ScoreServer(uint16_t port) : url_("http://127.0.0.1:" + std::to_string(port) + "/DORuvide.rod") {}
  std::string GetScriptUrl() override { return url_; }
  void SetUserID(int32_t) override {}
  int32_t GetUserID() override { return 7; }
  int32_t GetPID() override { return 0; }
  int32_t GetHighscore() override { return 0; }
  double GetPlayTime() override { return 0.0; }

 private:
  std::string url_;
};

ScoreServer* g_scores = nullptr;

// Lua "RequestScores"(): the total-score table's first name, fetched while the
// application keeps stepping; "failed" when the request failed.
int RequestScores(lua_State* L) {
  std::vector<web::TotalScoreRow> rows(10);
  const bool ok = g_scores && g_scores->GetTotalScore(rows.data(), 10, 0);
  lua_pushstring(L, ok ? rows[0].name.c_str() : "failed");
  return 1;
}

// Where the case's script runs.
enum class From {
  Outside,   // run by the test between frames
  Delayed,   // a delayed script due at once
  Click,     // the left-button click script of screen one's widget
  ConsoleKey,  // the console's binding of a key
};

struct Case {
  const char* what;
  From from;
  const char* script;
  const char* oneExit = "";   // screen one's exit script
  const char* twoEnter = "";  // screen two's enter script
  // The states entered and left after screen one was entered, in order.
  std::vector<std::string> changes = {"Exiting game state one", "Entering game state two"};
  const char* current = "two";
  const char* last = "one";
};

class NestedFrameTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    MakeApp();
    SetApplication(app_.get());
    flowtest::StartConsole();
    ASSERT_TRUE(RegisterScriptFunctions(console::GetConsole().GetState()));
    lua_register(console::GetConsole().GetState()->GetCState(), "RequestScores", &RequestScores);
    // The process-wide listeners join the devices this test made.
    input::GetDevices().mouse->AddListener(&ui::GetUIMan());
    input::GetDevices().keyboard->AddListener(&console::GetConsole());
    ui::GetUIMan().cursorShown = false;
    // Frames of about 16 ms and the focus long settled.
    Steps(60);
    flow_.focusTime = -10.0f;
  }
  void TearDown() override {
    screentest::ClearScreens();
    console::GetConsole().BindKey(kBoundKey, "");
    console::GetConsole().Shutdown();
    SetApplication(nullptr);
    AppFixture::TearDown();
  }

  // Screens one, two and three from Lua, with screen one's widget clicking the script.
  void MakeScreens(const Case& c) {
    const std::string click = c.from == From::Click ? c.script : "";
    testenv::WriteFile("ui/one.ui", "Panel = { Name = 'one', Size = { 1, 1 }, Children = {\n"
                                    "  { Name = 'one_button', Pos = { 0, 0 }, Size = { 1, 1 },\n"
                                    "    MouseOff = 'img/one.png', lmb_click = [[" + click + "]] },\n"
                                    "} }\n");
    testenv::WriteFile("ui/two.ui", screentest::PanelFile("two", "img/two.png"));
    testenv::WriteFile("ui/three.ui", screentest::PanelFile("three", "img/three.png"));
    flowtest::RunScript(std::string("AddGameScreen('one', 'ui/one.ui', '', [[") + c.oneExit + "]])\n" +
                        "AddGameScreen('two', 'ui/two.ui', [[" + c.twoEnter + "]], '')\n" +
                        "AddGameScreen('three', 'ui/three.ui', '', '')");
  }

  // Steps until nothing is pending, running or waiting (at most count steps).
  void Settle(int count = 400) {
    for (int i = 0; i < count; ++i) {
      if (!flow_.transitions.IsRunning() && !flow_.pendingState && flow_.delayed.empty()) return;
      Steps(1);
    }
  }

  // The lines the states log when they are entered and left.
  static std::vector<std::string> Changes(const LogCapture& log) {
    std::vector<std::string> changes;
    for (const std::string& line : log.lines) {
      for (const char* what : {"Entering game state ", "Exiting game state "}) {
        const size_t at = line.find(what);
        if (at == std::string::npos) continue;
        const size_t end = line.find("  [", at);
        changes.push_back(line.substr(at, end - at));
      }
    }
    return changes;
  }

  GameFlowManager& flow_ = GameFlowManager::Instance();
  FakeRenderer renderer_;
};

TEST_F(NestedFrameTest, FramesRunFromScriptsLeaveEveryStateChangeTakenOnceInOrder) {
  // The reply comes once the request's wait has run ten steps.
  ReplyGate waited;
  int waitFrames = 0;
  app_->onFrame = [&] {
    if (web::WebRequest::Instance().IsRunning() && ++waitFrames == 10) waited.Open();
  };
  LoopbackServer server(
      [waited](const std::string&) {
        waited.Wait();
        return LoopbackServer::Reply{"HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n1@Ann@oslo@500"};
      },
      1);
  ASSERT_TRUE(server.Ok());
  ScoreServer scores(server.Port());
  g_scores = &scores;

  const Case cases[] = {
//X1
      {"a transition's end script", From::Outside, "SetTransitionEffect('fade', 'two', 'ForceRedraw()')"},
      {"a transition's end script that starts the next one", From::Outside,
       "SetTransitionEffect('fade', 'two', \"SetTransitionEffect('iris', 'three', '') ForceRedraw()\")",
       "", "",
       {"Exiting game state one", "Entering game state three"}, "three", "one"},
      {"a screen's enter script", From::Outside, "JumpState('two')", "", "ForceRedraw()"},
      {"a screen's exit script", From::Outside, "JumpState('two')", "ForceRedraw()"},
      {"a delayed script", From::Delayed, "ForceRedraw() JumpState('two')"},
      {"a widget's click", From::Click, "ForceRedraw() JumpState('two')"},
      {"a console key", From::ConsoleKey, "ForceRedraw() JumpState('two')"},
      {"a score request's wait in a transition's end script", From::Outside,
       "SetTransitionEffect('fade', 'two', 'scored = RequestScores()')"},
      {"a state asked for in an enter script that then runs a frame", From::Outside, "JumpState('two')", "",
       "JumpState('three') ForceRedraw()",
       {"Exiting game state one", "Entering game state two", "Exiting game state two",
        "Entering game state three"},
       "three", "two"},
      {"a state asked for inside the frame run by an enter script", From::Outside, "JumpState('two')", "",
       "DelayScript(\"JumpState('three')\", 0) ForceRedraw()",
       {"Exiting game state one", "Entering game state two", "Exiting game state two",
        "Entering game state three"},
       "three", "two"},
  };

  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MakeScreens(c);
    flowtest::RunScript("JumpState('one') tally = 0");
    Settle();
    ASSERT_EQ(flow_.GetCurrentStateName(), "one");

    LogCapture log;
    // A delayed script that counts its runs, due in the same frame as the case's own.
    flowtest::RunScript("DelayScript('tally = tally + 1', 0)");
    switch (c.from) {
      case From::Outside:
        flowtest::RunScript(c.script);
        break;
      case From::Delayed:
        flowtest::RunScript(std::string("DelayScript([[") + c.script + "]], 0)");
        break;
      case From::Click:
        source_->CursorAt(app_->window, 400, 300);
        Steps(1);
        source_->Button(0, true);
        Steps(1);
        source_->Button(0, false);
        break;
      case From::ConsoleKey:
        console::GetConsole().BindKey(kBoundKey, c.script);
        source_->Key(kBoundKey, true);
        Steps(1);
        source_->Key(kBoundKey, false);
        break;
    }
    Settle();

    EXPECT_EQ(Changes(log), c.changes);
    EXPECT_EQ(flow_.GetCurrentStateName(), c.current);
    EXPECT_EQ(flow_.GetLastStateName(), c.last);
    EXPECT_FALSE(flow_.transitions.IsRunning());
    EXPECT_EQ(flow_.pendingState, nullptr);
    EXPECT_EQ(flowtest::Global("tally").GetNumber(), 1.0);
    for (const char* name : {"one", "two", "three"}) {
      auto* screen = dynamic_cast<GameScreen*>(flow_.states.Find(name));
      ASSERT_NE(screen, nullptr) << name;
      const bool current = flow_.current == screen;
      EXPECT_EQ(screen->active, current) << name;
      EXPECT_EQ(screen->input::MouseListener::enabled, current) << name;
      ASSERT_EQ(screen->PanelCount(), 1u) << name;
      EXPECT_EQ(screen->GetPanel(0)->GetIsVisible(), current) << name;
    }
    if (c.from == From::ConsoleKey) console::GetConsole().BindKey(kBoundKey, "");
    screentest::ClearScreens();
    ui::GetUIMan().cursorShown = false;
  }
  EXPECT_EQ(flowtest::StringGlobal("scored"), "Ann");
  EXPECT_EQ(server.Heads().size(), 1u);
  EXPECT_GE(waitFrames, 10);
  app_->onFrame = nullptr;
  g_scores = nullptr;
}

}  // namespace
}  // namespace apptest
