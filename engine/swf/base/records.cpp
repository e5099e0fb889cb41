#include "engine/swf/base/records.h"

#include <cmath>
#include <cstring>

#include "engine/swf/base/stream.h"

namespace swf {

bool point::operator==(const point& other) const {
  return std::memcmp(&m_x, &other.m_x, sizeof(float)) == 0 && std::memcmp(&m_y, &other.m_y, sizeof(float)) == 0;
}

const matrix matrix::identity;

void matrix::set_identity() {
  m_[0][0] = 1.0f, m_[0][1] = 0.0f, m_[0][2] = 0.0f;
  m_[1][0] = 0.0f, m_[1][1] = 1.0f, m_[1][2] = 0.0f;
}

void matrix::read(stream* in) {
  in->align();
  set_identity();
  if (in->read_uint(1)) {
    int bits = static_cast<int>(in->read_uint(5));
    m_[0][0] = static_cast<float>(in->read_sint(bits)) / 65536.0f;
    m_[1][1] = static_cast<float>(in->read_sint(bits)) / 65536.0f;
  }
  if (in->read_uint(1)) {
    int bits = static_cast<int>(in->read_uint(5));
    m_[1][0] = static_cast<float>(in->read_sint(bits)) / 65536.0f;
    m_[0][1] = static_cast<float>(in->read_sint(bits)) / 65536.0f;
  }
  int bits = static_cast<int>(in->read_uint(5));
  if (bits > 0) {
    m_[0][2] = static_cast<float>(in->read_sint(bits));
    m_[1][2] = static_cast<float>(in->read_sint(bits));
  }
}

void matrix::concatenate(const matrix& m) {
  matrix t;
  for (int i = 0; i < 2; ++i) {
    for (int j = 0; j < 3; ++j) {
      t.m_[i][j] = m_[i][0] * m.m_[0][j] + m_[i][1] * m.m_[1][j];
    }
    t.m_[i][2] += m_[i][2];
  }
  *this = t;
}

void matrix::concatenate_translation(float tx, float ty) {
  m_[0][2] += m_[0][0] * tx + m_[0][1] * ty;
  m_[1][2] += m_[1][0] * tx + m_[1][1] * ty;
}

void matrix::concatenate_scale(float s) {
  m_[0][0] *= s, m_[0][1] *= s, m_[1][0] *= s, m_[1][1] *= s;
}

void matrix::set_lerp(const matrix& a, const matrix& b, float t) {
  for (int i = 0; i < 2; ++i) {
    for (int j = 0; j < 3; ++j) m_[i][j] = a.m_[i][j] + (b.m_[i][j] - a.m_[i][j]) * t;
  }
}

void matrix::set_scale_rotation(float x_scale, float y_scale, float angle) {
  float c = std::cos(angle), s = std::sin(angle);
  m_[0][0] = c * x_scale;
  m_[0][1] = -s * y_scale;
  m_[1][0] = s * x_scale;
  m_[1][1] = c * y_scale;
}

void matrix::transform(point* result, const point& p) const {
  float x = m_[0][0] * p.m_x + m_[0][1] * p.m_y + m_[0][2];
  float y = m_[1][0] * p.m_x + m_[1][1] * p.m_y + m_[1][2];
  result->m_x = x;
  result->m_y = y;
}

void matrix::transform_by_inverse(point* result, const point& p) const {
  matrix inverse;
  inverse.set_inverse(*this);
  inverse.transform(result, p);
}

void matrix::set_inverse(const matrix& m) {
  float det = m.m_[0][0] * m.m_[1][1] - m.m_[0][1] * m.m_[1][0];
  if (det == 0.0f) {
    set_identity();
    m_[0][2] = -m.m_[0][2];
    m_[1][2] = -m.m_[1][2];
    return;
  }
  float inv = 1.0f / det;
  matrix r;
  r.m_[0][0] = m.m_[1][1] * inv;
  r.m_[1][1] = m.m_[0][0] * inv;
  r.m_[0][1] = -m.m_[0][1] * inv;
  r.m_[1][0] = -m.m_[1][0] * inv;
  r.m_[0][2] = -(r.m_[0][0] * m.m_[0][2] + r.m_[0][1] * m.m_[1][2]);
  r.m_[1][2] = -(r.m_[1][0] * m.m_[0][2] + r.m_[1][1] * m.m_[1][2]);
  *this = r;
}

// The scales are the lengths of the columns, which set_scale_rotation writes: the x
// axis maps to (m[0][0], m[1][0]) and the y axis to (m[0][1], m[1][1]). A mirrored matrix
// has a negative x scale.
float matrix::get_x_scale() const {
  float scale = std::sqrt(m_[0][0] * m_[0][0] + m_[1][0] * m_[1][0]);
  if (m_[0][0] * m_[1][1] - m_[1][0] * m_[0][1] < 0.0f) scale = -scale;
  return scale;
}

float matrix::get_y_scale() const { return std::sqrt(m_[0][1] * m_[0][1] + m_[1][1] * m_[1][1]); }

float matrix::get_max_scale() const {
  float a = m_[0][0] * m_[0][0] + m_[0][1] * m_[0][1];
  float b = m_[1][0] * m_[1][0] + m_[1][1] * m_[1][1];
  return std::sqrt(a > b ? a : b);
}

// The angle of the x axis. A mirrored matrix has a negative x scale, so its x axis
// points against the angle: both terms are negated, and set_scale_rotation with the
// scales and the angle read back gives the same matrix.
float matrix::get_rotation() const {
  float det = m_[0][0] * m_[1][1] - m_[0][1] * m_[1][0];
  return det >= 0.0f ? std::atan2(m_[1][0], m_[0][0]) : std::atan2(-m_[1][0], -m_[0][0]);
}

bool matrix::operator==(const matrix& other) const { return std::memcmp(m_, other.m_, sizeof(m_)) == 0; }

const cxform cxform::identity;

void cxform::set_identity() {
  for (auto& channel : m_) {
    channel[0] = 1.0f;
    channel[1] = 0.0f;
  }
}

void cxform::concatenate(const cxform& other) {
  for (int i = 0; i < 4; ++i) {
    m_[i][1] += other.m_[i][1] * m_[i][0];
    m_[i][0] *= other.m_[i][0];
  }
}

rgba cxform::transform(const rgba& in) const {
  auto channel = [&](int i, uint8_t c) {
    float v = static_cast<float>(c) * m_[i][0] + m_[i][1];
    if (!(v > 0.0f)) v = 0.0f;  // NaN too
    if (v > 255.0f) v = 255.0f;
    return static_cast<uint8_t>(v);
  };
  return rgba(channel(0, in.m_r), channel(1, in.m_g), channel(2, in.m_b), channel(3, in.m_a));
}

namespace {

// The shared layout of both colour transform records: flags, a bit count, then the
// multipliers and add terms of the given number of channels.
void read_cxform_channels(stream* in, cxform* cx, int channels, float alpha_add_when_added) {
  in->align();
  bool has_add = in->read_uint(1) != 0;
  bool has_mult = in->read_uint(1) != 0;
  int bits = static_cast<int>(in->read_uint(4));
  cx->set_identity();
  if (has_mult) {
    for (int i = 0; i < channels; ++i) cx->m_[i][0] = static_cast<float>(in->read_sint(bits)) / 255.0f;
  }
  if (has_add) {
    for (int i = 0; i < channels; ++i) cx->m_[i][1] = static_cast<float>(in->read_sint(bits));
    if (channels == 3) cx->m_[3][1] = alpha_add_when_added;
  }
}

}  // namespace

// A colour transform without alpha that has add terms gets an alpha add term of 1.0.
void cxform::read_rgb(stream* in) { read_cxform_channels(in, this, 3, 1.0f); }

void cxform::read_rgba(stream* in) { read_cxform_channels(in, this, 4, 0.0f); }

bool cxform::operator==(const cxform& other) const { return std::memcmp(m_, other.m_, sizeof(m_)) == 0; }

void rgba::read(stream* in, int tag_type) {
  if (tag_type > 22) {
    read_rgba(in);
  } else {
    read_rgb(in);
  }
}

void rgba::read_rgba(stream* in) {
  m_r = in->read_u8();
  m_g = in->read_u8();
  m_b = in->read_u8();
  m_a = in->read_u8();
}

void rgba::read_rgb(stream* in) {
  m_r = in->read_u8();
  m_g = in->read_u8();
  m_b = in->read_u8();
  m_a = 255;
}

void rgba::set_lerp(const rgba& a, const rgba& b, float t) {
  auto lerp = [t](uint8_t x, uint8_t y) {
    return static_cast<uint8_t>(static_cast<int>((static_cast<float>(y) - x) * t + x + 0.5f));
  };
  m_r = lerp(a.m_r, b.m_r);
  m_g = lerp(a.m_g, b.m_g);
  m_b = lerp(a.m_b, b.m_b);
  m_a = lerp(a.m_a, b.m_a);
}

void rect::read(stream* in) {
  in->align();
  int bits = static_cast<int>(in->read_uint(5));
  m_x_min = static_cast<float>(in->read_sint(bits));
  m_x_max = static_cast<float>(in->read_sint(bits));
  m_y_min = static_cast<float>(in->read_sint(bits));
  m_y_max = static_cast<float>(in->read_sint(bits));
}

bool rect::point_test(float x, float y) const {
  return x >= m_x_min && x <= m_x_max && y >= m_y_min && y <= m_y_max;
}

void rect::expand_to_point(float x, float y) {
  if (x < m_x_min) m_x_min = x;
  if (x > m_x_max) m_x_max = x;
  if (y < m_y_min) m_y_min = y;
  if (y > m_y_max) m_y_max = y;
}

point rect::get_corner(int i) const {
  switch (i & 3) {
    case 0: return {m_x_min, m_y_min};
    case 1: return {m_x_max, m_y_min};
    case 2: return {m_x_max, m_y_max};
    default: return {m_x_min, m_y_max};
  }
}

void rect::enclose_transformed_rect(const matrix& m, const rect& r) {
  point p;
  m.transform(&p, r.get_corner(0));
  m_x_min = m_x_max = p.m_x;
  m_y_min = m_y_max = p.m_y;
  for (int i = 1; i < 4; ++i) {
    m.transform(&p, r.get_corner(i));
    expand_to_point(p.m_x, p.m_y);
  }
}

void rect::set_lerp(const rect& a, const rect& b, float t) {
  m_x_min = a.m_x_min + (b.m_x_min - a.m_x_min) * t;
  m_x_max = a.m_x_max + (b.m_x_max - a.m_x_max) * t;
  m_y_min = a.m_y_min + (b.m_y_min - a.m_y_min) * t;
  m_y_max = a.m_y_max + (b.m_y_max - a.m_y_max) * t;
}

bool rect::operator==(const rect& other) const {
  return m_x_min == other.m_x_min && m_x_max == other.m_x_max && m_y_min == other.m_y_min &&
         m_y_max == other.m_y_max;
}

}  // namespace swf
