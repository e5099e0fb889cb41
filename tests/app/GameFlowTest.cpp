// The game flow manager's frame: state switches after a delay, delayed scripts one a
// frame, input only when settled, rendering by the application's mode; and the base
// state.

#include "engine/app/GameFlowManager.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/app/Audio.h"
#include "engine/app/Input.h"
#include "platform/bass/RecordingBackend.h"
#include "platform/win32/SdlVideo.h"
#include "platform/win32/Time.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/GameFlowTestSupport.h"
#include "tests/core/LogCapture.h"

namespace flowtest {
namespace {

using gameflow::GameFlowManager;

// A manager of its own with the states "title" (current) and "menu".
class GameFlowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartConsole();
    title_ = new TraceState(&trace_);
    menu_ = new TraceState(&trace_);
    flow_.AddTransitionState("title", title_);
    flow_.AddTransitionState("menu", menu_);
    flow_.EnterState(title_);
    trace_.clear();
  }

  // Frames of dt seconds each.
  void Frames(int count, float dt = 0.1f) {
    for (int i = 0; i < count; ++i) {
      time_ += dt;
      flow_.Tick(dt, time_);
    }
  }

  std::vector<std::string> trace_;
  GameFlowManager flow_;
  TraceState* title_ = nullptr;
  TraceState* menu_ = nullptr;
  float time_ = 10.0f;
};

TEST_F(GameFlowTest, ScriptsDueInTheSameFrameRunOneAFrameInTheOrderTheyWereAdded) {
  flow_.DelayScript("order = (order or '') .. 'a'", 0.05f);
  flow_.DelayScript("order = (order or '') .. 'b'", 0.05f);
  // Not lowered in the frames in which a script ahead of it runs.
  flow_.DelayScript("order = (order or '') .. 'c'", 0.15f);

  const std::vector<std::string> expected = {"a", "ab", "ab", "abc", "abc"};
  for (const std::string& order : expected) {
    Frames(1);
    EXPECT_EQ(StringGlobal("order"), order);
  }
  EXPECT_TRUE(flow_.delayed.empty());
  // Each script is echoed to the console after it runs.
  const std::vector<std::string> lines = console::GetConsole().GetLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "order = (order or '') .. 'c'");
}

TEST_F(GameFlowTest, AScriptAddedWithNoDelayDuringTheStatesTickRunsInThatTick) {
  title_->onTick = [this] {
    flow_.DelayScript("fromTick = 1", 0.0f);
    title_->onTick = nullptr;
  };
  Frames(1);
  EXPECT_EQ(Global("fromTick").GetInteger(), 1);
  EXPECT_TRUE(flow_.delayed.empty());
}

TEST_F(GameFlowTest, ThePendingStateWaitsForItsDelayAndForAFrameWithoutADelayedScript) {
  menu_->tickCount = 7;
  menu_->enteringTimer.remaining = -1.0f;
  flow_.GoState("menu", 0.25f);
  // Made pending: its entering phase starts again.
  EXPECT_EQ(flow_.pendingState, menu_);
  EXPECT_TRUE(menu_->entering);
  EXPECT_EQ(menu_->tickCount, 0u);
  EXPECT_FLOAT_EQ(menu_->enteringTimer.remaining, 0.9f);

  Frames(2);  // 0.05 s left
  EXPECT_EQ(flow_.current, title_);
  flow_.DelayScript("ran = 1", 0.0f);
  Frames(1);  // the script runs; the pending delay is not lowered in this frame
  EXPECT_EQ(Global("ran").GetInteger(), 1);
  EXPECT_EQ(flow_.current, title_);
  EXPECT_FLOAT_EQ(flow_.pendingDelay, 0.05f);
  Frames(1);
  EXPECT_EQ(flow_.current, menu_);
  EXPECT_EQ(flow_.last, title_);
  EXPECT_EQ(flow_.pendingState, nullptr);
  EXPECT_EQ(trace_, (std::vector<std::string>{"exit title", "enter menu"}));
  EXPECT_EQ(flow_.GetCurrentStateName(), "menu");
  EXPECT_EQ(flow_.GetLastStateName(), "title");

  // Delay 0: at the end of the next frame.
  flow_.GoState("TITLE", 0.0f);
  EXPECT_EQ(flow_.current, menu_);
  Frames(1);
  EXPECT_EQ(flow_.current, title_);
}

