// Runs each input as a well file into a board of 15 x 12 cells, steps and draws the board
// (on a renderer that draws nothing), writes it back, and reads the written file into a
// second board: a written well file must always load again. Then the same input loads as
// a level into the game's board (its tile header, its block names with their parameters),
// which fills its tiles, clears a chain, steps its effects, draws, saves and loads the
// saved file again with the same tiles. The game's board loads it with a level record
// whose goals (a tile goal, a chain goal and a clock) and automatic generator come from
// the tables, so the goals count the chain and the generator refills.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/graphics/Image.h"
#include "engine/well/GameWell.h"
#include "engine/well/WellBlock.h"
#include "game/board/KivBlock.h"
#include "game/board/KivWell.h"
#include "game/board/LevelInfo.h"
#include "tests/fuzz/FuzzFolder.h"
#include "tests/graphics/FakeRenderer.h"

namespace {

// Every image name gives a 32 x 32 image without a surface.
class ImageOnlyGraphics : public NullGraphics {
 public:
  ImageOnlyGraphics() { SetGraphics(this); }
  Image* LoadImage(const std::string& name) override {
    Image* image = new Image;
    image->name = name;
    image->width = 32;
    image->height = 32;
    return image;
  }
};

class FuzzBlock : public well::WellBlock {
 public:
  FuzzBlock(well::BaseWell* board, const std::string& type, int32_t colour, int32_t w,
            int32_t h)
      : type_(type) {
    well = board;
    color = colour;
    SetSize(w, h);
    sprite.Init("block", math::Vec2(0.0f, 0.0f), math::Vec2(1.0f, 1.0f), false);
    timer.duration = 0.03f;
  }
  std::string GetTypeName() const override { return type_; }

 private:
  std::string type_;
};

// Makes a block of any type but "none".
class FuzzWell : public well::GameWell {
 public:
  FuzzWell() : GameWell(nullptr) {
    Create(15, 12, math::Vec2(0.1f, 0.1f), math::Vec2(0.3f, 0.24f), math::Vec2(0.02f, 0.02f));
  }
  well::WellBlock* CreateBlock(const std::string& type, const std::string& color, int32_t x,
                               int32_t y, int32_t w, int32_t h) override {
    if (type == "none") return nullptr;
    return new FuzzBlock(this, type, well::FindColor(color), w, h);
  }
};

bool WriteInput(const std::string& path, const uint8_t* data, size_t size) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool ok = std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && ok;
}

}  // namespace

namespace {

// The level record the game's board loads the input with.
const LevelData* FuzzLevel() {
  static const LevelData* level = [] {
    const std::string goals = FuzzFolder() + "/goals.lua";
    const std::string levels = FuzzFolder() + "/levels.lua";
    const char goalText[] =
        "Goals = { { GoalName = 'tiles', Type = 'CLEAR_TILE' },\n"
        "  { GoalName = 'chains', Type = 'BIGSET', Count = 2, Quality = 3 },\n"
        "  { GoalName = 'clock', Type = 'TIME', Count = 1 } }\n";
    const char levelText[] =
        "Levels = { { LevelName = 'fuzz', Goal1 = 'tiles', Goal2 = 'chains', Failure = 'clock',\n"
        "  flower_1 = 3, flower_2 = 2, flower_5 = 1, token_flower = 4, token_zen = 1,\n"
        "  GenMode = 'AUTO', GenSpeed = 0.1 } }\n";
    if (!WriteInput(goals, reinterpret_cast<const uint8_t*>(goalText), sizeof goalText - 1) ||
        !WriteInput(levels, reinterpret_cast<const uint8_t*>(levelText), sizeof levelText - 1)) {
      std::abort();
    }
    LevelInfo::Instance().LoadGoals(goals);
    LevelInfo::Instance().LoadLevels(levels);
    const LevelData* found = LevelInfo::Instance().FindLevel("fuzz");
    if (!found) std::abort();
    return found;
  }();
  return level;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static ImageOnlyGraphics graphics;
  const std::string input = FuzzFolder() + "/input.lua";
  const std::string output = FuzzFolder() + "/output.lua";
  if (!WriteInput(input, data, size)) std::abort();

  FuzzWell board;
  if (!board.LoadWell(input, nullptr)) return 0;
  for (int i = 0; i < 4; ++i) board.Tick(0.03f);
  board.Render();
  board.RenderDecorations(true, true, true);
  board.RenderDecorations(false, false, false);
  for (int i = 0; i < 3; ++i) board.DeleteDecoration(math::Vec2(0.1f + 0.05f * i, 0.15f));
  if (!board.SaveWell(output)) std::abort();

  FuzzWell second;
  if (!second.LoadWell(output, nullptr)) std::abort();
  if (second.GetDecorations().size() != board.GetDecorations().size()) std::abort();

  const std::string saved = FuzzFolder() + "/game_output.lua";
  KivWell game(nullptr);
  game.Load(input, FuzzLevel());
  game.SetSpellCost(0, 20);
  game.FillTiledCells();
  std::vector<KivBlock*> chain;
  for (well::WellBlock* block : game.GetBlocks()) {
    if (chain.size() < 6) chain.push_back(static_cast<KivBlock*>(block));
  }
  game.ResolveChain(chain, false, true);
  for (int i = 0; i < 12; ++i) game.Tick(0.05f);
  game.Render();
  if (!game.SaveWell(saved)) std::abort();
  KivWell reloaded(nullptr);
  reloaded.Load(saved, nullptr);
  for (int y = 0; y < KivWell::kGridHeight; ++y) {
    for (int x = 0; x < KivWell::kGridWidth; ++x) {
      const int32_t value = reloaded.GetTileValue(x, y);
      if (value != game.GetTileValue(x, y) || value < 0 || value > KivWell::kMaxTileValue) std::abort();
    }
  }
  return 0;
}
