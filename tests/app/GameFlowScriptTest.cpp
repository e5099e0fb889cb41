// The game flow manager's script functions and class, run in the console's Lua state on
// the process-wide manager.

#include <luabind/luabind.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <typeinfo>
#include <vector>

#include "engine/app/GameFlowManager.h"
#include "tests/app/GameFlowTestSupport.h"
#include "tests/core/LogCapture.h"

namespace flowtest {
namespace {

using gameflow::GameFlowManager;

class GameFlowScriptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartConsole();
    ASSERT_TRUE(gameflow::RegisterGameFlowManager(console::GetConsole().GetState()));
    flow_.AddTransitionState("menu", new TraceState(&trace_));
    flow_.AddTransitionState("shop", new TraceState(&trace_));
  }
  void TearDown() override {
    flow_.Shutdown();
    flow_.delayed.clear();
    flow_.transitions.outgoing.reset();
    flow_.transitions.incoming.reset();
    flow_.focusTime = 0.0f;
  }
  void Frame() {
    time_ += 0.1f;
    flow_.Tick(0.1f, time_);
  }

  GameFlowManager& flow_ = GameFlowManager::Instance();
  std::vector<std::string> trace_;
  float time_ = 1.0f;
};

TEST_F(GameFlowScriptTest, ScriptsSwitchStatesAndDelayScripts) {
  RunScript("before = GetCurrentState() .. ',' .. GetLastState()");
  EXPECT_EQ(StringGlobal("before"), "unknown,unknown");

  RunScript("JumpState('menu')");
  EXPECT_EQ(flow_.pendingState, flow_.states.Find("menu"));
  Frame();
  RunScript("GoState('SHOP', 0.15)");
  EXPECT_FLOAT_EQ(flow_.pendingDelay, 0.15f);
  RunScript("DelayScript('delayed = GetCurrentState()', 0)");
  ASSERT_EQ(flow_.delayed.size(), 1u);
  Frame();  // the delayed script runs; the pending delay waits
  EXPECT_EQ(StringGlobal("delayed"), "menu");
  Frame();
  EXPECT_EQ(flow_.current->name, "menu");
  Frame();
  RunScript("now = GetCurrentState() .. ',' .. GetLastState()");
  EXPECT_EQ(StringGlobal("now"), "shop,menu");
  EXPECT_EQ(trace_, (std::vector<std::string>{"enter menu", "exit menu", "enter shop"}));

  LogCapture log;
  RunScript("JumpState('nowhere')");
  EXPECT_TRUE(log.Contains("Unable to go to state nowhere  [MSG_FATAL]"));
  Frame();
  EXPECT_EQ(flow_.GetCurrentStateName(), "shop");
}

TEST_F(GameFlowScriptTest, SetTransitionEffectStartsATransitionToTheTarget) {
  RunScript("SetTransitionEffect('FADE', 'menu', 'covered = 1')");
  ASSERT_NE(flow_.transitions.outgoing, nullptr);
  EXPECT_NE(dynamic_cast<GameTransitionFade*>(flow_.transitions.outgoing.get()), nullptr);
  EXPECT_EQ(flow_.transitions.outgoing->script, "covered = 1");
  EXPECT_EQ(flow_.transitions.targetState, "menu");

  RunScript("SetTransitionEffect('', '', '')");
  ASSERT_NE(flow_.transitions.outgoing, nullptr);
  EXPECT_EQ(flow_.transitions.outgoing->name, "");
  EXPECT_EQ(flow_.transitions.targetState, "");
}

// The script of a covering phase may start the next transition: it replaces the phase that
// runs the script, whose target is then dropped.
TEST_F(GameFlowScriptTest, ATransitionStartedFromTheEndingScriptTakesOver) {
  flow_.EnterState(flow_.states.Find("shop"));
  const std::string chain = "SetTransitionEffect('iris', 'shop', '')";
  RunScript("SetTransitionEffect('roll', 'menu', \"" + chain + "\")");
  for (int i = 0; i < 20 && flow_.transitions.outgoing &&
                  dynamic_cast<GameTransitionRoll*>(flow_.transitions.outgoing.get());
       ++i) {
    Frame();
  }
  ASSERT_NE(flow_.transitions.outgoing, nullptr);
  EXPECT_NE(dynamic_cast<GameTransitionIris*>(flow_.transitions.outgoing.get()), nullptr);
  EXPECT_FLOAT_EQ(flow_.transitions.outgoing->Progress(), 0.0f);
  EXPECT_EQ(flow_.transitions.targetState, "shop");
  EXPECT_EQ(flow_.pendingState, nullptr);
  EXPECT_EQ(flow_.GetCurrentStateName(), "shop");
  EXPECT_EQ(console::GetConsole().GetLines().back(), chain);  // echoed intact
}

// A fade that notes its name each time its tick has returned, so that a phase freed while
// its own tick was still running shows up (as garbage, or under the sanitizer).
std::vector<std::string> g_probeNames;
class ProbePhase : public GameTransitionFade {
 public:
  using GameTransitionFade::GameTransitionFade;
  static GameTransition* Create(const std::string& name) { return new ProbePhase(name); }
  void Tick(float dt) override {
    GameTransitionFade::Tick(dt);
    g_probeNames.push_back(name);
  }
};

// Lua "NestedFrame"(): one whole frame of the game flow, as ForceRedraw runs one.
int NestedFrame(lua_State*) {
  GameFlowManager::Instance().Tick(0.1f, 100.0f);
  return 0;
}

// A phase's script may run frames of its own, whose ticks end that very phase or replace
// it: it lives on until the outermost tick returns, and its target is gone to once.
TEST_F(GameFlowScriptTest, APhaseOutlivesTheFramesItsScriptRuns) {
  flow_.transitions.RegisterTransition("probe", &ProbePhase::Create);
  lua_register(console::GetConsole().GetState()->GetCState(), "NestedFrame", &NestedFrame);
  flow_.EnterState(flow_.states.Find("shop"));
  struct Case {
    const char* what;
    const char* script;
    const char* current;
  };
  const Case cases[] = {
      {"a frame that ends the phase", "NestedFrame()", "menu"},
      {"a frame after the next transition started", "SetTransitionEffect('probe', 'shop', '') NestedFrame()", "shop"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    trace_.clear();
    g_probeNames.clear();
    RunScript(std::string("SetTransitionEffect('probe', 'menu', \"") + c.script + "\")");
    for (int i = 0; i < 40 && flow_.transitions.IsRunning(); ++i) Frame();
    EXPECT_FALSE(flow_.transitions.IsRunning());
    EXPECT_EQ(flow_.GetCurrentStateName(), c.current);
    EXPECT_EQ(std::count(trace_.begin(), trace_.end(), std::string("enter ") + c.current), 1);
    ASSERT_FALSE(g_probeNames.empty());
    for (const std::string& name : g_probeNames) EXPECT_EQ(name, "probe");
  }
}

TEST_F(GameFlowScriptTest, TheClassAnswersIsActive) {
  RunScript("assert(GameFlowManager ~= nil)");
  lua_State* L = console::GetConsole().GetState()->GetCState();
  luabind::globals(L)["flow"] = &flow_;
  flow_.focusTime = -100.0f;
  RunScript("active = flow:IsActive()");
  EXPECT_TRUE(Global("active").GetBoolean());
  flow_.focusTime = 1e9f;
  RunScript("active = flow:IsActive()");
  EXPECT_FALSE(Global("active").GetBoolean());
  luabind::globals(L)["flow"] = luabind::object();
}

}  // namespace
}  // namespace flowtest
