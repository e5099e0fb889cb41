#include "engine/core/ConfigFile.h"

#include <cstdio>
#include <cstdlib>

#include "engine/core/Log.h"
#include "engine/core/Script.h"
#include "platform/luaplus/LuaStateOutFile.h"

namespace config {

namespace {

const char kTable[] = "Config";

// The double nearest to the shortest decimal text of a float: a float setting of 0.1 is
// stored (and saved) as 0.1, not as 0.10000000149011612, and still reads back exactly.
double ShortestDouble(float value) {
  char text[32];
  for (int precision = 6; precision <= 9; ++precision) {
    std::snprintf(text, sizeof text, "%.*g", precision, static_cast<double>(value));
    double parsed = std::strtod(text, nullptr);
    if (static_cast<float>(parsed) == value) return parsed;
  }
  return value;
}

}  // namespace

ConfigFile& ConfigFile::Instance() {
  static ConfigFile instance;
  return instance;
}

ConfigFile::~ConfigFile() { Shutdown(); }

void ConfigFile::Shutdown() {
  if (!state_) return;
  Save();
  LuaState::Destroy(state_);
  state_ = nullptr;
}

bool ConfigFile::Load(const std::string& fileName) {
  LOG_LINE(MSG_INIT) << "Trying to Load Config file " << fileName;
  if (state_) LuaState::Destroy(state_);
  fileName_ = fileName;
  state_ = script::CreateLuaState(script::StateUse::Resident);
  if (!state_) {
    LOG_LINE(MSG_ERROR) << "Unable to create a Lua state for " << fileName;
    return true;
  }
  script::LoadScript(state_, fileName);
  if (!state_->GetGlobal(kTable).IsTable()) {
    // A value of another type would keep EnsureGlobalTable from making the table.
    state_->GetGlobals().SetNil(kTable);
    script::EnsureGlobalTable(state_, kTable);
  }
  LOG_LINE(MSG_INIT) << "Config file Loaded";
  return true;
}

bool ConfigFile::Save() {
  if (!state_) return false;
  LOG_LINE(MSG_INIT) << "Trying to save Config file " << fileName_;
  // The new text goes to a temporary file beside the settings file and replaces it only
  // once it is complete.
  const std::string temporary = fileName_ + ".tmp";
  LuaStateOutFile file;
  bool ok = file.Open(temporary.c_str());
  if (ok) {
    ok = state_->DumpObject(file, kTable, state_->GetGlobal(kTable));
    ok = file.Close() && ok;
    ok = ok && std::rename(temporary.c_str(), fileName_.c_str()) == 0;
    if (!ok) std::remove(temporary.c_str());
  }
  if (!ok) {
    LOG_LINE(MSG_ERROR) << "Failed to save Config file saved";
    return false;
  }
  LOG_LINE(MSG_INIT) << "Config file saved";
  return true;
}

float ConfigFile::GetFloat(const std::string& key, float defaultValue) {
  if (!state_) return defaultValue;
  float value = script::GetFloat(state_->GetGlobal(kTable), key, defaultValue);
  SetFloat(key, value);
  return value;
}

bool ConfigFile::SetFloat(const std::string& key, float value) {
  if (!state_) return false;
  state_->GetGlobal(kTable).SetNumber(key.c_str(), ShortestDouble(value));
  return true;
}

int ConfigFile::GetInt(const std::string& key, int defaultValue) {
  if (!state_) return defaultValue;
  int value = script::GetInt(state_->GetGlobal(kTable), key, defaultValue);
  SetInt(key, value);
  return value;
}

bool ConfigFile::SetInt(const std::string& key, int value) {
  if (!state_) return false;
  state_->GetGlobal(kTable).SetNumber(key.c_str(), value);
  return true;
}

std::string ConfigFile::GetString(const std::string& key, const std::string& defaultValue) {
  if (!state_) return defaultValue;
  std::string value = script::GetString(state_->GetGlobal(kTable), key, defaultValue);
  SetString(key, value);
  return value;
}

bool ConfigFile::SetString(const std::string& key, const std::string& value) {
  if (!state_) return false;
  state_->GetGlobal(kTable).SetString(key.c_str(), value);
  return true;
}

math::Vec3 ConfigFile::GetVector(const std::string& key, const math::Vec3& defaultValue) {
  if (!state_) return defaultValue;
  math::Vec3 value = script::GetVec3(state_->GetGlobal(kTable), key, defaultValue);
  SetVector(key, value);
  return value;
}

bool ConfigFile::SetVector(const std::string& key, const math::Vec3& value) {
  if (!state_) return false;
  LuaObject table = state_->GetGlobal(kTable);
  LuaObject field = table[key];
  // A table of another length (four numbers, say) is replaced too: filling in elements 1
  // to 3 would leave it unreadable as a vector for good.
  if (!field.IsTable() || field.GetTableCount() != 3) field = table.CreateTable(key.c_str(), 3);
  field.SetNumber(1, ShortestDouble(value.x))
      .SetNumber(2, ShortestDouble(value.y))
      .SetNumber(3, ShortestDouble(value.z));
  return true;
}

}  // namespace config
