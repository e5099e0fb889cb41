#pragma once

#include <string>

#include "engine/core/Math.h"

class LuaState;

namespace config {

// The engine settings script kv.lua: run in a Lua state of its own, its global table
// "Config" serves typed reads and writes, and is written back as Lua text at the end.
// Every Get stores the value it returns (the default when the key is absent or of another
// type), so the file written afterwards holds every key the engine asked for.
class ConfigFile {
 public:
  // The process-wide instance (Lua global "GetConfig"), created empty on first use.
  static ConfigFile& Instance();

  ConfigFile() = default;
  // Saves and destroys the state when Shutdown has not done so already.
  ~ConfigFile();
  ConfigFile(const ConfigFile&) = delete;
  ConfigFile& operator=(const ConfigFile&) = delete;

  // Runs the file (a missing or broken one only gets the script loader's log lines) and
  // makes sure "Config" is a table. Always true. A state from an earlier Load is
  // destroyed first, unsaved.
  bool Load(const std::string& fileName);
  // Writes "Config" back to the file through a temporary file and a rename, so that a
  // crash never leaves a half-written file; false when it could not be written (the old
  // file then stays) or nothing was loaded.
  bool Save();
  // Saves, then destroys the state; afterwards Gets give defaults and Sets fail. The
  // ordered shutdown calls it while the log and the script bindings still exist.
  void Shutdown();

  float GetFloat(const std::string& key, float defaultValue);
  bool SetFloat(const std::string& key, float value);
  int GetInt(const std::string& key, int defaultValue);
  bool SetInt(const std::string& key, int value);
  std::string GetString(const std::string& key, const std::string& defaultValue);
  bool SetString(const std::string& key, const std::string& value);
  math::Vec3 GetVector(const std::string& key, const math::Vec3& defaultValue);
  bool SetVector(const std::string& key, const math::Vec3& value);

  const std::string& FileName() const { return fileName_; }
  LuaState* GetState() const { return state_; }

 private:
  std::string fileName_;
  LuaState* state_ = nullptr;
};

// Registers the Lua class "ConfigFile" and the global "GetConfig"; false (and a log line)
// when luabind refuses.
bool RegisterConfigFile(LuaState* state);

}  // namespace config
