// The program entry: runs the one application object through the engine's driver, then
// stops the process-wide services in order before main returns: the game shell's
// objects first, while the audio manager and the log still exist, then the engine's.

#include <string>

#include "engine/app/AppMain.h"
#include "engine/app/ProcessExit.h"
#include "engine/core/MemoryManager.h"
#include "game/shell/KivApp.h"
#include "game/shell/Shell.h"

namespace {

GameApp* CreateApplication(HINSTANCE instance, const std::string& className, const std::string& settingsPath,
                           const std::string& logPath) {
  MEMORY_OWNER("CreateApplication");
  return new KivApp(instance, className, settingsPath, logPath);
}

}  // namespace

// The caption is also the window class name that the single-instance test looks for.
int main() {
  const int status = RunApplication(MakeCaption(__DATE__), CreateApplication);
  ShutdownShellObjects();
  ShutdownProcessObjects();
  return status;
}
