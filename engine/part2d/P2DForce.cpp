#include "engine/part2d/P2DForce.h"

#include <cmath>

#include "engine/core/MemoryManager.h"
#include "engine/core/Script.h"
#include "engine/core/StringUtil.h"
#include "engine/core/WriteLua.h"
#include "engine/graphics/DrawQueue.h"
#include "engine/part2d/FileValues.h"
#include "engine/part2d/Part2D.h"

namespace part2d {

namespace {

// A velocity after a force's step: its length becomes the speed and its direction the
// direction. A velocity of no length, or one that is not a number (an overflow), keeps
// the old direction with speed 0, so that no NaN reaches a position or a vertex.
void SetMotion(Particle& particle, const math::Vec2& velocity) {
  const float speed = velocity.Magnitude();
  if (!(speed > 0.0f) || !std::isfinite(speed)) {
    particle.speed = 0.0f;
    return;
  }
  particle.speed = speed;
  particle.dir = velocity / speed;
}

math::Vec2 Normalized(math::Vec2 v) { return v.Normalize(); }

template <typename Force>
P2DForce* CloneOf(const Force& force) {
  MEMORY_OWNER("P2DForce::Clone");
  return new Force(force);
}

}  // namespace

// --- Steer ---

bool P2DForceSteer::Load(const LuaObject& table) {
  SteeringForce = ReadFloat(table, "SteeringForce", 1.0f);
  MaxSpeed = ReadFloat(table, "MaxSpeed", 1.0f);
  Destination = ReadVec2(table, "Destination", math::Vec2(0.0f, 0.0f));
  return true;
}

bool P2DForceSteer::DebugRender(const math::Vec2&) { return true; }

bool P2DForceSteer::Apply(const math::Vec2&, Particle* particles, int32_t count, float dt) {
  for (int32_t i = 0; i < count; ++i) {
    Particle& p = particles[i];
    if (!p.alive) continue;
    const math::Vec2 desired = Normalized(p.pos - Destination) * MaxSpeed;
    const math::Vec2 velocity = p.dir * p.speed;
    const math::Vec2 steered = velocity - (desired - velocity) * dt * SteeringForce;
    p.dir = Normalized(steered);
    p.speed = MaxSpeed;
  }
  return true;
}

P2DForce* P2DForceSteer::Clone() const { return CloneOf(*this); }

void P2DForceSteer::Save(WriteLua& writer) const {
  writer.WriteString("Type", GetType());
  writer.WriteFloat("SteeringForce", SteeringForce);
  writer.WriteFloat("MaxSpeed", MaxSpeed);
  writer.WriteVector2("Destination", Destination);
}

// --- Path ---

bool P2DForcePath::Load(const LuaObject& table) {
  Speed = ReadFloat(table, "Speed", 1.0f);
  Amplitude = ReadFloat(table, "Amplitude", 1.0f);
  ClosePath = script::GetBool(table, "ClosePath", false);
  MinSpeed = ReadFloat(table, "MinSpeed", 0.0f);
  return true;
}

bool P2DForcePath::DebugRender(const math::Vec2&) { return true; }

bool P2DForcePath::Apply(const math::Vec2&, Particle* particles, int32_t count, float) {
  for (int32_t i = 0; i < count; ++i) {
    Particle& p = particles[i];
    if (!p.alive) continue;
    // A particle of no life is at the end of it (Progress), never at a division by zero.
    const float t = p.LifeFraction();
    float sway = std::sin(t * Speed);
    if (ClosePath) sway *= std::sin(t * 3.14f);
    sway *= Amplitude;
    if (MinSpeed > p.speed) p.speed = MinSpeed;
    p.dir.Normalize();
    const math::Vec2 across(p.dir.y, -p.dir.x);
    p.dir = Normalized(p.dir * p.speed + across * (p.speed * sway));
  }
  return true;
}

P2DForce* P2DForcePath::Clone() const { return CloneOf(*this); }

void P2DForcePath::Save(WriteLua& writer) const {
  writer.WriteString("Type", GetType());
  writer.WriteFloat("Speed", Speed);
  writer.WriteFloat("Amplitude", Amplitude);
  writer.WriteInt("ClosePath", ClosePath ? 1 : 0);
  writer.WriteFloat("MinSpeed", MinSpeed);
}

// --- SphereEx ---

int32_t P2DForceSphereEx::ParseAction(const std::string& text) {
  const std::string action = ToLowerCase(text);
  if (action == "bounce") return kActionBounce;
  if (action == "kill") return kActionKill;
  return kActionMove;
}

bool P2DForceSphereEx::Load(const LuaObject& table) {
  Offset = ReadVec2(table, "Offset", math::Vec2(0.0f, 0.0f));
  Magnitude = ReadFloat(table, "Magnitude", 0.1f);
  radiusSq = Magnitude * Magnitude;
  BounceForce = ReadFloat(table, "BounceForce", 0.9f);
  Action = ParseAction(script::GetString(table, "Action", "Move"));
  return true;
}

bool P2DForceSphereEx::DebugRender(const math::Vec2& point) {
  dd::Manager::Instance().AddCircle(point + Offset, Magnitude, 0x50FF0000);
  return true;
}

bool P2DForceSphereEx::Apply(const math::Vec2& origin, Particle* particles, int32_t count,
                             float) {
  const math::Vec2 centre = origin + Offset;
  for (int32_t i = 0; i < count; ++i) {
    Particle& p = particles[i];
    if (!p.alive) continue;
    if (!(radiusSq > (centre - p.pos).MagSqr())) continue;
    switch (Action) {
      case kActionMove: {
        const math::Vec2 inward = Normalized(centre - p.pos);
        p.pos = centre - inward * Magnitude;
        break;
      }
      case kActionBounce: {
        const math::Vec2 inward = Normalized(centre - p.pos);
        p.pos = centre - inward * Magnitude;
        const math::Vec2 reflected = -p.dir + inward * (2.0f * (p.dir * inward));
        p.dir = Normalized(reflected);
        // The stored direction is the reverse of the reflection and the speed negative:
        // the particle leaves along the reflection of its old velocity.
        p.speed = -(BounceForce * reflected.Magnitude() * p.speed);
        break;
      }
      case kActionKill:
        p.dying = 1;
        break;
      default:
        break;
    }
  }
  return true;
}

P2DForce* P2DForceSphereEx::Clone() const { return CloneOf(*this); }

void P2DForceSphereEx::Save(WriteLua& writer) const {
  static const char* const kActions[] = {"Move", "Bounce", "Kill"};
  writer.WriteString("Type", GetType());
  writer.WriteVector2("Offset", Offset);
  writer.WriteFloat("Magnitude", Magnitude);
  writer.WriteFloat("BounceForce", BounceForce);
  writer.WriteString("Action", Action >= 0 && Action <= 2 ? kActions[Action] : "Move");
}

// --- KillPlane ---

bool P2DForceKillPlane::Load(const LuaObject& table) {
  Height = ReadFloat(table, "Height", 0.0f);
  return true;
}

bool P2DForceKillPlane::DebugRender(const math::Vec2& point) {
  dd::Manager::Instance().AddLine(math::Vec2(-1.0f, Height), point + math::Vec2(1.0f, Height),
                                  0xFFFFFFFF, false);
  return true;
}

bool P2DForceKillPlane::Apply(const math::Vec2&, Particle* particles, int32_t count, float) {
  for (int32_t i = 0; i < count; ++i) {
    Particle& p = particles[i];
    if (p.alive && p.pos.y > Height) p.dying = 1;
  }
  return true;
}

P2DForce* P2DForceKillPlane::Clone() const { return CloneOf(*this); }

void P2DForceKillPlane::Save(WriteLua& writer) const {
  writer.WriteString("Type", GetType());
  writer.WriteFloat("Height", Height);
}

// --- Linear ---

bool P2DForceLinear::Load(const LuaObject& table) {
  Force = ReadVec2(table, "Force", math::Vec2(0.0f, -0.98f));
  return true;
}

bool P2DForceLinear::DebugRender(const math::Vec2& point) {
  dd::Manager::Instance().AddLine(point, point + Force * 0.1f, 0xFFFF0000, true);
  return true;
}

bool P2DForceLinear::Apply(const math::Vec2&, Particle* particles, int32_t count, float dt) {
  const math::Vec2 step = Force * dt;
  for (int32_t i = 0; i < count; ++i) {
    Particle& p = particles[i];
    if (!p.alive) continue;
    SetMotion(p, p.dir * p.speed + step);
  }
  return true;
}

P2DForce* P2DForceLinear::Clone() const { return CloneOf(*this); }

void P2DForceLinear::Save(WriteLua& writer) const {
  writer.WriteString("Type", GetType());
  writer.WriteVector2("Force", Force);
}

// --- Attractor ---

int32_t P2DForceAttractor::ParseType(const std::string& text, int32_t current) {
  const std::string kind = ToLowerCase(text);
  if (kind == "constant") return kAttractConstant;
  if (kind == "linear") return kAttractLinear;
  if (kind == "invlinear") return kAttractInvLinear;
  if (kind == "invsqr") return kAttractInvSqr;
  return current;
}

bool P2DForceAttractor::Load(const LuaObject& table) {
  Offset = ReadVec2(table, "Offset", math::Vec2(0.0f, 0.0f));
  Type = ParseType(script::GetString(table, "AttractorType", "Constant"), Type);
  Magnitude = ReadFloat(table, "Magnitude", 1.0f);
  return true;
}

bool P2DForceAttractor::DebugRender(const math::Vec2& point) {
  dd::Manager::Instance().AddCircle(point + Offset, Magnitude * 0.1f, 0xFFFFFFFF);
  return true;
}

bool P2DForceAttractor::Apply(const math::Vec2& origin, Particle* particles, int32_t count,
                              float dt) {
  const float k = Magnitude * dt;
  const math::Vec2 centre = origin + Offset;
  for (int32_t i = 0; i < count; ++i) {
    Particle& p = particles[i];
    if (!p.alive) continue;
    const math::Vec2 d = centre - p.pos;
    const float distance = d.Magnitude();
    math::Vec2 pull;
    switch (Type) {
      case kAttractConstant:
        pull = Normalized(d) * k;
        break;
      case kAttractLinear:
        pull = d * k;
        break;
      case kAttractInvLinear:
      case kAttractInvSqr: {
        // A particle at the centre has no direction to be pulled in: it is left alone.
        if (!(distance > 0.0f)) continue;
        const float inverse = 1.0f / distance;
        pull = Type == kAttractInvLinear ? d * (inverse * inverse * k)
                                         : d * (inverse * inverse * inverse * k);
        break;
      }
      default:
        continue;
    }
    SetMotion(p, p.dir * p.speed + pull);
  }
  return true;
}

P2DForce* P2DForceAttractor::Clone() const { return CloneOf(*this); }

void P2DForceAttractor::Save(WriteLua& writer) const {
  static const char* const kTypes[] = {"Constant", "Linear", "InvLinear", "InvSqr"};
  writer.WriteString("Type", GetType());
  writer.WriteVector2("Offset", Offset);
  writer.WriteString("AttractorType", Type >= 0 && Type <= 3 ? kTypes[Type] : "Constant");
  writer.WriteFloat("Magnitude", Magnitude);
}

}  // namespace part2d
