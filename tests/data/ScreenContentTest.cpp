// The settings, story, highscore and help screens as the packed content makes them: each
// widget kind stands where it serves in its panel, the language list stores the choice and
// falls back to English without a language file, the check boxes follow and switch the
// profile's settings, the score graph plots the profile's cleared levels, the help popup
// starts its movies only with movie help on and shows its note when a movie does not load,
// "OnInitUI()" loads the panels the shell looks up, and the story movie beside the program
// decodes.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/app/GameApp.h"
#include "engine/app/GameRMS.h"
#include "engine/app/Script.h"
#include "engine/core/Console.h"
#include "engine/core/Script.h"
#include "engine/core/VFS.h"
#include "engine/graphics/VfwMovieDecoder.h"
#include "engine/part2d/Part2D.h"
#include "engine/swf/FlashMovie.h"
#include "engine/swf/movie/movie_def_impl.h"
#include "engine/ui/UICalendar.h"
#include "engine/ui/UICheckBox.h"
#include "engine/ui/UIDropDown.h"
#include "engine/ui/UIFlashWidget.h"
#include "engine/ui/UIGraph.h"
#include "engine/ui/UIMovieWidget.h"
#include "engine/ui/UIMultiLine.h"
#include "engine/ui/UIPart2DWidget.h"
#include "game/shell/KivVars.h"
#include "game/shell/Shell.h"
#include "tests/app/AppTestSupport.h"
#include "tests/core/LogCapture.h"
#include "tests/data/ContentScreenTest.h"
#include "tests/support/TestEnv.h"