TEST_F(GameFlowTest, AnUnknownStateIsLoggedAndNothingChanges) {
  flow_.GoState("menu", 5.0f);
  LogCapture log;
  flow_.GoState("nowhere", 0.0f);
  EXPECT_TRUE(log.Contains("Unable to go to state nowhere  [MSG_FATAL]")) << log.All();
  EXPECT_EQ(flow_.pendingState, menu_);
  EXPECT_FLOAT_EQ(flow_.pendingDelay, 5.0f);
  Frames(1);
  EXPECT_EQ(flow_.current, title_);

  flow_.EnterState(nullptr);
  EXPECT_TRUE(log.Contains("Trying to enter an invalid state into game flow manager  [MSG_WARNING]"));
  EXPECT_EQ(flow_.current, title_);
  EXPECT_TRUE(trace_.empty());
}

TEST_F(GameFlowTest, GoingToTheCurrentStateExitsAndEntersIt) {
  flow_.GoState("title", 0.0f);
  Frames(1);
  EXPECT_EQ(trace_, (std::vector<std::string>{"exit title", "enter title"}));
  EXPECT_EQ(flow_.current, title_);
  EXPECT_EQ(flow_.last, title_);
  EXPECT_TRUE(title_->active);
}

// Code run while a state is left or entered (its scripts) may ask for another state at
// once: it is entered after the running change, which is never entered twice.
TEST_F(GameFlowTest, AStateEnteredWhileAChangeRunsIsEnteredAfterIt) {
  auto* shop = new TraceState(&trace_);
  auto* map = new TraceState(&trace_);
  flow_.AddTransitionState("shop", shop);
  flow_.AddTransitionState("map", map);
  title_->onExit = [&] { flow_.EnterState(shop); };
  flow_.EnterState(menu_);
  EXPECT_EQ(trace_, (std::vector<std::string>{"exit title", "enter menu", "exit menu", "enter shop"}));
  EXPECT_EQ(flow_.current, shop);
  EXPECT_EQ(flow_.last, menu_);

  trace_.clear();
  shop->onExit = [&] { flow_.EnterState(nullptr); };
  map->onEnter = [&] { flow_.EnterState(title_); };
  flow_.EnterState(map);
  EXPECT_EQ(trace_, (std::vector<std::string>{"exit shop", "enter map", "exit map", "enter title"}));
  EXPECT_EQ(flow_.current, title_);
  EXPECT_EQ(flow_.last, map);
}

TEST_F(GameFlowTest, WithoutACurrentStateAFrameOnlyCountsThePendingStateDown) {
  GameFlowManager fresh;
  EXPECT_EQ(fresh.GetCurrentStateName(), "unknown");
  EXPECT_EQ(fresh.GetLastStateName(), "unknown");
  std::vector<std::string> trace;
  TraceState* first = new TraceState(&trace);
  fresh.AddTransitionState("first", first);
  fresh.DelayScript("early = 1", 0.0f);
  fresh.GoState("first", 0.0f);
  fresh.Tick(0.1f, 1.0f);
  EXPECT_EQ(fresh.current, first);
  EXPECT_EQ(first->ticks, 0);
  EXPECT_TRUE(Global("early").IsNil());  // no delayed script without a state
  fresh.Tick(0.1f, 1.1f);
  EXPECT_EQ(first->ticks, 1);
  EXPECT_EQ(Global("early").GetInteger(), 1);
  EXPECT_EQ(fresh.GetLastStateName(), "unknown");
}

