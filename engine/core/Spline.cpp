#include "engine/core/Spline.h"

#include <algorithm>
#include <cmath>

namespace math {

Spline::Spline(float param_) : param(param_) {}

Spline::~Spline() = default;

Vec2 Spline::InterpolateSegment(float s, const Vec2& p0, const Vec2& p1, const Vec2& p2,
                                const Vec2& p3) const {
  const float s2 = s * s;
  const float s3 = s2 * s;
  switch (mode) {
    case kCatmullRom:
      return (p1 * 2.0f + (p2 - p0) * s + (p0 * 2.0f - p1 * 5.0f + p2 * 4.0f - p3) * s2 +
              (p1 * 3.0f - p0 - p2 * 3.0f + p3) * s3) *
             0.5f;
    case kHermite: {
      const Vec2 t1 = p2 - p0;
      const Vec2 t2 = p3 - p1;
      return p1 * (2.0f * s3 - 3.0f * s2 + 1.0f) + t1 * (s3 - 2.0f * s2 + s) +
             p2 * (-2.0f * s3 + 3.0f * s2) + t2 * (s3 - s2);
    }
    default:
      return p1 + (p2 - p1) * s;
  }
}

Vec2 Spline::Interpolate(int32_t index, float s) const {
  const int32_t last = GetNodeCount() - 1;
  auto node = [&](int32_t i) { return GetNode(std::clamp(i, 0, last))->pos; };
  // Clamping repeats the end node at either end of the path.
  return InterpolateSegment(s, node(index - 1), node(index), node(index + 1), node(index + 2));
}

float Spline::ScaledDistance(const Vec2& a, const Vec2& b) const {
  const float dx = b.x - a.x;
  const float dy = (b.y - a.y) / yScale;
  return std::sqrt(dx * dx + dy * dy);
}

float Spline::SegmentLength(int32_t index) {
  PathNode* node = GetNode(index);
  if (node->length >= 0.0f) return node->length;
  float length = 0.0f;
  Vec2 prev = node->pos;
  for (int32_t k = 1; k <= subdivisions; ++k) {
    const Vec2 q = Interpolate(index, static_cast<float>(k) / static_cast<float>(subdivisions));
    length += ScaledDistance(prev, q);
    prev = q;
  }
  node->length = length;
  return length;
}

float Spline::GetLength() {
  if (totalLength_ >= 0.0f) return totalLength_;
  float total = 0.0f;
  for (int32_t i = 0; i + 1 < GetNodeCount(); ++i) total += SegmentLength(i);
  totalLength_ = total;
  return total;
}

Vec2 Spline::GetSegmentPoint(int32_t index, float s) const {
  const int32_t count = GetNodeCount();
  if (count < 2) return {};
  if (index < 0) return GetNode(0)->pos;
  if (index >= count - 1) return GetNode(count - 1)->pos;
  if (s < 0.0f) return GetNode(index)->pos;
  if (s > 1.0f) return GetNode(index + 1)->pos;
  return Interpolate(index, s);
}

Vec2 Spline::GetPoint(float distance) {
  const int32_t count = GetNodeCount();
  if (count < 2) return {};
  if (distance <= 0.0f) return GetNode(0)->pos;
  if (distance >= GetLength()) return GetNode(count - 1)->pos;
  for (int32_t i = 0; i + 1 < count; ++i) {
    const float length = SegmentLength(i);
    if (distance < length) return GetSegmentPoint(i, distance / length);
    distance -= length;
  }
  return GetNode(count - 1)->pos;
}

bool Spline::FindNode(const Vec2& point, float radius, int32_t& index) const {
  const float r = radius > 0.0f ? radius : nodeRadius;
  for (int32_t i = 0; i < GetNodeCount(); ++i) {
    if (ScaledDistance(GetNode(i)->pos, point) < r) {
      index = i;
      return true;
    }
  }
  return false;
}

bool Spline::FindSegment(const Vec2& point, float radius, int32_t& index, Vec2& foot) const {
  if (GetNodeCount() < 2) return false;
  const float r = radius > 0.0f ? radius : segmentRadius;
  for (int32_t i = 0; i + 1 < GetNodeCount(); ++i) {
    const Vec2 a = GetNode(i)->pos;
    const Vec2 ab = GetNode(i + 1)->pos - a;
    const float lengthSqr = ab.MagSqr();
    if (lengthSqr <= 0.0f) continue;  // two nodes on one spot have no chord to project on
    const float t = ((point - a) * ab) / lengthSqr;
    if (!(t > 0.0f && t < 1.0f)) continue;
    const Vec2 f = a + ab * t;
    if ((point - f).Magnitude() < r) {
      index = i;
      foot = f;
      return true;
    }
  }
  return false;
}

bool Spline::NearestPoint(const Vec2& point, float radius, Vec2& pos) {
  const float r = radius > 0.0f ? radius : segmentRadius;
  const float limit = std::min(static_cast<float>(subdivisions) * r, 0.1f * GetLength());

  int32_t segment = -1;
  Vec2 foot;
  bool found = FindSegment(point, r, segment, foot);
  for (int32_t k = 2; !found && static_cast<float>(k) * r < limit; ++k) {
    found = FindSegment(point, static_cast<float>(k) * r, segment, foot);
  }
  if (!found) return false;

  // Refine on the curve of that one segment, chord by chord.
  bool hasFoot = false;
  float best = 0.0f;
  float bestS = 0.0f;
  Vec2 start = GetNode(segment)->pos;
  for (int32_t k = 1; k <= subdivisions; ++k) {
    const Vec2 end = Interpolate(segment, static_cast<float>(k) / static_cast<float>(subdivisions));
    const Vec2 chord = end - start;
    const float lengthSqr = chord.MagSqr();
    if (lengthSqr > 0.0f) {
      const float t = ((point - start) * chord) / lengthSqr;
      if (t >= 0.0f && t <= 1.0f) {
        const Vec2 f = start + chord * t;
        const float distance = (point - f).Magnitude();
        if (!hasFoot || distance < best) {
          hasFoot = true;
          best = distance;
          bestS = (static_cast<float>(k - 1) + (f - start).Magnitude() / std::sqrt(lengthSqr)) /
                  static_cast<float>(subdivisions);
        }
      }
    }
    start = end;
  }
  if (!hasFoot || best > r) return false;

  float position = 0.0f;
  for (int32_t j = 0; j < segment; ++j) position += SegmentLength(j);
  position += bestS * SegmentLength(segment);
  pos = GetPoint(position);
  return true;
}

}  // namespace math
