// The splash pages: their fades on the frame clock, the skip, the drawing on a recording
// renderer, and the window's messages and input during the pages.

#include "engine/app/BootLoader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/Timer.h"
#include "engine/graphics/Graphics.h"
#include "platform/win32/MessageQueue.h"
#include "tests/app/AppTestSupport.h"
#include "tests/ui/SpriteTestSupport.h"

namespace {

// Notes the filtering switches among the other calls.
class SplashRenderer : public spritetest::SpriteRenderer {
 public:
  void SetFiltering(bool on) override {
    calls.emplace_back(on ? "SetFiltering on" : "SetFiltering off");
    Graphics::SetFiltering(on);
  }
};

// The application fixture's fake clock, which every Sleep advances, drives a frame timer
// of the test's own; pictures come from the recording renderer (any name but "missing...").
class BootLoaderTest : public apptest::AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    clock_->AdvanceSeconds(10.0);
    timer_ = std::make_unique<FrameTimer>();
    renderer_ = std::make_unique<SplashRenderer>();
  }
  void TearDown() override {
    renderer_.reset();
    timer_.reset();
    AppFixture::TearDown();
  }

  // Ticks until the condition holds; false when it did not within the limit.
  bool TickUntil(BootLoader& loader, const std::function<bool()>& condition, int limit = 3000) {
    for (int i = 0; i < limit; ++i) {
      if (condition()) return true;
      loader.Tick();
    }
    return condition();
  }
  float Now() const { return timer_->GetTime(); }
  // The largest frame time so far (the smoothed frame time only grows towards 10 ms here).
  float Dt() const { return timer_->GetDelta(); }

  std::unique_ptr<FrameTimer> timer_;
  std::unique_ptr<SplashRenderer> renderer_;
};

TEST_F(BootLoaderTest, PagesFadeInHoldAndFadeOutOnTheFrameClock) {
  BootLoader loader(false, *timer_);
  loader.AddPage("splash/one.png", 0.5f, 0.5f, 0.5f);
  loader.AddPage("splash/two.png", 0.2f, 0.2f, 0.2f);
  ASSERT_EQ(loader.pages.size(), 2u);
  EXPECT_EQ(loader.pages[0]->sprite.uv1, math::Vec2(0.0f, 0.0f));
  EXPECT_EQ(loader.pages[0]->sprite.uv2, math::Vec2(0.78125f, 0.5859375f));
  EXPECT_EQ(loader.current, -1);

  // Each phase ends on the tick that takes it below zero, so each may lose up to a frame.
  auto expected = [](float t) {
    if (t < 0.5f) return t / 0.5f;
    if (t < 1.0f) return 1.0f;
    return 1.0f - (t - 1.0f) / 0.5f;
  };
  int ticks = 0;
  while (loader.current <= 0 && !loader.done && ticks < 1000) {
    loader.Tick();
    ++ticks;
    if (loader.current != 0) break;
    const float brightness = loader.Brightness();
    if (brightness < 0.0f) continue;  // faded out: the next tick shows the next page
    EXPECT_NEAR(brightness, expected(Now()), 3 * Dt() / 0.5f + 0.001f) << "at " << Now();
  }
  EXPECT_EQ(loader.current, 1);
  EXPECT_NEAR(Now(), 1.5f, 0.05f);
  const float secondStart = Now();
  ASSERT_TRUE(TickUntil(loader, [&] { return loader.done; }));
  EXPECT_NEAR(Now() - secondStart, 0.6f, 0.05f);

  // Every tick before the end slept 10 ms; the finished loader neither sleeps nor ticks on.
  const std::vector<uint32_t> sleeps = sleeper_->Calls();
  EXPECT_FALSE(sleeps.empty());
  for (uint32_t ms : sleeps) EXPECT_EQ(ms, 10u);
  sleeper_->Clear();
  loader.Tick();
  EXPECT_TRUE(sleeper_->Calls().empty());
}

