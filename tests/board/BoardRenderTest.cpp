// A loaded board drawn by the real renderer (OpenGL, headless) and read back through a
// screenshot: floor tiles, the wall round them, flowers of two colours, a gem with its
// value, and a chain with its marks; an armed spell's cursor and shadows; the level editor's
// texts in the game's own default font beside the game's in-level display.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "engine/app/Input.h"
#include "engine/app/Mouse.h"
#include "engine/graphics/Font.h"
#include "engine/graphics/FontManager.h"
#include "engine/ui/SpriteSet.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/UINumber.h"
#include "engine/ui/UIWidget.h"
#include "game/board/KivBlock.h"
#include "game/board/KivEditor.h"
#include "game/board/KivSpell.h"
#include "game/board/KivWell.h"
#include "game/shell/KivApp.h"
#include "game/shell/KivVars.h"
#include "tests/graphics/GraphicsTestSupport.h"
#include "tests/graphics/ImageFixtures.h"
#include "tests/support/TestEnv.h"

namespace gfxtest {
namespace {

constexpr uint32_t kBlack = 0xFF000000, kTile = 0xFF606060, kWall = 0xFF8B4513,
                   kRed = 0xFFE02020, kRedSelected = 0xFFF08080, kBlue = 0xFF2040E0,
                   kGold = 0xFFF0C020, kDigits = 0xFF20E0E0, kMark = 0xFFFFFFFF;

void Solid(const std::string& name, uint32_t width, uint32_t height, uint32_t color) {
  WriteFixture(name, PngFile(width, height, Pixels(width * height, color)));
}

class BoardRenderTest : public GlGraphicsTest {
 protected:
  void TearDown() override {
    board_.reset();
    input::GetDevices().Shutdown();
    for (ui::UINumber*& style : ui::g_sharedNumbers) {
      delete style;
      style = nullptr;
    }
    ui::GetSpriteSet().Clear();
    ui::GetUIMan().Shutdown();
    GlGraphicsTest::TearDown();
  }

  // The pixel at the centre of a cell, moved by (dx, dy) pixels.
  static uint32_t At(const Bitmap& shot, int x, int y, int dx = 0, int dy = 0) {
    return shot.At(static_cast<int>(168.5f + 45.0f * x + 22.5f) + dx,
                   static_cast<int>(30.0f + 45.0f * y + 22.5f) + dy);
  }

