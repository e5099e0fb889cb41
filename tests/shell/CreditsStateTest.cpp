// The credits screen on the shell's test stage: the credits file's line styles, lines
// handed out to the 17 scrolling widgets (repeating when there are fewer, from the first
// again on each entry), widgets the panel lacks, the 7-second rise from the bottom to
// above the top, and a missing credits file.

#include "game/shell/KivCreditsState.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "engine/core/Log.h"
#include "engine/graphics/FontManager.h"
#include "tests/shell/ShellUITest.h"

namespace {

std::vector<std::string>& Lines() {
  static std::vector<std::string> lines;
  return lines;
}

size_t Logged(const std::string& text) {
  size_t count = 0;
  for (const std::string& line : Lines()) count += line.find(text) != std::string::npos;
  return count;
}

class CreditsStateTest : public shelltest::ShellUITest {
 protected:
  void SetUp() override {
    ShellUITest::SetUp();
    // The stage's font under the names of the three line styles.
    for (const char* font : {"BigFont", "MediumFont"}) FontManager::Get().InitBitmapFont(font, "fonts/ui_test.lua");
    std::remove(KivCreditsState::kCreditsFile);  // a file of an earlier test
    Lines().clear();
    Log::Instance().callback = [](const char* text) { Lines().push_back(text); };
  }
  void TearDown() override {
    Log::Instance().callback = nullptr;
    ShellUITest::TearDown();
  }

  // The credits file with these elements (Lua expressions).
  static void WriteCredits(const std::vector<std::string>& elements) {
    std::string text = "CREDITS = {";
    for (const std::string& element : elements) text += " " + element + ",";
    Write(KivCreditsState::kCreditsFile, text + " }\n");
  }
  // The state with a panel of its own that has the "Credits<i>" widgets listed (all
  // when empty), each at x = 0.1 + i / 100.
  std::unique_ptr<KivCreditsState> MakeState(std::vector<int> slots = {}) {
    auto state = std::make_unique<KivCreditsState>(nullptr);
    ui::UIWidget* panel = MakePanel("credits");
    if (slots.empty()) {
      for (int i = 0; i < KivCreditsState::kSlotCount; ++i) slots.push_back(i);
    }
    for (int i : slots) {
      MakeChild(panel, "Credits" + std::to_string(i), math::Vec2(0.1f + i / 100.0f, 0.0f), math::Vec2(0.5f, 0.04f));
    }
    state->AttachPanel(panel);
    return state;
  }
  static std::string TextOf(const KivCreditsState& state, int slot) {
    return state.GetSlot(slot).widget ? state.GetSlot(slot).widget->GetText() : "(none)";
  }
};

TEST_F(CreditsStateTest, TheMarkersChooseTheStyleAndAreDropped) {
  WriteCredits({"'#Big'", "'*Medium'", "'plain'", "'#'", "'##x'", "'**y'", "42", "{}", "''"});
  std::vector<KivCreditsState::Line> lines;
  ASSERT_TRUE(KivCreditsState::ReadCredits(KivCreditsState::kCreditsFile, &lines));
  const struct {
    const char* text;
    uint32_t style;
  } expected[] = {{"Big", 2}, {"Medium", 1}, {"plain", 0}, {"", 2}, {"#x", 2},
                  {"*y", 1},  {"", 0},       {"", 0},      {"", 0}};
  ASSERT_EQ(lines.size(), std::size(expected));
  for (size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i].text, expected[i].text) << i;
    EXPECT_EQ(lines[i].style, expected[i].style) << i;
  }
  EXPECT_STREQ(KivCreditsState::StyleFont(2), "BigFont");
  EXPECT_STREQ(KivCreditsState::StyleFont(1), "MediumFont");
  EXPECT_STREQ(KivCreditsState::StyleFont(0), "SmallFont");

  // A missing, empty or non-table "CREDITS" gives no lines and no message.
  for (const char* file : {"X = 1\n", "CREDITS = {}\n", "CREDITS = 'text'\n"}) {
    Write(KivCreditsState::kCreditsFile, file);
    EXPECT_TRUE(KivCreditsState::ReadCredits(KivCreditsState::kCreditsFile, &lines)) << file;
    EXPECT_TRUE(lines.empty()) << file;
  }
  // A huge file is held to its bounds.
  Write(KivCreditsState::kCreditsFile,
        "CREDITS = {} local long = string.rep('x', 5000) for i = 1, 5000 do CREDITS[i] = long end\n");
  ASSERT_TRUE(KivCreditsState::ReadCredits(KivCreditsState::kCreditsFile, &lines));
  EXPECT_EQ(lines.size(), static_cast<size_t>(KivCreditsState::kMaxLines));
  EXPECT_EQ(lines.back().text.size(), KivCreditsState::kMaxLineLength);
}

