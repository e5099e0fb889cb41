#include "engine/part2d/PartDie.h"

#include "engine/core/MemoryManager.h"
#include "engine/core/Random.h"
#include "engine/core/Script.h"
#include "engine/core/StringUtil.h"
#include "engine/part2d/FileValues.h"
#include "engine/part2d/Part2D.h"

namespace part2d {

PartDie* PartDie::GetPartDie(const LuaObject& table, Part2D* owner) {
  if (!table.IsTable()) return nullptr;
  const std::string type = ToLowerCase(script::GetString(table, "Type", "part_rebirth"));
  const int32_t group = ReadClampedInt(table, "Group", 0);
  // The chance is kept in percent; a value beyond the integer range is clamped first.
  const float chance = script::GetFloat(table, "Probability", 1.0f);
  const int32_t percent = math::ToClampedInt(chance * 100.0f, 0);
  MEMORY_OWNER("PartDie::GetPartDie");
  if (type == "part_rebirth") return new PartRebirth(owner, group, percent);
  if (type == "part_direction") return new PartDirection(owner, group, percent);
  return nullptr;
}

bool PartDie::Fires() const {
  if (Probability >= 100) return true;
  return Probability > num::CRand() % 100;
}

void PartRebirth::OnDie(const Particle& particle) {
  if (!Fires()) return;
  PartGroup* group = owner->GetGroup(Group);
  if (!group) return;
  group->SpawnParticle(particle.pos);
}

void PartDirection::OnDie(const Particle& particle) {
  if (!Fires()) return;
  PartGroup* group = owner->GetGroup(Group);
  if (!group) return;
  const math::Vec2 v = group->RandomVelocity();
  const math::Vec2 across(particle.dir.y, -particle.dir.x);
  const math::Vec2 w = particle.dir * (-v.y * particle.speed) + across * (v.x * particle.speed);
  group->SpawnParticleAt(particle.pos, w);
}

}  // namespace part2d