  std::unique_ptr<KivWell> board_;
};

TEST_F(BoardRenderTest, TilesWallFlowersAGemAndAChainShowInTheirPlaces) {
  ASSERT_TRUE(Start());
  Solid("img/tile.png", 45, 45, kTile);
  Solid("img/wall.png", 45, 45, kWall);
  Solid("img/red.png", 45, 45, kRed);
  Solid("img/red_over.png", 45, 45, kRedSelected);
  Solid("img/blue.png", 45, 45, kBlue);
  Solid("img/gold.png", 45, 45, kGold);
  Solid("img/mark.png", 10, 10, kMark);
  Solid("img/digits.png", 130, 10, kDigits);
  std::string sheet = "Sprites = {\n"
                      "  { Name = 'bg_tile_002', ImageFile = 'img/tile.png', SpriteC = 1 },\n"
                      "  { Name = 'flowers_tiles_003', ImageFile = 'img/red.png', SpriteC = 1 },\n"
                      "  { Name = 'flower_over_003', ImageFile = 'img/red_over.png', SpriteC = 1 },\n"
                      "  { Name = 'flowers_tiles_001', ImageFile = 'img/blue.png', SpriteC = 1 },\n"
                      "  { Name = 'gold_tiles_001', ImageFile = 'img/gold.png', SpriteC = 1 },\n";
  for (const char* piece : {"l", "r", "t", "b", "corner_tl", "corner_tr", "corner_bl",
                            "corner_br", "u_l", "u_r", "u_t", "u_b", "edge_tl", "edge_tr",
                            "edge_bl", "edge_br", "closed"}) {
    sheet += std::string("  { Name = 'wall_") + piece + "', ImageFile = 'img/wall.png', SpriteC = 1 },\n";
  }
  for (const char* mark : {"arrow_start", "arrowhead", "arrow_0", "arrow_45", "arrow_90",
                           "arrow_135", "arrow_180", "arrow_225", "arrow_270", "arrow_315"}) {
    sheet += std::string("  { Name = '") + mark + "', ImageFile = 'img/mark.png', SpriteC = 1 },\n";
  }
  WriteFixture("img/board_sheet.lua", sheet + "}\n");
  ASSERT_TRUE(ui::GetSpriteSet().Load("img/board_sheet.lua"));
  WriteFixture("img/coin_number.lua",
               "Number = { Image = 'img/digits.png', Size = { 0.02, 0.03 } }\n");

  // Tiles on columns 0 to 6 and rows 0 to 5: the wall lines the outer ring of them.
  std::string tiles = "Tiles = {\n";
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 15; ++x) tiles += (x <= 6 && y <= 5) ? "2, " : "0, ";
  }
  WriteFixture("level.lua", tiles + "}\n");
  FrameTimer clock;
  board_ = std::make_unique<KivWell>(nullptr, clock);
  board_->Load("level.lua", nullptr);
  auto put = [&](const char* type, int x, int y, int colour) {
    auto* block = static_cast<KivBlock*>(board_->CreateBlock(type, FlowerColorName(colour), x, y, 1, 1));
    ASSERT_NE(block, nullptr);
    board_->AddBlock(block, x, y, 0.0f);
  };
  for (int x = 1; x <= 3; ++x) put("flower", x, 1, 2);
  put("flower", 1, 3, 0);
  put("gem[7]", 4, 3, 0);
  board_->RebuildCells();
  // Let the flowers grow in, then draw a chain over the three red ones.
  for (int i = 0; i < 20; ++i) board_->Tick(0.02f);
  ASSERT_TRUE(input::GetDevices().Init(nullptr));
  input::Mouse* mouse = input::GetDevices().mouse;
  mouse->buttons[0].down = true;
  auto centre = [&](int x, int y) { return board_->CellToScreen(x, y) + board_->GetCellSize() * 0.5f; };
  board_->MouseButtonPressed(0, centre(1, 1));
  for (int x = 1; x <= 3; ++x) board_->GrowChain(centre(x, 1));
  ASSERT_EQ(board_->GetChain().size(), 3u);

  ASSERT_TRUE(graphics_->BeginFrame());
  graphics_->Clear(kBlack, 0, 0, true, false, false);
  graphics_->ResetRenderStates();
  board_->Render();
  const Bitmap shot = EndFrameWithScreenshot();
  ASSERT_EQ(shot.width, 800);

  EXPECT_TRUE(ColorNear(At(shot, 2, 2), kTile));              // an empty tiled cell
  EXPECT_TRUE(ColorNear(At(shot, 6, 2), kWall));              // the right edge of the tiles
  EXPECT_TRUE(ColorNear(At(shot, 0, 4), kWall));              // and the left one
  EXPECT_TRUE(ColorNear(At(shot, 8, 2), kBlack));             // no tile, no wall
  EXPECT_TRUE(ColorNear(At(shot, 1, 3), kBlue));              // a blue flower
  EXPECT_TRUE(ColorNear(At(shot, 2, 1, 15, 15), kRedSelected));  // a chained red flower
  EXPECT_TRUE(ColorNear(At(shot, 1, 1), kMark));              // the chain's start mark
  EXPECT_TRUE(ColorNear(At(shot, 2, 1), kMark));              // its turn mark
  EXPECT_TRUE(ColorNear(At(shot, 3, 1), kMark));              // its head
  EXPECT_TRUE(ColorNear(At(shot, 4, 3, 18, 18), kGold));      // the gem
  EXPECT_TRUE(ColorNear(At(shot, 4, 3), kDigits));            // with its value over it
}


