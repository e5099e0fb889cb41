// The level editor: when F1 opens it, its tools and their values, painting, erasing,
// saving, reverting and stepping through numbered well files.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "engine/app/Input.h"
#include "engine/app/Keyboard.h"
#include "engine/graphics/FontManager.h"
#include "engine/ui/SpriteSet.h"
#include "game/board/KivEditor.h"
#include "game/board/KivHelp.h"
#include "game/board/LevelData.h"
#include "game/board/KivSpell.h"
#include "game/shell/KivVars.h"
#include "tests/board/BoardTestSupport.h"
#include "tests/core/LogCapture.h"
#include "tests/support/TestEnv.h"

namespace boardtest {
namespace {

class EditorTest : public BoardTest {
 protected:
  void SetUp() override {
    BoardTest::SetUp();
    LoadBoard(WellFile(2));
  }
  void TearDown() override {
    SetShift(false);
    BoardTest::TearDown();
  }
  // Cheat mode on and a dev.lua that enables the editor; F1.
  KivEditor* Open() {
    KivVars::Instance().SetCheatMode(true);
    testenv::WriteFile("dev.lua", "DEV_DATA = { EnableEditor = true }\n");
    board_->KeyPressed(KivWell::kKeyF1);
    return board_->GetEditor();
  }
  void Key(uint32_t key) { board_->KeyPressed(key); }
  void Wheel(int delta, int times = 1) {
    for (int i = 0; i < times; ++i) board_->MouseWheel(delta, math::Vec2(0.5f, 0.5f));
  }
  void Press(uint32_t button, int x, int y) { board_->MouseButtonPressed(button, Centre(x, y)); }
  void Held(uint32_t button, int x, int y) {
    board_->MouseMoved(board_->GetPointer(), Centre(x, y));
    board_->MouseButtonDown(button, Centre(x, y));
  }
  static void SetShift(bool down) {
    if (input::Keyboard* keyboard = input::GetDevices().keyboard) {
      keyboard->GetKey(KivEditor::kKeyLeftShift)->down = down;
    }
  }
  int32_t Tile(int x, int y) { return board_->GetTileValue(x, y); }
};

TEST_F(EditorTest, F1OpensTheEditorOnlyInCheatModeWithTheDevSwitch) {
  struct Case {
    const char* what;
    bool cheat;
    const char* dev;  // null: no dev.lua
  };
  const Case cases[] = {
      {"no cheat mode", false, "DEV_DATA = { EnableEditor = true }\n"},
      {"no dev.lua", true, nullptr},
      {"switch off", true, "DEV_DATA = { EnableEditor = false }\n"},
      {"no switch", true, "DEV_DATA = { }\n"},
      {"no table", true, "Other = 1\n"},
      {"broken file", true, "DEV_DATA = {\n"},
  };
  for (const Case& c : cases) {
    std::remove("dev.lua");
    if (c.dev) testenv::WriteFile("dev.lua", c.dev);
    KivVars::Instance().SetCheatMode(c.cheat);
    Key(KivWell::kKeyF1);
    EXPECT_EQ(board_->GetEditor(), nullptr) << c.what;
    EXPECT_FALSE(board_->IsBusy()) << c.what;
  }

  // With both: the board reloads its file, drops an armed spell and starts with tiles.
  board_->SpellBrush("fireball");
  Put("flower", 3, 3);
  KivEditor* editor = Open();
  ASSERT_NE(editor, nullptr);
  EXPECT_TRUE(board_->IsBusy());
  EXPECT_EQ(board_->GetSpellBrush(), nullptr);
  EXPECT_EQ(board_->GetKivBlock(3, 3), nullptr);  // the file has no blocks
  ASSERT_NE(editor->GetTool(), nullptr);
  EXPECT_EQ(editor->GetTool()->name, "Tiles");
  EXPECT_EQ(editor->GetTool()->value, 1);
  Key(KivWell::kKeyF1);
  EXPECT_EQ(board_->GetEditor(), nullptr);
  EXPECT_FALSE(board_->IsBusy());
}

TEST_F(EditorTest, ToolValuesClampOrWrapByWheelAndKeys) {
  KivEditor* editor = Open();
  ASSERT_NE(editor, nullptr);
  Wheel(120, 5);
  EXPECT_EQ(editor->GetTool()->value, 4);
  EXPECT_EQ(editor->GetTool()->preview.fileName, "bg_tile_004");
  Key(KivEditor::kKeyDown);
  EXPECT_EQ(editor->GetTool()->value, 3);
  Wheel(-120, 9);
  EXPECT_EQ(editor->GetTool()->value, 1);

  Key(KivEditor::kKey2);
  ASSERT_EQ(editor->GetTool()->name, "Tokens");
  EXPECT_EQ(editor->GetTool()->value, 0);
  EXPECT_EQ(editor->GetTool()->preview.fileName, "tile_frozen");
  Key(KivEditor::kKeyDown);
  EXPECT_EQ(editor->GetTool()->value, 15);
  EXPECT_EQ(editor->GetTool()->preview.fileName, "tileblast_tiles");
  Wheel(1);
  EXPECT_EQ(editor->GetTool()->value, 0);
  Key(KivEditor::kKeyUp);
  EXPECT_EQ(editor->GetTool()->preview.fileName, "tile_locked");
  Wheel(1, 16);
  EXPECT_EQ(editor->GetTool()->value, 1);

  // Space: no tool, and the tool keys do nothing; 1 gives a fresh tile tool.
  Key(KivEditor::kKeySpace);
  EXPECT_EQ(editor->GetTool(), nullptr);
  Key(KivEditor::kKeyUp);
  Wheel(1);
  Press(KivWell::kLeftButton, 2, 2);
  EXPECT_EQ(Tile(2, 2), 2);
  Key(KivEditor::kKey1);
  EXPECT_EQ(editor->GetTool()->value, 1);
}

// The board's pictures share one image: a tool's preview shows its own rectangle of it.
TEST_F(EditorTest, APreviewOfAPictureInASharedImageShowsItsOwnRectangle) {
  // The 80 x 60 picture's rectangle from (20, 15), 20 x 15 pixels: borders and clips.
  delete ui::GetSpriteSet().Remove("bg_tile_001");
  ASSERT_TRUE(ui::GetSpriteSet().AddSprite("bg_tile_001", "img/shared.png", 1, 0.0f, 20, 15, false, false,
                                           80 - 40 - 20, 60 - 30 - 15, "test"));
  KivEditor* editor = Open();
  ASSERT_NE(editor, nullptr);
  ASSERT_EQ(editor->GetTool()->preview.fileName, "bg_tile_001");
  renderer_.draws.clear();
  editor->Render();
  ASSERT_FALSE(renderer_.draws.empty());
  float u0 = 1.0f, u1 = 0.0f, v0 = 1.0f, v1 = 0.0f;
  for (const ScreenVertex& v : renderer_.draws.back().vertices) {
    u0 = std::min(u0, v.u);
    u1 = std::max(u1, v.u);
    v0 = std::min(v0, v.v);
    v1 = std::max(v1, v.v);
  }
  EXPECT_FLOAT_EQ(u0, 20.0f / 80);
  EXPECT_FLOAT_EQ(u1, 40.0f / 80);
  EXPECT_FLOAT_EQ(v0, 15.0f / 60);
  EXPECT_FLOAT_EQ(v1, 30.0f / 60);
}

TEST_F(EditorTest, TilesPaintByDragButNeverUnderAWall) {
  ASSERT_NE(Open(), nullptr);
  Wheel(1, 2);  // value 3
  Press(KivWell::kLeftButton, 2, 2);
  Held(KivWell::kLeftButton, 3, 2);
  Held(KivWell::kLeftButton, 14, 2);  // an untiled cell takes a tile as well
  EXPECT_EQ(Tile(2, 2), 3);
  EXPECT_EQ(Tile(3, 2), 3);
  EXPECT_EQ(Tile(14, 2), 3);
  EXPECT_EQ(Tile(4, 2), 2);

  KivBlock* wall = Put("stone", 5, 5);
  wall->kind = kKindWall;
  Press(KivWell::kLeftButton, 5, 5);
  EXPECT_EQ(Tile(5, 5), 2);
  // Outside the grid nothing changes and nothing breaks.
  board_->MouseButtonPressed(KivWell::kLeftButton, math::Vec2(0.001f, 0.001f));
  board_->MouseButtonPressed(KivWell::kLeftButton, math::Vec2(1.5f, 1.5f));
}

TEST_F(EditorTest, TokensReplaceBlocksTileEmptyCellsAndRaiseGems) {
  KivEditor* editor = Open();
  ASSERT_NE(editor, nullptr);
  Key(KivEditor::kKey2);
  Wheel(1, 3);  // the horizontal cut
  Press(KivWell::kLeftButton, 14, 4);  // untiled
  EXPECT_EQ(Tile(14, 4), 1);
  ASSERT_NE(board_->GetKivBlock(14, 4), nullptr);
  EXPECT_EQ(board_->GetKivBlock(14, 4)->kind, kKindHCut);
  Held(KivWell::kLeftButton, 13, 4);  // cut tokens paint by drag
  ASSERT_NE(board_->GetKivBlock(13, 4), nullptr);
  EXPECT_EQ(board_->GetKivBlock(13, 4)->kind, kKindHCut);
  EXPECT_EQ(Tile(13, 4), 2);

  // A token replaces the block standing on its cell; the board keeps one block there.
  Key(KivEditor::kKeyDown);  // the gem
  ASSERT_FALSE(editor->GetTool()->IsDragPaint());
  Press(KivWell::kLeftButton, 14, 4);
  auto* gem = static_cast<KivGemBlock*>(board_->GetKivBlock(14, 4));
  ASSERT_NE(gem, nullptr);
  ASSERT_EQ(gem->kind, kKindGem);
  EXPECT_EQ(gem->value, 1);
  size_t blocks = board_->GetBlocks().size();
  Press(KivWell::kLeftButton, 14, 4);
  EXPECT_EQ(board_->GetKivBlock(14, 4), gem);
  EXPECT_EQ(gem->value, 2);
  // Holding the button with the gem token does not repeat it.
  Held(KivWell::kLeftButton, 14, 4);
  Held(KivWell::kLeftButton, 12, 4);
  EXPECT_EQ(gem->value, 2);
  EXPECT_EQ(board_->GetKivBlock(12, 4), nullptr);
  EXPECT_EQ(board_->GetBlocks().size(), blocks);
  // Another token over the gem replaces it.
  Key(KivEditor::kKeyUp);
  Press(KivWell::kLeftButton, 14, 4);
  EXPECT_EQ(board_->GetKivBlock(14, 4)->kind, kKindHCut);
  EXPECT_EQ(board_->GetBlocks().size(), blocks);
}

TEST_F(EditorTest, RightClicksEraseADecorationFirstAndShiftDragErases) {
  ASSERT_NE(Open(), nullptr);
  Key(KivEditor::kKey2);
  for (int x = 2; x <= 6; ++x) Press(KivWell::kLeftButton, x, 6);
  board_->AddDecoration("deco", 2, 6, 1, 1, math::Vec2(0.0f, 0.0f), 0, 0);
  ASSERT_EQ(board_->GetDecorations().size(), 1u);
  const math::Vec2 onDecoration = board_->CellToScreen(2, 6) + board_->GetCellSize() * 0.25f;
  board_->MouseButtonPressed(KivWell::kRightButton, onDecoration);
  EXPECT_TRUE(board_->GetDecorations().empty());
  EXPECT_NE(board_->GetKivBlock(2, 6), nullptr);
  EXPECT_EQ(Tile(2, 6), 2);
  // The next right click erases the tile and the block.
  board_->MouseButtonPressed(KivWell::kRightButton, onDecoration);
  EXPECT_EQ(board_->GetKivBlock(2, 6), nullptr);
  EXPECT_EQ(Tile(2, 6), 0);

  // A held right button erases only with Shift.
  Held(KivWell::kRightButton, 3, 6);
  EXPECT_NE(board_->GetKivBlock(3, 6), nullptr);
  SetShift(true);
  Held(KivWell::kRightButton, 3, 6);
  Held(KivWell::kRightButton, 4, 6);
  EXPECT_EQ(board_->GetKivBlock(3, 6), nullptr);
  EXPECT_EQ(board_->GetKivBlock(4, 6), nullptr);
  EXPECT_EQ(Tile(4, 6), 0);
  EXPECT_NE(board_->GetKivBlock(5, 6), nullptr);
}

TEST_F(EditorTest, QuickSaveThenRevertGivesBackTheSavedBoard) {
  ASSERT_NE(Open(), nullptr);
  Wheel(1, 3);
  Press(KivWell::kLeftButton, 1, 1);
  Key(KivEditor::kKey2);
  Press(KivWell::kLeftButton, 2, 1);
  Key(KivEditor::kKeyF7);
  Press(KivWell::kRightButton, 2, 1);
  Key(KivEditor::kKey1);
  Press(KivWell::kLeftButton, 5, 5);
  ASSERT_EQ(board_->GetKivBlock(2, 1), nullptr);
  Key(KivEditor::kKeyF8);
  EXPECT_EQ(Tile(1, 1), 4);
  EXPECT_EQ(Tile(5, 5), 2);
  Frames(5);  // blocks from a file may drop in late
  ASSERT_NE(board_->GetKivBlock(2, 1), nullptr);
  EXPECT_EQ(board_->GetKivBlock(2, 1)->kind, kKindFrozen);
  EXPECT_NE(board_->GetEditor(), nullptr);

  // F9 and F10 hand saving and loading to the scripts.
  Run("Asked = '' function SaveEditorWell() Asked = Asked .. 'save;' end "
      "function LoadEditorWell() Asked = Asked .. 'load;' end");
  Key(KivEditor::kKeyF9);
  Key(KivEditor::kKeyF10);
  EXPECT_EQ(Global("Asked"), "save;load;");
}

TEST_F(EditorTest, PageKeysStepThroughNumberedWellFiles) {
  struct Case {
    const char* path;
    int32_t step;
    const char* next;
  };
  const Case cases[] = {
      {"levels/level_007.lua", 1, "levels/level_008.lua"},
      {"levels/level_007.lua", -1, "levels/level_006.lua"},
      {"levels/level_099.lua", 1, "levels/level_100.lua"},
      {"levels/level_999.lua", 1, "levels/level_1000.lua"},
      {"levels/level_000.lua", -1, ""},
      {"levels/level.lua", 1, ""},
      {"levels2/level.lua", 1, ""},  // a folder's number is not the file's
      {"w7", 1, "w8"},
      {"", 1, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(KivEditor::NumberedFile(c.path, c.step), c.next) << c.path;

  testenv::WriteFile("levels/level_007.lua", WellFile(3));
  testenv::WriteFile("levels/level_008.lua", WellFile(4));
  board_->ClearWell();
  board_->LoadWell("levels/level_007.lua");
  ASSERT_NE(Open(), nullptr);
  Key(KivEditor::kKeyPageDown);
  EXPECT_EQ(board_->GetWellFileName(), "levels/level_008.lua");
  EXPECT_EQ(Tile(0, 0), 4);
  Key(KivEditor::kKeyPageDown);  // no level_009: nothing happens
  EXPECT_EQ(board_->GetWellFileName(), "levels/level_008.lua");
  EXPECT_EQ(Tile(0, 0), 4);
  Key(KivEditor::kKeyPageUp);
  EXPECT_EQ(board_->GetWellFileName(), "levels/level_007.lua");
  EXPECT_EQ(Tile(0, 0), 3);
}

TEST_F(EditorTest, TheDrawPassRunsWithTheEditorAndAnEncasedFlower) {
  auto editing = [] {
    for (const TextRecord& text : FontManager::Get().QueuedTexts()) {
      if (text.text == "Editing" && text.position.x == KivEditor::kStatusPosition.x &&
          text.position.y == KivEditor::kStatusPosition.y) {
        return true;
      }
    }
    return false;
  };
  ASSERT_NE(Open(), nullptr);
  Key(KivEditor::kKey2);
  Press(KivWell::kLeftButton, 3, 3);  // a frozen flower
  KivBlock* frozen = board_->GetKivBlock(3, 3);
  ASSERT_NE(frozen, nullptr);
  frozen->state = kBlockEncased;
  renderer_.draws.clear();
  FontManager::Get().RenderText();
  board_->Render();
  board_->RenderUI(false);
  EXPECT_FALSE(renderer_.draws.empty());
  EXPECT_TRUE(editing()) << "the editor's status shows while it is attached";

  FontManager::Get().RenderText();
  Key(KivWell::kKeyF1);
  board_->RenderUI(false);
  EXPECT_FALSE(editing());
}

TEST_F(EditorTest, WithTheEditorAttachedEveryKeyButF1IsTheEditors) {
  // Cheat mode is on (the editor needs it), yet the developer keys do nothing while the
  // editor is attached.
  ASSERT_NE(Open(), nullptr);
  board_->SetSpellCost(1, 40);
  KivVars& vars = KivVars::Instance();
  ASSERT_TRUE(vars.AddTrophy(3));
  vars.SetValue(KivHelp::kShownVarBase + 1, 1);
  Run("AllSpells = 0 function EnableAllSpells() AllSpells = AllSpells + 1 end");
  struct Case {
    const char* key;
    uint32_t code;
  };
  const Case cases[] = {
      {"W wins", KivWell::kKeyW},          {"L loses", KivWell::kKeyL},
      {"T clears trophies", KivWell::kKeyT}, {"P charges every spell", KivWell::kKeyP},
      {"H clears the tips", KivWell::kKeyH}, {"Z fills the zen", KivWell::kKeyZ},
      {"C pays ten coins", KivWell::kKeyC},  {"F does nothing anyway", KivWell::kKeyF},
  };
  for (const Case& c : cases) {
    Key(c.code);
    EXPECT_NE(board_->GetEditor(), nullptr) << c.key;
    EXPECT_EQ(board_->GetOverlay(), nullptr) << c.key;
    EXPECT_TRUE(vars.HasTrophy(3)) << c.key;
    EXPECT_EQ(Global("AllSpells"), "0") << c.key;
    EXPECT_EQ(vars.GetValue(KivHelp::kShownVarBase + 1), 1) << c.key;
    EXPECT_EQ(board_->GetSpellCharge(1), 0) << c.key;
    EXPECT_EQ(board_->GetGold(), 0) << c.key;
  }
  // The editor's own keys still reach it; F1 closes it, and the keys act again.
  Key(KivEditor::kKey2);
  EXPECT_EQ(board_->GetEditor()->GetTool()->name, "Tokens");
  Key(KivWell::kKeyF1);
  EXPECT_EQ(board_->GetEditor(), nullptr);
  Key(KivWell::kKeyC);
  EXPECT_EQ(board_->GetGold(), 10);
}

TEST_F(EditorTest, APuzzleSavedByTheEditorLoadsBackWithTheSameKinds) {
  // A puzzle level keeps the blocks of its file, flowers included.
  LevelData puzzle;
  puzzle.genMode = "PUZZLE";
  testenv::WriteFile("puzzle.lua", WellFile(2));
  board_ = std::make_unique<KivWell>(nullptr, *timer_);
  board_->Load("puzzle.lua", &puzzle);
  ASSERT_NE(Open(), nullptr);
  Key(KivEditor::kKey2);
  Press(KivWell::kLeftButton, 1, 1);  // token 0: a frozen flower
  Key(KivEditor::kKeyUp);
  Press(KivWell::kLeftButton, 2, 1);  // token 1: a locked flower
  Key(KivEditor::kKeyUp);
  Press(KivWell::kLeftButton, 3, 1);  // token 2: a gem, clicked twice
  Press(KivWell::kLeftButton, 3, 1);
  Wheel(1, 8);
  Press(KivWell::kLeftButton, 4, 1);  // token 10: a double
  Key(KivEditor::kKeyF7);
  Key(KivWell::kKeyF1);

  const std::string saved = testenv::ReadFile("puzzle.lua");
  EXPECT_NE(saved.find("\"lockedflower\""), std::string::npos) << saved;
  EXPECT_NE(saved.find("\"frozenflower\""), std::string::npos) << saved;
  EXPECT_NE(saved.find("\"gem[2]\""), std::string::npos) << saved;

  // The board's own reader takes the file whole: a fresh puzzle board loads the same
  // kinds, with nothing to warn about.
  LogCapture log;
  KivWell copy(nullptr, *timer_);
  copy.Load("puzzle.lua", &puzzle);
  for (const std::string& line : log.lines) {
    const bool complaint = line.find("MSG_WARNING") != std::string::npos || line.find("MSG_ERROR") != std::string::npos;
    EXPECT_FALSE(complaint && line.find("puzzle.lua") != std::string::npos) << line;
  }
  struct Case {
    int x;
    int32_t kind;
    const char* typeName;
  };
  for (const Case& c : {Case{1, kKindFrozen, "frozenflower"}, Case{2, kKindLocked, "lockedflower"},
                        Case{3, kKindGem, "gem[2]"}, Case{4, kKindFlower, "double"}}) {
    KivBlock* block = copy.GetKivBlock(c.x, 1);
    ASSERT_NE(block, nullptr) << c.typeName;
    EXPECT_EQ(block->kind, c.kind) << c.typeName;
    EXPECT_EQ(block->GetTypeName(), c.typeName);
  }
  EXPECT_EQ(copy.GetBlocks().size(), 4u);
  EXPECT_EQ(copy.GetTileValue(1, 1), 2);
}

}  // namespace
}  // namespace boardtest
