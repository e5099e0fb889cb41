#include "engine/graphics/Camera.h"

#include "engine/core/Log.h"

namespace camera {

namespace {

constexpr float kDegreesToRadians = 0.017453292f;

D3DXVECTOR3 ToD3DX(const math::Vec3& v) { return {v.x, v.y, v.z}; }

math::Vec3 Normalized(math::Vec3 v) { return v.Normalize(); }

// Column c of m as (a, b, c, d).
math::Vec4 Column(const D3DXMATRIX& m, int c) {
  return {m.m[0][c], m.m[1][c], m.m[2][c], m.m[3][c]};
}

// The plane of a vector, negated so that its normal points out of the view volume.
math::Plane OutwardPlane(const math::Vec4& v) {
  math::Plane plane;
  plane.normal = math::Vec3(-v.x, -v.y, -v.z);
  plane.d = -v.w;
  return plane;
}

}  // namespace

Frustum::Frustum() {
  for (math::Plane& plane : planes) {
    plane.normal = math::Vec3(0.0f, 0.0f, 0.0f);
    plane.d = 0.0f;
  }
}

AbstractCamera::AbstractCamera(const math::Vec3& eye, const math::Vec3& target,
                               const math::Vec3& up, float fieldOfView, float aspect,
                               const math::Vec2& nearFar) {
  D3DXMatrixIdentity(&view_);
  D3DXMatrixIdentity(&projection_);
  D3DXMatrixIdentity(&viewProjection_);
  D3DXMatrixIdentity(&inverseViewProjection_);
  D3DXMatrixIdentity(&inverseView_);
  D3DXMatrixIdentity(&inverseProjection_);
  LOG_LINE(MSG_INIT) << "Camera created";
  LookAt(eye, target, up);
  SetPerspective(fieldOfView, aspect, nearFar);
}

AbstractCamera::~AbstractCamera() { LOG_LINE(MSG_COMMENT) << "Camera Destroyed"; }

void AbstractCamera::LookAt(const math::Vec3& eye, const math::Vec3& target,
                            const math::Vec3& up) {
  eye_ = eye;
  direction_ = Normalized(target - eye);
  right_ = Normalized(up.Cross(direction_));
  up_ = Normalized(direction_.Cross(right_));

  const D3DXVECTOR3 d3dEye = ToD3DX(eye);
  const D3DXVECTOR3 d3dTarget = ToD3DX(target);
  const D3DXVECTOR3 d3dUp = ToD3DX(up_);
  D3DXMatrixLookAtLH(&view_, &d3dEye, &d3dTarget, &d3dUp);
  UpdateMatrices();
}

void AbstractCamera::SetPerspective(float fieldOfView, float aspect, const math::Vec2& nearFar) {
  D3DXMatrixIdentity(&projection_);
  fieldOfView_ = fieldOfView;
  aspect_ = aspect;
  near_ = nearFar.x;
  far_ = nearFar.y;
  D3DXMatrixPerspectiveFovLH(&projection_, fieldOfView * kDegreesToRadians, aspect, near_, far_);
  UpdateMatrices();
}

void AbstractCamera::UpdateMatrices() {
  D3DXMatrixMultiply(&viewProjection_, &view_, &projection_);
  // A matrix without an inverse (a degenerate camera) leaves the previous inverse in place.
  D3DXMatrixInverse(&inverseViewProjection_, nullptr, &viewProjection_);
  D3DXMatrixInverse(&inverseView_, nullptr, &view_);
  D3DXMatrixInverse(&inverseProjection_, nullptr, &projection_);

  // The planes of the view volume from the columns of view x projection.
  const math::Vec4 c1 = Column(viewProjection_, 0);
  const math::Vec4 c2 = Column(viewProjection_, 1);
  const math::Vec4 c3 = Column(viewProjection_, 2);
  const math::Vec4 c4 = Column(viewProjection_, 3);
  frustum_.planes[Frustum::kLeft] = OutwardPlane(c4 + c1);
  frustum_.planes[Frustum::kRight] = OutwardPlane(c4 - c1);
  frustum_.planes[Frustum::kTop] = OutwardPlane(c4 - c2);
  frustum_.planes[Frustum::kBottom] = OutwardPlane(c4 + c2);
  frustum_.planes[Frustum::kNear] = OutwardPlane(c3);
  frustum_.planes[Frustum::kFar] = OutwardPlane(c4 - c3);
}

void AbstractCamera::Refresh(const AbstractCamera& source) {
  // Copies first: the source may be this camera, whose values LookAt rewrites.
  const math::Vec3 eye = source.eye_;
  const math::Vec3 direction = source.direction_;
  const math::Vec3 up = source.up_;
  const float fieldOfView = source.fieldOfView_;
  const float aspect = source.aspect_;
  const math::Vec2 nearFar(source.near_, source.far_);
  LookAt(eye, eye + direction, up);
  SetPerspective(fieldOfView, aspect, nearFar);
}

void AbstractCamera::RotateFrom(const AbstractCamera& source, const D3DXQUATERNION& rotation) {
  // Turns the source's view direction and up vector by the rotation and looks from the
  // source's eye along them. (Reading an eye and a target out of rotation x view, the other
  // way to go about it, takes the view's translation row for the eye and a direction for a
  // target point, which puts the camera in the wrong place.)
  D3DXMATRIX turn;
  D3DXMatrixRotationQuaternion(&turn, &rotation);
  auto rotate = [&](const math::Vec3& v) {  // the row vector v times the rotation
    return math::Vec3(v.x * turn.m[0][0] + v.y * turn.m[1][0] + v.z * turn.m[2][0],
                      v.x * turn.m[0][1] + v.y * turn.m[1][1] + v.z * turn.m[2][1],
                      v.x * turn.m[0][2] + v.y * turn.m[1][2] + v.z * turn.m[2][2]);
  };
  const math::Vec3 eye = source.eye_;
  const math::Vec3 direction = rotate(source.direction_);
  const math::Vec3 up = rotate(source.up_);
  const float fieldOfView = source.fieldOfView_;
  const float aspect = source.aspect_;
  const math::Vec2 nearFar(source.near_, source.far_);
  LookAt(eye, eye + direction, up);
  SetPerspective(fieldOfView, aspect, nearFar);
}

void AbstractCamera::Update(float dt) {
  if (controller_) controller_->Update(*this, dt);
}

void AbstractCamera::SetViewport(const Viewport& viewport) {
  viewport_ = std::make_unique<Viewport>(viewport);
}

void AbstractCamera::ClearViewport() { viewport_.reset(); }

void AbstractCamera::SetController(std::unique_ptr<CameraController> controller) {
  controller_ = std::move(controller);
}

Camera::Camera(const math::Vec3& eye, const math::Vec3& target, const math::Vec3& up,
               float fieldOfView, float aspect, const math::Vec2& nearFar)
    : AbstractCamera(eye, target, up, fieldOfView, aspect, nearFar) {
  // Without a renderer, or before it has a size, the camera keeps the 1 x 1 screen and the
  // aspect it was given rather than dividing by zero.
  const Graphics* graphics = GetGraphics();
  if (graphics && graphics->width > 0 && graphics->height > 0) {
    screenWidth_ = graphics->width;
    screenHeight_ = graphics->height;
    SetPerspective(fieldOfView, static_cast<float>(screenWidth_) / static_cast<float>(screenHeight_),
                   nearFar);
  }
}

bool Camera::BeginRender(uint32_t clearFlags) {
  Graphics* graphics = GetGraphics();
  if (!graphics || !graphics->BeginFrame()) return false;
  graphics->SetTransform(TK_View, &view_.m[0][0]);
  graphics->SetTransform(TK_Projection, &projection_.m[0][0]);
  if (viewport_) graphics->SetViewport(*viewport_);
  const bool clear = (clearFlags & 1u) != 0;
  graphics->Clear(clearColor_, 1.0f, 0, clear, clear, clear);
  return true;
}

bool Camera::EndRender() {
  if (Graphics* graphics = GetGraphics()) graphics->EndFrame();
  return true;
}

bool Camera::Present() {
  Graphics* graphics = GetGraphics();
  return graphics && graphics->Present();
}

}  // namespace camera
