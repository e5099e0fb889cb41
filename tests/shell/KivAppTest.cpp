// The game's application object: its caption, profile file and loading-bar arithmetic,
// one whole run through the program's driver on recording fakes (the order of the hooks
// and what each does, and the ten states), the console keys, the play time in game
// variable 12 on a fake frame clock, and the cursor set.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/app/AppMain.h"
#include "engine/app/GameFlowManager.h"
#include "engine/app/GameRMS.h"
#include "engine/app/GameScreen.h"
#include "engine/app/Input.h"
#include "engine/app/Keyboard.h"
#include "engine/app/ProcessExit.h"
#include "engine/core/Console.h"
#include "engine/core/Log.h"
#include "engine/core/Script.h"
#include "engine/core/Timer.h"
#include "engine/ui/SpriteSet.h"
#include "engine/ui/UIWidget.h"
#include "game/shell/CursorSet.h"
#include "game/shell/KivApp.h"
#include "game/shell/KivVars.h"
#include "game/shell/Shell.h"
#include "platform/bass/RecordingBackend.h"
#include "platform/luaplus/LuaState.h"
#include "platform/win32/KernelApi.h"
#include "platform/win32/MessageQueue.h"
#include "platform/win32/SdlVideo.h"
#include "platform/win32/Time.h"
#include "tests/core/LogCapture.h"
#include "tests/shell/ShellUITest.h"
#include "tests/support/RecordOrder.h"
#include "tests/support/TestEnv.h"
#include "tests/ui/SpriteTestSupport.h"

namespace {

using recordtest::ExpectInOrder;
using recordtest::FindFrom;

TEST(KivAppTest, TheCaptionCarriesTheBuildDate) {
  EXPECT_EQ(MakeCaption("Apr 18 2008"), "Pellavo : v1.07               (Built on Apr 18 2008 )");
}

TEST(KivAppTest, TheLoadingCountersAreRescaledSoThatTheBarEndsWithTheLastUnit) {
  struct Case {
    int32_t current, total, units, expectedCurrent, expectedTotal;
  };
  const Case cases[] = {
      {2500, 10000, 11, 4, 15},  // a quarter stays filled: 11 units in the other three
      {0, 10000, 243, 0, 243},
      {10000, 10000, 5, 0, 5},   // a full bar starts again, empty
      {5, 0, 7, 0, 7},           // no total: no division by zero
      {0, 10000, 0, 0, 1},       // at least the last unit
      // No overflow of the product; the total stays a 32-bit count.
      {1999999999, 2000000000, 1000, 2147483647 - 1000, 2147483647},
  };
  for (const Case& c : cases) {
    int32_t current = c.current;
    int32_t total = c.total;
    KivApp::RescaleLoadingUnits(current, total, c.units);
    EXPECT_EQ(current, c.expectedCurrent) << c.current << " of " << c.total;
    EXPECT_EQ(total, c.expectedTotal) << c.current << " of " << c.total;
    // The bar never moves back (unless the total had to be cut to fit).
    if (c.total > 0 && c.current < c.total && c.expectedTotal < 2147483647) {
      EXPECT_GE(static_cast<double>(current) / total, static_cast<double>(c.current) / c.total);
    }
  }
}

// --- One whole run ---

std::vector<std::string>* g_record = nullptr;
Log::Callback g_forward = nullptr;

void Note(const std::string& entry) {
  if (g_record) g_record->push_back(entry);
}

void RecordLogLine(const char* text) {
  std::string line = text ? text : "";
  if (!line.empty() && line.back() == '\n') line.pop_back();
  const size_t prefixEnd = line.find(")> ");
  if (prefixEnd != std::string::npos) line = line.substr(prefixEnd + 3);
  Note(line);
  if (g_forward) g_forward(text);
}

// Every picture loads except the splash pages' (which would hold the run for seconds).
class RunRenderer : public spritetest::SpriteRenderer {
 public:
  Image* LoadImage(const std::string& name) override {
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".jpg") == 0) return nullptr;
    return SpriteRenderer::LoadImage(name);
  }
};

