#include "game/shell/KivApp.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <iterator>
#include <system_error>
#include <vector>

#include "engine/app/Audio.h"
#include "engine/app/BootLoader.h"
#include "engine/app/GameFlowManager.h"
#include "engine/app/GameRMS.h"
#include "engine/app/Input.h"
#include "engine/app/Mouse.h"
#include "engine/core/Console.h"
#include "engine/core/Log.h"
#include "engine/core/Timer.h"
#include "engine/core/VFS.h"
#include "engine/graphics/FontManager.h"
#include "engine/ui/SpriteSet.h"
#include "game/board/KivGameState.h"
#include "game/shell/CursorSet.h"
#include "game/shell/KivCreditsState.h"
#include "game/shell/KivHighscoreState.h"
#include "game/shell/KivMenuScreen.h"
#include "game/shell/KivVars.h"
#include "game/shell/MenuScreens.h"
#include "game/shell/Music.h"
#include "game/shell/Shell.h"
#include "platform/dinput/DInput.h"

namespace {

void AddOneLoadingUnit(void* application) { static_cast<KivApp*>(application)->OnLoadProgress(1); }

}  // namespace

std::string MakeCaption(const std::string& buildDate) {
  return std::string("Pellavo") + " : " + "v1.07" + "               (Built on " + buildDate + " )";
}

KivApp::KivApp(HINSTANCE moduleInstance, const std::string& className, const std::string& settingsPath,
               const std::string& logPath)
    : KivApp(moduleInstance, className, settingsPath, logPath, FrameTimer::Instance()) {}

KivApp::KivApp(HINSTANCE moduleInstance, const std::string& className, const std::string& settingsPath,
               const std::string& logPath, FrameTimer& timer)
    : GameApp(moduleInstance, className, settingsPath, logPath), timer_(timer) {}

bool KivApp::Init() {
  const bool ok = GameApp::Init();
  // Pointer moves during loading hide the system's pointer; the game's cursors are
  // system cursors, so it is shown again once start-up is through.
  if (ok) {
    if (input::Mouse* mouse = input::GetDevices().mouse) mouse->SetCursorVisible(true);
  }
  StartPlayTime();
  return ok;
}

void KivApp::StartPlayTime() {
  playTime = static_cast<float>(KivVars::Instance().GetValue(KivVars::kPlayTime));
  playTimeProfile_ = rms ? rms->GetProfileChanges() : 0;
  playTimeCounting = true;
}

void KivApp::CountPlayTime() {
  // The play time is the current profile's: after another profile became current,
  // counting goes on from that profile's total rather than writing the previous one's
  // into it.
  if (rms && rms->GetProfileChanges() != playTimeProfile_) {
    playTime = static_cast<float>(KivVars::Instance().GetValue(KivVars::kPlayTime));
    playTimeProfile_ = rms->GetProfileChanges();
  }
  playTime += timer_.GetDelta();
  if (timer_.GetFramesThisSecond() == 0) {
    KivVars::Instance().SetValue(KivVars::kPlayTime, static_cast<int32_t>(playTime));
  }
}

bool KivApp::Frame() {
  GameApp::Frame();
  if (!playTimeCounting) return true;
  CountPlayTime();
  KivMusic::Instance().Update();
  CursorSet::Instance().Apply();
  return true;
}