TEST_F(BoardRenderTest, AnArmedFireballShowsItsCursorAndShadowsOnItsNineCells) {
  constexpr uint32_t kShadow = 0xFF6020A0, kCursor = 0xFF20E020;
  ASSERT_TRUE(Start());
  Solid("img/tile.png", 45, 45, kTile);
  Solid("img/shadow.png", 45, 45, kShadow);
  Solid("img/castle.png", 20, 20, kCursor);
  WriteFixture("img/spell_sheet.lua",
               "Sprites = {\n"
               "  { Name = 'bg_tile_002', ImageFile = 'img/tile.png', SpriteC = 1 },\n"
               "  { Name = 'Effect_Overlay_Shadow', ImageFile = 'img/shadow.png', SpriteC = 1 },\n"
               "  { Name = 'castle_off', ImageFile = 'img/castle.png', SpriteC = 1 },\n"
               "}\n");
  ASSERT_TRUE(ui::GetSpriteSet().Load("img/spell_sheet.lua"));
  std::string tiles = "Tiles = {\n";
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 15; ++x) tiles += (x <= 6 && y <= 5) ? "2, " : "0, ";
  }
  WriteFixture("level.lua", tiles + "}\n");
  FrameTimer clock;
  board_ = std::make_unique<KivWell>(nullptr, clock);
  board_->Load("level.lua", nullptr);
  auto centre = [&](int x, int y) { return board_->CellToScreen(x, y) + board_->GetCellSize() * 0.5f; };
  board_->SpellBrush("fireball");
  // The pointer rests a quarter cell right of the centre of (3, 3): the cursor follows it.
  board_->MouseMoved(centre(0, 0), centre(3, 3) + math::Vec2(board_->GetCellSize().x * 0.25f, 0.0f));
  board_->Tick(0.02f);

  ASSERT_TRUE(graphics_->BeginFrame());
  graphics_->Clear(kBlack, 0, 0, true, false, false);
  graphics_->ResetRenderStates();
  board_->Render();
  const Bitmap shot = EndFrameWithScreenshot();
  ASSERT_EQ(shot.width, 800);

  EXPECT_TRUE(ColorNear(At(shot, 3, 3, 11, 0), kCursor));  // the cursor, at the pointer
  EXPECT_TRUE(ColorNear(At(shot, 3, 3, -12, 0), kShadow)); // the pointer cell's shadow
  for (const auto& [x, y] : std::vector<std::pair<int, int>>{{2, 2}, {3, 2}, {4, 2}, {2, 3}, {4, 3},
                                                            {2, 4}, {3, 4}, {4, 4}}) {
    EXPECT_TRUE(ColorNear(At(shot, x, y), kShadow)) << x << "," << y;
  }
  for (const auto& [x, y] : std::vector<std::pair<int, int>>{{1, 3}, {5, 3}, {3, 1}, {3, 5}}) {
    EXPECT_TRUE(ColorNear(At(shot, x, y), kTile)) << x << "," << y;
  }
  EXPECT_TRUE(ColorNear(At(shot, 8, 3), kBlack));
}

