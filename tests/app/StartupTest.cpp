// Start-up and shutdown of the services: the fixed order of a whole run through the
// driver and the ordered end of the process-wide services, on a renderer, an audio
// library and game hooks that record what is asked of them; the language choice; the
// wide-screen test; the default save name; and the graphics failures.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "engine/app/AppMain.h"
#include "engine/app/Audio.h"
#include "engine/app/GameApp.h"
#include "engine/app/GameFlowManager.h"
#include "engine/app/GameRMS.h"
#include "engine/app/GameState.h"
#include "engine/app/Input.h"
#include "engine/app/ProcessExit.h"
#include "engine/core/ConfigFile.h"
#include "engine/core/Console.h"
#include "engine/core/Log.h"
#include "engine/graphics/Camera.h"
#include "engine/graphics/Font.h"
#include "engine/graphics/FontManager.h"
#include "engine/graphics/ResMan.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/UIProgress.h"
#include "engine/ui/UIWidget.h"
#include "platform/bass/RecordingBackend.h"
#include "platform/win32/KernelApi.h"
#include "platform/win32/MessageQueue.h"
#include "platform/win32/SdlVideo.h"
#include "tests/app/AppTestSupport.h"
#include "tests/core/LogCapture.h"
#include "tests/support/RecordOrder.h"
#include "tests/support/TestEnv.h"

namespace {

// --- One record of everything, in the order it happened ---

std::vector<std::string>* g_record = nullptr;
bass::RecordingBackend* g_bass = nullptr;
size_t g_bassSeen = 0;
Log::Callback g_forward = nullptr;

void Note(const std::string& entry) {
  if (g_record) g_record->push_back(entry);
}

// The audio library's calls since the last look, in order.
void RecordBassCalls() {
  if (!g_bass) return;
  const auto& calls = g_bass->Calls();
  for (; g_bassSeen < calls.size(); ++g_bassSeen) Note(calls[g_bassSeen].function);
}

// Every log line as "text  [LEVEL]" (without the source prefix and the line feed), after
// the audio calls made before it; then on to the console, as without the test.
void RecordLogLine(const char* text) {
  RecordBassCalls();
  std::string line = text ? text : "";
  if (!line.empty() && line.back() == '\n') line.pop_back();
  const size_t prefixEnd = line.find(")> ");
  if (prefixEnd != std::string::npos && line.find("[MSG_SCRIPT]") == std::string::npos) {
    line = line.substr(prefixEnd + 3);
  }
  Note(line);
  if (g_forward) g_forward(text);
}

using recordtest::ExpectInOrder;
using recordtest::FindFrom;

// --- Recording fakes ---

class RecordingGraphics : public apptest::FakeGraphics {
 public:
  ~RecordingGraphics() override { Note("renderer deleted"); }
  bool Init() override {
    Note("renderer Init");
    return initResult;
  }
  bool CreateDevice(uint32_t w, uint32_t h, bool full, bool) override {
    Note("renderer CreateDevice " + std::to_string(w) + "x" + std::to_string(h) +
           (full ? " fullscreen" : " windowed"));
    return full ? fullscreenWorks : windowedWorks;
  }
  void RegisterImageTypes() override { Note("renderer RegisterImageTypes"); }
  void SetFiltering(bool on) override {
    if (on != filtering) Note(std::string("renderer filtering ") + (on ? "on" : "off"));
    Graphics::SetFiltering(on);
  }
  void Clear(uint32_t color, float, uint32_t, bool, bool, bool) override {
    char text[32];
    std::snprintf(text, sizeof text, "renderer Clear %08x", color);
    Note(text);
  }
  bool Present() override {
    Note("renderer Present");
    return true;
  }
  void ReleaseResources() override { Note("renderer ReleaseResources"); }
  bool ResetDevice(uint32_t w, uint32_t h, bool full) override {
    Note("renderer ResetDevice " + std::to_string(w) + "x" + std::to_string(h) + (full ? " fullscreen" : " windowed"));
    return resetWorks;
  }
  bool Release() override {
    Note("renderer Release with " + std::to_string(res::ResMan::Get().ResourceCount()) + " resources");
    return true;
  }

