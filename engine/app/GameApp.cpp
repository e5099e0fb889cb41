#include "engine/app/GameApp.h"

#include <cmath>
#include <strings.h>

#include "engine/app/GameFlowManager.h"
#include "engine/app/GameRMS.h"
#include "engine/app/GameState.h"
#include "engine/app/Input.h"
#include "engine/app/Script.h"
#include "engine/core/ConfigFile.h"
#include "engine/core/Console.h"
#include "engine/core/Log.h"
#include "engine/core/MemoryManager.h"
#include "engine/core/Random.h"
#include "engine/core/Script.h"
#include "engine/core/SwearFilter.h"
#include "engine/graphics/Camera.h"
#include "engine/graphics/FontManager.h"
#include "engine/graphics/Graphics.h"
#include "engine/graphics/ResMan.h"
#include "engine/graphics/dx8/Dx8Graphics.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/UIProgress.h"
#include "engine/ui/UIWidget.h"
#include "platform/bass/Bass.h"
#include "platform/luaplus/LuaStateOutFile.h"
#include "platform/win32/KernelApi.h"
#include "platform/win32/Time.h"

namespace {

GameApp* g_application = nullptr;

constexpr int32_t kPlayWidth = 800;
constexpr int32_t kPlayHeight = 600;

// The graphics failure boxes. The texts name the library this platform draws with and
// where to look when it does not start, so that the player is not sent after DirectX.
constexpr const char* kGraphicsInitCaption = "Failed to init graphics. Exiting";
constexpr const char* kGraphicsInitText =
    "Unable to initialize graphics. Is OpenGL 3.3 available (through Mesa)? If it's not, "
    "check that the graphics drivers are installed and the LIBGL_ and MESA_ environment "
    "settings; kv.log in the save folder tells what failed.";
constexpr const char* kDeviceCaption = "Unable to init OpenGL";
constexpr const char* kDeviceText =
    "We had a problem initializing OpenGL 3.3 through Mesa. It looks like we won't be able "
    "to start the game. ";

void SetPlayAreaOffsets(int32_t x, int32_t y) {
  screen::g_offsetX = x;
  screen::g_offsetY = y;
  if (Graphics* graphics = GetGraphics()) {
    graphics->storedOffsetX = x;
    graphics->storedOffsetY = y;
  }
}

// The low 8 bits of trunc(value x 255); a value too large for that (or not a number)
// gives 0 rather than an undefined conversion.
uint32_t ClearColorChannel(float value) {
  const double scaled = std::trunc(static_cast<double>(value) * 255.0);
  if (!(std::fabs(scaled) < 2147483648.0)) return 0;
  return static_cast<uint32_t>(static_cast<int32_t>(scaled)) & 0xFFu;
}

bool EqualsIgnoreCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && strncasecmp(a.c_str(), b.c_str(), a.size()) == 0;
}

// What the engine's script functions ask of the user interface, done by the UI manager.
class UIManagerScriptUI final : public script::ScriptUI {
 public:
  void RefreshText() override { ui::GetUIMan().RefreshText(); }
  void SetLanguageName(const std::string& name) override { ui::GetUIMan().SetLanguageName(name); }
  void ReloadImages() override { ui::GetUIMan().ReloadImages(); }
};

UIManagerScriptUI g_scriptUI;

}  // namespace

GameApp* GetApplication() { return g_application; }
void SetApplication(GameApp* application) { g_application = application; }

bool IsWideScreen(uint32_t width, uint32_t height) {
  return height > 0 && static_cast<float>(width) / static_cast<float>(height) > 1.5f && width > 800;
}

std::string LanguageNameForId(uint32_t languageId) {
  switch (languageId & 0x3FF) {
    case 0x04: return "chinese";
    case 0x07: return "german";
    case 0x09: return "english";
    case 0x0A: return "spanish";
    case 0x0C: return "french";
    case 0x11: return "japanese";
    case 0x12: return "korean";
    case 0x13: return "dutch";
    case 0x16: return "portuguese";
    case 0x1D: return "swedish";
    default: return "english";
  }
}

bool ChooseLanguage(const std::string& configured, bool force, const std::string& storedLanguage,
                    std::string& chosen) {
  if (!force && !storedLanguage.empty()) return false;
  chosen = EqualsIgnoreCase(configured, "auto") ? LanguageNameForId(GetUserDefaultUILanguage()) : configured;
  return true;
}

GameApp::GameApp(HINSTANCE moduleInstance, const std::string& className, const std::string& settingsPath,
                 const std::string& logPath)
    : Win32Application(moduleInstance, className, settingsPath, logPath) {
  uint32_t modeWidth = 0;
  uint32_t modeHeight = 0;
  uint32_t modeDepth = 0;
  GetDesktopMode(modeWidth, modeHeight, modeDepth);
  screen::g_wideScreen = IsWideScreen(modeWidth, modeHeight);
  if (screen::g_wideScreen) {
    LOG_LINE(MSG_COMMENT) << "Wide screen Detected !";
  } else {
    LOG_LINE(MSG_COMMENT) << "Regular screen Detected !";
  }
}

