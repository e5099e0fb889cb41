// The engine's script surface, used from Lua as scripts use it: the vector and ramp
// classes, the global functions, the file dialogs of the class "Script", the test sound,
// and the order in which the registration brings in the other services' classes.

#include <luabind/luabind.hpp>

#include "engine/app/Script.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/app/Audio.h"
#include "engine/app/GameFlowManager.h"
#include "engine/app/GameRMS.h"
#include "engine/core/Math.h"
#include "engine/core/ProcessObjects.h"
#include "engine/core/StrMan.h"
#include "engine/graphics/Font.h"
#include "engine/graphics/FontManager.h"
#include "platform/bass/Bass.h"
#include "platform/bass/RecordingBackend.h"
#include "platform/win32/FileDialog.h"
#include "platform/win32/SdlVideo.h"
#include "platform/win32/Time.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/GameFlowTestSupport.h"
#include "tests/core/LogCapture.h"
#include "tests/graphics/FakeRenderer.h"
#include "tests/support/TestEnv.h"

namespace scripttest {

// What the user interface's registration found already registered when it was called.
struct UIRegistration {
  int calls = 0;
  std::vector<std::string> present;  // of the names below, those registered before it
};
UIRegistration g_uiRegistration;

const char* const kOrderProbes[] = {"GetScript", "Vec2", "SetLocale", "GetRMS", "SearchDir",
                                    "GetAudio", "GoState", "CreateArchive"};

}  // namespace scripttest

// The user interface library defines the real registration; this program stands in for
// it. Weak, so that a program which also links the real one keeps the real one.
namespace ui {
__attribute__((weak)) bool RegisterUIClasses(LuaState* state) {
  scripttest::g_uiRegistration.calls += 1;
  scripttest::g_uiRegistration.present.clear();
  for (const char* name : scripttest::kOrderProbes) {
    if (!state->GetGlobal(name).IsNil()) scripttest::g_uiRegistration.present.push_back(name);
  }
  return true;
}
}  // namespace ui

namespace scripttest {
namespace {

// A font that notes the character set of every Resize.
class RecordingFont : public Font {
 public:
  explicit RecordingFont(const std::string& fontName) : Font(fontName) {}
  void Resize(const std::string& faceName, int fontWidth, int fontHeight, int fontWeight,
              int charset) override {
    charsets.push_back(charset);
    Font::Resize(faceName, fontWidth, fontHeight, fontWeight, charset);
  }
  void DrawTextW(const WString&, const math::Vec2&, const math::Vec2&, uint32_t, uint32_t,
                 uint32_t) override {}
  void BindSheet() override {}

  std::vector<int> charsets;
};

class FontRenderer : public FakeRenderer {
 public:
  Font* CreateFont(const std::string& name) override { return new RecordingFont(name); }
};

// Notes what the script functions ask of the user interface, and the language table's
// text of "HELLO" when the panels are asked to refresh their texts.
class RecordingUI : public script::ScriptUI {
 public:
  void RefreshText() override {
    calls.push_back("RefreshText");
    helloAtRefresh = lang::StrMan::Instance().GetString("HELLO");
  }
  void SetLanguageName(const std::string& name) override { calls.push_back("SetLanguageName " + name); }
  void ReloadImages() override { calls.push_back("ReloadImages"); }

  std::vector<std::string> calls;
  WString helloAtRefresh;
};

// The game's application as far as the script functions reach it: display mode switches,
// quitting and resource reloads are only noted.
class ScriptTestApp : public apptest::TestApp {
 public:
  using TestApp::TestApp;
  void SetFullscreen(uint32_t, uint32_t) override {
    record.push_back("SetFullscreen");
    fullscreen = true;
  }
  void SetWindowed(uint32_t, uint32_t) override {
    record.push_back("SetWindowed");
    fullscreen = false;
  }
  void Quit() override { record.push_back("Quit"); }
  void ReloadResources() override { record.push_back("ReloadResources"); }
  bool Frame() override {
    TestApp::Frame();
    if (onFrame) onFrame();
    return true;
  }

