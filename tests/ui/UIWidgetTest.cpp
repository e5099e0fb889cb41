// The widget base and the bar kinds on their own: hit tests, the tick and its movers, the
// highlight preview, clones, progress bars, sliders, and the textured quad.

#include "engine/ui/UIWidget.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/graphics/Image.h"
#include "engine/ui/SpriteSet.h"
#include "engine/ui/TrSprite.h"
#include "engine/ui/UIMover.h"
#include "engine/ui/UIProgress.h"
#include "engine/ui/UISlider.h"
#include "tests/core/LogCapture.h"
#include "tests/ui/UITestSupport.h"

namespace {

using ui::UIProgress;
using ui::UISlider;
using ui::UIVerSlider;
using ui::UIWidget;

// A mover that counts its steps and appends its finish to the trace.
class CountingMover : public UIMover {
 public:
  CountingMover(UIWidget* widget, float runTime, std::vector<std::string>* trace, std::string name)
      : UIMover(widget, 0.0f, runTime, true), trace_(trace), name_(std::move(name)) {}
  void Apply(float) override { ++applied; }
  void OnFinish() override {
    trace_->push_back(name_);
    UIMover::OnFinish();
  }
  int applied = 0;

 private:
  std::vector<std::string>* trace_;
  std::string name_;
};

class UIWidgetTest : public uitest::UITest {
 protected:
  // The pixel rectangle of a drawn quad, with its texture corners.
  struct Quad {
    float left, top, right, bottom, u1, v1, u2, v2;
  };
  static Quad QuadOf(const FakeRenderer::Draw& draw) {
    const auto& v = draw.vertices;
    return Quad{v[1].x + 0.5f, v[1].y + 0.5f, v[3].x + 0.5f, v[0].y + 0.5f,
                v[1].u,        v[1].v,        v[3].u,        v[0].v};
  }
};

TEST_F(UIWidgetTest, HitTestsIncludeTheEdgesAndIgnoreTheRotation) {
  UIWidget* widget = Make({0.2f, 0.3f}, {0.4f, 0.2f});
  struct Case {
    math::Vec2 point;
    bool inside;
  } cases[] = {
      {{0.2f, 0.3f}, true},   {{0.6f, 0.5f}, true},    {{0.4f, 0.4f}, true},
      {{0.19f, 0.4f}, false}, {{0.61f, 0.4f}, false},  {{0.4f, 0.51f}, false},
  };
  for (int rotation : {0, 45, 90}) {
    // A turned widget is still hit in its unturned rectangle: widgets draw unturned.
    widget->SetRotation(static_cast<float>(rotation));
    for (const Case& c : cases) {
      EXPECT_EQ(widget->IsInside(c.point), c.inside) << rotation << " " << c.point.x << "," << c.point.y;
    }
  }

  // The manager's tests see only widgets with a picture; blocking takes a click script
  // or blockAll.
  UIWidget* button = Make({0.3f, 0.2f}, {0.1f, 0.1f}, widget);  // at (0.5, 0.5)
  EXPECT_FALSE(ui_.IsMouseOverUI({0.55f, 0.55f}));
  button->SetOffImage("img/button.png");
  EXPECT_TRUE(ui_.IsMouseOverUI({0.55f, 0.55f}));
  EXPECT_FALSE(ui_.IsMouseBlocked({0.55f, 0.55f}));
  button->SetEventHandler(UIWidget::EV_ReleaseLMB, "x = 1");
  EXPECT_TRUE(ui_.IsMouseBlocked({0.55f, 0.55f}));
  button->SetIsVisible(false);
  EXPECT_FALSE(ui_.IsMouseBlocked({0.55f, 0.55f}));
  EXPECT_FALSE(ui_.IsMouseOverUI({0.55f, 0.55f}));
}

TEST_F(UIWidgetTest, ChildrenMoveWithTheirParentAndKeepTheirOrder) {
  UIWidget* panel = Make({0.1f, 0.1f}, {0.5f, 0.5f});
  UIWidget* a = Make({0.1f, 0.0f}, {0.1f, 0.1f}, panel);
  UIWidget* b = Make({0.2f, 0.0f}, {0.1f, 0.1f}, panel);
  UIWidget* inner = Make({0.0f, 0.1f}, {0.05f, 0.05f}, b);
  EXPECT_NEAR(inner->GetPosition().x, 0.3f, 1e-6);
  panel->SetPosition({0.2f, 0.3f});
  EXPECT_NEAR(a->GetPosition().x, 0.3f, 1e-6);
  EXPECT_NEAR(inner->GetPosition().y, 0.4f, 1e-6);
  EXPECT_NEAR(inner->GetRelativePosition().y, 0.1f, 1e-6);

  // Renaming moves a child to the end; inserting goes in front or after a sibling.
  a->RenameWidget("later");
  EXPECT_EQ(panel->GetChildren(), (std::vector<UIWidget*>{b, a}));
  auto* first = new UIWidget(nullptr, "first");
  auto* middle = new UIWidget(nullptr, "middle");
  EXPECT_TRUE(panel->InsertChild(first, true, ""));
  EXPECT_TRUE(panel->InsertChild(middle, false, b->GetName()));
  EXPECT_EQ(panel->GetChildren(), (std::vector<UIWidget*>{first, b, middle, a}));
  EXPECT_EQ(middle->parent, panel);
  EXPECT_FALSE(panel->AddChild(nullptr));
  auto* nameless = new UIWidget(nullptr, "");
  EXPECT_FALSE(panel->AddChild(nameless));
  delete nameless;
  EXPECT_EQ(panel->GetWidgetByName("MIDDLE"), middle);
  EXPECT_EQ(panel->FindChild("Later"), a);
  EXPECT_EQ(panel->GetWidgetByName(inner->GetName()), inner);
}

TEST_F(UIWidgetTest, AHiddenWidgetIsNotTickedAndMoversRunOneAfterAnother) {
  UIWidget* widget = Make({0.1f, 0.1f}, {0.1f, 0.1f});
  std::vector<std::string> trace;
  auto* first = new CountingMover(widget, 0.1f, &trace, "first");
  auto* second = new CountingMover(widget, 0.1f, &trace, "second");
  widget->AddMover(first);
  widget->AddMover(second);
  EXPECT_TRUE(widget->HasAnimation());

  widget->SetIsVisible(false);
  EXPECT_FALSE(widget->Tick(0.05f));
  EXPECT_EQ(first->applied, 0);
  widget->SetIsVisible(true);

  widget->Tick(0.05f);  // the delay of 0 still takes a frame
  EXPECT_EQ(first->applied, 0);
  widget->Tick(0.05f);
  widget->Tick(0.05f);
  EXPECT_EQ(first->applied, 2);
  widget->Tick(0.05f);  // runs out: finished and deleted
  EXPECT_EQ(trace, std::vector<std::string>{"first"});
  ASSERT_EQ(widget->movers.size(), 1u);
  EXPECT_EQ(second->applied, 0);

  // Cleared movers end without their finish.
  widget->ClearMovers();
  for (int i = 0; i < 3; ++i) widget->Tick(0.05f);
  EXPECT_EQ(trace, std::vector<std::string>{"first"});
  EXPECT_FALSE(widget->HasAnimation());
}

TEST_F(UIWidgetTest, TheHoverPreviewStaysOnTheScreen) {
  UIWidget* widget = Make({0.95f, 0.95f}, {0.1f, 0.1f});
  widget->images[0].Init("img/photo.png", {0, 0}, {1, 1}, false);  // 80 x 60 pixels
  widget->SetOverMode(2);
  widget->RenderHighlight();
  EXPECT_TRUE(renderer_.draws.empty());  // only while the pointer is over it

  widget->state = UIWidget::IS_Over;
  widget->RenderHighlight();
  ASSERT_EQ(renderer_.draws.size(), 2u);
  // Centred on the widget it would leave the screen: it is pushed back inside.
  const Quad frame = QuadOf(renderer_.draws[0]);
  const Quad preview = QuadOf(renderer_.draws[1]);
  EXPECT_NEAR(preview.right, 800.0f, 0.01f);
  EXPECT_NEAR(preview.left, 800.0f - 80.0f, 0.01f);
  EXPECT_NEAR(frame.left, preview.left - 10.0f, 0.01f);
  EXPECT_NEAR(frame.right, preview.right, 0.01f);
  EXPECT_EQ(renderer_.draws[0].vertices[0].color, 0xAA88AA88u);
}

TEST_F(UIWidgetTest, AProgressBarClampsItsValueAndCutsItsImages) {
  auto* bar = Make<UIProgress>({0.25f, 0.5f}, {0.5f, 0.1f});
  bar->SetFullImage("img/full.png");
  bar->SetEmptyImage("img/empty.png");
  for (const auto& [given, kept] : {std::pair{1.7f, 1.0f}, {-2.0f, 0.0f}, {0.25f, 0.25f}}) {
    bar->SetProgress(given);
    EXPECT_FLOAT_EQ(bar->GetProgress(), kept);
  }

  // Horizontal at 0.25: the empty part first, then the full part over the left quarter.
  bar->Render(false);
  ASSERT_EQ(renderer_.draws.size(), 2u);
  Quad empty = QuadOf(renderer_.draws[0]);
  Quad full = QuadOf(renderer_.draws[1]);
  EXPECT_NEAR(full.left, 200.0f, 0.01f);
  EXPECT_NEAR(full.right, 300.0f, 0.01f);
  EXPECT_NEAR(full.u1, 0.01f, 1e-6);
  EXPECT_NEAR(full.u2, 0.25f, 1e-6);
  EXPECT_NEAR(empty.left, 300.0f, 0.01f);
  EXPECT_NEAR(empty.u1, 0.25f, 1e-6);
  EXPECT_NEAR(empty.u2, 0.99f, 1e-6);
  EXPECT_EQ(renderer_.textures[1].second->name, "img/full.png");

  // Flipped, the full image covers the left three quarters.
  renderer_.draws.clear();
  bar->flipped = true;
  bar->Render(false);
  full = QuadOf(renderer_.draws[1]);
  EXPECT_NEAR(full.right, 500.0f, 0.01f);

  // Vertical, not flipped, at 0: the full image over the whole height.
  renderer_.draws.clear();
  bar->flipped = false;
  bar->horizontal = false;
  bar->SetProgress(0.0f);
  bar->Render(false);
  empty = QuadOf(renderer_.draws[0]);
  full = QuadOf(renderer_.draws[1]);
  EXPECT_NEAR(empty.bottom - empty.top, 0.0f, 0.01f);
  EXPECT_NEAR(full.top, 300.0f, 0.01f);
  EXPECT_NEAR(full.bottom, 360.0f, 0.01f);
  EXPECT_NEAR(full.v2, 0.99f, 1e-6);

  // A clone is the same bar, flipped flag included, and belongs to the caller.
  bar->flipped = true;
  std::unique_ptr<UIWidget> clone(bar->GetClone());
  auto* copy = dynamic_cast<UIProgress*>(clone.get());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->GetName().rfind("Clone_", 0), 0u);
  EXPECT_TRUE(copy->flipped);
  EXPECT_FALSE(copy->horizontal);
  EXPECT_EQ(copy->images[UIProgress::kFullImage].fileName, "img/full.png");
  EXPECT_FALSE(ui_.IsPanel(copy));
}

