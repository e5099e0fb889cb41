// The game's own art from the packed content, drawn by the real renderer (OpenGL, headless)
// as the game draws it, and read back through screenshots: the board's frame beside its
// blocks, the chain counter beside the score, the goal icons, the credits' band of light
// and the fashion popup's offers.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/app/GameScreen.h"
#include "engine/background/BGElement.h"
#include "engine/background/BGScene.h"
#include "engine/core/Timer.h"
#include "engine/core/VFS.h"
#include "engine/graphics/FontManager.h"
#include "engine/ui/SpriteSet.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/UINumber.h"
#include "engine/ui/UIWidget.h"
#include "game/board/KivBlock.h"
#include "game/board/KivGameHud.h"
#include "game/board/KivGoal.h"
#include "game/board/KivWell.h"
#include "game/board/LevelInfo.h"
#include "game/shell/KivApp.h"
#include "game/shell/KivDresses.h"
#include "game/shell/KivFashionPopup.h"
#include "game/shell/Shell.h"
#include "tests/app/GameFlowTestSupport.h"
#include "tests/app/ScreenFrameTest.h"
#include "tests/support/TestEnv.h"

namespace gfxtest {
namespace {

const std::string kArchive = std::string(PELLAVO_BINARY_DIR) + "/bin/kx.arc";

// A colour that none of the art uses, behind what a test draws.
constexpr uint32_t kKey = 0xFF00FF00;

int Channel(uint32_t pixel, int shift) { return static_cast<int>(pixel >> shift & 0xFF); }

int Difference(uint32_t a, uint32_t b) {
  return std::max({std::abs(Channel(a, 16) - Channel(b, 16)), std::abs(Channel(a, 8) - Channel(b, 8)),
                   std::abs(Channel(a, 0) - Channel(b, 0))});
}

// The runs of columns of a rectangle whose pixels differ from another picture's: the ink
// of a text drawn on one and not the other, glyph by glyph.
std::vector<std::pair<int, int>> InkRuns(const Bitmap& with, const Bitmap& without, int x0, int y0, int x1,
                                         int y1) {
  std::vector<std::pair<int, int>> runs;
  for (int x = x0; x < x1; ++x) {
    bool ink = false;
    for (int y = y0; y < y1 && !ink; ++y) ink = Difference(with.At(x, y), without.At(x, y)) > 48;
    if (!ink) continue;
    if (!runs.empty() && runs.back().second == x - 1) {
      runs.back().second = x;
    } else {
      runs.emplace_back(x, x);
    }
  }
  return runs;
}

// A screen that draws over its panels what a test gives it, as the level draws the
// display's chain value over the display.
class HostScreen : public GameScreen {
 public:
  explicit HostScreen(camera::Camera* camera) : GameScreen(camera, "", "", "") {}
  void RenderForeground() override {
    if (draw) draw();
  }
  std::function<void()> draw;
};

class ContentRenderTest : public ScreenFrameTest {
 protected:
  void SetUp() override {
    ScreenFrameTest::SetUp();
    ASSERT_TRUE(testenv::FileExists(kArchive)) << "the build packs the content into " << kArchive;
    vfs::VFS::Instance().AddArchive(kArchive);
    ASSERT_TRUE(StartScreens("Pellavo content"));
    // The game draws with bilinear filtering.
    graphics_->SetFiltering(true);
  }
  void TearDown() override {
    KivFashionPopup::Destroy();
    KivDresses::Destroy();
    board_.reset();
    ui::GetSpriteSet().Clear();
    ScreenFrameTest::TearDown();
    vfs::VFS::Instance().RemoveArchives();
  }

  // One frame over the key colour, drawn by `draw`, read back.
  template <typename Draw>
  Bitmap Drawn(Draw draw) {
    EXPECT_TRUE(graphics_->BeginFrame());
    graphics_->Clear(kKey, 0, 0, true, false, false);
    graphics_->ResetRenderStates();
    draw();
    return EndFrameWithScreenshot();
  }

  // The game's bitmap fonts and a host screen entered: panels added now are drawn.
  HostScreen& EnterHost() {
    for (const char* name : KivApp::kBitmapFonts) {
      EXPECT_NE(FontManager::Get().InitBitmapFont(name, std::string("fonts/") + name + ".lua"), nullptr) << name;
    }
    auto* host = new HostScreen(camera_.get());
    flow_.AddTransitionState("content_host", host);
    flow_.EnterState(host);
    return *host;
  }