namespace {

namespace fs = std::filesystem;

using contenttest::Centre;
using contenttest::kBin;

using ScreenContentTest = contenttest::ContentScreenTest;

TEST_F(ScreenContentTest, EachWidgetKindStandsWhereItServes) {
  const struct {
    const char* file;
    const char* widget;
    bool (*isKind)(const ui::UIWidget*);
  } cases[] = {
      {"ui/settings.ui", "LanguageList", [](const ui::UIWidget* w) { return !!dynamic_cast<const ui::UIDropDown*>(w); }},
      {"ui/settings.ui", "FullscreenCheck", [](const ui::UIWidget* w) { return !!dynamic_cast<const ui::UICheckBox*>(w); }},
      {"ui/settings.ui", "HintsCheck", [](const ui::UIWidget* w) { return !!dynamic_cast<const ui::UICheckBox*>(w); }},
      {"ui/settings.ui", "MovieHelpCheck", [](const ui::UIWidget* w) { return !!dynamic_cast<const ui::UICheckBox*>(w); }},
      {"ui/settings.ui", "ScoreGraph", [](const ui::UIWidget* w) { return !!dynamic_cast<const ui::UIGraph*>(w); }},
      {"ui/story.ui", "StoryText", [](const ui::UIWidget* w) { return !!dynamic_cast<const ui::UIMultiLine*>(w); }},
      {"ui/story.ui", "StoryTitle", [](const ui::UIWidget* w) { return w != nullptr; }},
      {"ui/story.ui", "StoryMovie", [](const ui::UIWidget* w) { return !!dynamic_cast<const ui::UIMovieWidget*>(w); }},
      {"ui/highscore.ui", "highscore_calendar", [](const ui::UIWidget* w) { return !!dynamic_cast<const ui::UICalendar*>(w); }},
      {"ui/help_flash.ui", "help_note", [](const ui::UIWidget* w) { return !!dynamic_cast<const ui::UIMultiLine*>(w); }},
      {"ui/menu.ui", "MenuSparkles", [](const ui::UIWidget* w) { return !!dynamic_cast<const ui::UIPart2DWidget*>(w); }},
      {"ui/trophy_popup.ui", "trophy_sparkles", [](const ui::UIWidget* w) { return !!dynamic_cast<const ui::UIPart2DWidget*>(w); }},
      {"ui/kiv_victory.ui", "kiv_victory_sparkles", [](const ui::UIWidget* w) { return !!dynamic_cast<const ui::UIPart2DWidget*>(w); }},
  };
  for (const auto& c : cases) {
    ui::UIWidget* panel = Panel(c.file);
    ui::UIWidget* widget = panel ? panel->GetWidgetByName(c.widget) : nullptr;
    EXPECT_TRUE(widget && c.isKind(widget)) << c.file << ": " << c.widget;
    // A particle widget without a system that has groups would show nothing.
    if (auto* particles = dynamic_cast<ui::UIPart2DWidget*>(widget)) {
      ASSERT_NE(particles->system, nullptr) << c.widget;
      EXPECT_GT(particles->system->GroupC(), 0) << c.widget;
    }
  }
  // Every picture that the kinds' own keys name is in the archive.
  for (const char* file : {"ui/settings.ui", "ui/highscore.ui"}) {
    LuaState* state = script::CreateLuaState();
    ASSERT_TRUE(script::LoadScript(state, file));
    std::vector<LuaObject> widgets{script::GetGlobal(state, "Panel")};
    size_t pictures = 0;
    while (!widgets.empty()) {
      const LuaObject widget = widgets.back();
      widgets.pop_back();
      for (const char* key : {"CheckedImg", "UncheckedImg", "DropButton", "DropBG", "GraphFillImage",
                              "GraphPointImage", "GraphColumnImage", "WeekDayCellImage", "EvenMonthCellImage",
                              "OddMonthCellImage", "CurDayHightlightImage"}) {
        const std::string image = script::GetString(widget, key, "");
        if (image.empty()) continue;
        ++pictures;
        vfs::File bytes;
        EXPECT_TRUE(vfs::VFS::Instance().LoadFile(image, bytes)) << file << ": " << image;
      }
      const LuaObject children = script::GetField(widget, "Children");
      for (int i = 1; children.IsTable() && i <= children.GetTableCount(); ++i) widgets.push_back(children[i]);
    }
    EXPECT_GT(pictures, 0u) << file;
    LuaState::Destroy(state);
  }

  // The story movie loops, as the screen shows it for as long as the player reads.
  LuaState* state = script::CreateLuaState();
  ASSERT_TRUE(script::LoadScript(state, "ui/story.ui"));
  LuaObject children = script::GetField(script::GetGlobal(state, "Panel"), "Children");
  bool found = false;
  for (int i = 1; i <= children.GetTableCount(); ++i) {
    LuaObject child = children.GetByIndex(i);
    if (script::GetString(child, "Name", "") != "StoryMovie") continue;
    found = true;
    EXPECT_TRUE(script::GetBool(child, "Looping", false));
    EXPECT_TRUE(testenv::FileExists(kBin + "/" + script::GetString(child, "Clip", ""))) << "the movie beside the program";
  }
  EXPECT_TRUE(found);
  children.Reset();
  LuaState::Destroy(state);
}

TEST_F(ScreenContentTest, TheLanguageListStoresTheChoiceAndFallsBackToEnglishWithoutAFile) {
  PlaceLanguageFile("english");
  PlaceLanguageFile("suomi");
  Profiles().SetLanguage("Deutsch");
  Run("SetupLanguage('english')");
  ui::UIWidget* panel = Panel("ui/settings.ui");
  panel->SetIsVisible(true);
  Run("OnEnterSettings()");
  auto* list = Find<ui::UIDropDown>(panel, "LanguageList");
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->OptionCount(), 5u);
  EXPECT_EQ(list->GetSelected(), 1) << "the profile's language, whatever its case";
  EXPECT_EQ(list->GetSelectedText(), "Deutsch") << "options show their translated names";
  // Entering again does not add the options twice.
  Run("OnEnterSettings()");
  EXPECT_EQ(list->OptionCount(), 5u);

  const math::Vec2 at = list->GetPosition();
  const math::Vec2 size = list->GetSize();
  const auto choose = [&](int row) {
    Click(math::Vec2(at.x + size.x - size.y * 0.5f, at.y + size.y * 0.5f));  // the drop button
    ASSERT_TRUE(list->IsOpen());
    Click(math::Vec2(at.x + size.x * 0.5f, at.y + size.y * (float(row) + 1.5f)));
    EXPECT_FALSE(list->IsOpen());
  };

