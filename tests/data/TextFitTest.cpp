// Every text the game's panels show fits its box: each panel of the packed content is
// loaded with the game's own fonts and English texts, and each text widget is given what
// it shows on its own and every value the game's code and scripts put there, up to the
// longest (names of 24 characters, every chapter, trophy, piece of clothing and level, the
// largest scores). The font's own layout lays each text out in the widget's box as the
// widget draws it, and a text fails when its lines run out of the widget's rectangle or
// when a line ends inside a word. The tips and tooltips are laid out the same way in their
// framed box and must keep clear of the frame's rim.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "engine/core/Console.h"
#include "engine/core/Script.h"
#include "engine/core/StrMan.h"
#include "engine/core/StringUtil.h"
#include "engine/core/VFS.h"
#include "engine/graphics/Font.h"
#include "engine/graphics/FontManager.h"
#include "engine/graphics/Graphics.h"
#include "engine/ui/UIMultiLine.h"
#include "engine/ui/UIWidget.h"
#include "game/board/KivHelp.h"
#include "game/board/KivHintPopup.h"
#include "platform/d3d8/ImageDecoder.h"
#include "tests/data/ContentScreenTest.h"
#include "tests/support/TestEnv.h"

namespace {

const char* const kFonts[] = {"BigFont", "GameFont", "MediumFont", "SmallFont", "TinyFont"};

// Where a text may end a line: the font breaks lines only at these.
bool IsBreak(char16_t c) { return c == u' ' || c == Font::kNewline || c == Font::kBreakPoint; }

std::string Narrow(const WString& text) { return ToNarrow(text); }

std::string Translated(const std::string& key) { return Narrow(lang::StrMan::Instance().GetString(key)); }

// A global table of a Lua file of the archive, run in a state of its own: the string
// field of each row.
std::vector<std::string> RowFields(const std::string& file, const std::string& table, const std::string& field) {
  std::vector<std::string> values;
  LuaState* state = script::CreateLuaState();
  EXPECT_TRUE(script::LoadScript(state, file)) << file;
  {
    const LuaObject rows = script::GetGlobal(state, table);
    EXPECT_TRUE(rows.IsTable()) << file << ": " << table;
    for (int i = 1; rows.IsTable() && i <= rows.GetTableCount(); ++i) {
      const std::string value = script::GetString(rows[i], field, "");
      if (!value.empty()) values.push_back(value);
    }
  }
  LuaState::Destroy(state);
  return values;
}

// The pixel rectangle of a text's glyphs as the font places them, and its lines.
struct Layout {
  int lineCount = 0;
  std::vector<TextLine> lines;
  float minX = 0, minY = 0, maxX = 0, maxY = 0;
};

// Lays a text out with the font's own layout, in the box and with the flags it is drawn
// with, and measures where its glyphs go (pixels of the play area).
Layout LayOut(Font& font, const WString& text, const math::Vec2& corner, const math::Vec2& box, uint32_t flags) {
  float width, height;
  PlayAreaSize(width, height);
  std::vector<TextLine> lines(Font::kMaxLines);
  std::vector<Glyph*> glyphs(Font::kMaxCharacters, nullptr);
  int lineCount = 0;
  int characterCount = 0;
  font.LayoutText(text, box.x * width, box.y * height, lines.data(), glyphs.data(), lineCount, characterCount);
  font.DrawGlyphs(corner, box, 0xFFFFFFFF, lines.data(), glyphs.data(), lineCount, characterCount, flags, false);
  Layout layout;
  layout.lineCount = lineCount;
  lines.resize(static_cast<size_t>(lineCount));
  layout.lines = lines;
  layout.minX = font.minX;
  layout.minY = font.minY;
  layout.maxX = font.maxX;
  layout.maxY = font.maxY;
  return layout;
}

// What is wrong with a laid-out text in the rectangle [low, high] (pixels): "" when it
// fits. A line may end only where the font may break it; a word that had to be cut did
// not fit its line.
std::string Misfit(const Font& font, const WString& text, const Layout& layout, const math::Vec2& low,
                   const math::Vec2& high) {
  std::ostringstream why;
  if (layout.lineCount == 0) {
    why << "lays out as nothing (a character wider than the box)";
    return why.str();
  }
  constexpr float kSlack = 1.0f;  // the half pixel of each glyph's placement
  const int step = font.height + font.lineSpacing;
  const float room = high.y - low.y + 2.0f * kSlack;
  const int holds = room < float(font.height) ? 0 : int((room - float(font.height)) / float(step)) + 1;
  if (layout.lineCount > holds) {
    why << "needs " << layout.lineCount << " line(s), the box holds " << holds;
    return why.str();
  }
  if (layout.minY < low.y - kSlack || layout.maxY > high.y + kSlack) {
    why << "its lines stand outside the box (rows " << layout.minY << ".." << layout.maxY << ", box " << low.y
        << ".." << high.y << ")";
    return why.str();
  }
  if (layout.minX < low.x - kSlack || layout.maxX > high.x + kSlack) {
    why << "runs out sideways (" << layout.minX << ".." << layout.maxX << ", box " << low.x << ".." << high.x << ")";
    return why.str();
  }
  for (size_t k = 0; k + 1 < layout.lines.size(); ++k) {
    const size_t end = static_cast<size_t>(layout.lines[k].end);
    if (end >= text.size() || IsBreak(text[end])) continue;
    size_t first = end;
    while (first > 0 && !IsBreak(text[first - 1])) --first;
    size_t last = end;
    while (last < text.size() && !IsBreak(text[last])) ++last;
    why << "breaks the word \"" << Narrow(text.substr(first, last - first)) << "\" after \""
        << Narrow(text.substr(first, end - first)) << "\"";
    return why.str();
  }
  return "";
}

math::Vec2 Pixels(const math::Vec2& at) {
  float width, height;
  PlayAreaSize(width, height);
  return math::Vec2(at.x * width, at.y * height);
}

// What is wrong with the text a widget shows now, as the widget draws it, in the widget's
// own rectangle; "" when it fits or shows nothing.
std::string WidgetMisfit(ui::UIWidget& widget) {
  const math::Vec2 low = Pixels(widget.GetPosition());
  const math::Vec2 high = Pixels(widget.GetPosition() + widget.GetSize());
  if (auto* multi = dynamic_cast<ui::UIMultiLine*>(&widget)) {
    Font* font = multi->text.font;
    const WString& translated = lang::StrMan::Instance().GetStringW(multi->sourceText);
    const WString shown = translated.empty() ? multi->sourceText : translated;
    if (!font || shown.empty()) return "";
    const math::Vec2 inner = widget.GetSize() - multi->text.border * 2.0f;
    const uint32_t flags = ui::GetUIMan().forceLeftAlign ? 0u : uint32_t(Font::kCentreLines);
    return Misfit(*font, shown, LayOut(*font, shown, widget.GetPosition(), inner, flags), low, high);
  }
  const ui::UIText& text = widget.text;
  if (!text.font || text.displayText.empty()) return "";
  const Layout layout =
      LayOut(*text.font, text.displayText, text.rectPosition + text.border, text.rectSize, text.DrawFlags());
  return Misfit(*text.font, text.displayText, layout, low, high);
}

// The glyphs of the text a widget shows now, laid out as the widget draws it.
Layout WidgetLayout(ui::UIWidget& widget) {
  const ui::UIText& text = widget.text;
  if (!text.font || text.displayText.empty()) return Layout();
  return LayOut(*text.font, text.displayText, text.rectPosition + text.border, text.rectSize, text.DrawFlags());
}

// A picture of the archive, decoded to 32-bit pixels (B, G, R, A in memory).
struct Picture {
  uint32_t width = 0, height = 0;
  std::vector<uint8_t> pixels;
  int Sum(uint32_t x, uint32_t y) const {
    const uint8_t* p = &pixels[(size_t(y) * width + x) * 4];
    return p[0] + p[1] + p[2];
  }
  uint8_t Alpha(uint32_t x, uint32_t y) const { return pixels[(size_t(y) * width + x) * 4 + 3]; }
};

Picture LoadPicture(const std::string& file) {
  Picture picture;
  vfs::File bytes;
  EXPECT_TRUE(vfs::VFS::Instance().LoadFile(file, bytes)) << file;
  d3d8::DecodedImage decoded;
  if (bytes.size == 0 || d3d8::DecodeImage(bytes.Chars(), bytes.size, &decoded) != D3D_OK) {
    ADD_FAILURE() << file << " does not decode";
    return picture;
  }
  EXPECT_EQ(decoded.format, D3DFMT_A8R8G8B8) << file;
  picture.width = decoded.width;
  picture.height = decoded.height;
  picture.pixels = decoded.surfaces[0];
  return picture;
}

// Every widget of a tree, the root first.
void Collect(ui::UIWidget* widget, std::vector<ui::UIWidget*>& into) {
  into.push_back(widget);
  for (ui::UIWidget* child : widget->GetChildren()) Collect(child, into);
}

// The widgets of a panel file that name a font and have no text of their own: the game
// gives them their texts.
void FilledWidgets(const LuaObject& widget, std::vector<std::string>& into) {
  const bool font = !script::GetString(widget, "Font", "").empty();
  if (font && script::GetString(widget, "Text", "").empty()) into.push_back(script::GetString(widget, "Name", ""));
  const LuaObject children = script::GetField(widget, "Children");
  for (int i = 1; children.IsTable() && i <= children.GetTableCount(); ++i) FilledWidgets(children[i], into);
}

class TextFitTest : public contenttest::ContentScreenTest {
 protected:
  void SetUp() override {
    ContentScreenTest::SetUp();
    // The game's fonts from the archive, in place of the stage's test font.
    FontManager& fonts = FontManager::Get();
    fonts.Shutdown();
    for (const char* name : kFonts) {
      Font* font = fonts.InitBitmapFont(name, std::string("fonts/") + name + ".lua");
      ASSERT_NE(font, nullptr) << name;
      ASSERT_GT(font->GlyphCount(), 90u) << name << " has its glyphs";
    }
    fonts.defaultFont = fonts.FindFont("SmallFont");
    PlaceLanguageFile("english");
    Run("SetupLanguage('english')");
    ASSERT_EQ(Translated("TROPHY_ROOM_TITLE"), "Trophy Room");
  }

