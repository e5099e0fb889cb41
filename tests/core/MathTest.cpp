#include "engine/core/Math.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using math::Vec2;
using math::Vec3;

void ExpectVec3Near(const Vec3& actual, const Vec3& expected, const char* what) {
  EXPECT_NEAR(actual.x, expected.x, 1e-5f) << what;
  EXPECT_NEAR(actual.y, expected.y, 1e-5f) << what;
  EXPECT_NEAR(actual.z, expected.z, 1e-5f) << what;
}

TEST(VectorTest, NormalizeLeavesZeroAloneAndCrossFollowsTheRightHand) {
  Vec2 zero;
  EXPECT_EQ(zero.Normalize(), Vec2(0, 0));
  Vec2 v(3, 4);
  v.Normalize();
  EXPECT_FLOAT_EQ(v.x, 0.6f);
  EXPECT_FLOAT_EQ(v.y, 0.8f);
  EXPECT_EQ(Vec3(1, 0, 0).Cross(Vec3(0, 1, 0)), Vec3(0, 0, 1));

  math::Plane plane;
  EXPECT_EQ(plane.normal, Vec3(0, 1, 0));
  EXPECT_EQ(plane.d, 0.0f);
}

TEST(RotatorTest, TurnsTheShortWayWrapsAndSnaps) {
  struct Case {
    float speed;
    float current;
    float target;
    float dt;
    bool snap;
    float after1;
    float after2;
  };
  const Case cases[] = {
      {30, 350, 10, 1.0f, true, 20, 10},  // the short way crosses 360, lands next update
      {90, 0, 50, 0.1f, true, 50, 50},    // within speed: snaps at once
      {90, 0, 50, 0.1f, false, 9, 18},
      {30, 10, 350, 1.0f, false, 340, 350},  // backwards across 0
      {10, 100, 105, 1.0f, false, 105, 105},  // closer than one step
  };
  for (const Case& c : cases) {
    math::Rotator r(c.speed, c.current);
    EXPECT_EQ(r.current, c.current);
    EXPECT_EQ(r.target, c.current);
    EXPECT_TRUE(r.snap);
    r.target = c.target;
    r.snap = c.snap;
    r.Update(c.dt);
    EXPECT_NEAR(r.current, c.after1, 1e-4f) << c.current << " -> " << c.target;
    r.Update(c.dt);
    EXPECT_NEAR(r.current, c.after2, 1e-4f) << c.current << " -> " << c.target;
  }
}

TEST(RotatorTest, DirectionZeroPointsUp) {
  math::Rotator r(0, 0);
  Vec2 up = r.GetDirection();
  EXPECT_NEAR(up.x, 0.0f, 1e-5f);
  EXPECT_NEAR(up.y, -1.0f, 1e-5f);
  r.current = 90;
  Vec2 left = r.GetDirection();
  EXPECT_NEAR(left.x, -1.0f, 1e-3f);
  EXPECT_NEAR(left.y, 0.0f, 1e-3f);
}

TEST(CurveTest, ModesMeetTheirPointsAtSegmentBoundaries) {
  math::Curve curve;
  curve.points = {Vec3(0, 0, 0), Vec3(10, 0, 0), Vec3(10, 10, 0), Vec3(0, 10, 0)};
  curve.segmentTime = 2.0f;

  curve.mode = math::Curve::kLinear;
  ExpectVec3Near(curve.Evaluate(0.0f), Vec3(0, 0, 0), "linear start");
  ExpectVec3Near(curve.Evaluate(1.0f), Vec3(5, 0, 0), "linear half way");
  ExpectVec3Near(curve.Evaluate(3.0f), Vec3(10, 5, 0), "linear second segment");
  ExpectVec3Near(curve.Evaluate(100.0f), Vec3(0, 10, 0), "linear past the end");

  curve.mode = math::Curve::kCatmullRom;
  ExpectVec3Near(curve.Evaluate(2.0f), Vec3(10, 0, 0), "catmull-rom at a point");
  ExpectVec3Near(curve.Evaluate(4.0f), Vec3(10, 10, 0), "catmull-rom at the next point");
  // Half way through the middle segment: 0.5 x (-p0/8 + 9p1/8 + 9p2/8 - p3/8) x 2.
  ExpectVec3Near(curve.Evaluate(3.0f), Vec3(11.25f, 5, 0), "catmull-rom half way");

  curve.mode = math::Curve::kHermite;  // p0, p2 end points; p1, p3 tangents
  ExpectVec3Near(curve.Evaluate(2.0f), Vec3(0, 0, 0), "hermite segment start is p0");
  ExpectVec3Near(curve.Evaluate(3.0f), Vec3(6.25f, 3.75f, 0), "hermite half way");

  curve.mode = 7;
  ExpectVec3Near(curve.Evaluate(3.0f), Vec3(0, 0, 0), "unknown mode gives p0");

  ExpectVec3Near(curve.Evaluate(-1.0f), Vec3(0, 0, 0), "negative time");
  math::Curve empty;
  ExpectVec3Near(empty.Evaluate(1.0f), Vec3(0, 0, 0), "no points");
  curve.segmentTime = 0.0f;
  curve.mode = math::Curve::kLinear;
  ExpectVec3Near(curve.Evaluate(1.0f), Vec3(0, 0, 0), "no segment time");
}

