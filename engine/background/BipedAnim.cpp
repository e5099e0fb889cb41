#include "engine/background/BipedAnim.h"

#include <algorithm>
#include <cmath>

#include "engine/core/FileList.h"
#include "engine/core/Log.h"
#include "engine/core/Random.h"
#include "engine/core/Script.h"
#include "engine/core/StringUtil.h"
#include "engine/core/VFS.h"
#include "engine/graphics/Graphics.h"
#include "platform/luaplus/LuaObject.h"
#include "platform/luaplus/LuaState.h"

namespace bones {

namespace {

// .sbp positions are pixels of the 800 x 600 reference screen, measured on its height.
constexpr float kReferenceHeight = 600.0f;
constexpr uint32_t kWhite = 0xFFFFFFFF;

math::Vec2 FrameDirection(const BipedFrame& frame) {
  const float radians = frame.rot * 3.14159265f / 180.0f;
  return math::Vec2(-std::sin(radians) * screen::g_heightOverWidth, -std::cos(radians));
}

}  // namespace

void BipedBone::Sample(float t, math::Vec2& position, math::Vec2& direction) const {
  if (frames.empty()) {
    position = direction = math::Vec2(0.0f, 0.0f);
    return;
  }
  // The clock is wrapped into the bone's own loop before it becomes an index, so a clock
  // of any size (or a file's absurd frame rate) never overflows the conversion.
  const double count = static_cast<double>(frames.size());
  double wrapped = std::isfinite(t) ? std::fmod(static_cast<double>(t), count) : 0.0;
  if (wrapped < 0.0) wrapped += count;
  size_t index = static_cast<size_t>(wrapped);
  if (index >= frames.size()) index = 0;
  const float f = static_cast<float>(wrapped - static_cast<double>(index));
  const BipedFrame& a = frames[index];
  const BipedFrame& b = frames[(index + 1) % frames.size()];
  position = a.pos + (b.pos - a.pos) * f;
  const math::Vec2 da = FrameDirection(a);
  direction = da + (FrameDirection(b) - da) * f;
}

BipedAnimationSet& BipedAnimationSet::Instance() {
  static BipedAnimationSet instance;
  return instance;
}

BipedAnimationSet::BipedAnimationSet() {
  script::FileList files;
  files.Build("anim/*.sbp");
  files.Build("bganim/*.sbp");
  for (int i = 0; i < files.GetFileC(); ++i) AddAnimation(files.GetFileName(i));
}

BipedAnimationSet::~BipedAnimationSet() = default;

void BipedAnimationSet::AddAnimation(const std::string& file) {
  LuaState* state = script::CreateLuaState();
  if (!script::LoadScript(state, file)) {
    LOG_LINE(MSG_ERROR) << "Unable to load biped data " << file << "!";
    LuaState::Destroy(state);
    return;
  }

  auto animation = std::make_unique<BipedAnimation>();
  animation->name = vfs::GetBaseName(file);
  const LuaObject data = script::GetGlobal(state, "AnimationData");
  const int boneCount = data.IsTable() ? data.GetTableCount() : 0;
  for (int i = 1; i <= boneCount; ++i) {
    const LuaObject entry = data[i];
    if (!entry.IsTable()) continue;
    auto bone = std::make_unique<BipedBone>();
    bone->Name = script::GetString(entry, "Name", "");
    bone->Height = script::GetFloat(entry, "Height", 0.0f);
    bone->DefaultImg = script::GetString(entry, "DefaultImg", "");
    bone->DefaultSortL = script::GetFloat(entry, "DefaultSortL", 0.0f);
    bone->DefaultSortR = script::GetFloat(entry, "DefaultSortR", 0.0f);

    const LuaObject frames = script::GetField(entry, "Frames");
    const int frameCount = frames.IsTable() ? frames.GetTableCount() : 0;
    for (int k = 1; k <= frameCount; ++k) {
      const LuaObject frame = frames[k];
      const math::Vec2 pixels = script::GetVec2(frame, "Pos", math::Vec2(0.0f, 0.0f));
      BipedFrame key;
      key.pos = math::Vec2(pixels.x / kReferenceHeight * screen::g_heightOverWidth,
                           pixels.y / kReferenceHeight);
      key.rot = script::GetFloat(frame, "Rot", 0.0f);
      animation->min.x = std::min(animation->min.x, key.pos.x);
      animation->min.y = std::min(animation->min.y, key.pos.y);
      animation->max.x = std::max(animation->max.x, key.pos.x);
      animation->max.y = std::max(animation->max.y, key.pos.y);
      bone->frames.push_back(key);
    }
    animation->length = std::max(animation->length,
                                 static_cast<float>(bone->frames.size()) / kFramesPerSecond);

    if (bone->frames.empty()) {
      LOG_LINE(MSG_WARNING) << "Bone " << bone->Name << " in animation " << animation->name
                            << " has no animations!";
      continue;
    }
    // The first bone of a name stays; a later one is dropped.
    if (animation->bones.Insert(bone->Name, bone.get())) bone.release();
  }
  LuaState::Destroy(state);

  // The first file of a name stays (anim/ is listed before bganim/).
  if (animations.Insert(animation->name, animation.get())) animation.release();
}

BipedAnimation* BipedAnimationSet::Find(const std::string& name) const {
  return animations.Find(name);
}

Biped::Biped() = default;

Biped::~Biped() = default;

void Biped::SetAnimation(const std::string& name) {
  animation = BipedAnimationSet::Instance().Find(vfs::GetBaseName(name));
  animationName = name;
  time = num::Random::Instance().RangeF(0.0f, BipedAnimationSet::kFramesPerSecond);
  if (!animation) return;

  for (const auto& [key, bone] : animation->bones) {
    BipedPart* match = nullptr;
    for (const auto& part : parts) {
      if (ToLowerCase(part->name) == ToLowerCase(bone->Name)) {
        match = part.get();
        break;
      }
    }
    if (!match) {
      parts.push_back(std::make_unique<BipedPart>());
      match = parts.back().get();
      match->name = bone->Name;
    }
    match->bone = bone;
  }
}

void Biped::InitParts() {
  for (const auto& part : parts) {
    if (!part->bone) continue;
    part->sprite.Init(part->bone->DefaultImg, math::Vec2(0.0f, 0.0f), math::Vec2(1.0f, 1.0f), false);
    part->sortL = part->bone->DefaultSortL;
    part->sortR = part->bone->DefaultSortR;
  }
  SortParts();
}

void Biped::SetFacing(bool newFacing) {
  if (newFacing == facing) return;
  facing = newFacing;
  SortParts();
}

void Biped::SortParts() {
  const bool mirrored = facing;
  std::stable_sort(parts.begin(), parts.end(), [mirrored](const auto& a, const auto& b) {
    return mirrored ? a->sortR < b->sortR : a->sortL < b->sortL;
  });
}

void Biped::GetBounds(math::Vec2& min, math::Vec2& max) const {
  if (!animation) return;
  min = animation->min;
  max = animation->max;
}

void Biped::Tick(float dt) { time += dt * frameRate; }

void Biped::Pose(const BipedPart& part, math::Vec2& p, math::Vec2& d) const {
  part.bone->Sample(time, p, d);
  p *= scale;
  if (facing) {
    p.x = -p.x;
    d.x = -d.x;
  }
}

void Biped::Render(const math::Vec2& offset) { RenderAtDepth(offset, 0); }

void Biped::RenderAtDepth(const math::Vec2& offset, int depth) {
  if (!animation) return;
  Graphics* graphics = GetGraphics();
  for (const auto& part : parts) {
    const bool hasPicture = part->sprite.IsLoaded();
    if (!part->bone || (!hasPicture && !part->child)) continue;
    math::Vec2 p0;
    math::Vec2 d;
    Pose(*part, p0, d);

    // A chain of children that leads back to an ancestor stops at the depth limit.
    if (part->child && depth < kMaxChildDepth) {
      part->child->position = position + p0 + part->attachOffset;
      part->child->SetFacing(facing);
      part->child->RenderAtDepth(offset, depth + 1);
    }
    if (!hasPicture || !graphics) continue;

    const math::Vec2 start = position - offset + p0;
    const math::Vec2 end = start + d * (part->sprite.size.y * scale);
    // The line builder gives u's first value to the right-hand side of the segment as it
    // runs (the screen's right for a bone standing up): the u range is handed over
    // reversed so that a part shows its picture as drawn, and straight when mirrored.
    math::Vec2 uv1 = part->sprite.uv1;
    math::Vec2 uv2 = part->sprite.uv2;
    if (!facing) std::swap(uv1.x, uv2.x);
    ScreenVertex vertices[12];
    const uint32_t count = BuildLineQuad(start, end, part->sprite.size.x * scale * 0.5f, kWhite,
                                         kWhite, uv1, uv2, vertices);
    part->sprite.BindTexture();
    graphics->DrawArray(vertices, count, PT_Triangles);
  }
}

}  // namespace bones