  // A widget of a loaded panel by the panel's name (the panel itself when the names agree).
  ui::UIWidget* Widget(const std::string& panelName, const std::string& name) {
    ui::UIWidget* panel = ui_.GetPanel(panelName);
    if (!panel) return nullptr;
    return ToLowerCase(panel->GetName()) == ToLowerCase(name) ? panel : panel->GetWidgetByName(name);
  }

  // The names a player can give (her own or her home town's): up to 24 characters, typed
  // into the settings' box, which takes no more than its width holds. The ordinary name
  // must be taken whole.
  std::vector<std::string> Names(const std::string& boxName) {
    ui::UIWidget* box = Widget("settings", boxName);
    EXPECT_NE(box, nullptr) << boxName;
    if (!box) return {};
    const std::string ordinary = "Annabella Rosalind Smith";
    std::vector<std::string> names;
    for (const std::string& typed : {ordinary, std::string(24, 'W'), std::string(24, 'm'), std::string(24, '8')}) {
      box->SetText(typed.substr(0, size_t(std::max(0, box->text.maxInput))));
      box->text.ShrinkToFit();
      names.push_back(Narrow(box->text.GetText()));
    }
    box->SetText("");
    EXPECT_EQ(names[0], ordinary) << boxName << " takes a name of 24 characters";
    EXPECT_LE(box->text.maxInput, 24) << boxName << ": names are at most 24 characters";
    return names;
  }

