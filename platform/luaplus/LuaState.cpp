#include "platform/luaplus/LuaState.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <lua.hpp>

#include "platform/luaplus/LuaObject.h"
#include "platform/luaplus/LuaStateOutFile.h"

namespace {

// The registry slot that holds the LuaState of a lua_State.
const char kStateKey = 0;

void StandardErrorSink(const char* message) {
  std::fprintf(stderr, "%s\n", message);
}

LuaState::ErrorSink g_fallbackSink = StandardErrorSink;

// An error outside any protected call: Lua aborts the process after this returns.
int Panic(lua_State* L) {
  const char* message = lua_type(L, -1) == LUA_TSTRING ? lua_tostring(L, -1) : "(no message)";
  std::fprintf(stderr, "Unprotected Lua error: %s\n", message);
  return 0;
}

// How often, in virtual-machine instructions, a bounded state counts what it has run.
constexpr int kInstructionHookStep = 1000;

}  // namespace

struct LuaState::Bounds {
  size_t memoryLimit = 0;
  size_t memoryUsed = 0;
  unsigned long long instructionLimit = 0;
  unsigned long long instructionsRun = 0;
};

namespace {

void* BoundedAlloc(void* ud, void* block, size_t oldSize, size_t newSize) {
  auto* bounds = static_cast<LuaState::Bounds*>(ud);
  // Lua passes the type of a new object instead of its old size when block is null.
  size_t held = block ? oldSize : 0;
  if (newSize == 0) {
    std::free(block);
    bounds->memoryUsed -= held;
    return nullptr;
  }
  if (newSize > held && newSize - held > bounds->memoryLimit - bounds->memoryUsed) return nullptr;
  void* grown = std::realloc(block, newSize);
  if (!grown) return nullptr;
  bounds->memoryUsed = bounds->memoryUsed - held + newSize;
  return grown;
}

void CountInstructions(lua_State* L, lua_Debug*) {
  LuaState* state = LuaState::CastState(L);
  if (!state) return;
  if (state->CountInstructions(kInstructionHookStep)) return;
  luaL_error(L, "instruction limit reached: the script ran too long and was stopped");
}

}  // namespace

LuaState* LuaState::Attach(lua_State* L, bool initStandardLibrary, Bounds* bounds) {
  lua_atpanic(L, Panic);
  LuaState* state = new LuaState();
  state->L_ = L;
  state->bounds_ = bounds;
  lua_pushlightuserdata(L, state);
  lua_rawsetp(L, LUA_REGISTRYINDEX, &kStateKey);
  if (initStandardLibrary) luaL_openlibs(L);
  if (bounds) lua_sethook(L, ::CountInstructions, LUA_MASKCOUNT, kInstructionHookStep);
  return state;
}

LuaState* LuaState::Create(bool initStandardLibrary, bool /*multithreaded*/) {
  lua_State* L = luaL_newstate();
  if (!L) return nullptr;
  return Attach(L, initStandardLibrary, nullptr);
}

LuaState* LuaState::CreateBounded(size_t memoryLimit, unsigned long long instructionLimit,
                                  bool initStandardLibrary) {
  auto* bounds = new Bounds();
  bounds->memoryLimit = memoryLimit;
  bounds->instructionLimit = instructionLimit;
  lua_State* L = lua_newstate(BoundedAlloc, bounds);
  if (!L) {
    delete bounds;
    return nullptr;
  }
  return Attach(L, initStandardLibrary, bounds);
}

bool LuaState::CountInstructions(unsigned long long count) {
  if (!bounds_) return true;
  bounds_->instructionsRun += count;
  return bounds_->instructionsRun <= bounds_->instructionLimit;
}

void LuaState::Destroy(LuaState* state) {
  if (!state) return;
  // Objects that outlive the state become empty instead of pointing into a closed one.
  while (state->objects_) state->objects_->Detach();
  try {
    lua_close(state->L_);
  } catch (...) {
    // A finaliser of a bound class threw: the state is gone either way.
  }
  delete state->bounds_;
  delete state;
}

