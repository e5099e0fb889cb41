#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/core/Math.h"
#include "engine/well/WellSFX.h"

namespace part2d {
class Part2D;
}

namespace well {

// One particle system of a .p2d file, fired at points of the board and drawn with the
// manager's view offset taken off.
class Part2DSFXSet : public WellSFXSet {
 public:
  using WellSFXSet::WellSFXSet;
  ~Part2DSFXSet() override;

  void Render() override;
  void Tick(float dt) override;
  // Replaces the system by a new one loaded from the file; the load's result. A file that
  // does not load leaves the set with an empty system.
  virtual bool Load(const std::string& path);
  // count particles at pos.
  virtual void Emit(int32_t count, const math::Vec2& pos);
  // count particles, each at pos plus an offset drawn between (0, 0) and spread.
  virtual void EmitSpread(int32_t count, const math::Vec2& pos, const math::Vec2& spread);

  part2d::Part2D* GetSystem() const { return system_.get(); }

 private:
  std::unique_ptr<part2d::Part2D> system_;
};

}  // namespace well
