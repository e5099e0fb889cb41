#pragma once

#include <memory>
#include <string>

#include "engine/well/HelpPopup.h"

namespace part2d {
class Part2D;
}

// The game's tip popup: the framed help box with a particle border that bursts along its
// edges when it opens and when it starts closing.
class KivHintPopup : public well::WellDynamicHelp {
 public:
  static constexpr const char* kEffectFile = "effects/hintpopup_fx.p2d";
  static constexpr int32_t kBurstRounds = 100;

  KivHintPopup(const math::Vec2& bounds, float left, float top);
  ~KivHintPopup() override;

  void Open(const math::Vec2& pointA, const math::Vec2& pointB, const std::string& text) override;
  void Close() override;
  void Tick(float dt) override;
  void Render(const math::Vec2& offset) override;

  // The game's frame: corners "help_tl", "help_bl", "help_tr", "help_br", the frame
  // "ui_img/help_bg.png", white text in "smallfont".
  void UseGameFrame();
  // 100 rounds of one emission on each edge of the box, clockwise from its top-left.
  void BorderBurst();
  part2d::Part2D* GetParticles() const { return particles_.get(); }

 private:
  std::unique_ptr<part2d::Part2D> particles_;
};

// The tooltip box: the same popup placed anywhere on the screen but its outer rim.
class KivHelpBox : public KivHintPopup {
 public:
  KivHelpBox();
};