  std::function<void()> onFrame;
};

// The console's main Lua state with the script functions registered, a recording renderer
// whose fonts note their character sets, a recording user interface and, for the tests
// that want one, the application with a loaded profile store.
class ScriptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(plat::EnsureVideo());
    script::SetScriptUI(&ui_);
    g_uiRegistration = UIRegistration{};
  }
  void TearDown() override {
    SetApplication(nullptr);
    app_.reset();
    script::SetScriptUI(nullptr);
    process::g_localeName.clear();
    gameflow::GameFlowManager& flow = gameflow::GameFlowManager::Instance();
    flow.Shutdown();
    flow.pendingState = nullptr;
    flow.delayed.clear();
  }

  // Registers the script functions in a fresh main state; with an application first, when
  // asked, whose profile store is loaded from a file of its own.
  void Start(bool withApplication) {
    if (withApplication) {
      const std::string dir = testenv::MakeTempDir("script");
      app_ = std::make_unique<ScriptTestApp>("Pellavo script test", dir);
      rmsPath_ = dir + "/kx_test.rms";
      app_->rms = new GameRMS(rmsPath_);
      app_->rms->Load();
      SetApplication(app_.get());
    }
    flowtest::StartConsole();
    state_ = console::GetConsole().GetState();
    ASSERT_TRUE(RegisterScriptFunctions(state_));
  }

  // Runs the chunk and expects it to succeed; its error message comes with the failure.
  void Run(const std::string& chunk) {
    LogCapture log;
    EXPECT_EQ(state_->DoString(chunk.c_str()), 0) << chunk << "\n" << log.All();
  }
  std::string String(const char* name) { return flowtest::StringGlobal(name); }
  bool Bool(const char* name) {
    const LuaObject value = state_->GetGlobal(name);
    return value.IsBoolean() && value.GetBoolean();
  }

  FontRenderer renderer_;
  RecordingUI ui_;
  std::unique_ptr<ScriptTestApp> app_;
  std::string rmsPath_;
  LuaState* state_ = nullptr;
};

TEST_F(ScriptTest, VectorsCalculateAsScriptsExpect) {
  Start(false);
  // check(condition, what) reports the failed line by name.
  Run("local function check(ok, what) if not ok then error(what, 2) end end\n"
      "local function near(a, b) return math.abs(a - b) < 1e-5 end\n"
      "local a, b = Vec2(1, 2), Vec2(3, 4)\n"
      "check(a ^ b == 11, 'Vec2 dot')\n"
      "local m = a * b check(m.x == 3 and m.y == 8, 'Vec2 component product')\n"
      "local s = a + b check(s.x == 4 and s.y == 6, 'Vec2 sum')\n"
      "local d = b - a check(d.x == 2 and d.y == 2, 'Vec2 difference')\n"
      "local q = b / 2 check(q.x == 1.5 and q.y == 2, 'Vec2 quotient')\n"
      "check(a.x == 1 and a.y == 2, 'operands unchanged')\n"
      "local z = Vec2() check(z.x == 0 and z.y == 0, 'Vec2 default')\n"
      "z.x = 7 z.y = -1 check(z.x == 7 and z.y == -1, 'Vec2 fields written')\n"
      "local n = Vec2(3, 4)\n"
      "check(n:Magnitude() == 5 and n:MagSqr() == 25, 'Vec2 length')\n"
      "local r = n:Normalize()\n"
      "check(near(n.x, 0.6) and near(n.y, 0.8) and near(r.x, 0.6), 'Vec2 normalised in place')\n"
      "local zero = Vec2() zero:Normalize() check(zero.x == 0 and zero.y == 0, 'zero stays zero')\n"
      "local c = Vec3(1, 0, 0) * Vec3(0, 1, 0)\n"
      "check(c.x == 0 and c.y == 0 and c.z == 1, 'Vec3 cross')\n"
      "local c2 = Vec3(0, 1, 0) * Vec3(1, 0, 0) check(c2.z == -1, 'cross is a x b')\n"
      "check(Vec3(1, 2, 3) ^ Vec3(4, 5, 6) == 32, 'Vec3 dot')\n"
      "local t = Vec3(1, 2, 3) + Vec3(1, 1, 1) - Vec3(0, 0, 2)\n"
      "check(t.x == 2 and t.y == 3 and t.z == 2, 'Vec3 sum and difference')\n"
      "local h = Vec3(2, 4, 8) / 2 check(h.x == 1 and h.y == 2 and h.z == 4, 'Vec3 quotient')\n"
      "local u = Vec3(0, 0, 2) check(u:Magnitude() == 2 and u:MagSqr() == 4, 'Vec3 length')\n"
      "u:Normalize() check(u.z == 1, 'Vec3 normalised')\n"
      "check(Vec3().x == 0, 'Vec3 default')\n"
      "check(Vec4() ~= nil and Vec4(1, 2, 3, 4) ~= nil, 'Vec4 made')\n");
}

