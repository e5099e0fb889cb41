#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/Math.h"
#include "engine/core/Timer.h"
#include "engine/ui/UISprite.h"

class LuaObject;
class LuaState;
class WriteLua;

// 2-D particle systems. A system (Part2D) is an ordered list of emitter groups
// (PartGroup); each group owns a fixed pool of particles, its birth ranges, a colour ramp
// over life, forces that act on its particles once a frame and an optional death rule that
// starts a particle in another group when one dies. Systems come from .p2d files: Lua
// programs that define one global table "Part2D", an array of group tables.
//
// Positions, sizes and speeds are fractions of the 800 x 600 play area (y grows downward).
//
//   part2d::Part2D system;
//   system.Load("effects/sparkle.p2d");
//   system.origin = widgetPosition;            // the point every force receives
//   system.EmitInRect(dt, corner, size);       // each frame: emission,
//   system.Tick(dt);                           // motion, forces and deaths,
//   system.Render(offset);                     // drawing, 150 particles per draw
namespace part2d {

class Part2D;
class P2DForce;
class PartDie;

struct Particle {
  math::Vec2 pos{0.0f, 0.0f};
  math::Vec2 dir{0.0f, 0.0f};  // direction of motion, unit length
  float speed = 0.0f;          // along dir; negative after a bounce
  math::Vec2 size{0.0f, 0.0f};       // at birth: x across the motion, y along it
  math::Vec2 sizeDelta{0.0f, 0.0f};  // size at the end of life minus size
  uint8_t alive = 0;
  uint8_t dying = 0;
  CountdownTimer life;
  float animTime = 0.0f;  // the particle's clock for an animated group image

  // The fraction of the life spent, 0 to 1; a particle of no life is at 1.
  float LifeFraction() const { return life.Progress(); }
};

// A particle is drawn as a band of four corners (two triangles through six indices).
constexpr uint32_t kBandVertices = 4;
constexpr uint32_t kBandIndices = 6;

// Writes a particle's band into out, in the order from-left, from-right, to-left,
// to-right, and returns kBandVertices. The band runs through the centre (play-area
// fractions) along the direction of motion as it shows on the screen, halfLength to
// either side measured in the play area's height and halfWidth across measured in its
// width, so that a particle of size (16 / 800, 16 / 600) covers 16 x 16 pixels whichever
// way it goes; "from" lies behind the centre. The texture rectangle uv1..uv2 covers the
// band, u across and v along (v1 at from). A direction of no length gives a band of no
// area. Pixels of the play area, shifted by its offsets, as the quad builders give them.
uint32_t BuildParticleBand(const math::Vec2& centre, const math::Vec2& direction, float halfLength,
                           float halfWidth, uint32_t color, const math::Vec2& uv1, const math::Vec2& uv2,
                           ScreenVertex* out);

// Called for every particle that dies, after its death rule and its trigger spawn.
using DieFunction = void (*)(Particle* particle, void* user);

struct DieCallback {
  DieFunction function = nullptr;
  void* user = nullptr;
};

class PartGroup {
 public:
  // The most particles a pool holds; a larger MaxC is cut to it (with a warning).
  static constexpr int32_t kMaxParticles = 10000;
  // The most forces a group holds (each acts on every particle every frame); further
  // ones are refused with a warning.
  static constexpr int32_t kMaxForces = 32;
  static constexpr int32_t kColorEntries = 256;

  explicit PartGroup(Part2D* owner);
  ~PartGroup();
  PartGroup(const PartGroup&) = delete;
  PartGroup& operator=(const PartGroup&) = delete;

  // Frees the pool and allocates n free records (none when n <= 0); every particle is lost.
  void SetMaxC(int32_t n);
  int32_t GetMaxC() const { return MaxC; }
  void ClearParticles();

