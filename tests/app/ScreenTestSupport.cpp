#include "tests/app/ScreenTestSupport.h"

#include <algorithm>
#include <memory>

#include "engine/app/GameFlowManager.h"
#include "engine/app/Input.h"
#include "engine/app/Mouse.h"
#include "engine/ui/UIManager.h"
#include "platform/win32/SdlVideo.h"
#include "tests/app/AppTestSupport.h"
#include "tests/support/TestEnv.h"

namespace screentest {

namespace {
std::unique_ptr<apptest::TestApp>& Application() {
  static std::unique_ptr<apptest::TestApp> application;
  return application;
}
}  // namespace

void AttachApplication(const char* name) {
  Application() = std::make_unique<apptest::TestApp>(name, testenv::MakeTempDir("app"));
  gameflow::GameFlowManager::Instance().application = Application().get();
}

void DetachApplication() {
  gameflow::GameFlowManager::Instance().application = nullptr;
  Application().reset();
}

bool StartInputDevices() {
  if (!plat::EnsureVideo()) return false;
  input::GetDevices().Shutdown();
  return input::GetDevices().Init(nullptr);
}

void StopInputDevices() { input::GetDevices().Shutdown(); }

bool IsMouseListener(const input::MouseListener* listener) {
  const input::Mouse* mouse = input::GetDevices().mouse;
  if (!mouse) return false;
  const auto& listeners = mouse->Listeners();
  return std::find(listeners.begin(), listeners.end(), listener) != listeners.end();
}

std::string PanelFile(const std::string& name, const std::string& image) {
  return "Panel = { Name = '" + name + "', Size = { 1, 1 }, Children = {\n"
         "  { Name = '" + name + "_bg', Pos = { 0, 0 }, Size = { 1, 1 }, MouseOff = '" + image + "' },\n"
         "} }\n";
}

void ClearScreens() {
  gameflow::GameFlowManager& flow = gameflow::GameFlowManager::Instance();
  flow.Shutdown();
  flow.transitions.outgoing.reset();
  flow.transitions.incoming.reset();
  flow.camera = nullptr;
  ui::UIManager& manager = ui::GetUIMan();
  manager.Shutdown();
  manager.camera = nullptr;
  manager.cursorShown = true;
}

}  // namespace screentest
