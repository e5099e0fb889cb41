#pragma once

#include <cstdint>

#include "engine/core/Math.h"
#include "engine/core/Path.h"

namespace math {

// A path with a smooth curve through its nodes: it measures its arc length, returns the
// point at a distance along it, picks nodes and segments near a point and projects a
// point onto the curve. Segment i runs from node i to node i + 1; its control points are
// node i - 1 (node 0 for the first), i, i + 1 and i + 2 (node i + 1 for the last), so the
// curve passes through every node. Vertical distances are divided by yScale.
class Spline : public Path {
 public:
  enum Mode : int32_t { kCatmullRom = 0, kHermite = 1 };  // any other value: linear

  // Every user passes 0.001; nothing here reads it.
  explicit Spline(float param = 0.001f);
  ~Spline() override;

  // The point at s in [0, 1] on the segment from p1 to p2, by the mode: Catmull-Rom over
  // the four points; Hermite from p1 to p2 with the tangents p2 - p0 and p3 - p1 (a
  // looser curve than Catmull-Rom, whose tangents are half of those); any other mode a
  // straight line. Every mode gives p1 at s = 0 and p2 at s = 1.
  Vec2 InterpolateSegment(float s, const Vec2& p0, const Vec2& p1, const Vec2& p2,
                          const Vec2& p3) const;
  // Segment `index` (which must have both ends) at s, through InterpolateSegment.
  Vec2 Interpolate(int32_t index, float s) const;

  // Arc length of the whole path (0 below two nodes); segment lengths are computed on
  // demand and kept until an edit touches them.
  float GetLength();
  // The point at an arc length from the first node: node 0 at or below 0, the last node at
  // or past the end, (0, 0) below two nodes.
  Vec2 GetPoint(float distance);
  // Segment `index` at s: node 0 for a negative index, the last node for an index past the
  // last segment, the segment's ends for s outside [0, 1]; (0, 0) below two nodes.
  Vec2 GetSegmentPoint(int32_t index, float s) const;

  // The first node closer than radius to the point (nodeRadius when radius is not
  // positive).
  bool FindNode(const Vec2& point, float radius, int32_t& index) const;
  // The first straight chord between two nodes whose foot from the point falls strictly
  // inside it and lies closer than radius (segmentRadius when not positive).
  bool FindSegment(const Vec2& point, float radius, int32_t& index, Vec2& foot) const;
  // The point of the curve nearest to `point`, found within radius (segmentRadius when not
  // positive) after a chord search that widens up to the smaller of subdivisions x radius
  // and a tenth of the length.
  bool NearestPoint(const Vec2& point, float radius, Vec2& pos);

  int32_t mode = kCatmullRom;
  int32_t drawSteps = 10;     // straight pieces per segment when the draw queue draws it
  int32_t subdivisions = 20;  // pieces per segment for lengths and the projection
  float yScale = 1.0f;
  float nodeRadius = 0.02f;
  float segmentRadius = 0.02f;
  float param = 0.0f;

 private:
  // Node i's segment length, computed and cached when not known.
  float SegmentLength(int32_t index);
  float ScaledDistance(const Vec2& a, const Vec2& b) const;
};

}  // namespace math