  LogCapture log;
  choose(3);  // Svenska: no file
  EXPECT_EQ(Profiles().GetLanguage(), "svenska");
  EXPECT_EQ(Global("Language"), "english");
  EXPECT_TRUE(log.Contains("No language file for svenska"));
  EXPECT_FALSE(log.Contains("Unable to load")) << log.All();
  EXPECT_EQ(list->GetSelectedText(), "Svenska") << "the English texts are still there";

  choose(2);  // Suomi: its file exists
  EXPECT_EQ(Profiles().GetLanguage(), "suomi");
  EXPECT_EQ(Global("Language"), "suomi");
  EXPECT_EQ(list->GetSelectedText(), "Suomi");
}

TEST_F(ScreenContentTest, TheCheckBoxesShowAndSwitchTheProfilesHelpSettings) {
  ASSERT_TRUE(Profiles().AddProfile("Anna", "", "oslo"));
  KivVars& vars = KivVars::Instance();
  vars.SetHintEnabled(true);
  vars.SetFlashHelp(false);
  ui::UIWidget* panel = Panel("ui/settings.ui");
  panel->SetIsVisible(true);
  Run("OnEnterSettings()");

  const struct {
    const char* box;
    int variable;  // 0 on, 1 off
  } cases[] = {{"HintsCheck", 13}, {"MovieHelpCheck", 11}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.box);
    auto* box = Find<ui::UICheckBox>(panel, c.box);
    ASSERT_NE(box, nullptr);
    const bool before = vars.GetValue(c.variable) == 0;
    EXPECT_EQ(box->IsChecked(), before);
    Click(Centre(box));
    EXPECT_EQ(vars.GetValue(c.variable), before ? 1 : 0);
    EXPECT_EQ(box->IsChecked(), !before);
    Click(Centre(box));
    EXPECT_EQ(vars.GetValue(c.variable), before ? 0 : 1);
    EXPECT_EQ(box->IsChecked(), before);
  }
}

TEST_F(ScreenContentTest, TheScoreGraphPlotsTheBestScoresOfTheClearedLevels) {
  ui::UIWidget* panel = Panel("ui/settings.ui");
  auto* graph = Find<ui::UIGraph>(panel, "ScoreGraph");
  ASSERT_NE(graph, nullptr);
  Run("OnEnterSettings()");
  EXPECT_EQ(graph->nodes, (std::vector<float>{0.0f, 0.0f})) << "no profile: the zero line";

  ASSERT_TRUE(Profiles().AddProfile("Anna", "", "oslo"));
  Profiles().SetOpen(3, 2);
  Profiles().SetScore(3, 1200);
  Profiles().SetOpen(7, 3);  // cleared in free play
  Profiles().SetScore(7, 3400);
  Profiles().SetOpen(9, 1);  // open, not cleared: its score is not plotted
  Profiles().SetScore(9, 999);
  Run("OnEnterSettings()");
  EXPECT_EQ(graph->nodes, (std::vector<float>{0.0f, 1200.0f, 3400.0f}));

  // It rises to show them: the best score reaches the top of the plot.
  for (int frame = 0; frame < 120; ++frame) graph->Tick(1.0f / 60.0f);
  ASSERT_EQ(graph->points.size(), 3u);
  EXPECT_LT(graph->points[2], graph->points[1]);
  EXPECT_LT(graph->points[1], graph->points[0]);

  // A script's list: fewer than two values keep the nodes; an entry that is no number is 0.
  Run("GetUIMan():GetWidget('ScoreGraph'):SetNodes({ 5 })");
  EXPECT_EQ(graph->nodes, (std::vector<float>{0.0f, 1200.0f, 3400.0f}));
  Run("GetUIMan():GetWidget('ScoreGraph'):SetNodes({ 5, 'x', 7 })");
  EXPECT_EQ(graph->nodes, (std::vector<float>{5.0f, 0.0f, 7.0f}));

  // Each profile shows its own scores: a new one (made current) none yet.
  ASSERT_TRUE(Profiles().AddProfile("Bo", "", "rome"));
  Run("ProfileChanged()");
  EXPECT_EQ(graph->nodes, (std::vector<float>{0.0f, 0.0f}));
  Run("NextProfile()");
  EXPECT_EQ(graph->nodes, (std::vector<float>{0.0f, 1200.0f, 3400.0f}));
}