TEST_F(GameFlowTest, ADuplicateNameIsRefusedAndTheNewStateDeleted) {
  LogCapture log;
  bool destroyed = false;
  flow_.AddTransitionState("TITLE", new TraceState(&trace_, &destroyed));
  EXPECT_TRUE(log.Contains("Duplicating the same game name into the game flow manager: TITLE  [MSG_ERROR]"));
  EXPECT_TRUE(destroyed);
  EXPECT_EQ(flow_.states.Size(), 2u);
  EXPECT_EQ(flow_.states.Find("title"), title_);
  EXPECT_EQ(title_->name, "title");

  // A registered state handed in again is neither deleted nor held twice.
  log.Clear();
  flow_.AddTransitionState("title", title_);
  flow_.AddTransitionState("other", menu_);
  EXPECT_EQ(log.Count("Duplicating the same game name into the game flow manager: "), 2u);
  EXPECT_EQ(flow_.states.Size(), 2u);
  EXPECT_EQ(menu_->name, "menu");
  flow_.GoState("menu", 0.0f);
  Frames(1);
  EXPECT_EQ(flow_.current, menu_);
}

TEST_F(GameFlowTest, ShutdownExitsTheCurrentStateAndDeletesEveryState) {
  bool destroyed = false;
  flow_.AddTransitionState("shop", new TraceState(&trace_, &destroyed));
  flow_.GoState("menu", 0.0f);
  Frames(1);
  flow_.GoState("shop", 1.0f);
  trace_.clear();
  flow_.DelayScript("later = 1", 5.0f);

  flow_.Shutdown();
  EXPECT_EQ(trace_, std::vector<std::string>{"exit menu"});
  EXPECT_TRUE(destroyed);
  EXPECT_TRUE(flow_.states.Empty());
  EXPECT_EQ(flow_.current, nullptr);
  EXPECT_EQ(flow_.last, nullptr);
  EXPECT_EQ(flow_.pendingState, nullptr);
  EXPECT_EQ(flow_.GetCurrentStateName(), "unknown");
  EXPECT_EQ(flow_.GetLastStateName(), "unknown");
  EXPECT_EQ(flow_.delayed.size(), 1u);
  Frames(20);  // a late frame finds nothing to switch to
  EXPECT_EQ(flow_.current, nullptr);
}

// A frame draws when the application is windowed, or active and not paused; an exited
// state is never drawn.
TEST_F(GameFlowTest, AFrameRendersByTheApplicationsMode) {
  ASSERT_TRUE(plat::EnsureVideo());
  apptest::TestApp app("Pellavo GameFlowTest", testenv::MakeTempDir("app"));
  flow_.application = &app;
  struct Case {
    bool fullscreen;
    bool active;
    bool paused;
    int renders;
  };
  for (const Case& c : {Case{false, false, true, 1}, Case{false, true, false, 1}, Case{true, false, false, 0},
                        Case{true, true, true, 0}, Case{true, true, false, 1}}) {
    app.fullscreen = c.fullscreen;
    app.active = c.active;
    app.paused = c.paused;
    title_->renders = 0;
    title_->ticks = 0;
    Frames(1);
    EXPECT_EQ(title_->renders, c.renders) << c.fullscreen << c.active << c.paused;
    EXPECT_EQ(title_->ticks, 1);
  }
  app.fullscreen = false;
  title_->active = false;
  title_->renders = 0;
  Frames(1);
  EXPECT_EQ(title_->renders, 0);
  flow_.application = nullptr;
}

// A frame that fails to draw (a lost device) waits 100 ms before the next.
TEST_F(GameFlowTest, AFailedRenderWaitsATenthOfASecond) {
  class FailingState : public TraceState {
   public:
    using TraceState::TraceState;
    bool Render() override { return false; }
  };
  win32::FakeSleeper sleeper;
  FailingState failing(&trace_);
  flow_.EnterState(&failing);
  flow_.Render();
  EXPECT_EQ(sleeper.Calls(), std::vector<uint32_t>{100});
  sleeper.Clear();
  flow_.EnterState(title_);
  flow_.Render();
  EXPECT_TRUE(sleeper.Calls().empty());
}

