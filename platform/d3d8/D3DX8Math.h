#pragma once

// The D3DX 8 math helpers the camera and the 3-D paths call. Matrices are row-major and
// transform row vectors (v * M), left-handed, as in Direct3D.

#include "platform/d3d8/D3D8Types.h"

constexpr float D3DX_PI = 3.141592654f;

struct D3DXVECTOR2 {
  float x = 0, y = 0;
  D3DXVECTOR2() = default;
  D3DXVECTOR2(float x_, float y_) : x(x_), y(y_) {}
};

struct D3DXVECTOR3 : D3DVECTOR {
  D3DXVECTOR3() : D3DVECTOR{0, 0, 0} {}
  D3DXVECTOR3(float x_, float y_, float z_) : D3DVECTOR{x_, y_, z_} {}
  D3DXVECTOR3 operator+(const D3DXVECTOR3& o) const { return {x + o.x, y + o.y, z + o.z}; }
  D3DXVECTOR3 operator-(const D3DXVECTOR3& o) const { return {x - o.x, y - o.y, z - o.z}; }
  D3DXVECTOR3 operator*(float s) const { return {x * s, y * s, z * s}; }
};

struct D3DXVECTOR4 {
  float x = 0, y = 0, z = 0, w = 0;
  D3DXVECTOR4() = default;
  D3DXVECTOR4(float x_, float y_, float z_, float w_) : x(x_), y(y_), z(z_), w(w_) {}
};

struct D3DXQUATERNION {
  float x = 0, y = 0, z = 0, w = 1;
  D3DXQUATERNION() = default;
  D3DXQUATERNION(float x_, float y_, float z_, float w_) : x(x_), y(y_), z(z_), w(w_) {}
};

struct D3DXMATRIX : D3DMATRIX {
  D3DXMATRIX() : D3DMATRIX{} {}
  D3DXMATRIX(const D3DMATRIX& m) : D3DMATRIX(m) {}
  D3DXMATRIX(float m11, float m12, float m13, float m14, float m21, float m22, float m23,
             float m24, float m31, float m32, float m33, float m34, float m41, float m42,
             float m43, float m44);
  float& operator()(int row, int col) { return m[row][col]; }
  float operator()(int row, int col) const { return m[row][col]; }
  D3DXMATRIX operator*(const D3DXMATRIX& other) const;
  bool operator==(const D3DXMATRIX& other) const;
};

D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* out);
bool D3DXMatrixIsIdentity(const D3DXMATRIX* m);
// out = a * b (a applied first); out may be a or b.
D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b);
D3DXMATRIX* D3DXMatrixTranspose(D3DXMATRIX* out, const D3DXMATRIX* m);
float D3DXMatrixDeterminant(const D3DXMATRIX* m);
// Null (and out untouched) when m is not invertible; determinant may be null.
D3DXMATRIX* D3DXMatrixInverse(D3DXMATRIX* out, float* determinant, const D3DXMATRIX* m);
D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* out, float x, float y, float z);
D3DXMATRIX* D3DXMatrixScaling(D3DXMATRIX* out, float sx, float sy, float sz);
// Angles in radians, clockwise when looking along the axis towards the origin.
D3DXMATRIX* D3DXMatrixRotationX(D3DXMATRIX* out, float angle);
D3DXMATRIX* D3DXMatrixRotationY(D3DXMATRIX* out, float angle);
D3DXMATRIX* D3DXMatrixRotationZ(D3DXMATRIX* out, float angle);
D3DXMATRIX* D3DXMatrixRotationQuaternion(D3DXMATRIX* out, const D3DXQUATERNION* q);
D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* out, const D3DXVECTOR3* eye, const D3DXVECTOR3* at,
                               const D3DXVECTOR3* up);
// fovY in radians; depth 0 at zn, 1 at zf.
D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* out, float fovY, float aspect, float zn,
                                       float zf);
D3DXMATRIX* D3DXMatrixOrthoLH(D3DXMATRIX* out, float width, float height, float zn, float zf);
D3DXMATRIX* D3DXMatrixOrthoOffCenterLH(D3DXMATRIX* out, float left, float right, float bottom,
                                       float top, float zn, float zf);

float D3DXVec3Dot(const D3DXVECTOR3* a, const D3DXVECTOR3* b);
float D3DXVec3Length(const D3DXVECTOR3* v);
D3DXVECTOR3* D3DXVec3Cross(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b);
// A zero vector stays zero.
D3DXVECTOR3* D3DXVec3Normalize(D3DXVECTOR3* out, const D3DXVECTOR3* v);
// (v, 1) * m, divided by the resulting w.
D3DXVECTOR3* D3DXVec3TransformCoord(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DXMATRIX* m);
// (v, 1) * m.
D3DXVECTOR4* D3DXVec3Transform(D3DXVECTOR4* out, const D3DXVECTOR3* v, const D3DXMATRIX* m);
