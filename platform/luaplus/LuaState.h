#pragma once

#include <cstddef>
#include <string>

struct lua_State;

class LuaObject;
class LuaStateOutFile;

// A Lua state in the shape of LuaPlus's LuaState, over Lua 5.2.
//
// Chunks run in protected mode. A chunk that fails to compile or raises an error is
// reported the way LuaPlus reported it: its message is passed to the global function
// "_ALERT" of the state when there is one (the engine's states bind it to the log), else
// to the process-wide fallback sink (standard error unless replaced). Lua 5.2 itself has
// no such hook, so every Do* call does it here. C++ exceptions that escape a chunk (for
// example a luabind error) are caught and reported the same way.
//
// LuaObject values made from a state are tracked by it: Destroy turns every one that is
// still alive into an empty object, so objects may outlive their state safely.
class LuaState {
 public:
  using ErrorSink = void (*)(const char* message);

  // A new state; initStandardLibrary opens Lua's standard libraries. The second flag is
  // LuaPlus's multithreading switch and is ignored: states are used on one thread.
  static LuaState* Create(bool initStandardLibrary = true, bool multithreaded = false);
  // A state whose allocations stop at memoryLimit bytes (an allocation beyond it fails as
  // out of memory) and whose code raises an error once it has executed about
  // instructionLimit virtual-machine instructions; the error repeats for any later code,
  // so a state that hit its limit runs nothing more. For states that run data files from
  // outside, which must not hang or exhaust the process.
  static LuaState* CreateBounded(size_t memoryLimit, unsigned long long instructionLimit,
                                 bool initStandardLibrary = true);
  static void Destroy(LuaState* state);

  // The LuaState that owns a Lua thread of it (the main thread or a coroutine); null for
  // a lua_State that was not made by Create.
  static LuaState* CastState(lua_State* L);

  // Where errors go in a state without a working "_ALERT" function (null restores standard
  // error). The engine's script helpers point it at the log.
  static void SetFallbackErrorSink(ErrorSink sink);

  lua_State* GetCState() const { return L_; }

  LuaObject GetGlobals();
  LuaObject GetGlobal(const char* name);
  LuaObject GetGlobal(const std::string& name);

  // Each returns 0 on success, else the Lua status code (after reporting the error).
  int DoString(const char* text);
  int DoBuffer(const char* data, size_t size, const char* chunkName = nullptr);
  int DoFile(const char* fileName);

  // Calls the function on the top of the stack in protected mode with nargs arguments
  // below it, leaving nresults results; reports an error as the Do* calls do. For engine
  // code that calls a Lua function with arguments of its own.
  int PCall(int nargs, int nresults);

  // Writes "name = <value>" as Lua text that recreates the value (see LuaStateOutFile).
  bool DumpObject(LuaStateOutFile& file, const char* name, const LuaObject& value);

  // Reports a message as a failed chunk would (through "_ALERT" or the fallback sink).
  void ReportError(const char* message);

  // Adds count to the instructions a bounded state has run; false once it is past its
  // limit. Always true for a state without bounds.
  bool CountInstructions(unsigned long long count);

  struct Bounds;

 private:
  friend class LuaObject;

  LuaState() = default;
  ~LuaState() = default;
  LuaState(const LuaState&) = delete;
  LuaState& operator=(const LuaState&) = delete;

  template <typename Step>
  int Guarded(int top, Step&& step);
  int RunLoaded(int loadStatus);
  void ReportTopError();

  static LuaState* Attach(lua_State* L, bool initStandardLibrary, Bounds* bounds);

  lua_State* L_ = nullptr;
  LuaObject* objects_ = nullptr;  // intrusive list of live objects referring to this state
  Bounds* bounds_ = nullptr;      // the limits of a bounded state; freed after the state
};
