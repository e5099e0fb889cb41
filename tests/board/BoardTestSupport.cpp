#include "tests/board/BoardTestSupport.h"

#include <cstdio>
#include <sstream>

#include "engine/app/Audio.h"
#include "engine/app/Input.h"
#include "engine/app/Mouse.h"
#include "engine/core/Random.h"
#include "engine/ui/UINumber.h"
#include "game/board/KivScore.h"
#include "game/shell/KivTrophyData.h"
#include "game/shell/KivTrophyScreen.h"
#include "game/shell/KivDresses.h"
#include "game/shell/KivFashionPopup.h"
#include "game/shell/KivFashionStudio.h"
#include "game/shell/KivVars.h"
#include "platform/bass/Bass.h"
#include "platform/win32/SdlVideo.h"
#include "tests/support/TestEnv.h"

namespace boardtest {

namespace {

std::vector<std::string> BoardSounds() {
  std::vector<std::string> names;
  for (int i = 1; i <= 15; ++i) names.push_back("token_select_" + std::to_string(i));
  for (int i = 1; i <= 5; ++i) names.push_back("token_clear_" + std::to_string(i));
  for (const char* name :
       {"token_jingle", "token_lock_1", "token_lock_2", "token_zen", "token_slicer",
        "token_tileblast", "token_double", "token_triple", "token_timer", "token_unselect",
        "tile_turned", "zenpower_flowerblast", "zen_full", "well_enter", "well_leave",
        "time_warning", "zenpower_charge", "zenpower_match", "zenpower_fireball",
        "zenpower_tilegrab", "zenpower_lightning", "HINT_OPEN", "hint_up", "hint_close", "help_open",
        "help_close", "button_press", "score_countup"}) {
    names.push_back(name);
  }
  return names;
}

}  // namespace

std::string WellFile(int tileValue, const std::string& blocks) {
  std::ostringstream text;
  text << "GameMode = {}\nTiles = {\n";
  for (int y = 0; y < KivWell::kGridHeight; ++y) {
    for (int x = 0; x < KivWell::kGridWidth; ++x) text << (x < 14 ? tileValue : 0) << ", ";
    text << "\n";
  }
  text << "}\nBlocks = {\n" << blocks << "}\n";
  return text.str();
}

void BoardTest::SetUp() {
  uitest::UITest::SetUp();
  // The board's sounds join the stage's bank; each file holds its sound's name.
  std::string bank = "SoundBank = {\n";
  for (const std::string& name : BoardSounds()) {
    testenv::WriteFile("sounds/" + name + ".wav", name);
    bank += "  { Name = '" + name + "', Files = { 'sounds/" + name + ".wav' } },\n";
  }
  testenv::WriteFile("sounds/board_bank.lua", bank + "}\n");
  // A second start of the audio library would refuse the new bank. Freeing the library
  // drops every sample it loaded, so the manager forgets the entries that named them too:
  // a stale entry would hand the next test's plays a handle the library no longer knows.
  audio::GetAudio().Clear();
  BASS_Free();
  audio::GetAudio().Init("sounds/board_bank.lua");

  testenv::WriteFile("scripts/constants.lua",
                     "KIV_CONSTANTS = {\n"
                     "  { Name = 'max_zen', Value = 100 }, { Name = 'zen_per_token', Value = 2 },\n"
                     "  { Name = 'particles_per_zen', Value = 3 },\n"
                     "  { Name = 'tileblast_count', Value = 5 }, { Name = 'time_token', Value = 10 },\n"
                     "  { Name = 'hint_interval', Value = 15 },\n"
                     "}\n");
  KivVars& vars = KivVars::Instance();
  vars.LoadConstants();
  // A fresh store each time: tests that save the profile leave the file behind.
  std::remove("board_test.rms");
  rms_ = std::make_unique<GameRMS>("board_test.rms");
  rms_->Load();
  ASSERT_TRUE(rms_->AddProfile("Anna", "", "oslo"));
  vars.store = rms_.get();
  vars.SetCheatMode(false);
  vars.SetFreeplay(false);
  KivScore::Instance().SetValue(KivScore::kPointsPerBlock, 10);
  KivScore::Instance().SetValue(KivScore::kTimeBonusPerPercent, 50);
  KivScore::Instance().SetValue(KivScore::kTimeSpellPerLevel, 100);
  KivTrophyData::Instance().ProfileChanged();

  ASSERT_TRUE(plat::EnsureVideo());
  input::GetDevices().Shutdown();
  ASSERT_TRUE(input::GetDevices().Init(nullptr));
  num::Random::Instance().Seed(7);
  num::CSRand(7);
  timer_ = std::make_unique<FrameTimer>();
  ClearSounds();
}

void BoardTest::TearDown() {
  board_.reset();
  input::GetDevices().Shutdown();
  KivVars::Instance().store = nullptr;
  KivTrophyData::Instance().Shutdown();
  KivTrophyData::Instance().ProfileChanged();
  KivTrophyScreen::Instance().Shutdown();
  // A board's load makes the clothes catalogue from this test's files, and the level's
  // frames the fashion screens.
  KivFashionPopup::Destroy();
  KivFashionStudio::Destroy();
  KivDresses::Destroy();
  for (ui::UINumber*& style : ui::g_sharedNumbers) {
    delete style;
    style = nullptr;
  }
  timer_.reset();
  uitest::UITest::TearDown();
}

void BoardTest::LoadBoard(const std::string& wellText) {
  testenv::WriteFile("level.lua", wellText);
  board_ = std::make_unique<KivWell>(nullptr, *timer_);
  board_->Load("level.lua", nullptr);
}

KivBlock* BoardTest::Put(const std::string& type, int x, int y, int colour) {
  auto* block = static_cast<KivBlock*>(
      board_->CreateBlock(type, FlowerColorName(colour), x, y, 1, 1));
  if (block) board_->AddBlock(block, x, y, 0.0f);
  board_->RebuildCells();
  return block;
}

void BoardTest::Frame(float dt) {
  clock_.AdvanceSeconds(dt);
  timer_->Update();
  board_->Tick(dt);
}

void BoardTest::Frames(int count, float dt) {
  for (int i = 0; i < count; ++i) Frame(dt);
}

math::Vec2 BoardTest::Centre(int x, int y) const {
  return board_->CellToScreen(x, y) + board_->GetCellSize() * 0.5f;
}

void BoardTest::SetPointer(const math::Vec2& at, bool leftHeld) {
  input::Mouse* mouse = input::GetDevices().mouse;
  mouse->position = at;
  mouse->buttons[0].down = leftHeld;
}

void BoardTest::Hold(const std::vector<std::pair<int, int>>& cells) {
  const math::Vec2 first = Centre(cells.front().first, cells.front().second);
  SetPointer(first, true);
  board_->MouseButtonPressed(0, first);
  for (const auto& [x, y] : cells) {
    SetPointer(Centre(x, y), true);
    Frame();
  }
}

void BoardTest::Drag(const std::vector<std::pair<int, int>>& cells, uint32_t releaseButton) {
  Hold(cells);
  const math::Vec2 last = Centre(cells.back().first, cells.back().second);
  SetPointer(last, false);
  board_->MouseButtonReleased(releaseButton, last);
}

size_t BoardTest::Played(const std::string& name) const {
  return uitest::Sounds::Instance().Count(name);
}

void BoardTest::ClearSounds() { uitest::Sounds::Instance().Clear(); }

}  // namespace boardtest
