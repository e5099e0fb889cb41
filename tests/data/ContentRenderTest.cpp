// The game's own art from the packed content, drawn by the real renderer (OpenGL, headless)
// as the game draws it, and read back through screenshots: the board's frame beside its
// blocks, the chain counter beside the score, the goal icons, the credits' band of light
// and the fashion popup's offers.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/app/GameScreen.h"
#include "engine/core/Timer.h"
#include "engine/core/VFS.h"
#include "engine/ui/SpriteSet.h"
#include "engine/ui/UINumber.h"
#include "game/board/KivBlock.h"
#include "game/board/KivWell.h"
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

}  // namespace
}  // namespace gfxtest
