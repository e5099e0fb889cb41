// Runs each input as a .ui panel file with every widget kind registered: builds the
// panel, ticks it, draws both passes, clicks and presses keys at each widget's centre,
// saves it and loads the saved panel back. The renderer records, there is no sound bank,
// and every Lua state the input reaches (the panel's own and the console's, where event
// and finish scripts run) is held to an instruction and a memory budget, with the
// functions that reach outside the process taken away.

#include <lua.hpp>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/app/Keyboard.h"
#include "engine/app/Mouse.h"
#include "engine/core/Console.h"
#include "engine/core/Script.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/UIWidget.h"
#include "platform/dinput/DInput.h"
#include "platform/luaplus/LuaObject.h"
#include "platform/luaplus/LuaState.h"
#include "tests/ui/SpriteTestSupport.h"

namespace {

constexpr int kHookEvery = 1000;            // instructions between budget checks
constexpr int kInstructionChecks = 2000;    // about two million instructions per input
constexpr size_t kMemoryBudget = 64u << 20;  // bytes per state

int g_checks = 0;

struct Budget {
  lua_Alloc original = nullptr;
  void* originalData = nullptr;
  size_t used = 0;
};

void* BoundedAlloc(void* data, void* block, size_t oldSize, size_t newSize) {
  auto* budget = static_cast<Budget*>(data);
  const size_t old = block ? oldSize : 0;
  if (newSize > old && budget->used + (newSize - old) > kMemoryBudget) return nullptr;
  void* result = budget->original(budget->originalData, block, oldSize, newSize);
  if (newSize == 0 || result) budget->used = budget->used - old + newSize;
  return result;
}

void CountHook(lua_State* L, lua_Debug*) {
  if (++g_checks > kInstructionChecks) luaL_error(L, "instruction budget spent");
}

// The budget lives as long as the state; the fuzzer's states are few and long-lived, or
// destroyed before their budget is.
void Bound(lua_State* L, Budget* budget) {
  budget->original = lua_getallocf(L, &budget->originalData);
  lua_setallocf(L, &BoundedAlloc, budget);
  lua_sethook(L, &CountHook, LUA_MASKCOUNT, kHookEvery);
  for (const char* name : {"os", "io", "require", "dofile", "loadfile", "package", "debug"}) {
    lua_pushnil(L);
    lua_setglobal(L, name);
  }
}

struct Stage {
  Stage() {
    char folder[] = "/tmp/fuzz_ui_panelXXXXXX";
    if (!mkdtemp(folder) || chdir(folder) != 0) std::abort();
    FILE* file = std::fopen("console.lua", "w");
    if (!file) std::abort();
    std::fputs("Console = {}\n", file);
    std::fclose(file);
    console::GetConsole().Init("console.lua");
    LuaState* state = console::GetConsole().GetState();
    if (!state || !ui::RegisterUIClasses(state)) std::abort();
    Bound(state->GetCState(), &consoleBudget);
  }
  spritetest::SpriteRenderer renderer;
  Budget consoleBudget;
};

void Centres(const ui::UIWidget* widget, std::vector<math::Vec2>& out, int depth) {
  if (!widget || depth > 64 || out.size() > 256) return;
  out.push_back(widget->GetPosition() + widget->GetSize() * 0.5f);
  for (const ui::UIWidget* child : widget->GetChildren()) Centres(child, out, depth + 1);
}

void Exercise(ui::UIManager& ui, ui::UIWidget* panel) {
  for (int i = 0; i < 3; ++i) ui.Tick(0.05f);
  ui.Render();
  std::vector<math::Vec2> centres;
  Centres(panel, centres, 0);
  input::MouseButton left;
  left.id = 0;
  input::KeyEvent key;
  key.changed = true;
  for (const math::Vec2& at : centres) {
    ui.MouseButtonPressed(&left, &at);
    ui.MouseButtonDown(&left, &at);
    ui.MouseButtonReleased(&left, &at);
    key.code = DIK_A;
    key.down = true;
    ui.KeyPressed(&key);
    key.code = DIK_TAB;
    key.down = false;
    ui.KeyReleased(&key);
  }
  ui.Tick(0.05f);
  ui.Render();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Stage stage;
  ui::UIManager& ui = ui::GetUIMan();
  g_checks = 0;

  // The panel file, run in a throw-away state held to the budget.
  LuaState* state = LuaState::Create();
  Budget budget;
  Bound(state->GetCState(), &budget);
  const std::string chunk(reinterpret_cast<const char*>(data), size);
  ui::UIWidget* panel = nullptr;
  {
    lua_State* L = state->GetCState();
    if (luaL_loadbuffer(L, chunk.data(), chunk.size(), "fuzz.ui") == LUA_OK &&
        lua_pcall(L, 0, 0, 0) == LUA_OK) {
      LuaObject entry = script::GetGlobal(state, "Panel");
      g_checks = 0;
      panel = ui.CreateWidget(nullptr, entry);
    }
  }
  LuaState::Destroy(state);
  if (panel) {
    ui.AttachPanel(panel);
    g_checks = 0;
    Exercise(ui, panel);
    if (ui::UIWidget* kept = ui.GetPanels().empty() ? nullptr : ui.GetPanels().back()) {
      if (ui.SavePanel(kept, "saved.ui")) {
        ui.DropAllPanels();
        g_checks = 0;
        if (ui::UIWidget* again = ui.AddPanel("saved.ui")) Exercise(ui, again);
      }
    }
  }
  ui.DropAllPanels();
  ui.ClearEditWidget();
  return 0;
}
