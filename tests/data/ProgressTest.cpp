// The way through the shipped game, as scripts/console.lua and scripts/progress.lua lead
// it over stand-ins for the engine's objects: the story's map opens its levels one after
// the other and keeps them in the profile, the end of each region tells a chapter, the last
// chapter ends the story, free play opens after it, and each level's scene is there.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/Script.h"
#include "engine/core/VFS.h"
#include "tests/support/TestEnv.h"

namespace {

const std::string kBin = std::string(PELLAVO_BINARY_DIR) + "/bin";

// The profile's level slots, the game variables and the screens, as the scripts see them.
const char* const kStandIns = R"(
  Calls = {}
  function Note(...)
    local parts = {}
    for i = 1, select("#", ...) do parts[#parts + 1] = tostring(select(i, ...)) end
    Calls[#Calls + 1] = table.concat(parts, " ")
  end
  function CallList() local text = table.concat(Calls, "\n") Calls = {} return text end
  function LOG(text) end
  function GoState(name) Note("GoState", name) end

  Slots = {} Saves = 0
  local rms = {
    ProfileValid = function() return true end,
    IsOpen = function(self, slot) return Slots[slot] or 0 end,
    SetOpen = function(self, slot, state) Slots[slot] = state end,
    Save = function() Saves = Saves + 1 end,
  }
  function GetRMS() return rms end

  Story = 0 Free = false
  local vars = {
    GetCurrentStory = function() return Story end,
    SetCurrentStory = function(self, n) Story = n end,
    GetFreeplay = function() return Free end,
    SetFreeplay = function(self, on) Free = on end,
  }
  function GetVars() return vars end

  local game = {
    LoadLevel = function(self, name) Note("LoadLevel", name) end,
    SetSpellCost = function() end, StartLevelOpening = function() end,
    FinishLevelOpening = function() end, SetTooltip = function() end,
  }
  function GetGame() return game end
  local scene = { Load = function(self, file) Note("LoadScene", file) end }
  function GetBG() return scene end
  function GetStoryState() return { WinGame = function() Note("WinGame") end } end

  -- Widgets by "panel/name": whether each is active, its alpha, text and visibility.
  Widgets = {}
  local function Widget(key)
    Widgets[key] = Widgets[key] or {}
    local w = Widgets[key]
    return {
      SetIsActive = function(self, on) w.active = on end,
      SetColor = function(self, r, g, b, a) w.alpha = a end,
      SetText = function(self, text) w.text = text end,
      SetIsVisible = function(self, on) w.visible = on end,
      SetOffImage = function(self, image) w.image = image end,
    }
  end
  function GetUIMan()
    return { GetPanel = function(self, panel)
      return { SetIsVisible = function() end, GetProgressByName = function() return nil end,
               GetWidgetByName = function(self, name) return Widget(panel .. "/" .. name) end }
    end }
  end
)";

class ProgressTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string archive = kBin + "/kx.arc";
    ASSERT_TRUE(testenv::FileExists(archive));
    vfs::VFS::Instance().AddArchive(archive);
    state_ = script::CreateLuaState();
    ASSERT_TRUE(script::LoadScript(state_, "scripts/console.lua"));
    ASSERT_EQ(state_->DoString(kStandIns), 0);
  }
  void TearDown() override {
    if (state_) LuaState::Destroy(state_);
    vfs::VFS::Instance().RemoveArchives();
  }

  void Do(const std::string& chunk) { ASSERT_EQ(state_->DoString(chunk.c_str()), 0) << chunk; }
  std::string Value(const std::string& expression) {
    EXPECT_EQ(state_->DoString(("Result = tostring(" + expression + ")").c_str()), 0) << expression;
    return script::ToString(script::GetGlobal(state_, "Result"), "?");
  }
  std::string Calls() { return Value("CallList()"); }
  std::vector<std::string> List(const std::string& name) {
    std::vector<std::string> names;
    const LuaObject list = script::GetGlobal(state_, name);
    for (int i = 1; list.IsTable() && i <= list.GetTableCount(); ++i) names.push_back(script::ToString(list[i], ""));
    return names;
  }