std::string KivApp::FindArchive() {
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

void KivApp::MountArchive() { vfs::VFS::Instance().AddArchive(FindArchive()); }

std::string KivApp::GetProfileFileName() { return "kx_" + GetSaveName() + ".rms"; }

void KivApp::InitAudio() {
  audio::Audio& audio = audio::GetAudio();
  audio.Init(kSoundBank);
  if (rms) {
    // Also sets a playing music channel's volume (x the music's factor).
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

void KivApp::InitFonts() {
  FontManager& fonts = FontManager::Get();
  fonts.RegisterTTFonts(kDefaultFont, 6, 12);
  for (const char* name : kBitmapFonts) fonts.InitBitmapFont(name, std::string("fonts/") + name + ".lua");
  LOG_LINE(MSG_INIT) << "Font manager initialized";
}

void KivApp::BindKeys() {
  console::Console& console = console::GetConsole();
  if (console.GetState()) console.Do("ReloadGame()");
  console.BindKey(DIK_ESCAPE, "QuitGame()");
  console.BindKey(DIK_F3, "CaptureAutoScreenshot()");
  console.BindKey(DIK_F4, "CaptureMiniScreenshot()");
}

void KivApp::RescaleLoadingUnits(int32_t& current, int32_t& total, int32_t units) {
  units = std::max(units, 1);
  if (total <= 0 || current < 0 || current >= total) {
    current = 0;
    total = units;
    return;
  }
  // The new total t keeps the bar's place: (t - units) / t = current / total, rounded so
  // that the bar does not move back. 64 bits: the product does not fit in 32.
  const int64_t left = static_cast<int64_t>(total) - current;
  const int64_t newTotal = (static_cast<int64_t>(units) * total + left - 1) / left;
  total = static_cast<int32_t>(std::min<int64_t>(newTotal, INT32_MAX));
  current = total - units;
}

void KivApp::OnCreateStates() {
  console::Console& console = console::GetConsole();
  RegisterShellScripts(console.GetState());
  CursorSet::Instance();

  // The sheets are read first, so that the bar's units are the sprites they hold: one
  // unit now, one a sprite, one when the user interface is made.
  ui::SpriteSet& sprites = ui::GetSpriteSet();
  std::vector<ui::SpriteSet::SheetItem> sheets[std::size(kSpriteSheets)];
  bool read[std::size(kSpriteSheets)] = {};
  int32_t spriteUnits = 0;
  for (size_t i = 0; i < std::size(kSpriteSheets); ++i) {
    read[i] = sprites.ReadSheet(kSpriteSheets[i], sheets[i]);
    spriteUnits += static_cast<int32_t>(sheets[i].size());
  }
  RescaleLoadingUnits(loadedUnits, totalUnits, spriteUnits + 2);
  OnLoadProgress(1);

  // The bar moves once per sprite added.
  sprites.progressCallback = &AddOneLoadingUnit;
  sprites.progressUser = this;
  for (size_t i = 0; i < std::size(kSpriteSheets); ++i) {
    if (read[i]) sprites.AddItems(sheets[i], kSpriteSheets[i]);
  }
  // A sheet loaded later in the game would otherwise draw loading frames over it.
  sprites.progressCallback = nullptr;
  sprites.progressUser = nullptr;

  gameflow::GameFlowManager& flow = gameflow::GameFlowManager::Instance();
  flow.application = this;
  flow.camera = camera;

  if (console.GetState()) console.Do("OnInitUI()");

  LOG_LINE(MSG_COMMENT) << "Loading units : " << loadedUnits << ", total units " << totalUnits;
  loadedUnits = totalUnits - 1;
  OnLoadProgress(1);

  flow.AddTransitionState("game", new KivGameState(camera));
  flow.AddTransitionState("menu", new KivMenuScreen(camera, "ui/menu.ui", "OnEnterMainMenu()", "OnExitMainMenu()",
                                                    "backgrounds/menu.lua"));
  flow.AddTransitionState("shop", new KivShopState(camera, "ui/shop.ui", "OnEnterMainMenu()", "OnExitMainMenu()",
                                                    "backgrounds/shop.lua"));
  flow.AddTransitionState("settings", new KivMenuScreen(camera, "ui/settings.ui", "OnEnterSettings()",
                                                        "OnExitSettings()", "backgrounds/settings.lua"));
  flow.AddTransitionState("highscore", new KivHighscoreState(camera, "ui/highscore.ui", "OnEnterHighscore()",
                                                             "OnExitMainMenu()", "backgrounds/highscore.lua"));
  // The trophy room, the story and the maps show scenes of their own too.
  flow.AddTransitionState("trophies", new KivTrophyState(camera, "", "OnEnterTrophy()", "OnExitTrophy()",
                                                          "backgrounds/trophies.lua"));
  flow.AddTransitionState("story", new KivStoryState(camera, "ui/story.ui", "OnEnterStory()", "OnExitStory()",
                                                      "backgrounds/story.lua"));
  flow.AddTransitionState("credits", new KivCreditsState(camera));
  flow.AddTransitionState("map_asia", new KivMapState(camera, "ui/map_asia.ui", "OnEnterMapAsia()", "OnExitMap()",
                                                       "backgrounds/map_asia.lua"));
  flow.AddTransitionState("map_zen", new KivMapState(camera, "ui/map_zen.ui", "OnEnterMapZen()", "OnExitMap()",
                                                      "backgrounds/map_zen.lua"));

  console.Do("GoToState('menu')");
}