  std::vector<std::string> ConsoleStrings(const std::string& chunk) {
    Run("TextFitValues = {}\n" + chunk);
    std::vector<std::string> values;
    const LuaObject list = script::GetGlobal(console::GetConsole().GetState(), "TextFitValues");
    for (int i = 1; list.IsTable() && i <= list.GetTableCount(); ++i) values.push_back(list[i].ToStdString());
    Run("TextFitValues = nil");
    return values;
  }

  // A zen power's bonus in the studio, for each power: what the best piece of each part
  // for it adds up to.
  std::vector<std::string> PowerBonuses() {
    return ConsoleStrings(
        "local best = {}\n"
        "for _, item in ipairs(Clothes) do\n"
        "  for _, stat in ipairs({ { item.Stat1, item.Prob1 }, { item.Stat2, item.Prob2 } }) do\n"
        "    if stat[1] ~= nil then\n"
        "      local key = string.lower(stat[1]) .. '|' .. item.PartID\n"
        "      best[key] = math.max(best[key] or 0, stat[2] or 0)\n"
        "    end\n"
        "  end\n"
        "end\n"
        "local sum = {}\n"
        "for key, value in pairs(best) do\n"
        "  local power = string.match(key, '^[^|]*')\n"
        "  sum[power] = (sum[power] or 0) + value\n"
        "end\n"
        "for _, power in ipairs(ZEN_POWERS) do\n"
        "  table.insert(TextFitValues, string.format('+%d%%', sum[power] or 0))\n"
        "end");
  }
};

// One widget and the values the game gives it (texts or keys, as the code passes them);
// a font, when the code sets one with the text.
struct Shown {
  Shown(std::string panelName, std::string widgetName, std::vector<std::string> texts, std::string fontName = "")
      : panel(std::move(panelName)), widget(std::move(widgetName)), values(std::move(texts)), font(std::move(fontName)) {}
  std::string panel;
  std::string widget;
  std::vector<std::string> values;
  std::string font;
};

TEST_F(TextFitTest, EveryTextThePanelsShowFitsItsBox) {
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(std::string(PELLAVO_SOURCE_DIR) + "/data/ui")) {
    if (entry.path().extension() == ".ui") files.push_back("ui/" + entry.path().filename().string());
  }
  std::sort(files.begin(), files.end());
  ASSERT_GT(files.size(), 20u);
  std::map<std::string, std::vector<std::string>> filled;  // panel -> widgets the game fills
  std::vector<ui::UIWidget*> panels;
  for (const std::string& file : files) {
    ui::UIWidget* panel = Panel(file);
    ASSERT_NE(panel, nullptr) << file;
    panels.push_back(panel);
    LuaState* state = script::CreateLuaState();
    ASSERT_TRUE(script::LoadScript(state, file));
    FilledWidgets(script::GetGlobal(state, "Panel"), filled[panel->GetName()]);
    LuaState::Destroy(state);
  }