  LuaState* state_ = nullptr;
};

TEST_F(ProgressTest, TheStoryOpensItsLevelsInOrderAndTellsAChapterAtEachRegionsEnd) {
  const std::vector<std::string> story = List("LevelOrder");
  ASSERT_EQ(story.size(), 15u);
  EXPECT_EQ(story[0], "garden");

  // A new profile finds the first level open, the rest closed, and the opening saved.
  Do("OnEnterMapAsia()");
  EXPECT_EQ(Value("Slots[0]"), "1");
  EXPECT_EQ(Value("Slots[1]"), "nil");
  EXPECT_EQ(Value("Saves"), "1");
  EXPECT_EQ(Value("Widgets['map_asia/Level_garden'].active"), "true");
  EXPECT_EQ(Value("Widgets['map_asia/Level_puzzle'].active"), "false");
  EXPECT_EQ(Value("Free"), "false");
  Calls();

  // Each win (the summary marks the slot cleared) opens the next level and saves it; the
  // last level of a region moves the story on a chapter and shows it instead.
  for (size_t i = 0; i < story.size(); ++i) {
    SCOPED_TRACE(story[i]);
    Do("PlayLevel('" + story[i] + "')");
    EXPECT_EQ(Calls(), "LoadLevel " + story[i] + "\nGoState game");
    Do("OnEnterGame() OnEnterGame()");
    EXPECT_EQ(Calls(), "LoadScene " + Value("LevelByName['" + story[i] + "'].Scene"));
    Do("Slots[LevelByName['" + story[i] + "'].Index - 1] = 2 SavesBefore = Saves NextLevel()");
    EXPECT_EQ(Value("Saves - SavesBefore"), "1");
    const bool regionEnd = i % 5 == 4;
    if (regionEnd) {
      EXPECT_EQ(Calls(), "GoState story");
      EXPECT_EQ(Value("Story"), std::to_string(i / 5 + 1));
      Do("OnEnterStory()");
      EXPECT_EQ(Value("Widgets['story/StoryText'].text"), "STORY_TEXT_" + std::to_string(i / 5 + 2));
      Do("StoryContinue()");
      EXPECT_EQ(Calls(), i + 1 == story.size() ? "WinGame" : "GoState map_asia");
    } else {
      EXPECT_EQ(Calls(), "LoadLevel " + story[i + 1] + "\nGoState game");
      EXPECT_EQ(Value("Slots[" + std::to_string(i + 1) + "]"), "1");
    }
  }
  // Replaying an early level after the story leaves the chapter where it is.
  Do("PlayLevel('teahouse') NextLevel()");
  EXPECT_EQ(Value("Story"), "3");
  EXPECT_EQ(Calls(), "LoadLevel teahouse\nGoState game\nLoadLevel blossom\nGoState game");
  // The free-play levels stay closed until their map is entered.
  EXPECT_EQ(Value("Slots[15]"), "nil");
}

TEST_F(ProgressTest, TheMapsMarkTheLevelsWonBesideTheOpenAndClosedOnes) {
  // garden won in the story, puzzle open, bigset closed.
  Do("Slots[0] = 2 Slots[1] = 1 OnEnterMapAsia()");
  EXPECT_EQ(Value("Widgets['map_asia/Level_garden'].image"), "ui_img/button_won.png");
  EXPECT_EQ(Value("Widgets['map_asia/Level_garden'].active"), "true");
  EXPECT_EQ(Value("Widgets['map_asia/Level_puzzle'].image"), "ui_img/button.png");
  EXPECT_EQ(Value("Widgets['map_asia/Level_puzzle'].active"), "true");
  EXPECT_EQ(Value("Widgets['map_asia/Level_bigset'].image"), "ui_img/button.png");
  EXPECT_EQ(Value("Widgets['map_asia/Level_bigset'].alpha"), "0.35");
  // On the map of free play a level counts as won once it is won there.
  Do("Story = 3 Slots[2] = 3 OnEnterMapZen()");
  EXPECT_EQ(Value("Widgets['map_zen/Level_garden'].image"), "ui_img/button.png");
  EXPECT_EQ(Value("Widgets['map_zen/Level_bigset'].image"), "ui_img/button_won.png");
}

