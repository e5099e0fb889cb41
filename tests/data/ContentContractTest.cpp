// What the code looks up in the content, by name, against the packed kx.arc: the panels and
// the widgets in them, the sprite and image names, number styles, particle files, sound-bank
// entries, text keys, the script functions run by name, the levels and the trophies. The
// tables below are the names the game's code asks for, written out here on purpose: a file
// or an entry renamed in data/ fails this test rather than the game.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine/core/Script.h"
#include "engine/core/Timer.h"
#include "engine/core/VFS.h"
#include "engine/part2d/Part2D.h"
#include "engine/well/WellBlock.h"
#include "game/board/KivBlock.h"
#include "game/board/KivWell.h"
#include "game/shell/KivFashionPopup.h"
#include "platform/d3d8/ImageDecoder.h"
#include "tests/support/TestEnv.h"
#include "tests/ui/SpriteTestSupport.h"

namespace {

namespace fs = std::filesystem;

const std::string kBin = std::string(PELLAVO_BINARY_DIR) + "/bin";
const std::string kArchive = kBin + "/kx.arc";
const std::string kSources = std::string(PELLAVO_SOURCE_DIR) + "/data";

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return text;
}

std::string Format(const char* pattern, int n) {
  char text[64];
  std::snprintf(text, sizeof text, pattern, n);
  return text;
}

// "pattern" formatted with first to last.
std::vector<std::string> Series(const char* pattern, int first, int last) {
  std::vector<std::string> names;
  for (int n = first; n <= last; ++n) names.push_back(Format(pattern, n));
  return names;
}

void Append(std::vector<std::string>& to, const std::vector<std::string>& more) {
  to.insert(to.end(), more.begin(), more.end());
}

std::string Load(const std::string& name) {
  vfs::File file;
  if (!vfs::VFS::Instance().LoadFile(name, file)) return {};
  return std::string(file.Chars(), file.size);
}

bool Decodes(const std::string& name) {
  const std::string bytes = Load(name);
  d3d8::DecodedImage image;
  return !bytes.empty() && d3d8::DecodeImage(bytes.data(), bytes.size(), &image) == D3D_OK && image.width > 0;
}

// A Lua file of the archive run in a state of its own; destroyed with the holder.
class LuaFile {
 public:
  explicit LuaFile(const std::string& name) : state_(script::CreateLuaState()) {
    ok_ = script::LoadScript(state_, name);
  }
  ~LuaFile() { LuaState::Destroy(state_); }
  LuaFile(const LuaFile&) = delete;
  LuaFile& operator=(const LuaFile&) = delete;
  bool ok() const { return ok_; }
  LuaState* state() const { return state_; }
  LuaObject Global(const std::string& name) const { return script::GetGlobal(state_, name); }

 private:
  LuaState* state_;
  bool ok_ = false;
};

std::vector<std::string> StringsOf(const LuaObject& list) {
  std::vector<std::string> items;
  for (int i = 1; list.IsTable() && i <= list.GetTableCount(); ++i) {
    if (list[i].IsString()) items.push_back(list[i].ToStdString());
  }
  return items;
}

// The sprite sheets the game loads at start-up.
const char* const kSheets[] = {"img/sprites.lua",   "ui_img/sprites.lua", "effects/sprites.lua",
                               "decals/sprites.lua", "hana/sprites.lua",   "tiles/sprites.lua",
                               "story/sprites.lua",  "trophies/sprites.lua"};

// The pieces of a level's wall, each after the level's Border name.
const char* const kWallPieces[] = {"_l",        "_r",        "_t",   "_b",   "_corner_tl", "_corner_tr",
                                   "_corner_bl", "_corner_br", "_u_l", "_u_r", "_u_t",       "_u_b",
                                   "_edge_tl",   "_edge_tr",   "_edge_bl", "_edge_br", "_closed"};

// Engine functions scripts may call besides the content's own: the registered globals.
const char* const kEngineGlobals[] = {
    "GetUIMan", "GetGame", "GetWell", "GetBG", "GetBGEditor", "GetSummary", "GetHelp", "GetHana",
    "GetMenuState", "GetShopScreen", "GetVars", "GetFashionPopup", "GetStudio", "GetHighscore",
    "GetTrophyScreen", "GetTrophyState", "GetTrophyData", "GetStoryState", "GetUITransition", "GetMusic",
    "AddUIPan", "AddUIMove", "AddUISine", "AddUIXFade", "UIMoveProgress", "UISetImage", "GetAudio", "GetRMS",
    "GetConfig", "GetConsole", "GoState", "AddGameScreen", "HardQuitGame", "TakeScreenshot", "SetLocale",
    "LoadLanguage", "GetScript", "LOG", "Vec2", "Vec3", "Vec4", "print", "tostring", "tonumber", "dofile", "ipairs",
    "pairs"};

struct PanelWidget {
  std::string type;  // lower case
  std::string mouseOff;
};

// One panel: every widget by lower-case name, and every file and text key it names.
struct Panel {
  std::string name;
  std::map<std::string, PanelWidget> widgets;
  std::set<std::string> images, particles, movies, clips, fonts, texts, scripts;
};

void ReadWidget(const LuaObject& widget, Panel& panel) {
  const std::string name = Lower(script::GetString(widget, "Name", ""));
  const std::string type = Lower(script::GetString(widget, "Type", "Widget"));
  panel.widgets[name] = {type, script::GetString(widget, "MouseOff", "")};
  for (const char* key : {"MouseOff", "MouseOver", "MouseClick", "ProgressFull", "ProgressEmpty", "SliderIcon",
                          "CheckedImg", "UncheckedImg", "DropButton", "DropBG", "GraphFillImage", "GraphPointImage",
                          "GraphColumnImage", "GraphLevelImage", "GraphMarkImage", "SegmentImage",
                          "WeekDayCellImage", "EvenMonthCellImage", "OddMonthCellImage", "CurDayHightlightImage"}) {
    const std::string image = script::GetString(widget, key, "");
    if (!image.empty()) panel.images.insert(image);
  }
  if (const std::string p = script::GetString(widget, "Partsys", ""); !p.empty()) panel.particles.insert(p);
  if (const std::string m = script::GetString(widget, "FlashMovie", ""); !m.empty()) panel.movies.insert(m);
  if (const std::string c = script::GetString(widget, "Clip", ""); !c.empty()) panel.clips.insert(c);
  if (const std::string f = script::GetString(widget, "Font", ""); !f.empty()) panel.fonts.insert(f);
  const std::string text = script::GetString(widget, "Text", "");
  const bool hasLetter = std::any_of(text.begin(), text.end(), [](unsigned char c) { return std::isalpha(c); });
  if (hasLetter && !script::GetBool(widget, "CanEdit", false)) panel.texts.insert(text);
  if (type == "dropdown") {
    for (const std::string& option : StringsOf(script::GetField(widget, "Options"))) panel.texts.insert(option);
  }
  for (const char* event : {"on_load", "drop", "mouse_over", "mouse_off", "lmb_click", "lmb_dbl_click", "lmb_repeat",
                            "rmb_click", "rmb_dbl_click", "rmb_repeat", "lmb_release", "rmb_release",
                            "slider_change", "text_enter", "selected", "up_key", "down_key", "graph_risen",
                            "graph_dropped"}) {
    const std::string script = script::GetString(widget, event, "");
    if (!script.empty()) panel.scripts.insert(script);
  }
  const LuaObject children = script::GetField(widget, "Children");
  for (int i = 1; children.IsTable() && i <= children.GetTableCount(); ++i) ReadWidget(children[i], panel);
}

