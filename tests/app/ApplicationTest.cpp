// The application chain over the scripted message source, the fake clock and sleeper:
// the main-loop step, the application events, the close button, the cursor, Alt in full
// screen, dropped files, mode switches, a second instance and the driver's exit status.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "engine/app/AppMain.h"
#include "engine/app/GameFlowManager.h"
#include "engine/app/Input.h"
#include "engine/app/Mouse.h"
#include "engine/core/Console.h"
#include "engine/core/Timer.h"
#include "platform/bass/Backend.h"
#include "platform/bass/RecordingBackend.h"
#include "platform/luaplus/LuaObject.h"
#include "platform/luaplus/LuaState.h"
#include "platform/win32/KernelApi.h"
#include "platform/win32/MessageQueue.h"
#include "platform/win32/SingleInstance.h"
#include "tests/app/AppTestSupport.h"
#include "tests/core/LogCapture.h"
#include "tests/support/TestEnv.h"

namespace apptest {
namespace {

constexpr uint8_t kLeftAlt = 0x38;

using AppTest = AppFixture;

size_t CountOf(const std::vector<uint32_t>& calls, uint32_t value) {
  return static_cast<size_t>(std::count(calls.begin(), calls.end(), value));
}

TEST_F(AppTest, EachStepTakesOneMessageAndRunsOneFrame) {
  TestApp& app = MakeApp();
  sleeper_->Clear();

  // Nothing waiting: the step still runs a frame, then sleeps 1 ms.
  EXPECT_TRUE(app.Step());
  EXPECT_EQ(app.frames, 1);
  EXPECT_EQ(sleeper_->Calls(), std::vector<uint32_t>{1});

  // Three waiting messages are taken one per step, each step with its frame.
  for (int i = 0; i < 3; ++i) source_->Post(app.window, WM_USER + 1);
  const plat::MessageQueue& queue = plat::MessageQueue::Instance();
  for (size_t left : {2u, 1u, 0u}) {
    EXPECT_TRUE(app.Step());
    EXPECT_EQ(queue.PostedCount(), left);
  }
  EXPECT_EQ(app.frames, 4);
  EXPECT_EQ(sleeper_->Calls(), (std::vector<uint32_t>{1, 1, 1, 1}));
}

TEST_F(AppTest, MinimisingAndFocusLossPauseWhileARestoreResumesNothing) {
  TestApp& app = MakeApp();
  struct Case {
    const char* what;
    UINT sizeType;  // WM_SIZE type, or ~0u for a focus change
    bool focus;
    bool pausedBefore;
    bool pausedAfter;
  };
  const Case cases[] = {
      {"minimised", SIZE_MINIMIZED, false, false, true},
      {"maximised", SIZE_MAXIMIZED, false, true, false},
      {"restored while paused", SIZE_RESTORED, false, true, true},
      {"restored while running", SIZE_RESTORED, false, false, false},
      {"focus lost", ~0u, false, false, true},
      {"focus gained", ~0u, true, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    app.paused = c.pausedBefore;
    if (c.sizeType == ~0u) {
      source_->Activate(app.window, c.focus);
    } else {
      source_->Post(app.window, WM_SIZE, c.sizeType, MAKELPARAM(800, 600));
    }
    app.PumpMessage();
    EXPECT_EQ(app.paused, c.pausedAfter);
  }

  // While paused no frame runs and the step sleeps 100 ms.
  app.paused = true;
  sleeper_->Clear();
  const int frames = app.frames;
  EXPECT_TRUE(app.Step());
  EXPECT_EQ(app.frames, frames);
  EXPECT_EQ(sleeper_->Calls(), std::vector<uint32_t>{100});
}

TEST_F(AppTest, FocusChangesPauseAudioAndTellTheCurrentState) {
  bass::RecordingBackend audio;
  bass::ScopedBackend useAudio(audio);
  TestApp& app = MakeApp();
  gameflow::GameFlowManager& flow = gameflow::GameFlowManager::Instance();
  flow.EnterState(&state_);
  Steps(20);
  LogCapture log;

  source_->Activate(app.window, false);
  app.PumpMessage();
  EXPECT_FALSE(app.active);
  EXPECT_TRUE(app.paused);
  EXPECT_EQ(audio.CountOf("BASS_Pause"), 1u);
  EXPECT_EQ(state_.pauses, 1);
  EXPECT_TRUE(log.Contains("LOST FOCUS  [MSG_WARNING]"));

  Steps(5);
  const float now = FrameTimer::Instance().GetTime();
  source_->Activate(app.window, true);
  app.PumpMessage();
  EXPECT_TRUE(app.active);
  EXPECT_FALSE(app.paused);
  EXPECT_EQ(audio.CountOf("BASS_Start"), 1u);
  EXPECT_EQ(state_.resumes, 1);
  EXPECT_FLOAT_EQ(flow.focusTime, now);
  EXPECT_TRUE(log.Contains("GAINED FOCUS  [MSG_WARNING]"));
  EXPECT_EQ(app.record, (std::vector<std::string>{"event 1", "deactivate", "event 0", "activate"}));

  // An activation with the minimised flag in its high word is a focus loss.
  source_->Send(app.window, WM_ACTIVATE, MAKELONG(WA_ACTIVE, 1));
  app.PumpMessage();
  EXPECT_FALSE(app.active);
  EXPECT_TRUE(app.paused);
}

// The close button only asks the game's script; a close message in the queue quits.
TEST_F(AppTest, CloseButtonRunsQuitGameWhileAPostedCloseQuits) {
  testenv::WriteFile("scripts/quit_test.lua", "quits = 0\nfunction QuitGame() quits = quits + 1 end\n");
  console::Console& console = console::GetConsole();
  console.Init("scripts/quit_test.lua");
  TestApp& app = MakeApp();
  auto quits = [&console] { return console.GetState()->GetGlobal("quits").GetInteger(); };

  source_->Close(app.window);
  EXPECT_TRUE(app.Step());
  EXPECT_FALSE(app.quitting);
  EXPECT_EQ(quits(), 1);

  source_->Post(app.window, WM_CLOSE);
  EXPECT_FALSE(app.Step());
  EXPECT_TRUE(app.quitting);
  EXPECT_EQ(quits(), 2);
  console.Shutdown();
}

TEST_F(AppTest, CursorMapsIntoTheCentredFourByThreeArea) {
  // A client 1000 x 600: the play area is 800 wide, 100 pixels from each side.
  TestApp& app = MakeApp(1000, 600);
  struct Case {
    int x, y;
    float expectedX, expectedY;
  };
  const Case cases[] = {
      {100, 0, 0.0f, 0.0f},   {500, 300, 0.5f, 0.5f}, {900, 600, 1.0f, 1.0f},
      {40, 300, 0.0f, 0.5f},  {980, 300, 1.0f, 0.5f}, {300, -20, 0.25f, 0.0f},
      {700, 650, 0.75f, 1.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << ", " << c.y);
    source_->CursorAt(app.window, c.x, c.y);
    app.PumpMessage();
    EXPECT_FLOAT_EQ(input::g_cursorPosition.x, c.expectedX);
    EXPECT_FLOAT_EQ(input::g_cursorPosition.y, c.expectedY);
    EXPECT_EQ(Win32Application::GetCursorPixel().x, c.x);
  }
}

// Alt held in full screen stops frames and game time; the input is still read, at the
// frame clock's time.
TEST_F(AppTest, AltHeldInFullScreenStopsFramesAndTimeButNotTheInput) {
  TestApp& app = MakeApp();
  EnterStateAndSettle();
  InputRecorder recorder;
  app.fullscreen = true;

  // A click early on...
  source_->Button(0, true);
  Steps(1);
  source_->Button(0, false);
  Steps(1);
  ASSERT_EQ(recorder.Count("MouseButtonReleased 0"), 1u);
  Steps(40);  // ...long before Alt goes down.

  source_->Key(kLeftAlt, true);
  Steps(1);  // the frame that reads Alt
  const int frames = app.frames;
  const float time = FrameTimer::Instance().GetTime();
  const uint32_t frameCount = FrameTimer::Instance().GetFrameCount();
  sleeper_->Clear();
  Steps(10);
  EXPECT_EQ(app.frames, frames);
  EXPECT_EQ(CountOf(sleeper_->Calls(), 10), 10u);
  EXPECT_EQ(FrameTimer::Instance().GetTime(), time);
  EXPECT_EQ(FrameTimer::Instance().GetFrameCount(), frameCount);

  // A click while Alt is held is read, and its release is no double click.
  source_->Button(0, true);
  Steps(1);
  source_->Button(0, false);
  Steps(1);
  EXPECT_EQ(recorder.Count("MouseButtonReleased 0"), 2u);
  EXPECT_EQ(recorder.Count("MouseDoubleClick 0"), 0u);
  EXPECT_EQ(app.frames, frames);

  // Releasing Alt lets the frames run again.
  source_->Key(kLeftAlt, false);
  Steps(2);
  EXPECT_GT(app.frames, frames);
}

TEST_F(AppTest, DroppedFilesComeOneByOneThenOneEvent) {
  TestApp& app = MakeApp();
  source_->Drop(app.window, {"/tmp/a.lua", "/tmp/b.lua", "/tmp/c.lua"});
  EXPECT_TRUE(app.PumpMessage());
  EXPECT_EQ(app.record,
            (std::vector<std::string>{"drop /tmp/a.lua", "drop /tmp/b.lua", "drop /tmp/c.lua", "event 7"}));
}

TEST_F(AppTest, FullScreenCentresThePlayAreaAndWindowedIsAlways800By600) {
  FakeGraphics graphics;
  SetGraphics(&graphics);
  TestApp& app = MakeApp();
  app.width = 800;
  app.height = 600;

  screen::g_wideScreen = true;
  app.SetFullscreenMode(true);
  EXPECT_TRUE(app.fullscreen);
  EXPECT_EQ(graphics.detectCalls, 1);
  EXPECT_EQ(app.width, 960u);
  EXPECT_EQ(app.height, 600u);
  EXPECT_EQ(screen::g_offsetX, 80);
  EXPECT_EQ(screen::g_offsetY, 0);
  EXPECT_EQ(graphics.storedOffsetX, 80);
  ASSERT_EQ(graphics.resets.size(), 1u);
  EXPECT_TRUE(graphics.resets[0].fullscreen);
  EXPECT_EQ(graphics.resets[0].width, 960u);
  EXPECT_TRUE(IsWindowVisible(app.window));

  // The same mode again changes nothing.
  app.SetFullscreenMode(true);
  EXPECT_EQ(graphics.resets.size(), 1u);

  app.SetFullscreenMode(false);
  EXPECT_FALSE(app.fullscreen);
  EXPECT_EQ(app.width, 800u);
  EXPECT_EQ(app.height, 600u);
  EXPECT_EQ(screen::g_offsetX, 0);
  EXPECT_EQ(graphics.storedOffsetX, 0);
  ASSERT_EQ(graphics.resets.size(), 2u);
  EXPECT_FALSE(graphics.resets[1].fullscreen);

  // A regular desktop keeps the asked size; the offsets round toward zero.
  screen::g_wideScreen = false;
  app.SetFullscreen(1025, 769);
  EXPECT_EQ(screen::g_offsetX, 112);
  EXPECT_EQ(screen::g_offsetY, 84);
  EXPECT_EQ(graphics.detectCalls, 1);

  app.SetWindowed(1280, 1024);
  EXPECT_EQ(app.width, 800u);
  EXPECT_EQ(app.height, 600u);
  SetGraphics(nullptr);
}

// A restore or resize reports the packed client size: the renderer keeps its 800 x 600
// resolution and only learns the client size.
TEST_F(AppTest, ResizeTellsTheRendererTheClientSizeNotAResolution) {
  FakeGraphics graphics;
  graphics.Graphics::SetResolution(800, 600);
  SetGraphics(&graphics);
  TestApp& app = MakeApp();
  graphics.setResolutionCalls = 0;

  source_->Post(app.window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(1024, 700));
  app.PumpMessage();
  EXPECT_EQ(graphics.setResolutionCalls, 0);
  EXPECT_EQ(graphics.width, 800);
  EXPECT_EQ(graphics.height, 600);
  EXPECT_EQ(graphics.clientWidth, 1024u);
  EXPECT_EQ(graphics.clientHeight, 700u);
  EXPECT_FLOAT_EQ(screen::g_widthOverHeight, 800.0f / 600.0f);
  SetGraphics(nullptr);
}

// Input is dropped for 0.3 s after the focus returns, and while the focus is away.
TEST_F(AppTest, InputWaitsAfterTheFocusReturns) {
  TestApp& app = MakeApp();
  EnterStateAndSettle();
  InputRecorder recorder;

  source_->Activate(app.window, false);
  Steps(1);
  source_->Key(0x1E, true);
  source_->Key(0x1E, false);
  Steps(3);
  source_->Activate(app.window, true);
  Steps(1);
  source_->Key(0x30, true);
  source_->Key(0x30, false);
  Steps(3);  // well inside the 0.3 s
  EXPECT_TRUE(recorder.Starting("Key").empty());

  for (int i = 0; i < 200 && !gameflow::GameFlowManager::Instance().IsActive(); ++i) Steps(1);
  Steps(1);
  EXPECT_TRUE(recorder.Starting("Key").empty());  // what was buffered stays dropped
  source_->Key(0x2E, true);
  Steps(1);
  EXPECT_EQ(recorder.Starting("KeyPressed"), std::vector<std::string>{"KeyPressed 2e"});
}

// Mouse events of a frame reach the listeners before its keyboard events.
TEST_F(AppTest, AFramesMouseEventsComeBeforeItsKeyboardEvents) {
  MakeApp();
  EnterStateAndSettle();
  InputRecorder recorder;
  source_->Key(0x1E, true);
  source_->Button(1, true);
  Steps(1);
  ASSERT_FALSE(recorder.Starting("Key").empty());
  ASSERT_FALSE(recorder.Starting("Mouse").empty());
  size_t lastMouse = 0;
  size_t firstKey = recorder.calls.size();
  for (size_t i = 0; i < recorder.calls.size(); ++i) {
    if (recorder.calls[i].rfind("Mouse", 0) == 0) lastMouse = i;
    if (recorder.calls[i].rfind("Key", 0) == 0 && firstKey == recorder.calls.size()) firstKey = i;
  }
  EXPECT_LT(lastMouse, firstKey);
  EXPECT_EQ(recorder.calls.front(), "MouseButtonPressed 1");
}

// A covered window is repainted while no frames run, when it is windowed.
TEST_F(AppTest, PaintRendersTheStateOnlyWhileInactiveAndWindowed) {
  TestApp& app = MakeApp();
  gameflow::GameFlowManager::Instance().EnterState(&state_);
  struct Case {
    bool paused;
    bool fullscreen;
    int renders;
  };
  for (const Case& c : {Case{false, false, 0}, Case{true, false, 1}, Case{true, true, 0}}) {
    app.paused = c.paused;
    app.fullscreen = c.fullscreen;
    state_.renders = 0;
    source_->Post(app.window, WM_PAINT);
    EXPECT_TRUE(app.PumpMessage());
    EXPECT_EQ(state_.renders, c.renders) << c.paused << c.fullscreen;
  }
}

// Alt+Tab: the system key is not dispatched, and the switch is logged.
TEST_F(AppTest, AltTabIsLoggedAndNotDispatched) {
  TestApp& app = MakeApp();
  EnterStateAndSettle();
  source_->Key(0x0F, true);  // Tab
  Steps(1);
  LogCapture log;
  source_->Post(app.window, WM_SYSKEYDOWN, VK_MENU, KF_ALTDOWN_BIT);
  EXPECT_FALSE(app.PumpMessage());
  EXPECT_TRUE(log.Contains("Minimizing screen due to fullscreen ALT-TAB  [MSG_COMMENT]"));
  source_->Post(app.window, WM_SYSKEYUP, VK_MENU, KF_ALTDOWN_BIT);
  EXPECT_FALSE(app.PumpMessage());
}

// Loading frames are drawn at most every 1/30 s, and always when the bar reaches its end;
// the bar moves at every call.
TEST_F(AppTest, LoadingFramesComeAtMostEveryThirtiethOfASecondAndAlwaysAtTheEnd) {
  TestApp& app = MakeApp();
  FakeRenderer renderer;
  app.loadedUnits = 0;
  app.totalUnits = 6;
  const auto frames = [&renderer] {
    return std::count(renderer.calls.begin(), renderer.calls.end(), std::string("Present"));
  };
  app.GameApp::OnLoadProgress(1);  // the first frame
  EXPECT_EQ(frames(), 1);
  app.GameApp::OnLoadProgress(1);
  clock_->AdvanceMilliseconds(33);
  app.GameApp::OnLoadProgress(1);
  EXPECT_EQ(frames(), 1);
  clock_->AdvanceMilliseconds(1);  // 34 ms after the first
  app.GameApp::OnLoadProgress(1);
  EXPECT_EQ(frames(), 2);
  EXPECT_EQ(app.loadedUnits, 4);
  app.GameApp::OnLoadProgress(2);  // at once, but the bar is full
  EXPECT_EQ(frames(), 3);
  EXPECT_EQ(app.loadedUnits, 6);
}

TEST(WindowsError, IsLoggedWithItsNumber) {
  LogCapture log;
  SetLastError(ERROR_FILE_NOT_FOUND);
  ShowWindowsError();
  EXPECT_TRUE(log.Contains("Windows Error: 2  [MSG_ERROR]"));
  log.Clear();
  SetLastError(0x7FFFFFF0u);  // no text: nothing is shown
  ShowWindowsError();
  EXPECT_FALSE(log.Contains("Windows Error"));
}

TEST_F(AppTest, ASecondInstanceDoesNotStart) {
  TestApp& first = MakeApp();
  LogCapture log;
  TestApp second(className_, testenv::MakeTempDir("second"));
  EXPECT_FALSE(second.CreateAppWindow(className_, 800, 600));
  EXPECT_EQ(second.window, nullptr);
  EXPECT_TRUE(log.Contains("Already one instance of game running!  [MSG_FATAL]"));
  EXPECT_TRUE(IsWindow(first.window));
}

// The driver: a normal quit ends with 0; a start that fails ends with another status.
TEST_F(AppTest, DriverExitStatus) {
  int saves = -1;
  int shutdowns = -1;
  int frames = -1;
  bool initResult = true;
  // The object is gone when the driver returns: read its record through a subclass hook.
  struct Watch {
    int* saves;
    int* shutdowns;
    int* frames;
  };
  class WatchedApp : public TestApp {
   public:
    WatchedApp(HINSTANCE instance, const std::string& className, const std::string& settingsPath,
               const std::string& logPath, Watch watch)
        : TestApp(instance, className, settingsPath, logPath), watch_(watch) {}
    ~WatchedApp() override {
      *watch_.saves = saveCalls;
      *watch_.shutdowns = shutdownCalls;
      *watch_.frames = frames;
    }

   private:
    Watch watch_;
  };
  auto watched = [&](HINSTANCE instance, const std::string& className, const std::string& settingsPath,
                     const std::string& logPath) -> GameApp* {
    auto* app = new WatchedApp(instance, className, settingsPath, logPath, Watch{&saves, &shutdowns, &frames});
    app->initResult = initResult;
    app->closeOnFrame = 3;
    EXPECT_EQ(settingsPath, GetSaveFolder() + "kv.lua");
    EXPECT_EQ(logPath, GetSaveFolder() + "kv.log");
    return app;
  };

  EXPECT_EQ(RunApplication(className_ + " run", watched), kExitNormal);
  EXPECT_EQ(frames, 3);
  EXPECT_EQ(saves, 1);
  EXPECT_EQ(shutdowns, 1);
  EXPECT_EQ(GetApplication(), nullptr);

  initResult = false;
  plat::MessageQueue::Instance().Reset();
  EXPECT_EQ(RunApplication(className_ + " failed", watched), kExitFailedStart);
  EXPECT_EQ(frames, 0);
  EXPECT_EQ(saves, 1);
  EXPECT_EQ(shutdowns, 1);
  EXPECT_EQ(GetApplication(), nullptr);
}

// Another process holds the game's single-instance lock: the driver gives up at once.
TEST_F(AppTest, DriverStopsWhenAnotherInstanceHoldsTheLock) {
  const std::string caption = className_ + " locked";
  plat::SetInstanceFolder(GetSaveFolder());
  plat::SingleInstance other(plat::InstanceLockPath(caption));
  ASSERT_TRUE(other.Acquire());
  LogCapture log;
  bool created = false;
  const int status = RunApplication(caption, [&](HINSTANCE instance, const std::string& className,
                                                 const std::string& settingsPath, const std::string& logPath) {
    created = true;
    return new TestApp(instance, className, settingsPath, logPath);
  });
  EXPECT_TRUE(created);
  EXPECT_EQ(status, kExitFailedStart);
  EXPECT_TRUE(log.Contains("Already one instance of game running!"));
  // The running one was asked to come to the front.
  EXPECT_GE(other.RequestsReceived(), 1u);
}

TEST(SaveFolder, IsHovrikInTheApplicationDataFolderAndExists) {
  const std::string folder = GetSaveFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder, std::string(std::getenv("XDG_DATA_HOME")) + "/Hovrik/");
  EXPECT_TRUE(testenv::FileExists(folder));
  EXPECT_EQ(GetSaveFolder(), folder);  // an existing folder is no error
}

}  // namespace
}  // namespace apptest
