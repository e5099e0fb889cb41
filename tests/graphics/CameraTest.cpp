#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "engine/graphics/Camera.h"
#include "tests/core/LogCapture.h"
#include "tests/graphics/FakeRenderer.h"

namespace {

using math::Vec2;
using math::Vec3;

// The application's camera: at the origin looking down +z, 60 degrees, near 1, far 5000.
std::unique_ptr<camera::Camera> MakeAppCamera() {
  return std::make_unique<camera::Camera>(Vec3(0, 0, 0), Vec3(0, 0, 1), Vec3(0, 1, 0), 60.0f,
                                          1.0f, Vec2(1.0f, 5000.0f));
}

void ExpectMatrixNear(const D3DXMATRIX& actual, const D3DXMATRIX& expected, float tolerance) {
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) {
      EXPECT_NEAR(actual.m[r][c], expected.m[r][c], tolerance) << "at " << r + 1 << c + 1;
    }
  }
}

// (v, 1) * m.
math::Vec4 Transform(const Vec3& v, const D3DXMATRIX& m) {
  math::Vec4 out;
  float* o[4] = {&out.x, &out.y, &out.z, &out.w};
  for (int c = 0; c < 4; ++c) *o[c] = v.x * m.m[0][c] + v.y * m.m[1][c] + v.z * m.m[2][c] + m.m[3][c];
  return out;
}

float PlaneValue(const math::Plane& plane, const Vec3& p) {
  return plane.normal.Dot(p) + plane.d;
}

TEST(CameraTest, PerspectiveMatchesTheLeftHandedClosedForm) {
  FakeRenderer fake(800, 600);
  auto cam = MakeAppCamera();
  EXPECT_NEAR(cam->GetAspect(), 4.0f / 3.0f, 1e-6f);
  EXPECT_EQ(cam->GetScreenWidth(), 800u);
  EXPECT_EQ(cam->GetScreenHeight(), 600u);

  const float yScale = 1.0f / std::tan(30.0f * 3.14159265f / 180.0f);
  const float xScale = yScale / (4.0f / 3.0f);
  const float q = 5000.0f / (5000.0f - 1.0f);
  const D3DXMATRIX expected(xScale, 0, 0, 0,
                            0, yScale, 0, 0,
                            0, 0, q, 1,
                            0, 0, -q * 1.0f, 0);
  ExpectMatrixNear(cam->GetProjection(), expected, 1e-5f);
  // The application's view is the identity.
  D3DXMATRIX identity;
  D3DXMatrixIdentity(&identity);
  ExpectMatrixNear(cam->GetView(), identity, 1e-6f);
  ExpectMatrixNear(cam->GetViewProjection(), expected, 1e-5f);
}

TEST(CameraTest, LookAtMatchesTheClosedForm) {
  FakeRenderer fake;
  auto cam = MakeAppCamera();
  const Vec3 eye(3, 4, 5), target(0, 1, 1);
  cam->LookAt(eye, target, Vec3(0, 1, 0));

  // Rows of the rotation part are the right, up and direction axes in its columns; the
  // last row takes the eye to the origin.
  const Vec3 z = (target - eye).Normalize();
  const Vec3 x = Vec3(0, 1, 0).Cross(z).Normalize();
  const Vec3 y = z.Cross(x);
  const D3DXMATRIX expected(x.x, y.x, z.x, 0,
                            x.y, y.y, z.y, 0,
                            x.z, y.z, z.z, 0,
                            -x.Dot(eye), -y.Dot(eye), -z.Dot(eye), 1);
  ExpectMatrixNear(cam->GetView(), expected, 1e-5f);

  const math::Vec4 atEye = Transform(eye, cam->GetView());
  EXPECT_NEAR(atEye.x, 0, 1e-5f);
  EXPECT_NEAR(atEye.y, 0, 1e-5f);
  EXPECT_NEAR(atEye.z, 0, 1e-5f);
  const math::Vec4 atTarget = Transform(target, cam->GetView());
  EXPECT_NEAR(atTarget.z, (target - eye).Magnitude(), 1e-5f);
}

TEST(CameraTest, LookAtMakesAnOrthonormalFrame) {
  FakeRenderer fake;
  auto cam = MakeAppCamera();
  for (const Vec3& up : {Vec3(0, 1, 1), Vec3(0.3f, 2.0f, -0.5f), Vec3(1, 1, 0)}) {
    cam->LookAt(Vec3(1, 2, 3), Vec3(-2, 0, 7), up);
    const Vec3 d = cam->GetDirection(), u = cam->GetUp(), r = cam->GetRight();
    for (const Vec3& v : {d, u, r}) EXPECT_NEAR(v.Magnitude(), 1.0f, 1e-5f);
    EXPECT_NEAR(d.Dot(u), 0.0f, 1e-5f);
    EXPECT_NEAR(d.Dot(r), 0.0f, 1e-5f);
    EXPECT_NEAR(u.Dot(r), 0.0f, 1e-5f);
    // Right is up x direction (left-handed), and the corrected up stays on the given side.
    const Vec3 cross = u.Cross(d);
    EXPECT_NEAR((cross - r).Magnitude(), 0.0f, 1e-5f);
    EXPECT_GT(u.Dot(up), 0.0f);
  }
  cam->LookAt(Vec3(0, 0, 0), Vec3(0, 0, 1), Vec3(0, 1, 1));
  EXPECT_NEAR((cam->GetUp() - Vec3(0, 1, 0)).Magnitude(), 0.0f, 1e-6f);
  EXPECT_NEAR((cam->GetRight() - Vec3(1, 0, 0)).Magnitude(), 0.0f, 1e-6f);
}