TEST_F(ScriptTest, FloatRampIsTheEngineRamp) {
  Start(false);
  math::Ramp ramp;
  luabind::globals(state_->GetCState())["ramp"] = &ramp;
  Run("ramp:AddValue(1, 0.5) ramp:AddValue(0, 0.5) ramp:Recalc()\n"
      "first, quarter, last = ramp:GetValue(0), ramp:GetValue(0.25), ramp:GetValue(1)\n"
      "made = pcall(FloatRamp)");
  ASSERT_EQ(ramp.Keys().size(), 2u);
  EXPECT_FLOAT_EQ(static_cast<float>(state_->GetGlobal("first").GetNumber()), ramp.GetValue(0.0f));
  EXPECT_FLOAT_EQ(static_cast<float>(state_->GetGlobal("quarter").GetNumber()), ramp.GetValue(0.25f));
  EXPECT_FLOAT_EQ(static_cast<float>(state_->GetGlobal("last").GetNumber()), 1.0f);
  EXPECT_NEAR(ramp.GetValue(0.25f), 0.5f, 0.01f);
  EXPECT_FALSE(Bool("made"));  // ramps come from the engine only
}

TEST_F(ScriptTest, RegistersEveryNameInItsOrder) {
  struct Case {
    bool withApplication;
    std::vector<std::string> beforeUI;
  };
  const std::vector<Case> cases = {
      {false, {"GetScript", "Vec2", "SetLocale", "SearchDir"}},
      {true, {"GetScript", "Vec2", "SetLocale", "GetRMS", "SearchDir"}},
  };
  for (const Case& c : cases) {
    g_uiRegistration = UIRegistration{};
    Start(c.withApplication);
    EXPECT_EQ(g_uiRegistration.calls, 1);
    EXPECT_EQ(g_uiRegistration.present, c.beforeUI) << "application " << c.withApplication;
    for (const char* name :
         {"Script", "GetScript", "Vec2", "Vec3", "Vec4", "FloatRamp", "LoadLanguage", "HardQuitGame",
          "FullScreenMode", "WindowedMode", "IsFullscreenMode", "CreateFont", "ResizeFont",
          "SetFontBorder", "TakeScreenshot", "ToggleFilter", "ReloadImages", "ForceSave",
          "StartPlayTestSound", "ForceRedraw", "SetLocale", "FileList", "SearchDir", "Audio",
          "GetAudio", "GameFlowManager", "GoState", "DelayScript", "Archive", "CreateArchive",
          "Console", "ConfigFile"}) {
      EXPECT_FALSE(state_->GetGlobal(name).IsNil()) << name;
    }
    EXPECT_EQ(state_->GetGlobal("GetRMS").IsNil(), !c.withApplication);
    EXPECT_EQ(state_->GetGlobal("GameRMS").IsNil(), !c.withApplication);
    TearDown();
    SetUp();
  }
}

TEST_F(ScriptTest, FunctionsThatNeedTheApplicationDoNothingWithoutIt) {
  Start(false);
  Run("FullScreenMode() WindowedMode() HardQuitGame() ForceSave() ForceRedraw() ReloadImages()\n"
      "full = IsFullscreenMode()\n"
      "script = GetScript()");
  EXPECT_FALSE(Bool("full"));
  EXPECT_TRUE(state_->GetGlobal("script").IsNil());
}

TEST_F(ScriptTest, LoadLanguageFillsTheTableThenRefreshesThePanels) {
  Start(false);
  ASSERT_TRUE(lang::WriteLangBin("script_lang.bin", {{u"HELLO", u"Hei"}, {u"BYE", u"Hei hei"}}));
  Run("LoadLanguage('script_lang.bin')");
  EXPECT_EQ(lang::StrMan::Instance().GetString("bye"), u"Hei hei");
  EXPECT_EQ(ui_.calls, (std::vector<std::string>{"RefreshText"}));
  EXPECT_EQ(ui_.helloAtRefresh, u"Hei");
}