const char* const kStateNames[] = {"game", "menu", "shop", "settings", "highscore", "trophies",
                                   "story", "credits", "map_asia", "map_zen"};

// The game's application, noting the loading bar and the states it made.
class RecordingKivApp : public KivApp {
 public:
  using KivApp::KivApp;

  void OnLoadProgress(int32_t units) override {
    KivApp::OnLoadProgress(units);
    Note("bar " + std::to_string(loadedUnits) + " of " + std::to_string(totalUnits));
  }
  // The game's own archive beside the program would take the place of the test's files.
  void MountArchive() override { Note("hook MountArchive"); }
  void BindKeys() override {
    KivApp::BindKeys();
    Note("hook BindKeys");
    // A quarter of the engine's loading counters is done when the states hook begins.
    loadedUnits = 2500;
    totalUnits = 10000;
  }
  void OnCreateStates() override {
    Note("hook OnCreateStates");
    KivApp::OnCreateStates();
    gameflow::GameFlowManager& flow = gameflow::GameFlowManager::Instance();
    for (const char* name : kStateNames) {
      GameState* state = flow.states.Find(name);
      if (!state) {
        Note(std::string("state ") + name + " missing");
        continue;
      }
      std::string row = std::string("state ") + name + " " + state->GetTypeName();
      if (auto* screen = dynamic_cast<GameScreen*>(state)) {
        row += " [" + (screen->GetPanel(0) ? screen->GetPanel(0)->GetName() : std::string()) + "] " +
               screen->enterScript + " " + screen->exitScript;
      }
      Note(row);
    }
    Note(std::string("progress callback ") + (ui::GetSpriteSet().progressCallback ? "kept" : "removed"));
    Note("profile file " + std::filesystem::path(rms ? rms->GetPath() : "").filename().string());
  }
};

// The game's scripts as far as the run needs them: each function says that it ran; the
// menu's enter script quits.
const char kRunConsoleScript[] = R"lua(
function OnStartUp() end
function SetupLanguage(name) end
local reloads = 0
function ReloadGame() reloads = reloads + 1 LOG("ReloadGame " .. reloads) end
function OnInitUI()
  local names = { "GetGame", "GetMenuState", "GetVars", "GetHighscore", "GetTrophyScreen", "GetTrophyState",
                  "GetTrophyData", "GetStoryState", "GetUITransition", "GetMusic" }
  local missing = ""
  for _, name in ipairs(names) do
    if _G[name] == nil then missing = missing .. " " .. name end
  end
  LOG("OnInitUI, missing:" .. missing)
end
function GoToState(name) LOG("GoToState " .. name) GoState(name, 0) DelayScript("HardQuitGame()", 5) end
function OnEnterMainMenu() LOG("menu entered") HardQuitGame() end
function OnExitMainMenu() end
function QuitGame() HardQuitGame() end
)lua";

class KivAppRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(plat::EnsureVideo());
    plat::MessageQueue::Instance().Reset();
    input::GetDevices().Shutdown();
    ASSERT_TRUE(testenv::WriteFile("config.ini", "Config = { SaveFile = \"anna\", Language = \"english\" }\n"));
    ASSERT_TRUE(testenv::WriteFile("scripts/console.lua", kRunConsoleScript));
    ASSERT_TRUE(testenv::WriteFile("sounds/soundbank.lua", "SoundBank = { }\n"));
    ASSERT_TRUE(testenv::WriteFile(
        "ui/loading.ui",
        "Panel = { Name = 'Loading', Type = 'Widget', Pos = { 0, 0 }, Size = { 1, 1 }, Children = {"
        " { Name = 'LoadingProgress', Type = 'Progress', Pos = { 0.25, 0.7 }, Size = { 0.5, 0.04 } } } }\n"));
    // Each screen's panel, named after its file.
    for (const char* panel : {"menu", "shop", "settings", "highscore", "story", "map_asia", "map_zen"}) {
      ASSERT_TRUE(testenv::WriteFile(std::string("ui/") + panel + ".ui",
                                     std::string("Panel = { Name = 'ui_") + panel +
                                         "', Type = 'Widget', Pos = { 0, 0 }, Size = { 1, 1 } }\n"));
    }
    // Sprite sheets of one sprite each, two in the last: 9 units in all.
    for (const char* sheet : KivApp::kSpriteSheets) {
      const std::string folder = std::filesystem::path(sheet).parent_path().string();
      std::string body = "Sprites = { { Name = '" + folder + "_a', ImageFile = '" + folder + "/a.png', SpriteC = 1 }";
      if (std::string(sheet) == "trophies/sprites.lua") {
        body += ", { Name = 'trophies_b', ImageFile = 'trophies/b.png', SpriteC = 2 }";
      }
      ASSERT_TRUE(testenv::WriteFile(sheet, body + " }\n"));
    }
    scopedBass_ = std::make_unique<bass::ScopedBackend>(bass_);
    console::GetConsole();
    g_record = &record_;
    g_forward = Log::Instance().callback;
    Log::Instance().callback = &RecordLogLine;
    SetGraphics(new RunRenderer);
  }

  void TearDown() override {
    Log::Instance().callback = g_forward;
    g_forward = nullptr;
    g_record = nullptr;
    scopedBass_.reset();
  }

  std::vector<std::string> record_;
  bass::RecordingBackend bass_;
  std::unique_ptr<bass::ScopedBackend> scopedBass_;
};

TEST_F(KivAppRunTest, AWholeRunFillsTheHooksInOrderAndEntersTheMenu) {
  const int status = RunApplication("Pellavo hook order", [](HINSTANCE instance, const std::string& className,
                                                             const std::string& settingsPath,
                                                             const std::string& logPath) {
    return new RecordingKivApp(instance, className, settingsPath, logPath);
  });
  EXPECT_EQ(status, kExitNormal);

  ExpectInOrder(record_, {
      "LUA Script config.ini Loaded",
      "hook MountArchive",
      "Input initializes",
      // Audio, then fonts.
      "Audio manager Init  [MSG_INIT]",
      "Font manager initialized  [MSG_INIT]",
      "LUA Script scripts/console.lua Loaded",
      // "ReloadGame()" once in the engine's start-up and again in the keys hook.
      "ReloadGame 1",
      "ReloadGame 2",
      "hook BindKeys",
      "hook OnCreateStates",
      // The sheets in their order are read first: they hold 9 sprites.
      "LUA Script img/sprites.lua Loaded",
      "LUA Script ui_img/sprites.lua Loaded",
      "LUA Script effects/sprites.lua Loaded",
      "LUA Script decals/sprites.lua Loaded",
      "LUA Script hana/sprites.lua Loaded",
      "LUA Script tiles/sprites.lua Loaded",
      "LUA Script story/sprites.lua Loaded",
      "LUA Script trophies/sprites.lua Loaded",
      // 2500 of 10000 keeps its quarter of the bar; the rest holds 11 units (one now, one a
      // sprite, one at the end): 4 of 15, and one unit more.
      "bar 5 of 15",
      // One unit per sprite.
      "bar 6 of 15",
      "bar 7 of 15",
      "bar 13 of 15",
      "bar 14 of 15",
      // The script classes exist before "OnInitUI()".
      "OnInitUI, missing:  [MSG_SCRIPT]",
      "Loading units : 14, total units 15  [MSG_COMMENT]",
      "bar 15 of 15",
      "GoToState menu",
      "state game",
      "menu entered",
  });
  // "GoToState('menu')" comes after every state is made, and "ReloadGame()" runs twice.
  EXPECT_EQ(FindFrom(record_, "bar ", FindFrom(record_, "GoToState menu")), std::string::npos);
  EXPECT_EQ(FindFrom(record_, "ReloadGame 3"), std::string::npos);
  EXPECT_NE(FindFrom(record_, "progress callback removed"), std::string::npos);
  EXPECT_NE(FindFrom(record_, "profile file kx_anna.rms"), std::string::npos);

  // The states with what each was given.
  std::vector<std::string> states;
  for (const std::string& entry : record_) {
    if (entry.rfind("state ", 0) == 0) states.push_back(entry);
  }
  const std::vector<std::string> expected = {
      "state game ui_state [] OnEnterGame() OnExitGame()",
      "state menu kiv_menu [ui_menu] OnEnterMainMenu() OnExitMainMenu()",
      "state shop kiv_shop [ui_shop] OnEnterMainMenu() OnExitMainMenu()",
      "state settings kiv_menu [ui_settings] OnEnterSettings() OnExitSettings()",
      "state highscore kiv_highscore [ui_highscore] OnEnterHighscore() OnExitMainMenu()",
      "state trophies kiv_trophy [] OnEnterTrophy() OnExitTrophy()",
      "state story kiv_story [ui_story] OnEnterStory() OnExitStory()",
      "state credits ui_state [] OnEnterCredits() OnExitGeneric()",
      "state map_asia kiv_map [ui_map_asia] OnEnterMapAsia() OnExitMap()",
      "state map_zen kiv_map [ui_map_zen] OnEnterMapZen() OnExitMap()",
  };
  EXPECT_EQ(states, expected);
  ShutdownShellObjects();
  ShutdownProcessObjects();
}

