#include "platform/d3d8/D3DX8Math.h"

#include <cmath>
#include <cstring>

D3DXMATRIX::D3DXMATRIX(float m11, float m12, float m13, float m14, float m21, float m22,
                       float m23, float m24, float m31, float m32, float m33, float m34,
                       float m41, float m42, float m43, float m44)
    : D3DMATRIX{} {
  const float values[16] = {m11, m12, m13, m14, m21, m22, m23, m24,
                            m31, m32, m33, m34, m41, m42, m43, m44};
  std::memcpy(m, values, sizeof(values));
}

D3DXMATRIX D3DXMATRIX::operator*(const D3DXMATRIX& other) const {
  D3DXMATRIX result;
  D3DXMatrixMultiply(&result, this, &other);
  return result;
}

bool D3DXMATRIX::operator==(const D3DXMATRIX& other) const {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      if (m[r][c] != other.m[r][c]) return false;
  return true;
}

D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* out) {
  *out = D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
  return out;
}

bool D3DXMatrixIsIdentity(const D3DXMATRIX* m) {
  D3DXMATRIX identity;
  D3DXMatrixIdentity(&identity);
  return *m == identity;
}

D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b) {
  D3DXMATRIX result;
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) {
      result.m[r][c] = a->m[r][0] * b->m[0][c] + a->m[r][1] * b->m[1][c] +
                       a->m[r][2] * b->m[2][c] + a->m[r][3] * b->m[3][c];
    }
  }
  *out = result;
  return out;
}

D3DXMATRIX* D3DXMatrixTranspose(D3DXMATRIX* out, const D3DXMATRIX* m) {
  D3DXMATRIX result;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) result.m[r][c] = m->m[c][r];
  *out = result;
  return out;
}

namespace {

// Cofactor expansion in double precision; cofactor(r, c) of the 4 x 4 matrix a.
double Minor3(const double a[4][4], int skipRow, int skipCol) {
  double sub[3][3];
  for (int r = 0, sr = 0; r < 4; ++r) {
    if (r == skipRow) continue;
    for (int c = 0, sc = 0; c < 4; ++c) {
      if (c == skipCol) continue;
      sub[sr][sc++] = a[r][c];
    }
    ++sr;
  }
  return sub[0][0] * (sub[1][1] * sub[2][2] - sub[1][2] * sub[2][1]) -
         sub[0][1] * (sub[1][0] * sub[2][2] - sub[1][2] * sub[2][0]) +
         sub[0][2] * (sub[1][0] * sub[2][1] - sub[1][1] * sub[2][0]);
}

void ToDouble(const D3DXMATRIX* m, double out[4][4]) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) out[r][c] = m->m[r][c];
}

double Determinant(const double a[4][4]) {
  double det = 0;
  for (int c = 0; c < 4; ++c) det += ((c % 2) ? -1.0 : 1.0) * a[0][c] * Minor3(a, 0, c);
  return det;
}

}  // namespace

float D3DXMatrixDeterminant(const D3DXMATRIX* m) {
  double a[4][4];
  ToDouble(m, a);
  return static_cast<float>(Determinant(a));
}

D3DXMATRIX* D3DXMatrixInverse(D3DXMATRIX* out, float* determinant, const D3DXMATRIX* m) {
  double a[4][4];
  ToDouble(m, a);
  const double det = Determinant(a);
  if (determinant) *determinant = static_cast<float>(det);
  if (det == 0.0 || !std::isfinite(det)) return nullptr;
  D3DXMATRIX result;
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) {
      const double sign = ((r + c) % 2) ? -1.0 : 1.0;
      // The inverse is the transposed cofactor matrix over the determinant.
      result.m[c][r] = static_cast<float>(sign * Minor3(a, r, c) / det);
    }
  }
  *out = result;
  return out;
}

D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* out, float x, float y, float z) {
  D3DXMatrixIdentity(out);
  out->_41 = x;
  out->_42 = y;
  out->_43 = z;
  return out;
}

D3DXMATRIX* D3DXMatrixScaling(D3DXMATRIX* out, float sx, float sy, float sz) {
  *out = D3DXMATRIX(sx, 0, 0, 0, 0, sy, 0, 0, 0, 0, sz, 0, 0, 0, 0, 1);
  return out;
}

D3DXMATRIX* D3DXMatrixRotationX(D3DXMATRIX* out, float angle) {
  const float c = std::cos(angle), s = std::sin(angle);
  *out = D3DXMATRIX(1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1);
  return out;
}

D3DXMATRIX* D3DXMatrixRotationY(D3DXMATRIX* out, float angle) {
  const float c = std::cos(angle), s = std::sin(angle);
  *out = D3DXMATRIX(c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1);
  return out;
}

