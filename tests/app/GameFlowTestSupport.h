#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/app/GameState.h"
#include "engine/core/Console.h"
#include "platform/luaplus/LuaObject.h"
#include "platform/luaplus/LuaState.h"
#include "tests/support/TestEnv.h"

namespace flowtest {

// A state that writes what the manager does with it into a shared trace ("enter menu",
// "exit title") and counts its ticks and renders; hooks let a test act inside them.
class TraceState : public GameState {
 public:
  explicit TraceState(std::vector<std::string>* trace, bool* destroyed = nullptr)
      : trace_(trace), destroyed_(destroyed) {}
  ~TraceState() override {
    if (destroyed_) *destroyed_ = true;
  }

  bool OnEnter() override {
    trace_->push_back("enter " + name);
    if (onEnter) onEnter();
    return GameState::OnEnter();
  }
  bool OnExit() override {
    trace_->push_back("exit " + name);
    if (onExit) onExit();
    return GameState::OnExit();
  }
  bool Tick(float dt) override {
    ++ticks;
    if (onTick) onTick();
    return GameState::Tick(dt);
  }
  void TickInTransition(float) override { ++transitionTicks; }
  bool Render() override {
    ++renders;
    if (onRender) onRender();
    return true;
  }

  std::function<void()> onEnter;
  std::function<void()> onExit;
  std::function<void()> onTick;
  std::function<void()> onRender;
  int ticks = 0;
  int transitionTicks = 0;
  int renders = 0;

 private:
  std::vector<std::string>* trace_;
  bool* destroyed_;
};

// A fresh main Lua state in the process-wide console (delayed scripts and transition
// scripts run there).
inline void StartConsole() {
  testenv::WriteFile("scripts/console.lua", "Console = {}\n");
  console::GetConsole().Init("scripts/console.lua");
}

// Runs the text in the console's state and expects it to succeed (a failure reaches the
// log).
inline void RunScript(const std::string& text) {
  EXPECT_EQ(console::GetConsole().GetState()->DoString(text.c_str()), 0) << text;
}

inline LuaObject Global(const char* name) { return console::GetConsole().GetState()->GetGlobal(name); }

// A string global of the console's state; "nil" when it is not a string.
inline std::string StringGlobal(const char* name) {
  const LuaObject value = Global(name);
  return value.IsString() ? value.ToStdString() : "nil";
}

}  // namespace flowtest