// --- The console keys and the registrations, on the shell's stage ---

class KivAppStageTest : public shelltest::ShellUITest {};

TEST_F(KivAppStageTest, EscapeF3AndF4RunTheirScriptsAfterReloadGame) {
  Run("Ran = ''\n"
      "function ReloadGame() Ran = Ran .. 'reload ' end\n"
      "function QuitGame() Ran = Ran .. 'quit ' end\n"
      "function CaptureAutoScreenshot() Ran = Ran .. 'auto ' end\n"
      "function CaptureMiniScreenshot() Ran = Ran .. 'mini ' end\n");
  KivApp app(GetModuleHandleA(nullptr), "Pellavo keys", GetSaveFolder() + "kv.lua", GetSaveFolder() + "kv.log");
  app.BindKeys();
  EXPECT_EQ(Global("Ran"), "reload ");
  for (uint32_t code : {0x01u, 0x3Du, 0x3Eu, 0x3Cu}) {
    input::KeyEvent event;
    event.code = code;
    console::GetConsole().KeyPressed(&event);
  }
  EXPECT_EQ(Global("Ran"), "reload quit auto mini ");
}

TEST_F(KivAppStageTest, TheScriptInterfaceIsRegisteredInItsOrder) {
  // A state of its own: the stage's state has the classes already.
  LuaState* state = script::CreateLuaState(script::StateUse::Resident);
  ASSERT_NE(state, nullptr);
  std::vector<std::string> order;
  EXPECT_TRUE(RegisterShellScripts(state, [&](const std::string& name) { order.push_back(name); }));
  const std::vector<std::string> expected = {
      "GameState",       "KivHana",        "GetMenuState",   "KivVars",         "KivFashionPopup",
      "KivFashionStudio", "KivSummary",    "KivHighscoreState", "KivTrophyScreen", "GetTrophyState",
      "KivTrophyData",   "KivStoryState",  "KivUITransition", "KivHelp",         "kiv_music"};
  EXPECT_EQ(order, expected);
  EXPECT_EQ(state->DoString("Globals = tostring(GetGame ~= nil and GetMenuState ~= nil and GetVars ~= nil and "
                            "GetHighscore ~= nil and GetTrophyScreen ~= nil and GetTrophyState ~= nil and "
                            "GetTrophyData ~= nil and GetStoryState ~= nil and GetUITransition ~= nil and "
                            "GetMusic ~= nil and KivStoryState ~= nil and GetHana ~= nil and GetShopScreen ~= nil and "
                            "GetStudio ~= nil and GetFashionPopup ~= nil and GetSummary ~= nil and GetHelp ~= nil)"),
            0);
  EXPECT_EQ(script::ToString(script::GetGlobal(state, "Globals"), "?"), "true");
  LuaState::Destroy(state);
}