TEST_F(ScreenContentTest, PlayWithoutAProfileMakesOneFirstWithTheNameAndHomeTownTyped) {
  Run("OnInitUI()");
  ui::UIWidget* panel = Panel("ui/settings.ui");
  ASSERT_NE(panel, nullptr);
  // The screens' changes are noted instead of made.
  Run("Went = {} function GoState(name) Went[#Went + 1] = name end");
  auto went = [this](int n) {
    Run("Result = Went[" + std::to_string(n) + "]");
    return Global("Result");
  };

  // Play finds no profile: the settings come first, their prompt says why and the name
  // box takes the typing.
  Run("PlayStory()");
  EXPECT_EQ(went(1), "settings");
  EXPECT_EQ(Global("PendingPlay"), "story");
  Run("OnEnterSettings()");
  ASSERT_NE(ui_.GetPanel("prompt_dlg"), nullptr);
  EXPECT_TRUE(ui_.GetPanel("prompt_dlg")->GetIsVisible());
  EXPECT_EQ(ui_.GetWidget("prompt_txt")->GetText(), "PROFILE_NEEDED");
  ASSERT_NE(ui_.GetEditText(), nullptr);
  EXPECT_EQ(ui_.GetEditText(), &Find<ui::UIWidget>(panel, "ProfileName")->text);

  // The profile takes the home town typed (not the language), and the play goes on.
  Find<ui::UIWidget>(panel, "ProfileName")->SetText("Mira");
  Find<ui::UIWidget>(panel, "ProfileTown")->SetText("Lumera");
  Run("CreateProfile()");
  ASSERT_EQ(Profiles().GetProfileC(), 1);
  EXPECT_EQ(Profiles().GetName(), "Mira");
  EXPECT_EQ(Profiles().GetLocation(), "Lumera");
  EXPECT_EQ(went(2), "map_asia");
  EXPECT_EQ(Global("PendingPlay"), "");
  EXPECT_EQ(Find<ui::UIWidget>(panel, "ProfileName")->GetText(), "");

  // With a profile Play goes straight on; a profile made without a play waiting stays.
  Run("PlayStory() CreateProfile()");
  EXPECT_EQ(went(3), "map_asia");
  EXPECT_EQ(went(4), "");
  EXPECT_EQ(Profiles().GetLocation(), "") << "no home town typed: none";
}

TEST_F(ScreenContentTest, TheMovieHelpSwitchDecidesWhetherTheHelpPopupStartsItsMovies) {
  ASSERT_TRUE(Profiles().AddProfile("Anna", "", "oslo"));
  // The help movies beside the program, as the game finds them.
  fs::copy(kBin + "/help", "help", fs::copy_options::overwrite_existing | fs::copy_options::recursive);
  ui::UIWidget* panel = Panel("ui/help_flash.ui");
  auto* note = Find<ui::UIMultiLine>(panel, "help_note");
  ASSERT_NE(note, nullptr);
  // The level state hides the movies when it is entered.
  for (const char* name : {"flash_1", "flash_2"}) panel->GetWidgetByName(name)->SetIsVisible(false);
  for (bool movies : {false, true, false}) {
    SCOPED_TRACE(movies ? "movie help on" : "movie help off");
    KivVars::Instance().SetFlashHelp(movies);
    Run("SetupFlashHelp()");
    EXPECT_EQ(note->GetIsVisible(), !movies);
    for (const char* name : {"flash_1", "flash_2"}) {
      auto* widget = Find<ui::UIFlashWidget>(panel, name);
      ASSERT_NE(widget, nullptr);
      if (movies) {
        EXPECT_TRUE(widget->GetIsVisible()) << name;
        ASSERT_NE(widget->player, nullptr) << name;
        EXPECT_EQ(widget->player->fileName, name == std::string("flash_1") ? "help/chain.swf" : "help/spells.swf");
      } else {
        // As the level state leaves them when the popup opens: hidden and without a movie.
        EXPECT_EQ(widget->player, nullptr) << name;
        EXPECT_FALSE(widget->GetIsVisible()) << name;
      }
    }
    Run("ShutdownFlashHelp()");
  }
}