  bool initResult = true;
  bool resetWorks = true;
  bool fullscreenWorks = true;
  bool windowedWorks = true;
};

// A resource of the extension "probe" that says when it goes.
class ProbeResource : public res::Resource {
 public:
  ~ProbeResource() override { Note("resource released"); }
  void InitializeResource() override {}
  void Unload() override {}
  static res::Resource* Make() { return new ProbeResource; }
};

// A profile store that records its saves.
class RecordingRMS : public GameRMS {
 protected:
  void SaveExtra(std::FILE*) override { Note("profile saved"); }
};

class RecordingState : public GameState {
 public:
  ~RecordingState() override { Note("state deleted"); }
  bool OnEnter() override {
    Note("state entered");
    return GameState::OnEnter();
  }
  bool OnExit() override {
    Note("state exited");
    return GameState::OnExit();
  }
  bool Tick(float dt) override {
    Note("state tick");
    // The third frame asks the application to quit, as a script would.
    if (++ticks == 3) GetApplication()->Quit();
    return GameState::Tick(dt);
  }
  bool Render() override { return true; }
  int ticks = 0;
};

// The game's hooks, recording, doing what a game does where the order depends on it.
class RecordingApp : public GameApp {
 public:
  using GameApp::GameApp;

  GameRMS* CreateRMS() override {
    Note("CreateRMS " + GetProfileFileName());
    return new RecordingRMS;
  }
  void MountArchive() override { Note("hook MountArchive"); }
  void InitAudio() override {
    Note("hook InitAudio");
    audio::GetAudio().Init("sounds/soundbank.lua");
    LOG_LINE(MSG_INIT) << "Audio manager Init";
  }
  void InitFonts() override {
    Note("hook InitFonts");
    LOG_LINE(MSG_INIT) << "Font manager initialized";
  }
  void BindKeys() override { Note("hook BindKeys"); }
  void OnCreateStates() override {
    Note("hook OnCreateStates");
    char colour[48];
    std::snprintf(colour, sizeof colour, "clear colour %08x", camera ? camera->GetClearColor() : 0u);
    Note(colour);
    res::ResMan::Get().LoadResource("probe.probe");
    gameflow::GameFlowManager& flow = gameflow::GameFlowManager::Instance();
    flow.application = this;
    flow.camera = camera;
    auto* state = new RecordingState;
    flow.AddTransitionState("first", state);
    flow.EnterState(state);
    OnLoadProgress(1);
    char bar[48];
    std::snprintf(bar, sizeof bar, "loading bar %.4f", loadingBar ? loadingBar->GetProgress() : -1.0f);
    Note(bar);
  }
  std::string GetProfileFileName() override { return "kx_" + GetSaveName() + ".rms"; }
};

// A console script that says when the engine calls it, and a loading panel with its bar.
const char kConsoleScript[] = R"(
function OnStartUp() LOG("OnStartUp ran") end
function SetupLanguage(name) LOG("SetupLanguage " .. name) end
function ReloadGame() LOG("ReloadGame ran") end
function QuitGame() HardQuitGame() end
)";

const char kLoadingPanel[] = R"(
Panel = { Name = "Loading", Type = "Widget", Pos = { 0, 0 }, Size = { 1, 1 },
  Children = { { Name = "LoadingProgress", Type = "Progress", Pos = { 0.25, 0.7 }, Size = { 0.5, 0.04 } } } }
)";

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(plat::EnsureVideo());
    plat::MessageQueue::Instance().Reset();
    input::GetDevices().Shutdown();
    ASSERT_TRUE(testenv::WriteFile("scripts/console.lua", kConsoleScript));
    ASSERT_TRUE(testenv::WriteFile("ui/loading.ui", kLoadingPanel));
    ASSERT_TRUE(testenv::WriteFile("scripts/swear.lua", "Swear = { { From = \"darn\", To = \"####\" } }\n"));
    ASSERT_TRUE(testenv::WriteFile("sounds/soundbank.lua", "SoundBank = { }\n"));
    ASSERT_TRUE(testenv::WriteFile("probe.probe", "probe"));
    res::ResMan::Get().AddResourceConstructor("probe", &ProbeResource::Make);

    g_record = &record_;
    g_bass = &bass_;
    g_bassSeen = 0;
    scopedBass_ = std::make_unique<bass::ScopedBackend>(bass_);
    // The console takes the log's callback when it is made; the record goes in front.
    console::GetConsole();
    g_forward = Log::Instance().callback;
    Log::Instance().callback = &RecordLogLine;

    graphics_ = new RecordingGraphics;
    SetGraphics(graphics_);
  }

  void TearDown() override {
    Log::Instance().callback = g_forward;
    g_forward = nullptr;
    if (GetGraphics() == graphics_) Graphics::SHUTDOWN();
    scopedBass_.reset();
    g_bass = nullptr;
    g_record = nullptr;
    unsetenv("LANG");
    unsetenv("LC_ALL");
    unsetenv("LC_MESSAGES");
  }

  std::vector<std::string> record_;
  bass::RecordingBackend bass_;
  std::unique_ptr<bass::ScopedBackend> scopedBass_;
  RecordingGraphics* graphics_ = nullptr;
};

