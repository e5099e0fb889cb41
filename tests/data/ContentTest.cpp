// The game's content as the build packs it into kx.arc: the files start-up reads are all
// there, every Lua source runs and defines what its reader looks for, the console script's
// functions call what the engine offers, panels and scenes name only files and fonts that
// exist, and the generated pictures, fonts, sounds and music decode as the engine needs.

#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <libopenmpt/libopenmpt.hpp>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine/core/Script.h"
#include "engine/core/VFS.h"
#include "platform/d3d8/ImageDecoder.h"
#include "platform/d3d8/PixelFormat.h"
#include "tests/support/TestEnv.h"

namespace {

namespace fs = std::filesystem;

const std::string kBin = std::string(PELLAVO_BINARY_DIR) + "/bin";
const std::string kArchive = kBin + "/kx.arc";
const std::string kSources = std::string(PELLAVO_SOURCE_DIR) + "/data";

// The fonts the game loads, by the names it files them under.
const char* const kFonts[] = {"BigFont", "GameFont", "MediumFont", "SmallFont", "TinyFont"};

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return text;
}

// A file through the file system (the archive, as the working folder is empty).
std::string Load(const std::string& name) {
  vfs::File file;
  if (!vfs::VFS::Instance().LoadFile(name, file)) return {};
  return std::string(file.Chars(), file.size);
}

bool Exists(const std::string& name) { return !Load(name).empty(); }

// A fresh state with the file run in it; null (and a test failure) when it does not run.
LuaState* RunInFreshState(const std::string& name) {
  LuaState* state = script::CreateLuaState();
  if (!script::LoadScript(state, name)) {
    ADD_FAILURE() << name << " does not run";
    LuaState::Destroy(state);
    return nullptr;
  }
  return state;
}

class ContentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testenv::FileExists(kArchive)) << "the build packs the content into " << kArchive;
    // The test's working folder is empty, so every load comes from the archive.
    vfs::VFS::Instance().AddArchive(kArchive);
    ASSERT_EQ(vfs::VFS::Instance().ArchiveCount(), 1u);
  }
  void TearDown() override { vfs::VFS::Instance().RemoveArchives(); }
};

TEST_F(ContentTest, TheArchiveHoldsEveryFileStartUpReads) {
  // Names as the engine and the game ask for them.
  const char* const needed[] = {
      "scripts/console.lua", "scripts/swear.lua", "sounds/soundbank.lua", "sounds/segments.lua",
      "sounds/screen_shift.ogg", "sounds/block_select.ogg", "distro/distro_splash.jpg",
      "ui_img/hovrik_jollix_splash.jpg", "fonts/BigFont.lua", "fonts/GameFont.lua", "fonts/MediumFont.lua",
      "fonts/SmallFont.lua", "fonts/TinyFont.lua", "ui/loading.ui", "ui/menu.ui", "backgrounds/menu.lua",
      "ui_img/blue.png", "ui_img/fade_bg.png", "ui_img/cursor.png", "Cursor.png", "scripts/constants.lua",
      "sounds/main_theme.ogg", "sounds/chinese_theme.ogg", "sounds/japanese_theme.ogg",
      "sounds/southeast_theme.ogg", "sounds/celebration_theme.ogg", "sounds/popup_sting.ogg",
      "sounds/victory_sting.ogg", "sounds/loss_sting.ogg", "sounds/trophy_sting.ogg",
  };
  for (const char* name : needed) EXPECT_TRUE(Exists(name)) << name;
  // The developer switch is read from the disk only, never packed.
  EXPECT_FALSE(Exists("dev.lua"));

  // config.ini is read from the working folder before the archive is mounted.
  const std::string config = testenv::ReadFile(kBin + "/config.ini");
  EXPECT_FALSE(config.empty()) << "config.ini beside the program";
  EXPECT_EQ(config, testenv::ReadFile(kSources + "/config.ini"));
}