  // A new particle at pos with the group's random birth values; null when the pool is full.
  Particle* SpawnParticle(const math::Vec2& pos);
  // The same, then moving along velocity at its length (MinSpeedMag not applied).
  Particle* SpawnParticleAt(const math::Vec2& pos, const math::Vec2& velocity);
  // One particle uniformly in the box corner..corner + size when the emission timer says
  // one is due; false when inactive, without image or pool, or GenRate <= 0.
  bool EmitInRect(float dt, const math::Vec2& corner, const math::Vec2& size);
  // Adds dt to the emission clock; true (taking GenRate off once) when a particle is due.
  bool TickEmitter(float dt);
  math::Vec2 RandomVelocity() const;

  // Forces, then motion, ageing and deaths of every live particle; false when the group
  // is inactive, empty, without image or without pool.
  bool Update(float dt);
  // Draws every live particle as a band along its motion (BuildParticleBand), 150 to a
  // draw through one index list.
  bool Render(const math::Vec2& offset);

  void SetImage(const std::string& imageName);
  const std::string& GetImage() const { return Image; }
  bool HasImage() const { return sprite.IsLoaded(); }

  void AddColor(float r, float g, float b, float a);
  void ClearColors();
  // Rebuilds the 256-entry colour table from the keys: each key starts a span of equal
  // width that runs toward the next key; the last key's span and any rest hold it.
  void RecalcColors();

  // The group has one callback slot, 0; other slots are ignored.
  void SetCallback(int32_t slot, DieFunction function, void* user);

  // A force by type name ("attractor", "linear", "killplane", "sphereex", "path",
  // "steer", any case), appended; null for an unknown name, and (with a warning) when
  // the group holds kMaxForces already.
  P2DForce* CreateForce(const std::string& type);
  // A force from its table ("Type", default "Linear"); null when not a table or unknown.
  P2DForce* LoadForce(const LuaObject& table);
  void DeleteForce(P2DForce* force);

  // Reads a group table (keys with defaults; forces and colour keys are appended), then
  // rebuilds the colour table and the pool. Returns true.
  bool Load(const LuaObject& table);
  // Writes the group as one unnamed table of a Part2D file (see WriteLua).
  void Save(WriteLua& writer) const;

  void SetSize(const math::Vec2& fromMin, const math::Vec2& fromMax, const math::Vec2& toMin,
               const math::Vec2& toMax);
  void SetInitialSpeed(const math::Vec2& minSpeed, const math::Vec2& maxSpeed, float minSpeedMag);
  math::Vec2 GetSizeFromMin() const { return SizeFromMin; }
  math::Vec2 GetSizeFromMax() const { return SizeFromMax; }
  math::Vec2 GetSizeToMin() const { return SizeToMin; }
  math::Vec2 GetSizeToMax() const { return SizeToMax; }
  math::Vec2 GetMinSpeed() const { return MinSpeed; }
  math::Vec2 GetMaxSpeed() const { return MaxSpeed; }
  float GetMinSpeedMag() const { return MinSpeedMag; }
  math::Vec2 GetLifespan() const { return Lifespan; }
  void SetLifespan(const math::Vec2& v) { Lifespan = v; }
  math::Vec2 GetFuzzyBirth() const { return FuzzyBirth; }
  void SetFuzzyBirth(const math::Vec2& v) { FuzzyBirth = v; }
  float GetGenRate() const { return GenRate; }
  void SetGenRate(float f) { GenRate = f; }
  float GetStretchSpeed() const { return StretchSpeed; }
  void SetStretchSpeed(float f) { StretchSpeed = f; }
  bool GetAdditive() const { return Additive; }
  void SetAdditive(bool b) { Additive = b; }
  bool GetLockRect() const { return LockRect; }
  void SetLockRect(bool b) { LockRect = b; }
  bool GetLockSize() const { return LockSize; }
  void SetLockSize(bool b) { LockSize = b; }
  bool IsActive() const { return Active; }
  void SetActive(bool b) { Active = b; }

  int32_t GetLiveCount() const { return liveCount; }
  Particle* GetParticles() { return particles; }
  const std::string& GetName() const { return name; }
  Part2D* GetOwner() const { return owner; }