// --- Play time ---

class PlayTimeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app_ = std::make_unique<KivApp>(GetModuleHandleA(nullptr), "Pellavo play time", GetSaveFolder() + "kv.lua",
                                    GetSaveFolder() + "kv.log", timer_);
    SetApplication(app_.get());
    app_->rms = new GameRMS(GetSaveFolder() + "kx_play.rms");
    app_->rms->Load();
    ASSERT_TRUE(app_->rms->AddProfile("first", "", "english"));
    KivVars::Instance().SetValue(KivVars::kPlayTime, 100);
  }
  void TearDown() override {
    SetApplication(nullptr);
    app_.reset();
  }

  // Frames of 50 ms until the frame timer has counted `seconds` more.
  void Play(float seconds) {
    const float end = timer_.GetTime() + seconds;
    while (timer_.GetTime() < end) {
      clock_.AdvanceSeconds(0.05);
      timer_.Update();
      app_->CountPlayTime();
    }
  }

  win32::FakeClock clock_;
  FrameTimer timer_;
  std::unique_ptr<KivApp> app_;
};

TEST_F(PlayTimeTest, VariableTwelveHoldsWholeSecondsWrittenOnceASecond) {
  app_->StartPlayTime();
  EXPECT_TRUE(app_->playTimeCounting);
  EXPECT_FLOAT_EQ(app_->playTime, 100.0f);
  Play(0.5f);
  EXPECT_EQ(KivVars::Instance().GetValue(KivVars::kPlayTime), 100) << "nothing before the first second";
  Play(2.0f);
  EXPECT_GT(app_->playTime, 102.4f);
  EXPECT_EQ(KivVars::Instance().GetValue(KivVars::kPlayTime), 102);
}

TEST_F(PlayTimeTest, AnotherProfileCountsOnFromItsOwnPlayTime) {
  // After 2.2 s from a change the variable holds its profile's total plus the seconds at
  // the last boundary (1 or 2, as the frame timer's window falls); counting on from the
  // previous profile's time would write over 100 into it.
  auto expectCountedFrom = [&](int32_t total) {
    Play(2.2f);
    const int32_t value = KivVars::Instance().GetValue(KivVars::kPlayTime);
    EXPECT_GE(value, total + 1);
    EXPECT_LE(value, total + 2);
  };
  app_->StartPlayTime();
  Play(2.5f);
  ASSERT_EQ(KivVars::Instance().GetValue(KivVars::kPlayTime), 102);

  SCOPED_TRACE("a new profile starts at 0");
  ASSERT_TRUE(app_->rms->AddProfile("second", "", "english"));
  expectCountedFrom(0);

  SCOPED_TRACE("back to the first, which goes on from its own total");
  app_->rms->SetProfile(0);
  const int32_t first = KivVars::Instance().GetValue(KivVars::kPlayTime);
  EXPECT_EQ(first, 102);
  expectCountedFrom(first);

  SCOPED_TRACE("the current one deleted: the one before it goes on from its own total");
  const int32_t firstNow = KivVars::Instance().GetValue(KivVars::kPlayTime);
  app_->rms->SetProfile(1);
  KivVars::Instance().SetValue(KivVars::kPlayTime, 40);
  Play(0.5f);
  app_->rms->DeleteProfile(1);
  ASSERT_EQ(app_->rms->GetCurrentProfile(), 0);
  expectCountedFrom(firstNow);
}