TEST_F(BootLoaderTest, RenderDrawsThePageOverTheWholePlayAreaAtItsBrightness) {
  BootLoader loader(false, *timer_);
  loader.AddPage("splash/one.png", 1.0f, 1.0f, 1.0f);
  loader.Render();  // before the first tick: nothing
  EXPECT_TRUE(renderer_->calls.empty());

  ASSERT_TRUE(TickUntil(loader, [&] { return loader.Brightness() >= 0.3f; }));
  const float brightness = loader.Brightness();
  renderer_->filtering = false;
  loader.Render();
  const std::vector<std::string> expectedStart = {"SetFiltering on", "ResetRenderStates", "Clear",
                                                  "BeginFrame"};
  ASSERT_GE(renderer_->calls.size(), 6u);
  EXPECT_EQ(std::vector<std::string>(renderer_->calls.begin(), renderer_->calls.begin() + 4),
            expectedStart);
  const std::vector<std::string> expectedEnd = {"EndFrame", "Present", "SetFiltering off"};
  EXPECT_EQ(std::vector<std::string>(renderer_->calls.end() - 3, renderer_->calls.end()), expectedEnd);
  EXPECT_EQ(renderer_->clearColor, 0u);
  EXPECT_FALSE(renderer_->filtering);

  const std::vector<ScreenVertex> vertices = renderer_->AllVertices();
  ASSERT_EQ(vertices.size(), 6u);
  float minX = 1e9f, maxX = -1e9f, minY = 1e9f, maxY = -1e9f, maxU = 0.0f, maxV = 0.0f;
  for (const ScreenVertex& v : vertices) {
    EXPECT_EQ(v.color, PackColor(1.0f, 1.0f, 1.0f, brightness));
    minX = std::min(minX, v.x);
    maxX = std::max(maxX, v.x);
    minY = std::min(minY, v.y);
    maxY = std::max(maxY, v.y);
    maxU = std::max(maxU, v.u);
    maxV = std::max(maxV, v.v);
  }
  EXPECT_NEAR(maxX - minX, 800.0f, 0.01f);
  EXPECT_NEAR(maxY - minY, 600.0f, 0.01f);
  EXPECT_NEAR(minX, -0.5f, 0.01f);
  EXPECT_FLOAT_EQ(maxU, 0.78125f);
  EXPECT_FLOAT_EQ(maxV, 0.5859375f);

  // A page that has faded out draws nothing, nor does a finished loader.
  loader.fadeIn.remaining = loader.hold.remaining = loader.fadeOut.remaining = -1.0f;
  renderer_->calls.clear();
  loader.Render();
  EXPECT_TRUE(renderer_->calls.empty());
  loader.Tick();
  EXPECT_TRUE(loader.done);
  loader.Render();
  EXPECT_TRUE(renderer_->calls.empty());
}

TEST_F(BootLoaderTest, ReleaseDuringFadeInFadesOutFromTheBrightnessReached) {
  BootLoader loader(true, *timer_);
  loader.AddPage("splash/one.png", 2.0f, 1.0f, 1.0f);
  ASSERT_TRUE(TickUntil(loader, [&] { return loader.Brightness() >= 0.4f; }));
  const float reached = loader.Brightness();
  ASSERT_LT(reached, 0.45f);
  const float releasedAt = Now();
  loader.KeyReleased(nullptr);
  EXPECT_NEAR(loader.Brightness(), reached, 1e-5f);
  EXPECT_NEAR(loader.fadeOut.remaining, reached * 1.0f, 1e-5f);

  float previous = reached;
  ASSERT_TRUE(TickUntil(loader, [&] {
    const float now = loader.Brightness();
    EXPECT_LE(now, previous);
    previous = now;
    return now < 0.0f;
  }));
  // Black after the reached brightness times the fade-out time, within one frame.
  EXPECT_NEAR(Now() - releasedAt, reached, Dt() + 0.001f);
  loader.Tick();
  EXPECT_TRUE(loader.done);
}

TEST_F(BootLoaderTest, ReleaseDuringHoldStartsTheFullFadeOut) {
  BootLoader loader(true, *timer_);
  loader.AddPage("splash/one.png", 2.0f, 0.2f, 1.0f);
  ASSERT_TRUE(TickUntil(loader, [&] { return loader.fadeIn.IsDone() && loader.hold.remaining < 1.5f; }));
  EXPECT_EQ(loader.Brightness(), 1.0f);
  const float releasedAt = Now();
  loader.MouseButtonReleased(nullptr, nullptr);
  EXPECT_EQ(loader.fadeOut.remaining, 1.0f);
  EXPECT_EQ(loader.Brightness(), 1.0f);
  ASSERT_TRUE(TickUntil(loader, [&] { return loader.Brightness() < 0.0f; }));
  EXPECT_NEAR(Now() - releasedAt, 1.0f, Dt() + 0.001f);
}