TEST(CameraTest, RefreshOnItselfLeavesTheMatricesUnchanged) {
  FakeRenderer fake;
  auto cam = MakeAppCamera();
  cam->LookAt(Vec3(1, 2, 3), Vec3(-2, 0, 7), Vec3(0, 1, 0));
  const D3DXMATRIX view = cam->GetView(), projection = cam->GetProjection();
  const D3DXMATRIX inverse = cam->GetInverseViewProjection();
  cam->Refresh(*cam);
  ExpectMatrixNear(cam->GetView(), view, 1e-5f);
  ExpectMatrixNear(cam->GetProjection(), projection, 1e-6f);
  ExpectMatrixNear(cam->GetInverseViewProjection(), inverse, 1e-3f);

  auto other = MakeAppCamera();
  other->Refresh(*cam);
  ExpectMatrixNear(other->GetView(), view, 1e-5f);
  EXPECT_EQ(other->GetAspect(), cam->GetAspect());
}

TEST(CameraTest, InversesUndoTheirMatrices) {
  FakeRenderer fake;
  auto cam = MakeAppCamera();
  cam->LookAt(Vec3(1, 2, 3), Vec3(-2, 0, 7), Vec3(0, 1, 0));
  D3DXMATRIX identity, product;
  D3DXMatrixIdentity(&identity);
  D3DXMatrixMultiply(&product, &cam->GetView(), &cam->GetInverseView());
  ExpectMatrixNear(product, identity, 1e-5f);
  D3DXMatrixMultiply(&product, &cam->GetProjection(), &cam->GetInverseProjection());
  ExpectMatrixNear(product, identity, 1e-4f);
  D3DXMatrixMultiply(&product, &cam->GetViewProjection(), &cam->GetInverseViewProjection());
  ExpectMatrixNear(product, identity, 1e-3f);
}

TEST(CameraTest, FrustumPlanesPointOutOfTheViewVolume) {
  FakeRenderer fake;
  auto cam = MakeAppCamera();
  const camera::Frustum& frustum = cam->GetFrustum();
  for (const Vec3& inside : {Vec3(0, 0, 10), Vec3(1, -1, 50), Vec3(0, 0, 4999)}) {
    for (int side = 0; side < camera::Frustum::kSideCount; ++side) {
      EXPECT_LT(PlaneValue(frustum.planes[side], inside), 0.0f) << "side " << side;
    }
  }
  struct Case { Vec3 point; camera::Frustum::Side side; };
  for (const Case& c : {Case{{0, 0, -10}, camera::Frustum::kNear},
                        Case{{0, 0, 0.5f}, camera::Frustum::kNear},
                        Case{{0, 0, 6000}, camera::Frustum::kFar},
                        Case{{-100, 0, 10}, camera::Frustum::kLeft},
                        Case{{100, 0, 10}, camera::Frustum::kRight},
                        Case{{0, 100, 10}, camera::Frustum::kTop},
                        Case{{0, -100, 10}, camera::Frustum::kBottom}}) {
    EXPECT_GT(PlaneValue(frustum.planes[c.side], c.point), 0.0f) << "side " << c.side;
  }
  // The near plane of the application's camera, not normalised: q (1 - z), q = far / (far - near).
  EXPECT_NEAR(frustum.planes[camera::Frustum::kNear].normal.z, -5000.0f / 4999.0f, 1e-5f);
}

TEST(CameraTest, FrameCallsReachTheRendererInOrder) {
  FakeRenderer fake;
  auto cam = MakeAppCamera();
  cam->SetClearColor(0xFF102030);
  ASSERT_TRUE(cam->BeginRender(1));
  EXPECT_TRUE(cam->EndRender());
  EXPECT_TRUE(cam->Present());
  EXPECT_EQ(fake.calls, (std::vector<std::string>{"BeginFrame", "SetTransform", "SetTransform",
                                                  "Clear", "EndFrame", "Present"}));
  ASSERT_EQ(fake.transforms.size(), 2u);
  EXPECT_EQ(fake.transforms[0].kind, TK_View);
  EXPECT_EQ(fake.transforms[1].kind, TK_Projection);
  for (size_t i = 0; i < 16; ++i) {
    EXPECT_EQ(fake.transforms[1].matrix[i], (&cam->GetProjection().m[0][0])[i]);
  }
  EXPECT_EQ(fake.clearColor, 0xFF102030u);
  EXPECT_TRUE(fake.clearedTarget);
}