// A help movie beside the program that is missing or damaged: the popup shows its note on
// how to play, as with movie help off, and keeps no movie.
TEST_F(ScreenContentTest, TheHelpPopupShowsItsNoteWhenAMovieDoesNotLoad) {
  ASSERT_TRUE(Profiles().AddProfile("Anna", "", "oslo"));
  KivVars::Instance().SetFlashHelp(true);
  ui::UIWidget* panel = Panel("ui/help_flash.ui");
  auto* note = Find<ui::UIMultiLine>(panel, "help_note");
  ASSERT_NE(note, nullptr);
  const auto write = [](const std::string& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
  };
  const struct {
    const char* name;
    std::function<void()> damage;
  } cases[] = {
      {"the chain movie missing", [] { fs::remove("help/chain.swf"); }},
      {"the spells movie not a movie", [&] { write("help/spells.swf", "-- not a movie\n"); }},
      {"the chain movie cut inside its first frame",
       [&] {
         std::ifstream in("help/chain.swf", std::ios::binary);
         const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
         in.close();
         write("help/chain.swf", bytes.substr(0, bytes.size() / 4));
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all("help");
    fs::copy(kBin + "/help", "help", fs::copy_options::recursive);
    c.damage();
    swf::clear_library();  // the player keeps the movies it read by name
    for (const char* name : {"flash_1", "flash_2"}) panel->GetWidgetByName(name)->SetIsVisible(false);
    Run("SetupFlashHelp()");
    EXPECT_TRUE(note->GetIsVisible());
    for (const char* name : {"flash_1", "flash_2"}) {
      auto* widget = Find<ui::UIFlashWidget>(panel, name);
      ASSERT_NE(widget, nullptr) << name;
      EXPECT_EQ(widget->player, nullptr) << name;
      EXPECT_FALSE(widget->GetIsVisible()) << name;
    }
    Run("ShutdownFlashHelp()");
  }
  swf::clear_library();
}

TEST_F(ScreenContentTest, InitUILoadsHiddenEveryPanelTheShellLooksUpOnce) {
  Run("OnInitUI()");
  for (const char* name : {"connecting", "trophy_screen", "trophy_popup", "buy_popup", "fashion_studio"}) {
    ui::UIWidget* panel = ui_.GetPanel(name);
    ASSERT_NE(panel, nullptr) << name;
    EXPECT_FALSE(panel->GetIsVisible()) << name;
  }
}

// The movie that the story screen plays, read by the engine's movie reader beside the
// program as the game reads it.
TEST(StoryMovieTest, TheMovieBesideTheProgramDecodesEveryFrameAtItsSize) {
  VfwMovieDecoder decoder;
  ASSERT_TRUE(decoder.OpenStream(kBin + "/movies/story.avi"));
  ASSERT_TRUE(decoder.OpenFrames());
  EXPECT_EQ(decoder.Width(), 256);
  EXPECT_EQ(decoder.Height(), 192);
  EXPECT_EQ(decoder.FrameCount(), 40);
  EXPECT_EQ(decoder.SampleToTime(10), 1000) << "ten frames a second";
  for (int32_t frame = 0; frame < decoder.FrameCount(); ++frame) {
    ASSERT_TRUE(decoder.DrawFrame(frame)) << frame;
    // Rows bottom-up, bytes B, G, R: the flower's yellow heart at the centre of every frame
    // (the petals drift behind it), and the dusk sky's violet at the top-left corner of the
    // first, where no petal is yet.
    const uint8_t* bits = decoder.FrameBits();
    const auto pixel = [&](int x, int y) { return bits + (size_t(191 - y) * 256 + size_t(x)) * 4; };
    const uint8_t* heart = pixel(128, 86);
    EXPECT_GT(heart[2], 200) << frame;
    EXPECT_GT(heart[1], 170) << frame;
    EXPECT_LT(heart[0], 120) << frame;
    if (frame == 0) {
      const uint8_t* sky = pixel(2, 2);
      EXPECT_LT(sky[1], 80);
      EXPECT_GT(sky[0], sky[1]);
    }
  }
  decoder.Close();
}

}  // namespace
