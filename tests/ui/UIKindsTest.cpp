// The choice, text and display kinds: check boxes, drop-down lists, multi-line texts,
// graphs, poly-lines and calendars, loaded from panels and driven through the manager.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "engine/core/DateUtil.h"
#include "engine/graphics/Image.h"
#include "engine/ui/UICalendar.h"
#include "engine/ui/UICheckBox.h"
#include "engine/ui/UIDropDown.h"
#include "engine/ui/UIGraph.h"
#include "engine/ui/UIMultiLine.h"
#include "engine/ui/UIPolyLine.h"
#include "engine/core/StringUtil.h"
#include "tests/core/LogCapture.h"
#include "tests/ui/UITestSupport.h"

namespace {

using ui::UIWidget;

class UIKindsTest : public uitest::UITest {
 protected:
  void TearDown() override {
    SetTodayForTests(-1);
    UITest::TearDown();
  }
  // Loads a one-widget panel and returns the widget named "it".
  template <typename Kind>
  Kind* LoadOne(const std::string& entry) {
    Write("ui/one.ui", "Panel = { Name = 'one', Size = { 1, 1 }, Children = { { Name = 'it', " +
                           entry + " } } }\n");
    UIWidget* panel = ui_.AddPanel("ui/one.ui");
    EXPECT_NE(panel, nullptr);
    UIWidget* found = panel ? panel->FindChild("it") : nullptr;
    auto* widget = dynamic_cast<Kind*>(found);
    EXPECT_NE(widget, nullptr);
    return widget;
  }
  // Saves the panel and loads it again under the same name.
  UIWidget* SaveAndReload() {
    UIWidget* panel = ui_.GetPanel("one");
    EXPECT_TRUE(ui_.SavePanel(panel, "ui/one_saved.ui"));
    ui_.DropPanel(panel, true);
    UIWidget* again = ui_.AddPanel("ui/one_saved.ui");
    return again ? again->FindChild("it") : nullptr;
  }
  // The names of the images bound for the draws since the last call.
  std::vector<std::string> Bound() {
    std::vector<std::string> names;
    for (size_t i = seen_; i < renderer_.textures.size(); ++i) {
      const Image* image = renderer_.textures[i].second;
      names.push_back(image ? image->name : "");
    }
    seen_ = renderer_.textures.size();
    return names;
  }
  static size_t CountOf(const std::vector<std::string>& names, const std::string& name) {
    size_t count = 0;
    for (const std::string& n : names) count += n == name;
    return count;
  }
  size_t seen_ = 0;
};

// --- Check box ---

TEST_F(UIKindsTest, ACheckBoxTogglesOnAReleaseOverIt) {
  auto* box = LoadOne<ui::UICheckBox>(
      "Type = 'CheckBox', Pos = { 0.1, 0.1 }, Size = { 0.05, 0.05 }, CheckedImg = 'img/on.png', "
      "UncheckedImg = 'img/off.png', lmb_release = 'released = (released or 0) + 1'");
  ASSERT_NE(box, nullptr);
  struct Step {
    math::Vec2 at;
    bool checked;
    size_t sounds;
    const char* released;
  };
  const Step steps[] = {
      {{0.12f, 0.12f}, true, 1, "1"},
      {{0.5f, 0.5f}, true, 1, "1"},  // outside: nothing
      {{0.15f, 0.15f}, false, 2, "2"},  // the corner counts
  };
  for (const Step& step : steps) {
    Release(step.at);
    EXPECT_EQ(box->IsChecked(), step.checked);
    EXPECT_EQ(uitest::Sounds::Instance().Count("button_press"), step.sounds);
    EXPECT_EQ(Global("released"), step.released);
  }
  box->SetChecked(true);  // fires and plays nothing
  EXPECT_EQ(uitest::Sounds::Instance().Count("button_press"), 2u);
  EXPECT_EQ(Global("released"), "2");

  ui_.Render();
  EXPECT_EQ(CountOf(Bound(), "img/on.png"), 1u);
  box = dynamic_cast<ui::UICheckBox*>(SaveAndReload());
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(box->IsChecked());
  EXPECT_EQ(box->images[ui::UICheckBox::kUncheckedImage].fileName, "img/off.png");
}

// --- Drop-down ---

TEST_F(UIKindsTest, ADropDownOpensPicksARowAndCloses) {
  auto* list = LoadOne<ui::UIDropDown>(
      "Type = 'DropDown', Pos = { 0.1, 0.1 }, Size = { 0.3, 0.05 }, Options = { 'A', 'B', 7 }, "
      "DropBG = 'img/list.png', selected = 'picked = (picked or 0) + 1'");
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->OptionCount(), 2u);  // the number is skipped
  EXPECT_EQ(list->GetSelected(), 0);
  EXPECT_EQ(list->GetText(), "A");