  // Every text that does not fit, one line each.
  std::vector<std::string> misfits;
  int checked = 0;
  const auto check = [&](const std::string& where, ui::UIWidget& widget, const std::string& value) {
    ++checked;
    const std::string why = WidgetMisfit(widget);
    if (!why.empty()) misfits.push_back(where + " \"" + value + "\" in " + widget.text.GetFont() + ": " + why);
  };

  // What every widget shows of its own.
  for (size_t i = 0; i < files.size(); ++i) {
    std::vector<ui::UIWidget*> widgets;
    Collect(panels[i], widgets);
    for (ui::UIWidget* widget : widgets) {
      const auto* multi = dynamic_cast<ui::UIMultiLine*>(widget);
      check(files[i] + " " + widget->GetName(), *widget, Narrow(multi ? multi->sourceText : widget->text.displayText));
    }
  }

  // What the game puts there.
  const std::vector<std::string> names = Names("ProfileName");
  const std::vector<std::string> towns = Names("ProfileTown");
  std::vector<std::string> profileValues{"no profile"};
  for (const std::string& name : names) profileValues.push_back(name + " (7/7)");
  std::vector<std::string> levelTitles;
  for (const std::string& row : ConsoleStrings(
           "for _, level in ipairs(Levels) do table.insert(TextFitValues, level.country .. '|' .. level.city) end")) {
    const size_t bar = row.find('|');
    levelTitles.push_back(Narrow(JoinLocalizedStrings(row.substr(0, bar), "CITY_" + row.substr(bar + 1), true)));
  }
  const std::vector<std::string> chapterTitles =
      ConsoleStrings("for _, c in ipairs(StoryChapters) do table.insert(TextFitValues, c.Title) end");
  const std::vector<std::string> chapterTexts =
      ConsoleStrings("for _, c in ipairs(StoryChapters) do table.insert(TextFitValues, c.Text) end");
  std::vector<std::string> prompts =
      ConsoleStrings("for key, text in pairs(PromptTexts) do table.insert(TextFitValues, text) end");
  for (const char* key : {"CONNECTION_FAIL", "NO_MOVES_LEFT"}) prompts.push_back(key);
  const std::vector<std::string> trophyNames = RowFields("scripts/trophies.lua", "KIV_TROPHIES", "Name");
  std::vector<std::string> trophyTexts = RowFields("scripts/trophies.lua", "KIV_TROPHIES", "Description_Text");
  std::vector<std::string> itemNames = RowFields("scripts/items.lua", "Clothes", "Name");
  std::vector<std::string> itemTexts = RowFields("scripts/items.lua", "Clothes", "Description");
  itemNames.push_back("");
  std::vector<std::string> studioTexts = itemTexts;
  studioTexts.push_back("NOT_AVAILABLE");
  itemTexts.push_back("SELECT_FASHION");
  std::vector<std::string> roomNames = trophyNames;
  roomNames.push_back("TROPHY_ROOM");
  // A trophy not won yet says so before what it takes.
  std::vector<std::string> roomTexts = trophyTexts;
  for (const std::string& text : trophyTexts) roomTexts.push_back(Translated("TROPHY_LOCKED") + " " + Translated(text));
  const std::vector<std::string> languages =
      ConsoleStrings("for _, l in ipairs(Languages) do table.insert(TextFitValues, l.Key) end");
  ASSERT_FALSE(names.empty());
  ASSERT_GE(levelTitles.size(), 15u);
  ASSERT_EQ(chapterTexts.size(), 4u);
  ASSERT_EQ(trophyNames.size(), 24u);
  ASSERT_GE(itemNames.size(), 18u);
  ASSERT_EQ(languages.size(), 5u);

