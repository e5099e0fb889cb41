#include "engine/app/ProcessExit.h"

#include "engine/app/GameFlowManager.h"
#include "engine/app/Input.h"
#include "engine/core/ConfigFile.h"
#include "engine/core/Console.h"
#include "engine/core/Log.h"
#include "engine/core/StrMan.h"
#include "engine/core/VFS.h"
#include "engine/graphics/DrawQueue.h"
#include "engine/graphics/FontManager.h"
#include "engine/graphics/ResMan.h"
#include "engine/ui/SpriteSet.h"
#include "engine/ui/UIManager.h"

void ShutdownProcessObjects() {
  gameflow::GameFlowManager& flow = gameflow::GameFlowManager::Instance();
  flow.Shutdown();
  flow.delayed.clear();
  flow.camera = nullptr;
  flow.application = nullptr;

  if (ui::UIManager* uiManager = ui::UIManager::Existing()) {
    uiManager->camera = nullptr;
    uiManager->Shutdown();
  }
  ui::GetSpriteSet().Clear();

  console::GetConsole().Shutdown();
  FontManager::Get().Shutdown();
  dd::Manager::Instance().Shutdown();
  input::GetDevices().Shutdown();
  res::ResMan::Get().ReleaseAll();
  lang::StrMan::Instance().Clear();
  vfs::VFS::Instance().RemoveArchives();

  // Its save logs while the log is still open, so its lines come before the banner.
  config::ConfigFile::Instance().Shutdown();
  Log::Instance().Close();
}