  struct Step {
    const char* name;
    math::Vec2 at;
    bool open;
    int selected;
    const char* picked;
  };
  const Step steps[] = {
      {"open", {0.2f, 0.12f}, true, 0, ""},
      {"pick row 2", {0.2f, 0.22f}, false, 1, "1"},
      {"open again", {0.2f, 0.12f}, true, 1, "1"},
      {"close on the button", {0.2f, 0.12f}, false, 1, "1"},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    Release(step.at);
    EXPECT_EQ(list->IsOpen(), step.open);
    EXPECT_EQ(list->GetSelected(), step.selected);
    EXPECT_EQ(Global("picked"), step.picked);
    if (step.open) {
      EXPECT_EQ(ui_.GetOpenDropDown(), list);
    }
  }
  EXPECT_EQ(list->GetText(), "B");
  EXPECT_EQ(list->GetSelectedText(), "B");

  // A press outside an open list only closes it.
  Release({0.2f, 0.12f});
  Press({0.8f, 0.8f});
  EXPECT_FALSE(list->IsOpen());
  EXPECT_EQ(ui_.GetOpenDropDown(), nullptr);

  list->SetCurrentOption(5);
  EXPECT_EQ(list->GetSelected(), 5);
  EXPECT_EQ(list->GetText(), "B");
  EXPECT_EQ(list->GetSelectedText(), "");
  EXPECT_EQ(list->GetOriginalSelectedText(), "");
  list->SetCurrentOptionFromText("A");
  EXPECT_EQ(list->GetSelected(), 0);
  EXPECT_EQ(Global("picked"), "1");  // neither fires

  // Saved: the images and the flag stay, the options do not.
  list = dynamic_cast<ui::UIDropDown*>(SaveAndReload());
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->OptionCount(), 0u);
  EXPECT_EQ(list->GetSelected(), -1);
  EXPECT_EQ(list->images[ui::UIDropDown::kListImage].fileName, "img/list.png");
}

TEST_F(UIKindsTest, ADropDownThatCoversCompletelyOpensAnywhereAndShowsNoText) {
  auto* list = LoadOne<ui::UIDropDown>(
      "Type = 'dropdown', Pos = { 0.1, 0.1 }, Size = { 0.3, 0.05 }, Options = { 'A', 'B' }, "
      "CoversCompletely = 1, DropButton = 'img/arrow.png'");
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->GetText(), "");
  // The button is the square at the right end; a click left of it opens all the same.
  EXPECT_FLOAT_EQ(list->buttonPosition.x, 0.35f);
  Release({0.12f, 0.12f});
  EXPECT_TRUE(list->IsOpen());
  Release({0.2f, 0.22f});
  EXPECT_EQ(list->GetSelected(), 1);
  EXPECT_EQ(list->GetText(), "");
  EXPECT_EQ(list->GetSelectedText(), "B");

  // The button rectangle follows the widget.
  list->SetPosition({0.2f, 0.1f});
  EXPECT_FLOAT_EQ(list->buttonPosition.x, 0.45f);
  auto* clone = dynamic_cast<ui::UIDropDown*>(list->GetClone());
  ASSERT_NE(clone, nullptr);
  EXPECT_EQ(clone->OptionCount(), 2u);
  EXPECT_EQ(clone->GetSelected(), 1);
  EXPECT_FALSE(clone->coversCompletely);
  delete clone;
}

// --- Multi-line text ---

