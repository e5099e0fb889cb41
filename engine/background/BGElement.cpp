#include "engine/background/BGElement.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/background/BGScene.h"
#include "engine/background/BipedAnim.h"
#include "engine/core/Random.h"
#include "engine/core/Script.h"
#include "engine/core/StringUtil.h"
#include "engine/core/WriteLua.h"
#include "engine/graphics/DrawQueue.h"
#include "engine/part2d/Part2D.h"
#include "platform/luaplus/LuaObject.h"

namespace background {

namespace {

constexpr float kRotDecalSpeed = 300.0f;
constexpr float kBobReach = 0.1f;
constexpr float kUVScrollSpeed = 2.0f;
constexpr float kMaxPhase = 10.0f;

}  // namespace

BGElement::BGElement(BGScene* owner) : scene(owner) {}

BGElement::~BGElement() = default;

math::Vec2 BGElement::Center(const math::Vec2& view) const {
  return Pos + Size * 0.5f - view * Paralax;
}

void BGElement::RenderDebug(const math::Vec2& view) {
  const math::Vec2 centre = Center(view);
  dd::Manager::Instance().AddRect(centre - halfExtent, centre + halfExtent, BGScene::kMarkerColor);
}

void BGElement::Load(const LuaObject& table) {
  Pos = script::GetVec2(table, "Pos", math::Vec2(0.0f, 0.0f));
  Size = script::GetVec2(table, "Size", math::Vec2(0.0f, 0.0f));
  Dir = script::GetVec2(table, "Dir", math::Vec2(0.0f, 0.0f));
  Sort = script::GetFloat(table, "Sort", 0.0f);
  Paralax = script::GetFloat(table, "Paralax", 1.0f);
  Rotation = script::GetFloat(table, "Rotation", 0.0f);
  start = Pos;
}

void BGElement::Save(WriteLua& out) const {
  out.WriteString("Type", GetTypeName());
  out.WriteVector2("Pos", Pos);
  out.WriteVector2("Size", Size);
  out.WriteVector2("Dir", Dir);
  out.WriteFloat("Sort", Sort);
  out.WriteFloat("Rotation", Rotation);
  out.WriteFloat("Paralax", Paralax);
}

void BGElement::RecalcBounds() {
  const float half = std::max(Size.x, Size.y) * 0.5f;
  halfExtent = math::Vec2(half, half);
}

BGElement* BGElement::Create(BGScene* scene, const std::string& type) {
  const std::string kind = ToLowerCase(type);
  if (kind == "partsys") return new BGPartSys(scene);
  if (kind == "decal") return new BGDecal(scene);
  if (kind == "uvdecal") return new BGUVDecal(scene);
  if (kind == "bobdecal") return new BGBobDecal(scene);
  if (kind == "rotdecal") return new BGRotDecal(scene);
  if (kind == "pandecal") return new BGPanDecal(scene);
  // The writer saves bipeds, so the reader makes them too: a scene saved with characters
  // keeps them when it is read again.
  if (kind == "biped") return new BGBiped(scene);
  return nullptr;
}

BGElement* BGElement::LoadElement(BGScene* scene, const LuaObject& table) {
  if (!table.IsTable()) return nullptr;
  BGElement* element = Create(scene, script::GetString(table, "Type", ""));
  if (element) element->Load(table);
  return element;
}

// --- Decals ---

BGDecal::BGDecal(BGScene* owner)
    : BGElement(owner), phase(num::Random::Instance().RangeF(0.0f, kMaxPhase)) {}

void BGDecal::Load(const LuaObject& table) {
  BGElement::Load(table);
  SpriteImg = script::GetString(table, "SpriteImg", "");
  Additive = script::GetBool(table, "Additive", false);
  Alpha = script::GetFloat(table, "Alpha", 1.0f);
  SetSource(SpriteImg);
}

void BGDecal::Save(WriteLua& out) const {
  BGElement::Save(out);
  out.WriteString("SpriteImg", SpriteImg);
  out.WriteInt("Additive", Additive ? 1 : 0);
  out.WriteFloat("Alpha", Alpha);
}

bool BGDecal::Matches(const std::string& text) const {
  return SpriteImg.find(text) != std::string::npos;
}

void BGDecal::SetSource(const std::string& name) {
  SpriteImg = name;
  sprite.Init(name, math::Vec2(0.0f, 0.0f), math::Vec2(1.0f, 1.0f), false);
  Size = sprite.GetImageSize();
  RecalcBounds();
}

uint32_t BGDecal::AlphaByte() const {
  // A file's Alpha may be anything: NaN and values beyond an int are clamped before the
  // conversion, then the low byte is kept as the colour's alpha.
  const double scaled = static_cast<double>(Alpha) * 255.0;
  int32_t value = 0;
  if (scaled >= static_cast<double>(std::numeric_limits<int32_t>::max())) {
    value = std::numeric_limits<int32_t>::max();
  } else if (scaled <= static_cast<double>(std::numeric_limits<int32_t>::min())) {
    value = std::numeric_limits<int32_t>::min();
  } else if (!std::isnan(scaled)) {
    value = static_cast<int32_t>(scaled);
  }
  return static_cast<uint32_t>(value) & 0xFFu;
}

math::Vec2 BGDecal::DrawPosition(const math::Vec2& view) const { return Pos - view * Paralax; }

void BGDecal::DrawSprite(const math::Vec2& view) {
  // The sprite turns about the centre of its box, Pos + Size / 2.
  sprite.position = DrawPosition(view);
  sprite.size = Size;
  sprite.rotation = Rotation;
  sprite.color = 0x00FFFFFFu | (AlphaByte() << 24);
  sprite.RenderRotated();
}

void BGDecal::Render(const math::Vec2& view) { DrawSprite(view); }

void BGDecal::Update(float dt) {
  sprite.Animate(dt);
  sprite.additive = Additive;
}

void BGPanDecal::Update(float dt) {
  Pos += Dir * dt;
  if (!scene->IsVisible(*this)) {
    const math::Vec2& v = scene->view;
    if (std::fabs(Dir.y) < std::fabs(Dir.x)) {
      Pos = Dir.x <= 0.0f ? math::Vec2(v.x + 1.0f, start.y) : math::Vec2(v.x - Size.x, start.y);
    } else {
      Pos = Dir.y <= 0.0f ? math::Vec2(start.x, v.y + 1.0f) : math::Vec2(start.x, v.y - Size.y);
    }
  }
  BGDecal::Update(dt);
}

void BGRotDecal::Update(float dt) {
  Rotation += (Dir.x + Dir.y) * dt * kRotDecalSpeed;
  BGDecal::Update(dt);
}

void BGBobDecal::Update(float dt) {
  phase += dt;
  BGDecal::Update(dt);
}

math::Vec2 BGBobDecal::DrawPosition(const math::Vec2& view) const {
  return Pos + Dir * (std::sin(phase) * kBobReach) - view * Paralax;
}

void BGUVDecal::Update(float dt) {
  phase += dt;
  BGDecal::Update(dt);
}

void BGUVDecal::Render(const math::Vec2& view) {
  const math::Vec2 uv1 = sprite.uv1;
  const math::Vec2 uv2 = sprite.uv2;
  const math::Vec2 scroll = Dir * (kUVScrollSpeed * phase);
  sprite.uv1 += scroll;
  sprite.uv2 += scroll;
  DrawSprite(view);
  sprite.uv1 = uv1;
  sprite.uv2 = uv2;
}

// --- Particle systems ---

BGPartSys::BGPartSys(BGScene* owner) : BGElement(owner) { Size = math::Vec2(0.1f, 0.1f); }

BGPartSys::~BGPartSys() = default;

void BGPartSys::Load(const LuaObject& table) {
  BGElement::Load(table);
  SetSource(script::GetString(table, "PartSys", ""));
}

void BGPartSys::Save(WriteLua& out) const {
  BGElement::Save(out);
  out.WriteString("PartSys", PartSys);
}

void BGPartSys::SetPartSys(const std::string& name) {
  PartSys = name;
  system = std::make_unique<part2d::Part2D>();
  system->Load(name);
}

void BGPartSys::Render(const math::Vec2& view) {
  if (system) system->Render(view * Paralax, math::Vec2(0.0f, 0.0f), math::Vec2(1.0f, 1.0f));
}

void BGPartSys::Update(float dt) {
  if (!system) return;
  system->Tick(dt);
  system->origin = Pos;
  system->EmitInRect(dt, Pos, Size);
  halfExtent = Size;
}

// --- Bipeds ---

BGBiped::BGBiped(BGScene* owner) : BGElement(owner) { Size = math::Vec2(0.1f, 0.1f); }

BGBiped::~BGBiped() = default;

void BGBiped::Load(const LuaObject& table) {
  BGElement::Load(table);
  SetSource(script::GetString(table, "Biped", ""));
}

void BGBiped::Save(WriteLua& out) const {
  BGElement::Save(out);
  out.WriteString("Biped", animation);
}

void BGBiped::RecalcBounds() { halfExtent = Size * 0.5f; }

void BGBiped::SetAnimation(const std::string& name) {
  animation = name;
  biped = std::make_unique<bones::Biped>();
  biped->SetAnimation(name);
  biped->InitParts();
  math::Vec2 min(0.0f, 0.0f);
  math::Vec2 max = Size;
  biped->GetBounds(min, max);
  Size = max - min;
  RecalcBounds();
}

void BGBiped::Render(const math::Vec2& view) {
  if (biped) biped->Render(view * Paralax);
}

void BGBiped::Update(float dt) {
  if (!biped) return;
  biped->Tick(dt);
  biped->position = Pos + math::Vec2(Size.x * 0.5f, Size.y);
}

}  // namespace background
