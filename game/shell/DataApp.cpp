#include "game/shell/DataApp.h"

#include <filesystem>
#include <system_error>

#include "engine/app/Audio.h"
#include "engine/app/BootLoader.h"
#include "engine/app/GameFlowManager.h"
#include "engine/app/GameRMS.h"
#include "engine/app/Input.h"
#include "engine/app/Mouse.h"
#include "engine/core/Console.h"
#include "engine/core/Log.h"
#include "engine/core/VFS.h"
#include "engine/graphics/FontManager.h"
#include "engine/ui/SpriteSet.h"
#include "game/board/KivGameState.h"
#include "game/shell/Music.h"
#include "game/shell/Shell.h"
#include "platform/dinput/DInput.h"

DataApp::DataApp(HINSTANCE moduleInstance, const std::string& className, const std::string& settingsPath,
                 const std::string& logPath)
    : GameApp(moduleInstance, className, settingsPath, logPath) {}

bool DataApp::Init() {
  const bool ok = GameApp::Init();
  if (ok) {
    if (input::Mouse* mouse = input::GetDevices().mouse) mouse->SetCursorVisible(true);
  }
  return ok;
}

std::string DataApp::FindArchive() {
  namespace fs = std::filesystem;
  std::error_code error;
  if (fs::is_regular_file(kArchive, error)) return kArchive;
  const fs::path program = fs::read_symlink("/proc/self/exe", error);
  if (!error) {
    const fs::path beside = program.parent_path() / kArchive;
    if (fs::is_regular_file(beside, error)) return beside.string();
  }
  // Not found either way: the archive's own log line names the file it looked for.
  return kArchive;
}

void DataApp::MountArchive() { vfs::VFS::Instance().AddArchive(FindArchive()); }

std::string DataApp::GetProfileFileName() { return "kx_" + GetSaveName() + ".rms"; }

void DataApp::InitAudio() {
  audio::Audio& audio = audio::GetAudio();
  audio.Init(kSoundBank);
  if (rms) {
    audio.SetMusicVolume(static_cast<int>(rms->GetMusicVolume()));
    audio.SetSFXVolume(static_cast<int>(rms->GetSoundVolume()));
  }
  LOG_LINE(MSG_INIT) << "Audio manager Init";
  KivMusic::Instance().Init();

  BootLoader splash(true);
  splash.skipEndsPage = true;
  for (const char* page : kSplashPages) splash.AddPage(page, kSplashHold, kSplashFadeIn, kSplashFadeOut);
  while (!splash.done) {
    splash.Tick();
    splash.Render();
  }
}

bool DataApp::Frame() {
  GameApp::Frame();
  KivMusic::Instance().Update();
  return true;
}

void DataApp::InitFonts() {
  FontManager& fonts = FontManager::Get();
  fonts.RegisterTTFonts("times new roman", 6, 12);
  for (const char* name : kBitmapFonts) fonts.InitBitmapFont(name, std::string("fonts/") + name + ".lua");
  LOG_LINE(MSG_INIT) << "Font manager initialized";
}

void DataApp::BindKeys() {
  console::Console& console = console::GetConsole();
  console.Do("ReloadGame()");
  console.BindKey(DIK_ESCAPE, "QuitGame()");
  console.BindKey(DIK_F3, "CaptureAutoScreenshot()");
  console.BindKey(DIK_F4, "CaptureMiniScreenshot()");
}

void DataApp::OnCreateStates() {
  RegisterShellScripts(console::GetConsole().GetState());
  gameflow::GameFlowManager& flow = gameflow::GameFlowManager::Instance();
  flow.application = this;
  flow.camera = camera;
  // The trophy sprites name the icons of the panels that "OnInitUI()" loads.
  ui::GetSpriteSet().Load(kTrophySprites);
  // The heroine's pieces, which the fashion studio's copy of her shows once "OnInitUI()"
  // has loaded its panel.
  ui::GetSpriteSet().Load(kHanaSprites);
  console::Console& console = console::GetConsole();
  console.Do("OnInitUI()");
  // The board's sprites, then the level state, which finds the level's panels that
  // "OnInitUI()" has loaded.
  ui::GetSpriteSet().Load(kBoardSprites);
  // The corners of the tips' frame.
  ui::GetSpriteSet().Load(kHelpSprites);
  flow.AddTransitionState(KivGameState::kName, new KivGameState(camera));
  // Nothing more to load: the bar shows full before the first screen.
  loadedUnits = totalUnits - 1;
  OnLoadProgress(1);
  console.Do("GoToState('menu')");
}