  static void PixelRect(const ui::UIWidget* widget, int& x0, int& y0, int& x1, int& y1) {
    const math::Vec2 at = widget->GetPosition(), size = widget->GetSize();
    x0 = static_cast<int>(at.x * 800.0f);
    y0 = static_cast<int>(at.y * 600.0f);
    x1 = static_cast<int>((at.x + size.x) * 800.0f);
    y1 = static_cast<int>((at.y + size.y) * 600.0f);
  }

  std::unique_ptr<KivWell> board_;
};

// The board of "garden" (its tiled cells, the wall round them) with a flower in every cell.
// The wall lies in the outer margin of the edge cells: no pixel of it lies under a flower,
// and the board shows no seam between its columns.
TEST_F(ContentRenderTest, TheBoardsFrameLiesBesideItsFlowersAndTheBoardHasNoSeam) {
  ASSERT_TRUE(ui::GetSpriteSet().Load("img/sprites.lua"));
  FrameTimer clock;
  board_ = std::make_unique<KivWell>(nullptr, clock);
  board_->Load("levels/garden.lua", nullptr);
  ASSERT_NE(board_->GetWall(), nullptr);
  int left = board_->GetWidth(), right = -1, top = board_->GetHeight(), bottom = -1;
  for (int y = 0; y < board_->GetHeight(); ++y) {
    for (int x = 0; x < board_->GetWidth(); ++x) {
      if (board_->GetTileValue(x, y) <= 0) continue;
      left = std::min(left, x);
      right = std::max(right, x);
      top = std::min(top, y);
      bottom = std::max(bottom, y);
      // Every flower colour, and every other one chosen, as a chain shows it.
      const int colour = (x + 2 * y) % 5;
      auto* block = static_cast<KivBlock*>(board_->CreateBlock("flower", FlowerColorName(colour), x, y, 1, 1));
      ASSERT_NE(block, nullptr);
      board_->AddBlock(block, x, y, 0.0f);
      if ((x + y) % 2) block->Select();
    }
  }
  ASSERT_LT(left, right);
  board_->RebuildCells();
  // The flowers have grown in.
  for (int i = 0; i < 60; ++i) board_->Tick(0.02f);

  const Bitmap wall = Drawn([&] { board_->GetWall()->Render(); });
  const Bitmap flowers = Drawn([&] {
    for (well::WellBlock* block : board_->GetBlocks()) block->Draw();
  });
  const Bitmap whole = Drawn([&] { board_->Render(); });
  ASSERT_EQ(wall.width, 800);

  // The board's rectangle in pixels.
  const math::Vec2 from = board_->CellToScreen(left, top);
  const math::Vec2 to = board_->CellToScreen(right + 1, bottom + 1);
  const int x0 = static_cast<int>(from.x * 800.0f), x1 = static_cast<int>(to.x * 800.0f);
  const int y0 = static_cast<int>(from.y * 600.0f), y1 = static_cast<int>(to.y * 600.0f);
  int wallPixels = 0, under = 0;
  for (int y = y0 - 2; y < y1 + 2; ++y) {
    for (int x = x0 - 2; x < x1 + 2; ++x) {
      const bool isWall = wall.At(x, y) != kKey;
      wallPixels += isWall;
      under += isWall && flowers.At(x, y) != kKey;
    }
  }
  // The frame runs round the whole board, a few pixels wide.
  EXPECT_GT(wallPixels, 2 * ((x1 - x0) + (y1 - y0)) * 3);
  for (const int y : {y0 + 60, (y0 + y1) / 2}) {
    EXPECT_NE(wall.At(x0 + 1, y), kKey) << "the left side at row " << y;
    EXPECT_NE(wall.At(x1 - 2, y), kKey) << "the right side at row " << y;
  }
  EXPECT_EQ(under, 0) << "wall pixels under a flower";

  // A seam: a column of the board that differs from both its neighbours, which agree, in
  // most of the board's rows.
  for (int x = x0 + 1; x < x1 - 1; ++x) {
    int rows = 0;
    for (int y = y0; y < y1; ++y) {
      const uint32_t here = whole.At(x, y), before = whole.At(x - 1, y), after = whole.At(x + 1, y);
      rows += Difference(before, after) <= 4 && Difference(here, before) > 8 && Difference(here, after) > 8;
    }
    EXPECT_LT(rows, (y1 - y0) / 2) << "a seam at x = " << x;
  }
}

// A board of turned tiles, all floor: the floor's picture runs on from cell to cell, each
// cell showing its eighth of it, without a step between rows or columns.
TEST_F(ContentRenderTest, TheTurnedFloorRunsOnAcrossItsCells) {
  ASSERT_TRUE(ui::GetSpriteSet().Load("img/sprites.lua"));
  std::string tiles = "Tiles = {\n";
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 15; ++x) tiles += (x >= 2 && x <= 12 && y >= 1 && y <= 10) ? "1, " : "0, ";
  }
  testenv::WriteFile("floor.lua", tiles + "}\n");
  FrameTimer clock;
  board_ = std::make_unique<KivWell>(nullptr, clock);
  board_->Load("floor.lua", nullptr);
  const Bitmap shot = Drawn([&] { board_->Render(); });
  ASSERT_EQ(shot.width, 800);

