#include <gtest/gtest.h>

#include <vector>

#include "engine/core/Spline.h"

namespace {

using math::Spline;
using math::Vec2;

void Fill(Spline& spline, const std::vector<Vec2>& nodes) {
  spline.Clear();
  for (const Vec2& node : nodes) spline.AddNode(node);
}

void ExpectNear(const Vec2& actual, const Vec2& expected, float tolerance = 1e-5f) {
  EXPECT_NEAR(actual.x, expected.x, tolerance);
  EXPECT_NEAR(actual.y, expected.y, tolerance);
}

const std::vector<Vec2> kWavy = {{0.1f, 0.2f}, {0.3f, 0.6f}, {0.5f, 0.1f},
                                 {0.7f, 0.8f}, {0.8f, 0.3f}, {0.95f, 0.5f}};

TEST(SplineTest, GetNodeGivesNullOutsideTheList) {
  Spline spline;
  EXPECT_EQ(spline.GetNode(0), nullptr);
  Fill(spline, {{0.1f, 0.2f}, {0.3f, 0.4f}});
  EXPECT_EQ(spline.GetNode(-1), nullptr);
  EXPECT_EQ(spline.GetNode(2), nullptr);
  ASSERT_NE(spline.GetNode(1), nullptr);
  EXPECT_EQ(spline.GetNode(1)->pos, Vec2(0.3f, 0.4f));
}

TEST(SplineTest, ConstructionValues) {
  Spline spline(0.001f);
  EXPECT_EQ(spline.maxNodes, 50);
  EXPECT_EQ(spline.drawSteps, 10);
  EXPECT_EQ(spline.subdivisions, 20);
  EXPECT_EQ(spline.yScale, 1.0f);
  EXPECT_EQ(spline.nodeRadius, 0.02f);
  EXPECT_EQ(spline.segmentRadius, 0.02f);
  EXPECT_EQ(spline.mode, Spline::kCatmullRom);
  EXPECT_EQ(spline.GetNodeCount(), 0);
  EXPECT_EQ(spline.GetLength(), 0.0f);
}

TEST(SplineTest, InterpolateSegmentMeetsTheInnerPointsInEveryMode) {
  const Vec2 p0(0.1f, 0.9f), p1(0.2f, 0.3f), p2(0.6f, 0.4f), p3(0.9f, 0.95f);
  Spline spline;
  for (int mode : {0, 1, 2, -1, 7}) {
    SCOPED_TRACE(mode);
    spline.mode = mode;
    ExpectNear(spline.InterpolateSegment(0.0f, p0, p1, p2, p3), p1);
    ExpectNear(spline.InterpolateSegment(1.0f, p0, p1, p2, p3), p2);
  }
}

TEST(SplineTest, InterpolateSegmentMidpointsAgainstClosedForms) {
  const Vec2 p0(0.1f, 0.9f), p1(0.2f, 0.3f), p2(0.6f, 0.4f), p3(0.9f, 0.95f);
  Spline spline;
  // Catmull-Rom at one half: (-p0 + 9 p1 + 9 p2 - p3) / 16.
  ExpectNear(spline.InterpolateSegment(0.5f, p0, p1, p2, p3),
             (p1 * 9.0f + p2 * 9.0f - p0 - p3) * (1.0f / 16.0f));
  // Hermite at one half: the mean of the ends plus an eighth of the tangents' difference.
  spline.mode = Spline::kHermite;
  ExpectNear(spline.InterpolateSegment(0.5f, p0, p1, p2, p3),
             (p1 + p2) * 0.5f + ((p2 - p0) - (p3 - p1)) * 0.125f);
  spline.mode = 2;
  ExpectNear(spline.InterpolateSegment(0.25f, p0, p1, p2, p3), p1 + (p2 - p1) * 0.25f);
}

TEST(SplineTest, PathHoldsAtMostMaxNodes) {
  Spline spline;
  for (int i = 0; i < 50; ++i) spline.AddNode({0.01f * static_cast<float>(i), 0.5f});
  spline.AddNode({0.9f, 0.9f});
  spline.InsertNode({0.9f, 0.9f}, 0);
  EXPECT_EQ(spline.GetNodeCount(), 50);
  EXPECT_EQ(spline.GetNode(0)->pos, Vec2(0.0f, 0.5f));
  ExpectNear(spline.GetNode(49)->pos, {0.49f, 0.5f});
}

TEST(SplineTest, InsertRemoveAndSetKeepTheNodeOrder) {
  Spline spline;
  Fill(spline, {{0.1f, 0.1f}, {0.3f, 0.3f}});
  spline.InsertNode({0.2f, 0.2f}, 1);
  spline.InsertNode({0.0f, 0.0f}, 0);
  spline.InsertNode({0.4f, 0.4f}, 99);  // past the end: appended
  spline.InsertNode({0.5f, 0.5f}, -7);  // negative: appended
  ASSERT_EQ(spline.GetNodeCount(), 6);
  for (int i = 0; i < 6; ++i) EXPECT_NEAR(spline.GetNode(i)->pos.x, 0.1f * i, 1e-6f) << i;

  spline.RemoveNode(6);
  spline.RemoveNode(-1);
  EXPECT_EQ(spline.GetNodeCount(), 6);
  spline.RemoveNode(0);
  EXPECT_EQ(spline.GetNode(0)->pos, Vec2(0.1f, 0.1f));
  spline.SetNode(9, {1.0f, 1.0f});
  spline.SetNode(1, {0.25f, 0.75f});
  EXPECT_EQ(spline.GetNode(1)->pos, Vec2(0.25f, 0.75f));
}

TEST(SplineTest, LengthAndPointOnAStraightLineOfThreeNodes) {
  Spline spline;
  Fill(spline, {{0.0f, 0.5f}, {0.1f, 0.5f}, {0.2f, 0.5f}});
  EXPECT_NEAR(spline.GetLength(), 0.2f, 1e-5f);
  // The curve is not spaced evenly in its parameter: half-way along the second segment's
  // length is its parameter one half, which lies at 0.15625.
  ExpectNear(spline.GetPoint(0.15f), {0.15625f, 0.5f});
}

TEST(SplineTest, PointsAtTheEnds) {
  Spline spline;
  ExpectNear(spline.GetPoint(0.1f), {0.0f, 0.0f});
  ExpectNear(spline.GetSegmentPoint(0, 0.5f), {0.0f, 0.0f});
  spline.AddNode({0.4f, 0.4f});
  ExpectNear(spline.GetPoint(0.1f), {0.0f, 0.0f});  // one node is not a path yet
  EXPECT_EQ(spline.GetLength(), 0.0f);

  Fill(spline, kWavy);
  const Vec2 first = kWavy.front(), last = kWavy.back();
  ExpectNear(spline.GetPoint(-1.0f), first);
  ExpectNear(spline.GetPoint(0.0f), first);
  ExpectNear(spline.GetPoint(spline.GetLength()), last);
  ExpectNear(spline.GetPoint(100.0f), last);

  struct Case { int index; float s; Vec2 expected; };
  for (const Case& c : {Case{-1, 0.5f, first}, Case{5, 0.5f, last}, Case{9, 0.5f, last},
                        Case{2, -0.1f, kWavy[2]}, Case{2, 1.1f, kWavy[3]},
                        Case{2, 0.0f, kWavy[2]}, Case{2, 1.0f, kWavy[3]}}) {
    SCOPED_TRACE(c.index);
    ExpectNear(spline.GetSegmentPoint(c.index, c.s), c.expected);
  }
}

TEST(SplineTest, YScaleDividesVerticalDistances) {
  Spline spline;
  Fill(spline, {{0.5f, 0.0f}, {0.5f, 0.1f}, {0.5f, 0.2f}});
  spline.yScale = 2.0f;
  EXPECT_NEAR(spline.GetLength(), 0.1f, 1e-5f);
  int32_t index = -1;
  EXPECT_TRUE(spline.FindNode({0.5f, 0.135f}, 0.02f, index));  // 0.035 / 2 apart
  EXPECT_EQ(index, 1);
}

// After any edit, the cached lengths must match those of a path built fresh with the same
// nodes: a segment's curve depends on the node before it and the one after it too.
TEST(SplineTest, EditsRecomputeEverySegmentTheyReshape) {
  enum Op { kSet, kInsert, kRemove };
  struct Case { Op op; int index; };
  for (const Case& c : {Case{kSet, 0}, Case{kSet, 2}, Case{kSet, 3}, Case{kSet, 5},
                        Case{kInsert, 0}, Case{kInsert, 2}, Case{kInsert, 4}, Case{kInsert, -1},
                        Case{kRemove, 0}, Case{kRemove, 2}, Case{kRemove, 3}, Case{kRemove, 5}}) {
    SCOPED_TRACE(testing::Message() << "op " << c.op << " at " << c.index);
    Spline edited;
    Fill(edited, kWavy);
    const float before = edited.GetLength();
    std::vector<Vec2> nodes = kWavy;
    const Vec2 moved(0.45f, 0.95f);
    switch (c.op) {
      case kSet:
        edited.SetNode(c.index, moved);
        nodes[static_cast<size_t>(c.index)] = moved;
        break;
      case kInsert:
        edited.InsertNode(moved, c.index);
        nodes.insert(c.index < 0 ? nodes.end() : nodes.begin() + c.index, moved);
        break;
      case kRemove:
        edited.RemoveNode(c.index);
        nodes.erase(nodes.begin() + c.index);
        break;
    }
    Spline fresh;
    Fill(fresh, nodes);
    EXPECT_NE(edited.GetLength(), before);
    EXPECT_NEAR(edited.GetLength(), fresh.GetLength(), 1e-5f);
    for (float d : {0.1f, 0.4f, 0.8f, 1.2f}) ExpectNear(edited.GetPoint(d), fresh.GetPoint(d));
  }
}

TEST(SplineTest, FindNodeTakesTheFirstWithinTheRadius) {
  Spline spline;
  Fill(spline, {{0.5f, 0.5f}, {0.51f, 0.5f}, {0.8f, 0.8f}});
  int32_t index = -1;
  EXPECT_TRUE(spline.FindNode({0.505f, 0.5f}, 0.0f, index));  // default radius 0.02
  EXPECT_EQ(index, 0);
  EXPECT_TRUE(spline.FindNode({0.8f, 0.79f}, -1.0f, index));
  EXPECT_EQ(index, 2);
  EXPECT_FALSE(spline.FindNode({0.8f, 0.75f}, 0.0f, index));
  EXPECT_TRUE(spline.FindNode({0.8f, 0.75f}, 0.06f, index));
}

TEST(SplineTest, FindSegmentWorksOnChordsWithTheFootStrictlyInside) {
  Spline spline;
  Fill(spline, {{0.2f, 0.5f}, {0.4f, 0.5f}, {0.4f, 0.5f}, {0.4f, 0.7f}});
  int32_t index = -1;
  Vec2 foot;
  EXPECT_TRUE(spline.FindSegment({0.3f, 0.51f}, 0.0f, index, foot));
  EXPECT_EQ(index, 0);
  ExpectNear(foot, {0.3f, 0.5f});
  // The node between the chords is no chord's inner foot.
  EXPECT_FALSE(spline.FindSegment({0.2f, 0.49f}, 0.0f, index, foot));
  // The chord between the two equal nodes is skipped; the next one is found.
  EXPECT_TRUE(spline.FindSegment({0.41f, 0.6f}, 0.0f, index, foot));
  EXPECT_EQ(index, 2);
  ExpectNear(foot, {0.4f, 0.6f});
  EXPECT_FALSE(spline.FindSegment({0.3f, 0.55f}, 0.02f, index, foot));
  EXPECT_TRUE(spline.FindSegment({0.3f, 0.55f}, 0.06f, index, foot));

  Spline single;
  single.AddNode({0.3f, 0.5f});
  EXPECT_FALSE(single.FindSegment({0.3f, 0.5f}, 1.0f, index, foot));
}

TEST(SplineTest, NearestPointProjectsOntoTheCurve) {
  Spline spline;
  Fill(spline, {{0.0f, 0.5f}, {0.5f, 0.5f}, {1.0f, 0.5f}});
  Vec2 pos;
  ASSERT_TRUE(spline.NearestPoint({0.3f, 0.51f}, 0.0f, pos));
  ExpectNear(pos, {0.3f, 0.5f}, 1e-3f);
  ASSERT_TRUE(spline.NearestPoint({0.7f, 0.49f}, 0.0125f, pos));
  ExpectNear(pos, {0.7f, 0.5f}, 1e-3f);

  // 0.05 away: the widened search (up to a tenth of the length) finds the segment, but
  // the point is farther than the radius from the curve.
  EXPECT_FALSE(spline.NearestPoint({0.3f, 0.55f}, 0.0f, pos));
  // Beyond the widest search.
  EXPECT_FALSE(spline.NearestPoint({0.3f, 0.7f}, 0.0f, pos));
  // A radius that takes the point in.
  EXPECT_TRUE(spline.NearestPoint({0.3f, 0.55f}, 0.06f, pos));
}

TEST(SplineTest, NearestPointOnACurvedSegmentLiesOnTheCurve) {
  Spline spline;
  Fill(spline, kWavy);
  // A point just off the curve at a known parameter.
  const Vec2 onCurve = spline.GetSegmentPoint(2, 0.4f);
  Vec2 pos;
  ASSERT_TRUE(spline.NearestPoint(onCurve + Vec2(0.004f, 0.0f), 0.02f, pos));
  EXPECT_LT((pos - onCurve).Magnitude(), 0.01f);
}

TEST(SplineTest, ClearEmptiesThePath) {
  Spline spline;
  Fill(spline, kWavy);
  EXPECT_GT(spline.GetLength(), 0.0f);
  spline.Clear();
  EXPECT_EQ(spline.GetNodeCount(), 0);
  EXPECT_EQ(spline.GetLength(), 0.0f);
  spline.AddNode({0.0f, 0.0f});
  spline.AddNode({0.3f, 0.0f});
  EXPECT_NEAR(spline.GetLength(), 0.3f, 1e-5f);
}

}  // namespace