Panel ReadPanel(const std::string& file) {
  Panel panel;
  LuaFile lua(file);
  EXPECT_TRUE(lua.ok()) << file << " does not run";
  const LuaObject root = lua.Global("Panel");
  if (!root.IsTable()) {
    ADD_FAILURE() << file << " defines no Panel";
    return panel;
  }
  panel.name = script::GetString(root, "Name", "");
  ReadWidget(root, panel);
  return panel;
}

std::vector<std::string> DataFiles(const std::string& folder, const std::string& extension) {
  std::vector<std::string> files;
  for (const auto& entry : fs::directory_iterator(kSources + "/" + folder)) {
    if (entry.path().extension() == extension) files.push_back(folder + "/" + entry.path().filename().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

class ContentContractTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testenv::FileExists(kArchive)) << "the build packs the content into " << kArchive;
    vfs::VFS::Instance().AddArchive(kArchive);
    for (const char* sheet : kSheets) {
      LuaFile lua(sheet);
      ASSERT_TRUE(lua.ok()) << sheet;
      const LuaObject sprites = lua.Global("Sprites");
      ASSERT_TRUE(sprites.IsTable()) << sheet;
      for (int i = 1; i <= sprites.GetTableCount(); ++i) {
        const std::string name = script::GetString(sprites[i], "Name", "");
        const std::string image = script::GetString(sprites[i], "ImageFile", "");
        EXPECT_FALSE(name.empty()) << sheet << " row " << i;
        sprites_[Lower(name)] = image;
        frames_[Lower(name)] = {script::GetInt(sprites[i], "SpriteC", 0), script::GetFloat(sprites[i], "FrameTime", 0.1f)};
      }
    }
  }
  void TearDown() override { vfs::VFS::Instance().RemoveArchives(); }

  // A sprite of a sheet or an image file that decodes; "###" stands for the language.
  bool Shows(std::string name) const {
    if (const size_t at = name.find("###"); at != std::string::npos) name.replace(at, 3, "English");
    return sprites_.count(Lower(name)) || Decodes(name);
  }

  std::map<std::string, std::string> sprites_;  // lower-case name -> image file
  std::map<std::string, std::pair<int, float>> frames_;  // lower-case name -> frames, frames a second
};

TEST_F(ContentContractTest, EverySpriteAndImageTheCodeDrawsIsThere) {
  std::vector<std::string> names;
  // Blocks, each with its look under the pointer.
  Append(names, Series("flowers_tiles_%03d", 1, 24));
  Append(names, Series("flower_over_%03d", 1, 24));
  for (const char* name : {"multiply_tiles_001", "multiply_tiles_002", "multiply_over_001", "multiply_over_002",
                           "gold_tiles_001", "gold_over_001", "zen_off_001", "zen_over_001", "stone_block",
                           "tileblast_tiles", "tileblast_over", "timeblock_tiles", "timeblock_over", "tile_frozen",
                           "tile_locked"}) {
    names.push_back(name);
  }
  for (const char* cut : {"cuth", "cutv", "cutslash", "cutbackslash", "cutx", "cutplus", "cutstar"}) {
    names.push_back(cut);
    names.push_back(std::string(cut) + "_over");
  }
  // Floor tiles, the default wall, chain marks, effects and spells.
  Append(names, Series("bg_tile_%03d", 1, 4));
  for (const char* piece : kWallPieces) names.push_back(std::string("wall") + piece);
  for (const char* name : {"arrow_start", "arrowhead", "arrow_0", "arrow_45", "arrow_90", "arrow_135", "arrow_180",
                           "arrow_225", "arrow_270", "arrow_315", "starparts", "overlay_sparkle", "lightning_sfx",
                           "tileblast_shrapnel", "castle_off", "Effect_Overlay_Shadow"}) {
    names.push_back(name);
  }
  Append(names, Series("zen_lightning_%d", 1, 6));
  // Help frames, the caret and the pointer, the rings of the effects.
  for (const char* name : {"help_tl", "help_bl", "help_tr", "help_br", "ui_img/help_bg.png", "ui_img/sidebar_bg.png",
                           "ui_img/cursor.png", "Cursor.png", "effects/Explosion_yellow.png",
                           "effects/explosion_red.png", "effects/explosion_green.png", "effects/Explosion_blue.png",
                           "effects/Explosion_white.png"}) {
    names.push_back(name);
  }
  // The highscore tabs, the trophies in their three states, the spell icons, the empty piece.
  for (const char* name : {"top_tag_highlight", "top_tag_dim", "bottom_tag_highlight", "bottom_tag_dim", "none"}) {
    names.push_back(name);
  }
  for (const char* state : {"disabled", "available", "selected"}) {
    Append(names, Series((std::string("trophy_%d_") + state).c_str(), 1, 24));
  }
  Append(names, Series("wildcard%03d", 1, 6));
  // Every piece of the heroine's figure and of the clothes table.
  {
    LuaFile hana("hana/hana_setup.lua");
    ASSERT_TRUE(hana.ok());
    const LuaObject character = hana.Global("Character");
    ASSERT_TRUE(character.IsTable());
    std::set<std::string> parts;
    for (int i = 1; i <= character.GetTableCount(); ++i) {
      parts.insert(Lower(script::GetString(character[i], "Name", "")));
      const std::vector<std::string> pieces = StringsOf(script::GetField(character[i], "Parts"));
      EXPECT_FALSE(pieces.empty()) << "figure row " << i;
      EXPECT_LE(pieces.size(), 32u) << "figure row " << i;
      Append(names, pieces);
    }
    for (const char* part : {"hair", "dress", "skirt"}) EXPECT_TRUE(parts.count(part)) << part;
  }
  {
    LuaFile items("scripts/items.lua");
    ASSERT_TRUE(items.ok());
    const LuaObject clothes = items.Global("Clothes");
    ASSERT_TRUE(clothes.IsTable());
    // A piece's bonuses name a zen power (its icon in the fashion popup), a flower colour
    // or a block kind (dealt more often); any other name would do nothing.
    std::set<std::string> bonuses = {"match", "fireball", "tilegrab", "flowerblast", "time", "lightning",
                                     "blue", "green", "red", "yellow", "purple", "black", "turqoise", "orange",
                                     "pink", "violet", "cyan", "white", "aqua", "beige", "coral", "indigo", "ivory",
                                     "lime", "flower", "double", "triple", "zenblock", "gem", "hcut", "vcut",
                                     "slashcut", "backslashcut", "xcut", "pluscut", "starcut", "timeblock",
                                     "frozenflower", "lockedflower", "stone", "tileblast"};
    for (const std::string& generic : Series("generic%d", 1, 6)) bonuses.insert(generic);
    const std::set<std::string> slots = {"", "head", "upper", "lower"};
    for (int i = 1; i <= clothes.GetTableCount(); ++i) {
      const std::string sprite = script::GetString(clothes[i], "SpriteName", "");
      names.push_back(sprite);
      for (const char* stat : {"Stat1", "Stat2"}) {
        const std::string bonus = Lower(script::GetString(clothes[i], stat, ""));
        if (!bonus.empty()) {
          EXPECT_TRUE(bonuses.count(bonus)) << sprite << " " << stat << " " << bonus;
          // The fashion popup shows each bonus with an icon of its own kind.
          names.push_back(KivFashionPopup::IconOfBonus(bonus).image);
        }
      }
      EXPECT_TRUE(slots.count(Lower(script::GetString(clothes[i], "Override", "")))) << sprite;
    }
  }
  for (const std::string& name : names) EXPECT_TRUE(Shows(name)) << name;

  // Every picture a sheet names decodes; an animated sprite gives its speed in frames a
  // second (left out, it would show each frame for ten seconds).
  for (const auto& [sprite, image] : sprites_) EXPECT_TRUE(Decodes(image)) << sprite << ": " << image;
  for (const auto& [sprite, frames] : frames_) {
    EXPECT_GT(frames.first, 0) << sprite;
    if (frames.first > 1) {
      EXPECT_GE(frames.second, 1.0f) << sprite;
    }
  }
}

