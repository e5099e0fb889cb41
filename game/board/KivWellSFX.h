#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/Math.h"
#include "engine/core/Timer.h"
#include "engine/ui/UINumber.h"
#include "engine/ui/UISprite.h"
#include "engine/well/Part2DSFXSet.h"
#include "engine/well/WellSFX.h"

class KivWell;
namespace part2d {
struct Particle;
}

// The game's board effects: particle sets fired at cells (token starts, zen power, coins,
// flowers, butterflies, spells, ice, locks, slicers), coloured rings, floating texts, two
// sparkle pools, lightning bolts, zen lightnings with their charging sound, and the
// countdown number of the time warning.
class KivWellSFX : public well::WellSFX {
 public:
  static constexpr int32_t kSetCount = 32;
  // Particle sets by what fires them.
  static constexpr int32_t kTokenStart = 2;
  static constexpr int32_t kZenPower = 3;
  static constexpr int32_t kGoldCoin = 4;      // 4 to 6
  static constexpr int32_t kButterfly = 12;    // 12 to 16 are fired
  static constexpr int32_t kFlowerBlast = 21;  // a flower spread's step
  static constexpr int32_t kTileBlast = 23;    // a tile blast and a projectile's impact
  static constexpr int32_t kFrozen = 24;
  static constexpr int32_t kLocked = 25;
  static constexpr int32_t kLocked2 = 26;
  static constexpr int32_t kSlicer = 27;       // a cut's step
  static constexpr int32_t kTimer = 30;        // time bonus particles
  static constexpr int32_t kZenLightning = 31;
  static constexpr int32_t kZenLightningCount = 6;
  static constexpr float kZenLightningSeconds = 0.5f;
  static constexpr const char* kChargeSound = "zenpower_charge";

  enum RingColour : int32_t { kYellow, kRed, kGreen, kBlue, kWhite, kRingCount };

  struct Bolt {
    ui::UISprite sprite;
    bool oneShot = true;
    bool finished = false;
  };
  struct ZenLightning {
    ui::UISprite sprite;
    math::Vec2 from{0.0f, 0.0f};
    math::Vec2 to{0.0f, 0.0f};
    math::Vec2 centre{0.0f, 0.0f};
    math::Vec2 size{0.0f, 0.0f};
    float angle = 0.0f;
    CountdownTimer timer;
    bool active = false;
  };

  // The file of each particle set; empty for the slots without one.
  static const char* SetFile(int32_t index);

  KivWellSFX(void* context, KivWell* board);
  ~KivWellSFX() override;

  void Tick(float dt) override;
  void Render() override;
  void RenderOverlay() override;
  void Init() override;
  void AdjustCounter(int32_t delta) override;

  void SparkleAt(int32_t x, int32_t y, int32_t pool);
  void CoinsAt(int32_t x, int32_t y, int32_t variant);
  void ButterfliesAt(int32_t x, int32_t y, int32_t variant);
  void FrozenAt(int32_t x, int32_t y);
  void LockedAt(int32_t x, int32_t y);
  void StartZenLightning(int32_t index, const math::Vec2& from, const math::Vec2& to);
  void AddLightning(const math::Vec2& from, const math::Vec2& to);
  // count particles of a set at a screen point; nothing for a slot without a set.
  void EmitAt(int32_t set, int32_t count, const math::Vec2& position);
  // The time warning's countdown number.
  void StartWarning(const math::Vec2& position, const math::Vec2& size, int32_t value);

  well::Part2DSFXSet* GetSet(int32_t index) const;
  well::TextSFX* GetTexts() const { return texts_; }
  well::SimpleSFX* GetSparkles(int32_t pool) const;
  well::ExplosionSFXSet* GetRings(int32_t colour) const;
  const ZenLightning& GetZenLightning(int32_t i) const { return zen_[static_cast<size_t>(i)]; }
  size_t GetBoltCount() const { return bolts_.size(); }
  uint32_t GetChargeChannel() const { return chargeChannel_; }
  const CountdownTimer& GetWarningTimer() const { return warningTimer_; }
  KivWell* GetBoard() const { return board_; }

 private:
  // The particle-death callbacks of the timer and zen-power sets.
  static void TimerParticleDied(part2d::Particle* particle, void* user);
  static void ZenParticleDied(part2d::Particle* particle, void* user);
  static bool StepFrames(ui::UISprite& sprite, float dt, bool loop);

  KivWell* board_;
  well::TextSFX* texts_ = nullptr;  // in the set list
  std::array<well::Part2DSFXSet*, kSetCount> parts_{};
  std::unique_ptr<well::Part2DSFXSet> timerSet_;
  std::unique_ptr<well::Part2DSFXSet> zenLightningSet_;
  std::array<std::unique_ptr<well::SimpleSFX>, 2> sparkles_;  // not in the set list
  std::array<well::ExplosionSFXSet*, kRingCount> rings_{};
  std::vector<std::unique_ptr<Bolt>> bolts_;
  std::array<ZenLightning, kZenLightningCount> zen_;
  uint32_t chargeChannel_ = 0;
  ui::UINumber warningNumber_;
  CountdownTimer warningTimer_;
  math::Vec2 warningStart_{0.0f, 0.0f};
  math::Vec2 warningEnd_{0.0f, 0.0f};
  int32_t warningValue_ = 0;
};
