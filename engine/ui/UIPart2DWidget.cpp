#include "engine/ui/UIPart2DWidget.h"

#include "engine/core/Log.h"
#include "engine/core/MemoryManager.h"
#include "engine/core/Random.h"
#include "engine/core/Script.h"
#include "engine/core/WriteLua.h"
#include "engine/part2d/Part2D.h"
#include "engine/ui/UIManager.h"

namespace ui {

UIPart2DWidget::UIPart2DWidget(UIWidget* parent, const std::string& widgetName)
    : UIWidget(parent, widgetName) {
  type = WT_Part2D;
}

UIPart2DWidget::~UIPart2DWidget() { delete system; }

bool UIPart2DWidget::Load(const LuaObject& table) {
  if (!UIWidget::Load(table)) return false;
  const std::string file = script::GetString(table, "Partsys", "");
  forceOnTop = script::GetBool(table, "ForceOnTop", false);
  SetPartFile(file);
  return true;
}

void UIPart2DWidget::SetPartFile(const std::string& file) {
  if (system && system->path == file) {
    LOG_LINE(MSG_WARNING) << "Trying to re-set the file. Reset instead?";
    return;
  }
  delete system;
  system = nullptr;
  if (file.empty()) return;
  MEMORY_OWNER("UIPart2DWidget::SetPartFile");
  system = new part2d::Part2D;
  system->Load(file);
}

bool UIPart2DWidget::SavePartFile(const std::string& file) {
  return system && system->Save(file);
}

math::Vec2 UIPart2DWidget::RandomPoint() const {
  return num::Random::Instance().RangeVec(position, position + size);
}

bool UIPart2DWidget::Tick(float dt) {
  UIWidget::Tick(dt);
  if (!system) return true;
  if (!paused) {
    system->origin = position;
    for (part2d::PartGroup* group : system->groups) {
      // At most a pool's worth a frame, and none once the pool is full: with a tiny
      // GenRate the emission clock would otherwise keep a particle due for ever.
      int32_t spawned = 0;
      for (bool due = group->TickEmitter(dt); due && spawned < group->GetMaxC();
           due = group->TickEmitter(0.0f)) {
        if (!group->SpawnParticle(RandomPoint())) break;
        ++spawned;
      }
    }
  }
  system->Tick(dt);
  return true;
}

void UIPart2DWidget::DrawSystem() {
  if (system && manager->particlesShown) system->Render(math::Vec2(0.0f, 0.0f));
}

bool UIPart2DWidget::Render(bool) {
  if (!IsActiveAndVisible()) return false;
  if (!forceOnTop) DrawSystem();
  for (size_t i = 0; i < children.size(); ++i) children[i]->Render(false);
  return true;
}

void UIPart2DWidget::RenderHighlight() {
  if (forceOnTop && IsActiveAndVisible()) DrawSystem();
  UIWidget::RenderHighlight();
}

void UIPart2DWidget::TriggerParticles(int count) {
  if (!system || count <= 0) return;
  for (int i = 0; i < count; ++i) system->Spawn(RandomPoint());
}

void UIPart2DWidget::ClearParticles() {
  if (!system) return;
  for (part2d::PartGroup* group : system->groups) group->ClearParticles();
}

UIWidget* UIPart2DWidget::GetClone() {
  const std::string cloneName = NextCloneName();
  MEMORY_OWNER("UIPart2DWidget::GetClone");
  UIPart2DWidget* clone = new UIPart2DWidget(parent, cloneName);
  CopyInto(clone);
  return clone;
}

bool UIPart2DWidget::SaveExtra(WriteLua& writer) {
  if (!system) return true;
  writer.WriteString("Partsys", system->path);
  writer.WriteInt("ForceOnTop", forceOnTop ? 1 : 0);
  return true;
}

}  // namespace ui
