#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/app/GameApp.h"
#include "engine/app/GameState.h"
#include "engine/app/InputListener.h"
#include "engine/graphics/Graphics.h"
#include "platform/win32/ScriptedEventSource.h"
#include "platform/win32/Time.h"
#include "tests/graphics/FakeRenderer.h"

namespace apptest {

// A renderer that draws nothing and records what the application asks of it.
class FakeGraphics : public NullGraphics {
 public:
  void DetectWidescreen(uint32_t& w, uint32_t& h) override {
    ++detectCalls;
    w = 960;
    h = 600;
  }
  bool SetResolution(uint32_t w, uint32_t h) override {
    ++setResolutionCalls;
    return Graphics::SetResolution(w, h);
  }
  bool ResetDevice(uint32_t w, uint32_t h, bool full) override {
    resets.push_back({w, h, full});
    return true;
  }

  struct Reset {
    uint32_t width;
    uint32_t height;
    bool fullscreen;
  };
  int detectCalls = 0;
  int setResolutionCalls = 0;
  std::vector<Reset> resets;
};

// The game's application as far as the chain needs one: start-up hooks that do nothing,
// and a record of frames, events, dropped files and the driver's calls.
class TestApp : public GameApp {
 public:
  TestApp(const std::string& className, const std::string& folder);
  TestApp(HINSTANCE instance, const std::string& className, const std::string& settingsPath,
          const std::string& logPath);

  bool Init() override {
    ++initCalls;
    return initResult;
  }
  bool Shutdown() override {
    ++shutdownCalls;
    return true;
  }
  bool Frame() override;
  bool OnAppEvent(uint32_t code, uintptr_t a, intptr_t b) override {
    record.push_back("event " + std::to_string(code));
    return GameApp::OnAppEvent(code, a, b);
  }
  void OnDropFile(const std::string& path) override { record.push_back("drop " + path); }
  void OnActivate() override { record.push_back("activate"); }
  void OnDeactivate() override { record.push_back("deactivate"); }
  void SaveProfile() override { ++saveCalls; }

  void OnLoadProgress(int32_t) override {}
  void InitFonts() override {}
  void InitAudio() override {}
  void BindKeys() override {}
  void OnCreateStates() override {}
  std::string GetProfileFileName() override { return "kx_test.rms"; }
  void MountArchive() override {}
  bool InitGraphics() override { return true; }
  void InitSystems() override {}
  GameRMS* CreateRMS() override { return nullptr; }
  void LoadConfig(const std::string&) override {}

  bool initResult = true;
  int initCalls = 0;
  int shutdownCalls = 0;
  int saveCalls = 0;
  int frames = 0;
  // Runs at the start of each frame, when set.
  std::function<void()> onFrame;
  // Posts WM_CLOSE to the window in this frame (0: never).
  int closeOnFrame = 0;
  std::vector<std::string> record;
};

// A state that counts what the flow manager and the focus events call.
class TestState : public GameState {
 public:
  bool Render() override {
    ++renders;
    return true;
  }
  void OnResume() override { ++resumes; }
  void OnPause() override { ++pauses; }
  int renders = 0;
  int resumes = 0;
  int pauses = 0;
};

// Records every listener call as a short text ("KeyPressed 1e", "MouseButtonPressed 0").
class InputRecorder : public input::KeyboardListener, public input::MouseListener {
 public:
  void KeyPressed(const input::KeyEvent* event) override;
  void KeyReleased(const input::KeyEvent* event) override;
  void KeyDown(const input::KeyEvent* event) override;
  void KeyRepeat(const input::KeyEvent* event) override;
  void MouseButtonPressed(const input::MouseButton* button, const math::Vec2* position) override;
  void MouseDoubleClick(const input::MouseButton* button, const math::Vec2* position) override;
  void MouseButtonReleased(const input::MouseButton* button, const math::Vec2* position) override;
  void MouseButtonDown(const input::MouseButton* button, const math::Vec2* position) override;
  void MouseButtonRepeat(const input::MouseButton* button, const math::Vec2* position) override;
  void MouseWheel(int delta, const math::Vec2* position) override;
  void MouseHover(const math::Vec2* position) override;
  void MouseMoved(const math::Vec2* oldPosition, const math::Vec2* newPosition) override;
  void MouseDragged(const math::Vec2* dragStart, const math::Vec2* position) override;
  void MouseDragEnd(const math::Vec2* dragStart, const math::Vec2* endPosition) override;

  size_t Count(const std::string& call) const;
  // The calls whose text starts with prefix, in order.
  std::vector<std::string> Starting(const std::string& prefix) const;

  std::vector<std::string> calls;
};

// A clean message queue fed by a scripted event source, for input devices made without a
// window. The devices are shut down and the queue is emptied again when it goes, also
// after a failed assertion.
class ScriptedInput {
 public:
  ScriptedInput();
  ~ScriptedInput();
  ScriptedInput(const ScriptedInput&) = delete;
  ScriptedInput& operator=(const ScriptedInput&) = delete;

  // Video and fresh input devices; false when either cannot be started.
  bool StartDevices();

  plat::ScriptedEventSource source;
};

// A clean message queue with a scripted source, a fake clock that Sleep advances, fresh
// input devices and an idle game flow manager; the test's application is made on demand.
class AppFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Creates the application and its window (client width x height).
  TestApp& MakeApp(uint32_t width = 800, uint32_t height = 600);
  // Takes every waiting message (so that a test starts from an empty queue).
  void DrainMessages();
  // Runs steps, letting 15 ms pass before each (the step's own Sleep adds the rest).
  void Steps(int count, uint32_t millisecondsBefore = 15);
  // Enters a state (input is read only while one is current) and runs frames until the
  // flow manager reads input.
  void EnterStateAndSettle();

  std::unique_ptr<win32::FakeClock> clock_;
  std::unique_ptr<win32::FakeSleeper> sleeper_;
  std::unique_ptr<plat::ScriptedEventSource> source_;
  std::unique_ptr<TestApp> app_;
  TestState state_;
  std::string className_;
};

}  // namespace apptest