// The most telling test of start-up: one whole run through the program's driver, then
// the end of the process-wide services, against the fixed order of every step, each
// service's start and stop and each log line.
TEST_F(StartupTest, AWholeRunStartsAndStopsEveryServiceInItsOrder) {
  ASSERT_TRUE(testenv::WriteFile("config.ini", "Config = { SaveFile = \"order\", Language = \"english\" }\n"));

  const int status = RunApplication("Pellavo start-up order", [](HINSTANCE instance, const std::string& className,
                                                                 const std::string& settingsPath,
                                                                 const std::string& logPath) {
    return new RecordingApp(instance, className, settingsPath, logPath);
  });
  ShutdownProcessObjects();
  RecordBassCalls();
  EXPECT_EQ(status, kExitNormal);

  ExpectInOrder(record_, {
      // The application object: log, settings, desktop.
      "Logfile created  [MSG_INIT]",
      "Trying to Load Config file ",
      "Config file Loaded  [MSG_INIT]",
      "screen Detected !  [MSG_COMMENT]",
      // config.ini, then the profile store named after its save name, loaded (a fresh
      // record is written at once).
      "LUA Script config.ini Loaded",
      "CreateRMS kx_order.rms",
      "profile saved",
      "hook MountArchive",
      // Renderer; the fresh profile wants full screen; then image types and filtering.
      "renderer Init",
      "renderer CreateDevice 800x600 fullscreen",
      "renderer RegisterImageTypes",
      "renderer filtering on",
      "Input initializes  [MSG_INIT]",
      "hook InitAudio",
      "BASS_Init",
      "Audio manager Init  [MSG_INIT]",
      "hook InitFonts",
      "Font manager initialized  [MSG_INIT]",
      "LUA Script scripts/console.lua Loaded",
      "OnStartUp ran  [MSG_SCRIPT]",
      "SetupLanguage english  [MSG_SCRIPT]",
      "Console initialized  [MSG_INIT]",
      "LUA Script scripts/swear.lua Loaded",
      "UI panel Loading loaded from file ui/loading.ui",
      "Camera created  [MSG_INIT]",
      "ReloadGame ran  [MSG_SCRIPT]",
      "hook BindKeys",
      "hook OnCreateStates",
      "clear colour ff19194c",
      "state entered",
      // One loading frame: white, the panel, presented; the bar at 1 / 10000.
      "renderer Clear ffffffff",
      "renderer Present",
      "loading bar 0.0001",
      // The main loop: three frames, the third asks to quit.
      "state tick",
      "state tick",
      "state tick",
      // The driver saves the profile file, then Shutdown.
      "profile saved",
      "Server connection shutdown  [MSG_INIT]",
      "state exited",
      "state deleted",
      "Gameflow manager shutdown  [MSG_INIT]",
      "Font manager shutdown  [MSG_INIT]",
      "Console shutdown  [MSG_INIT]",
      "Camera Destroyed  [MSG_COMMENT]",
      "UI shutdown  [MSG_INIT]",
      // The resources go while the renderer exists.
      "resource released",
      "renderer Release with 0 resources",
      "renderer deleted",
      "Graphics shutdown  [MSG_INIT]",
      "profile saved",
      // The application object is deleted: its base services.
      "BASS_Free",
      "Audio manager shutdown  [MSG_INIT]",
      "Resource manager shutdown  [MSG_INIT]",
      // The process-wide services, before main would return.
      "Shutting down input  [MSG_INIT]",
      "Trying to save Config file ",
      "Config file saved  [MSG_INIT]",
  });

  // Nothing was started twice, and nothing ran after the log closed.
  for (const char* once : {"renderer Init", "BASS_Init", "BASS_Free", "hook OnCreateStates", "Console initialized",
                           "UI shutdown", "Graphics shutdown", "Config file saved"}) {
    const size_t first = FindFrom(record_, once, 0);
    EXPECT_EQ(FindFrom(record_, once, first + 1), std::string::npos) << once << " happened twice";
  }
  EXPECT_EQ(record_.back(), "Config file saved  [MSG_INIT]");
  EXPECT_FALSE(Log::Instance().IsOpen());

  // kv.log ends with the settings' save (written before the log closed), and kv.lua
  // holds what the engine read, its clear colour among it.
  const std::string saveFolder = GetSaveFolder();
  const std::string log = testenv::ReadFile(saveFolder + "kv.log");
  ASSERT_FALSE(log.empty());
  EXPECT_NE(log.rfind("Config file saved  [MSG_INIT]\n"), std::string::npos);
  EXPECT_EQ(log.size() - log.rfind("Config file saved  [MSG_INIT]\n"), std::string("Config file saved  [MSG_INIT]\n").size());
  EXPECT_NE(testenv::ReadFile(saveFolder + "kv.lua").find("ClearColor"), std::string::npos);
  EXPECT_EQ(testenv::ReadFile(saveFolder + "kx_order.rms").size(), GameRMS::kRecordSize);

  // A second end finds nothing left to do.
  record_.clear();
  ShutdownProcessObjects();
  EXPECT_EQ(FindFrom(record_, "Config file", 0), std::string::npos);
}