  // The price of a piece, as the game's constants set it.
  const std::vector<std::string> costs = ConsoleStrings(
      "dofile('scripts/constants.lua')\n"
      "for _, c in ipairs(KIV_CONSTANTS) do\n"
      "  if c.Name == 'fashion_cost' then table.insert(TextFitValues, tostring(c.Value)) end\n"
      "end");
  ASSERT_EQ(costs.size(), 1u);
  const std::string price = costs[0];
  // Scores: a level's score stays below a million (10 to 100 a block and a time bonus of
  // at most 5,000), the total of the levels below ten million; a player holds fewer than
  // 100,000 coins.
  const std::string levelScore = "999,999";
  const std::string totalScore = "9,999,999";
  std::vector<Shown> shown = {
      {"highscore", "highscore_title", {"HIGHSCORE_LOCAL", "HIGHSCORE_GLOBAL"}},
      {"story", "StoryTitle", chapterTitles},
      {"story", "StoryText", chapterTexts},
      {"prompt_dlg", "prompt_txt", prompts},
      {"summary", "summary_txt", levelTitles},
      {"summary", "summary_player", names},
      {"summary", "tokens_collected_val", {"9,999"}},
      {"summary", "coins_collected_val", {"9,999"}},
      {"summary", "raw_score_val", {levelScore}},
      {"summary", "time_left", {"100%"}},
      {"summary", "time_bonus_val", {"5,000"}},
      {"summary", "final_score_val", {levelScore}},
      {"summary", "best_score_val", {levelScore}},
      {"trophy_screen", "tooltip_name", roomNames},
      {"trophy_screen", "tooltip_desc", roomTexts},
      {"trophy_popup", "trophy_title", trophyNames},
      {"trophy_popup", "trophy_desc", trophyTexts},
      {"buy_popup", "item_name", itemNames},
      {"buy_popup", "item_desc", itemTexts},
      {"fashion_studio", "coins_box", {"99999"}},
      {"buy_popup", "buy_price", {Translated("FASHION_PRICE") + " " + price}},
      {"buy_popup", "buy_coins", {Translated("FASHION_COINS") + " 99999"}},
      {"summary", "summary_online", {"SUMMARY_OFFLINE"}},
      {"settings", "ProfileValue", profileValues},
      {"settings", "ProfileName", names},
      {"settings", "ProfileTown", towns},
      {"settings", "MusicValue", {"100"}},
      {"settings", "SoundValue", {"100"}},
      {"in_game", "score_box", {levelScore}},
      {"in_game", "coins_box", {"9,999"}},
      {"settings", "LanguageList", languages},
  };
  for (int n = 1; n <= 10; ++n) {
    std::vector<std::string> rowNames = names;
    rowNames.push_back("EMPTY_HS_NAME_SLOT");
    shown.push_back({"highscore", "position_" + std::to_string(n), {std::to_string(n) + "."}});
    shown.push_back({"highscore", "name_" + std::to_string(n), rowNames});
    shown.push_back({"highscore", "hometown_" + std::to_string(n), towns});
    shown.push_back({"highscore", "score_" + std::to_string(n), {totalScore}});
  }
  for (int n = 1; n <= 5; ++n) {
    shown.push_back({"summary", "highscore_" + std::to_string(n), names});
    shown.push_back({"summary", "hometown_" + std::to_string(n), towns});
    shown.push_back({"summary", "highscore_val_" + std::to_string(n), {levelScore}});
  }
  for (const char* slot : {"head", "upper", "lower"}) {
    shown.push_back({"fashion_studio", std::string(slot) + "_name", itemNames});
    shown.push_back({"fashion_studio", std::string(slot) + "_desc", studioTexts});
  }
  const std::vector<std::string> powerBonus = PowerBonuses();
  ASSERT_EQ(powerBonus.size(), 6u);
  for (int n = 1; n <= 6; ++n) shown.push_back({"fashion_studio", "studio_power" + std::to_string(n), powerBonus});
  // The credits' lines, each in the font of its style.
  for (const std::string& line : ConsoleStrings("dofile('scripts/credits.lua') for _, l in ipairs(CREDITS) do "
                                                "table.insert(TextFitValues, l) end")) {
    const char mark = line.empty() ? ' ' : line[0];
    const std::string font = mark == '#' ? "BigFont" : mark == '*' ? "MediumFont" : "SmallFont";
    const std::string text = mark == '#' || mark == '*' ? line.substr(1) : line;
    for (int n = 0; n <= 16; ++n) shown.push_back({"credits", "Credits" + std::to_string(n), {text}, font});
  }