TEST_F(ContentContractTest, NumberStylesParticleFilesAndSoundsAreComplete) {
  // Number styles: a strip that decodes and all fourteen glyph boundaries, rising, so that
  // no glyph is empty or drawn mirrored.
  for (const char* file : {"img/score_number.lua", "img/timer_number.lua", "img/coin_number.lua",
                           "img/zen_number.lua"}) {
    SCOPED_TRACE(file);
    LuaFile lua(file);
    ASSERT_TRUE(lua.ok());
    const LuaObject number = lua.Global("Number");
    ASSERT_TRUE(number.IsTable());
    EXPECT_TRUE(Decodes(script::GetString(number, "Image", "")));
    const LuaObject size = script::GetField(number, "Size");
    ASSERT_TRUE(size.IsTable());
    EXPECT_EQ(size.GetTableCount(), 2);
    const LuaObject coords = script::GetField(number, "Coords");
    ASSERT_TRUE(coords.IsTable());
    ASSERT_EQ(coords.GetTableCount(), 14);
    for (int i = 1; i < 14; ++i) {
      EXPECT_LT(coords[i].GetNumber(), coords[i + 1].GetNumber()) << "boundary " << i;
    }
    EXPECT_GE(coords[1].GetNumber(), 0.0);
    EXPECT_LE(coords[14].GetNumber(), 1.0);
  }

  // Particle files: every one the code loads has a group; the zen income and the time
  // spell's bonus come from the particles of the first two.
  spritetest::SpriteRenderer renderer;
  for (const char* file :
       {"effects/zenpower.p2d", "effects/spell_timer.p2d", "effects/tokenstart.p2d", "effects/gold_coin.p2d",
        "effects/red_flower.p2d", "effects/green_butterfly.p2d", "effects/spell_match.p2d",
        "effects/spell_fireball.p2d", "effects/spell_tilegrab.p2d", "effects/spell_flowerblast.p2d",
        "effects/spell_lightning.p2d", "effects/spell_tileblast.p2d", "effects/frozen_token.p2d",
        "effects/locked_token.p2d", "effects/locked_token2.p2d", "effects/slicer_explosion.p2d",
        "effects/slicer_flowers.p2d", "effects/zen_lightning.p2d", "effects/tileblast_trail.p2d",
        "effects/hintpopup_fx.p2d", "effects/cursor_match.p2d", "effects/cursor_fireball.p2d",
        "effects/cursor_tilegrab.p2d", "effects/cursor_flowerblast.p2d", "effects/cursor_lightning.p2d",
        "effects/popup_fx.p2d", "effects/trophy.p2d"}) {
    part2d::Part2D system;
    ASSERT_TRUE(system.Load(file)) << file;
    EXPECT_GT(system.GroupC(), 0) << file;
    for (int32_t i = 0; i < system.GroupC(); ++i) EXPECT_TRUE(Shows(system.GetGroup(i)->GetImage())) << file;
  }

  // The sound bank: every entry the code plays, each with files that are there.
  LuaFile bank("sounds/soundbank.lua");
  ASSERT_TRUE(bank.ok());
  std::map<std::string, std::vector<std::string>> entries;
  const LuaObject rows = bank.Global("SoundBank");
  ASSERT_TRUE(rows.IsTable());
  for (int i = 1; i <= rows.GetTableCount(); ++i) {
    entries[script::GetString(rows[i], "Name", "")] = StringsOf(script::GetField(rows[i], "Files"));
  }
  std::vector<std::string> played = {
      "screen_shift", "button_rollover", "button_press", "textbox_new_text", "popup_open", "popup_close",
      "HINT_OPEN", "hint_up", "hint_close", "help_open", "help_close", "token_jingle", "token_lock_1",
      "token_lock_2", "token_zen", "token_slicer", "token_tileblast", "token_double", "token_triple",
      "token_timer", "token_unselect", "tile_turned", "zenpower_flowerblast", "zen_full", "well_enter",
      "well_leave", "time_warning", "zenpower_charge", "zenpower_match", "zenpower_fireball",
      "zenpower_tilegrab", "zenpower_lightning", "score_countup"};
  Append(played, Series("token_select_%d", 1, 15));
  Append(played, Series("token_clear_%d", 1, 5));
  for (const std::string& name : played) {
    ASSERT_TRUE(entries.count(name)) << name << " is not in the sound bank";
    EXPECT_FALSE(entries[name].empty()) << name;
    for (const std::string& file : entries[name]) EXPECT_FALSE(Load(file).empty()) << name << ": " << file;
  }
}

// The panels the code finds by name, the widgets it finds in them and the kinds it needs.
struct PanelContract {
  const char* file;
  const char* panel;
  std::vector<std::string> widgets;
  std::map<std::string, std::string> kinds;  // lower-case widget name -> lower-case type
};

std::vector<PanelContract> PanelContracts() {
  std::vector<PanelContract> table = {
      {"ui/loading.ui", "", {"LoadingProgress"}, {{"loadingprogress", "progress"}}},
      {"ui/menu.ui", "", {}, {}},
      {"ui/settings.ui", "", {"ProfileName", "ProfileTown", "CreateProfileButton"}, {}},
      {"ui/story.ui", "", {}, {}},
      {"ui/map_asia.ui", "", {}, {}},
      {"ui/map_zen.ui", "", {}, {}},
      {"ui/shop.ui", "", {"hana_pos"}, {}},
      {"ui/highscore.ui",
       "",
       {"tab_today", "tab_week", "tab_forever", "tab_local", "tab_global", "highscore_title"},
       {}},
      {"ui/credits.ui", "", Series("Credits%d", 0, 16), {}},
      {"ui/in_game.ui",
       "in_game",
       {"Level_Widget", "score_box", "set_box", "coins_box", "PuzzleReset", "zen_power", "timer_bar", "hana",
        "ui_timer_001", "btn_studio"},
       {{"zen_power", "progress"}, {"timer_bar", "progress"}}},
      {"ui/pause.ui", "pause", {}, {}},
      {"ui/help_flash.ui", "help_flash", {"flash_1", "flash_2", "help_bg"}, {{"flash_1", "flash"}, {"flash_2", "flash"}}},
      {"ui/intro_dlg.ui", "intro_dlg", {}, {}},
      {"ui/kiv_victory.ui", "", {}, {}},
      {"ui/kiv_defeat.ui", "", {}, {}},
      {"ui/summary.ui",
       "summary",
       {"tokens_collected_val", "coins_collected_val", "raw_score_val", "time_left", "time_bonus_val",
        "final_score_val", "best_score_val", "summary_txt", "summary_player", "summary_btn", "summary_online"},
       {}},
      {"ui/buy_popup.ui", "buy_popup", {"item_name", "item_desc", "buy_price", "buy_coins", "buy1", "buy2", "buy3"}, {}},
      {"ui/fashion_studio.ui",
       "fashion_studio",
       {"coins_box", "hana_pos"},
       {}},
      {"ui/trophy_screen.ui", "trophy_screen", {"tooltip", "tooltip_name", "tooltip_desc"}, {}},
      {"ui/trophy_popup.ui", "trophy_popup", {"trophy_bg", "trophy_title", "trophy_img", "trophy_desc"}, {}},
      {"ui/connecting.ui", "connecting", {}, {}},
  };
  for (PanelContract& contract : table) {
    const std::string file = contract.file;
    if (file == "ui/in_game.ui") {
      for (int i = 1; i <= 6; ++i) {
        contract.widgets.push_back(Format("specials_%03d", i));
        contract.kinds[Format("specials_%03d", i)] = "progress";
      }
    } else if (file == "ui/highscore.ui") {
      for (const char* row : {"position_%d", "name_%d", "hometown_%d", "score_%d"}) {
        Append(contract.widgets, Series(row, 1, 10));
      }
    } else if (file == "ui/summary.ui") {
      for (const char* row : {"highscore_%d", "hometown_%d", "highscore_val_%d"}) {
        Append(contract.widgets, Series(row, 1, 5));
      }
    } else if (file == "ui/buy_popup.ui") {
      Append(contract.widgets, Series("item_box%d", 1, 3));
      Append(contract.widgets, Series("item_window%d", 1, 3));
      for (int box = 1; box <= 3; ++box) Append(contract.widgets, {Format("power%d_1", box), Format("power%d_2", box)});
    } else if (file == "ui/fashion_studio.ui") {
      for (const char* slot : {"head", "upper", "lower"}) {
        for (const char* part : {"_name", "_desc", "_prev", "_next", "_box"}) {
          contract.widgets.push_back(std::string(slot) + part);
        }
      }
    } else if (file == "ui/trophy_screen.ui") {
      Append(contract.widgets, Series("trophy_%d", 1, 24));
    }
  }
  return table;
}