// --- The language choice ---

// An application on its own (no window), current for the profile store's file name.
class ConfigApp : public RecordingApp {
 public:
  ConfigApp() : RecordingApp(GetModuleHandleA(nullptr), "Pellavo config", GetSaveFolder() + "kv.lua",
                             GetSaveFolder() + "kv.log") {
    SetApplication(this);
  }
  ~ConfigApp() override { SetApplication(nullptr); }
  GameRMS* CreateRMS() override { return new GameRMS; }
};

// Writes a profile file whose stored language is `language`.
void StoreLanguage(const std::string& saveName, const std::string& language) {
  GameRMS store(GetSaveFolder() + "kx_" + saveName + ".rms");
  store.Load();
  store.SetLanguage(language);
  ASSERT_TRUE(store.Save());
}

struct LanguageCase {
  const char* name;
  const char* lang;      // LANG ("" unset)
  const char* lcAll;     // LC_ALL ("" unset)
  const char* stored;    // the profile's language before start ("" none)
  const char* config;    // the body of Config
  const char* expected;  // the profile's language after LoadConfig
};

TEST_F(StartupTest, TheLanguageComesFromTheDesktopForAutoIsKeptWhenStoredAndForceLangOverrides) {
  const LanguageCase cases[] = {
      {"auto on a German desktop", "de_DE.UTF-8", "", "", "Language = \"auto\"", "german"},
      {"AUTO in capitals", "de_DE.UTF-8", "", "", "Language = \"AUTO\"", "german"},
      {"no Language means auto", "fr_CA.UTF-8", "", "", "SaveFile = \"hovrik\"", "french"},
      {"LC_ALL before LANG", "de_DE.UTF-8", "pt_BR.UTF-8", "", "Language = \"Auto\"", "portuguese"},
      {"a desktop language without a name", "it_IT.UTF-8", "", "", "Language = \"auto\"", "english"},
      {"the C locale", "C.UTF-8", "", "", "Language = \"auto\"", "english"},
      {"a name is taken as written", "de_DE.UTF-8", "", "", "Language = \"Swedish\"", "Swedish"},
      {"a stored language is kept", "de_DE.UTF-8", "", "dutch", "Language = \"auto\"", "dutch"},
      {"also against a named one", "de_DE.UTF-8", "", "dutch", "Language = \"french\"", "dutch"},
      {"ForceLang true overrides", "de_DE.UTF-8", "", "german", "Language = \"french\", ForceLang = true",
       "french"},
      {"ForceLang 1 counts as true", "de_DE.UTF-8", "", "german", "Language = \"french\", ForceLang = 1",
       "french"},
      {"ForceLang with auto", "sv_SE.UTF-8", "", "german", "Language = \"auto\", ForceLang = 1", "swedish"},
      {"ForceLang 0 is false", "de_DE.UTF-8", "", "german", "Language = \"french\", ForceLang = 0", "german"},
  };
  int n = 0;
  for (const LanguageCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string saveName = "lang" + std::to_string(n++);
    unsetenv("LC_ALL");
    unsetenv("LC_MESSAGES");
    setenv("LANG", c.lang, 1);
    if (*c.lcAll) setenv("LC_ALL", c.lcAll, 1);
    if (*c.stored) StoreLanguage(saveName, c.stored);
    std::string body = c.config;
    if (body.find("SaveFile") == std::string::npos) body += ", SaveFile = \"" + saveName + "\"";
    ASSERT_TRUE(testenv::WriteFile("config.ini", "Config = { " + body + " }\n"));

    ConfigApp app;
    app.LoadConfig("config.ini");
    ASSERT_NE(app.rms, nullptr);
    EXPECT_EQ(app.rms->GetLanguage(), c.expected);
  }
}

