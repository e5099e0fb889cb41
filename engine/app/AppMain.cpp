#include "engine/app/AppMain.h"

#include "engine/app/GameApp.h"
#include "engine/core/Log.h"
#include "platform/win32/KernelApi.h"
#include "platform/win32/SingleInstance.h"

namespace {
constexpr uint32_t kWindowWidth = 800;
constexpr uint32_t kWindowHeight = 600;
}  // namespace

int RunApplication(const std::string& caption, const ApplicationFactory& create) {
  const std::string saveFolder = GetSaveFolder();
  // The single-instance lock lives beside the log, before any window is made.
  plat::SetInstanceFolder(saveFolder);
  const std::string logPath = saveFolder + "kv.log";
  const std::string settingsPath = saveFolder + "kv.lua";

  GameApp* app = create ? create(GetModuleHandleA(nullptr), caption, settingsPath, logPath) : nullptr;
  if (!app) return kExitFailedStart;
  SetApplication(app);

  if (!app->CreateAppWindow(caption, kWindowWidth, kWindowHeight)) {
    SetApplication(nullptr);
    delete app;
    return kExitFailedStart;
  }

  // A failed start has already shown its message box; the services that did start are
  // still stopped in order below.
  const bool started = app->Init();
  if (started) {
    while (app->Step()) {
    }
  }

  app->SaveProfile();
  app->Shutdown();
  SetApplication(nullptr);
  delete app;
  return started ? kExitNormal : kExitFailedStart;
}