LuaState* LuaState::CastState(lua_State* L) {
  if (!L) return nullptr;
  lua_rawgetp(L, LUA_REGISTRYINDEX, &kStateKey);
  LuaState* state = static_cast<LuaState*>(lua_touserdata(L, -1));
  lua_pop(L, 1);
  return state;
}

void LuaState::SetFallbackErrorSink(ErrorSink sink) {
  g_fallbackSink = sink ? sink : StandardErrorSink;
}

LuaObject LuaState::GetGlobals() {
  lua_rawgeti(L_, LUA_REGISTRYINDEX, LUA_RIDX_GLOBALS);
  LuaObject globals(this, -1);
  lua_pop(L_, 1);
  return globals;
}

LuaObject LuaState::GetGlobal(const char* name) { return GetGlobals().GetByName(name); }

LuaObject LuaState::GetGlobal(const std::string& name) { return GetGlobal(name.c_str()); }

int LuaState::DoString(const char* text) {
  if (!text) text = "";
  return DoBuffer(text, std::strlen(text), text);
}

// A C++ exception that leaves a load or a call (a luabind binding throws one for a bad
// argument) puts the stack back to `top` and is reported like a script error.
template <typename Step>
int LuaState::Guarded(int top, Step&& step) {
  try {
    return step();
  } catch (const std::exception& e) {
    lua_settop(L_, top);
    ReportError(e.what());
  } catch (...) {
    lua_settop(L_, top);
    ReportError("unknown C++ exception");
  }
  return LUA_ERRRUN;
}

int LuaState::DoBuffer(const char* data, size_t size, const char* chunkName) {
  return Guarded(lua_gettop(L_),
                 [&] { return RunLoaded(luaL_loadbuffer(L_, data, size, chunkName)); });
}

int LuaState::DoFile(const char* fileName) {
  return Guarded(lua_gettop(L_), [&] { return RunLoaded(luaL_loadfile(L_, fileName)); });
}

int LuaState::RunLoaded(int loadStatus) {
  if (loadStatus != LUA_OK) {
    ReportTopError();
    return loadStatus;
  }
  // Results are dropped: a long-lived state must not collect them on its stack.
  return PCall(0, 0);
}

int LuaState::PCall(int nargs, int nresults) {
  return Guarded(lua_gettop(L_) - nargs - 1, [&] {
    int status = lua_pcall(L_, nargs, nresults, 0);
    if (status != LUA_OK) ReportTopError();
    return status;
  });
}

void LuaState::ReportTopError() {
  std::string message;
  int type = lua_type(L_, -1);
  if (type == LUA_TSTRING || type == LUA_TNUMBER) {
    size_t length = 0;
    const char* text = lua_tolstring(L_, -1, &length);
    message.assign(text, length);
  } else {
    message = std::string("(error object is a ") + lua_typename(L_, type) + " value)";
  }
  lua_pop(L_, 1);
  ReportError(message.c_str());
}

void LuaState::ReportError(const char* message) {
  int top = lua_gettop(L_);
  lua_rawgeti(L_, LUA_REGISTRYINDEX, LUA_RIDX_GLOBALS);
  lua_pushliteral(L_, "_ALERT");
  lua_rawget(L_, -2);
  if (lua_isfunction(L_, -1)) {
    lua_pushstring(L_, message);
    if (lua_pcall(L_, 1, 0, 0) == LUA_OK) {
      lua_settop(L_, top);
      return;
    }
    // The handler itself failed: fall back, with both messages.
    std::string text = std::string(message) + " (_ALERT failed: " +
                       (lua_type(L_, -1) == LUA_TSTRING ? lua_tostring(L_, -1) : "?") + ")";
    lua_settop(L_, top);
    g_fallbackSink(text.c_str());
    return;
  }
  lua_settop(L_, top);
  g_fallbackSink(message);
}

bool LuaState::DumpObject(LuaStateOutFile& file, const char* name, const LuaObject& value) {
  if (!file.IsOpen() || (value.GetState() && value.GetState() != this)) return false;
  return file.Print(LuaStateOutFile::Serialize(name, value));
}