// The level editor's texts (its status, the well file's name, the tile count and its help),
// measured in the game's default font as the game makes it, stand on the screen and clear
// of every widget of the game's in-level display ("ui/in_game.ui"): the column of score,
// coins, zen, portrait, spells, studio and pause on the left, the goals' timer at the top
// left and "Start again" at the bottom right.
TEST_F(BoardRenderTest, TheLevelEditorsTextsKeepClearOfTheInLevelDisplay) {
  ASSERT_TRUE(Start());
  FontManager& fonts = FontManager::Get();
  ASSERT_TRUE(fonts.RegisterTTFonts(KivApp::kDefaultFont, 6, 12));
  ASSERT_NE(fonts.defaultFont, nullptr);
  WriteFixture("ui/in_game.ui", testenv::ReadFile(std::string(PELLAVO_SOURCE_DIR) + "/data/ui/in_game.ui"));
  ui::UIWidget* display = ui::GetUIMan().AddPanel("ui/in_game.ui");
  ASSERT_NE(display, nullptr);
  std::vector<ui::UIWidget*> controls;
  std::vector<ui::UIWidget*> open = display->GetChildren();
  while (!open.empty()) {
    ui::UIWidget* widget = open.back();
    open.pop_back();
    controls.push_back(widget);
    for (ui::UIWidget* child : widget->GetChildren()) open.push_back(child);
  }
  ASSERT_GT(controls.size(), 15u);

  std::string tiles = "Tiles = {\n";
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 15; ++x) tiles += (x >= 1 && x <= 13 && y >= 1 && y <= 10) ? "4, " : "0, ";
  }
  WriteFixture("levels/level_012.lua", tiles + "}\n");
  WriteFixture("dev.lua", "DEV_DATA = { EnableEditor = true }\n");
  FrameTimer clock;
  board_ = std::make_unique<KivWell>(nullptr, clock);
  board_->Load("levels/level_012.lua", nullptr);
  KivVars::Instance().SetCheatMode(true);
  board_->KeyPressed(KivWell::kKeyF1);
  KivVars::Instance().SetCheatMode(false);
  ASSERT_NE(board_->GetEditor(), nullptr);

  const size_t queued = fonts.QueuedTexts().size();
  board_->RenderUI(false);
  const std::vector<TextRecord> texts(fonts.QueuedTexts().begin() + static_cast<long>(queued),
                                      fonts.QueuedTexts().end());
  int help = 0;
  std::vector<std::pair<math::Vec2, math::Vec2>> boxes;
  for (const TextRecord& text : texts) {
    SCOPED_TRACE(text.text.substr(0, text.text.find('\n')));
    Font* font = text.font ? text.font : fonts.defaultFont;
    math::Vec2 low = text.position;
    math::Vec2 size(0.0f, 0.0f);
    font->GetTextSize(text.text, math::Vec2(1.0f, 1.0f), low, size, 0);
    ASSERT_GT(size.x * size.y, 0.0f);
    const math::Vec2 high = low + size;
    boxes.emplace_back(low, high);
    help += text.text == KivEditor::kHelpText;
    EXPECT_TRUE(low.x >= 0.0f && low.y >= 0.0f && high.x <= 1.0f && high.y <= 1.0f)
        << "off the screen: " << low.x * 800 << ".." << high.x * 800 << " x " << low.y * 600 << ".." << high.y * 600;
    for (const ui::UIWidget* control : controls) {
      const math::Vec2 at = control->GetPosition();
      const math::Vec2 end = at + control->GetSize();
      const bool apart = low.x >= end.x || high.x <= at.x || low.y >= end.y || high.y <= at.y;
      EXPECT_TRUE(apart) << "over " << control->GetName() << " (" << at.x * 800 << ".." << end.x * 800 << " x "
                         << at.y * 600 << ".." << end.y * 600 << ") at " << low.x * 800 << ".." << high.x * 800
                         << " x " << low.y * 600 << ".." << high.y * 600;
    }
  }
  EXPECT_EQ(texts.size(), 4u) << "the status, the file's name, the tile count and the help";
  EXPECT_EQ(help, 1);

  // Drawn, the texts' letters lie in the rectangles measured: each has letters, and none
  // stand outside them.
  ASSERT_TRUE(graphics_->BeginFrame());
  graphics_->Clear(kBlack, 0, 0, true, false, false);
  graphics_->ResetRenderStates();
  fonts.RenderText();
  const Bitmap shot = EndFrameWithScreenshot();
  ASSERT_EQ(shot.width, 800);
  std::vector<int> inside(boxes.size(), 0);
  int outside = 0;
  for (int y = 0; y < shot.height; ++y) {
    for (int x = 0; x < shot.width; ++x) {
      if (ColorNear(shot.At(x, y), kBlack, 40)) continue;
      // The pixel's square, a pixel's slack for the glyphs' placement at half pixels.
      const float px = float(x), py = float(y);
      bool found = false;
      for (size_t i = 0; i < boxes.size() && !found; ++i) {
        found = px + 1.0f >= boxes[i].first.x * 800.0f - 1.0f && px <= boxes[i].second.x * 800.0f + 1.0f &&
                py + 1.0f >= boxes[i].first.y * 600.0f - 1.0f && py <= boxes[i].second.y * 600.0f + 1.0f;
        inside[i] += found;
      }
      if (!found && outside++ < 5) ADD_FAILURE() << "a letter's pixel outside the texts at " << x << "," << y;
    }
  }
  for (size_t i = 0; i < boxes.size(); ++i) EXPECT_GT(inside[i], 0) << texts[i].text.substr(0, 20);
  EXPECT_EQ(outside, 0);
}

}  // namespace
}  // namespace gfxtest