  // The widgets that no value reaches show nothing the game writes: the chain's value is
  // drawn in digits, the calendar draws its own day numbers, and no script opens the
  // level's introduction card.
  const std::set<std::string> silent = {"in_game/set_box", "highscore/highscore_calendar", "intro_dlg/intro_txt"};
  std::set<std::string> covered;
  for (const Shown& s : shown) covered.insert(s.panel + "/" + s.widget);
  for (const auto& [panel, widgets] : filled) {
    for (const std::string& widget : widgets) {
      const std::string key = panel + "/" + widget;
      EXPECT_TRUE(covered.count(key) || silent.count(key)) << key << " gets its text from the game: say what";
    }
  }

  for (const Shown& s : shown) {
    ui::UIWidget* widget = Widget(s.panel, s.widget);
    ASSERT_NE(widget, nullptr) << s.panel << " " << s.widget;
    const std::string font = widget->text.fontName;
    if (!s.font.empty()) widget->SetFont(s.font);
    for (const std::string& value : s.values) {
      widget->SetText(value);
      check(s.panel + " " + s.widget, *widget, value);
    }
    widget->SetFont(font);
    widget->SetText("");
  }
  EXPECT_GT(checked, 500);
  std::string report;
  for (const std::string& misfit : misfits) report += "\n  " + misfit;
  EXPECT_TRUE(misfits.empty()) << misfits.size() << " texts do not fit:" << report;
}

