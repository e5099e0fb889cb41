// Well files: reading blocks, decorations and info, writing them back in the Lua table
// forms, what a damaged file does, and the colour table that the files name colours by.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/well/WellDecoration.h"
#include "tests/core/LogCapture.h"
#include "tests/support/TestEnv.h"
#include "tests/well/WellTestSupport.h"

namespace welltest {
namespace {

using well::BaseWell;
using well::WellBlock;

const char* const kLevel = R"(
Blocks = {
  { Type = "normal", Color = "blue", X = 1, Y = 2, Width = 1, Height = 1 },
  { Type = "big", Color = "GREEN", X = 3, Y = 4, Width = 2, Height = 2 },
  { Type = "ghost", Color = "red", X = 0, Y = 0, Width = 1, Height = 1 },
  { Type = "unknown", X = 5, Y = 5, Width = 1, Height = 1 },
}
Decorations = {
  { Image = "leaf", X = 2, Y = 3, Width = 4, Height = 4, OffsetX = 0.005, OffsetY = -0.01,
    Layer = 1, Rotation = 2 },
  { Image = "vine", X = 6, Y = 1, Layer = 4, Rotation = 1 },
  { Image = "", X = 0, Y = 0 },
  { Image = "stone", X = 0, Y = 7, Layer = -2 },
  { Image = "moss", X = 1, Y = 7, Layer = 2.9 },
}
Info = { Background = "garden", Effect = "rain" }
)";

const char* const kSaved =
    "Blocks = \n{ \n"
    "   { \n      Type = \"normal\",\n      Color = \"blue\",\n      X = 1,\n      Y = 2,\n"
    "      Width = 1,\n      Height = 1,\n   }, \n"
    "   { \n      Type = \"big\",\n      Color = \"green\",\n      X = 3,\n      Y = 4,\n"
    "      Width = 2,\n      Height = 2,\n   }, \n"
    "}\n"
    "Decorations = \n{ \n"
    "   { \n      Image = \"vine\",\n      X = 6,\n      Y = 1,\n      OffsetX = 0.000000,\n"
    "      OffsetY = 0.000000,\n      Layer = 4,\n      Rotation = 1,\n   }, \n"
    "   { \n      Image = \"moss\",\n      X = 1,\n      Y = 7,\n      OffsetX = 0.000000,\n"
    "      OffsetY = 0.000000,\n      Layer = 2,\n      Rotation = 0,\n   }, \n"
    "   { \n      Image = \"leaf\",\n      X = 2,\n      Y = 3,\n      OffsetX = 0.005000,\n"
    "      OffsetY = -0.010000,\n      Layer = 1,\n      Rotation = 2,\n   }, \n"
    "   { \n      Image = \"stone\",\n      X = 0,\n      Y = 7,\n      OffsetX = 0.000000,\n"
    "      OffsetY = 0.000000,\n      Layer = 0,\n      Rotation = 0,\n   }, \n"
    "}\n"
    "Info = \n{ \n   Background = \"garden\",\n   Effect = \"rain\",\n}\n";

// "image layer rotation" of every decoration, in list order.
std::vector<std::string> Decorations(const BaseWell& board) {
  std::vector<std::string> out;
  for (const well::WellDecoration* d : board.GetDecorations()) {
    out.push_back(d->imageName + " " + std::to_string(d->layer) + " " +
                  std::to_string(d->rotation));
  }
  return out;
}

// "type colour x,y wxh" of every listed block, in list order.
std::vector<std::string> Blocks(TestWell& board) {
  std::vector<std::string> out;
  for (WellBlock* b : board.GetBlocks()) {
    out.push_back(b->GetTypeName() + " " + well::GetColorName(b->color) + " " +
                  std::to_string(b->targetX) + "," + std::to_string(b->targetY) + " " +
                  std::to_string(b->width) + "x" + std::to_string(b->height));
  }
  return out;
}

TEST_F(WellTest, AWellFileIsReadAndWrittenBackInTheLuaTableForms) {
  MakeBoard();
  Write("levels/round.lua", kLevel);
  LogCapture log;
  ASSERT_TRUE(board_->LoadWell("levels/round.lua", nullptr));
  EXPECT_EQ(log.Count("MSG_ERROR"), 0u);
  EXPECT_EQ(board_->GetFilePath(), "levels/round.lua");

  // Blocks placed at once; the type the board cannot make is skipped.
  EXPECT_EQ(Blocks(*board_), (std::vector<std::string>{"normal blue 1,2 1x1", "big green 3,4 2x2",
                                                       "ghost red 0,0 1x1"}));
  EXPECT_EQ(board_->GetPendingCount(), 0);
  // Sorted by layer, highest first; -2 becomes 0, 2.9 is truncated to 2 (under the
  // blocks), an empty image is skipped; each takes its image's own size.
  EXPECT_EQ(Decorations(*board_),
            (std::vector<std::string>{"vine 4 1", "moss 2 0", "leaf 1 2", "stone 0 0"}));
  const well::WellDecoration* leaf = board_->GetDecorations()[2];
  EXPECT_EQ(leaf->x, 2);
  EXPECT_EQ(leaf->y, 3);
  EXPECT_FLOAT_EQ(leaf->offset.x, 0.005f);
  EXPECT_FLOAT_EQ(leaf->offset.y, -0.01f);
  EXPECT_FLOAT_EQ(leaf->size.x, 0.1f);  // 80 x 60 pixels
  EXPECT_FLOAT_EQ(leaf->size.y, 0.1f);
  EXPECT_EQ(board_->GetBackground(), "garden");
  EXPECT_EQ(board_->GetEffect(), "rain");

  // Written back: blocks with an image column by column, decorations in list order
  // without their widths and heights, info.
  const std::string out = testenv::ProcessDir() + "/levels/out.lua";
  ASSERT_TRUE(board_->SaveWell(out));
  EXPECT_EQ(testenv::ReadFile(out), kSaved);
  EXPECT_FALSE(testenv::FileExists(out + ".tmp"));

  // And read again by another board: the same blocks (but the one without an image),
  // decorations and info.
  TestWell second(*timer_, &events_);
  second.Create(10, 8, math::Vec2(0.1f, 0.1f), math::Vec2(0.2f, 0.16f), math::Vec2(0.02f, 0.02f));
  ASSERT_TRUE(second.LoadWell(out, nullptr));
  EXPECT_EQ(Blocks(second), (std::vector<std::string>{"normal blue 1,2 1x1", "big green 3,4 2x2"}));
  EXPECT_EQ(Decorations(second), Decorations(*board_));
  EXPECT_EQ(second.GetBackground(), "garden");
  EXPECT_EQ(second.GetEffect(), "rain");
}

TEST_F(WellTest, FlagsChooseThePartsThatAreReadAndWritten) {
  MakeBoard();
  Write("levels/round.lua", kLevel);
  ASSERT_TRUE(board_->Load("levels/round.lua", nullptr, well::kWellDecorations));
  EXPECT_EQ(board_->GetBlockCount(), 0);
  EXPECT_EQ(board_->GetDecorations().size(), 4u);
  EXPECT_EQ(board_->GetBackground(), "");

  // Loading adds to what the board holds.
  ASSERT_TRUE(board_->Load("levels/round.lua", nullptr, well::kWellBlocks | well::kWellInfo));
  EXPECT_EQ(board_->GetBlockCount(), 3);
  EXPECT_EQ(board_->GetDecorations().size(), 4u);
  EXPECT_EQ(board_->GetBackground(), "garden");

  const std::string out = testenv::ProcessDir() + "/levels/info.lua";
  ASSERT_TRUE(board_->Save(out, well::kWellInfo));
  EXPECT_EQ(testenv::ReadFile(out), "Info = \n{ \n   Background = \"garden\",\n   Effect = \"rain\",\n}\n");

  // An empty board still writes its blocks table and info (with the defaults of a file
  // that had an empty Info), but no decorations table.
  TestWell empty(*timer_, &events_);
  Write("levels/info_only.lua", "Info = {}");
  ASSERT_TRUE(empty.LoadWell("levels/info_only.lua", nullptr));
  ASSERT_TRUE(empty.SaveWell(out));
  EXPECT_EQ(testenv::ReadFile(out), "Blocks = \n{ \n}\nInfo = \n{ \n   Background = \"random\",\n"
                                    "   Effect = \"none\",\n}\n");
}

TEST_F(WellTest, AFileThatCannotBeRunLeavesTheBoardAsItWas) {
  MakeBoard();
  board_->Put("normal", 0, 0);
  struct Case {
    const char* name;
    const char* text;  // null: no file at all
  };
  const Case cases[] = {
      {"levels/missing.lua", nullptr},
      {"levels/syntax.lua", "Blocks = { {"},
      {"levels/raises.lua", "Blocks = {} error('broken')"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.text) Write(c.name, c.text);
    LogCapture log;
    EXPECT_FALSE(board_->LoadWell(c.name, nullptr));
    EXPECT_TRUE(log.Contains(std::string("Unable to load well from file ") + c.name + "!"));
    EXPECT_TRUE(log.Contains("MSG_ERROR"));
    EXPECT_EQ(board_->GetBlockCount(), 1);
    EXPECT_EQ(board_->GetFilePath(), c.name);
  }

  // A file with none of the tables, or with tables of other types, loads quietly.
  Write("levels/empty.lua", "Blocks = 3 Decorations = 'x' Info = true");
  LogCapture log;
  EXPECT_TRUE(board_->LoadWell("levels/empty.lua", nullptr));
  EXPECT_EQ(log.Count("MSG_WARNING") + log.Count("MSG_ERROR"), 0u) << log.All();
  EXPECT_EQ(board_->GetBlockCount(), 1);
  EXPECT_EQ(board_->GetBackground(), "");
}

TEST_F(WellTest, BlockEntriesOfNoCellsOrOutsideTheGridAreMendedOrSkipped) {
  MakeBoard(10, 8);
  Write("levels/bad.lua", R"(
Blocks = {
  { Type = "a", X = 2, Y = 2 },
  { Type = "b", X = 4, Y = 2, Width = -3, Height = 0 },
  { Type = "c", X = -1, Y = 0, Width = 1, Height = 1 },
  { Type = "d", X = 9, Y = 7, Width = 2, Height = 1 },
  { Type = "e", X = 0, Y = 7, Width = 1, Height = 2000000000 },
  { Type = "f", X = 2147483647, Y = 0, Width = 2147483647, Height = 1 },
  { Type = "g", X = 8, Y = 6, Width = 2, Height = 2 },
}
)");
  LogCapture log;
  ASSERT_TRUE(board_->LoadWell("levels/bad.lua", nullptr));
  // Default and negative sizes become one cell; only entries wholly inside are made.
  EXPECT_EQ(Blocks(*board_), (std::vector<std::string>{"a red 2,2 1x1", "b red 4,2 1x1",
                                                       "g red 8,6 2x2"}));
  EXPECT_EQ(log.Count("does not lie inside the grid; skipped"), 4u);
  EXPECT_TRUE(log.Contains("block 3 at (-1, 0) of 1 x 1"));
  EXPECT_TRUE(log.Contains("MSG_WARNING"));

  // Every entry is read, more than the grid has cells: valid entries after invalid ones
  // still stand.
  TestWell small(*timer_, &events_);
  small.Create(2, 1, math::Vec2(0.0f, 0.0f), math::Vec2(0.04f, 0.02f), math::Vec2(0.02f, 0.02f));
  Write("levels/late.lua",
        "Blocks = {} for i = 1, 50 do Blocks[i] = { Type = 'off', X = 5 } end\n"
        "Blocks[51] = { Type = 'first', X = 0 } Blocks[52] = { Type = 'second', X = 1 }\n");
  log.Clear();
  ASSERT_TRUE(small.LoadWell("levels/late.lua", nullptr));
  EXPECT_EQ(Blocks(small), (std::vector<std::string>{"first red 0,0 1x1", "second red 1,0 1x1"}));
  EXPECT_EQ(log.Count("does not lie inside the grid; skipped"), 50u);

  // A table of more entries than any board needs is read up to the bound, with a warning.
  const std::string limit = std::to_string(BaseWell::kMaxBlockEntries);
  TestWell bounded(*timer_, &events_);
  bounded.Create(2, 1, math::Vec2(0.0f, 0.0f), math::Vec2(0.04f, 0.02f), math::Vec2(0.02f, 0.02f));
  Write("levels/endless.lua",
        "local off = { Type = 'off', X = 5 } Blocks = {}\n"
        "for i = 1, " + limit + " + 10 do Blocks[i] = off end\n"
        "Blocks[" + limit + "] = { Type = 'last', X = 0 } Blocks[" + limit + " + 1] = { Type = 'past', X = 1 }\n");
  log.Clear();
  ASSERT_TRUE(bounded.LoadWell("levels/endless.lua", nullptr));
  EXPECT_EQ(Blocks(bounded), (std::vector<std::string>{"last red 0,0 1x1"}));
  EXPECT_TRUE(log.Contains("lists " + std::to_string(BaseWell::kMaxBlockEntries + 10) +
                           " blocks; those after the first " + limit + " are skipped"));
}

TEST_F(WellTest, ADecorationOffsetThatIsNotFiniteReadsAsZero) {
  MakeBoard();
  Write("levels/offsets.lua", R"(
Decorations = {
  { Image = "a", X = 1, Y = 1, OffsetX = 1/0, OffsetY = 0.01 },
  { Image = "b", X = 2, Y = 1, OffsetX = 0.02, OffsetY = 0/0 },
  { Image = "c", X = 3, Y = 1, OffsetX = -1/0, OffsetY = 1e308 },
}
)");
  LogCapture log;
  ASSERT_TRUE(board_->LoadWell("levels/offsets.lua", nullptr));
  EXPECT_EQ(log.Count("has no finite Offset"), 4u) << log.All();
  EXPECT_TRUE(log.Contains("decoration 1 has no finite OffsetX; 0 is used"));
  std::vector<math::Vec2> offsets;
  for (const well::WellDecoration* d : board_->GetDecorations()) offsets.push_back(d->offset);
  ASSERT_EQ(offsets.size(), 3u);
  for (const math::Vec2& offset : offsets) {
    EXPECT_TRUE(std::isfinite(offset.x) && std::isfinite(offset.y));
  }

  // Written back, the file holds only numbers and reads again without a warning.
  const std::string out = testenv::ProcessDir() + "/levels/offsets_out.lua";
  ASSERT_TRUE(board_->SaveWell(out));
  const std::string text = testenv::ReadFile(out);
  EXPECT_EQ(text.find("inf"), std::string::npos) << text;
  EXPECT_EQ(text.find("nan"), std::string::npos) << text;
  EXPECT_NE(text.find("OffsetY = 0.010000"), std::string::npos) << text;
  log.Clear();
  TestWell second(*timer_, &events_);
  ASSERT_TRUE(second.LoadWell(out, nullptr));
  EXPECT_EQ(second.GetDecorations().size(), 3u);
  EXPECT_EQ(log.Count("MSG_WARNING"), 0u) << log.All();
}

TEST_F(WellTest, ASaveThatFailsKeepsTheOldFile) {
  MakeBoard();
  board_->Put("normal", 1, 1);
  const std::string dir = testenv::MakeTempDir("save");
  const std::string path = dir + "/level.lua";
  ASSERT_TRUE(testenv::WriteFile(path, "Blocks = {}\n"));

  // The folder for the temporary file is missing: nothing is written.
  LogCapture log;
  EXPECT_FALSE(board_->SaveWell(dir + "/no/such/level.lua"));
  // The temporary file cannot replace the well file (a folder stands in its place).
  const std::string blocked = dir + "/blocked.lua";
  ASSERT_TRUE(testenv::WriteFile(blocked + "/x", "x"));
  EXPECT_FALSE(board_->SaveWell(blocked));
  EXPECT_TRUE(log.Contains("Unable to save well file " + blocked));
  EXPECT_FALSE(testenv::FileExists(blocked + ".tmp"));

  EXPECT_EQ(testenv::ReadFile(path), "Blocks = {}\n");
  ASSERT_TRUE(board_->SaveWell(path));
  EXPECT_NE(testenv::ReadFile(path).find("Type = \"normal\""), std::string::npos);
}

TEST(WellColorTest, ColourNamesAndIndexes) {
  struct NameCase {
    const char* name;
    int index;
  };
  const NameCase names[] = {
      {"blue", 0}, {"RED", 2}, {"Turqoise", 6}, {"generic12", 29}, {"none", 30},
      {"empty", 31}, {"filled", 32}, {"any", 34}, {"crimson", 2}, {"", 2},
  };
  for (const NameCase& c : names) EXPECT_EQ(well::FindColor(c.name), c.index) << c.name;

  struct IndexCase {
    int index;
    const char* name;
  };
  const IndexCase indexes[] = {
      {0, "blue"}, {17, "lime"}, {18, "generic1"}, {30, "none"}, {33, "none"},
      {34, "any"}, {-1, "none"}, {35, "none"}, {99, "none"},
  };
  for (const IndexCase& c : indexes) EXPECT_STREQ(well::GetColorName(c.index), c.name) << c.index;
}

TEST_F(WellTest, MatchesColorTakesAnyOnEitherSide) {
  MakeBoard();
  TestBlock* red = board_->Put("normal", 0, 0, 1, 1, "red");
  TestBlock* any = board_->Put("normal", 1, 0, 1, 1, "any");
  EXPECT_TRUE(red->MatchesColor(well::kColorAny));
  EXPECT_TRUE(red->MatchesColor(2));
  EXPECT_FALSE(red->MatchesColor(0));
  EXPECT_TRUE(any->MatchesColor(0));
  EXPECT_TRUE(any->MatchesColor(33));

  // Here "any" is a colour like the others.
  std::vector<WellBlock*> out;
  board_->GetBlocksOfColor(well::kColorAny, out);
  EXPECT_EQ(out, std::vector<WellBlock*>{any});
}

}  // namespace
}  // namespace welltest