TEST(GameFlowActive, ActiveMoreThanThreeTenthsOfASecondAfterTheFocusReturns) {
  GameFlowManager flow;
  flow.focusTime = 10.0f;
  EXPECT_FALSE(flow.IsActiveAt(10.0f));
  EXPECT_FALSE(flow.IsActiveAt(10.29f));
  EXPECT_TRUE(flow.IsActiveAt(10.31f));
}

// Keys pressed in the first 0.3 s after the focus returns produce no events, not even
// later; no device is read while a transition runs.
TEST_F(GameFlowTest, InputIsDroppedUntilTheFocusHasSettledAndIgnoredDuringATransition) {
  apptest::ScriptedInput scripted;
  ASSERT_TRUE(scripted.StartDevices());
  apptest::InputRecorder recorder;
  flow_.focusTime = 20.0f;
  const float dt = 1.0f / 60.0f;

  scripted.source.Key(0x1E, true);
  scripted.source.Key(0x1E, false);
  flow_.Tick(dt, 20.29f);
  EXPECT_TRUE(recorder.Starting("Key").empty());

  scripted.source.Key(0x30, true);
  flow_.Tick(dt, 20.31f);
  EXPECT_EQ(recorder.Starting("KeyPressed"), std::vector<std::string>{"KeyPressed 30"});
  EXPECT_TRUE(recorder.Starting("KeyReleased").empty());

  recorder.calls.clear();
  flow_.transitions.StartTransition("fade", "", "");
  scripted.source.Key(0x30, false);
  const int ticks = title_->ticks;
  flow_.Tick(dt, 21.0f);
  EXPECT_TRUE(recorder.calls.empty());
  EXPECT_EQ(title_->ticks, ticks);
  EXPECT_EQ(title_->transitionTicks, 1);
}

// --- The base state ---

class PlainState : public GameState {
 public:
  bool Render() override { return true; }
};

TEST(GameStateTest, StartsAsTheBaseStateAndRunsItsEnteringPhaseDown) {
  PlainState state;
  EXPECT_EQ(state.name, "Base State");
  EXPECT_EQ(state.GetTypeName(), "state");
  EXPECT_FALSE(state.active);
  EXPECT_FALSE(state.entering);
  EXPECT_FLOAT_EQ(state.enteringTimer.duration, 0.9f);
  EXPECT_FLOAT_EQ(state.enteringTimer.remaining, 0.9f);

  state.entering = true;
  state.Tick(0.45f);
  state.Tick(0.45f);  // exactly 0 left: not yet over
  EXPECT_TRUE(state.entering);
  state.Tick(0.01f);
  EXPECT_FALSE(state.entering);
  EXPECT_EQ(state.tickCount, 3u);
}

TEST(GameStateTest, EnteringAndExitingAreLoggedAndExitingPlaysTheShiftSound) {
  bass::RecordingBackend backend;
  bass::ScopedBackend useBackend(backend);
  testenv::WriteFile("sounds/shift.ogg", "shift");
  testenv::WriteFile("sounds/bank.lua", "SoundBank = { { Name = 'screen_shift', Files = { 'sounds/shift.ogg' } } }");
  audio::Audio& audio = audio::GetAudio();
  audio.Init("sounds/bank.lua");
  ASSERT_NE(audio.GetSoundBank(), nullptr);

  PlainState state;
  state.name = "menu";
  LogCapture log;
  EXPECT_TRUE(state.OnEnter());
  EXPECT_TRUE(state.active);
  const size_t playsBefore = backend.CountOf("BASS_ChannelPlay");
  EXPECT_TRUE(state.OnExit());
  EXPECT_FALSE(state.active);
  EXPECT_EQ(backend.CountOf("BASS_ChannelPlay"), playsBefore + 1);
  EXPECT_TRUE(log.Contains("Entering game state menu  [MSG_COMMENT]"));
  EXPECT_TRUE(log.Contains("Exiting game state menu  [MSG_COMMENT]"));
}

}  // namespace
}  // namespace flowtest