// The tips and the tooltips are laid out in their framed box, which is made to their
// size; the text keeps clear of the frame's rim (a third of a frame cell on every side).
TEST_F(TextFitTest, TipsAndTooltipsKeepInsideTheirFrames) {
  // The frame's picture at its own size: the box is made of thirds of it.
  vfs::File bytes;
  ASSERT_TRUE(vfs::VFS::Instance().LoadFile("ui_img/help_bg.png", bytes));
  d3d8::DecodedImage picture;
  ASSERT_EQ(d3d8::DecodeImage(bytes.Chars(), bytes.size, &picture), D3D_OK);
  auto& surface = renderer_.surfaces["ui_img/help_bg.png"];
  surface = std::make_unique<spritetest::FakeSurface>();
  surface->width = picture.width;
  surface->height = picture.height;

  std::vector<std::string> texts;
  for (int32_t id = 0; id < KivHelp::kTipCount; ++id) texts.push_back(KivHelp::TipName(id));
  // The level's tooltips, as its script sets them.
  Run("TextFitTips = {}\n"
      "local game = { SetTooltip = function(self, widget, text) table.insert(TextFitTips, text) end }\n"
      "local real = GetGame\n"
      "GetGame = function() return game end\n"
      "SetupTooltips()\n"
      "GetGame = real");
  const LuaObject tooltips = script::GetGlobal(console::GetConsole().GetState(), "TextFitTips");
  for (int i = 1; tooltips.IsTable() && i <= tooltips.GetTableCount(); ++i) texts.push_back(tooltips[i].ToStdString());
  ASSERT_GE(texts.size(), 28u);

  // The tip popup as the game's help makes it, and the tooltip box.
  KivHintPopup tip(math::Vec2(0.99f, 0.99f), 0.01f, 0.05f);
  tip.UseGameFrame();
  KivHelpBox tooltip;
  std::vector<std::string> misfits;
  for (well::WellDynamicHelp* popup : {static_cast<well::WellDynamicHelp*>(&tip), static_cast<well::WellDynamicHelp*>(&tooltip)}) {
    const math::Vec2 cell = popup->FrameCell();
    ASSERT_NEAR(cell.x * 800.0f, float(picture.width) / 3.0f, 0.01f);
    for (const std::string& text : texts) {
      ASSERT_FALSE(Translated(text).empty()) << text << " has an English text";
      popup->Open(math::Vec2(0.45f, 0.45f), math::Vec2(0.5f, 0.5f), text);
      const ui::UIText& block = popup->textBlock;
      ASSERT_NE(block.font, nullptr);
      const math::Vec2 clear = cell / 3.0f;
      const Layout layout =
          LayOut(*block.font, block.displayText, block.rectPosition + block.border, block.rectSize, block.DrawFlags());
      const std::string why = Misfit(*block.font, block.displayText, layout, Pixels(popup->boxPosition + clear),
                                     Pixels(popup->boxPosition + popup->BoxSize() - clear));
      if (!why.empty()) misfits.push_back(text + ": " + why);
    }
  }
  std::string report;
  for (const std::string& misfit : misfits) report += "\n  " + misfit;
  EXPECT_TRUE(misfits.empty()) << misfits.size() << " tips do not fit:" << report;
}

// The highscore rows: the position, the name and the score of a row stand on one line,
// whatever the name ("- empty -" too), so their letters share one baseline.
TEST_F(TextFitTest, TheHighscoreRowsPositionNameAndScoreShareOneBaseline) {
  ui::UIWidget* panel = Panel("ui/highscore.ui");
  ASSERT_NE(panel, nullptr);
  for (int n = 1; n <= 10; ++n) {
    SCOPED_TRACE("row " + std::to_string(n));
    const std::string row = std::to_string(n);
    ui::UIWidget* position = panel->GetWidgetByName("position_" + row);
    ui::UIWidget* name = panel->GetWidgetByName("name_" + row);
    ui::UIWidget* score = panel->GetWidgetByName("score_" + row);
    ASSERT_TRUE(position && name && score);
    // One font, so lines that start at one height share their baseline.
    EXPECT_EQ(name->text.fontName, position->text.fontName);
    EXPECT_EQ(score->text.fontName, position->text.fontName);
    position->SetText(row + ".");
    score->SetText("1,234,567");
    const Layout rank = WidgetLayout(*position);
    const Layout points = WidgetLayout(*score);
    ASSERT_EQ(rank.lineCount, 1);
    ASSERT_EQ(points.lineCount, 1);
    EXPECT_EQ(points.lines[0].y, rank.lines[0].y);
    for (const std::string& shown : {std::string("EMPTY_HS_NAME_SLOT"), std::string("Annabella Rosalind Smith")}) {
      name->SetText(shown);
      const Layout line = WidgetLayout(*name);
      ASSERT_EQ(line.lineCount, 1) << shown;
      EXPECT_EQ(line.lines[0].y, rank.lines[0].y) << Narrow(name->text.displayText) << " beside " << row << ".";
    }
  }
}

