#include <algorithm>
#include <array>
#include <cmath>

#include "engine/core/Log.h"
#include "engine/core/MemoryManager.h"
#include "engine/core/Random.h"
#include "engine/core/Script.h"
#include "engine/core/StringUtil.h"
#include "engine/core/WriteLua.h"
#include "engine/graphics/Graphics.h"
#include "engine/part2d/FileValues.h"
#include "engine/part2d/P2DForce.h"
#include "engine/part2d/Part2D.h"
#include "engine/part2d/PartDie.h"
#include "engine/ui/Sprite.h"

namespace part2d {

namespace {

// The vertex batch that every group draws through: the corners of 150 bands, emptied at
// the end of each group's draw. The indices of every band's two triangles are the same
// in every batch, made once.
constexpr uint32_t kBatchVertices = 600;
constexpr uint32_t kBatchBands = kBatchVertices / kBandVertices;
ScreenVertex g_batch[kBatchVertices];
uint32_t g_batchCount = 0;

const uint16_t* BatchIndices() {
  static const std::array<uint16_t, kBatchBands * kBandIndices> indices = [] {
    // Corners from-left, from-right, to-left, to-right, wound as the quad builders wind
    // theirs, so that no cull mode drops a half.
    constexpr uint16_t kCorners[kBandIndices] = {1, 3, 0, 3, 2, 0};
    std::array<uint16_t, kBatchBands * kBandIndices> list{};
    for (uint32_t band = 0; band < kBatchBands; ++band) {
      for (uint32_t i = 0; i < kBandIndices; ++i) {
        list[band * kBandIndices + i] = static_cast<uint16_t>(band * kBandVertices + kCorners[i]);
      }
    }
    return list;
  }();
  return indices.data();
}

// Beyond this many screens from the origin a particle is not drawn.
constexpr float kFarAway = 1.0e6f;

const math::Vec2 kFullUv1(0.01f, 0.01f);
const math::Vec2 kFullUv2(0.99f, 0.99f);

}  // namespace

PartGroup::PartGroup(Part2D* system) : owner(system) {
  std::fill(std::begin(colors), std::end(colors), 0xFFFFFFFFu);
  char text[32];
  std::snprintf(text, sizeof text, "GROUP_%i", owner->GroupC() + 1);
  name = text;
}

PartGroup::~PartGroup() {
  delete[] particles;
  for (P2DForce* force : forces) delete force;
  delete partDie;
}

void PartGroup::SetMaxC(int32_t n) {
  delete[] particles;
  particles = nullptr;
  MaxC = n;
  if (n > 0) {
    MEMORY_OWNER("PartGroup::SetMaxC");
    particles = new Particle[static_cast<size_t>(n)];
  }
  liveCount = 0;
  nextFree = 0;
}

void PartGroup::ClearParticles() {
  for (int32_t i = 0; i < MaxC; ++i) particles[i].alive = 0;
  liveCount = 0;
  nextFree = 0;
}

Particle* PartGroup::FindFreeSlot() {
  if (liveCount >= MaxC) return nullptr;
  for (int32_t i = nextFree; i < MaxC; ++i) {
    if (!particles[i].alive) {
      nextFree = i;
      return &particles[i];
    }
  }
  for (int32_t i = 0; i < nextFree; ++i) {
    if (!particles[i].alive) {
      nextFree = i;
      return &particles[i];
    }
  }
  return nullptr;
}

void PartGroup::SetVelocity(Particle& particle, const math::Vec2& velocity) const {
  particle.dir = velocity;
  const float length = velocity.Magnitude();
  particle.speed = length;
  if (MinSpeedMag > 0.0f) particle.speed = length > MinSpeedMag ? length : MinSpeedMag;
  if (particle.dir.Magnitude() <= 0.001f) particle.dir = math::Vec2(1.0f, 1.3333334f);
  particle.dir.Normalize();
}

Particle* PartGroup::SpawnParticle(const math::Vec2& pos) {
  Particle* particle = FindFreeSlot();
  if (!particle) return nullptr;
  num::Random& random = num::Random::Instance();
  particle->pos = pos + random.RangeVec(-FuzzyBirth, FuzzyBirth);
  particle->size = random.RangeVec(SizeFromMin, SizeFromMax);
  particle->sizeDelta = LockSize ? math::Vec2(0.0f, 0.0f)
                                 : random.RangeVec(SizeToMin, SizeToMax) - particle->size;
  particle->alive = 1;
  particle->dying = 0;
  particle->animTime = 0.0f;
  const float life = random.RangeF(Lifespan.x, Lifespan.y);
  particle->life.duration = life;
  particle->life.remaining = life;
  SetVelocity(*particle, RandomVelocity());
  if (LockRect) {
    particle->size.y = particle->size.x;
    particle->sizeDelta.y = particle->sizeDelta.x;
  }
  ++liveCount;
  return particle;
}

Particle* PartGroup::SpawnParticleAt(const math::Vec2& pos, const math::Vec2& velocity) {
  Particle* particle = SpawnParticle(pos);
  if (!particle) return nullptr;
  particle->dir = velocity;
  particle->speed = velocity.Magnitude();
  // Not (x > 0): a velocity that is not a number moves nowhere rather than everywhere.
  if (!(particle->speed > 0.0f) || !std::isfinite(particle->speed)) {
    particle->dir = math::Vec2(1.0f, 1.0f);
    particle->speed = 0.0f;
  }
  particle->dir.Normalize();
  return particle;
}

math::Vec2 PartGroup::RandomVelocity() const {
  return num::Random::Instance().RangeVec(MinSpeed, MaxSpeed);
}

bool PartGroup::TickEmitter(float dt) {
  if (GenRate <= 0.0f) return false;
  genTime += dt;
  if (genTime > GenRate) {
    genTime -= GenRate;
    return true;
  }
  return false;
}

bool PartGroup::EmitInRect(float dt, const math::Vec2& corner, const math::Vec2& size) {
  if (!Active || !HasImage() || !particles || GenRate <= 0.0f) return false;
  if (!TickEmitter(dt)) return false;
  SpawnParticle(num::Random::Instance().RangeVec(corner, corner + size));
  return true;
}

void PartGroup::Kill(Particle& particle) {
  particle.alive = 0;
  --liveCount;
  if (partDie) partDie->OnDie(particle);
  const int32_t groupCount = owner->GroupC();
  if (TriggerIndex >= 0 && TriggerIndex < groupCount) {
    PartGroup* target = owner->GetGroup(TriggerIndex);
    if (target && target != this) target->SpawnParticleAt(particle.pos, particle.dir);
  }
  if (dieCallback.function) dieCallback.function(&particle, dieCallback.user);
}

bool PartGroup::Update(float dt) {
  if (!Active || liveCount == 0 || !HasImage() || !particles) return false;
  for (P2DForce* force : forces) force->Apply(owner->origin, particles, MaxC, dt);
  const ui::Sprite* strip = sprite.strip;
  for (int32_t i = 0; i < MaxC; ++i) {
    Particle& particle = particles[i];
    if (!particle.alive) continue;
    particle.life.Update(dt);
    if (particle.life.remaining < 0.0f) particle.dying = 1;
    particle.pos += particle.dir * (particle.speed * dt);
    if (strip) {
      int32_t loops = 0;
      strip->Advance(loops, particle.animTime, dt, sprite.looping);
    }
    if (particle.dying) Kill(particle);
  }
  return true;
}

uint32_t BuildParticleBand(const math::Vec2& centre, const math::Vec2& direction, float halfLength,
                           float halfWidth, uint32_t color, const math::Vec2& uv1, const math::Vec2& uv2,
                           ScreenVertex* out) {
  float W, H;
  PlayAreaSize(W, H);
  // The direction of motion on the screen (play-area units are not square); a particle
  // without one has a band of no area.
  math::Vec2 unit(W * direction.x, H * direction.y);
  const float length = unit.Magnitude();
  unit = length > 0.0f ? unit / length : math::Vec2(0.0f, 0.0f);
  const math::Vec2 along = unit * (halfLength * H);
  // A negative length (a particle stretched while it runs backwards after a bounce) turns
  // the whole band round, so that its triangles keep their winding.
  const float acrossPixels = halfLength < 0.0f ? -halfWidth * W : halfWidth * W;
  const math::Vec2 across = math::Vec2(-unit.y, unit.x) * acrossPixels;
  const math::Vec2 middle(W * centre.x + static_cast<float>(screen::g_offsetX),
                          H * centre.y + static_cast<float>(screen::g_offsetY));
  auto corner = [&](const math::Vec2& p, float u, float v) {
    return ScreenVertex{p.x, p.y, 0.0f, 1.0f, color, u, v};
  };
  const math::Vec2 from = middle - along;
  const math::Vec2 to = middle + along;
  out[0] = corner(from + across, uv1.x, uv1.y);
  out[1] = corner(from - across, uv2.x, uv1.y);
  out[2] = corner(to + across, uv1.x, uv2.y);
  out[3] = corner(to - across, uv2.x, uv2.y);
  return kBandVertices;
}

void PartGroup::DrawBatch() const {
  if (g_batchCount == 0) return;
  if (Graphics* graphics = GetGraphics()) {
    sprite.BindTexture();
    graphics->DrawIndexedArray(g_batch, g_batchCount, BatchIndices(),
                               g_batchCount / kBandVertices * kBandIndices, PT_Triangles);
  }
  g_batchCount = 0;
}

bool PartGroup::Render(const math::Vec2& offset) {
  if (!Active || liveCount == 0 || !HasImage() || !particles) return false;
  Graphics* graphics = GetGraphics();
  if (!graphics) return false;
  if (RenderDebug) {
    for (P2DForce* force : forces) force->DebugRender(owner->origin - offset);
  }
  if (Additive) {
    graphics->SetRenderState(RS_AlphaRef, 1);
    graphics->SetRenderState(RS_AlphaTest, 1);
    graphics->SetRenderState(RS_SrcBlend, BF_SrcAlpha);
    graphics->SetRenderState(RS_DestBlend, BF_One);
  }
  const ui::Sprite* strip = sprite.strip;
  g_batchCount = 0;
  for (int32_t i = 0; i < MaxC; ++i) {
    const Particle& particle = particles[i];
    if (!particle.alive) continue;
    // Progress answers 1 for a particle of no life, so nothing divides by zero here.
    const float t = particle.LifeFraction();
    const math::Vec2 size = particle.size + particle.sizeDelta * t;
    const math::Vec2 centre = particle.pos - offset;
    const float halfLength = (size.y + StretchSpeed * particle.speed) * 0.5f;
    const math::Vec2 half = particle.dir * halfLength;
    const int32_t index = std::clamp(static_cast<int32_t>(t * 256.0f), 0, kColorEntries - 1);
    const uint32_t color = colors[index];
    // A particle thrown far off the screen by huge forces or speeds (or pushed to NaN) is
    // not drawn, so that no NaN or infinity reaches a vertex.
    if (!(std::fabs(centre.x) < kFarAway && std::fabs(centre.y) < kFarAway &&
          std::fabs(half.x) < kFarAway && std::fabs(half.y) < kFarAway &&
          std::fabs(size.x) < kFarAway)) {
      continue;
    }
    math::Vec2 uv1 = kFullUv1;
    math::Vec2 uv2 = kFullUv2;
    if (strip) strip->GetFrameUV(particle.animTime, uv1, uv2);
    g_batchCount += BuildParticleBand(centre, particle.dir, halfLength, size.x * 0.5f, color, uv1, uv2,
                                      g_batch + g_batchCount);
    if (g_batchCount == kBatchVertices) DrawBatch();
  }
  DrawBatch();
  if (Additive) {
    graphics->SetRenderState(RS_SrcBlend, BF_SrcAlpha);
    graphics->SetRenderState(RS_DestBlend, BF_InvSrcAlpha);
  }
  return true;
}

void PartGroup::SetImage(const std::string& imageName) {
  if (imageName.empty()) return;
  Image = imageName;
  sprite.Init(imageName, math::Vec2(0.0f, 0.0f), math::Vec2(1.0f, 1.0f), false);
}

void PartGroup::AddColor(float r, float g, float b, float a) {
  colorKeys.emplace_back(r, g, b, a);
  RecalcColors();
}

void PartGroup::ClearColors() {
  colorKeys.clear();
  RecalcColors();
}

void PartGroup::RecalcColors() {
  const int32_t keyCount = static_cast<int32_t>(colorKeys.size());
  if (keyCount == 0) {
    std::fill(std::begin(colors), std::end(colors), 0xFFFFFFFFu);
    return;
  }
  // A file may hold more keys than entries: each key then gets a span of none, and only
  // the rest after them (all of the table) is filled, with the last key.
  const int32_t step = kColorEntries / keyCount;
  int32_t entry = 0;
  for (int32_t k = 0; k < keyCount && step > 0; ++k) {
    const math::Vec4& c0 = colorKeys[static_cast<size_t>(k)];
    const math::Vec4& c1 = k + 1 < keyCount ? colorKeys[static_cast<size_t>(k + 1)] : c0;
    for (int32_t j = 0; j < step; ++j) {
      const math::Vec4 c = c0 + (c1 - c0) * (static_cast<float>(j) / static_cast<float>(step));
      colors[entry++] = PackColor(c.x, c.y, c.z, c.w);
    }
  }
  const math::Vec4& last = colorKeys.back();
  const uint32_t lastColor = PackColor(last.x, last.y, last.z, last.w);
  while (entry < kColorEntries) colors[entry++] = lastColor;
}

void PartGroup::SetCallback(int32_t slot, DieFunction function, void* user) {
  if (slot != 0) return;
  dieCallback.function = function;
  dieCallback.user = user;
}

void PartGroup::DeleteForce(P2DForce* force) {
  auto found = std::find(forces.begin(), forces.end(), force);
  if (found == forces.end()) return;
  delete *found;
  forces.erase(found);
}

bool PartGroup::HasRoomForForce() const {
  if (forces.size() < static_cast<size_t>(kMaxForces)) return true;
  LOG_LINE(MSG_WARNING) << "Particle group " << name << " has more than " << kMaxForces
                        << " forces; the rest are skipped";
  return false;
}

P2DForce* PartGroup::CreateForce(const std::string& type) {
  // Every force acts on every particle each frame: a file of thousands of them would
  // stall every tick.
  if (!HasRoomForForce()) return nullptr;
  const std::string kind = ToLowerCase(type);
  MEMORY_OWNER("PartGroup::CreateForce");
  P2DForce* force = nullptr;
  if (kind == "attractor") {
    force = new P2DForceAttractor;
  } else if (kind == "linear") {
    force = new P2DForceLinear;
  } else if (kind == "killplane") {
    force = new P2DForceKillPlane;
  } else if (kind == "sphereex") {
    force = new P2DForceSphereEx;
  } else if (kind == "path") {
    force = new P2DForcePath;
  } else if (kind == "steer") {
    force = new P2DForceSteer;
  } else {
    return nullptr;
  }
  forces.push_back(force);
  return force;
}

P2DForce* PartGroup::LoadForce(const LuaObject& table) {
  if (!table.IsTable()) return nullptr;
  P2DForce* force = CreateForce(script::GetString(table, "Type", "Linear"));
  if (!force) return nullptr;
  if (!force->Load(table)) {
    DeleteForce(force);
    return nullptr;
  }
  return force;
}

void PartGroup::SetSize(const math::Vec2& fromMin, const math::Vec2& fromMax,
                        const math::Vec2& toMin, const math::Vec2& toMax) {
  SizeFromMin = fromMin;
  SizeFromMax = fromMax;
  SizeToMin = toMin;
  SizeToMax = toMax;
}

void PartGroup::SetInitialSpeed(const math::Vec2& minSpeed, const math::Vec2& maxSpeed,
                                float minSpeedMag) {
  MinSpeed = minSpeed;
  MaxSpeed = maxSpeed;
  MinSpeedMag = minSpeedMag;
}

bool PartGroup::Load(const LuaObject& table) {
  int32_t maxCount = MaxC;
  if (table.IsTable()) {
    maxCount = ReadClampedInt(table, "MaxC", 100);
    Additive = script::GetBool(table, "Additive", false);
    LockRect = script::GetBool(table, "LockRect", false);
    LockSize = script::GetBool(table, "LockSize", false);
    RenderDebug = script::GetBool(table, "RenderDebug", false);
    FuzzyBirth = ReadVec2(table, "FuzzyBirth", math::Vec2(0.0f, 0.0f));
    SizeFromMin = ReadVec2(table, "SizeFromMin", math::Vec2(0.0f, 0.0f));
    SizeFromMax = ReadVec2(table, "SizeFromMax", math::Vec2(0.0f, 0.0f));
    SizeToMin = ReadVec2(table, "SizeToMin", math::Vec2(0.1f, 0.01f));
    SizeToMax = ReadVec2(table, "SizeToMax", math::Vec2(0.1f, 0.01f));
    Lifespan = ReadVec2(table, "Lifespan", math::Vec2(0.4f, 1.0f));
    MinSpeed = ReadVec2(table, "MinSpeed", math::Vec2(0.0f, 0.0f));
    MaxSpeed = ReadVec2(table, "MaxSpeed", math::Vec2(0.1f, 0.01f));
    MinSpeedMag = ReadFloat(table, "MinSpeedMag", -1.0f);
    StretchSpeed = ReadFloat(table, "StretchSpeed", 0.0f);
    GenRate = ReadFloat(table, "GenRate", 0.016666668f);
    IsSecondary = script::GetBool(table, "IsSecondary", false);
    TriggerIndex = ReadClampedInt(table, "TriggerIndex", -1);
    Image = script::GetString(table, "Image", "");
    SetImage(Image);

    const LuaObject forceList = script::GetField(table, "Forces");
    if (forceList.IsTable()) {
      for (int i = 1; i <= forceList.GetTableCount() && HasRoomForForce(); ++i) LoadForce(forceList.GetByIndex(i));
    }
    const LuaObject colorList = script::GetField(table, "Color");
    if (colorList.IsTable()) {
      const math::Vec4 white(1.0f, 1.0f, 1.0f, 1.0f);
      for (int i = 1; i <= colorList.GetTableCount(); ++i) {
        colorKeys.push_back(script::ToVec4(colorList.GetByIndex(i), white));
      }
    }
    const LuaObject rule = script::GetField(table, "PartDie");
    if (rule.IsTable()) {
      delete partDie;
      partDie = PartDie::GetPartDie(rule, owner);
    }
  }
  // The pool size is bounded before it sizes an allocation.
  if (maxCount < 0) maxCount = 0;
  if (maxCount > kMaxParticles) {
    LOG_LINE(MSG_WARNING) << "Particle group " << name << " asks for " << maxCount
                          << " particles; it gets " << kMaxParticles;
    maxCount = kMaxParticles;
  }
  RecalcColors();
  SetMaxC(maxCount);
  return true;
}

void PartGroup::Save(WriteLua& writer) const {
  writer.BeginTable("");
  writer.WriteString("Image", Image);
  writer.WriteInt("MaxC", MaxC);
  writer.WriteInt("Additive", Additive ? 1 : 0);
  writer.WriteInt("LockRect", LockRect ? 1 : 0);
  writer.WriteInt("LockSize", LockSize ? 1 : 0);
  writer.WriteVector2("FuzzyBirth", FuzzyBirth);
  writer.WriteVector2("SizeFromMin", SizeFromMin);
  writer.WriteVector2("SizeFromMax", SizeFromMax);
  writer.WriteVector2("SizeToMin", SizeToMin);
  writer.WriteVector2("SizeToMax", SizeToMax);
  writer.WriteVector2("Lifespan", Lifespan);
  writer.WriteVector2("MinSpeed", MinSpeed);
  writer.WriteVector2("MaxSpeed", MaxSpeed);
  writer.WriteFloat("StretchSpeed", StretchSpeed);
  writer.WriteFloat("MinSpeedMag", MinSpeedMag);
  writer.WriteFloat("GenRate", GenRate);
  writer.WriteInt("IsSecondary", IsSecondary ? 1 : 0);
  writer.WriteInt("TriggerIndex", TriggerIndex);
  if (!colorKeys.empty()) {
    writer.BeginTable("Color");
    for (const math::Vec4& key : colorKeys) {
      writer.PrintLine("{ %s, %s, %s, %s }, ", WriteLua::Number(key.x).c_str(),
                       WriteLua::Number(key.y).c_str(), WriteLua::Number(key.z).c_str(),
                       WriteLua::Number(key.w).c_str());
    }
    writer.EndTable(true);
  }
  if (partDie) {
    writer.BeginTable("PartDie");
    writer.WriteString("Type", partDie->GetType());
    writer.WriteInt("Group", partDie->Group);
    writer.WriteFloat("Probability", static_cast<float>(partDie->Probability) * 0.01f);
    writer.EndTable(true);
  }
  // Forces and the debug switch follow the keys above, so that a system saved from the
  // editor keeps them; files without them load as before.
  writer.WriteInt("RenderDebug", RenderDebug ? 1 : 0);
  if (!forces.empty()) {
    writer.BeginTable("Forces");
    for (const P2DForce* force : forces) {
      writer.BeginTable("");
      force->Save(writer);
      writer.EndTable(true);
    }
    writer.EndTable(true);
  }
  writer.EndTable(true);
}

}  // namespace part2d