TEST_F(CreditsStateTest, FewerThanSeventeenLinesRepeatAndEachEntryStartsFromTheFirst) {
  WriteCredits({"'#Title'", "'one'", "'two'", "'*three'", "'four'"});
  std::unique_ptr<KivCreditsState> state = MakeState();
  ASSERT_EQ(state->Lines().size(), 5u);
  ASSERT_TRUE(state->OnEnter());
  const char* texts[] = {"Title", "one", "two", "three", "four"};
  const char* fonts[] = {"BigFont", "SmallFont", "SmallFont", "MediumFont", "SmallFont"};
  for (int i = 0; i < KivCreditsState::kSlotCount; ++i) {
    EXPECT_EQ(TextOf(*state, i), texts[i % 5]) << i;
    EXPECT_EQ(state->GetSlot(i).widget->GetFont(), fonts[i % 5]) << i;
    // Placed at the bottom, spaced 7/17 s apart.
    EXPECT_FLOAT_EQ(state->GetSlot(i).widget->GetPosition().y, 1.0f);
    EXPECT_FLOAT_EQ(state->GetSlot(i).timer.remaining, 7.0f * i / 17.0f) << i;
  }
  EXPECT_EQ(state->NextLine(), 2u);  // 17 lines handed out: wrapped three times

  // Slot 0 runs out on the first tick and takes the next line.
  state->Tick(0.01f);
  EXPECT_EQ(TextOf(*state, 0), "two");
  EXPECT_EQ(state->NextLine(), 3u);

  state->OnExit();
  EXPECT_EQ(state->NextLine(), 0u);
  ASSERT_TRUE(state->OnEnter());
  EXPECT_EQ(TextOf(*state, 0), "Title");
  EXPECT_EQ(TextOf(*state, 1), "one");
}

TEST_F(CreditsStateTest, LinesRiseFromTheBottomToAboveTheTopInSevenSeconds) {
  WriteCredits({"'a'", "'b'", "'c'"});
  // Only Credits0 and Credits9: the other slots stay idle and take no lines.
  std::unique_ptr<KivCreditsState> state = MakeState({0, 9});
  ASSERT_TRUE(state->OnEnter());
  EXPECT_FALSE(state->GetSlot(5).widget);
  EXPECT_EQ(TextOf(*state, 0), "a");
  EXPECT_EQ(TextOf(*state, 9), "b");
  ui::UIWidget* line = state->GetSlot(0).widget.Get();
  const float x = line->GetPosition().x;

  state->Tick(0.5f);  // slot 0 starts over: at the bottom with the next line
  EXPECT_EQ(TextOf(*state, 0), "c");
  EXPECT_FLOAT_EQ(line->GetPosition().y, 1.0f);
  for (int i = 0; i < 7; ++i) state->Tick(0.5f);
  EXPECT_NEAR(line->GetPosition().y, 1.0f - 1.1f * 0.5f, 1e-5f);
  EXPECT_FLOAT_EQ(line->GetPosition().x, x);
  EXPECT_EQ(TextOf(*state, 9), "a") << "slot 9 ran out after 7 x 9 / 17 s";
  for (int i = 0; i < 7; ++i) state->Tick(0.5f);
  EXPECT_NEAR(line->GetPosition().y, -0.1f, 1e-5f);
  EXPECT_EQ(TextOf(*state, 0), "c");
  state->Tick(0.5f);
  EXPECT_FLOAT_EQ(line->GetPosition().y, 1.0f);
  EXPECT_EQ(TextOf(*state, 0), "b");
}