GameApp::~GameApp() {
  delete camera;
  camera = nullptr;
  delete script;
  script = nullptr;
  delete rms;
  rms = nullptr;
}

// --- Start-up ---

bool GameApp::Init() {
  uint32_t depth = 0;
  GetDesktopMode(desktopWidth, desktopHeight, depth);
  Log::Instance().flushEachLine = true;
  LoadConfig(kConfigFile);
  InitSystems();
  MountArchive();
  if (!InitGraphics()) return false;

  started = true;
  ui::GetUIMan().cursorShown = false;
  // Particle widgets draw their systems from here on: nothing else turns the switch on.
  ui::GetUIMan().particlesShown = true;
  num::CSRand(timeGetTime());
  console::GetConsole().Do("ReloadGame()");
  BindKeys();
  OnCreateStates();
  if (loadingPanel) loadingPanel->SetIsVisible(false);
  return true;
}

void GameApp::LoadConfig(const std::string& file) {
  // A store from an earlier call would be lost unsaved; it is the player's only when it
  // was loaded, and then it is saved first.
  if (rms) {
    if (rms->IsLoaded()) rms->Save();
    delete rms;
    rms = nullptr;
  }
  LuaState* state = script::CreateLuaState();
  if (!script::LoadScript(state, file)) {
    LOG_LINE(MSG_ERROR) << "Unable to run the start-up file " << file;
    LuaState::Destroy(state);
    // saveName keeps its default, the one a file without "SaveFile" gives as well.
    rms = CreateRMS();
    LOG_LINE(MSG_COMMENT) << "RMS object created.";
    LOG_LINE(MSG_COMMENT) << "Loading RMS data...";
    if (rms) rms->Load();
    LOG_LINE(MSG_COMMENT) << "RMS data loaded.";
    return;
  }

  const LuaObject config = script::GetGlobal(state, "Config");
  if (config.IsTable()) {
    saveName = script::GetString(config, "SaveFile", kDefaultSaveName);
    // Only now: the store takes its file name from the save name.
    rms = CreateRMS();
    if (rms) rms->Load();
    const std::string language = script::GetString(config, "Language", "auto");
    const bool force = script::GetBool(config, "ForceLang", false);
    std::string chosen;
    if (rms && ChooseLanguage(language, force, rms->GetLanguage(), chosen)) rms->SetLanguage(chosen);
  } else {
    rms = CreateRMS();
    if (rms) rms->Load();
  }
  LuaState::Destroy(state);
}

void GameApp::InitSystems() {
  if (script) return;
  MEMORY_OWNER("GameApp::InitSystems");
  script = new GameScript;
}

GameRMS* GameApp::CreateRMS() {
  MEMORY_OWNER("GameApp::CreateRMS");
  return new GameRMS;
}

bool GameApp::InitGraphics() {
  Graphics* graphics = Dx8Graphics::Create();
  graphics->window = window;
  if (!graphics->Init()) {
    MessageBoxA(window, kGraphicsInitText, kGraphicsInitCaption, MB_OK);
    return false;
  }
  fullscreen = rms && rms->IsUseFullscreenEnabled();
  if (!SetDisplayMode()) return false;

  if (!input::GetDevices().Init(window)) return false;
  LOG_LINE(MSG_INIT) << "Input initializes";

  InitAudio();
  InitFonts();

  console::Console& console = console::GetConsole();
  console.Init(kConsoleScript);
  // The UI manager is first used here: after input started, so that it hears the devices,
  // and after the console, so that it hears each event after the console does.
  script::SetScriptUI(&g_scriptUI);
  ui::UIManager& uiManager = ui::GetUIMan();
  RegisterScriptFunctions(console.GetState());

  std::string language = rms ? rms->GetLanguage() : std::string();
  if (language.empty()) language = "english";
  console.Do("OnStartUp()");
  // The name is escaped: a quote or a backslash in a name from the profile or config.ini
  // would otherwise cut the script short. (The shared escaping is for double-quoted
  // literals; this one is single-quoted, so its quotes are escaped here too.)
  std::string escaped;
  AppendLuaEscaped(language, escaped);
  std::string setup = "SetupLanguage('";
  for (char c : escaped) {
    if (c == '\'') setup += '\\';
    setup += c;
  }
  setup += "');";
  console.Do(setup);
  LOG_LINE(MSG_INIT) << "Console initialized";

  SwearFilter::Instance().Load(kSwearFile);

  loadingPanel = uiManager.AddPanel(kLoadingPanel);
  loadingBar = loadingPanel ? loadingPanel->GetProgressByName(kLoadingBar) : nullptr;

  // Made already aimed: eye (0, 20, -20) at the origin, up the y axis, a 60 degree field
  // of view at 4:3, near 5, far 4000.
  MEMORY_OWNER("GameApp::InitGraphics");
  camera = new camera::Camera(math::Vec3(0.0f, 20.0f, -20.0f), math::Vec3(0.0f, 0.0f, 0.0f),
                              math::Vec3(0.0f, 1.0f, 0.0f), 60.0f, 1.3333334f, math::Vec2(5.0f, 4000.0f));
  const math::Vec3 clear =
      config::ConfigFile::Instance().GetVector("ClearColor", math::Vec3(0.1f, 0.1f, 0.3f));
  camera->SetClearColor(0xFF000000u | (ClearColorChannel(clear.x) << 16) | (ClearColorChannel(clear.y) << 8) |
                        ClearColorChannel(clear.z));
  return true;
}