TEST_F(ContentContractTest, PanelsHoldTheWidgetsTheCodeFindsAndNameOnlyWhatIsThere) {
  std::set<std::string> looked;
  std::map<std::string, Panel> panels;
  for (const PanelContract& contract : PanelContracts()) {
    SCOPED_TRACE(contract.file);
    const Panel& panel = panels[contract.file] = ReadPanel(contract.file);
    looked.insert(contract.file);
    if (*contract.panel) { EXPECT_EQ(Lower(panel.name), contract.panel); }
    for (const std::string& widget : contract.widgets) {
      EXPECT_TRUE(panel.widgets.count(Lower(widget))) << widget;
    }
    for (const auto& [widget, kind] : contract.kinds) {
      if (panel.widgets.count(widget)) { EXPECT_EQ(panel.widgets.at(widget).type, kind) << widget; }
    }
  }
  // A time bar without its overlay gets a copy that shows the bar's picture + "_overlay".
  const Panel& inGame = panels["ui/in_game.ui"];
  if (inGame.widgets.count("timer_bar") && !inGame.widgets.count("timer_bar_overlay")) {
    EXPECT_TRUE(Shows(inGame.widgets.at("timer_bar").mouseOff + "_overlay"));
  }

  // Every panel of the content, looked up or not, names only pictures, particle files,
  // fonts and movies that are there.
  for (const std::string& file : DataFiles("ui", ".ui")) {
    if (!panels.count(file)) panels[file] = ReadPanel(file);
  }
  const std::set<std::string> fonts = {"bigfont", "gamefont", "mediumfont", "smallfont", "tinyfont"};
  spritetest::SpriteRenderer renderer;
  for (const auto& [file, panel] : panels) {
    SCOPED_TRACE(file);
    EXPECT_FALSE(panel.widgets.count("")) << "a widget without a name";
    for (const std::string& image : panel.images) EXPECT_TRUE(Shows(image)) << image;
    for (const std::string& font : panel.fonts) EXPECT_TRUE(fonts.count(Lower(font))) << font;
    for (const std::string& particles : panel.particles) {
      part2d::Part2D system;
      EXPECT_TRUE(system.Load(particles) && system.GroupC() > 0) << particles;
    }
    // Movies are opened from the disk beside the program.
    for (const std::string& movie : panel.movies) EXPECT_TRUE(testenv::FileExists(kBin + "/" + movie)) << movie;
    for (const std::string& clip : panel.clips) EXPECT_TRUE(testenv::FileExists(kBin + "/" + clip)) << clip;
  }
}

// The scenes the screens load, each one the scripts name, and every other scene of the
// content: their pictures, particle files and animations are there.
TEST_F(ContentContractTest, ScenesNameOnlyPicturesEffectsAndAnimationsThatAreThere) {
  std::set<std::string> scenes = {"backgrounds/menu.lua", "backgrounds/shop.lua", "backgrounds/settings.lua",
                                  "backgrounds/highscore.lua", "backgrounds/credits.lua"};
  for (const std::string& file : DataFiles("backgrounds", ".lua")) scenes.insert(file);
  for (const std::string& file : DataFiles("scripts", ".lua")) {
    const std::string text = testenv::ReadFile(kSources + "/" + file);
    for (size_t at = text.find("backgrounds/"); at != std::string::npos; at = text.find("backgrounds/", at + 1)) {
      const size_t end = text.find(".lua", at);
      if (end != std::string::npos && end - at < 64) scenes.insert(text.substr(at, end + 4 - at));
    }
  }
  spritetest::SpriteRenderer renderer;
  for (const std::string& file : scenes) {
    SCOPED_TRACE(file);
    LuaFile lua(file);
    ASSERT_TRUE(lua.ok());
    const LuaObject scene = lua.Global("BGScene");
    ASSERT_TRUE(scene.IsTable());
    const std::string picture = script::GetString(script::GetField(scene, "Info"), "BackgroundImg", "");
    if (!picture.empty()) {
      EXPECT_TRUE(Shows(picture)) << picture;
    }
    const LuaObject tiles = script::GetField(scene, "BackgroundTiles");
    for (int i = 1; tiles.IsTable() && i <= tiles.GetTableCount(); ++i) {
      EXPECT_TRUE(Shows(script::GetString(tiles[i], "Img", ""))) << "tile " << i;
    }
    const LuaObject elements = script::GetField(scene, "Background");
    for (int i = 1; elements.IsTable() && i <= elements.GetTableCount(); ++i) {
      const std::string type = Lower(script::GetString(elements[i], "Type", ""));
      if (type == "partsys") {
        part2d::Part2D system;
        const std::string effect = script::GetString(elements[i], "PartSys", "");
        EXPECT_TRUE(system.Load(effect) && system.GroupC() > 0) << effect;
      } else if (type == "biped") {
        // Animations are listed from the disk beside the program.
        const std::string name = script::GetString(elements[i], "Biped", "");
        EXPECT_TRUE(testenv::FileExists(kBin + "/bganim/" + name + ".sbp") ||
                    testenv::FileExists(kBin + "/anim/" + name + ".sbp"))
            << "animation " << name;
      } else {
        EXPECT_TRUE(Shows(script::GetString(elements[i], "SpriteImg", ""))) << "element " << i << " " << type;
      }
    }
  }
  // Every animation's parts are pictures that are there.
  for (const char* folder : {"bganim", "anim"}) {
    if (!testenv::FileExists(kBin + "/" + folder)) continue;
    for (const auto& entry : fs::directory_iterator(kBin + "/" + folder)) {
      if (entry.path().extension() != ".sbp") continue;
      LuaState* state = script::CreateLuaState();
      ASSERT_EQ(state->DoString(testenv::ReadFile(entry.path().string()).c_str()), 0) << entry.path();
      const LuaObject bones = script::GetGlobal(state, "AnimationData");
      EXPECT_TRUE(bones.IsTable()) << entry.path();
      for (int i = 1; bones.IsTable() && i <= bones.GetTableCount(); ++i) {
        EXPECT_TRUE(Shows(script::GetString(bones[i], "DefaultImg", ""))) << entry.path() << " bone " << i;
      }
      LuaState::Destroy(state);
    }
  }
}

