#pragma once

#include <cstdint>

class LuaObject;

namespace part2d {

class Part2D;
struct Particle;

// A death rule of a particle group: when one of the group's particles dies, it may start a
// particle in group Group of the same system (possibly the dying particle's own group),
// with a chance of Probability percent drawn from num::CRand.
class PartDie {
 public:
  PartDie(Part2D* system, int32_t group, int32_t probability)
      : owner(system), Group(group), Probability(probability) {}
  virtual ~PartDie() = default;
  // Called right after the particle stopped being alive.
  virtual void OnDie(const Particle& particle) = 0;
  virtual const char* GetType() const = 0;

  // A rule from a "PartDie" table: "Type" ("part_rebirth" or "part_direction", any case;
  // default "part_rebirth"), "Group" (default 0), "Probability" (1.0 = always; stored as
  // a percentage). Null when the value is not a table or the type is unknown.
  static PartDie* GetPartDie(const LuaObject& table, Part2D* owner);

  Part2D* owner;
  int32_t Group;
  int32_t Probability;  // percent; 100 or more always fires without a draw

 protected:
  // Draws num::CRand when Probability is below 100; true when the rule fires.
  bool Fires() const;
};

// A new particle of the target group with that group's own birth values, at the dead
// particle's position.
class PartRebirth : public PartDie {
 public:
  using PartDie::PartDie;
  void OnDie(const Particle& particle) override;
  const char* GetType() const override { return "part_rebirth"; }
};

// A new particle whose birth velocity box is turned into the dead particle's frame (its
// negative y axis along the old direction) and scaled by the old speed.
class PartDirection : public PartDie {
 public:
  using PartDie::PartDie;
  void OnDie(const Particle& particle) override;
  const char* GetType() const override { return "part_direction"; }
};

}  // namespace part2d
