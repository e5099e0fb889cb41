#include "engine/app/GameApp.h"

#include "engine/app/GameFlowManager.h"
#include "engine/app/GameRMS.h"
#include "engine/app/GameState.h"
#include "engine/core/Log.h"
#include "engine/graphics/Graphics.h"
#include "platform/bass/Bass.h"

namespace {

GameApp* g_application = nullptr;

constexpr int32_t kPlayWidth = 800;
constexpr int32_t kPlayHeight = 600;

void SetPlayAreaOffsets(int32_t x, int32_t y) {
  screen::g_offsetX = x;
  screen::g_offsetY = y;
  if (Graphics* graphics = GetGraphics()) {
    graphics->storedOffsetX = x;
    graphics->storedOffsetY = y;
  }
}

}  // namespace

GameApp* GetApplication() { return g_application; }
void SetApplication(GameApp* application) { g_application = application; }

GameApp::GameApp(HINSTANCE moduleInstance, const std::string& className, const std::string& settingsPath,
                 const std::string& logPath)
    : Win32Application(moduleInstance, className, settingsPath, logPath) {
  uint32_t desktopWidth = 0;
  uint32_t desktopHeight = 0;
  uint32_t desktopDepth = 0;
  GetDesktopMode(desktopWidth, desktopHeight, desktopDepth);
  const bool wide = desktopHeight > 0 &&
                    static_cast<float>(desktopWidth) / static_cast<float>(desktopHeight) > 1.5f &&
                    desktopWidth > 800;
  screen::g_wideScreen = wide;
  if (wide) {
    LOG_LINE(MSG_COMMENT) << "Wide screen Detected !";
  } else {
    LOG_LINE(MSG_COMMENT) << "Regular screen Detected !";
  }
}

GameApp::~GameApp() {
  delete rms;
  rms = nullptr;
}

void GameApp::SaveProfile() {
  if (rms && rms->IsLoaded()) rms->Save();
}

bool GameApp::OnAppEvent(uint32_t code, uintptr_t a, intptr_t b) {
  GameState* current = gameflow::GameFlowManager::Instance().current;
  switch (code) {
    case APP_FOCUS_GAINED:
      BASS_Start();
      OnActivate();
      if (current) current->OnResume();
      break;
    case APP_FOCUS_LOST:
      BASS_Pause();
      OnDeactivate();
      if (current) current->OnPause();
      break;
    case APP_RESIZED:
      // b packs the client width and height; it is no resolution. The game keeps drawing
      // its 800 x 600 play area, and only the presentation fits it into the new client.
      if (Graphics* graphics = GetGraphics()) {
        graphics->SetClientSize(LOWORD(static_cast<uintptr_t>(b)), HIWORD(static_cast<uintptr_t>(b)));
      }
      break;
    default:
      break;
  }
  return Application::OnAppEvent(code, a, b);
}

bool GameApp::Frame() {
  gameflow::GameFlowManager::Instance().Tick();
  return true;
}

void GameApp::SetFullscreen(uint32_t modeWidth, uint32_t modeHeight) {
  Graphics* graphics = GetGraphics();
  if (screen::g_wideScreen && graphics) graphics->DetectWidescreen(modeWidth, modeHeight);
  SetPlayAreaOffsets((static_cast<int32_t>(modeWidth) - kPlayWidth) / 2,
                     (static_cast<int32_t>(modeHeight) - kPlayHeight) / 2);
  width = modeWidth;
  height = modeHeight;
  fullscreen = true;
  style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
  exStyle = static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE));
  HideAppWindow();
  ApplyDisplayMode();
  ShowAppWindow();
}

void GameApp::SetWindowed(uint32_t modeWidth, uint32_t modeHeight) {
  SetPlayAreaOffsets(0, 0);
  width = kPlayWidth;
  height = kPlayHeight;
  fullscreen = false;
  HideAppWindow();
  ApplyDisplayMode();
  ShowAppWindow();
}
