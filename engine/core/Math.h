#pragma once

#include <cmath>

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

}  // namespace math