TEST_F(ScriptTest, LocaleChoosesTheCharacterSetOfResizedFonts) {
  Start(false);
  struct Case {
    const char* locale;  // null: no SetLocale at all
    int charset;
    int lineSpacing;
  };
  const std::vector<Case> cases = {
      {nullptr, 1, 0},     {"korean", 0x81, 2},    {"KOREAN", 0x81, 2}, {"KoReAn", 0x81, 2},
      {"chinese", 0x88, 2}, {"Taiwanese", 0x86, 2}, {"JAPANESE", 0x80, 2}, {"french", 1, 0},
      {"", 1, 0},          {"korea", 1, 0},
  };
  int index = 0;
  for (const Case& c : cases) {
    if (c.locale) Run(std::string("SetLocale('") + c.locale + "')");
    EXPECT_EQ(process::g_localeName, c.locale ? c.locale : "");
    // A font made by ResizeFont, and one that existed before, re-sized.
    const std::string made = "LocaleMade" + std::to_string(index);
    const std::string kept = "LocaleKept" + std::to_string(index++);
    Run("CreateFont('" + kept + "', 'Verdana', 0, 12)");
    Run("ResizeFont('" + made + "', 'Verdana', 0, 14, 500)");
    Run("ResizeFont('" + kept + "', 'Arial', 0, 16, 500)");
    for (const std::string& name : {made, kept}) {
      auto* font = static_cast<RecordingFont*>(FontManager::Get().FindFont(name));
      ASSERT_NE(font, nullptr) << name;
      EXPECT_EQ(font->charsets.back(), c.charset) << name << " " << (c.locale ? c.locale : "none");
      EXPECT_EQ(font->lineSpacing, c.lineSpacing) << name;
    }
  }
  EXPECT_EQ(ui_.calls.size(), 2u * 9u);
  EXPECT_EQ(ui_.calls[0], "SetLanguageName korean");
  EXPECT_EQ(ui_.calls[1], "ReloadImages");
}

TEST_F(ScriptTest, CreateFontKeepsAnExistingFontAndResizeFontResizesIt) {
  Start(false);
  Run("CreateFont('TitleFont', 'Verdana', 0, 20)");
  auto* font = static_cast<RecordingFont*>(FontManager::Get().FindFont("titlefont"));
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(font->face, "Verdana");
  EXPECT_EQ(font->height, 20);
  EXPECT_EQ(font->weight, 700);
  EXPECT_EQ(font->charsets, (std::vector<int>{0}));

  Run("CreateFont('TitleFont', 'Arial', 0, 30)");
  EXPECT_EQ(FontManager::Get().FindFont("TitleFont"), font);
  EXPECT_EQ(font->face, "Verdana");
  EXPECT_EQ(font->height, 20);

  Run("ResizeFont('TitleFont', 'Arial', 0, 30, 500)");
  EXPECT_EQ(FontManager::Get().FindFont("TitleFont"), font);
  EXPECT_EQ(font->face, "Arial");
  EXPECT_EQ(font->height, 30);
  EXPECT_EQ(font->weight, 500);

  Run("SetFontBorder('TitleFont', true) SetFontBorder('NoSuchFont', true)");
  EXPECT_TRUE(font->border);
  EXPECT_EQ(FontManager::Get().FindFont("NoSuchFont"), nullptr);
  Run("SetFontBorder('TitleFont', false)");
  EXPECT_FALSE(font->border);
}

TEST_F(ScriptTest, ScreenshotAndFilterReachTheRenderer) {
  Start(false);
  Run("TakeScreenshot('shots/title 100%s', true)");
  EXPECT_EQ(renderer_.screenshotName, "shots/title 100%s");
  EXPECT_TRUE(renderer_.screenshotHalfSize);
  Run("TakeScreenshot('shots/full', false)");
  EXPECT_FALSE(renderer_.screenshotHalfSize);

  renderer_.filtering = false;
  Run("ToggleFilter()");
  EXPECT_TRUE(renderer_.filtering);
  Run("ToggleFilter()");
  EXPECT_FALSE(renderer_.filtering);
}

TEST_F(ScriptTest, StateAndDelayedScriptFunctionsReachTheFlowManager) {
  Start(false);
  gameflow::GameFlowManager& flow = gameflow::GameFlowManager::Instance();
  flow.AddTransitionState("scriptmenu", new apptest::TestState);
  Run("GoState('ScriptMenu', 0.5) DelayScript('delayed = 1', 0.25)");
  EXPECT_EQ(flow.pendingState, flow.states.Find("scriptmenu"));
  EXPECT_FLOAT_EQ(flow.pendingDelay, 0.5f);
  ASSERT_EQ(flow.delayed.size(), 1u);
  EXPECT_EQ(flow.delayed[0].script, "delayed = 1");
  EXPECT_FLOAT_EQ(flow.delayed[0].delay, 0.25f);
}

