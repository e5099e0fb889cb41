#pragma once

// A fixture for tests that run whole game-flow frames on the real renderer and read their
// screenshots back: a windowless application, the console, a camera, frames of a fixed
// length and the teardown in the order the managers need.

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "engine/app/GameFlowManager.h"
#include "engine/core/Console.h"
#include "engine/graphics/Camera.h"
#include "engine/ui/UIManager.h"
#include "tests/app/GameFlowTestSupport.h"
#include "tests/app/ScreenTestSupport.h"
#include "tests/graphics/GraphicsTestSupport.h"
#include "tests/support/TestEnv.h"

namespace gfxtest {

class ScreenFrameTest : public GlGraphicsTest {
 protected:
  static constexpr float kFrameTime = 1.0f / 60.0f;

  // The application only has to be there and windowed for the flow manager to draw.
  // False with a test failure when the device cannot be made.
  bool StartScreens(const char* applicationName) {
    screentest::AttachApplication(applicationName);
    if (!Start()) return false;
    flowtest::StartConsole();
    camera_ = std::make_unique<camera::Camera>(math::Vec3(0.0f, 0.0f, -20.0f), math::Vec3(0.0f, 0.0f, 0.0f),
                                               math::Vec3(0.0f, 1.0f, 0.0f), 45.0f, 1.3333334f,
                                               math::Vec2(1.0f, 100.0f));
    flow_.camera = camera_.get();
    ui::GetUIMan().cursorShown = false;
    return true;
  }
  void TearDown() override {
    screentest::ClearScreens();
    console::GetConsole().Shutdown();
    camera_.reset();
    GlGraphicsTest::TearDown();
    screentest::DetachApplication();
  }

  void Frames(int count) {
    for (int i = 0; i < count; ++i) {
      time_ += kFrameTime;
      flow_.Tick(kFrameTime, time_);
    }
  }
  // The next frame with a screenshot, read back.
  testenv::Bitmap FrameWithScreenshot(const std::string& name) {
    const std::string path = folder_ + "/" + name;
    graphics_->TakeScreenshot(path, false);
    Frames(1);
    testenv::Bitmap shot;
    EXPECT_TRUE(shot.Load(path + ".bmp")) << path;
    return shot;
  }

  gameflow::GameFlowManager& flow_ = gameflow::GameFlowManager::Instance();
  std::unique_ptr<camera::Camera> camera_;
  float time_ = 10.0f;
};

}  // namespace gfxtest