  // Inside the frame: the mean change from one pixel row (or column) to the next is as
  // small at a cell's edge as inside the cells, and small everywhere: the picture's slow
  // waves span several cells (the whole picture in every cell would ripple).
  const math::Vec2 from = board_->CellToScreen(2, 1), to = board_->CellToScreen(13, 11);
  const int x0 = static_cast<int>(from.x * 800.0f) + 6, x1 = static_cast<int>(to.x * 800.0f) - 6;
  const int y0 = static_cast<int>(from.y * 600.0f) + 6, y1 = static_cast<int>(to.y * 600.0f) - 6;
  for (int y = y0 + 1; y < y1; ++y) {
    float change = 0.0f;
    for (int x = x0; x < x1; ++x) change += float(Difference(shot.At(x, y), shot.At(x, y - 1)));
    EXPECT_LT(change / float(x1 - x0), 2.0f) << "a step between rows " << y - 1 << " and " << y;
  }
  for (int x = x0 + 1; x < x1; ++x) {
    float change = 0.0f;
    for (int y = y0; y < y1; ++y) change += float(Difference(shot.At(x, y), shot.At(x - 1, y)));
    EXPECT_LT(change / float(y1 - y0), 2.0f) << "a step between columns " << x - 1 << " and " << x;
  }
}

// The in-level display: the chain counter's digits are spaced as the score's above it.
// "111" leaves a gap between its digits in both.
TEST_F(ContentRenderTest, TheChainCountersDigitsAreSpacedAsTheScoresAbove) {
  HostScreen& host = EnterHost();
  ASSERT_NE(ui::GetUIMan().AddPanel("ui/in_game.ui"), nullptr);
  KivGameHud hud;
  hud.Init();
  ui::UIWidget* panel = ui::GetUIMan().GetPanel("in_game");
  ASSERT_NE(panel, nullptr);
  ui::UIWidget* scoreBox = panel->GetWidgetByName("score_box");
  ui::UIWidget* setBox = panel->GetWidgetByName("set_box");
  ASSERT_NE(scoreBox, nullptr);
  ASSERT_NE(setBox, nullptr);
  hud.Update(0.0f);
  Frames(1);
  const Bitmap bare = FrameWithScreenshot("hud_bare");

  hud.SetScore(111);
  hud.chainValue = 111;
  hud.chainLength = 3;  // drawn at its own size
  hud.Update(1.0f);
  host.draw = [&hud] { hud.Render(); };
  Frames(1);
  const Bitmap shown = FrameWithScreenshot("hud_111");

  int x0, y0, x1, y1;
  PixelRect(scoreBox, x0, y0, x1, y1);
  const auto score = InkRuns(shown, bare, x0, y0, x1, y1);
  PixelRect(setBox, x0, y0, x1, y1);
  const auto chain = InkRuns(shown, bare, x0, y0, x1, y1);
  ASSERT_EQ(score.size(), 3u);
  ASSERT_EQ(chain.size(), 3u);
  for (size_t i = 0; i + 1 < 3; ++i) {
    const int scoreGap = score[i + 1].first - score[i].second;
    const int chainGap = chain[i + 1].first - chain[i].second;
    EXPECT_NEAR(chainGap, scoreGap, 1) << "gap " << i;
  }
  EXPECT_NEAR(chain.back().second - chain.front().first, score.back().second - score.front().first, 2);
}

