#pragma once

// A stage for the game shell's screens: the user interface's test stage (recording
// renderer, console state, font, recording audio back end) with the shell's script classes
// registered, a sound bank that also holds "popup_open" and "popup_close", and helpers to
// build panels in code.

#include <string>

#include "engine/part2d/Part2D.h"
#include "engine/ui/UIWidget.h"
#include "tests/ui/UITestSupport.h"

namespace shelltest {

class ShellUITest : public uitest::UITest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A hidden panel of that name, 0.5 x 0.5 at (0.25, 0.25), and a widget inside it.
  ui::UIWidget* MakePanel(const std::string& name);
  ui::UIWidget* MakeChild(ui::UIWidget* parent, const std::string& name, const math::Vec2& position,
                          const math::Vec2& size);
  // Bank sounds played since the test began (or the last Clear).
  static size_t Played(const std::string& name) { return uitest::Sounds::Instance().Count(name); }
  // Live particles of a group of a particle system.
  static int Live(const part2d::Part2D& system, int group);

  // Particle file with two primary groups and one secondary, long-lived, none emitted on
  // their own.
  static std::string Effect();
};

}  // namespace shelltest