// --- The cursor set ---

std::filesystem::path ProgramDir() { return std::filesystem::read_symlink("/proc/self/exe").parent_path(); }

class CursorSetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(plat::EnsureVideo());
    // The game's cursors from beside the program, copied into the working folder.
    const std::filesystem::path beside = ProgramDir() / "cursors";
    std::filesystem::create_directories("cursors");
    for (const char* name : {"cursor_default.ani", "cursor_power1.ani", "cursor_power2.ani", "cursor_power3.ani",
                             "cursor_power4.ani", "cursor_power6.ani"}) {
      const std::string bytes = testenv::ReadFile((beside / name).string());
      ASSERT_FALSE(bytes.empty()) << name << " beside the program";
      ASSERT_TRUE(testenv::WriteFile(std::string("cursors/") + name, bytes));
    }
  }
  void TearDown() override { CursorSet::Shutdown(); }
};

TEST_F(CursorSetTest, SlotFiveStaysEmptyAndOnlyAnotherFilledSlotChangesTheCursor) {
  CursorSet& set = CursorSet::Instance();
  for (int32_t i = 0; i < CursorSet::kSlotCount; ++i) {
    EXPECT_EQ(set.cursors[i] == nullptr, i == CursorSet::kEmptySlot) << "slot " << i;
  }
  EXPECT_EQ(set.current, 0);
  EXPECT_EQ(GetCursor(), set.cursors[0]);

  set.Select(5);  // empty: nothing changes
  EXPECT_EQ(set.current, 0);
  EXPECT_EQ(GetCursor(), set.cursors[0]);
  set.Select(3);
  EXPECT_EQ(set.current, 3);
  EXPECT_EQ(GetCursor(), set.cursors[3]);
  // Selecting the cursor in use does nothing: the system cursor is not set again.
  SetCursor(set.cursors[1]);
  set.Select(3);
  EXPECT_EQ(GetCursor(), set.cursors[1]);
  set.Select(-1);
  set.Select(7);
  EXPECT_EQ(set.current, 3);
  set.SelectDefault();
  EXPECT_EQ(set.current, 0);
  EXPECT_EQ(GetCursor(), set.cursors[0]);
  // Already the default: nothing is set.
  SetCursor(set.cursors[2]);
  set.SelectDefault();
  EXPECT_EQ(GetCursor(), set.cursors[2]);
  // The frame applies the current cursor.
  set.Apply();
  EXPECT_EQ(GetCursor(), set.cursors[0]);
}

TEST_F(CursorSetTest, ADamagedDefaultFileLeavesItsSlotEmptyAndTheSystemArrowShown) {
  ASSERT_TRUE(testenv::WriteFile("cursors/cursor_default.ani", "RIFF\x10\0\0\0ACONanih"));
  LogCapture log;
  CursorSet& set = CursorSet::Instance();
  EXPECT_EQ(set.cursors[0], nullptr);
  EXPECT_NE(set.cursors[1], nullptr);
  EXPECT_EQ(log.Count("cursor_default.ani"), 1u) << log.All();
  // The empty default slot shows the arrow, never no pointer at all.
  const HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
  EXPECT_EQ(GetCursor(), arrow);
  set.Select(2);
  set.SelectDefault();
  EXPECT_EQ(GetCursor(), arrow);
}

TEST_F(CursorSetTest, CursorFilesAreFoundInTheWorkingFolderElseBesideTheProgram) {
  EXPECT_EQ(CursorSet::FindFile("cursors/cursor_default.ani"), "cursors/cursor_default.ani");
  std::filesystem::remove_all("cursors");
  EXPECT_EQ(CursorSet::FindFile("cursors/cursor_default.ani"),
            (ProgramDir() / "cursors/cursor_default.ani").string());
  EXPECT_EQ(CursorSet::FindFile("cursors/none.ani"), "cursors/none.ani");
}

}  // namespace