TEST_F(UIKindsTest, AMultiLineTextWrapsAndScrollsFromItsFirstLine) {
  // The inner box is 72 pixels wide: one four-letter word (40 pixels) to a line.
  auto* text = LoadOne<ui::UIMultiLine>(
      "Type = 'MultiLine', Pos = { 0.1, 0.1 }, Size = { 0.1, 0.1 }, "
      "Text = 'aaaa bbbb cccc dddd eeee ffff gggg hhhh iiii jjjj'");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->LineCount(), 10);
  EXPECT_EQ(text->FirstLine(), 0);
  EXPECT_GT(text->LineHeight(), 0.0f);  // the font's

  const auto glyphsDrawn = [&] {
    renderer_.draws.clear();
    text->Render(false);
    size_t vertices = 0;
    for (const auto& draw : renderer_.draws) vertices += draw.vertices.size();
    return vertices / 6;
  };
  const size_t all = glyphsDrawn();
  const float top = renderer_.draws.back().vertices[1].y;

  text->ScrollUp();
  EXPECT_EQ(text->FirstLine(), 0);
  text->ScrollDown();
  EXPECT_EQ(text->FirstLine(), 1);
  EXPECT_LT(glyphsDrawn(), all);
  EXPECT_FLOAT_EQ(renderer_.draws.back().vertices[1].y, top);  // "bbbb" takes the top line
  for (int i = 0; i < 20; ++i) text->ScrollDown();
  EXPECT_GT(text->FirstLine(), 1);
  EXPECT_LT(text->FirstLine(), text->LineCount());
  text->ScrollUp();
  EXPECT_GE(text->FirstLine(), 1);

  auto* clone = dynamic_cast<ui::UIMultiLine*>(text->GetClone());
  ASSERT_NE(clone, nullptr);
  EXPECT_EQ(clone->LineCount(), 10);
  EXPECT_EQ(clone->FirstLine(), text->FirstLine());
  delete clone;

  // Saved and loaded again the text comes back: it lives in the multi-line's own field,
  // not in the base text block, and the save once wrote Text = "".
  text = dynamic_cast<ui::UIMultiLine*>(SaveAndReload());
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(ToNarrow(text->GetSourceText()), "aaaa bbbb cccc dddd eeee ffff gggg hhhh iiii jjjj");
  EXPECT_EQ(text->LineCount(), 10);
}

// --- Graph ---

TEST_F(UIKindsTest, AGraphRisesInAboutThreeQuartersOfASecondAndDropsBack) {
  auto* graph = LoadOne<ui::UIGraph>(
      "Type = 'Graph', Pos = { 0, 0 }, Size = { 0.5, 0.4 }, Nodes = { 0, 50, 100 }, "
      "RangeAuto = false, Range = { 0, 100 }, "
      "graph_risen = 'risen = (risen or 0) + 1', graph_dropped = 'dropped = (dropped or 0) + 1'");
  ASSERT_NE(graph, nullptr);
  EXPECT_TRUE(graph->plotValid);
  graph->RiseGraph();
  for (int i = 0; i < 72; ++i) ui_.Tick(0.01f);
  EXPECT_EQ(graph->state, ui::UIGraph::GS_Rising);
  EXPECT_EQ(Global("risen"), "");
  ui_.Tick(0.01f);  // 0.73 s
  EXPECT_EQ(graph->state, ui::UIGraph::GS_Risen);
  EXPECT_EQ(graph->heightFactor, 1.0f);
  for (int i = 0; i < 10; ++i) ui_.Tick(0.01f);
  EXPECT_EQ(Global("risen"), "1");
  // 0 at the bottom, 50 halfway up, 100 at the top.
  EXPECT_FLOAT_EQ(graph->points[0], 0.4f);
  EXPECT_FLOAT_EQ(graph->points[1], 0.2f);
  EXPECT_FLOAT_EQ(graph->points[2], 0.0f);

  graph->DropGraph();
  for (int i = 0; i < 200; ++i) ui_.Tick(0.01f);
  EXPECT_EQ(graph->state, ui::UIGraph::GS_Dropped);
  EXPECT_EQ(Global("dropped"), "1");
  EXPECT_FLOAT_EQ(graph->points[2], 0.4f);
}