TEST_F(BootLoaderTest, WithSkipEndsPageAReleaseMovesToTheNextPageOnTheNextTick) {
  struct Case {
    const char* phase;
    std::function<bool(const BootLoader&)> reached;
  };
  const std::vector<Case> cases = {
      {"fade-in", [](const BootLoader& l) { return l.Brightness() > 0.2f; }},
      {"hold", [](const BootLoader& l) { return l.fadeIn.IsDone() && l.hold.remaining < 0.5f; }},
      {"fade-out", [](const BootLoader& l) { return l.hold.IsDone() && l.fadeOut.remaining < 0.5f; }},
  };
  for (const Case& c : cases) {
    BootLoader loader(true, *timer_);
    loader.skipEndsPage = true;
    loader.AddPage("splash/one.png", 1.0f, 1.0f, 1.0f);
    loader.AddPage("splash/two.png", 1.0f, 1.0f, 1.0f);
    ASSERT_TRUE(TickUntil(loader, [&] { return c.reached(loader); })) << c.phase;
    ASSERT_EQ(loader.current, 0) << c.phase;
    loader.KeyReleased(nullptr);
    loader.Tick();
    EXPECT_EQ(loader.current, 1) << c.phase;
    EXPECT_EQ(loader.fadeIn.remaining, 1.0f) << c.phase;  // the new page starts from black
  }
}

TEST_F(BootLoaderTest, ReleasesChangeNothingWhenNotSkippable) {
  BootLoader loader(false, *timer_);
  loader.AddPage("splash/one.png", 1.0f, 1.0f, 1.0f);
  ASSERT_TRUE(TickUntil(loader, [&] { return loader.Brightness() > 0.3f; }));
  const float fadeIn = loader.fadeIn.remaining;
  const float hold = loader.hold.remaining;
  const float fadeOut = loader.fadeOut.remaining;
  loader.KeyReleased(nullptr);
  loader.MouseButtonReleased(nullptr, nullptr);
  EXPECT_EQ(loader.fadeIn.remaining, fadeIn);
  EXPECT_EQ(loader.hold.remaining, hold);
  EXPECT_EQ(loader.fadeOut.remaining, fadeOut);
}

TEST_F(BootLoaderTest, MissingPicturesAreLeftOutAndNoPagesEndAtOnce) {
  BootLoader loader(true, *timer_);
  loader.AddPage("missing_splash.png", 1.0f, 1.0f, 1.0f);
  EXPECT_TRUE(loader.pages.empty());
  loader.Tick();
  EXPECT_TRUE(loader.done);
  EXPECT_TRUE(sleeper_->Calls().empty());

  BootLoader shown(true, *timer_);
  shown.AddPage("missing_one.png", 1.0f, 1.0f, 1.0f);
  shown.AddPage("splash/two.png", 1.0f, 1.0f, 1.0f);
  ASSERT_EQ(shown.pages.size(), 1u);
  EXPECT_EQ(shown.pages[0]->sprite.fileName, "splash/two.png");
}

// The pages run before the main loop: they take the window's messages themselves, and the
// platform's key and button releases reach them through the input devices.
TEST_F(BootLoaderTest, PlatformReleasesSkipThePage) {
  struct Case {
    const char* what;
    std::function<void(bool down)> input;
  };
  const std::vector<Case> cases = {
      {"key", [&](bool down) { source_->Key(0x39, down); }},
      {"left button", [&](bool down) { source_->Button(0, down); }},
      {"right button", [&](bool down) { source_->Button(1, down); }},
  };
  for (const Case& c : cases) {
    BootLoader loader(true, *timer_);
    loader.skipEndsPage = true;
    loader.AddPage("splash/one.png", 1.0f, 1.0f, 1.0f);
    loader.AddPage("splash/two.png", 1.0f, 1.0f, 1.0f);
    ASSERT_TRUE(TickUntil(loader, [&] { return loader.Brightness() > 0.2f; }));
    c.input(true);
    loader.Tick();
    EXPECT_EQ(loader.current, 0) << c.what << ": a press does not skip";
    c.input(false);
    loader.Tick();  // the release arrives
    loader.Tick();  // the next page
    EXPECT_EQ(loader.current, 1) << c.what;
  }
}

TEST_F(BootLoaderTest, WindowMessagesFlowAndAClosedWindowEndsThePages) {
  apptest::TestApp& app = MakeApp();
  SetApplication(&app);
  BootLoader loader(true, *timer_);
  loader.AddPage("splash/one.png", 1.0f, 1.0f, 1.0f);
  loader.Tick();
  source_->Post(app.window, WM_USER);
  source_->Post(app.window, WM_CLOSE);
  loader.Tick();
  EXPECT_EQ(plat::MessageQueue::Instance().PostedCount(), 0u);
  EXPECT_TRUE(app.quitting);
  EXPECT_TRUE(loader.done);
  SetApplication(nullptr);
}

}  // namespace