// Every text key the code sets and every key the content shows has an English text.
TEST_F(ContentContractTest, EveryTextKeyHasAnEnglishText) {
  LuaFile english("lang/english.lua");
  ASSERT_TRUE(english.ok());
  const LuaObject strings = english.Global("Strings");
  ASSERT_TRUE(strings.IsTable());
  auto hasText = [&](const std::string& key) {
    const LuaObject text = script::GetField(strings, key.c_str());
    return text.IsString() && !text.ToStdString().empty();
  };

  std::vector<std::string> keys = {
      "TIP_FIRST_GOLD", "TIP_FIRST_ZEN", "TIP_ALMOST_DONE", "TIP_ZENOMETER_START", "TIP_ZENOMETER_FULL",
      "TIP_SLICER_APPEAR", "TIP_LEAF_APPEAR", "TIP_DOUBLE_LEAF_APPEAR", "TIP_DOUBLE_APPEAR", "TIP_TRIPLE_APPEAR",
      "TIP_TILE_BLAST_APPEAR", "TIP_TIME_ADDER_APPEAR", "TIP_TIME_WARNING", "TIP_SILVER_COIN", "TIP_GOLD_COIN",
      "TIP_ZENPOWER_FIREBALL_APPEAR", "TIP_ZENPOWER_LIGHTNING_APPEAR", "TIP_ZENPOWER_TILEGRAB_APPEAR",
      "TIP_ZENPOWER_FLOWERBLAST_APPEAR", "TIP_ZENPOWER_MATCH_APPEAR", "TIP_ZENPOWER_TIME_APPEAR",
      "FASHION_CHANGE_HINT", "FIRST_DOUBLE_ZEN", "ZEN_NOT_POWERED_YET", "EMPTY_HS_NAME_SLOT", "HIGHSCORE_LOCAL",
      "HIGHSCORE_GLOBAL", "TROPHY_ROOM", "SELECT_FASHION", "NOT_AVAILABLE", "CONNECTION_FAIL", "NO_MOVES_LEFT",
      "WEEKDAY_MONDAY", "WEEKDAY_TUESDAY", "WEEKDAY_WEDNESDAY", "WEEKDAY_THURSDAY", "WEEKDAY_FRIDAY",
      "WEEKDAY_SATURDAY", "WEEKDAY_SUNDAY", "TROPHY_LOCKED", "SUMMARY_OFFLINE", "PROFILE_NEEDED", "FASHION_PRICE",
      "FASHION_COINS"};
  // The help shows tip n (0 to 23) under its number's key.
  Append(keys, Series("HINT_%02d", 1, 24));
  // The levels' places.
  {
    LuaFile levels("scripts/levels.lua");
    ASSERT_TRUE(levels.ok());
    const LuaObject rows = levels.Global("Levels");
    ASSERT_TRUE(rows.IsTable());
    for (int i = 1; i <= rows.GetTableCount(); ++i) {
      keys.push_back(script::GetString(rows[i], "country", ""));
      keys.push_back("CITY_" + script::GetString(rows[i], "city", ""));
    }
  }
  // The clothes' and the trophies' names and descriptions are shown as texts.
  {
    LuaFile items("scripts/items.lua");
    ASSERT_TRUE(items.ok());
    const LuaObject rows = items.Global("Clothes");
    for (int i = 1; rows.IsTable() && i <= rows.GetTableCount(); ++i) {
      keys.push_back(script::GetString(rows[i], "Name", ""));
      keys.push_back(script::GetString(rows[i], "Description", ""));
      // The tooltip of each bonus's icon in the fashion popup.
      for (const char* stat : {"Stat1", "Stat2"}) {
        const std::string bonus = script::GetString(rows[i], stat, "");
        if (!bonus.empty()) keys.push_back(KivFashionPopup::IconOfBonus(bonus).tip);
      }
    }
    LuaFile trophies("scripts/trophies.lua");
    ASSERT_TRUE(trophies.ok());
    const LuaObject records = trophies.Global("KIV_TROPHIES");
    for (int i = 1; records.IsTable() && i <= records.GetTableCount(); ++i) {
      keys.push_back(script::GetString(records[i], "Name", ""));
      keys.push_back(script::GetString(records[i], "Description_Text", ""));
    }
  }
  for (const std::string& key : keys) EXPECT_TRUE(hasText(key)) << "\"" << key << "\"";
  // Every widget's text.
  for (const std::string& file : DataFiles("ui", ".ui")) {
    for (const std::string& key : ReadPanel(file).texts) EXPECT_TRUE(hasText(key)) << file << ": \"" << key << "\"";
  }
}

// The names called as functions in a script text, leaving out method calls and fields.
std::set<std::string> CalledNames(const std::string& script) {
  std::set<std::string> names;
  for (size_t i = 0; i < script.size();) {
    if (!std::isalpha(static_cast<unsigned char>(script[i])) && script[i] != '_') {
      if (script[i] == '\'' || script[i] == '"') {  // skip a quoted string
        const char quote = script[i];
        for (++i; i < script.size() && script[i] != quote; ++i) {}
      }
      ++i;
      continue;
    }
    const size_t start = i;
    while (i < script.size() && (std::isalnum(static_cast<unsigned char>(script[i])) || script[i] == '_')) ++i;
    size_t next = i;
    while (next < script.size() && script[next] == ' ') ++next;
    const bool member = start > 0 && (script[start - 1] == ':' || script[start - 1] == '.');
    if (!member && next < script.size() && script[next] == '(') names.insert(script.substr(start, i - start));
  }
  return names;
}

