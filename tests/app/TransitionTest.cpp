// The six screen transitions: which cells they cover at a given progress, what they draw
// on a recording renderer, their timing inside the game flow, and the transition manager.

#include "engine/app/TransitionManager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <typeinfo>

#include "engine/app/GameFlowManager.h"
#include "engine/core/Random.h"
#include "tests/app/GameFlowTestSupport.h"
#include "tests/core/LogCapture.h"
#include "tests/graphics/FakeRenderer.h"

namespace flowtest {
namespace {

using gameflow::GameFlowManager;
using gameflow::TransitionFactory;

// A phase of a kind at progress p (the animation's remaining time set to match).
std::unique_ptr<GameTransition> Phase(TransitionFactory factory, bool reverse, float p) {
  std::unique_ptr<GameTransition> phase(factory("test"));
  phase->reverse = reverse;
  phase->animation.remaining = phase->animation.duration * (1.0f - p);
  return phase;
}

const GameTransitionCells& Cells(const std::unique_ptr<GameTransition>& phase) {
  return dynamic_cast<const GameTransitionCells&>(*phase);
}

int CoveredCells(TransitionFactory factory, bool reverse, float p) {
  const auto phase = Phase(factory, reverse, p);
  int covered = 0;
  for (int column = 0; column < 60; ++column) {
    for (int row = 0; row < 40; ++row) covered += Cells(phase).IsCellCovered(column, row);
  }
  return covered;
}

float MinX(const std::vector<ScreenVertex>& v) {
  return std::min_element(v.begin(), v.end(), [](auto& a, auto& b) { return a.x < b.x; })->x;
}
float MaxX(const std::vector<ScreenVertex>& v) {
  return std::max_element(v.begin(), v.end(), [](auto& a, auto& b) { return a.x < b.x; })->x;
}

TEST(TransitionCellsTest, CoverCellsByKindPhaseAndProgress) {
  const TransitionFactory grid = &GameTransitionGrid::Create;
  const TransitionFactory circle = &GameTransitionCircle::Create;
  const TransitionFactory xwipe = &GameTransitionXWipe::Create;
  struct Case {
    const char* what;
    TransitionFactory kind;
    bool reverse;
    float p;
    int column;
    int row;
    bool covered;
  };
  const Case cases[] = {
      {"grid n=50, on the diagonal", grid, false, 0.5f, 30, 20, true},
      {"grid n=50, past it", grid, false, 0.5f, 30, 21, false},
      {"grid incoming n=50, on it", grid, true, 0.5f, 30, 20, true},
      {"grid incoming n=50, before it", grid, true, 0.5f, 29, 20, false},
      {"grid incoming at the start", grid, true, 0.0f, 0, 0, true},
      {"circle at the start: the centre", circle, false, 0.0f, 30, 20, true},
      {"circle p=0.5: distance^2 324", circle, false, 0.5f, 48, 20, true},
      {"circle p=0.5: distance^2 361", circle, false, 0.5f, 30, 39, false},
      {"circle full: the corner on the radius", circle, false, 1.0f, 0, 0, true},
      {"circle full: the far corner", circle, false, 1.0f, 59, 39, true},
      {"circle incoming p=0.5: the hole", circle, true, 0.5f, 30, 20, false},
      {"circle incoming p=0.5: the corner", circle, true, 0.5f, 0, 0, true},
      {"xwipe even band from the right", xwipe, false, 0.5f, 59, 0, true},
      {"xwipe even band, left half", xwipe, false, 0.5f, 0, 3, false},
      {"xwipe even band, the edge x=30", xwipe, false, 0.5f, 30, 3, true},
      {"xwipe even band, x=31", xwipe, false, 0.5f, 29, 3, false},
      {"xwipe odd band from the left", xwipe, false, 0.5f, 0, 4, true},
      {"xwipe odd band, right half", xwipe, false, 0.5f, 59, 7, false},
      {"xwipe incoming even band, left half", xwipe, true, 0.5f, 0, 0, true},
      {"xwipe incoming even band, right half", xwipe, true, 0.5f, 59, 0, false},
      {"xwipe incoming odd band, right half", xwipe, true, 0.5f, 59, 4, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Cells(Phase(c.kind, c.reverse, c.p)).IsCellCovered(c.column, c.row), c.covered) << c.what;
  }

  EXPECT_EQ(CoveredCells(grid, false, 1.0f), 2400);  // n = 100 is past column + row 98
  EXPECT_EQ(CoveredCells(grid, true, 1.0f), 0);
  EXPECT_EQ(CoveredCells(grid, false, 0.0f), 1);
  EXPECT_EQ(CoveredCells(circle, false, 1.0f), 2400);
  EXPECT_EQ(CoveredCells(circle, false, 0.0f), 1);
  EXPECT_EQ(CoveredCells(xwipe, false, 1.0f), 2400);
  EXPECT_EQ(CoveredCells(xwipe, true, 0.0f), 2400);
}

// Cells are drawn column by column, black, in batches of 166 cells.
TEST(TransitionDrawTest, CellsAreDrawnInBatchesOf996Vertices) {
  FakeRenderer renderer;
  Phase(&GameTransitionGrid::Create, false, 1.0f)->Render();
  ASSERT_EQ(renderer.draws.size(), 15u);
  for (size_t i = 0; i < 14; ++i) EXPECT_EQ(renderer.draws[i].vertices.size(), 996u);
  EXPECT_EQ(renderer.draws[14].vertices.size(), 456u);
  EXPECT_EQ(renderer.calls.front(), "SetTexture");
  EXPECT_EQ(renderer.textures.at(0), std::make_pair(0u, static_cast<Image*>(nullptr)));
  for (const ScreenVertex& v : renderer.AllVertices()) ASSERT_EQ(v.color, GameTransition::kBlack);
  for (const FakeRenderer::Draw& draw : renderer.draws) EXPECT_EQ(draw.type, PT_Triangles);
  // The first cell is (0, 0) of 800 / 60 x 600 / 40 pixels; the next one is below it.
  const std::vector<ScreenVertex>& first = renderer.draws[0].vertices;
  EXPECT_FLOAT_EQ(MinX({first.begin(), first.begin() + 6}), -0.5f);
  EXPECT_NEAR(MaxX({first.begin(), first.begin() + 6}), 800.0f / 60.0f - 0.5f, 1e-3);
  EXPECT_FLOAT_EQ(std::min(first[6].y, first[7].y), 14.5f);

  renderer.draws.clear();
  Phase(&GameTransitionGrid::Create, false, 0.0f)->Render();
  ASSERT_EQ(renderer.draws.size(), 1u);
  EXPECT_EQ(renderer.draws[0].vertices.size(), 6u);

  renderer.draws.clear();
  renderer.calls.clear();
  Phase(&GameTransitionCircle::Create, true, 1.0f)->Render();  // only the corner is left
  ASSERT_EQ(renderer.draws.size(), 1u);
  EXPECT_EQ(renderer.draws[0].vertices.size(), 6u);

  renderer.draws.clear();
  renderer.calls.clear();
  Phase(&GameTransitionGrid::Create, true, 1.0f)->Render();
  EXPECT_TRUE(renderer.draws.empty());
  EXPECT_EQ(renderer.calls, std::vector<std::string>{"SetTexture"});
}

TEST(TransitionDrawTest, FadeDrawsOneQuadWhoseAlphaFollowsTheReversedProgress) {
  FakeRenderer renderer;
  struct Case {
    bool reverse;
    float p;
    uint32_t color;
  };
  for (const Case& c : {Case{false, 0.0f, 0x00000000}, Case{false, 0.5f, 0x7F000000}, Case{false, 1.0f, 0xFF000000},
                        Case{true, 0.25f, 0xBF000000}, Case{true, 1.0f, 0x00000000}}) {
    renderer.draws.clear();
    Phase(&GameTransitionFade::Create, c.reverse, c.p)->Render();
    ASSERT_EQ(renderer.draws.size(), 1u);
    const std::vector<ScreenVertex>& quad = renderer.draws[0].vertices;
    ASSERT_EQ(quad.size(), 6u);
    EXPECT_EQ(quad[0].color, c.color) << c.reverse << " " << c.p;
    EXPECT_FLOAT_EQ(MinX(quad), -0.5f);
    EXPECT_FLOAT_EQ(MaxX(quad), 799.5f);
  }
}

TEST(TransitionDrawTest, IrisDrawsARingOf32QuadsThatClosesOnTheCentre) {
  FakeRenderer renderer;
  Phase(&GameTransitionIris::Create, false, 1.0f)->Render();
  ASSERT_EQ(renderer.draws.size(), 1u);
  const std::vector<ScreenVertex>& ring = renderer.draws[0].vertices;
  ASSERT_EQ(ring.size(), 192u);
  for (const ScreenVertex& v : ring) ASSERT_EQ(v.color, GameTransition::kBlack);
  // Fully closed: the inner corners are at the centre; the outer ones 0.85 away.
  int atCentre = 0;
  for (const ScreenVertex& v : ring) atCentre += std::abs(v.x - 399.5f) < 1e-3f && std::abs(v.y - 299.5f) < 1e-3f;
  EXPECT_EQ(atCentre, 32 * 3);
  EXPECT_NEAR(MaxX(ring), 399.5f + 0.85f * 800.0f, 0.5f);

  // Open at the start of the covering phase: inner and outer radius are the same.
  renderer.draws.clear();
  Phase(&GameTransitionIris::Create, false, 0.0f)->Render();
  ASSERT_EQ(renderer.draws.size(), 1u);
  for (const ScreenVertex& v : renderer.draws[0].vertices) {
    const float dx = (v.x + 0.5f) / 800.0f - 0.5f;
    const float dy = (v.y + 0.5f) / 600.0f - 0.5f;
    EXPECT_NEAR(std::sqrt(dx * dx + dy * dy), 0.85f, 1e-4f);
  }
}

TEST(TransitionDrawTest, RollGrowsABandFromTheLeftAndPushesItOffToTheRight) {
  FakeRenderer renderer;
  Phase(&GameTransitionRoll::Create, false, 0.5f)->Render();
  Phase(&GameTransitionRoll::Create, true, 0.5f)->Render();
  ASSERT_EQ(renderer.draws.size(), 2u);
  EXPECT_FLOAT_EQ(MinX(renderer.draws[0].vertices), -0.5f);
  EXPECT_FLOAT_EQ(MaxX(renderer.draws[0].vertices), 399.5f);
  EXPECT_FLOAT_EQ(MinX(renderer.draws[1].vertices), 399.5f);
  EXPECT_GE(MaxX(renderer.draws[1].vertices), 799.5f);
  EXPECT_EQ(renderer.draws[1].vertices[0].color, GameTransition::kBlack);
}

// --- The manager ---

class TransitionManagerTest : public ::testing::Test {
 protected:
  void SetUp() override { StartConsole(); }
  GameFlowManager flow_;
  gameflow::TransitionManager& transitions_ = flow_.transitions;
};

TEST_F(TransitionManagerTest, KnowsTheSixKindsByNameInAnyCase) {
  EXPECT_EQ(transitions_.Size(), 6u);
  for (const char* name : {"fade", "IRIS", "Roll", "grid", "circle", "xwipe"}) {
    EXPECT_NE(transitions_.Find(name), nullptr) << name;
  }
  LogCapture log;
  transitions_.RegisterTransition("Fade", &GameTransitionIris::Create);
  EXPECT_TRUE(log.Contains("already created a transition Fade  [MSG_WARNING]"));
  EXPECT_EQ(transitions_.Find("fade")->factory, &GameTransitionFade::Create);

  transitions_.StartTransition("FADE", "menu", "done = 1");
  ASSERT_TRUE(transitions_.IsRunning());
  EXPECT_NE(dynamic_cast<GameTransitionFade*>(transitions_.outgoing.get()), nullptr);
  EXPECT_EQ(transitions_.outgoing->name, "FADE");
  EXPECT_EQ(transitions_.outgoing->script, "done = 1");
  EXPECT_FALSE(transitions_.outgoing->reverse);
  EXPECT_TRUE(transitions_.incoming->reverse);
  EXPECT_EQ(transitions_.incoming->script, "");
  EXPECT_EQ(transitions_.targetState, "menu");
}

TEST_F(TransitionManagerTest, AnUnknownNameStartsNothingAndLeavesTheRunningOneAlone) {
  transitions_.StartTransition("iris", "", "");
  GameTransition* running = transitions_.outgoing.get();
  LogCapture log;
  transitions_.StartTransition("spiral", "menu", "");
  EXPECT_TRUE(log.Contains("Couldn't find transition spiral  [MSG_WARNING]"));
  EXPECT_EQ(transitions_.outgoing.get(), running);
  EXPECT_EQ(transitions_.targetState, "");
}

// An empty name picks a kind with the engine's seedable C-style generator.
TEST_F(TransitionManagerTest, AnEmptyNamePicksAKindRepeatablyFromTheSeed) {
  std::set<std::string> kinds;
  for (uint32_t seed = 1; seed <= 12; ++seed) {
    num::CSRand(seed);
    transitions_.StartTransition("", "", "");
    ASSERT_TRUE(transitions_.IsRunning());
    EXPECT_EQ(transitions_.outgoing->name, "");
    const std::string kind = typeid(*transitions_.outgoing).name();
    EXPECT_EQ(typeid(*transitions_.incoming).name(), kind);

    num::CSRand(seed);
    const size_t k = static_cast<size_t>(num::CRand()) % transitions_.Size();
    const TransitionFactory expected = std::next(transitions_.begin(), static_cast<std::ptrdiff_t>(k))->second->factory;
    const std::unique_ptr<GameTransition> sample(expected(""));
    EXPECT_EQ(typeid(*sample).name(), kind) << seed;
    kinds.insert(kind);
  }
  EXPECT_GT(kinds.size(), 1u);
}

TEST_F(TransitionManagerTest, StartingAnotherDiscardsTheRunningOneWithoutItsScript) {
  transitions_.StartTransition("fade", "", "discarded = 1");
  for (int i = 0; i < 30; ++i) transitions_.Tick(1.0f / 60.0f);
  transitions_.StartTransition("grid", "", "kept = 1");
  EXPECT_FLOAT_EQ(transitions_.outgoing->Progress(), 0.0f);
  for (int i = 0; i < 200 && transitions_.IsRunning(); ++i) transitions_.Tick(1.0f / 60.0f);
  EXPECT_FALSE(transitions_.IsRunning());
  EXPECT_TRUE(Global("discarded").IsNil());
  EXPECT_EQ(Global("kept").GetInteger(), 1);
}

// "fade" to "menu" at 60 frames a second through the game flow: 48 frames darken, the
// screen stays black until the hold ends (the script runs and "menu" is entered in that
// frame), then 48 frames lighten over the new state, a hold, and the end.
TEST_F(TransitionManagerTest, FadeTimingThroughTheGameFlow) {
  FakeRenderer renderer;
  std::vector<std::string> trace;
  TraceState* title = new TraceState(&trace);
  TraceState* menu = new TraceState(&trace);
  flow_.AddTransitionState("title", title);
  flow_.AddTransitionState("menu", menu);
  flow_.EnterState(title);
  trace.clear();
  std::string renderedBy;
  for (TraceState* state : {title, menu}) {
    state->onRender = [this, state, &renderedBy] {
      renderedBy = state->name;
      flow_.transitions.Render();
    };
  }
  // The flow renders only for an application; drawing is asked of the state directly.
  struct Frame {
    std::string state;
    int alpha;  // -1: nothing drawn
  };
  const float dt = 1.0f / 60.0f;
  float time = 5.0f;
  auto frame = [&]() {
    renderer.draws.clear();
    time += dt;
    flow_.Tick(dt, time);
    flow_.Render();
    return Frame{renderedBy, renderer.draws.empty() ? -1 : int(renderer.draws.back().vertices[0].color >> 24)};
  };

  transitions_.StartTransition("fade", "menu", "faded = 1");
  int previous = 0;
  for (int i = 1; i <= 48; ++i) {
    const Frame f = frame();
    EXPECT_EQ(f.state, "title") << i;
    EXPECT_GT(f.alpha, previous) << i;
    EXPECT_LT(f.alpha, 255) << i;
    previous = f.alpha;
  }
  for (int i = 49; i <= 54; ++i) EXPECT_EQ(frame().alpha, 255) << i;
  EXPECT_TRUE(Global("faded").IsNil());
  EXPECT_EQ(flow_.current, title);

  // The hold ends: the script runs, "menu" is made pending and entered in the same frame.
  EXPECT_EQ(frame().alpha, 255);
  EXPECT_EQ(Global("faded").GetInteger(), 1);
  EXPECT_EQ(flow_.current, menu);
  EXPECT_EQ(trace, (std::vector<std::string>{"exit title", "enter menu"}));
  EXPECT_EQ(transitions_.outgoing, nullptr);
  ASSERT_NE(transitions_.incoming, nullptr);

  previous = 255;
  for (int i = 56; i <= 103; ++i) {
    const Frame f = frame();
    EXPECT_EQ(f.state, "menu") << i;
    EXPECT_LT(f.alpha, previous) << i;
    previous = f.alpha;
  }
  EXPECT_EQ(previous, 0);
  for (int i = 104; i <= 109; ++i) EXPECT_EQ(frame().alpha, 0) << i;
  EXPECT_TRUE(transitions_.IsRunning());
  EXPECT_EQ(frame().alpha, -1);
  EXPECT_FALSE(transitions_.IsRunning());

  // Neither state was ticked while the transition ran; the next frame ticks again.
  EXPECT_EQ(title->ticks + menu->ticks, 0);
  EXPECT_EQ(title->transitionTicks, 55);
  EXPECT_EQ(menu->transitionTicks, 55);
  frame();
  EXPECT_EQ(menu->ticks, 1);
}

}  // namespace
}  // namespace flowtest
