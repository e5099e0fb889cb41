#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/Math.h"
#include "engine/core/StringMap.h"
#include "engine/ui/UISprite.h"

namespace bones {

// One key frame of a bone: its position (screen units, relative to the biped's foot
// point) and its rotation in degrees. Frames follow each other at 30 a second.
struct BipedFrame {
  math::Vec2 pos;
  float rot = 0.0f;
};

// A bone of an animation: its frames, its length and the picture drawn along it.
struct BipedBone {
  std::string Name;
  float Height = 0.0f;
  std::string DefaultImg;
  float DefaultSortL = 0.0f;  // drawing depth, ascending
  float DefaultSortR = 0.0f;  // drawing depth while the biped faces the other way
  std::vector<BipedFrame> frames;

  // The bone at time t (frames; the animation loops): position and direction, each
  // blended linearly between the two frames around t. The direction is (-sin, -cos) of
  // the rotation with x scaled by the play area's height-to-width ratio, not normalised.
  // A bone without frames gives (0, 0) for both.
  void Sample(float time, math::Vec2& position, math::Vec2& direction) const;
};

// One .sbp file: named bones and the box every frame position lies in.
struct BipedAnimation {
  std::string name;
  StringMap<BipedBone> bones{true, true};
  float length = 0.0f;  // seconds: the longest bone's frame count / 30
  math::Vec2 min{10000.0f, 10000.0f};
  math::Vec2 max{-10000.0f, -10000.0f};
};

// Every biped animation of the game, read once from "anim/*.sbp" and then "bganim/*.sbp"
// (the disk beside the program) and found by name without regard to case. An .sbp file
// is a Lua script defining the global array "AnimationData" of bone tables.
class BipedAnimationSet {
 public:
  static constexpr float kFramesPerSecond = 30.0f;

  // The process-wide set, loaded on first use and destroyed at exit.
  static BipedAnimationSet& Instance();

  // Lists both folders and reads every file in list order.
  BipedAnimationSet();
  virtual ~BipedAnimationSet();
  BipedAnimationSet(const BipedAnimationSet&) = delete;
  BipedAnimationSet& operator=(const BipedAnimationSet&) = delete;

  // Reads one .sbp file into an animation named after the file's base name. A file that
  // cannot be run logs "Unable to load biped data <file>!"; a bone without frames is
  // dropped with a warning; an animation or bone whose name is taken is dropped.
  void AddAnimation(const std::string& file);
  // By name (a path's base name is not taken here); null when absent.
  BipedAnimation* Find(const std::string& name) const;

  StringMap<BipedAnimation> animations{true, true};
};

class Biped;

// What a biped draws for one bone: a picture laid along the bone, or a biped hanging on it.
struct BipedPart {
  std::string name;
  ui::UISprite sprite;
  float sortL = 0.0f;
  float sortR = 0.0f;
  const BipedBone* bone = nullptr;  // of the animation that last named this part
  Biped* child = nullptr;           // not owned
  math::Vec2 attachOffset{0.0f, 0.0f};
};

// A character playing one animation of the set: one part per bone it has met, drawn in
// ascending depth order as one textured band per part.
class Biped {
 public:
  // Child bipeds hanging on bipeds are drawn this many levels deep at most.
  static constexpr int kMaxChildDepth = 8;

  Biped();
  ~Biped();
  Biped(const Biped&) = delete;
  Biped& operator=(const Biped&) = delete;

  // Plays the animation of the name's base name (nothing is drawn for an unknown one),
  // from a random frame in [0, 30), and binds the parts to its bones, making parts for
  // bones not met before.
  void SetAnimation(const std::string& name);
  // Loads every bound part's picture and depth values, then sorts the parts.
  void InitParts();
  // Mirrors the biped; the parts are sorted again by the other depth value.
  void SetFacing(bool facing);
  // The current animation's box; min and max are left alone without an animation.
  void GetBounds(math::Vec2& min, math::Vec2& max) const;
  // Advances the clock by dt seconds at frameRate.
  void Tick(float dt);
  // Draws every part that has a bone and something to show, offset by -offset.
  void Render(const math::Vec2& offset);

  // Where the bone at time t of a part lies: position and direction with the scale and
  // the facing applied.
  void Pose(const BipedPart& part, math::Vec2& position, math::Vec2& direction) const;

  std::vector<std::unique_ptr<BipedPart>> parts;
  math::Vec2 position{0.5f, 0.9f};
  const BipedAnimation* animation = nullptr;
  float time = 0.0f;  // frames
  std::string animationName;
  bool facing = false;
  float scale = 1.0f;
  float frameRate = BipedAnimationSet::kFramesPerSecond;

 private:
  void SortParts();
  void RenderAtDepth(const math::Vec2& offset, int depth);
};

}  // namespace bones
