#include "engine/core/Math.h"

#include <algorithm>

namespace math {

namespace {
float WrapDegrees(float angle) {
  if (angle > 360.0f) return angle - 360.0f;
  if (angle < 0.0f) return angle + 360.0f;
  return angle;
}

Vec3 Perpendicular(const Vec3& v, const Vec3& reference) {
  return reference.Cross(v).Normalize();
}
}  // namespace

void Rotator::Update(float dt) {
  float step = dt * speed;
  float diff = std::fabs(target - current);
  if (diff > 180.0f) step = -step;  // the other way round is shorter

  if (diff < std::fabs(step)) {
    current = target;
  } else if (target > current) {
    current += step;
  } else {
    current -= step;
  }
  if (snap && std::fabs(target - current) < std::fabs(speed)) current = target;

  current = WrapDegrees(current);
  target = WrapDegrees(target);
}

Vec2 Rotator::GetDirection() const {
  float a = current * 0.01745f;
  return {-std::sin(a), -std::sin(a + 1.57079f)};
}

Vec3 Curve::Evaluate(float t) const {
  if (points.empty() || !(t >= 0.0f)) return {};
  // Without a segment length there is no position along the curve but the start.
  if (!(segmentTime > 0.0f)) return points.front();

  const int last = static_cast<int>(points.size()) - 1;
  float segments = t / segmentTime;
  // Past the end every control point is the last one; the cap keeps the index in range.
  float capped = std::min(segments, static_cast<float>(last + 1));
  int seg = static_cast<int>(capped);
  // The fraction of the segment, so that the curve meets its points at the segment
  // boundaries whatever the segment time (not the seconds into the segment, which would
  // overshoot and jump for segment times above one second).
  float u = std::min(segments - static_cast<float>(seg), 1.0f);

  auto point = [&](int index) { return points[std::clamp(index, 0, last)]; };
  const Vec3 p0 = point(seg - 1);
  const Vec3 p1 = point(seg);
  const Vec3 p2 = point(seg + 1);
  const Vec3 p3 = point(seg + 2);
  const float u2 = u * u;
  const float u3 = u2 * u;

  switch (mode) {
    case kLinear:
      return p1 + (p2 - p1) * u;
    case kHermite:
      // p0 and p2 are the end points, p1 and p3 their tangents.
      return p0 * (2 * u3 - 3 * u2 + 1) + p1 * (u3 - 2 * u2 + u) + p2 * (-2 * u3 + 3 * u2) +
             p3 * (u3 - u2);
    case kCatmullRom:
      return (p0 * (-u3 + 2 * u2 - u) + p1 * (3 * u3 - 5 * u2 + 2) + p2 * (-3 * u3 + 4 * u2 + u) +
              p3 * (u3 - u2)) *
             0.5f;
    default:
      return p0;
  }
}

Vec3 PerpendicularFromZ(const Vec3& v) {
  return Perpendicular(v, std::fabs(v.z) > 0.99f ? Vec3(0, 1, 0) : Vec3(0, 0, 1));
}

Vec3 PerpendicularFromX(const Vec3& v) {
  return Perpendicular(v, std::fabs(v.x) > 0.99f ? Vec3(0, 1, 0) : Vec3(1, 0, 0));
}

void Ramp::AddValue(float value, float width) {
  keys_.push_back({value, std::clamp(width, 0.0f, 1.0f)});
}

void Ramp::Recalc() {
  if (keys_.empty()) {
    std::fill(std::begin(table_), std::end(table_), 0.0f);
    return;
  }
  std::stable_sort(keys_.begin(), keys_.end(),
                   [](const Key& a, const Key& b) { return a.value < b.value; });

  int pos = 0;
  for (size_t k = 0; k < keys_.size(); ++k) {
    int span = static_cast<int>(keys_[k].width * kTableSize);
    int end = pos + span;
    if (span > 0) {
      float from = keys_[k].value;
      float to = (k + 1 < keys_.size()) ? keys_[k + 1].value : from;
      float step = (to - from) / static_cast<float>(span);
      for (int i = std::max(pos, 0); i < std::min(end, kTableSize); ++i) {
        table_[i] = from + static_cast<float>(i - pos) * step;
      }
    }
    pos = end;
  }
  for (int i = pos; i < kTableSize; ++i) table_[i] = keys_.back().value;
}

float Ramp::GetValue(float x) const {
  float scaled = x * kTableSize;
  int i = 0;
  if (scaled >= kTableSize - 1) {
    i = kTableSize - 1;
  } else if (scaled > 0.0f) {  // also sends NaN to entry 0
    i = static_cast<int>(scaled);
  }
  return table_[i];
}

}  // namespace math

bool StepNumberedFileName(const std::string& path, std::string& out, bool up) {
  // Windows path rules: an optional drive "X:", folders ended by "\" or "/", then the file
  // name, whose extension starts at its last ".".
  size_t nameStart = (path.size() >= 2 && path[1] == ':') ? 2 : 0;
  size_t separator = path.find_last_of("\\/");
  if (separator != std::string::npos && separator >= nameStart) nameStart = separator + 1;
  size_t dot = path.rfind('.');
  size_t nameEnd = (dot != std::string::npos && dot >= nameStart) ? dot : path.size();

  size_t digitsStart = nameEnd;
  while (digitsStart > nameStart && path[digitsStart - 1] >= '0' && path[digitsStart - 1] <= '9') {
    --digitsStart;
  }
  const size_t width = nameEnd - digitsStart;
  if (width == 0) return false;

  unsigned long long value = 0;
  for (size_t i = digitsStart; i < nameEnd; ++i) {
    if (value > (~0ULL - 9) / 10) return false;  // too many digits to step
    value = value * 10 + static_cast<unsigned>(path[i] - '0');
  }
  if (!up && value == 0) return false;
  if (up && value == ~0ULL) return false;
  value = up ? value + 1 : value - 1;

  // The name is put together piece by piece rather than through a printf format, so a
  // "%" in the name stays as it is.
  std::string digits = std::to_string(value);
  if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
  out = path.substr(0, digitsStart) + digits + path.substr(nameEnd);
  return true;
}
