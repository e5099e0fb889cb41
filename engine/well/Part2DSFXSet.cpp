#include "engine/well/Part2DSFXSet.h"

#include "engine/core/MemoryManager.h"
#include "engine/core/Random.h"
#include "engine/part2d/Part2D.h"

namespace well {

Part2DSFXSet::~Part2DSFXSet() = default;

void Part2DSFXSet::Render() {
  if (system_) {
    system_->Render(manager_->GetViewOffset(), math::Vec2(0.0f, 0.0f), math::Vec2(1.0f, 1.0f));
  }
}

void Part2DSFXSet::Tick(float dt) {
  if (system_) system_->Tick(dt);
}

bool Part2DSFXSet::Load(const std::string& path) {
  MEMORY_OWNER("Part2DSFXSet::Load");
  system_ = std::make_unique<part2d::Part2D>();
  return system_->Load(path);
}

void Part2DSFXSet::Emit(int32_t count, const math::Vec2& pos) {
  if (!system_) return;
  for (int32_t i = 0; i < count; ++i) system_->EmitAt(pos);
}

void Part2DSFXSet::EmitSpread(int32_t count, const math::Vec2& pos, const math::Vec2& spread) {
  if (!system_) return;
  num::Random& random = num::Random::Instance();
  for (int32_t i = 0; i < count; ++i) {
    system_->EmitAt(pos + random.RangeVec(math::Vec2(0.0f, 0.0f), spread));
  }
}

}  // namespace well