TEST(CameraTest, BeginRenderWithAViewportAndWithoutClearing) {
  FakeRenderer fake;
  auto cam = MakeAppCamera();
  EXPECT_EQ(cam->GetClearColor(), 0xFF000000u);
  EXPECT_EQ(cam->GetViewport(), nullptr);
  cam->SetViewport(Viewport{10, 20, 300, 200, 0.0f, 1.0f});
  ASSERT_TRUE(cam->BeginRender(0));
  EXPECT_EQ(fake.calls, (std::vector<std::string>{"BeginFrame", "SetTransform", "SetTransform",
                                                  "SetViewport", "Clear"}));
  ASSERT_EQ(fake.viewports.size(), 1u);
  EXPECT_EQ(fake.viewports[0].width, 300u);
  EXPECT_FALSE(fake.clearedTarget);
  EXPECT_EQ(fake.clearColor, 0xFF000000u);
}

TEST(CameraTest, BeginRenderFailsWhenTheFrameCannotBegin) {
  FakeRenderer fake;
  auto cam = MakeAppCamera();
  fake.beginFrameResult = false;
  EXPECT_FALSE(cam->BeginRender(1));
  EXPECT_EQ(fake.calls, std::vector<std::string>{"BeginFrame"});
}

TEST(CameraTest, WithoutARendererNothingIsDrawnAndTheAspectStays) {
  ASSERT_EQ(GetGraphics(), nullptr);
  auto cam = std::make_unique<camera::Camera>(Vec3(0, 0, 0), Vec3(0, 0, 1), Vec3(0, 1, 0), 60.0f,
                                              1.5f, Vec2(1.0f, 5000.0f));
  EXPECT_EQ(cam->GetAspect(), 1.5f);
  EXPECT_EQ(cam->GetScreenWidth(), 1u);
  EXPECT_FALSE(cam->BeginRender(1));
  EXPECT_TRUE(cam->EndRender());
  EXPECT_FALSE(cam->Present());
}

TEST(CameraTest, LogsItsCreationAndDestruction) {
  FakeRenderer fake;
  LogCapture log;
  auto cam = MakeAppCamera();
  EXPECT_EQ(log.Count("Camera created  [MSG_INIT]"), 1u);
  cam.reset();
  EXPECT_EQ(log.Count("Camera Destroyed  [MSG_COMMENT]"), 1u);
}

class CountingController : public camera::CameraController {
 public:
  CountingController(float& total, bool& destroyed) : total_(total), destroyed_(destroyed) {}
  ~CountingController() override { destroyed_ = true; }
  void Update(camera::AbstractCamera& cam, float dt) override {
    total_ += dt;
    cam.LookAt(Vec3(0, 0, -1), Vec3(0, 0, 0), Vec3(0, 1, 0));
  }

 private:
  float& total_;
  bool& destroyed_;
};

TEST(CameraTest, UpdateRunsTheOwnedController) {
  FakeRenderer fake;
  auto cam = MakeAppCamera();
  cam->Update(0.5f);  // no controller: nothing happens
  float total = 0.0f;
  bool destroyed = false;
  cam->SetController(std::make_unique<CountingController>(total, destroyed));
  cam->Update(0.25f);
  cam->Update(0.25f);
  EXPECT_EQ(total, 0.5f);
  EXPECT_EQ(cam->GetEye(), Vec3(0, 0, -1));
  cam.reset();
  EXPECT_TRUE(destroyed);
}

TEST(CameraTest, RotateFromTurnsTheSourcesViewAboutItsEye) {
  FakeRenderer fake;
  auto source = MakeAppCamera();
  source->LookAt(Vec3(1, 2, 3), Vec3(1, 2, 4), Vec3(0, 1, 0));
  auto cam = MakeAppCamera();
  // A quarter turn about y.
  const float half = 3.14159265f / 4.0f;
  cam->RotateFrom(*source, D3DXQUATERNION(0, std::sin(half), 0, std::cos(half)));

  D3DXMATRIX turn;
  D3DXMatrixRotationY(&turn, 2.0f * half);
  const math::Vec4 turned = Transform(Vec3(0, 0, 1), turn);
  EXPECT_EQ(cam->GetEye(), Vec3(1, 2, 3));
  EXPECT_NEAR((cam->GetDirection() - Vec3(turned.x, turned.y, turned.z)).Magnitude(), 0.0f, 1e-5f);
  EXPECT_NEAR(std::fabs(cam->GetDirection().x), 1.0f, 1e-5f);
  EXPECT_NEAR((cam->GetUp() - Vec3(0, 1, 0)).Magnitude(), 0.0f, 1e-5f);
  EXPECT_EQ(cam->GetFieldOfView(), source->GetFieldOfView());
}

}  // namespace