TEST_F(ScriptTest, DisplayModeFunctionsKeepThePlayersChoice) {
  Start(true);
  app_->rms->SetUseFullscreenEnabled(false);
  Run("FullScreenMode() full = IsFullscreenMode()");
  EXPECT_TRUE(Bool("full"));
  EXPECT_TRUE(app_->rms->IsUseFullscreenEnabled());
  Run("WindowedMode() full = IsFullscreenMode()");
  EXPECT_FALSE(Bool("full"));
  EXPECT_FALSE(app_->rms->IsUseFullscreenEnabled());
  EXPECT_EQ(app_->record, (std::vector<std::string>{"SetFullscreen", "SetWindowed"}));

  // Without a profile store the mode still changes.
  delete app_->rms;
  app_->rms = nullptr;
  Run("FullScreenMode()");
  EXPECT_TRUE(app_->fullscreen);
}

TEST_F(ScriptTest, HardQuitGameSavesLeavesFullScreenAndQuits) {
  Start(true);
  app_->fullscreen = true;
  app_->rms->SetUseFullscreenEnabled(true);
  ASSERT_EQ(unlink(rmsPath_.c_str()), 0);
  Run("HardQuitGame()");
  EXPECT_TRUE(testenv::FileExists(rmsPath_));
  EXPECT_EQ(app_->record, (std::vector<std::string>{"SetWindowed", "Quit"}));
  EXPECT_FALSE(app_->fullscreen);
  // The player's choice of full screen is kept for the next start.
  EXPECT_TRUE(app_->rms->IsUseFullscreenEnabled());

  app_->record.clear();
  Run("HardQuitGame()");  // windowed: only the save and the quit
  EXPECT_EQ(app_->record, (std::vector<std::string>{"Quit"}));
}

TEST_F(ScriptTest, SaveReloadAndRedrawReachTheApplication) {
  Start(true);
  ASSERT_EQ(unlink(rmsPath_.c_str()), 0);
  Run("ForceSave()");
  EXPECT_TRUE(testenv::FileExists(rmsPath_));
  const int frames = app_->frames;
  Run("ReloadImages() ForceRedraw()");
  EXPECT_EQ(app_->record, (std::vector<std::string>{"ReloadResources"}));
  EXPECT_EQ(app_->frames, frames + 1);

  // A frame whose scripts ask for a redraw again draws once, and later requests still work.
  app_->onFrame = [this] { Run("ForceRedraw()"); };
  Run("ForceRedraw()");
  EXPECT_EQ(app_->frames, frames + 2);
  app_->onFrame = nullptr;
  Run("ForceRedraw()");
  EXPECT_EQ(app_->frames, frames + 3);
}

