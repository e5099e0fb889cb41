#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "engine/core/Math.h"
#include "engine/graphics/Graphics.h"
#include "platform/d3d8/D3DX8Math.h"

namespace camera {

class AbstractCamera;

// Six planes (a, b, c, d as normal and d) of the view volume, all zero until the camera
// computes them. Their normals point out of the volume; they are not normalised.
struct Frustum {
  enum Side { kLeft, kRight, kTop, kBottom, kNear, kFar, kSideCount };
  Frustum();
  math::Plane planes[kSideCount];
};

// Moves a camera every update; the camera owns its controller.
class CameraController {
 public:
  virtual ~CameraController() = default;
  virtual void Update(AbstractCamera& camera, float dt) = 0;
};

// The view and projection transforms of a frame: a left-handed look-at view and a
// perspective projection (Direct3D conventions, row vectors), their product, inverses and
// view volume, plus the clear colour, an optional viewport and an optional controller.
class AbstractCamera {
 public:
  // nearFar: x the near clip distance, y the far one. The field of view is vertical, in
  // degrees. Logs "Camera created".
  AbstractCamera(const math::Vec3& eye, const math::Vec3& target, const math::Vec3& up,
                 float fieldOfView, float aspect, const math::Vec2& nearFar);
  // Logs "Camera Destroyed".
  virtual ~AbstractCamera();
  AbstractCamera(const AbstractCamera&) = delete;
  AbstractCamera& operator=(const AbstractCamera&) = delete;

  // Starts the frame's drawing: false when nothing can be drawn this frame.
  virtual bool BeginRender(uint32_t clearFlags) = 0;
  virtual bool EndRender() = 0;
  // Takes the source's eye, direction, up and perspective and rebuilds every matrix; on
  // itself it rebuilds them from its stored values.
  virtual void Refresh(const AbstractCamera& source);
  // Looks from the source's eye along the source's direction and up turned by the
  // rotation, with the source's perspective.
  virtual void RotateFrom(const AbstractCamera& source, const D3DXQUATERNION& rotation);
  // Runs the controller, if any.
  virtual void Update(float dt);

  // The up vector is made orthogonal to the view direction.
  void LookAt(const math::Vec3& eye, const math::Vec3& target, const math::Vec3& up);
  void SetPerspective(float fieldOfView, float aspect, const math::Vec2& nearFar);

  void SetClearColor(uint32_t color) { clearColor_ = color; }
  uint32_t GetClearColor() const { return clearColor_; }
  // The viewport BeginRender hands to the renderer; none at construction.
  void SetViewport(const Viewport& viewport);
  void ClearViewport();
  const Viewport* GetViewport() const { return viewport_.get(); }
  // Takes ownership; null removes the controller.
  void SetController(std::unique_ptr<CameraController> controller);

  const D3DXMATRIX& GetView() const { return view_; }
  const D3DXMATRIX& GetProjection() const { return projection_; }
  const D3DXMATRIX& GetViewProjection() const { return viewProjection_; }
  const D3DXMATRIX& GetInverseViewProjection() const { return inverseViewProjection_; }
  const D3DXMATRIX& GetInverseView() const { return inverseView_; }
  const D3DXMATRIX& GetInverseProjection() const { return inverseProjection_; }
  const Frustum& GetFrustum() const { return frustum_; }
  const math::Vec3& GetEye() const { return eye_; }
  const math::Vec3& GetDirection() const { return direction_; }
  const math::Vec3& GetUp() const { return up_; }
  const math::Vec3& GetRight() const { return right_; }
  float GetFieldOfView() const { return fieldOfView_; }
  float GetAspect() const { return aspect_; }
  math::Vec2 GetNearFar() const { return {near_, far_}; }
  uint32_t GetScreenWidth() const { return screenWidth_; }
  uint32_t GetScreenHeight() const { return screenHeight_; }

 protected:
  // View-projection, the three inverses and the frustum from the view and projection.
  void UpdateMatrices();

  D3DXMATRIX view_;
  math::Vec3 eye_;
  math::Vec3 direction_;
  math::Vec3 up_;
  math::Vec3 right_;
  D3DXMATRIX projection_;
  float fieldOfView_ = 0.0f;
  float aspect_ = 0.0f;
  float near_ = 0.0f;
  float far_ = 0.0f;
  Frustum frustum_;
  D3DXMATRIX viewProjection_;
  D3DXMATRIX inverseViewProjection_;
  D3DXMATRIX inverseView_;
  D3DXMATRIX inverseProjection_;
  uint32_t clearColor_ = 0xFF000000;
  uint32_t screenHeight_ = 1;
  uint32_t screenWidth_ = 1;
  std::unique_ptr<Viewport> viewport_;
  std::unique_ptr<CameraController> controller_;
};

// The application's camera: brackets each frame on the renderer. Its aspect follows the
// renderer's screen size at construction.
class Camera : public AbstractCamera {
 public:
  Camera(const math::Vec3& eye, const math::Vec3& target, const math::Vec3& up,
         float fieldOfView, float aspect, const math::Vec2& nearFar);

  // BeginFrame, the view and projection transforms, the viewport when there is one, then
  // a clear to the clear colour when bit 0 of clearFlags is set. False when the renderer
  // cannot begin the frame (or there is none).
  bool BeginRender(uint32_t clearFlags) override;
  // EndFrame; true.
  bool EndRender() override;
  // Shows the frame; false without a renderer.
  bool Present();
};

}  // namespace camera