TEST(PerpendicularTest, UsesTheFallbackAxisNearTheReference) {
  ExpectVec3Near(math::PerpendicularFromZ(Vec3(1, 0, 0)), Vec3(0, 1, 0), "z x x");
  ExpectVec3Near(math::PerpendicularFromZ(Vec3(0, 0, 2)), Vec3(1, 0, 0), "y x z");
  ExpectVec3Near(math::PerpendicularFromX(Vec3(0, 3, 0)), Vec3(0, 0, 1), "x x y");
  ExpectVec3Near(math::PerpendicularFromX(Vec3(1, 0, 0)), Vec3(0, 0, -1), "y x x");
}

TEST(RampTest, KeysRampInOrderOfValue) {
  math::Ramp ramp;
  EXPECT_EQ(ramp.GetValue(0.5f), 0.0f);  // before any Recalc

  ramp.AddValue(1.0f, 0.5f);
  ramp.AddValue(0.0f, 0.5f);  // added out of order
  ramp.Recalc();
  EXPECT_EQ(ramp.GetValue(0.0f), 0.0f);
  EXPECT_NEAR(ramp.GetValue(0.25f), 0.5f, 1e-6f);
  EXPECT_EQ(ramp.GetValue(0.5f), 1.0f);
  EXPECT_EQ(ramp.GetValue(1.0f), 1.0f);
  EXPECT_EQ(ramp.GetValue(-1.0f), 0.0f);
  EXPECT_NEAR(ramp.GetValue(127.0f / 256.0f), 127.0f / 128.0f, 1e-6f);

  math::Ramp clamped;
  clamped.AddValue(2.0f, 5.0f);  // width clamped to 1
  clamped.AddValue(4.0f, -1.0f);  // width clamped to 0
  clamped.Recalc();
  EXPECT_EQ(clamped.Keys()[0].width, 1.0f);
  EXPECT_EQ(clamped.Keys()[1].width, 0.0f);
  EXPECT_EQ(clamped.GetValue(0.0f), 2.0f);
  EXPECT_NEAR(clamped.GetValue(0.5f), 3.0f, 1e-6f);
  EXPECT_NEAR(clamped.GetValue(1.0f), 2.0f + 2.0f * 255.0f / 256.0f, 1e-5f);

  math::Ramp shortRamp;
  shortRamp.AddValue(3.0f, 0.25f);
  shortRamp.Recalc();  // past the only segment the last key's value holds
  EXPECT_EQ(shortRamp.GetValue(0.1f), 3.0f);
  EXPECT_EQ(shortRamp.GetValue(0.9f), 3.0f);
}

TEST(StepNumberedFileNameTest, StepsTheTrailingNumber) {
  struct Case {
    const char* path;
    bool up;
    bool ok;
    const char* out;
  };
  const Case cases[] = {
      {"shot004.bmp", true, true, "shot005.bmp"},
      {"level10", false, true, "level09"},
      {"shot99.bmp", true, true, "shot100.bmp"},
      {"C:\\saves\\run.7\\shot9.bmp", true, true, "C:\\saves\\run.7\\shot10.bmp"},
      {"dir.v2/name", true, false, "unchanged"},  // the folder's digits do not count
      {"shot.bmp", true, false, "unchanged"},
      {"level0", false, false, "unchanged"},
      {"100%_done7.txt", true, true, "100%_done8.txt"},  // "%" stays literal
      {"%s%d%n1", true, true, "%s%d%n2"},
      {"a99999999999999999999", true, false, "unchanged"},  // too many digits
  };
  for (const Case& c : cases) {
    std::string out = "unchanged";
    EXPECT_EQ(StepNumberedFileName(c.path, out, c.up), c.ok) << c.path;
    EXPECT_EQ(out, c.out) << c.path;
  }
}

}  // namespace