TEST_F(UIWidgetTest, DraggingOverASliderSetsItsValueAndFiresItsEvents) {
  UIWidget* panel = Make({0.0f, 0.0f}, {1.0f, 1.0f});
  auto* slider = Make<UISlider>({0.2f, 0.5f}, {0.4f, 0.1f}, panel);
  slider->SetEventHandler(UIWidget::EV_SliderChange, "trace = (trace or '') .. 'change '");
  slider->SetEventHandler(UIWidget::EV_ReleaseLMB, "trace = (trace or '') .. 'release '");
  slider->images[UISlider::kIconImage].Init("img/knob.png", {0, 0}, {1, 1}, false);
  slider->iconSize = slider->images[UISlider::kIconImage].size;

  Drag({0.3f, 0.55f}, {0.4f, 0.55f});  // to the middle
  EXPECT_FLOAT_EQ(slider->GetSlider(), 0.5f);
  EXPECT_EQ(Global("trace"), "change ");
  Drop({0.3f, 0.55f}, {0.5f, 0.55f});
  EXPECT_FLOAT_EQ(slider->GetSlider(), 0.75f);
  EXPECT_EQ(Global("trace"), "change change release ");
  Held({0.2f, 0.55f});
  EXPECT_FLOAT_EQ(slider->GetSlider(), 0.0f);

  Run("trace = ''");
  Drag({0.3f, 0.55f}, {0.4f, 0.8f});  // outside its rectangle
  EXPECT_FLOAT_EQ(slider->GetSlider(), 0.0f);
  EXPECT_EQ(Global("trace"), "");
  EXPECT_TRUE(uitest::Sounds::Instance().Played().empty());

  // The icon sits on the value, centred across the slider.
  slider->SetSlider(0.5f);
  renderer_.draws.clear();
  slider->Render(false);
  const Quad icon = QuadOf(renderer_.draws.back());
  EXPECT_NEAR(icon.left, 320.0f - 40.0f, 0.01f);
  EXPECT_NEAR(icon.top, 330.0f - 30.0f, 0.01f);

  // The vertical slider takes the value from the height.
  auto* upright = Make<UIVerSlider>({0.7f, 0.2f}, {0.05f, 0.4f}, panel);
  Drag({0.72f, 0.3f}, {0.72f, 0.3f});
  EXPECT_FLOAT_EQ(upright->GetSlider(), 0.25f);
  EXPECT_EQ(upright->GetType(), "verslider");
}

