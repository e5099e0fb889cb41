#include <gtest/gtest.h>

#include <algorithm>

#include "engine/background/BipedAnim.h"
#include "engine/graphics/Image.h"
#include "tests/background/BGTestSupport.h"
#include "tests/core/LogCapture.h"
#include "tests/support/TestEnv.h"

namespace bgtest {
namespace {

using bones::Biped;
using bones::BipedAnimation;
using bones::BipedAnimationSet;
using bones::BipedBone;

// A frame list of n frames at x = 0, 1, 2 ... pixels, rotation 0.
std::string Frames(int n) {
  std::string text = "{ ";
  for (int i = 0; i < n; ++i) text += "{ Pos = { " + std::to_string(i) + ", 0 } }, ";
  return text + "}";
}

class BipedTest : public SceneTest {};

TEST_F(BipedTest, ReadsBonesFramesAndLengthAndDropsBonesWithoutFrames) {
  Write("bganim/reader.sbp",
        "AnimationData = {\n"
        "  { Name = 'Long', Height = 0.2, DefaultImg = 'bird/body.png', DefaultSortL = 2,\n"
        "    DefaultSortR = -1, Frames = " + Frames(45) + " },\n"
        "  { Name = 'Short', Frames = { { Pos = { 400, 300 }, Rot = 30 }, " + Frames(29).substr(1) + " },\n"
        "  { Name = 'Empty', Frames = {} },\n"
        "  'not a bone',\n"
        "  { Name = 'long', Frames = " + Frames(3) + " },\n"
        "}\n");
  LogCapture log;
  BipedAnimationSet set;
  set.AddAnimation("bganim/reader.sbp");

  const BipedAnimation* animation = set.Find("READER");
  ASSERT_NE(animation, nullptr) << "found by name without regard to case";
  EXPECT_EQ(animation->name, "reader");
  EXPECT_FLOAT_EQ(animation->length, 1.5f) << "45 frames at 30 a second";
  EXPECT_EQ(animation->bones.Size(), 2u) << "the empty bone and the second 'long' are dropped";
  EXPECT_TRUE(log.Contains("Bone Empty in animation reader has no animations!  [MSG_WARNING]"));

  const BipedBone* shortBone = animation->bones.Find("short");
  ASSERT_NE(shortBone, nullptr);
  ASSERT_EQ(shortBone->frames.size(), 30u);
  EXPECT_FLOAT_EQ(shortBone->frames[0].pos.x, 0.5f) << "(400, 300) pixels";
  EXPECT_FLOAT_EQ(shortBone->frames[0].pos.y, 0.5f);
  EXPECT_FLOAT_EQ(shortBone->frames[0].rot, 30.0f);
  const BipedBone* longBone = animation->bones.Find("Long");
  ASSERT_NE(longBone, nullptr);
  EXPECT_EQ(longBone->frames.size(), 45u) << "the first bone of a name stays";
  EXPECT_FLOAT_EQ(longBone->Height, 0.2f);
  EXPECT_EQ(longBone->DefaultImg, "bird/body.png");
  EXPECT_FLOAT_EQ(longBone->DefaultSortR, -1.0f);
  EXPECT_FLOAT_EQ(animation->min.x, 0.0f);
  EXPECT_FLOAT_EQ(animation->max.x, 0.5f);
  EXPECT_FLOAT_EQ(animation->max.y, 0.5f);

  set.AddAnimation("bganim/missing.sbp");
  EXPECT_TRUE(log.Contains("Unable to load biped data bganim/missing.sbp!  [MSG_ERROR]"));
  Write("bganim/broken.sbp", "AnimationData = {");
  set.AddAnimation("bganim/broken.sbp");
  EXPECT_TRUE(log.Contains("Unable to load biped data bganim/broken.sbp!"));
  EXPECT_EQ(set.Find("broken"), nullptr);
}

TEST_F(BipedTest, SamplingLoopsFromTheLastFrameToTheFirst) {
  BipedBone bone;
  for (int i = 0; i < 45; ++i) bone.frames.push_back({math::Vec2(static_cast<float>(i) * 0.01f, 0.0f), 0.0f});
  bone.frames[0].rot = 90.0f;
  math::Vec2 position;
  math::Vec2 direction;
  bone.Sample(44.5f, position, direction);
  EXPECT_NEAR(position.x, 0.22f, 1e-5f) << "halfway between frame 44 (0.44) and frame 0 (0)";
  EXPECT_NEAR(direction.x, -0.375f, 1e-5f) << "(-sin 90 x 0.75) blended with (0) halfway";
  EXPECT_NEAR(direction.y, -0.5f, 1e-5f);
  bone.Sample(45.0f + 2.0f, position, direction);
  EXPECT_NEAR(position.x, 0.02f, 1e-6f) << "the clock loops";
  bone.Sample(1e30f, position, direction);  // no overflow in the index
  EXPECT_TRUE(std::isfinite(position.x));
}

TEST_F(BipedTest, AFileUnderAnimWinsOverOneOfTheSameNameUnderBganim) {
  Write("anim/walk.sbp", "AnimationData = { { Name = 'leg', Frames = " + Frames(2) + " } }\n");
  Write("bganim/walk.sbp", "AnimationData = { { Name = 'arm', Frames = " + Frames(2) + " } }\n");
  BipedAnimationSet set;
  const BipedAnimation* walk = set.Find("Walk");
  ASSERT_NE(walk, nullptr);
  EXPECT_NE(walk->bones.Find("leg"), nullptr);
  EXPECT_EQ(walk->bones.Find("arm"), nullptr);
}

TEST_F(BipedTest, PartsDrawByDepthAsOneBandEachAndMirrorWhenFacing) {
  // Two bones standing up at the foot point: the wing 80 pixels to the right.
  Write("bganim/draw_test.sbp",
        "AnimationData = {\n"
        "  { Name = 'Body', DefaultImg = 'bird/body.png', DefaultSortL = 2, DefaultSortR = 0,\n"
        "    Frames = { { Pos = { 0, 0 } } } },\n"
        "  { Name = 'Wing', DefaultImg = 'bird/wing.png', DefaultSortL = 1, DefaultSortR = 3,\n"
        "    Frames = { { Pos = { 80, 0 } } } },\n"
        "}\n");
  BipedAnimationSet::Instance().AddAnimation("bganim/draw_test.sbp");
  Biped biped;
  biped.SetAnimation("bganim/Draw_Test.sbp");
  ASSERT_NE(biped.animation, nullptr) << "the base name of a path, any case";
  EXPECT_GE(biped.time, 0.0f);
  EXPECT_LT(biped.time, 30.0f);
  biped.InitParts();
  biped.position = math::Vec2(0.5f, 0.5f);

  ClearDraws();
  biped.Render(math::Vec2(0.0f, 0.0f));
  ASSERT_EQ(DrawCount(), 2u);
  ASSERT_EQ(renderer_.textures.size(), 2u);
  EXPECT_EQ(renderer_.textures[0].second->name, "bird/wing.png") << "depth 1 before depth 2";
  EXPECT_EQ(renderer_.textures[1].second->name, "bird/body.png");
  for (const auto& draw : renderer_.draws) {
    EXPECT_EQ(draw.vertices.size(), 12u);
    EXPECT_EQ(draw.type, PT_Triangles);
  }
  // The body stands at (400, 300) pixels and reaches 60 pixels (its picture's height) up;
  // its band is 80 pixels (the picture's width) across.
  auto span = [](const std::vector<ScreenVertex>& v, float ScreenVertex::*axis) {
    const auto [lo, hi] = std::minmax_element(v.begin(), v.end(),
                                              [axis](const auto& a, const auto& b) { return a.*axis < b.*axis; });
    return std::make_pair((*lo).*axis, (*hi).*axis);
  };
  const auto body = renderer_.draws[1].vertices;
  EXPECT_NEAR(span(body, &ScreenVertex::x).first, 360.0f, 0.01f);
  EXPECT_NEAR(span(body, &ScreenVertex::x).second, 440.0f, 0.01f);
  EXPECT_NEAR(span(body, &ScreenVertex::y).first, 240.0f, 0.01f);
  EXPECT_NEAR(span(body, &ScreenVertex::y).second, 300.0f, 0.01f);
  EXPECT_NEAR(span(renderer_.draws[0].vertices, &ScreenVertex::x).first, 440.0f, 0.01f) << "wing at +80";

  biped.SetFacing(true);
  ClearDraws();
  biped.Render(math::Vec2(0.0f, 0.0f));
  ASSERT_EQ(renderer_.textures.size(), 2u);
  EXPECT_EQ(renderer_.textures[0].second->name, "bird/body.png") << "sorted by the second depth";
  EXPECT_NEAR(span(renderer_.draws[1].vertices, &ScreenVertex::x).second, 360.0f, 0.01f) << "wing at -80";
  // The texture's u runs the other way.
  const auto& mirrored = renderer_.draws[0].vertices;
  const auto left = std::min_element(mirrored.begin(), mirrored.end(),
                                     [](const auto& a, const auto& b) { return a.x < b.x; });
  EXPECT_FLOAT_EQ(left->u, 1.0f);

  Biped unknown;
  unknown.SetAnimation("no_such_animation");
  unknown.InitParts();
  ClearDraws();
  unknown.Render(math::Vec2(0.0f, 0.0f));
  EXPECT_EQ(DrawCount(), 0u);
}

}  // namespace
}  // namespace bgtest
