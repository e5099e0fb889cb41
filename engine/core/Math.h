#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace math {

// Plain float vectors. Screen positions and sizes are Vec2 fractions of the 800 x 600 play
// area; colours are Vec4 red, green, blue, alpha.
struct Vec2 {
  float x = 0.0f;
  float y = 0.0f;

  constexpr Vec2() = default;
  constexpr Vec2(float x_, float y_) : x(x_), y(y_) {}

  float Magnitude() const { return std::sqrt(x * x + y * y); }
  float MagSqr() const { return x * x + y * y; }
  // A zero vector is left unchanged.
  Vec2& Normalize() {
    float length = Magnitude();
    if (length != 0.0f) {
      float inv = 1.0f / length;
      x *= inv;
      y *= inv;
    }
    return *this;
  }

  Vec2 operator+(const Vec2& o) const { return {x + o.x, y + o.y}; }
  Vec2 operator-(const Vec2& o) const { return {x - o.x, y - o.y}; }
  Vec2 operator-() const { return {-x, -y}; }
  Vec2 operator*(float s) const { return {x * s, y * s}; }
  Vec2 operator/(float s) const { float inv = 1.0f / s; return {x * inv, y * inv}; }
  float operator*(const Vec2& o) const { return x * o.x + y * o.y; }  // dot product
  Vec2& operator+=(const Vec2& o) { x += o.x; y += o.y; return *this; }
  Vec2& operator-=(const Vec2& o) { x -= o.x; y -= o.y; return *this; }
  Vec2& operator*=(float s) { x *= s; y *= s; return *this; }
  bool operator==(const Vec2& o) const { return x == o.x && y == o.y; }
};
inline Vec2 operator*(float s, const Vec2& v) { return v * s; }

struct Vec3 {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;

  constexpr Vec3() = default;
  constexpr Vec3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

  float Magnitude() const { return std::sqrt(x * x + y * y + z * z); }
  float MagSqr() const { return x * x + y * y + z * z; }
  Vec3& Normalize() {
    float length = Magnitude();
    if (length != 0.0f) {
      float inv = 1.0f / length;
      x *= inv;
      y *= inv;
      z *= inv;
    }
    return *this;
  }

  Vec3 operator+(const Vec3& o) const { return {x + o.x, y + o.y, z + o.z}; }
  Vec3 operator-(const Vec3& o) const { return {x - o.x, y - o.y, z - o.z}; }
  Vec3 operator-() const { return {-x, -y, -z}; }
  Vec3 operator*(float s) const { return {x * s, y * s, z * s}; }
  Vec3 operator/(float s) const { float inv = 1.0f / s; return {x * inv, y * inv, z * inv}; }
  float Dot(const Vec3& o) const { return x * o.x + y * o.y + z * o.z; }
  // Cross product a x b.
  Vec3 Cross(const Vec3& b) const {
    return {y * b.z - z * b.y, z * b.x - x * b.z, x * b.y - y * b.x};
  }
  Vec3& operator+=(const Vec3& o) { x += o.x; y += o.y; z += o.z; return *this; }
  Vec3& operator*=(float s) { x *= s; y *= s; z *= s; return *this; }
  bool operator==(const Vec3& o) const { return x == o.x && y == o.y && z == o.z; }
};
inline Vec3 operator*(float s, const Vec3& v) { return v * s; }

struct Vec4 {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
  float w = 0.0f;

  constexpr Vec4() = default;
  constexpr Vec4(float x_, float y_, float z_, float w_) : x(x_), y(y_), z(z_), w(w_) {}

  Vec4 operator+(const Vec4& o) const { return {x + o.x, y + o.y, z + o.z, w + o.w}; }
  Vec4 operator-(const Vec4& o) const { return {x - o.x, y - o.y, z - o.z, w - o.w}; }
  Vec4 operator*(float s) const { return {x * s, y * s, z * s, w * s}; }
  bool operator==(const Vec4& o) const { return x == o.x && y == o.y && z == o.z && w == o.w; }
};
inline Vec4 operator*(float s, const Vec4& v) { return v * s; }

// A plane's value: a normal and a distance word. Planes (the camera's frustum) start from
// the normal (0, 1, 0) and distance 0 before their owner sets them.
struct Plane {
  Vec3 normal{0.0f, 1.0f, 0.0f};
  float d = 0.0f;
};
static_assert(sizeof(Plane) == 16);

// An angle in degrees that turns towards a target at a speed in degrees per second,
// taking the shorter way round. Angle 0 points up the screen (negative y).
struct Rotator {
  float current = 0.0f;
  float target = 0.0f;
  float speed = 0.0f;
  bool snap = true;  // land on the target once it is closer than speed

  Rotator() = default;
  Rotator(float speed_, float angle) : current(angle), target(angle), speed(speed_), snap(true) {}

  void Update(float dt);
  // (-sin a, -cos a) of the current angle.
  Vec2 GetDirection() const;
};

// A plain 4 x 4 value.
struct Matrix {
  float m[16] = {};

  void Set(const Matrix& other) {
    Matrix copy = other;
    *this = copy;
  }
};

// A curve through points, one segment per segmentTime seconds.
struct Curve {
  enum Mode : int { kLinear = 0, kHermite = 1, kCatmullRom = 2 };

  int mode = kLinear;
  std::vector<Vec3> points;
  float segmentTime = 1.0f;  // seconds per segment

  // The point at t seconds; (0, 0, 0) with no points or a negative t.
  Vec3 Evaluate(float t) const;
};

// The normalised cross product of a reference axis and v: the axis is z (x), or y when v
// lies almost along it.
Vec3 PerpendicularFromZ(const Vec3& v);
Vec3 PerpendicularFromX(const Vec3& v);

// A 256-entry lookup table built from keys {value, width}: sorted by value, each key ramps
// linearly to the next key's value over width x 256 entries, one after the other from
// entry 0; the entries after the last segment hold the last key's value. Scripts know it
// as "FloatRamp".
class Ramp {
 public:
  static constexpr int kTableSize = 256;
  struct Key {
    float value;
    float width;  // fraction of the table, within [0, 1]
  };

  void AddValue(float value, float width);
  void Recalc();
  // Entry x x 256 (truncated, clamped to 0..255) for x a fraction in [0, 1].
  float GetValue(float x) const;

  const std::vector<Key>& Keys() const { return keys_; }

 private:
  std::vector<Key> keys_;
  float table_[kTableSize] = {};  // all zero until the first Recalc
};

// A number from a data file as an integer: truncated toward zero, clamped to the range of
// int32_t first (a cast of a value beyond it is undefined), and fallback when NaN.
inline int32_t ToClampedInt(double value, int32_t fallback) {
  if (std::isnan(value)) return fallback;
  if (value >= 2147483647.0) return 2147483647;
  if (value <= -2147483648.0) return -2147483647 - 1;
  return static_cast<int32_t>(value);
}

}  // namespace math

// Steps the run of digits at the end of a file name up or down by one, keeping at least
// as many digits: "shot004.bmp" up gives "shot005.bmp", "level10" down gives "level09".
// False (and out unchanged) when the name ends in no digits or the number would go below 0.
bool StepNumberedFileName(const std::string& path, std::string& out, bool up);