// The goal icon of "clear the board", where the level draws its goals: a picture of
// several colours that leaves the background showing round it, not a flat square.
TEST_F(ContentRenderTest, TheClearTheBoardGoalShowsAPictureNotAFlatSquare) {
  LevelInfo::Instance().LoadGoals(LevelInfo::kGoalsFile);
  const GoalData* data = LevelInfo::Instance().FindGoal("clear_board");
  ASSERT_NE(data, nullptr);
  std::unique_ptr<KivGoal> goal(KivGoal::FromName(data, nullptr));
  ASSERT_NE(goal, nullptr);
  goal->PlaceIcon(math::Vec2(0.1f, 0.1f));
  const Bitmap shot = Drawn([&] { goal->Render(); });
  LevelInfo::Shutdown();

  // The icon's pixels: those not of the background, in the 32 x 32 square it is drawn in.
  std::set<uint32_t> colours;
  int icon = 0, mostOfOne = 0;
  std::vector<uint32_t> pixels;
  for (int y = 60; y < 92; ++y) {
    for (int x = 80; x < 112; ++x) {
      if (shot.At(x, y) == kKey) continue;
      ++icon;
      colours.insert(shot.At(x, y));
      pixels.push_back(shot.At(x, y));
    }
  }
  for (const uint32_t colour : colours) {
    mostOfOne = std::max(mostOfOne, static_cast<int>(std::count(pixels.begin(), pixels.end(), colour)));
  }
  EXPECT_GT(icon, 32 * 32 / 3) << "the icon is drawn";
  EXPECT_LT(icon, 32 * 32 * 9 / 10) << "the background shows round the picture";
  EXPECT_GE(colours.size(), 6u);
  EXPECT_LT(mostOfOne, icon / 2) << "no one colour fills the icon";
}

// The credits' scene: its band of light along the top runs across the whole screen and
// fades in and out smoothly along it, with no end cut off on the screen.
TEST_F(ContentRenderTest, TheCreditsBandOfLightRunsSmoothlyAcrossTheTop) {
  background::BGScene scene;
  ASSERT_TRUE(scene.Load("backgrounds/credits.lua"));
  for (int i = 0; i < 30; ++i) scene.Update(kFrameTime);
  const Bitmap with = Drawn([&] { scene.Render(); });
  // The same frame without the band: the difference is the band's light alone.
  background::BGElement* band = nullptr;
  for (const auto& element : scene.back) {
    if (element->Matches("ui_img/light_")) band = element.get();
  }
  ASSERT_NE(band, nullptr);
  const float top = band->Pos.y;
  ASSERT_TRUE(scene.RemoveElement(band));
  const std::unique_ptr<background::BGElement> removed(band);  // the scene hands it back
  const Bitmap without = Drawn([&] { scene.Render(); });

  // Along the band's middle row.
  const int y = static_cast<int>(top * 600.0f) + 16;
  auto light = [&](int x) {
    const uint32_t a = with.At(x, y), b = without.At(x, y);
    return (Channel(a, 16) + Channel(a, 8) + Channel(a, 0)) - (Channel(b, 16) + Channel(b, 8) + Channel(b, 0));
  };
  for (int x = 0; x < 800; ++x) {
    EXPECT_GT(light(x), 10) << "no light at x = " << x;
    if (x > 0) {
      EXPECT_LE(std::abs(light(x) - light(x - 1)), 24) << "a cut at x = " << x;
    }
  }
}

// The pixels of a rectangle that differ from another picture's, as a mask of its size.
struct ChangedMask {
  int x0, y0, width, height;
  std::vector<bool> changed;
  bool At(int x, int y) const { return changed[size_t(y) * size_t(width) + size_t(x)]; }
};
ChangedMask Changed(const Bitmap& with, const Bitmap& without, int x0, int y0, int x1, int y1) {
  ChangedMask mask{x0, y0, x1 - x0, y1 - y0, {}};
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) mask.changed.push_back(Difference(with.At(x, y), without.At(x, y)) > 24);
  }
  return mask;
}