TEST_F(ProgressTest, FreePlayOpensAfterTheStoryAndEveryLevelCanBePlayedThere) {
  const std::vector<std::string> free = List("FreeLevels");
  ASSERT_EQ(free.size(), 5u);
  Do("Slots[0] = 2 PlayFree()");
  EXPECT_EQ(Calls(), "GoState map_zen");
  EXPECT_EQ(Value("Free"), "true");
  Do("OnEnterMapZen()");
  EXPECT_EQ(Value("Widgets['map_zen/Level_" + free[0] + "'].active"), "false");
  EXPECT_EQ(Value("Widgets['map_zen/Level_garden'].active"), "false");
  EXPECT_EQ(Value("Widgets['map_zen/ZenLockedNote'].visible"), "true");
  EXPECT_EQ(Value("Slots[15]"), "nil");

  Do("Story = 3 OnEnterMapZen()");
  for (int slot = 15; slot < 20; ++slot) EXPECT_EQ(Value("Slots[" + std::to_string(slot) + "]"), "1") << slot;
  EXPECT_EQ(Value("Saves"), "1");
  EXPECT_EQ(Value("Widgets['map_zen/Level_" + free[0] + "'].active"), "true");
  EXPECT_EQ(Value("Widgets['map_zen/Level_garden'].active"), "true");
  EXPECT_EQ(Value("Widgets['map_zen/Level_puzzle'].active"), "false");
  EXPECT_EQ(Value("Widgets['map_zen/ZenLockedNote'].visible"), "false");
  // A level won in free play goes back to its map; the story's chapter stays.
  Calls();
  Do("PlayLevel('" + free[2] + "') NextLevel()");
  EXPECT_EQ(Calls(), "LoadLevel " + free[2] + "\nGoState game\nGoState map_zen");
  EXPECT_EQ(Value("Story"), "3");
}

TEST_F(ProgressTest, EachLevelsSpellCostsAndSceneComeFromItsRow) {
  Do("CurrentLevel = 'lantern'");
  EXPECT_EQ(Value("SpellCost(3)"), "8");
  EXPECT_EQ(Value("SpellCost(4)"), "0");
  Do("CurrentLevel = 'no such level'");
  EXPECT_EQ(Value("SpellCost(6)"), "12");
  // Every scene a level names is there, with its picture, decals, particles and bipeds.
  const LuaObject levels = script::GetGlobal(state_, "Levels");
  ASSERT_TRUE(levels.IsTable());
  for (int i = 1; i <= levels.GetTableCount(); ++i) {
    const std::string file = script::GetString(levels[i], "Scene", "");
    SCOPED_TRACE(file);
    LuaState* scene = script::CreateLuaState();
    ASSERT_TRUE(script::LoadScript(scene, file));
    const LuaObject bg = script::GetGlobal(scene, "BGScene");
    vfs::File picture;
    const std::string image = script::GetString(script::GetField(bg, "Info"), "BackgroundImg", "");
    EXPECT_TRUE(vfs::VFS::Instance().LoadFile(image, picture)) << image;
    const LuaObject elements = script::GetField(bg, "Background");
    int bipeds = 0;
    for (int e = 1; elements.IsTable() && e <= elements.GetTableCount(); ++e) {
      const std::string type = script::GetString(elements[e], "Type", "");
      vfs::File part;
      if (type == "partsys") {
        EXPECT_TRUE(vfs::VFS::Instance().LoadFile(script::GetString(elements[e], "PartSys", ""), part));
      } else if (type == "biped") {
        ++bipeds;
        EXPECT_TRUE(testenv::FileExists(kBin + "/bganim/" + script::GetString(elements[e], "Biped", "") + ".sbp"));
      } else {
        EXPECT_TRUE(vfs::VFS::Instance().LoadFile(script::GetString(elements[e], "SpriteImg", ""), part));
      }
    }
    EXPECT_GT(bipeds, 0);
    LuaState::Destroy(scene);
  }
}

}  // namespace
