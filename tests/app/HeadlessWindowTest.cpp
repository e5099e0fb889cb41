// The real window layer with SDL's own events (offscreen driver): the application makes
// its window, shows it, runs 100 frames and quits through a posted close.

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include "engine/app/GameFlowManager.h"
#include "platform/win32/MessageQueue.h"
#include "platform/win32/SdlVideo.h"
#include "tests/app/AppTestSupport.h"
#include "tests/support/TestEnv.h"

namespace apptest {
namespace {

TEST(HeadlessWindow, RunsAHundredFramesAndQuitsThroughAPostedClose) {
  ASSERT_TRUE(plat::EnsureVideo());
  plat::MessageQueue& queue = plat::MessageQueue::Instance();
  queue.SetSource(nullptr);  // SDL's events
  queue.Reset();
  SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);

  {
    TestApp app("Pellavo headless", testenv::MakeTempDir("headless"));
    ASSERT_TRUE(app.CreateAppWindow("Pellavo headless", 800, 600));
    EXPECT_FALSE(IsWindowVisible(app.window));  // the renderer shows it
    app.ShowAppWindow();
    EXPECT_TRUE(IsWindowVisible(app.window));

    // Whatever the window system says meanwhile (exposure, focus), frames go on.
    int steps = 0;
    while (app.frames < 100 && steps < 1000) {
      ASSERT_TRUE(app.Step());
      ++steps;
    }
    EXPECT_EQ(app.frames, 100);

    ASSERT_TRUE(PostMessageA(app.window, WM_CLOSE, 0, 0));
    bool running = true;
    int framesBefore = 0;
    for (int i = 0; i < 100 && running; ++i) {
      framesBefore = app.frames;
      running = app.Step();
    }
    EXPECT_FALSE(running);
    EXPECT_TRUE(app.quitting);
    EXPECT_EQ(app.frames, framesBefore) << "the step that takes the close runs no frame";
  }
  queue.Reset();
}

}  // namespace
}  // namespace apptest
