#pragma once

#include <cstdint>

namespace swf {

class stream;

struct point {
  float m_x = 0.0f;
  float m_y = 0.0f;
  point() = default;
  point(float x, float y) : m_x(x), m_y(y) {}
  bool operator==(const point& other) const;
};

// 2x3 affine transform in twips: (x, y) -> (m[0][0] x + m[0][1] y + m[0][2], ...).
struct matrix {
  float m_[2][3];

  matrix() { set_identity(); }
  static const matrix identity;

  void set_identity();
  void read(stream* in);
  void concatenate(const matrix& m);
  void concatenate_translation(float tx, float ty);
  void concatenate_scale(float s);
  void set_lerp(const matrix& a, const matrix& b, float t);
  void set_scale_rotation(float x_scale, float y_scale, float angle);
  void transform(point* result, const point& p) const;
  void transform_by_inverse(point* result, const point& p) const;
  void set_inverse(const matrix& m);
  float get_x_scale() const;
  float get_y_scale() const;
  float get_max_scale() const;
  float get_rotation() const;
  bool operator==(const matrix& other) const;
};

struct rgba {
  uint8_t m_r = 255, m_g = 255, m_b = 255, m_a = 255;
  rgba() = default;
  rgba(uint8_t r, uint8_t g, uint8_t b, uint8_t a) : m_r(r), m_g(g), m_b(b), m_a(a) {}
  void read(stream* in, int tag_type);
  void read_rgba(stream* in);
  void read_rgb(stream* in);
  void set_lerp(const rgba& a, const rgba& b, float t);
  bool operator==(const rgba& other) const {
    return m_r == other.m_r && m_g == other.m_g && m_b == other.m_b && m_a == other.m_a;
  }
};

// Colour transform: per channel (red, green, blue, alpha) a multiplier and an add term.
struct cxform {
  float m_[4][2];

  cxform() { set_identity(); }
  static const cxform identity;

  void set_identity();
  void concatenate(const cxform& other);
  rgba transform(const rgba& in) const;
  void read_rgb(stream* in);
  void read_rgba(stream* in);
  bool operator==(const cxform& other) const;
};

struct rect {
  float m_x_min = 0.0f, m_x_max = 0.0f, m_y_min = 0.0f, m_y_max = 0.0f;

  void read(stream* in);
  bool point_test(float x, float y) const;
  void expand_to_point(float x, float y);
  point get_corner(int i) const;
  void enclose_transformed_rect(const matrix& m, const rect& r);
  void set_lerp(const rect& a, const rect& b, float t);
  float width() const { return m_x_max - m_x_min; }
  float height() const { return m_y_max - m_y_min; }
  bool operator==(const rect& other) const;
};

}  // namespace swf
