#include "engine/part2d/Part2D.h"

#include <cstdio>

#include "engine/core/Log.h"
#include "engine/core/MemoryManager.h"
#include "engine/core/Random.h"
#include "engine/core/Script.h"
#include "engine/core/WriteLua.h"

namespace part2d {

Part2D::~Part2D() {
  for (PartGroup* group : groups) delete group;
  groups.clear();
}

bool Part2D::Load(const std::string& file) {
  LuaState* state = script::CreateLuaState();
  if (!script::LoadScript(state, file)) {
    LOG_LINE(MSG_ERROR) << "\t Error loading Particle system object " << file;
    LuaState::Destroy(state);
    return false;
  }
  path = file;
  const LuaObject list = script::GetGlobal(state, "Part2D");
  int32_t added = 0;
  // The count is read again after every group: loading runs no Lua, but a table with a
  // metatable could answer differently.
  for (int i = 1; list.IsTable() && i <= list.GetTableCount(); ++i) {
    const LuaObject element = list.GetByIndex(i);
    if (!element.IsTable()) continue;
    // A file adds a bounded number of groups, so that a hostile one cannot fill memory
    // with pools.
    if (added == kMaxFileGroups) {
      LOG_LINE(MSG_WARNING) << "Particle system " << file << " has more than "
                            << kMaxFileGroups << " groups; the rest are skipped";
      break;
    }
    MEMORY_OWNER("Part2D::Load");
    PartGroup* group = new PartGroup(this);
    if (!group->Load(element)) {
      delete group;
      continue;
    }
    groups.push_back(group);
    ++added;
  }
  LuaState::Destroy(state);
  return true;
}

bool Part2D::Save(const std::string& file) {
  path = file;
  // The text goes to a temporary file beside the target and replaces it only once it is
  // complete, so a failed write keeps the old file.
  const std::string temporary = file + ".tmp";
  WriteLua writer;
  if (!writer.Open(temporary)) return false;
  writer.BeginTable("Part2D");
  for (const PartGroup* group : groups) group->Save(writer);
  writer.EndTable(false);
  bool ok = writer.Close();
  ok = ok && std::rename(temporary.c_str(), file.c_str()) == 0;
  if (!ok) {
    LOG_LINE(MSG_ERROR) << "Unable to save Particle system object " << file;
    std::remove(temporary.c_str());
  }
  return ok;
}

PartGroup* Part2D::CreateGroup() {
  MEMORY_OWNER("Part2D::CreateGroup");
  PartGroup* group = new PartGroup(this);
  groups.push_back(group);
  group->SetMaxC(100);
  if (GroupC() > kBigSystemGroups) {
    LOG_LINE(MSG_ERROR)
        << "You're creating a VERY VERY big particle system. Are you sure you know what you're doing?";
  }
  return group;
}

PartGroup* Part2D::GetGroup(int32_t index) const {
  if (static_cast<uint32_t>(index) >= groups.size()) return nullptr;
  return groups[static_cast<size_t>(index)];
}

bool Part2D::Tick(float dt) {
  if (groups.empty()) return false;
  // By index: a callback may add groups while the system ticks.
  for (size_t i = 0; i < groups.size(); ++i) groups[i]->Update(dt);
  return true;
}

bool Part2D::Render(const math::Vec2& offset, const math::Vec2&, const math::Vec2&) {
  if (groups.empty()) return false;
  for (PartGroup* group : groups) group->Render(offset);
  return true;
}

bool Part2D::EmitInRect(float dt, const math::Vec2& corner, const math::Vec2& size) {
  bool spawned = false;
  for (PartGroup* group : groups) {
    if (!group->IsSecondary && group->EmitInRect(dt, corner, size)) spawned = true;
  }
  return spawned;
}

Particle* Part2D::Spawn(const math::Vec2& pos) {
  if (groups.empty()) return nullptr;
  return groups.front()->SpawnParticle(pos);
}

void Part2D::EmitAt(const math::Vec2& pos) {
  for (PartGroup* group : groups) {
    if (!group->IsSecondary) group->SpawnParticle(pos);
  }
}

void Part2D::Emit(const math::Vec2& from, const math::Vec2& to) {
  for (PartGroup* group : groups) {
    if (group->IsSecondary) continue;
    const float t = num::Random::Instance().RangeF(0.0f, 1.0f);
    group->SpawnParticle(from + (to - from) * t);
  }
}

void Part2D::Burst(int32_t count, const math::Vec2& pos) {
  for (int32_t i = 0; i < count; ++i) EmitAt(pos);
}

}  // namespace part2d
