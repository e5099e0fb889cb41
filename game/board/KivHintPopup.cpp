#include "game/board/KivHintPopup.h"

#include "engine/core/MemoryManager.h"
#include "engine/part2d/Part2D.h"

KivHintPopup::KivHintPopup(const math::Vec2& screenBounds, float leftEdge, float topEdge)
    : WellDynamicHelp(screenBounds, leftEdge, topEdge) {
  MEMORY_OWNER("KivHintPopup::KivHintPopup");
  particles_ = std::make_unique<part2d::Part2D>();
  particles_->Load(kEffectFile);
  sizeValues = math::Vec2(0.4f, 0.4f);
  displayTime = 0.5f;
}

KivHintPopup::~KivHintPopup() = default;

void KivHintPopup::Open(const math::Vec2& pointA, const math::Vec2& pointB, const std::string& newText) {
  WellDynamicHelp::Open(pointA, pointB, newText);
  BorderBurst();
}

void KivHintPopup::Close() {
  WellDynamicHelp::Close();
  if (state == kClosing) BorderBurst();
}

void KivHintPopup::Tick(float dt) {
  WellDynamicHelp::Tick(dt);
  particles_->Tick(dt);
}

void KivHintPopup::Render(const math::Vec2& offset) {
  WellDynamicHelp::Render(offset);
  particles_->Render(math::Vec2(0.0f, 0.0f), math::Vec2(0.0f, 0.0f), math::Vec2(1.0f, 1.0f));
}

void KivHintPopup::UseGameFrame() {
  SetUp({"help_tl", "help_bl", "help_tr", "help_br"}, "ui_img/help_bg.png", "");
  textColour = math::Vec3(1.0f, 1.0f, 1.0f);
  SetFontName("smallfont");
}

void KivHintPopup::BorderBurst() {
  const math::Vec2 p = boxPosition;
  const math::Vec2 s = BoxSize();
  const math::Vec2 topRight = p + math::Vec2(s.x, 0.0f);
  const math::Vec2 bottomRight = p + s;
  const math::Vec2 bottomLeft = p + math::Vec2(0.0f, s.y);
  for (int32_t round = 0; round < kBurstRounds; ++round) {
    particles_->Emit(p, topRight);
    particles_->Emit(topRight, bottomRight);
    particles_->Emit(bottomRight, bottomLeft);
    particles_->Emit(bottomLeft, p);
  }
}

KivHelpBox::KivHelpBox() : KivHintPopup(math::Vec2(0.99f, 0.99f), 0.01f, 0.01f) {
  sizeValues = math::Vec2(0.2f, 0.2f);
  displayTime = 0.25f;
  UseGameFrame();
}