D3DXMATRIX* D3DXMatrixRotationZ(D3DXMATRIX* out, float angle) {
  const float c = std::cos(angle), s = std::sin(angle);
  *out = D3DXMATRIX(c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
  return out;
}

D3DXMATRIX* D3DXMatrixRotationQuaternion(D3DXMATRIX* out, const D3DXQUATERNION* q) {
  const float x = q->x, y = q->y, z = q->z, w = q->w;
  *out = D3DXMATRIX(1 - 2 * (y * y + z * z), 2 * (x * y + z * w), 2 * (x * z - y * w), 0,
                    2 * (x * y - z * w), 1 - 2 * (x * x + z * z), 2 * (y * z + x * w), 0,
                    2 * (x * z + y * w), 2 * (y * z - x * w), 1 - 2 * (x * x + y * y), 0,
                    0, 0, 0, 1);
  return out;
}

D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* out, const D3DXVECTOR3* eye, const D3DXVECTOR3* at,
                               const D3DXVECTOR3* up) {
  D3DXVECTOR3 zaxis = *at - *eye;
  D3DXVec3Normalize(&zaxis, &zaxis);
  D3DXVECTOR3 xaxis;
  D3DXVec3Cross(&xaxis, up, &zaxis);
  D3DXVec3Normalize(&xaxis, &xaxis);
  D3DXVECTOR3 yaxis;
  D3DXVec3Cross(&yaxis, &zaxis, &xaxis);
  *out = D3DXMATRIX(xaxis.x, yaxis.x, zaxis.x, 0,
                    xaxis.y, yaxis.y, zaxis.y, 0,
                    xaxis.z, yaxis.z, zaxis.z, 0,
                    -D3DXVec3Dot(&xaxis, eye), -D3DXVec3Dot(&yaxis, eye),
                    -D3DXVec3Dot(&zaxis, eye), 1);
  return out;
}

D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* out, float fovY, float aspect, float zn,
                                       float zf) {
  const float yScale = 1.0f / std::tan(fovY / 2);
  const float xScale = yScale / aspect;
  const float q = zf / (zf - zn);
  *out = D3DXMATRIX(xScale, 0, 0, 0, 0, yScale, 0, 0, 0, 0, q, 1, 0, 0, -zn * q, 0);
  return out;
}

D3DXMATRIX* D3DXMatrixOrthoLH(D3DXMATRIX* out, float width, float height, float zn, float zf) {
  *out = D3DXMATRIX(2 / width, 0, 0, 0, 0, 2 / height, 0, 0, 0, 0, 1 / (zf - zn), 0, 0, 0,
                    zn / (zn - zf), 1);
  return out;
}

D3DXMATRIX* D3DXMatrixOrthoOffCenterLH(D3DXMATRIX* out, float left, float right, float bottom,
                                       float top, float zn, float zf) {
  *out = D3DXMATRIX(2 / (right - left), 0, 0, 0, 0, 2 / (top - bottom), 0, 0, 0, 0,
                    1 / (zf - zn), 0, (left + right) / (left - right),
                    (top + bottom) / (bottom - top), zn / (zn - zf), 1);
  return out;
}

float D3DXVec3Dot(const D3DXVECTOR3* a, const D3DXVECTOR3* b) {
  return a->x * b->x + a->y * b->y + a->z * b->z;
}

float D3DXVec3Length(const D3DXVECTOR3* v) { return std::sqrt(D3DXVec3Dot(v, v)); }

D3DXVECTOR3* D3DXVec3Cross(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b) {
  const D3DXVECTOR3 result(a->y * b->z - a->z * b->y, a->z * b->x - a->x * b->z,
                           a->x * b->y - a->y * b->x);
  *out = result;
  return out;
}

D3DXVECTOR3* D3DXVec3Normalize(D3DXVECTOR3* out, const D3DXVECTOR3* v) {
  const float length = D3DXVec3Length(v);
  *out = length > 0 ? *v * (1.0f / length) : D3DXVECTOR3();
  return out;
}

D3DXVECTOR4* D3DXVec3Transform(D3DXVECTOR4* out, const D3DXVECTOR3* v, const D3DXMATRIX* m) {
  const D3DXVECTOR4 result(
      v->x * m->_11 + v->y * m->_21 + v->z * m->_31 + m->_41,
      v->x * m->_12 + v->y * m->_22 + v->z * m->_32 + m->_42,
      v->x * m->_13 + v->y * m->_23 + v->z * m->_33 + m->_43,
      v->x * m->_14 + v->y * m->_24 + v->z * m->_34 + m->_44);
  *out = result;
  return out;
}

D3DXVECTOR3* D3DXVec3TransformCoord(D3DXVECTOR3* out, const D3DXVECTOR3* v,
                                    const D3DXMATRIX* m) {
  D3DXVECTOR4 h;
  D3DXVec3Transform(&h, v, m);
  const float invW = h.w != 0 ? 1.0f / h.w : 0.0f;
  *out = D3DXVECTOR3(h.x * invW, h.y * invW, h.z * invW);
  return out;
}
