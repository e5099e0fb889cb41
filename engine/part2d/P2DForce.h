#pragma once

#include <cstdint>
#include <string>

#include "engine/core/Math.h"

class LuaObject;
class WriteLua;

namespace part2d {

struct Particle;

// A force of a particle group: it changes the group's live particles once a frame, before
// they move. Forces come from the "Forces" tables of a .p2d group, each with a "Type".
class P2DForce {
 public:
  virtual ~P2DForce() = default;
  // Reads the force's keys (each with its default). Returns true.
  virtual bool Load(const LuaObject& table) = 0;
  // Queues the force's debug shapes; point is the system's origin less the draw offset.
  virtual bool DebugRender(const math::Vec2& point) = 0;
  // Changes the live records among the count of the pool; origin is the system's origin.
  virtual bool Apply(const math::Vec2& origin, Particle* particles, int32_t count, float dt) = 0;
  virtual P2DForce* Clone() const = 0;
  // The type name that CreateForce knows it by.
  virtual const char* GetType() const = 0;
  // Writes "Type" and the force's keys into the open table of the writer.
  virtual void Save(WriteLua& writer) const = 0;
};

// Turns each particle toward Destination (absolute) and moves it at MaxSpeed.
class P2DForceSteer : public P2DForce {
 public:
  bool Load(const LuaObject& table) override;
  bool DebugRender(const math::Vec2& point) override;
  bool Apply(const math::Vec2& origin, Particle* particles, int32_t count, float dt) override;
  P2DForce* Clone() const override;
  const char* GetType() const override { return "steer"; }
  void Save(WriteLua& writer) const override;

  float SteeringForce = 1.0f;
  float MaxSpeed = 1.0f;
  math::Vec2 Destination{0.0f, 0.0f};
};

// Sways each particle across its course as it ages.
class P2DForcePath : public P2DForce {
 public:
  bool Load(const LuaObject& table) override;
  bool DebugRender(const math::Vec2& point) override;
  bool Apply(const math::Vec2& origin, Particle* particles, int32_t count, float dt) override;
  P2DForce* Clone() const override;
  const char* GetType() const override { return "path"; }
  void Save(WriteLua& writer) const override;

  float Speed = 1.0f;
  float Amplitude = 1.0f;
  bool ClosePath = false;
  float MinSpeed = 0.0f;
};

// What a sphere does with a particle inside it.
enum DieAction : int32_t { kActionMove = 0, kActionBounce = 1, kActionKill = 2 };

// A sphere of radius Magnitude about origin + Offset that pushes particles out to its
// surface, bounces them off it or kills them.
class P2DForceSphereEx : public P2DForce {
 public:
  bool Load(const LuaObject& table) override;
  bool DebugRender(const math::Vec2& point) override;
  bool Apply(const math::Vec2& origin, Particle* particles, int32_t count, float dt) override;
  P2DForce* Clone() const override;
  const char* GetType() const override { return "sphereex"; }
  void Save(WriteLua& writer) const override;

  // "move", "bounce", "kill" in any case; anything else is move.
  static int32_t ParseAction(const std::string& text);

  math::Vec2 Offset{0.0f, 0.0f};
  float Magnitude = 0.1f;  // radius
  float radiusSq = 0.01f;
  float BounceForce = 0.9f;
  int32_t Action = kActionMove;
};

// Kills every particle below the line y = Height.
class P2DForceKillPlane : public P2DForce {
 public:
  bool Load(const LuaObject& table) override;
  bool DebugRender(const math::Vec2& point) override;
  bool Apply(const math::Vec2& origin, Particle* particles, int32_t count, float dt) override;
  P2DForce* Clone() const override;
  const char* GetType() const override { return "killplane"; }
  void Save(WriteLua& writer) const override;

  float Height = 0.0f;
};

// A constant acceleration (gravity, wind).
class P2DForceLinear : public P2DForce {
 public:
  bool Load(const LuaObject& table) override;
  bool DebugRender(const math::Vec2& point) override;
  bool Apply(const math::Vec2& origin, Particle* particles, int32_t count, float dt) override;
  P2DForce* Clone() const override;
  const char* GetType() const override { return "linear"; }
  void Save(WriteLua& writer) const override;

  math::Vec2 Force{0.0f, -0.98f};
};

enum AttractorType : int32_t {
  kAttractConstant = 0,
  kAttractLinear = 1,
  kAttractInvLinear = 2,
  kAttractInvSqr = 3,
};

// A pull toward origin + Offset whose strength is constant, grows with the distance, or
// falls with the distance or its square.
class P2DForceAttractor : public P2DForce {
 public:
  bool Load(const LuaObject& table) override;
  bool DebugRender(const math::Vec2& point) override;
  bool Apply(const math::Vec2& origin, Particle* particles, int32_t count, float dt) override;
  P2DForce* Clone() const override;
  const char* GetType() const override { return "attractor"; }
  void Save(WriteLua& writer) const override;

  // "constant", "linear", "invlinear", "invsqr" in any case; other text leaves current.
  static int32_t ParseType(const std::string& text, int32_t current);

  math::Vec2 Offset{0.0f, 0.0f};
  int32_t Type = kAttractConstant;
  float Magnitude = 1.0f;
};

}  // namespace part2d
