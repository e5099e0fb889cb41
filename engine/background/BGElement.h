#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/core/Math.h"
#include "engine/ui/UISprite.h"

class LuaObject;
class WriteLua;

namespace bones {
class Biped;
}
namespace part2d {
class Part2D;
}

namespace background {

class BGScene;

// A thing placed in a scene: a decal (standing, drifting, spinning, bobbing or scrolling
// its picture), a particle system or an animated biped. Pos is the top-left corner of the
// element's box; the view offset is scaled by Paralax. The element's source (a picture, a
// particle file, an animation) is set by SetSource.
class BGElement {
 public:
  explicit BGElement(BGScene* owner);
  virtual ~BGElement();
  BGElement(const BGElement&) = delete;
  BGElement& operator=(const BGElement&) = delete;

  virtual void Render(const math::Vec2& view) = 0;
  // A red square of the half-extent around the element's centre.
  virtual void RenderDebug(const math::Vec2& view);
  virtual void Update(float dt) {}
  // The keys every element has: Pos, Size, Dir, Sort, Paralax, Rotation.
  virtual void Load(const LuaObject& table);
  // Type and the keys every element has.
  virtual void Save(WriteLua& out) const;
  // The half-extent: half the larger side, on both axes.
  virtual void RecalcBounds();
  virtual std::string GetTypeName() const { return "base"; }
  virtual bool Matches(const std::string& text) const { return false; }
  virtual void SetSource(const std::string& name) {}

  // The element of the entry's Type ("partsys", "decal", "uvdecal", "bobdecal",
  // "rotdecal", "pandecal", "biped", any capitalisation), loaded from it; null for
  // another Type or an entry that is not a table.
  static BGElement* LoadElement(BGScene* scene, const LuaObject& table);
  // A new element of a Type name, not loaded; null for an unknown name.
  static BGElement* Create(BGScene* scene, const std::string& type);

  // Pos + Size / 2 less the view offset scaled by Paralax.
  math::Vec2 Center(const math::Vec2& view) const;

  BGScene* scene;
  math::Vec2 Pos{0.0f, 0.0f};
  math::Vec2 Size{0.0f, 0.0f};
  math::Vec2 Dir{0.0f, 0.0f};
  math::Vec2 start{0.0f, 0.0f};
  math::Vec2 halfExtent{0.04f, 0.0533333f};
  float Sort = 0.0f;
  float Rotation = 0.0f;
  float Paralax = 1.0f;
};

// A picture drawn at its own size, turned by Rotation, with an alpha and an additive
// switch. The plain decal stands still.
class BGDecal : public BGElement {
 public:
  explicit BGDecal(BGScene* owner);
  void Render(const math::Vec2& view) override;
  // Animates the picture and applies the additive switch.
  void Update(float dt) override;
  void Load(const LuaObject& table) override;
  void Save(WriteLua& out) const override;
  std::string GetTypeName() const override { return "decal"; }
  bool Matches(const std::string& text) const override;
  // Loads the picture; Size becomes its size.
  void SetSource(const std::string& name) override;

  // The alpha byte of the draw colour.
  uint32_t AlphaByte() const;

  bool Additive = false;
  ui::UISprite sprite;
  std::string SpriteImg;
  float phase = 0.0f;  // random in [0, 10) at construction
  float Alpha = 1.0f;

 protected:
  // Where the picture's top-left corner is drawn.
  virtual math::Vec2 DrawPosition(const math::Vec2& view) const;
  void DrawSprite(const math::Vec2& view);
};

// Drifts by Dir a second and comes back in from the far side of the view when it leaves.
class BGPanDecal : public BGDecal {
 public:
  using BGDecal::BGDecal;
  void Update(float dt) override;
  std::string GetTypeName() const override { return "pandecal"; }
};

// Turns by (Dir.x + Dir.y) x 300 degrees a second.
class BGRotDecal : public BGDecal {
 public:
  using BGDecal::BGDecal;
  void Update(float dt) override;
  std::string GetTypeName() const override { return "rotdecal"; }
};

// Swings along Dir x 0.1 on a sine of its phase.
class BGBobDecal : public BGDecal {
 public:
  using BGDecal::BGDecal;
  void Update(float dt) override;
  std::string GetTypeName() const override { return "bobdecal"; }

 protected:
  math::Vec2 DrawPosition(const math::Vec2& view) const override;
};

// Scrolls its picture through the quad by Dir x 2 a second.
class BGUVDecal : public BGDecal {
 public:
  using BGDecal::BGDecal;
  void Render(const math::Vec2& view) override;
  void Update(float dt) override;
  std::string GetTypeName() const override { return "uvdecal"; }
};

// A particle system emitting over the element's rectangle; its forces act from Pos.
class BGPartSys : public BGElement {
 public:
  explicit BGPartSys(BGScene* owner);
  ~BGPartSys() override;
  void Render(const math::Vec2& view) override;
  // Ticks the system, moves its force origin to Pos and emits over the rectangle; the
  // half-extent becomes Size.
  void Update(float dt) override;
  void Load(const LuaObject& table) override;
  void Save(WriteLua& out) const override;
  std::string GetTypeName() const override { return "partsys"; }
  void SetSource(const std::string& name) override { SetPartSys(name); }
  // A new system loaded from the particle file (empty when it cannot be read).
  void SetPartSys(const std::string& name);

  std::unique_ptr<part2d::Part2D> system;
  std::string PartSys;
};

// An animated biped standing on the middle of the element's bottom edge.
class BGBiped : public BGElement {
 public:
  explicit BGBiped(BGScene* owner);
  ~BGBiped() override;
  void Render(const math::Vec2& view) override;
  void Update(float dt) override;
  void Load(const LuaObject& table) override;
  void Save(WriteLua& out) const override;
  // The half-extent is half the size on each axis.
  void RecalcBounds() override;
  std::string GetTypeName() const override { return "biped"; }
  // A new biped playing the animation; Size becomes the animation's box.
  void SetSource(const std::string& name) override { SetAnimation(name); }
  void SetAnimation(const std::string& name);

  std::unique_ptr<bones::Biped> biped;
  std::string animation;
};

}  // namespace background