TEST(LanguageNames, EachKnownPrimaryLanguageHasItsNameAndAnyOtherIsEnglish) {
  const struct {
    uint32_t id;
    const char* name;
  } cases[] = {
      {0x04, "chinese"}, {0x07, "german"},   {0x09, "english"},    {0x0A, "spanish"},
      {0x0C, "french"},  {0x11, "japanese"}, {0x12, "korean"},     {0x13, "dutch"},
      {0x16, "portuguese"}, {0x1D, "swedish"}, {0x0407, "german"}, {0x0C0A, "spanish"},
      {0x10, "english"}, {0x00, "english"},  {0x19, "english"},
  };
  for (const auto& c : cases) EXPECT_EQ(LanguageNameForId(c.id), c.name) << std::hex << c.id;
}

// --- The wide screen ---

TEST(WideScreen, IsWiderThanOneAndAHalfAndWiderThan800) {
  const struct {
    uint32_t width, height;
    bool wide;
  } cases[] = {
      {1680, 1050, true},   // 1.6
      {1920, 1080, true},   // 1.78
      {1600, 1200, false},  // 1.33
      {1440, 960, false},   // exactly 1.5
      {800, 480, false},    // 1.67, but no wider than 800
      {801, 480, true},
      {1024, 768, false},
      {0, 0, false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsWideScreen(c.width, c.height), c.wide) << c.width << " x " << c.height;
}

// --- The save name ---

TEST_F(StartupTest, TheSaveNameIsHovrikWhetherConfigIsMissingOrHasNoSaveFile) {
  const struct {
    const char* name;
    const char* config;  // nullptr: no config.ini at all
    const char* saveName;
  } cases[] = {
      {"no config.ini", nullptr, "hovrik"},
      {"config.ini that does not run", "Config = {", "hovrik"},
      {"no SaveFile", "Config = { Language = \"english\" }", "hovrik"},
      {"Config is no table", "Config = 3", "hovrik"},
      {"a SaveFile", "Config = { SaveFile = \"mine\" }", "mine"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::remove("config.ini");
    if (c.config) {
      ASSERT_TRUE(testenv::WriteFile("config.ini", c.config));
    }
    LogCapture log;
    ConfigApp app;
    app.LoadConfig("config.ini");
    EXPECT_EQ(app.GetSaveName(), c.saveName);
    ASSERT_NE(app.rms, nullptr);
    EXPECT_TRUE(app.rms->IsLoaded());
    EXPECT_EQ(app.rms->GetPath(), GetSaveFolder() + "kx_" + c.saveName + ".rms");
    if (!c.config || std::string(c.config) == "Config = {") {
      EXPECT_TRUE(log.Contains("Unable to run the start-up file config.ini"));
      EXPECT_TRUE(log.Contains("RMS object created."));
      EXPECT_TRUE(log.Contains("Loading RMS data..."));
      EXPECT_TRUE(log.Contains("RMS data loaded."));
    } else {
      EXPECT_FALSE(log.Contains("RMS object created."));
    }
  }
}

// --- Graphics failures ---

class GraphicsFailureTest : public StartupTest {
 protected:
  // Start-up up to the first failure, without a window (input starts on no window).
  bool StartUp(RecordingApp& app) {
    SetApplication(&app);
    const bool ok = app.Init();
    app.Shutdown();
    SetApplication(nullptr);
    return ok;
  }
};

// A language name is handed to the console script as a Lua string: a quote in it (from
// config.ini or the profile) reaches SetupLanguage whole instead of breaking the call.
TEST_F(GraphicsFailureTest, ALanguageNameWithAQuoteReachesTheScriptWhole) {
  ASSERT_TRUE(testenv::WriteFile("config.ini",
                                 "Config = { SaveFile = \"quote\", Language = \"o'brien\\\\x\", ForceLang = true }\n"));
  ConfigApp app;
  EXPECT_TRUE(StartUp(app));
  EXPECT_NE(FindFrom(record_, "SetupLanguage o'brien\\x  [MSG_SCRIPT]", 0), std::string::npos);
}

TEST_F(GraphicsFailureTest, ARendererThatDoesNotStartShowsWhereToLookAndStopsTheStart) {
  graphics_->initResult = false;
  LogCapture log;
  ConfigApp app;
  EXPECT_FALSE(StartUp(app));
  const std::string box = log.Find("Message box \"Failed to init graphics. Exiting\"");
  ASSERT_FALSE(box.empty());
  EXPECT_NE(box.find("Unable to initialize graphics. Is OpenGL 3.3 available (through Mesa)?"), std::string::npos);
  EXPECT_NE(box.find("LIBGL_"), std::string::npos);
  EXPECT_EQ(box.find("DX"), std::string::npos);
  EXPECT_EQ(FindFrom(record_, "renderer CreateDevice", 0), std::string::npos);
  EXPECT_EQ(FindFrom(record_, "Input initializes", 0), std::string::npos);
}

TEST_F(GraphicsFailureTest, ARefusedFullScreenEndsWindowedAt800x600WithTheOffsetsAtZero) {
  ASSERT_TRUE(testenv::WriteFile("config.ini", "Config = { SaveFile = \"full\", Language = \"english\" }\n"));
  graphics_->fullscreenWorks = false;
  ConfigApp app;
  app.width = 1024;  // as a full-screen mode would have it
  app.height = 768;
  EXPECT_TRUE(StartUp(app));
  ExpectInOrder(record_, {"renderer CreateDevice 1024x768 fullscreen", "**** UNABLE TO START FULLSCREEN ****  [MSG_ERROR]",
                          "**** Forcing windowed mode ****  [MSG_ERROR]", "renderer CreateDevice 800x600 windowed",
                          "renderer RegisterImageTypes", "Input initializes"});
  EXPECT_FALSE(app.fullscreen);
  EXPECT_EQ(app.width, 800u);
  EXPECT_EQ(app.height, 600u);
  EXPECT_EQ(screen::g_offsetX, 0);
  EXPECT_EQ(screen::g_offsetY, 0);
}

TEST_F(GraphicsFailureTest, NoDeviceAtAllShowsTheOpenGLBoxAndStopsTheStart) {
  graphics_->fullscreenWorks = false;
  graphics_->windowedWorks = false;
  LogCapture log;
  ConfigApp app;
  EXPECT_FALSE(StartUp(app));
  EXPECT_TRUE(log.Contains("Message box \"Unable to init OpenGL\": We had a problem initializing OpenGL 3.3 through "
                           "Mesa. It looks like we won't be able to start the game. "));
  EXPECT_EQ(FindFrom(record_, "Input initializes", 0), std::string::npos);
}

// --- The device reset ---

class RecordingFont : public Font {
 public:
  RecordingFont() : Font("ProbeFont") {}
  void BindSheet() override {}
  void DrawTextW(const WString&, const math::Vec2&, const math::Vec2&, uint32_t, uint32_t, uint32_t) override {}
  void OnDeviceLost() override { Note("font lost"); }
  bool Recreate() override {
    Note("font recreated");
    return true;
  }
};

class RecordingPanel : public ui::UIWidget {
 public:
  RecordingPanel() : UIWidget(nullptr, "ProbePanel") {}
  void ResetResources() override { Note("panel ResetResources"); }
};

TEST_F(StartupTest, ADeviceResetReleasesFontsAndTargetsFirstAndRestoresThemOnlyAfterASuccessfulReset) {
  FontManager& fonts = FontManager::Get();
  auto* font = new RecordingFont;
  ASSERT_TRUE(fonts.AddFont(font));
  fonts.defaultFont = font;
  ui::GetUIMan().AttachPanel(new RecordingPanel);
  ConfigApp app;
  record_.clear();

  app.fullscreen = true;
  app.width = 1024;
  app.height = 768;
  app.ApplyDisplayMode();
  EXPECT_EQ(record_, (std::vector<std::string>{"font lost", "renderer ReleaseResources",
                                               "renderer ResetDevice 1024x768 fullscreen", "panel ResetResources",
                                               "font recreated"}));

  record_.clear();
  graphics_->resetWorks = false;
  app.ApplyDisplayMode();
  EXPECT_EQ(record_, (std::vector<std::string>{"font lost", "renderer ReleaseResources",
                                               "renderer ResetDevice 1024x768 fullscreen"}));
  ui::GetUIMan().Shutdown();
  fonts.Shutdown();
}

}  // namespace