TEST_F(UIWidgetTest, ATexturedQuadPlacesFreeCornersAndWeighsItsEdgesInPerspective) {
  TrSprite quad;
  EXPECT_FALSE(quad.Render());  // no picture
  quad.Init("img/fill.png", true, false, true, false, 0x80FFFFFF, {0, 0}, {1, 1});
  EXPECT_NEAR(quad.nativeSize.x, 0.1f, 1e-6);
  quad.SetCorners({0.1f, 0.2f}, {0.3f, 0.3f}, {0.3f, 0.5f}, {0.1f, 0.6f});
  ASSERT_TRUE(quad.Render());
  ASSERT_EQ(renderer_.draws.size(), 1u);
  const auto& v = renderer_.draws[0].vertices;
  // (bottom-left, top-left, top-right) and (top-right, bottom-right, bottom-left).
  EXPECT_FLOAT_EQ(v[0].x, 80.0f - 0.5f);
  EXPECT_FLOAT_EQ(v[0].y, 360.0f - 0.5f);
  EXPECT_FLOAT_EQ(v[2].x, 240.0f - 0.5f);
  EXPECT_FLOAT_EQ(v[4].v, 1.0f);
  EXPECT_FLOAT_EQ(v[4].u, 1.0f);
  EXPECT_EQ(v[0].color, 0x80FFFFFFu);
  EXPECT_FLOAT_EQ(v[1].rhw, 1.0f);
  // Additive: the destination blend is one for the draw only; the alpha test is set to
  // the sprite's flag.
  EXPECT_EQ(renderer_.renderStates.back(), std::make_pair(RS_DestBlend, uint32_t{BF_InvSrcAlpha}));

  // The left edge is 0.4 high, the right one 0.2: their weights follow.
  renderer_.draws.clear();
  ASSERT_TRUE(quad.RenderPerspective(0.4f));
  const auto& p = renderer_.draws[0].vertices;
  EXPECT_FLOAT_EQ(p[0].rhw, 1.0f);   // bottom-left
  EXPECT_FLOAT_EQ(p[2].rhw, 0.5f);   // top-right
  // An edge of no height would have no weight: it keeps a small positive one.
  quad.SetCorners({0.1f, 0.5f}, {0.3f, 0.5f}, {0.3f, 0.5f}, {0.1f, 0.6f});
  renderer_.draws.clear();
  quad.RenderPerspective(0.4f);
  EXPECT_GT(renderer_.draws[0].vertices[2].rhw, 0.0f);

  quad.visible = false;
  EXPECT_FALSE(quad.Render());
  quad.visible = true;
  quad.LoadImage("");
  EXPECT_FALSE(quad.IsLoaded());
  EXPECT_EQ(quad.fileName, "");

  // A strip's image is borrowed, never deleted by the quad.
  ASSERT_TRUE(ui::GetSpriteSet().AddSprite("sparkle", "img/sparkle.png", 2, 0.1f, 0, 0, false, false, 0, 0, "t"));
  quad.LoadImage("SPARKLE");
  EXPECT_EQ(quad.linkedSprite, ui::GetSpriteSet().Find("sparkle"));
  quad.Invalidate();
  EXPECT_NE(ui::GetSpriteSet().Find("sparkle")->image, nullptr);

  LogCapture log;
  quad.LoadImage("missing_###.png");
  EXPECT_TRUE(log.Contains("Unable to load image missing_English.png into the TrSprite"));
  EXPECT_FALSE(quad.IsLoaded());
  quad.LoadImage("img/flag_###.png");
  EXPECT_TRUE(quad.localised);
  EXPECT_EQ(quad.image->name, "img/flag_English.png");
  EXPECT_EQ(quad.fileName, "img/flag_###.png");
}

}  // namespace