TEST_F(ContentTest, EveryLuaSourceRunsAndDefinesTheTableItsReaderLooksFor) {
  const std::map<std::string, std::string> tables = {
      {"config.ini", "Config"},          {"scripts/console.lua", "Console"},
      {"scripts/swear.lua", "Swear"},    {"sounds/soundbank.lua", "SoundBank"},
      {"sounds/segments.lua", "AudioSegments"}, {"ui/loading.ui", "Panel"},
      {"ui/menu.ui", "Panel"},           {"backgrounds/menu.lua", "BGScene"},
      {"scripts/constants.lua", "KIV_CONSTANTS"},
  };
  std::set<std::string> seen;
  for (const auto& entry : fs::recursive_directory_iterator(kSources)) {
    const std::string extension = entry.path().extension().string();
    if (!entry.is_regular_file() || (extension != ".lua" && extension != ".ui" && extension != ".ini")) continue;
    const std::string relative = fs::relative(entry.path(), kSources).generic_string();
    seen.insert(relative);
    LuaState* state = RunInFreshState(relative);
    if (!state) continue;
    const std::string expected = extension == ".ui" ? "Panel" : tables.count(relative) ? tables.at(relative) : "";
    if (!expected.empty()) {
      EXPECT_TRUE(script::GetGlobal(state, expected).IsTable()) << relative << " defines no table " << expected;
    }
    LuaState::Destroy(state);
  }
  for (const auto& [file, table] : tables) EXPECT_TRUE(seen.count(file)) << file << " is missing from data/";

  LuaState* state = RunInFreshState("config.ini");
  ASSERT_NE(state, nullptr);
  const LuaObject config = script::GetGlobal(state, "Config");
  EXPECT_EQ(script::GetString(config, "SaveFile", ""), "hovrik");
  EXPECT_EQ(script::GetString(config, "Language", ""), "auto");
  EXPECT_FALSE(script::GetBool(config, "ForceLang", true));
  LuaState::Destroy(state);
}

