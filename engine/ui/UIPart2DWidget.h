#pragma once

#include "engine/ui/UIWidget.h"

namespace part2d {
class Part2D;
}

namespace ui {

// Runs a particle system (.p2d file) that emits inside the widget's rectangle: each
// frame its groups emit at random points of the rectangle (unless the widget is paused)
// and every particle moves on (paused or not). The system draws only while the UI
// manager's particle switch is on; with force on top it draws in the panel's second pass,
// above the ordinary widgets. Layout keys: Partsys, ForceOnTop.
class UIPart2DWidget : public UIWidget {
 public:
  UIPart2DWidget(UIWidget* parent, const std::string& name);
  ~UIPart2DWidget() override;

  bool Load(const LuaObject& table) override;
  bool Tick(float dt) override;
  // Only an active, visible widget draws, whatever forced says.
  bool Render(bool forced) override;
  void RenderHighlight() override;
  // A clone is the kind with the base widget's state, without system or flags.
  UIWidget* GetClone() override;
  bool SaveExtra(WriteLua& writer) override;

  // The same name as the system's only warns; another name deletes the system and, when
  // not empty, loads a new one.
  void SetPartFile(const std::string& file);
  // Writes the system to a particle file; false without a system.
  bool SavePartFile(const std::string& file);
  bool IsPaused() const { return paused; }
  void SetPaused(bool flag) { paused = flag; }
  part2d::Part2D* GetPartsys() const { return system; }
  // Spawns count particles at random points of the rectangle (nothing for count <= 0).
  void TriggerParticles(int count);
  // Every group drops its particles.
  void ClearParticles();

  part2d::Part2D* system = nullptr;  // owned
  bool paused = false;
  bool forceOnTop = false;

 private:
  math::Vec2 RandomPoint() const;
  void DrawSystem();
};

}  // namespace ui