// The sizes of the mask's connected parts (neighbours across sides and corners), largest
// first.
std::vector<int> Parts(const ChangedMask& mask) {
  std::vector<bool> seen(mask.changed.size(), false);
  std::vector<int> sizes;
  for (int start = 0; start < mask.width * mask.height; ++start) {
    if (!mask.changed[size_t(start)] || seen[size_t(start)]) continue;
    int size = 0;
    std::vector<int> open{start};
    seen[size_t(start)] = true;
    while (!open.empty()) {
      const int at = open.back();
      open.pop_back();
      ++size;
      for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
          const int x = at % mask.width + dx, y = at / mask.width + dy;
          if (x < 0 || y < 0 || x >= mask.width || y >= mask.height) continue;
          const int next = y * mask.width + x;
          if (mask.changed[size_t(next)] && !seen[size_t(next)]) {
            seen[size_t(next)] = true;
            open.push_back(next);
          }
        }
      }
    }
    sizes.push_back(size);
  }
  std::sort(sizes.rbegin(), sizes.rend());
  return sizes;
}

// The fashion popup with three offers: each piece fills most of its box, and the offer
// under the mouse, grown, reads as one piece with its shadow rather than two.
TEST_F(ContentRenderTest, ThePopupsPiecesFillTheirBoxesAndAHoveredOneReadsAsOne) {
  EnterHost();
  ASSERT_TRUE(ui::RegisterUIClasses(console::GetConsole().GetState()));
  ASSERT_TRUE(RegisterShellScripts(console::GetConsole().GetState()));
  ASSERT_TRUE(ui::GetSpriteSet().Load("hana/sprites.lua"));
  ui::UIWidget* panel = ui::GetUIMan().AddPanel("ui/buy_popup.ui");
  ASSERT_NE(panel, nullptr);
  Frames(1);
  const Bitmap empty = FrameWithScreenshot("popup_empty");
  // A short piece of each slot: the bob, a top, the short skirt.
  flowtest::RunScript("local popup = GetFashionPopup()\n"
                      "popup:Enable(true)\n"
                      "popup:SetItem(1, 'head', 1)\n"
                      "popup:SetItem(2, 'upper', 2)\n"
                      "popup:SetItem(3, 'lower', 5)\n");
  Frames(1);
  const Bitmap resting = FrameWithScreenshot("popup_resting");
  // Each offer in turn under the mouse for half a second: grown to its full size.
  std::vector<Bitmap> hovered;
  for (int box = 1; box <= 3; ++box) {
    flowtest::RunScript("GetFashionPopup():OnMouseOver(" + std::to_string(box) + ")");
    Frames(30);
    hovered.push_back(FrameWithScreenshot("popup_hovered" + std::to_string(box)));
    flowtest::RunScript("GetFashionPopup():OnMouseLeave(" + std::to_string(box) + ")");
    Frames(30);
  }

  for (int box = 1; box <= 3; ++box) {
    SCOPED_TRACE("item_box" + std::to_string(box));
    ui::UIWidget* frame = panel->GetWidgetByName("item_box" + std::to_string(box));
    ASSERT_NE(frame, nullptr);
    int x0, y0, x1, y1;
    PixelRect(frame, x0, y0, x1, y1);
    const ChangedMask piece = Changed(resting, empty, x0, y0, x1, y1);
    int left = piece.width, right = -1, top = piece.height, bottom = -1;
    for (int y = 0; y < piece.height; ++y) {
      for (int x = 0; x < piece.width; ++x) {
        if (!piece.At(x, y)) continue;
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
    }
    ASSERT_LE(left, right);
    // The piece fills its box one way at least, and lies about its middle.
    EXPECT_GT(std::max(float(right - left + 1) / float(piece.width), float(bottom - top + 1) / float(piece.height)),
              0.75f);
    EXPECT_NEAR((left + right) * 0.5f, piece.width * 0.5f, piece.width * 0.1f);
    EXPECT_NEAR((top + bottom) * 0.5f, piece.height * 0.5f, piece.height * 0.1f);
    // Hovered, the piece and its shadow form one shape: nothing of either stands apart.
    const std::vector<int> parts = Parts(Changed(hovered[size_t(box - 1)], empty, x0, y0, x1, y1));
    ASSERT_FALSE(parts.empty());
    for (size_t i = 1; i < parts.size(); ++i) EXPECT_LT(parts[i], 12) << "a second shape of " << parts[i] << " pixels";
  }
}

}  // namespace
}  // namespace gfxtest