// A script or the console reloads the visible panels (RefreshActive) while the credits
// scroll: the slots held widgets of the deleted panel. They find their widgets again in
// the reloaded one, which show the same lines and go on rising.
TEST_F(CreditsStateTest, ReloadingThePanelWhileItScrollsKeepsTheLinesGoing) {
  WriteCredits({"'#Title'", "'one'", "'two'", "'three'", "'four'", "'five'"});
  std::string children;
  for (int i = 0; i < KivCreditsState::kSlotCount; ++i) {
    children += "{ Name = 'Credits" + std::to_string(i) + "', Pos = { 0.1, 0 }, Size = { 0.5, 0.04 }, Text = 'file' },";
  }
  Write(KivCreditsState::kPanelFile, "Panel = { Name = 'credits', Size = { 1, 1 }, Children = { " + children + " } }\n");
  KivCreditsState state(nullptr);
  ASSERT_EQ(state.PanelCount(), 1u);
  ASSERT_TRUE(state.OnEnter());
  for (int i = 0; i < 20; ++i) state.Tick(0.1f);
  std::vector<std::string> shown;
  std::vector<float> heights;
  for (int i = 0; i < KivCreditsState::kSlotCount; ++i) {
    shown.push_back(TextOf(state, i));
    heights.push_back(state.GetSlot(i).widget->GetPosition().y);
  }
  const uint32_t next = state.NextLine();

  Run("GetUIMan():RefreshActive()");
  ui::UIWidget* reloaded = ui_.GetPanel("credits");
  ASSERT_NE(reloaded, nullptr);
  EXPECT_EQ(state.GetPanel(0), reloaded);
  EXPECT_FALSE(state.GetSlot(0).widget) << "the old panel's widgets are gone";

  state.Tick(0.01f);
  for (int i = 0; i < KivCreditsState::kSlotCount; ++i) {
    SCOPED_TRACE(i);
    ASSERT_TRUE(state.GetSlot(i).widget);
    EXPECT_EQ(state.GetSlot(i).widget.Get(), reloaded->GetWidgetByName("Credits" + std::to_string(i)));
    EXPECT_EQ(TextOf(state, i), shown[static_cast<size_t>(i)]);
    EXPECT_LT(state.GetSlot(i).widget->GetPosition().y, heights[static_cast<size_t>(i)]) << "still rising";
  }
  EXPECT_EQ(state.NextLine(), next) << "no line was handed out twice";
  for (int i = 0; i < 80; ++i) state.Tick(0.1f);

  state.OnExit();
  EXPECT_FALSE(reloaded->GetIsVisible()) << "leaving hides the reloaded panel";
}

TEST_F(CreditsStateTest, AMissingCreditsFileLogsOnceAndTheScreenShowsNoText) {
  std::unique_ptr<KivCreditsState> state = MakeState();
  EXPECT_EQ(Logged("Unable to load Credits !"), 1u);
  EXPECT_TRUE(state->Lines().empty());
  ASSERT_TRUE(state->OnEnter());
  for (int i = 0; i < 40; ++i) state->Tick(0.5f);
  for (int i = 0; i < KivCreditsState::kSlotCount; ++i) EXPECT_EQ(TextOf(*state, i), "") << i;
  EXPECT_EQ(Logged("Unable to load Credits !"), 1u);

  // Without its panel (a script dropped it) the entry reports failure and nothing scrolls.
  ASSERT_TRUE(ui_.DropPanel(state->GetPanel(0), true));
  EXPECT_FALSE(state->OnEnter());
  state->Tick(1.0f);
}

}  // namespace
