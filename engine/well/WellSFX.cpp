#include "engine/well/WellSFX.h"

#include <algorithm>

#include "engine/core/MemoryManager.h"
#include "engine/graphics/Graphics.h"
#include "engine/ui/UIWidget.h"

namespace well {

// --- Manager ---

WellSFX::~WellSFX() = default;

WellSFXSet* WellSFX::AddSet(WellSFXSet* set) {
  sets_.emplace_back(set);
  return set;
}

void WellSFX::Tick(float dt) {
  for (const auto& set : sets_) set->Tick(dt);
}

void WellSFX::Render() {
  for (const auto& set : sets_) set->Render();
}

// --- Rings ---

void ExplosionSFXSet::Load(const std::string& image, int32_t count, const math::Vec4& start,
                           const math::Vec4& end) {
  sprite.Init(image, math::Vec2(0.0f, 0.0f), math::Vec2(1.0f, 1.0f), false);
  const int32_t size = std::max(count, 0);
  MEMORY_OWNER("ExplosionSFXSet::Load");
  rings.assign(static_cast<size_t>(size), Ring());
  for (Ring& ring : rings) {
    ring.timer.duration = 1.0f;
    ring.timer.remaining = -1.0f;
  }
  startColor = start;
  endColor = end;
  capacity = size;
  activeCount = 0;
}

void ExplosionSFXSet::Tick(float dt) {
  if (rings.empty() || activeCount < 1 || capacity < 1) return;
  for (Ring& ring : rings) {
    if (ring.timer.remaining < 0.0f) continue;
    ring.timer.Update(dt);
    if (ring.timer.remaining < 0.0f) --activeCount;
  }
}

void ExplosionSFXSet::Render() {
  if (rings.empty() || activeCount < 1) return;
  Graphics* graphics = GetGraphics();
  if (!graphics) return;
  graphics->SetRenderState(RS_SrcBlend, BF_SrcAlpha);
  graphics->SetRenderState(RS_DestBlend, BF_One);
  graphics->SetRenderState(RS_AlphaTest, 0);

  ScreenVertex buffer[kVertexBuffer];
  uint32_t used = 0;
  auto flush = [&]() {
    if (used == 0) return;
    graphics->SetTexture(0, sprite.image);
    graphics->DrawArray(buffer, used, PT_Triangles);
    used = 0;
  };
  const math::Vec2 view = manager_->GetViewOffset();
  for (const Ring& ring : rings) {
    if (ring.timer.remaining < 0.0f) continue;
    const float t = ring.timer.Progress();
    const float radius = (ring.endRadius - ring.startRadius) * t + ring.startRadius;
    const uint32_t a = static_cast<uint32_t>(std::clamp(static_cast<int>((1.0f - t) * 255.0f), 10, 255));
    const uint32_t inner = a << 24 | a << 16 | a << 8 | a;
    used += BuildRing(ring.center - view, radius, inner, 0x00FFFFFF, buffer + used);
    if (kVertexBuffer - used < 48) flush();
  }
  flush();

  graphics->SetRenderState(RS_SrcBlend, BF_SrcAlpha);
  graphics->SetRenderState(RS_DestBlend, BF_InvSrcAlpha);
  graphics->SetRenderState(RS_AlphaTest, 1);
}

// --- Sprite pool ---

SimpleSFX::SimpleSFX(void* context, WellSFX* manager, const std::string& image,
                     int32_t capacity, bool moving, bool additive)
    : WellSFXSet(context, manager), capacity_(std::max(capacity, 0)), moving_(moving),
      additive_(additive) {
  MEMORY_OWNER("SimpleSFX::SimpleSFX");
  slots_.resize(static_cast<size_t>(capacity_));
  for (Slot& slot : slots_) {
    slot.sprite.Init(image, math::Vec2(0.0f, 0.0f), math::Vec2(1.0f, 1.0f), additive);
    slot.sprite.additive = additive;
  }
}

math::Vec2 SimpleSFX::GetFrameSize() const {
  return slots_.empty() ? math::Vec2(0.0f, 0.0f) : slots_.front().sprite.GetImageSize();
}

void SimpleSFX::Spawn(const math::Vec2& pos, const math::Vec2& size, uint32_t color) {
  if (activeCount_ == capacity_ || capacity_ < 1) return;
  for (Slot& slot : slots_) {
    if (slot.active) continue;
    slot.active = true;
    slot.position = pos;
    slot.size = size;
    slot.color = color;
    slot.sprite.SetTransform(pos, size, 0.0f, 1.0f, color);
    ++activeCount_;
    return;
  }
}

void SimpleSFX::Tick(float dt) {
  for (Slot& slot : slots_) {
    if (!slot.active) continue;
    if (!slot.sprite.Animate(dt)) {
      slot.active = false;
      --activeCount_;
    }
    if (moving_) slot.position += math::Vec2(0.0f, 0.5f) * dt;
  }
}

void SimpleSFX::Render() {
  const math::Vec2 view = manager_->GetViewOffset();
  for (Slot& slot : slots_) {
    if (!slot.active) continue;
    slot.sprite.SetTransform(slot.position - view, slot.size, 0.0f, 1.0f, slot.color);
    slot.sprite.additive = additive_;
    slot.sprite.Render();
  }
}

// --- Floating texts ---

TextSFX::TextSFX(void* context, WellSFX* manager, const std::string& image,
                 const std::string& font, float duration, int32_t capacity, bool moving,
                 int32_t option)
    : WellSFXSet(context, manager), option_(option), capacity_(std::max(capacity, 0)),
      moving_(moving) {
  records_.resize(static_cast<size_t>(capacity_));
  for (Record& record : records_) {
    MEMORY_OWNER("TextSFX::TextSFX");
    record.widget = std::make_unique<ui::UIWidget>(nullptr, "TestFX");
    record.widget->SetImage(0, image);
    record.widget->SetFont(font);
    record.timer.duration = duration;
    record.timer.remaining = duration;
  }
}

TextSFX::~TextSFX() = default;

void TextSFX::ShowText(const std::string& text, const math::Vec2& position) {
  for (Record& record : records_) {
    if (record.active || !record.widget) continue;
    record.widget->SetText(text);
    record.widget->SetPosition(position);
    record.widget->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
    record.widget->SetTextColor(1.0f, 1.0f, 1.0f, 1.0f);
    record.timer.remaining = record.timer.duration;
    record.active = true;
    ++activeCount_;
    return;
  }
}

void TextSFX::Tick(float dt) {
  for (Record& record : records_) {
    if (!record.active || !record.widget) continue;
    ui::UIWidget& widget = *record.widget;
    widget.Tick(dt);
    if (moving_) widget.SetPosition(widget.GetPosition() + math::Vec2(0.0f, -kRiseSpeed) * dt);
    record.timer.Tick(dt);
    const float fade = 1.0f - record.timer.Progress();
    widget.SetColor(1.0f, 1.0f, 1.0f, fade);
    widget.SetTextColor(1.0f, 1.0f, 1.0f, fade);
    if (record.timer.remaining < 0.0f) {
      record.active = false;
      --activeCount_;
    }
  }
}

void TextSFX::Render() {
  for (Record& record : records_) {
    if (record.active && record.widget) record.widget->Render(false);
  }
}

}  // namespace well