TEST_F(ContentContractTest, EveryScriptTheCodeRunsFindsItsFunctionsOnceStartUpHasRun) {
  LuaFile console("scripts/console.lua");
  ASSERT_TRUE(console.ok());
  ASSERT_EQ(console.state()->DoString(R"(
      Loaded = {}
      function GetUIMan()
        return { AddPanel = function(self, file)
          Loaded[#Loaded + 1] = file
          return { SetIsVisible = function() end }
        end }
      end
      OnInitUI()
      GetUIMan = nil
  )"), 0);
  std::set<std::string> loaded;
  for (const std::string& file : StringsOf(console.Global("Loaded"))) loaded.insert(file);
  // The panels the shell's objects and the level look up once, loaded by the start-up.
  for (const char* file : {"ui/connecting.ui", "ui/trophy_screen.ui", "ui/trophy_popup.ui", "ui/buy_popup.ui",
                           "ui/fashion_studio.ui", "ui/pause.ui", "ui/help_flash.ui", "ui/intro_dlg.ui",
                           "ui/summary.ui"}) {
    EXPECT_TRUE(loaded.count(file)) << file << " is not loaded by OnInitUI()";
  }

  // The scripts the engine and the game run by name.
  const std::vector<std::string> runs = {
      "OnStartUp()", "SetupLanguage('english');", "ReloadGame()", "OnInitUI()", "GoToState('menu')",
      "QuitGame()", "CaptureAutoScreenshot()", "CaptureMiniScreenshot()", "OnEnterMainMenu()",
      "OnExitMainMenu()", "OnEnterSettings()", "OnExitSettings()", "OnEnterHighscore()", "OnEnterTrophy()",
      "OnExitTrophy()", "OnEnterStory()", "OnExitStory()", "OnEnterMapAsia()", "OnEnterMapZen()", "OnExitMap()",
      "OnEnterCredits()", "OnExitGeneric()", "OnEnterGame()", "OnExitGame()", "InitTweaks()", "MainMenu()",
      "MapAsia()", "MapZen()", "GoCredits()", "NextLevel()", "ReplayLevel()", "CloseIngameUI('ReplayLevel()')",
      "CloseIngameUI('GetGame():StartLevelSummary()')", "ShowSummary(true)", "CheckShowPopup(true)",
      "DoZenBreak(false)", "SetupFlashHelp()", "ShutdownFlashHelp()",
      "GetGame():Pause(true);CreatePrompt('NO_MOVES_LEFT', 'GetGame():Reshuffle()')",
      "CreatePrompt('CONNECTION_FAIL', '')", "OnTrophyIdle()", "OnTrophyPopupClose()", "EnableAllSpells()",
      "TriggerSpellTips()", "UpdateSpellUI()", "SpellTriggered('match', true)", "RefreshFashionZenPowers()",
      "OnStartBGEditor()", "OnStopBGEditor()", "EditDecalBG()", "EditBackgroundBG()", "EditPartBG()",
      "EditBipedBG()", "ShowBgEditor()", "LoadBGImg()", "SaveBackgroundFile()", "LoadBackgroundFile()",
      "BgEditScrollEnvDown()", "BgEditScrollEnvUp()", "SaveEditorWell()", "LoadEditorWell()"};
  std::set<std::string> engine(std::begin(kEngineGlobals), std::end(kEngineGlobals));
  auto defined = [&](const std::string& name) {
    return engine.count(name) || console.Global(name).IsFunction();
  };
  for (const std::string& run : runs) {
    for (const std::string& name : CalledNames(run)) EXPECT_TRUE(defined(name)) << name << " in " << run;
  }
  // Every file a script names by its full name is there: movies, animations, cursors and
  // the language file beside the program, the rest in the archive.
  const std::set<std::string> onDisk = {".swf", ".avi", ".sbp", ".lng", ".ani"};
  const std::set<std::string> named = {".ui", ".lua", ".p2d", ".png", ".jpg", ".ogg"};
  for (const std::string& file : DataFiles("scripts", ".lua")) {
    const std::string text = testenv::ReadFile(kSources + "/" + file);
    for (size_t open = text.find('"'); open != std::string::npos; open = text.find('"', open + 1)) {
      const size_t close = text.find('"', open + 1);
      if (close == std::string::npos) break;
      const std::string name = text.substr(open + 1, close - open - 1);
      open = close;
      const size_t dot = name.rfind('.');
      const bool plain = name.find_first_of(" %<>*") == std::string::npos && name.find('/') != std::string::npos;
      if (!plain || dot == std::string::npos) continue;
      const std::string extension = Lower(name.substr(dot));
      if (onDisk.count(extension)) {
        EXPECT_TRUE(testenv::FileExists(kBin + "/" + name)) << file << " names " << name;
      } else if (named.count(extension)) {
        EXPECT_FALSE(Load(name).empty()) << file << " names " << name;
      }
    }
  }
  for (const char* cursor : {"cursor_default", "cursor_power1", "cursor_power2", "cursor_power3", "cursor_power4",
                             "cursor_power6"}) {
    EXPECT_TRUE(testenv::FileExists(kBin + "/cursors/" + cursor + ".ani")) << cursor;
  }

  // And the event scripts of every panel.
  for (const std::string& file : DataFiles("ui", ".ui")) {
    for (const std::string& script : ReadPanel(file).scripts) {
      for (const std::string& name : CalledNames(script)) {
        EXPECT_TRUE(defined(name)) << file << ": " << name << " in \"" << script << "\"";
      }
    }
  }
}

struct Layout {
  int floorCells = 0;
  int blocks = 0;
  bool blocksOnFloor = true;
};

// The well file loaded into a board of the game.
Layout LoadLayout(const std::string& file) {
  FrameTimer timer;
  KivWell board(nullptr, timer);
  Layout layout;
  board.SetupBlockInfo();
  if (!board.LoadWell(file)) return layout;
  for (int y = 0; y < KivWell::kGridHeight; ++y) {
    for (int x = 0; x < KivWell::kGridWidth; ++x) layout.floorCells += board.GetTileValue(x, y) > 0;
  }
  for (const well::WellBlock* block : board.GetBlocks()) {
    ++layout.blocks;
    layout.blocksOnFloor &= board.GetTileValue(block->targetX, block->targetY) > 0;
  }
  return layout;
}

bool LayoutHasZenBlock(const std::string& file) {
  LuaFile well(file);
  const LuaObject blocks = well.Global("Blocks");
  for (int i = 1; blocks.IsTable() && i <= blocks.GetTableCount(); ++i) {
    if (Lower(script::GetString(blocks[i], "Type", "")) == "zenblock") return true;
  }
  return false;
}

struct LevelFacts {
  int count = 0;
  int largestBoard = 0;
  int largestPuzzle = 0;  // blocks of the largest PUZZLE level
  bool anyAuto = false;
  bool anyTimed = false;
  bool anyZen = false;
};

TEST_F(ContentContractTest, EveryLevelHasGoalsAThemeAUniqueIndexAndALayoutThatLoads) {
  spritetest::SpriteRenderer renderer;
  LuaFile goalsFile("scripts/goals.lua");
  ASSERT_TRUE(goalsFile.ok());
  std::map<std::string, std::string> goalTypes;
  const LuaObject goals = goalsFile.Global("Goals");
  ASSERT_TRUE(goals.IsTable());
  const std::set<std::string> types = {"TIME", "BIGSET", "CLEAR_BLOCK", "CLEAR_SET", "MOVES", "CLEAR_ALL",
                                       "CLEAR_TILE"};
  for (int i = 1; i <= goals.GetTableCount(); ++i) {
    const std::string name = script::GetString(goals[i], "GoalName", "");
    const std::string type = script::GetString(goals[i], "Type", "");
    EXPECT_TRUE(types.count(type)) << name << ": " << type;
    const std::string icon = script::GetString(goals[i], "Icon", "");
    if (!icon.empty()) { EXPECT_TRUE(Shows(icon)) << name << ": " << icon; }
    goalTypes[Lower(name)] = type;
  }

  LuaFile levelsFile("scripts/levels.lua");
  ASSERT_TRUE(levelsFile.ok());
  const LuaObject levels = levelsFile.Global("Levels");
  ASSERT_TRUE(levels.IsTable());
  ASSERT_GT(levels.GetTableCount(), 0);
  const std::set<std::string> themes = {"main", "chinese", "japanese", "southeast", "celebration"};
  std::set<int> indexes;
  std::set<std::string> names;
  for (int i = 1; i <= levels.GetTableCount(); ++i) {
    const LuaObject level = levels[i];
    const std::string name = script::GetString(level, "LevelName", "");
    SCOPED_TRACE(name);
    // A row without a name, or with the name of an earlier row, is dropped.
    EXPECT_FALSE(name.empty()) << "level row " << i;
    EXPECT_TRUE(names.insert(Lower(name)).second) << "LevelName twice";
    const int index = script::GetInt(level, "Index", 0);
    EXPECT_TRUE(index >= 1 && index <= 2000) << index;
    EXPECT_TRUE(indexes.insert(index).second) << "Index " << index << " twice";
    EXPECT_TRUE(themes.count(script::GetString(level, "Music", ""))) << script::GetString(level, "Music", "");
    const std::string mode = script::GetString(level, "GenMode", "");
    EXPECT_TRUE(mode == "AUTO" || mode == "PUZZLE") << mode;
    int winGoals = 0;
    for (const char* slot : {"Goal1", "Goal2", "Goal3"}) {
      const std::string goal = script::GetString(level, slot, "");
      if (goal.empty()) continue;
      ++winGoals;
      EXPECT_TRUE(goalTypes.count(Lower(goal))) << slot << " " << goal;
    }
    EXPECT_GT(winGoals, 0) << "a level without a goal is never won";
    const std::string failure = script::GetString(level, "Failure", "");
    if (!failure.empty()) { EXPECT_TRUE(goalTypes.count(Lower(failure))) << "Failure " << failure; }
    const std::string border = script::GetString(level, "Border", "wall");
    for (const char* piece : kWallPieces) EXPECT_TRUE(Shows(border + piece)) << border + piece;
    int colours = 0;
    for (int c = 1; c <= 24; ++c) colours += script::GetInt(level, Format("flower_%d", c).c_str(), 0);
    if (mode == "AUTO") { EXPECT_GT(colours, 0) << "the generator has no colour to deal"; }

    const std::string file = script::GetString(level, "Layout", "");
    const Layout layout = LoadLayout(file);
    EXPECT_GT(layout.floorCells, 0) << file << " loads no board";
    EXPECT_TRUE(layout.blocksOnFloor) << file << " has a block off the floor";
    if (mode == "PUZZLE") { EXPECT_GT(layout.blocks, 0) << file << ": a puzzle without blocks"; }
  }
}

// The board's colour of a name, -1 for a name that is no flower colour (a block kind, a
// zen power, "any").
int FlowerColourOf(const std::string& name) {
  for (int c = 0; c < kFlowerColors; ++c) {
    if (Lower(name) == well::GetColorName(c)) return c;
  }
  return -1;
}

// The petal colour of flower picture `index` (0-based), as 0xRRGGBB; 0 when it does not
// decode. The petal at the top of the flower lies 10 pixels above its middle.
// The colour in the upper half of flower N's picture, found as the game finds it: through
// its entry in the board's sprite sheet, whose picture may be packed into a larger image
// (the frame borders give its top-left corner, the clips what lies right of and below it).
uint32_t PetalColour(int index) {
  LuaFile sheet("img/sprites.lua");
  const LuaObject sprites = sheet.Global("Sprites");
  const std::string wanted = Format("flowers_tiles_%03d", index + 1);
  for (int i = 1; sprites.IsTable() && i <= sprites.GetTableCount(); ++i) {
    const LuaObject entry = sprites[i];
    if (script::GetString(entry, "Name", "") != wanted) continue;
    const std::string bytes = Load(script::GetString(entry, "ImageFile", ""));
    d3d8::DecodedImage image;
    if (bytes.empty() || d3d8::DecodeImage(bytes.data(), bytes.size(), &image) != D3D_OK) return 0;
    const int left = script::GetInt(entry, "FrameBorderX", 0);
    const int top = script::GetInt(entry, "FrameBorderY", 0);
    const int width = int(image.width) - 2 * left - script::GetInt(entry, "ClipX", 0);
    const int height = int(image.height) - 2 * top - script::GetInt(entry, "ClipY", 0);
    if (width < 30 || height < 30) return 0;
    const std::vector<uint8_t>& pixels = image.Surface(0, 0);
    const size_t at = (size_t(top + height / 2 - 10) * image.width + size_t(left + width / 2)) * 4;
    return uint32_t(pixels[at + 2]) << 16 | uint32_t(pixels[at + 1]) << 8 | pixels[at];
  }
  return 0;
}

// Whether a colour looks like the colour of that name, for the five colours levels deal.
bool LooksLike(uint32_t rgb, const std::string& name) {
  const int r = int(rgb >> 16 & 0xFF);
  const int g = int(rgb >> 8 & 0xFF);
  const int b = int(rgb & 0xFF);
  if (name == "blue") return b > r + 60 && b > g + 40;
  if (name == "green") return g > r + 60 && g > b + 60;
  if (name == "red") return r > g + 100 && r > b + 100;
  if (name == "yellow") return r > 180 && g > 160 && b < r - 100;
  if (name == "purple") return r > g + 60 && b > g + 60;
  return false;
}

// A goal that counts a colour, a level's layout and a piece of clothing that deals more
// of a colour each name a colour of the board's table; the colour must be one the levels
// deal (a goal's, one its own level deals), and every dealt colour's flower is drawn in
// the colour of its name.
TEST_F(ContentContractTest, EveryColourAGoalALevelOrAPieceOfClothingNamesIsDealtAndDrawnAsNamed) {
  LuaFile goalsFile("scripts/goals.lua");
  ASSERT_TRUE(goalsFile.ok());
  std::map<std::string, std::string> goalColours;  // lower-case goal name -> colour name
  const LuaObject goals = goalsFile.Global("Goals");
  for (int i = 1; goals.IsTable() && i <= goals.GetTableCount(); ++i) {
    const std::string colour = Lower(script::GetString(goals[i], "Color", ""));
    const std::string name = Lower(script::GetString(goals[i], "GoalName", ""));
    if (colour.empty()) continue;
    goalColours[name] = colour;
    EXPECT_GE(FlowerColourOf(colour), 0) << "goal " << name << " counts \"" << colour << "\", no flower colour";
  }

  LuaFile levelsFile("scripts/levels.lua");
  ASSERT_TRUE(levelsFile.ok());
  const LuaObject levels = levelsFile.Global("Levels");
  ASSERT_TRUE(levels.IsTable());
  std::set<int> dealt;
  for (int i = 1; i <= levels.GetTableCount(); ++i) {
    const LuaObject level = levels[i];
    const std::string name = script::GetString(level, "LevelName", "");
    SCOPED_TRACE(name);
    std::set<int> own;
    for (int c = 1; c <= kFlowerColors; ++c) {
      if (script::GetInt(level, Format("flower_%d", c).c_str(), 0) > 0) own.insert(c - 1);
    }
    // The flowers a layout places name their colour as "flower_<n>".
    LuaFile layout(script::GetString(level, "Layout", ""));
    const LuaObject blocks = layout.Global("Blocks");
    for (int b = 1; blocks.IsTable() && b <= blocks.GetTableCount(); ++b) {
      const std::string colour = Lower(script::GetString(blocks[b], "Color", ""));
      if (colour.rfind("flower_", 0) != 0) continue;
      const int n = std::atoi(colour.c_str() + 7);
      EXPECT_TRUE(n >= 1 && n <= kFlowerColors) << "layout block " << b << " " << colour;
      own.insert(n - 1);
    }
    for (const char* slot : {"Goal1", "Goal2", "Goal3", "Failure"}) {
      const std::string goal = Lower(script::GetString(level, slot, ""));
      if (!goalColours.count(goal)) continue;
      EXPECT_TRUE(own.count(FlowerColourOf(goalColours[goal])))
          << slot << " " << goal << " counts " << goalColours[goal] << " flowers, which the level never deals";
    }
    dealt.insert(own.begin(), own.end());
  }
  ASSERT_FALSE(dealt.empty());

  LuaFile items("scripts/items.lua");
  ASSERT_TRUE(items.ok());
  const LuaObject clothes = items.Global("Clothes");
  for (int i = 1; clothes.IsTable() && i <= clothes.GetTableCount(); ++i) {
    for (const char* stat : {"Stat1", "Stat2"}) {
      const std::string bonus = Lower(script::GetString(clothes[i], stat, ""));
      const int colour = FlowerColourOf(bonus);
      if (colour < 0) continue;
      EXPECT_TRUE(dealt.count(colour)) << script::GetString(clothes[i], "SpriteName", "") << " " << stat << " "
                                       << bonus << ": no level deals it";
    }
  }

  for (const int colour : dealt) {
    const std::string name = well::GetColorName(colour);
    const uint32_t petal = PetalColour(colour);
    EXPECT_TRUE(LooksLike(petal, name)) << "flower " << colour + 1 << " should be " << name << ", is " << std::hex
                                        << petal;
  }
}

// Thresholds that the levels and the clothes make possible, for every trophy record.
TEST_F(ContentContractTest, EveryTrophyCanBeEarned) {
  spritetest::SpriteRenderer renderer;
  LevelFacts facts;
  LuaFile console("scripts/console.lua");
  ASSERT_TRUE(console.ok());
  {
    LuaFile goalsFile("scripts/goals.lua");
    std::map<std::string, std::string> goalTypes;
    const LuaObject goals = goalsFile.Global("Goals");
    for (int i = 1; goals.IsTable() && i <= goals.GetTableCount(); ++i) {
      goalTypes[Lower(script::GetString(goals[i], "GoalName", ""))] = script::GetString(goals[i], "Type", "");
    }
    LuaFile levelsFile("scripts/levels.lua");
    const LuaObject levels = levelsFile.Global("Levels");
    ASSERT_TRUE(levels.IsTable());
    for (int i = 1; i <= levels.GetTableCount(); ++i) {
      const LuaObject level = levels[i];
      ++facts.count;
      const Layout layout = LoadLayout(script::GetString(level, "Layout", ""));
      facts.largestBoard = std::max(facts.largestBoard, layout.floorCells);
      const bool puzzle = script::GetString(level, "GenMode", "") == "PUZZLE";
      if (puzzle) facts.largestPuzzle = std::max(facts.largestPuzzle, layout.blocks);
      facts.anyAuto |= !puzzle;
      facts.anyTimed |= goalTypes[Lower(script::GetString(level, "Failure", ""))] == "TIME";
      // Zen blocks come from the level's weights, from its layout, or from chains of five
      // and more once one of its spells has a cost (which the level scripts give).
      const std::string name = script::GetString(level, "LevelName", "");
      facts.anyZen |= script::GetInt(level, "token_zen", 0) > 0 || LayoutHasZenBlock(script::GetString(level, "Layout", ""));
      for (int spell = 1; spell <= 6 && console.Global("SpellCost").IsFunction(); ++spell) {
        const std::string call = "Cost = SpellCost(" + std::to_string(spell) + ")";
        console.state()->GetGlobals().SetString("CurrentLevel", name);
        ASSERT_EQ(console.state()->DoString(call.c_str()), 0) << call;
        facts.anyZen |= script::ToFloat(console.Global("Cost"), 0.0f) > 0.0f;
      }
    }
  }
  int clothes = 0;
  {
    LuaFile items("scripts/items.lua");
    const LuaObject rows = items.Global("Clothes");
    clothes = rows.IsTable() ? rows.GetTableCount() : 0;
  }

  LuaFile file("scripts/trophies.lua");
  ASSERT_TRUE(file.ok());
  const LuaObject records = file.Global("KIV_TROPHIES");
  ASSERT_TRUE(records.IsTable());
  const int count = records.GetTableCount();
  std::set<int> icons;
  int allTrophies = 0;
  for (int i = 1; i <= count; ++i) {
    const LuaObject record = records[i];
    const int index = script::GetInt(record, "Index", 0);
    const std::string condition = Lower(script::GetString(record, "Condition", ""));
    const int value1 = script::GetInt(record, "Value1", 0);
    const int value2 = script::GetInt(record, "Value2", 0);
    SCOPED_TRACE("trophy " + std::to_string(index) + " " + condition);
    EXPECT_TRUE(index >= 1 && index <= 24) << "shown on no icon of the room";
    EXPECT_TRUE(icons.insert(index).second) << "Index twice";
    if (condition == "token_set") {
      EXPECT_TRUE(value1 > 0 && value1 <= facts.largestBoard) << value1 << " tokens in one move";
    } else if (condition == "token_level") {
      EXPECT_GT(value1, 0);
      if (!facts.anyAuto) { EXPECT_LE(value1, facts.largestPuzzle) << "tokens in one level"; }
    } else if (condition == "flower_game") {
      EXPECT_GT(value1, 0);
    } else if (condition == "flower_set_row") {
      EXPECT_GT(value1, 0);
      EXPECT_TRUE(value2 > 0 && value2 <= facts.largestBoard) << value2 << " flowers in one move";
    } else if (condition == "time_remaining") {
      EXPECT_GT(value1, 0);
      // The share left is truncated and the clock always runs a little: 99 at most.
      EXPECT_TRUE(value2 >= 0 && value2 <= 99) << value2 << " percent";
      if (value2 > 0) { EXPECT_TRUE(facts.anyTimed) << "no level has a clock"; }
    } else if (condition == "fashion") {
      EXPECT_TRUE(value1 > 0 && value1 <= 100) << value1 << " percent of the clothes";
      EXPECT_GT(clothes, 0);
    } else if (condition == "level_open") {
      EXPECT_TRUE(value1 > 0 && value1 <= facts.count) << value1 << " of " << facts.count << " levels open";
    } else if (condition == "zen_full") {
      EXPECT_GT(value1, 0);
      EXPECT_TRUE(facts.anyZen) << "no level makes zen blocks";
    } else if (condition == "special_alltrophies") {
      ++allTrophies;
    } else {
      EXPECT_TRUE(condition == "special_winadventure" || condition == "special_winzen") << "never earned";
    }
  }
  // The last trophy is announced when every other one is owned: one such record, and every
  // other record on an icon of its own.
  EXPECT_EQ(allTrophies, 1);
  EXPECT_EQ(count, 24);
}

// Each trophy's text says what its condition counts: its numbers, and for the conditions
// that count flowers, that only plain ones count (the board counts the flowers of a chain
// without the double and triple ones, which a player also calls flowers, and a chain
// always holds three blocks or more); for the time streak, that only timed levels count.
TEST_F(ContentContractTest, EachTrophysTextSaysWhatItsConditionCounts) {
  LuaFile english("lang/english.lua");
  ASSERT_TRUE(english.ok());
  const LuaObject strings = english.Global("Strings");
  LuaFile file("scripts/trophies.lua");
  ASSERT_TRUE(file.ok());
  const LuaObject records = file.Global("KIV_TROPHIES");
  ASSERT_TRUE(records.IsTable());
  // The whole numbers a text holds.
  const auto numbers = [](const std::string& text) {
    std::set<int> found;
    for (size_t i = 0; i < text.size();) {
      if (!std::isdigit(static_cast<unsigned char>(text[i]))) {
        ++i;
        continue;
      }
      size_t end = i;
      while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) ++end;
      found.insert(std::stoi(text.substr(i, end - i)));
      i = end;
    }
    return found;
  };
  int flowerTrophies = 0;
  for (int i = 1; i <= records.GetTableCount(); ++i) {
    const LuaObject record = records[i];
    const std::string condition = Lower(script::GetString(record, "Condition", ""));
    const int value1 = script::GetInt(record, "Value1", 0);
    const int value2 = script::GetInt(record, "Value2", 0);
    const std::string text = script::GetString(strings, script::GetString(record, "Description_Text", ""), "");
    SCOPED_TRACE("trophy " + std::to_string(script::GetInt(record, "Index", 0)) + " " + condition + ": " + text);
    ASSERT_FALSE(text.empty());
    const std::set<int> said = numbers(text);
    std::vector<int> counts;
    if (condition == "token_set" || condition == "token_level" || condition == "flower_game" ||
        condition == "level_open" || condition == "time_remaining" || (condition == "zen_full" && value1 > 1)) {
      counts.push_back(value1);
    } else if (condition == "flower_set_row") {
      counts = {value1, value2};
    }
    for (const int count : counts) EXPECT_TRUE(said.count(count)) << "says nothing of " << count;
    if (condition == "flower_game" || condition == "flower_set_row") {
      ++flowerTrophies;
      EXPECT_NE(text.find("plain flowers"), std::string::npos);
    }
    if (condition == "time_remaining") { EXPECT_NE(text.find("timed levels"), std::string::npos); }
  }
  EXPECT_GT(flowerTrophies, 0);
}

}  // namespace