// Labels keep clear of the pictures drawn with them: the gloss of a chosen highscore tab
// runs outside its label's letters, and the studio's bonus of a zen power stands apart
// from the power's icon.
TEST_F(TextFitTest, LabelsKeepClearOfTheTabsGlossAndOfThePowersIcons) {
  ui::UIWidget* highscore = Panel("ui/highscore.ui");
  ASSERT_NE(highscore, nullptr);
  const struct {
    const char* tab;
    const char* picture;
  } tabs[] = {{"tab_today", "ui_img/top_tag_highlight.png"},  {"tab_week", "ui_img/top_tag_highlight.png"},
              {"tab_forever", "ui_img/top_tag_highlight.png"}, {"tab_local", "ui_img/bottom_tag_highlight.png"},
              {"tab_global", "ui_img/bottom_tag_highlight.png"}};
  for (const auto& t : tabs) {
    SCOPED_TRACE(t.tab);
    ui::UIWidget* tab = highscore->GetWidgetByName(t.tab);
    ASSERT_NE(tab, nullptr);
    const Picture picture = LoadPicture(t.picture);
    ASSERT_GT(picture.width, 0u);
    const Layout label = WidgetLayout(*tab);
    ASSERT_EQ(label.lineCount, 1);
    // The letters' rectangle in the picture, which is stretched over the tab.
    const math::Vec2 low = Pixels(tab->GetPosition());
    const math::Vec2 size = Pixels(tab->GetSize());
    const auto column = [&](float x) { return uint32_t(std::clamp((x - low.x) / size.x, 0.0f, 0.999f) * picture.width); };
    const auto row = [&](float y) { return uint32_t(std::clamp((y - low.y) / size.y, 0.0f, 0.999f) * picture.height); };
    // The tab's face is a vertical gradient: on each row it has one colour, which shows
    // near its left side where no gloss is drawn. The gloss is what is lighter than that.
    const uint32_t reference = picture.width / 20;
    int glossy = 0;
    for (uint32_t y = row(label.minY); y <= row(label.maxY); ++y) {
      ASSERT_EQ(picture.Alpha(reference, y), 255) << "row " << y << " of the face";
      for (uint32_t x = column(label.minX); x <= column(label.maxX); ++x) {
        glossy += picture.Sum(x, y) > picture.Sum(reference, y) + 24;
      }
    }
    EXPECT_EQ(glossy, 0) << "gloss pixels under the letters of \"" << Narrow(tab->text.displayText) << "\" (rows " << row(label.minY) << ".." << row(label.maxY) << " of the picture)";
  }

  ui::UIWidget* studio = Panel("ui/fashion_studio.ui");
  ASSERT_NE(studio, nullptr);
  for (int n = 1; n <= 6; ++n) {
    const std::string power = "studio_power" + std::to_string(n);
    SCOPED_TRACE(power);
    ui::UIWidget* label = studio->GetWidgetByName(power);
    ui::UIWidget* icon = studio->GetWidgetByName(power + "_icon");
    ASSERT_TRUE(label && icon);
    const math::Vec2 iconLow = Pixels(icon->GetPosition());
    const math::Vec2 iconHigh = Pixels(icon->GetPosition() + icon->GetSize());
    for (const std::string& bonus : PowerBonuses()) {
      label->SetText(bonus);
      const Layout text = WidgetLayout(*label);
      ASSERT_EQ(text.lineCount, 1) << bonus;
      const bool apart = text.minY >= iconHigh.y || text.maxY <= iconLow.y || text.minX >= iconHigh.x ||
                         text.maxX <= iconLow.x;
      EXPECT_TRUE(apart) << bonus << " at " << text.minX << ".." << text.maxX << " x " << text.minY << ".."
                         << text.maxY << ", the icon at " << iconLow.x << ".." << iconHigh.x << " x " << iconLow.y
                         << ".." << iconHigh.y;
    }
    label->SetText("");
  }
}

}  // namespace