TEST_F(ScriptTest, FileDialogsLeaveFullScreenAndComeBack) {
  Start(true);
  GameScript gameScript;
  app_->fullscreen = true;
  app_->rms->SetUseFullscreenEnabled(true);

  struct Shown {
    bool save;
    bool fullscreenDuring;
    std::string title, dir, extension, filter;
    DWORD flags;
    uint32_t fileSize;
  };
  std::vector<Shown> shown;
  std::string reply;
  plat::FakeFileDialog fake([&](const OPENFILENAMEA& record, bool save) {
    shown.push_back({save, script::IsFullscreenMode(), record.lpstrTitle, record.lpstrInitialDir,
                     record.lpstrDefExt ? record.lpstrDefExt : "(none)", record.lpstrFilter,
                     record.Flags, record.nMaxFile});
    return reply;
  });

  reply = "";  // cancelled
  Run("picked = GetScript():GetOpenFile('lvl', ' - garden')");
  EXPECT_EQ(String("picked"), "");
  reply = "/home/p/levels/garden";
  Run("saved = GetScript():GetSaveFileEx('*.lvl', ' - garden', '/levels', 'not used')");
  EXPECT_EQ(String("saved"), "/home/p/levels/garden.lvl");
  Run("opened = GetScript():GetOpenFileEx('.lvl', '', '/levels', '')\n"
      "plain = GetScript():GetSaveFile('', 'x')");

  ASSERT_EQ(shown.size(), 4u);
  EXPECT_FALSE(shown[0].save);
  EXPECT_EQ(shown[0].title, "Load Level - garden");
  EXPECT_EQ(shown[0].dir, ".");
  EXPECT_EQ(shown[0].extension, "lvl");
  EXPECT_EQ(shown[0].filter, "All Files (*.*)");
  EXPECT_EQ(shown[0].flags, 0x8080Cu);
  EXPECT_EQ(shown[0].fileSize, 256u);
  EXPECT_TRUE(shown[1].save);
  EXPECT_EQ(shown[1].title, "Save Level - garden");
  EXPECT_EQ(shown[1].dir, "./levels");
  EXPECT_EQ(shown[1].extension, "lvl");
  EXPECT_EQ(shown[1].flags, 0x8080Eu);
  EXPECT_EQ(shown[2].extension, "lvl");
  EXPECT_EQ(String("opened"), "/home/p/levels/garden");  // open adds no extension
  EXPECT_EQ(shown[3].extension, "(none)");
  for (const Shown& s : shown) EXPECT_FALSE(s.fullscreenDuring);

  // Back in full screen after each, also after the cancel, with the choice kept.
  EXPECT_TRUE(app_->fullscreen);
  EXPECT_TRUE(app_->rms->IsUseFullscreenEnabled());
  EXPECT_EQ(app_->record.size(), 8u);
  EXPECT_EQ(app_->record.front(), "SetWindowed");
  EXPECT_EQ(app_->record.back(), "SetFullscreen");
}

TEST_F(ScriptTest, FileDialogIsCancelledAtOnceWithoutADisplay) {
  Start(true);
  GameScript gameScript;
  Run("picked = GetScript():GetOpenFile('lvl', 'x') saved = GetScript():GetSaveFile('lvl', 'x')");
  EXPECT_EQ(String("picked"), "");
  EXPECT_EQ(String("saved"), "");
  EXPECT_TRUE(app_->record.empty());  // windowed: no mode switch
}

// The test sound on the recording audio back end and a fake performance counter.
class TestSoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = testenv::MakeTempDir("testsound");
    ASSERT_EQ(chdir(dir_.c_str()), 0);
    ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));
    clock_.AdvanceSeconds(10.0);
  }
  void TearDown() override { ASSERT_EQ(chdir(testenv::ProcessDir().c_str()), 0); }
  size_t Plays() const { return backend_.CountOf("BASS_ChannelPlay"); }

  bass::RecordingBackend backend_;
  bass::ScopedBackend scope_{backend_};
  win32::FakeClock clock_;
  audio::Audio audio_;
  script::TestSound sound_;
  std::string dir_;
};

TEST_F(TestSoundTest, SoundsAtMostOnceEveryEightTenthsOfASecondAndNeverOverItself) {
  ASSERT_TRUE(testenv::WriteFile("sounds/block_select.ogg", "sound"));
  sound_.Play(audio_);
  EXPECT_EQ(Plays(), 1u);
  const uint32_t first = sound_.channel;
  EXPECT_NE(first, 0u);

  clock_.AdvanceSeconds(0.5);
  sound_.Play(audio_);  // too soon
  EXPECT_EQ(Plays(), 1u);

  clock_.AdvanceSeconds(0.4);
  backend_.SetActive(first, BASS_ACTIVE_STOPPED);  // the first has ended
  sound_.Play(audio_);
  EXPECT_EQ(Plays(), 2u);
  EXPECT_EQ(backend_.CountOf("BASS_SampleLoad"), 1u);  // loaded once

  clock_.AdvanceSeconds(0.9);
  sound_.Play(audio_);  // the second still sounds
  EXPECT_EQ(Plays(), 2u);
}

TEST_F(TestSoundTest, AFailedLoadIsTriedAgainNextTime) {
  sound_.Play(audio_);
  EXPECT_EQ(sound_.sample, 0u);
  EXPECT_EQ(Plays(), 0u);
  ASSERT_TRUE(testenv::WriteFile("sounds/block_select.ogg", "sound"));
  clock_.AdvanceSeconds(0.8);
  sound_.Play(audio_);
  EXPECT_NE(sound_.sample, 0u);
  EXPECT_EQ(Plays(), 1u);
}

}  // namespace
}  // namespace scripttest