// Runs the console script with stand-ins for the engine's functions that note each call,
// then the script strings that start-up and the game run, in their order.
TEST_F(ContentTest, ConsoleScriptRunsTheStartUpAndMakesTheMenuScreen) {
  LuaState* state = RunInFreshState("scripts/console.lua");
  ASSERT_NE(state, nullptr);
  EXPECT_FLOAT_EQ(script::GetGlobalFloat(state, "Console", "TextHeight", 0), 0.35f);
  EXPECT_FLOAT_EQ(script::GetGlobalFloat(state, "Console", "PromptPos", 0), 0.4f);
  EXPECT_FLOAT_EQ(script::GetGlobalFloat(state, "Console", "BackgroundHeight", 0), 0.45f);
  ASSERT_EQ(state->DoString(R"(
      Calls = {}
      function Note(...)
        local parts = {}
        for i = 1, select("#", ...) do parts[#parts + 1] = tostring(select(i, ...)) end
        Calls[#Calls + 1] = table.concat(parts, " ")
      end
      function AddGameScreen(...) Note("AddGameScreen", ...) end
      function GoState(...) Note("GoState", ...) end
      function SetLocale(...) Note("SetLocale", ...) end
      function LoadLanguage(...) Note("LoadLanguage", ...) end
      function HardQuitGame(...) Note("HardQuitGame", ...) end
      function TakeScreenshot(name, half) Note("TakeScreenshot", name:match("^pellavo_[%d_]+$") ~= nil, half) end
      function GetAudio() return { PlaySegment = function(self, name) Note("PlaySegment", name) end } end
      function CallList() local text = table.concat(Calls, "\n") Calls = {} return text end
  )"), 0);

  auto run = [&](const char* script) {
    EXPECT_EQ(state->DoString(script), 0) << script;
    EXPECT_EQ(state->DoString("CallText = CallList()"), 0);
    return script::ToString(script::GetGlobal(state, "CallText"), "?");
  };
  EXPECT_EQ(run("OnStartUp()"), "");
  // A language without a file falls back to English.
  EXPECT_EQ(run("SetupLanguage('French');"), "SetLocale english\nLoadLanguage lang/english.lng");
  EXPECT_EQ(run("SetupLanguage('');"), "SetLocale english\nLoadLanguage lang/english.lng");
  EXPECT_EQ(run("ReloadGame()"), "");
  EXPECT_EQ(run("ReloadGame()"), "");
  // The panels that the trophy screen and the level look up once are loaded, hidden.
  ASSERT_EQ(state->DoString(R"(
      function GetUIMan()
        return { AddPanel = function(self, file)
          Note("AddPanel", file)
          return { SetIsVisible = function(self, on) Note("SetIsVisible", on) end }
        end }
      end
  )"), 0);
  EXPECT_EQ(run("OnInitUI()"),
            "AddPanel ui/trophy_screen.ui\nSetIsVisible false\nAddPanel ui/trophy_popup.ui\nSetIsVisible false\n"
            "AddPanel ui/connecting.ui\nSetIsVisible false\n"
            "AddPanel ui/pause.ui\nSetIsVisible false\nAddPanel ui/help_flash.ui\nSetIsVisible false\n"
            "AddPanel ui/intro_dlg.ui\nSetIsVisible false\nAddPanel ui/prompt.ui\nSetIsVisible false\n"
            "AddPanel ui/buy_popup.ui\nSetIsVisible false\nAddPanel ui/fashion_studio.ui\nSetIsVisible false\n"
            "AddPanel ui/summary.ui\nSetIsVisible false");
  ASSERT_EQ(state->DoString("GetUIMan = nil"), 0);
  // The game makes every screen itself: no data screen is added. Start-up runs
  // "ReloadGame()" twice and the first screen's script once.
  EXPECT_EQ(run("GoToState('menu')"), "GoState menu 0");
  EXPECT_EQ(run("GoToState('menu')"), "GoState menu 0");
  // Screens and popups leave through these, each one change of state.
  EXPECT_EQ(run("MainMenu() MapAsia() MapZen() GoCredits()"),
            "GoState menu 0\nGoState map_asia 0\nGoState map_zen 0\nGoState credits 0");
  // The enter and exit scripts the states are given all exist.
  for (const char* name : {"OnEnterMainMenu", "OnExitMainMenu", "OnEnterSettings", "OnExitSettings",
                           "OnEnterHighscore", "OnEnterTrophy", "OnExitTrophy", "OnEnterStory", "OnExitStory",
                           "OnEnterMapAsia", "OnEnterMapZen", "OnExitMap", "OnEnterCredits", "OnExitGeneric",
                           "OnTrophyPopupClose", "OnTrophyIdle", "CreatePrompt"}) {
    EXPECT_TRUE(script::GetGlobal(state, name).IsFunction()) << name;
  }
  EXPECT_EQ(run("OnEnterMainMenu()"), "PlaySegment menu");
  EXPECT_EQ(run("OnExitMainMenu()"), "");
  EXPECT_EQ(run("CaptureAutoScreenshot() CaptureMiniScreenshot()"), "TakeScreenshot true false\nTakeScreenshot true true");
  EXPECT_EQ(run("QuitGame()"), "HardQuitGame");
  // Once the game has its own music player, the menu leaves the music to it.
  EXPECT_EQ(run("GetMusic = function() end OnEnterMainMenu()"), "");
  // With the interface up, the card fades in and its button slides into place.
  ASSERT_EQ(state->DoString(R"(
      local function Widget(name)
        return {
          SetColor = function(self, ...) Note(name .. ":SetColor", ...) end,
          SetPosition = function(self, p) Note(name .. ":SetPosition", p.x, p.y) end,
          GetWidgetByName = function(self, child) return Widget(child) end,
        }
      end
      function Vec2(x, y) return { x = x, y = y } end
      function GetUIMan() return { GetWidget = function(self, name) return Widget(name) end } end
      function AddUIXFade(w, delay, time, alphas) Note("AddUIXFade", delay, time, alphas.x, alphas.y) end
      function AddUIPan(w, delay, time, to) Note("AddUIPan", delay, time, to.x, to.y) end
  )"), 0);
  EXPECT_EQ(run("OnEnterMainMenu()"),
            "MenuCard:SetColor 1 1 1 0\nAddUIXFade 0 0.4 0 1\nQuitButton:SetPosition 0.08 0.724\n"
            "AddUIPan 0.15 0.35 0.08 0.644");
  LuaState::Destroy(state);
}

// What one panel file holds: every widget with its type and name, and the files and fonts
// it names.
struct PanelContents {
  std::map<std::string, std::string> types;  // name -> lower-case type
  std::map<std::string, std::string> releaseScripts;
  std::set<std::string> images;
  std::set<std::string> fonts;
};

void ReadWidget(const LuaObject& widget, PanelContents& contents) {
  const std::string name = script::GetString(widget, "Name", "");
  contents.types[name] = Lower(script::GetString(widget, "Type", "Widget"));
  const std::string release = script::GetString(widget, "lmb_release", "");
  if (!release.empty()) contents.releaseScripts[name] = release;
  for (const char* key : {"MouseOff", "MouseOver", "MouseClick", "ProgressFull", "ProgressEmpty", "SliderIcon"}) {
    const std::string image = script::GetString(widget, key, "");
    if (!image.empty()) contents.images.insert(image);
  }
  const std::string font = script::GetString(widget, "Font", "");
  if (!font.empty()) contents.fonts.insert(font);
  const LuaObject children = script::GetField(widget, "Children");
  for (int i = 1; children.IsTable() && i <= children.GetTableCount(); ++i) ReadWidget(children[i], contents);
}

TEST_F(ContentTest, PanelsScenesAndSoundBanksNameOnlyFilesAndFontsThatExist) {
  std::map<std::string, PanelContents> panels;
  for (const char* file : {"ui/loading.ui", "ui/menu.ui"}) {
    LuaState* state = RunInFreshState(file);
    ASSERT_NE(state, nullptr);
    ReadWidget(script::GetGlobal(state, "Panel"), panels[file]);
    LuaState::Destroy(state);
  }
  const PanelContents& loading = panels["ui/loading.ui"];
  ASSERT_TRUE(loading.types.count("LoadingProgress"));
  EXPECT_EQ(loading.types.at("LoadingProgress"), "progress");
  EXPECT_EQ(panels["ui/menu.ui"].releaseScripts["QuitButton"], "QuitGame()");

  const std::set<std::string> fonts(std::begin(kFonts), std::end(kFonts));
  for (const auto& [file, contents] : panels) {
    EXPECT_FALSE(contents.types.count("")) << file << " has a widget without a name";
    for (const std::string& image : contents.images) EXPECT_TRUE(Exists(image)) << file << ": " << image;
    for (const std::string& font : contents.fonts) EXPECT_TRUE(fonts.count(font)) << file << ": " << font;
  }

  LuaState* state = RunInFreshState("backgrounds/menu.lua");
  ASSERT_NE(state, nullptr);
  const LuaObject scene = script::GetGlobal(state, "BGScene");
  EXPECT_TRUE(Exists(script::GetString(script::GetField(scene, "Info"), "BackgroundImg", "")));
  const LuaObject elements = script::GetField(scene, "Background");
  ASSERT_TRUE(elements.IsTable());
  std::set<std::string> animations;
  for (int i = 1; i <= elements.GetTableCount(); ++i) {
    const std::string type = script::GetString(elements[i], "Type", "");
    if (type == "biped") {
      animations.insert(script::GetString(elements[i], "Biped", ""));
    } else if (type == "partsys") {
      EXPECT_TRUE(Exists(script::GetString(elements[i], "PartSys", ""))) << "scene element " << i;
    } else {
      EXPECT_TRUE(Exists(script::GetString(elements[i], "SpriteImg", ""))) << "scene element " << i;
    }
  }
  LuaState::Destroy(state);

  // The scene's animations lie beside the program (they are listed from the disk), and
  // every picture they name is in the archive.
  EXPECT_TRUE(testenv::FileExists(kBin + "/anim")) << "the anim folder beside the program";
  for (const std::string& animation : animations) {
    const std::string file = kBin + "/bganim/" + animation + ".sbp";
    state = script::CreateLuaState();
    ASSERT_TRUE(state->DoString(testenv::ReadFile(file).c_str()) == 0) << file;
    const LuaObject bones = script::GetGlobal(state, "AnimationData");
    ASSERT_TRUE(bones.IsTable()) << file;
    EXPECT_EQ(bones.GetTableCount(), 5) << "body, head, two wings, tail";
    for (int i = 1; i <= bones.GetTableCount(); ++i) {
      EXPECT_TRUE(Exists(script::GetString(bones[i], "DefaultImg", ""))) << file << " bone " << i;
      EXPECT_GT(script::GetField(bones[i], "Frames").GetTableCount(), 1) << file << " bone " << i;
    }
    LuaState::Destroy(state);
  }

  state = RunInFreshState("sounds/soundbank.lua");
  ASSERT_NE(state, nullptr);
  std::set<std::string> sounds;
  const LuaObject bank = script::GetGlobal(state, "SoundBank");
  for (int i = 1; i <= bank.GetTableCount(); ++i) {
    const std::string name = script::GetString(bank[i], "Name", "");
    sounds.insert(name);
    const LuaObject files = script::GetField(bank[i], "Files");
    ASSERT_TRUE(files.IsTable()) << name;
    for (int j = 1; j <= files.GetTableCount(); ++j) EXPECT_TRUE(Exists(files[j].ToStdString())) << name;
  }
  // Played by every screen on leaving, and by widgets.
  for (const char* name : {"screen_shift", "button_press", "button_rollover", "textbox_new_text"}) {
    EXPECT_TRUE(sounds.count(name)) << name;
  }
  LuaState::Destroy(state);

  state = RunInFreshState("sounds/segments.lua");
  ASSERT_NE(state, nullptr);
  const LuaObject segments = script::GetGlobal(state, "AudioSegments");
  ASSERT_GT(segments.GetTableCount(), 0);
  for (int i = 1; i <= segments.GetTableCount(); ++i) {
    EXPECT_TRUE(Exists(script::GetString(segments[i], "File", ""))) << "segment " << i;
  }
  LuaState::Destroy(state);
}

// An A8R8G8B8 pixel of a decoded image.
uint32_t PixelAt(const d3d8::DecodedImage& image, uint32_t x, uint32_t y) {
  const std::vector<uint8_t>& surface = image.Surface(0, 0);
  uint32_t pixel = 0;
  std::memcpy(&pixel, &surface[y * d3d8::FormatPitch(image.format, image.width) + x * 4], 4);
  return pixel;
}

d3d8::DecodedImage Decode(const std::string& name) {
  const std::string bytes = Load(name);
  d3d8::DecodedImage image;
  EXPECT_EQ(d3d8::DecodeImage(bytes.data(), bytes.size(), &image), D3D_OK) << name;
  return image;
}

TEST_F(ContentTest, PicturesDecodeAtTheSizesTheirUsersNeed) {
  const struct {
    const char* name;
    uint32_t width, height;
  } pictures[] = {
      {"distro/distro_splash.jpg", 1024, 1024}, {"ui_img/hovrik_jollix_splash.jpg", 1024, 1024},
      {"ui_img/menu_bg.jpg", 1024, 1024},        {"ui_img/loading_bg.jpg", 1024, 1024},
      {"ui_img/fade_bg.png", 256, 256},          {"ui_img/blue.png", 256, 128},
      {"ui_img/panel_bg.png", 256, 256},         {"ui_img/button.png", 256, 64},
      {"ui_img/button_over.png", 256, 64},       {"ui_img/button_down.png", 256, 64},
      {"ui_img/progress_full.png", 256, 32},     {"ui_img/progress_empty.png", 256, 32},
      {"ui_img/cursor.png", 8, 8},               {"ui_img/flower.png", 128, 128},
      {"Cursor.png", 32, 32},
  };
  for (const auto& picture : pictures) {
    const d3d8::DecodedImage image = Decode(picture.name);
    EXPECT_EQ(image.width, picture.width) << picture.name;
    EXPECT_EQ(image.height, picture.height) << picture.name;
  }
  // Full-screen pictures fill the top-left 800 x 600 of their texture and leave the rest black.
  for (const char* name : {"distro/distro_splash.jpg", "ui_img/hovrik_jollix_splash.jpg", "ui_img/menu_bg.jpg",
                           "ui_img/loading_bg.jpg"}) {
    const d3d8::DecodedImage image = Decode(name);
    if (image.width != 1024 || image.height != 1024) continue;
    auto brightness = [&](uint32_t x, uint32_t y) {
      const uint32_t p = PixelAt(image, x, y);
      return ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF);
    };
    for (auto [x, y] : {std::pair{10u, 10u}, {790u, 10u}, {10u, 590u}, {790u, 590u}, {400u, 300u}}) {
      EXPECT_GT(brightness(x, y), 60u) << name << " at " << x << ", " << y;
    }
    for (auto [x, y] : {std::pair{820u, 10u}, {1000u, 1000u}, {10u, 620u}, {500u, 900u}}) {
      EXPECT_LT(brightness(x, y), 24u) << name << " at " << x << ", " << y;
    }
  }
}

TEST_F(ContentTest, FontGlyphsLieInsideTheirSheetsWithoutOverlapping) {
  for (const char* font : kFonts) {
    SCOPED_TRACE(font);
    LuaState* state = RunInFreshState(std::string("fonts/") + font + ".lua");
    ASSERT_NE(state, nullptr);
    const std::string sheetName = script::ToString(script::GetGlobal(state, "Img"), "");
    const d3d8::DecodedImage sheet = Decode(sheetName);
    ASSERT_GT(sheet.width, 0u);

    struct Rect {
      int x, y, w, h;
    };
    std::map<int, Rect> glyphs;
    int lineHeight = -1;
    const LuaObject table = script::GetGlobal(state, "Font");
    ASSERT_TRUE(table.IsTable());
    for (int i = 1; i <= table.GetTableCount(); ++i) {
      const LuaObject g = table[i];
      const std::string glyph = script::GetString(g, "Glyph", "");
      const int code = glyph.empty() ? script::GetInt(g, "GlyphID", 0) : static_cast<unsigned char>(glyph[0]);
      ASSERT_NE(code, 0) << "entry " << i;
      EXPECT_FALSE(glyphs.count(code)) << "code " << code << " twice";
      const Rect r{script::GetInt(g, "x", -1), script::GetInt(g, "y", -1), script::GetInt(g, "w", -1),
                   script::GetInt(g, "h", -1)};
      EXPECT_TRUE(r.x >= 0 && r.y >= 0 && r.w >= 0 && r.h > 0) << "code " << code;
      EXPECT_LE(uint32_t(r.x + r.w), sheet.width) << "code " << code;
      EXPECT_LE(uint32_t(r.y + r.h), sheet.height) << "code " << code;
      // Every glyph is a whole line high: the loader puts them all at the line's top.
      if (lineHeight < 0) lineHeight = r.h;
      EXPECT_EQ(r.h, lineHeight) << "code " << code;
      EXPECT_EQ(script::GetInt(g, "PreOffset", -1), 0) << "code " << code;
      EXPECT_EQ(script::GetInt(g, "u2", 0) - script::GetInt(g, "u1", 0), r.w) << "code " << code;
      glyphs[code] = r;
    }
    LuaState::Destroy(state);

    for (int code = 0x20; code < 0x7F; ++code) EXPECT_TRUE(glyphs.count(code)) << "code " << code;
    for (int code : {0xE9, 0xC5, 0xF6, 0xDF}) EXPECT_TRUE(glyphs.count(code)) << "code " << code;
    // Tab and the colour switch have glyphs, so that drawing sees them, but draw nothing.
    for (int code : {0x09, 0xA3}) {
      ASSERT_TRUE(glyphs.count(code)) << "code " << code;
      EXPECT_EQ(glyphs[code].w, 0) << "code " << code;
    }
    for (auto a = glyphs.begin(); a != glyphs.end(); ++a) {
      for (auto b = std::next(a); b != glyphs.end(); ++b) {
        const Rect& p = a->second;
        const Rect& q = b->second;
        const bool overlap = p.w > 0 && q.w > 0 && p.x < q.x + q.w && q.x < p.x + p.w && p.y < q.y + q.h && q.y < p.y + p.h;
        EXPECT_FALSE(overlap) << "codes " << a->first << " and " << b->first;
      }
    }
    // Ink where a letter is, none in a space.
    auto maxAlpha = [&](const Rect& r) {
      uint32_t best = 0;
      for (int y = r.y; y < r.y + r.h; ++y) {
        for (int x = r.x; x < r.x + r.w; ++x) best = std::max(best, PixelAt(sheet, uint32_t(x), uint32_t(y)) >> 24);
      }
      return best;
    };
    EXPECT_GT(maxAlpha(glyphs['A']), 200u);
    EXPECT_GT(maxAlpha(glyphs[0xE9]), 200u);
    EXPECT_EQ(maxAlpha(glyphs[' ']), 0u);
  }
}

// The samples of an Ogg Vorbis file, mono or the first channel.
std::vector<float> DecodeOgg(const std::string& bytes, long* rate) {
  const std::string path = testenv::MakeTempDir("ogg") + "/sound.ogg";
  testenv::WriteFile(path, bytes);
  OggVorbis_File file;
  std::vector<float> samples;
  if (ov_fopen(path.c_str(), &file) != 0) return samples;
  *rate = ov_info(&file, -1)->rate;
  for (;;) {
    float** pcm = nullptr;
    int section = 0;
    const long count = ov_read_float(&file, &pcm, 4096, &section);
    if (count <= 0) break;
    samples.insert(samples.end(), pcm[0], pcm[0] + count);
  }
  ov_clear(&file);
  return samples;
}

float PeakOf(const std::vector<float>& samples) {
  float peak = 0.0f;
  for (float s : samples) peak = std::max(peak, std::fabs(s));
  return peak;
}

TEST_F(ContentTest, SoundsDecodeAndAreShortAndAudible) {
  for (const char* name : {"sounds/screen_shift.ogg", "sounds/block_select.ogg", "sounds/button_press.ogg",
                           "sounds/button_rollover.ogg"}) {
    long rate = 0;
    const std::vector<float> samples = DecodeOgg(Load(name), &rate);
    ASSERT_FALSE(samples.empty()) << name;
    const double seconds = double(samples.size()) / double(rate);
    EXPECT_GT(seconds, 0.02) << name;
    EXPECT_LT(seconds, 1.0) << name;
    const float peak = PeakOf(samples);
    EXPECT_GT(peak, 0.2f) << name;
    EXPECT_LE(peak, 1.0f) << name;
  }
}

TEST_F(ContentTest, MenuMusicIsAFourChannelModuleThatPlays) {
  const std::string bytes = Load("sounds/menu.mod");
  ASSERT_GT(bytes.size(), 1084u);
  EXPECT_EQ(bytes.substr(1080, 4), "M.K.");
  openmpt::module module(bytes.data(), bytes.size());
  EXPECT_EQ(module.get_num_channels(), 4);
  EXPECT_EQ(module.get_num_orders(), 2);
  EXPECT_GT(module.get_duration_seconds(), 10.0);
  std::vector<float> left(44100 * 2), right(44100 * 2);
  ASSERT_EQ(module.read(44100, left.size(), left.data(), right.data()), left.size());
  float peak = 0.0f;
  for (float s : left) peak = std::max(peak, std::fabs(s));
  EXPECT_GT(peak, 0.05f);
}

// The game's music: the five themes loop without a seam (the jump from the last sample
// back to the first is no larger than the steps within the music, and nothing pads the
// loop), the four stings last a few seconds and end in silence.
TEST_F(ContentTest, ThemesLoopCleanlyAndStingsLastAFewSeconds) {
  const char* const themes[] = {"main", "chinese", "japanese", "southeast", "celebration"};
  for (const char* theme : themes) {
    const std::string name = std::string("sounds/") + theme + "_theme.ogg";
    long rate = 0;
    const std::vector<float> samples = DecodeOgg(Load(name), &rate);
    ASSERT_GT(samples.size(), 1000u) << name;
    EXPECT_EQ(rate, 44100) << name;
    const double seconds = double(samples.size()) / double(rate);
    EXPECT_GT(seconds, 10.0) << name;
    EXPECT_LT(seconds, 60.0) << name;
    // Exactly whole rows of the tune (a row is a whole number of 882-sample ticks): no
    // padding that would leave a gap each time round.
    EXPECT_EQ(samples.size() % 882, 0u) << name;
    const float peak = PeakOf(samples);
    EXPECT_GT(peak, 0.3f) << name;
    EXPECT_LE(peak, 1.0f) << name;
    std::vector<float> steps;
    for (size_t i = 1; i < samples.size(); ++i) steps.push_back(std::fabs(samples[i] - samples[i - 1]));
    std::sort(steps.begin(), steps.end());
    const float usualStep = steps[steps.size() * 99 / 100];
    const float seam = std::fabs(samples.front() - samples.back());
    EXPECT_LE(seam, usualStep) << name << ": a click where the loop starts again";
  }
  for (const char* sting : {"popup", "victory", "loss", "trophy"}) {
    const std::string name = std::string("sounds/") + sting + "_sting.ogg";
    long rate = 0;
    const std::vector<float> samples = DecodeOgg(Load(name), &rate);
    ASSERT_GT(samples.size(), 1000u) << name;
    const double seconds = double(samples.size()) / double(rate);
    EXPECT_GT(seconds, 1.0) << name;
    EXPECT_LT(seconds, 6.0) << name;
    EXPECT_GT(PeakOf(samples), 0.3f) << name;
    EXPECT_LT(std::fabs(samples.back()), 0.01f) << name;
  }
}

}  // namespace