// In a panel away from the corner the graph draws over its own widget (its plot area is in
// screen units), and the plot follows the widget when the panel moves.
TEST_F(UIKindsTest, AGraphInAMovedPanelDrawsOverItsWidget) {
  Write("ui/charts.ui",
        "Panel = { Name = 'charts', Pos = { 0.2, 0.3 }, Size = { 0.6, 0.6 }, Children = {"
        " { Name = 'it', Type = 'graph', Pos = { 0.1, 0.1 }, Size = { 0.4, 0.2 }, Nodes = { 0, 100 },"
        "   RangeAuto = false, Range = { 0, 100 }, GraphFillImage = 'img/fill.png' } } }\n");
  UIWidget* panel = ui_.AddPanel("ui/charts.ui");
  ASSERT_NE(panel, nullptr);
  auto* graph = dynamic_cast<ui::UIGraph*>(panel->FindChild("it"));
  ASSERT_NE(graph, nullptr);
  graph->heightFactor = 1.0f;
  ui_.cursorShown = false;  // only the graph draws

  struct Case {
    const char* name;
    math::Vec2 panelAt;
  };
  const Case cases[] = {{"as loaded", {0.2f, 0.3f}}, {"moved", {0.05f, 0.1f}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    panel->SetPosition(c.panelAt);
    const math::Vec2 at = c.panelAt + math::Vec2(0.1f, 0.1f);
    EXPECT_NEAR(graph->origin.x, at.x, 1e-6f);
    EXPECT_NEAR(graph->origin.y, at.y, 1e-6f);
    EXPECT_NEAR(graph->points[0], at.y + 0.2f, 1e-6f) << "0 on the widget's bottom edge";
    EXPECT_NEAR(graph->points[1], at.y, 1e-6f) << "100 on its top edge";
    renderer_.draws.clear();
    ui_.Render();
    const std::vector<ScreenVertex> drawn = renderer_.AllVertices();
    ASSERT_FALSE(drawn.empty());
    for (const ScreenVertex& v : drawn) {
      EXPECT_GE(v.x, at.x * 800.0f - 1.0f);
      EXPECT_LE(v.x, (at.x + 0.4f) * 800.0f + 1.0f);
      EXPECT_GE(v.y, at.y * 600.0f - 1.0f);
      EXPECT_LE(v.y, (at.y + 0.2f) * 600.0f + 1.0f);
    }
  }
}

TEST_F(UIKindsTest, GraphColumnsStandAtChosenNodesOnlyOverAFill) {
  struct Case {
    const char* name;
    const char* keys;
    size_t columns;
  };
  const Case cases[] = {
      {"every 2", "GraphFillImage = 'img/fill.png', GraphColumnEvery = 2", 3},
      {"first and last", "GraphFillImage = 'img/fill.png'", 2},
      {"no fill", "GraphColumnEvery = 2", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto* graph = LoadOne<ui::UIGraph>(std::string("Type = 'graph', Size = { 0.5, 0.4 }, ") +
                                       "Nodes = { 1, 3, 2, 5, 4 }, GraphColumnImage = 'img/column.png', " +
                                       c.keys);
    ASSERT_NE(graph, nullptr);
    graph->heightFactor = 1.0f;
    graph->ComputePoints();
    Bound();
    ui_.Render();
    const std::vector<std::string> bound = Bound();
    EXPECT_EQ(CountOf(bound, "img/column.png"), c.columns);
    EXPECT_EQ(CountOf(bound, "img/fill.png"), c.columns > 0 ? 4u : 0u);
    ui_.DropAllPanels();
  }
  // No width left by the offsets: only the base widget draws.
  auto* narrow = LoadOne<ui::UIGraph>(
      "Type = 'graph', Size = { 0.2, 0.4 }, TLOffset = { 0.1, 0 }, BROffset = { 0.1, 0 }, "
      "GraphFillImage = 'img/fill.png'");
  ASSERT_NE(narrow, nullptr);
  EXPECT_FALSE(narrow->plotValid);
  ui_.Render();
  EXPECT_EQ(CountOf(Bound(), "img/fill.png"), 0u);
}

TEST_F(UIKindsTest, GraphDotsStayBoundedForFarOutAndBrokenNodes) {
  auto* graph = LoadOne<ui::UIGraph>(
      "Type = 'graph', Size = { 0.5, 0.4 }, RangeAuto = false, Range = { 0, 1 }, "
      "Nodes = { 0, 1e30, -1e30, 0/0, 1 }, GraphPointImage = 'img/dot.png', TLOffset = { -1e20, 0 }");
  ASSERT_NE(graph, nullptr);
  graph->heightFactor = 1.0f;
  graph->ComputePoints();
  Bound();
  ui_.Render();
  const size_t dots = CountOf(Bound(), "img/dot.png");
  EXPECT_GT(dots, 0u);
  EXPECT_LE(dots, 4u * 1002u);
}

// --- Poly-line and calendar ---

TEST_F(UIKindsTest, APolyLineDrawsBarsOverItsStraightSegmentsOnly) {
  auto* line = LoadOne<ui::UIPolyLine>(
      "Type = 'PolyLine', Pos = { 0.2, 0.2 }, LineWidth = { 0.01, 0.02 }, "
      "SegmentImage = 'img/bar.png', Points = { { 0, 0 }, { 0.1, 0 }, { 0.1, 0.1 }, { 0.2, 0.2 } }");
  ASSERT_NE(line, nullptr);
  renderer_.draws.clear();
  line->Render(false);
  ASSERT_EQ(renderer_.draws.size(), 2u);  // the diagonal draws nothing
  struct Box {
    float left, top, right, bottom;
  };
  const auto boxOf = [](const FakeRenderer::Draw& draw) {
    Box box{1e9f, 1e9f, -1e9f, -1e9f};
    for (const ScreenVertex& v : draw.vertices) {
      box = {std::min(box.left, v.x + 0.5f), std::min(box.top, v.y + 0.5f),
             std::max(box.right, v.x + 0.5f), std::max(box.bottom, v.y + 0.5f)};
    }
    return box;
  };
  const Box horizontal = boxOf(renderer_.draws[0]);
  const Box vertical = boxOf(renderer_.draws[1]);
  EXPECT_NEAR(horizontal.left, 156.0f, 1e-3);  // half a line width before the start
  EXPECT_NEAR(horizontal.right, 244.0f, 1e-3);
  EXPECT_NEAR(horizontal.top, 114.0f, 1e-3);
  EXPECT_NEAR(horizontal.bottom, 126.0f, 1e-3);
  EXPECT_NEAR(vertical.left, 236.0f, 1e-3);  // over the corner
  EXPECT_NEAR(vertical.top, 114.0f, 1e-3);
  EXPECT_NEAR(vertical.bottom, 186.0f, 1e-3);
  EXPECT_EQ(renderer_.draws[0].vertices[0].color, 0xFFFFFFFFu);

  ui_.DropAllPanels();
  auto* single = LoadOne<ui::UIPolyLine>("Type = 'polyline', Points = { { 0.1, 0.1 } }");
  ASSERT_NE(single, nullptr);
  EXPECT_TRUE(single->points.empty());
}

TEST_F(UIKindsTest, ACalendarLaysOutWeeksFromTheMondayThreeWeeksBack) {
  // Wednesday 4 March 2026: the grid runs from Monday 9 February to Sunday 8 March.
  constexpr int32_t kWednesday = 20516;
  SetTodayForTests(kWednesday);
  const char* images =
      "EvenMonthCellImage = 'img/even.png', OddMonthCellImage = 'img/odd.png', "
      "WeekDayCellImage = 'img/head.png', CurDayHightlightImage = 'img/today.png'";
  struct Case {
    int weeks;
    int todayRow;
  };
  for (const Case c : {Case{4, 4}, Case{6, 4}, Case{0, 4}}) {
    SCOPED_TRACE(c.weeks);
    LogCapture log;
    auto* calendar = LoadOne<ui::UICalendar>("Type = 'Calendar', Pos = { 0.1, 0.1 }, Size = { 0.7, 0.5 }, " +
                                             std::string(images) +
                                             ", WeeksCount = " + std::to_string(c.weeks));
    ASSERT_NE(calendar, nullptr);
    const int weeks = c.weeks == 0 ? 4 : c.weeks;
    EXPECT_EQ(calendar->weeksCount, weeks);
    EXPECT_EQ(log.Contains("WeeksCount"), c.weeks == 0);
    EXPECT_EQ(calendar->firstDay, kWednesday - 2 - 21);
    Bound();
    ui_.Render();
    const std::vector<std::string> bound = Bound();
    // February (odd) to the 28th, then March (even): one switch of image.
    std::vector<std::string> cells;
    for (const std::string& name : bound) {
      if (name == "img/even.png" || name == "img/odd.png") cells.push_back(name);
    }
    ASSERT_EQ(cells.size(), static_cast<size_t>(7 * weeks));
    EXPECT_EQ(std::count(cells.begin(), cells.begin() + 20, "img/odd.png"), 20);
    EXPECT_EQ(std::count(cells.begin() + 20, cells.end(), "img/even.png"), 7 * weeks - 20);
    EXPECT_EQ(CountOf(bound, "img/head.png"), 7u);
    EXPECT_EQ(CountOf(bound, "img/today.png"), 1u);
    const math::Vec2 cell = calendar->CellSize();
    const math::Vec2 expected = calendar->CellPosition(2, c.todayRow);
    EXPECT_NEAR(calendar->todayHighlight.corners[0].x, expected.x, 1e-6);
    EXPECT_NEAR(calendar->todayHighlight.corners[0].y, expected.y, 1e-6);
    EXPECT_NEAR(cell.y, 0.5f / static_cast<float>(weeks + 1), 1e-6);
    ui_.DropAllPanels();
  }

  // Without images only the day numbers and the weekday labels draw.
  auto* bare = LoadOne<ui::UICalendar>("Type = 'calendar', Size = { 0.7, 0.5 }");
  ASSERT_NE(bare, nullptr);
  Bound();
  renderer_.draws.clear();
  ui_.Render();
  for (const std::string& name : Bound()) EXPECT_EQ(name.find("img/"), std::string::npos) << name;
  EXPECT_FALSE(renderer_.draws.empty());
}

}  // namespace
