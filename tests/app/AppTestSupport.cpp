#include "tests/app/AppTestSupport.h"

#include <algorithm>
#include <cstdio>

#include "engine/app/GameFlowManager.h"
#include "engine/app/Input.h"
#include "engine/app/Keyboard.h"
#include "engine/app/Mouse.h"
#include "platform/win32/KernelApi.h"
#include "platform/win32/MessageQueue.h"
#include "platform/win32/SdlVideo.h"
#include "tests/support/TestEnv.h"

namespace apptest {

TestApp::TestApp(const std::string& className, const std::string& folder)
    : TestApp(GetModuleHandleA(nullptr), className, folder + "/kv.lua", folder + "/kv.log") {}

TestApp::TestApp(HINSTANCE instance, const std::string& className, const std::string& settingsPath,
                 const std::string& logPath)
    : GameApp(instance, className, settingsPath, logPath) {}

bool TestApp::Frame() {
  if (onFrame) onFrame();
  ++frames;
  if (frames == closeOnFrame) PostMessageA(window, WM_CLOSE, 0, 0);
  return GameApp::Frame();
}

namespace {
std::string Hex(uint32_t code) {
  char text[16];
  std::snprintf(text, sizeof text, "%x", code);
  return text;
}
}  // namespace

void InputRecorder::KeyPressed(const input::KeyEvent* event) { calls.push_back("KeyPressed " + Hex(event->code)); }
void InputRecorder::KeyReleased(const input::KeyEvent* event) { calls.push_back("KeyReleased " + Hex(event->code)); }
void InputRecorder::KeyDown(const input::KeyEvent* event) { calls.push_back("KeyDown " + Hex(event->code)); }
void InputRecorder::KeyRepeat(const input::KeyEvent* event) { calls.push_back("KeyRepeat " + Hex(event->code)); }
void InputRecorder::MouseButtonPressed(const input::MouseButton* button, const math::Vec2*) {
  calls.push_back("MouseButtonPressed " + std::to_string(button->id));
}
void InputRecorder::MouseDoubleClick(const input::MouseButton* button, const math::Vec2*) {
  calls.push_back("MouseDoubleClick " + std::to_string(button->id));
}
void InputRecorder::MouseButtonReleased(const input::MouseButton* button, const math::Vec2*) {
  calls.push_back("MouseButtonReleased " + std::to_string(button->id));
}
void InputRecorder::MouseButtonDown(const input::MouseButton* button, const math::Vec2*) {
  calls.push_back("MouseButtonDown " + std::to_string(button->id));
}
void InputRecorder::MouseButtonRepeat(const input::MouseButton* button, const math::Vec2*) {
  calls.push_back("MouseButtonRepeat " + std::to_string(button->id));
}
void InputRecorder::MouseWheel(int delta, const math::Vec2*) { calls.push_back("MouseWheel " + std::to_string(delta)); }
void InputRecorder::MouseHover(const math::Vec2*) { calls.push_back("MouseHover"); }
void InputRecorder::MouseMoved(const math::Vec2*, const math::Vec2*) { calls.push_back("MouseMoved"); }
void InputRecorder::MouseDragged(const math::Vec2*, const math::Vec2*) { calls.push_back("MouseDragged"); }
void InputRecorder::MouseDragEnd(const math::Vec2*, const math::Vec2*) { calls.push_back("MouseDragEnd"); }

size_t InputRecorder::Count(const std::string& call) const {
  return static_cast<size_t>(std::count(calls.begin(), calls.end(), call));
}

std::vector<std::string> InputRecorder::Starting(const std::string& prefix) const {
  std::vector<std::string> found;
  for (const std::string& call : calls) {
    if (call.rfind(prefix, 0) == 0) found.push_back(call);
  }
  return found;
}

ScriptedInput::ScriptedInput() { plat::MessageQueue::Instance().Reset(); }

ScriptedInput::~ScriptedInput() {
  input::GetDevices().Shutdown();
  plat::MessageQueue::Instance().Reset();
}

bool ScriptedInput::StartDevices() {
  if (!plat::EnsureVideo()) return false;
  input::GetDevices().Shutdown();
  return input::GetDevices().Init(nullptr);
}

void AppFixture::SetUp() {
  ASSERT_TRUE(plat::EnsureVideo());
  plat::MessageQueue::Instance().Reset();
  clock_ = std::make_unique<win32::FakeClock>();
  sleeper_ = std::make_unique<win32::FakeSleeper>(clock_.get());
  source_ = std::make_unique<plat::ScriptedEventSource>();
  input::GetDevices().Shutdown();
  ASSERT_TRUE(input::GetDevices().Init(nullptr));
  gameflow::GameFlowManager& flow = gameflow::GameFlowManager::Instance();
  flow.current = nullptr;
  flow.last = nullptr;
  flow.application = nullptr;
  flow.focusTime = 0.0f;
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  className_ = std::string("Pellavo ") + info->test_suite_name() + "." + info->name();
}

void AppFixture::TearDown() {
  gameflow::GameFlowManager& flow = gameflow::GameFlowManager::Instance();
  flow.current = nullptr;
  flow.last = nullptr;
  flow.application = nullptr;
  app_.reset();
  input::GetDevices().Shutdown();
  source_.reset();
  sleeper_.reset();
  clock_.reset();
  plat::MessageQueue::Instance().Reset();
}

TestApp& AppFixture::MakeApp(uint32_t width, uint32_t height) {
  app_ = std::make_unique<TestApp>(className_, testenv::MakeTempDir("app"));
  EXPECT_TRUE(app_->CreateAppWindow(className_, width, height));
  gameflow::GameFlowManager::Instance().application = app_.get();
  DrainMessages();
  app_->record.clear();
  return *app_;
}

void AppFixture::DrainMessages() {
  while (app_ && app_->PumpMessage()) {
  }
}

void AppFixture::Steps(int count, uint32_t millisecondsBefore) {
  for (int i = 0; i < count; ++i) {
    clock_->AdvanceMilliseconds(millisecondsBefore);
    app_->Step();
  }
}

void AppFixture::EnterStateAndSettle() {
  gameflow::GameFlowManager& flow = gameflow::GameFlowManager::Instance();
  flow.EnterState(&state_);
  for (int i = 0; i < 200 && !flow.IsActive(); ++i) Steps(1);
  ASSERT_TRUE(flow.IsActive());
  // One more frame reads whatever was buffered while input was still dropped.
  Steps(1);
}

}  // namespace apptest