  DieCallback dieCallback;
  Part2D* owner;
  Particle* particles = nullptr;  // MaxC records, owned
  int32_t MaxC = 0;
  int32_t liveCount = 0;
  int32_t nextFree = 0;
  math::Vec2 FuzzyBirth{0.0f, 0.0f};
  math::Vec2 SizeFromMin{0.0f, 0.0f};
  math::Vec2 SizeFromMax{0.0f, 0.0f};
  math::Vec2 SizeToMin{0.1f, 0.01f};
  math::Vec2 SizeToMax{0.1f, 0.01f};
  math::Vec2 MinSpeed{0.0f, 0.0f};
  math::Vec2 MaxSpeed{0.0f, 0.0f};
  float MinSpeedMag = -1.0f;
  math::Vec2 Lifespan{0.4f, 1.0f};
  bool Additive = false;
  bool LockRect = true;
  bool LockSize = false;
  bool Active = true;
  bool RenderDebug = false;
  bool IsSecondary = false;
  int32_t TriggerIndex = -1;
  std::vector<P2DForce*> forces;  // owned
  std::string Image;
  ui::UISprite sprite;
  float StretchSpeed = 0.0f;
  uint32_t colors[kColorEntries];
  std::vector<math::Vec4> colorKeys;
  float GenRate = 0.016666668f;
  float genTime = 0.0f;
  PartDie* partDie = nullptr;  // owned
  std::string name;

 private:
  // False, with a warning, when the group holds kMaxForces already.
  bool HasRoomForForce() const;
  Particle* FindFreeSlot();
  // Direction and speed of a newborn particle from its birth velocity.
  void SetVelocity(Particle& particle, const math::Vec2& velocity) const;
  void Kill(Particle& particle);
  void DrawBatch() const;
};

class Part2D {
 public:
  // The most groups one file adds; the rest are skipped with one warning.
  static constexpr int32_t kMaxFileGroups = 64;
  // Creating more groups than this by hand logs a warning.
  static constexpr int32_t kBigSystemGroups = 5;

  Part2D() = default;
  ~Part2D();
  Part2D(const Part2D&) = delete;
  Part2D& operator=(const Part2D&) = delete;

  // Appends the file's groups; false (with a log line) when the file cannot be run.
  bool Load(const std::string& path);
  // Writes every group through a temporary file renamed into place; false (keeping the
  // old file) when it cannot be written.
  bool Save(const std::string& path);

  PartGroup* CreateGroup();
  PartGroup* GetGroup(int32_t index) const;
  int32_t GroupC() const { return static_cast<int32_t>(groups.size()); }

  bool Tick(float dt);
  // Draws every group less the offset. The corner and size that callers pass are not used.
  bool Render(const math::Vec2& offset, const math::Vec2& corner = math::Vec2(0.0f, 0.0f),
              const math::Vec2& size = math::Vec2(1.0f, 1.0f));
  // EmitInRect of every group that is not secondary; true when any of them spawned.
  bool EmitInRect(float dt, const math::Vec2& corner, const math::Vec2& size);
  // A particle of the first group; null without groups.
  Particle* Spawn(const math::Vec2& pos);
  // One particle at pos in every group that is not secondary.
  void EmitAt(const math::Vec2& pos);
  // One particle in every group that is not secondary, each at its own random point of
  // the segment from..to.
  void Emit(const math::Vec2& from, const math::Vec2& to);
  // EmitAt(pos) count times.
  void Burst(int32_t count, const math::Vec2& pos);

  const std::string& GetPath() const { return path; }

  std::string path;
  std::vector<PartGroup*> groups;  // owned
  math::Vec2 origin{0.0f, 0.0f};
};

// Registers the Lua classes "PartGroup" then "Part2D" in the state; false (with a log
// line) when luabind refuses them. The particle widget's registration calls it.
bool RegisterPart2DClasses(LuaState* state);

}  // namespace part2d
