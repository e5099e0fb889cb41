#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/Math.h"
#include "engine/core/Timer.h"
#include "engine/ui/UISprite.h"

namespace ui {
class UIWidget;
}

namespace well {

class BaseWell;
class WellSFX;

// One kind of board effect, owned by the board's effect manager, which ticks and draws
// it. Positions are screen positions; the manager's view offset is taken off when drawn.
class WellSFXSet {
 public:
  WellSFXSet(void* context, WellSFX* manager) : context_(context), manager_(manager) {}
  virtual ~WellSFXSet() = default;
  WellSFXSet(const WellSFXSet&) = delete;
  WellSFXSet& operator=(const WellSFXSet&) = delete;

  virtual void Render() = 0;
  virtual void Tick(float dt) = 0;

  WellSFX* GetManager() const { return manager_; }

 protected:
  void* context_;
  WellSFX* manager_;
};

// The board's effect manager: a list of effect sets ticked and drawn in order. The game
// derives its own manager, which creates the sets and fills the hooks.
class WellSFX {
 public:
  WellSFX(void* context, BaseWell* board) : context_(context), well_(board) {}
  // Deletes every set.
  virtual ~WellSFX();
  WellSFX(const WellSFX&) = delete;
  WellSFX& operator=(const WellSFX&) = delete;

  virtual void Tick(float dt);
  virtual void Render();
  // Drawn by the board before its blocks.
  virtual void RenderBelowBlocks() {}
  // Hooks that the game's manager fills: its layer over the board, its set-up right after
  // construction, and a counter change it hands on to the board.
  virtual void RenderOverlay() {}
  virtual void Init() {}
  virtual void AdjustCounter(int32_t delta) {}

  // The manager owns the set from now on.
  WellSFXSet* AddSet(WellSFXSet* set);
  const std::vector<std::unique_ptr<WellSFXSet>>& GetSets() const { return sets_; }
  BaseWell* GetWell() const { return well_; }
  void* GetContext() const { return context_; }
  const math::Vec2& GetViewOffset() const { return viewOffset_; }
  void SetViewOffset(const math::Vec2& offset) { viewOffset_ = offset; }

 protected:
  void* context_;
  std::vector<std::unique_ptr<WellSFXSet>> sets_;
  BaseWell* well_;
  math::Vec2 viewOffset_{0.0f, 0.0f};
};

// Expanding, fading rings of one texture: a fixed pool of records, each live while its
// timer runs. Nothing in the framework starts a ring; the set loads, ticks and draws
// the live ones.
class ExplosionSFXSet : public WellSFXSet {
 public:
  // Rings are batched into a buffer of this many vertices.
  static constexpr uint32_t kVertexBuffer = 600;

  struct Ring {
    CountdownTimer timer;  // live while remaining is 0 or more
    math::Vec2 center{0.0f, 0.0f};
    float startRadius = 0.0f;
    float endRadius = 0.0f;
  };

  using WellSFXSet::WellSFXSet;

  // Draws every live ring, radius and alpha going from the start to the end over its
  // time, additively.
  void Render() override;
  void Tick(float dt) override;
  // The texture and count idle records, each of one second.
  virtual void Load(const std::string& image, int32_t count, const math::Vec4& startColor,
                    const math::Vec4& endColor);

  ui::UISprite sprite;
  std::vector<Ring> rings;
  math::Vec4 startColor;
  math::Vec4 endColor;
  int32_t activeCount = 0;
  int32_t capacity = 0;
};

// A fixed pool of animated sprites of one image: each plays once where it was spawned
// (drifting down when moving is set) and frees its slot at the end of its animation.
class SimpleSFX : public WellSFXSet {
 public:
  struct Slot {
    ui::UISprite sprite;
    math::Vec2 position{0.0f, 0.0f};
    math::Vec2 size{0.0f, 0.0f};
    uint32_t color = 0xFFFFFFFF;
    bool active = false;
  };

  SimpleSFX(void* context, WellSFX* manager, const std::string& image, int32_t capacity,
            bool moving, bool additive);

  void Render() override;
  void Tick(float dt) override;
  // Takes the first free slot; nothing when the pool is full.
  void Spawn(const math::Vec2& pos, const math::Vec2& size, uint32_t color);
  // The image's own size (of one frame).
  math::Vec2 GetFrameSize() const;
  int32_t GetActiveCount() const { return activeCount_; }
  int32_t GetCapacity() const { return capacity_; }
  const Slot& GetSlot(int32_t index) const { return slots_[static_cast<size_t>(index)]; }

 private:
  int32_t capacity_;
  int32_t activeCount_ = 0;
  std::vector<Slot> slots_;
  bool moving_;
  bool additive_;
};

// A fixed pool of text widgets that float (rising when moving is set) and fade out over
// their duration.
class TextSFX : public WellSFXSet {
 public:
  // How fast a moving text rises, in screen heights per second.
  static constexpr float kRiseSpeed = 0.2f;

  struct Record {
    std::unique_ptr<ui::UIWidget> widget;
    CountdownTimer timer;
    bool active = false;
  };

  TextSFX(void* context, WellSFX* manager, const std::string& image, const std::string& font,
          float duration, int32_t capacity, bool moving, int32_t option);
  ~TextSFX() override;

  void Render() override;
  void Tick(float dt) override;
  // Shows the text at the position in the first free record, opaque, its timer started
  // again; nothing when every record is live.
  void ShowText(const std::string& text, const math::Vec2& position);
  int32_t GetActiveCount() const { return activeCount_; }
  int32_t GetCapacity() const { return capacity_; }
  // Kept for the game's sets; the framework gives it no meaning.
  int32_t GetOption() const { return option_; }
  const Record& GetRecord(int32_t index) const { return records_[static_cast<size_t>(index)]; }
  // A record's widget, for its owner to size and style.
  ui::UIWidget* GetWidget(int32_t index) { return records_[static_cast<size_t>(index)].widget.get(); }

 private:
  int32_t option_;
  int32_t capacity_;
  int32_t activeCount_ = 0;
  std::vector<Record> records_;
  bool moving_;
};

}  // namespace well