bool GameApp::SetDisplayMode() {
  Graphics* graphics = GetGraphics();
  if (!graphics) return false;
  if (!AllowFullscreen()) fullscreen = false;
  if (fullscreen && screen::g_wideScreen) graphics->DetectWidescreen(width, height);
  SetPlayAreaOffsets((static_cast<int32_t>(width) - kPlayWidth) / 2,
                     (static_cast<int32_t>(height) - kPlayHeight) / 2);

  bool created = graphics->CreateDevice(width, height, fullscreen, false);
  if (!created && fullscreen) {
    LOG_LINE(MSG_ERROR) << "**** UNABLE TO START FULLSCREEN ****";
    LOG_LINE(MSG_ERROR) << "**** Forcing windowed mode ****";
    fullscreen = false;
    width = kPlayWidth;
    height = kPlayHeight;
    SetPlayAreaOffsets(0, 0);
    created = graphics->CreateDevice(width, height, false, false);
  }
  if (!created) {
    MessageBoxA(nullptr, kDeviceText, kDeviceCaption, MB_OK);
    return false;
  }
  graphics->RegisterImageTypes();
  // Cards without hardware transform and lighting (class 0) draw unfiltered.
  graphics->SetFiltering(graphics->cardClass >= 1);
  return true;
}

void GameApp::OnLoadProgress(int32_t units) {
  loadedUnits += units;
  // A game that sets no total (0) gets an empty bar rather than a division by zero.
  if (loadingBar) {
    loadingBar->SetProgress(totalUnits > 0 ? static_cast<float>(loadedUnits) / static_cast<float>(totalUnits) : 0.0f);
  }
  if (LoadingFrameDue()) {
    // A lost device begins no frame; the bar has moved all the same.
    if (Graphics* graphics = GetGraphics()) {
      DrawStandaloneFrame(*graphics, 0xFFFFFFFFu, [this] {
        if (loadingPanel) loadingPanel->Render(true);
      });
    }
  }
  PumpMessage();
}

bool GameApp::LoadingFrameDue() {
  LARGE_INTEGER now;
  LARGE_INTEGER frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  const bool atEnd = loadedUnits >= totalUnits;
  if (!atEnd && lastLoadingFrame >= 0 &&
      (now.QuadPart - lastLoadingFrame) * kLoadingFramesPerSecond < frequency.QuadPart) {
    return false;
  }
  lastLoadingFrame = now.QuadPart;
  return true;
}

void GameApp::SaveProfile() {
  if (rms && rms->IsLoaded()) rms->Save();
}

// --- Shutdown ---

bool GameApp::Shutdown() {
  LOG_LINE(MSG_INIT) << "Server connection shutdown";

  gameflow::GameFlowManager& flow = gameflow::GameFlowManager::Instance();
  flow.Shutdown();
  // The camera and this object go below; the manager must not keep pointing at them.
  flow.camera = nullptr;
  if (flow.application == this) flow.application = nullptr;
  LOG_LINE(MSG_INIT) << "Gameflow manager shutdown";

  FontManager::Get().Shutdown();
  LOG_LINE(MSG_INIT) << "Font manager shutdown";

  console::GetConsole().Shutdown();
  LOG_LINE(MSG_INIT) << "Console shutdown";

  delete camera;
  camera = nullptr;

  ui::UIManager& uiManager = ui::GetUIMan();
  if (script::GetScriptUI() == &g_scriptUI) script::SetScriptUI(nullptr);
  uiManager.camera = nullptr;
  uiManager.Shutdown();
  loadingPanel = nullptr;
  loadingBar = nullptr;
  LOG_LINE(MSG_INIT) << "UI shutdown";

  // The resources' textures live in the renderer's OpenGL context: they go while it still
  // exists. (The base's service shutdown releases them again, finding none.)
  res::ResMan::Get().ReleaseAll();
  Graphics::SHUTDOWN();
  LOG_LINE(MSG_INIT) << "Graphics shutdown";

  delete script;
  script = nullptr;

  if (rms && rms->IsLoaded()) rms->Save();
  delete rms;
  rms = nullptr;
  return true;
}

// --- Frame, events, display modes ---

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
