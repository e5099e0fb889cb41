// The Lua classes of the user interface, used as scripts use them; and how a widget kind
// that shares the script name "SliderWidget" keeps its own methods.

#include <luabind/luabind.hpp>

#include <gtest/gtest.h>

#include "engine/core/Console.h"
#include "engine/ui/UICheckBox.h"
#include "engine/ui/UIDropDown.h"
#include "engine/ui/UIGraph.h"
#include "engine/ui/UIProgress.h"
#include "engine/ui/UISlider.h"
#include "engine/ui/UIWidget.h"
#include "platform/luaplus/LuaState.h"
#include "tests/support/TestEnv.h"
#include "tests/ui/UITestSupport.h"

namespace {

using ui::UIWidget;

class UIScriptTest : public uitest::UITest {
 protected:
  void SetUp() override {
    UITest::SetUp();
    lua_State* L = console::GetConsole().GetState()->GetCState();
    // The vector class the engine's script functions register.
    luabind::module(L)[
      luabind::class_<math::Vec2>("Vec2")
        .def(luabind::constructor<float, float>())
        .def_readwrite("x", &math::Vec2::x)
        .def_readwrite("y", &math::Vec2::y),
      luabind::class_<math::Vec3>("Vec3")
        .def(luabind::constructor<float, float, float>()),
      luabind::class_<math::Vec4>("Vec4")
        .def(luabind::constructor<float, float, float, float>())
    ];
    Write("ui/options.ui",
          "Panel = { Name = 'options', Size = { 1, 1 }, Children = {\n"
          "  { Type = 'slider', Name = 'volume', Pos = { 0.1, 0.1 }, Size = { 0.4, 0.05 }, SliderValue = 0.5 },\n"
          "  { Type = 'checkbox', Name = 'fullscreen', Pos = { 0.1, 0.2 }, Size = { 0.05, 0.05 } },\n"
          "  { Type = 'verslider', Name = 'upright', Pos = { 0.6, 0.1 }, Size = { 0.05, 0.4 } },\n"
          "  { Type = 'progress', Name = 'loading', Pos = { 0.1, 0.3 }, Size = { 0.4, 0.05 } },\n"
          "  { Name = 'title', Pos = { 0.1, 0.4 }, Size = { 0.4, 0.05 } },\n"
          "} }\n");
  }
};

TEST_F(UIScriptTest, EveryKindSharingSliderWidgetKeepsItsOwnMethods) {
  Run("options = GetUIMan():AddPanel('ui/options.ui')\n"
      "local volume = GetUIMan():GetWidget('volume')\n"   // handed out as a Widget
      "local toggle = options:GetWidgetByName('fullscreen')\n"
      "volume_value = volume:GetSlider()\n"
      "volume:SetSlider(3)\n"
      "toggle:SetChecked(true)\n"
      "toggle_checked = toggle:IsChecked()\n"
      "slider_has_toggle = pcall(function() return volume:IsChecked() end)\n"
      "toggle_has_slider = pcall(function() return toggle:GetSlider() end)\n"
      "upright_has_slider = pcall(function() return options:GetWidgetByName('upright'):GetSlider() end)\n"
      "upright_type = options:GetWidgetByName('upright'):GetType()\n"
      "by_slider_name = options:GetSliderByName('volume'):GetName()\n"
      "toggle_as_slider = options:GetSliderByName('fullscreen') == nil\n"
      "toggle_as_checkbox = options:GetCheckBoxByName('fullscreen'):IsChecked()\n");
  EXPECT_EQ(Global("volume_value"), "0.5");
  EXPECT_FLOAT_EQ(ui_.GetWidget("volume")->images[0].size.x, 0.0f);
  EXPECT_FLOAT_EQ(static_cast<ui::UISlider*>(ui_.GetWidget("volume"))->GetSlider(), 1.0f);
  EXPECT_EQ(Global("toggle_checked"), "true");
  EXPECT_EQ(Global("slider_has_toggle"), "false");
  EXPECT_EQ(Global("toggle_has_slider"), "false");
  EXPECT_EQ(Global("upright_has_slider"), "false");  // the vertical slider is only a Widget
  EXPECT_EQ(Global("upright_type"), "verslider");
  EXPECT_EQ(Global("by_slider_name"), "volume");
  EXPECT_EQ(Global("toggle_as_slider"), "true");
  EXPECT_EQ(Global("toggle_as_checkbox"), "true");
}

TEST_F(UIScriptTest, ScriptsDriveWidgetsAndTheManager) {
  Run("local ui = GetUIMan()\n"
      "local panel = ui:AddPanel('ui/options.ui')\n"
      "local title = panel:GetWidgetByName('title')\n"
      "title:SetText('Options')\n"
      "title:AppendText('!')\n"
      "title_text = title:GetText()\n"
      "title:SetPosition(Vec2(0.2, 0.1))\n"
      "title_x = math.floor(title:GetPosition().x * 800 + 0.5)\n"
      "title:SetColor(1, 0, 0, 1)\n"
      "title_color = title:GetColor()\n"
      "title:SetClickLMBEvent('clicked = \"title\"')\n"
      "title:SetReleaseLMBEvent('released = 1')\n"
      "title:SetIsVisible(false)\n"
      "hidden = not title:GetIsVisible() and title:GetIsActive()\n"  // the active flag alone
      "title:SetIsVisible(true)\n"
      "local bar = panel:GetProgressByName('loading')\n"
      "bar:SetProgress(1.5)\n"
      "bar_value = bar:GetProgress()\n"
      "parent_name = title:GetParent():GetName()\n"
      "panel_found = ui:GetPanel('OPTIONS') ~= nil\n"
      "no_focus = ui:GetFocus() == nil\n"
      "saved = ui:SavePanel(panel, 'ui/options_saved.ui')\n"
      "ui:ExecuteScript('executed = 1')\n");
  EXPECT_EQ(Global("title_text"), "Options!");
  EXPECT_EQ(Global("title_x"), "160");  // 0.2 of the width: the panel is at (0, 0)
  EXPECT_EQ(Global("title_color"), std::to_string(0xFFFF0000u));
  EXPECT_EQ(Global("hidden"), "true");
  EXPECT_EQ(Global("bar_value"), "1");
  EXPECT_EQ(Global("parent_name"), "options");
  EXPECT_EQ(Global("panel_found"), "true");
  EXPECT_EQ(Global("no_focus"), "true");
  EXPECT_EQ(Global("saved"), "true");
  EXPECT_TRUE(testenv::FileExists("ui/options_saved.ui"));
  EXPECT_EQ(Global("executed"), "1");

  // The event set from the script runs on a press.
  Press({0.3f, 0.12f});
  EXPECT_EQ(Global("clicked"), "title");

  // A script deletes a widget; the manager's pointers to it go with it.
  Release({0.3f, 0.12f});
  ASSERT_NE(ui_.GetFocus(), nullptr);
  Run("local panel = GetUIMan():GetPanel('options')\n"
      "deleted = panel:DeleteChild(panel:GetWidgetByName('title'))\n");
  EXPECT_EQ(Global("deleted"), "true");
  EXPECT_EQ(ui_.GetFocus(), nullptr);
  EXPECT_EQ(ui_.GetWidget("title"), nullptr);
}

TEST_F(UIScriptTest, EachKindOffersItsMethodsThroughItsClass) {
  Write("ui/kinds.ui",
        "Panel = { Name = 'kinds', Size = { 1, 1 }, Children = {\n"
        "  { Type = 'dropdown', Name = 'size', Pos = { 0.1, 0.1 }, Size = { 0.2, 0.05 } },\n"
        "  { Type = 'multiline', Name = 'story', Pos = { 0.1, 0.3 }, Size = { 0.1, 0.1 },\n"
        "    Text = 'aaaa bbbb cccc dddd eeee ffff gggg hhhh' },\n"
        "  { Type = 'graph', Name = 'chart', Pos = { 0.5, 0.1 }, Size = { 0.3, 0.2 } },\n"
        "  { Type = 'movie', Name = 'film' },\n"
        "  { Type = 'flash', Name = 'help', FlashMovie = 'swf/help.swf' },\n"
        "  { Type = 'part2d', Name = 'fx', Partsys = 'effects/dots.p2d' },\n"
        "} }\n");
  Write("effects/dots.p2d", "Part2D = { { Image = 'img/dot.png', MaxC = 8 }, { Image = 'img/dot.png' } }\n");
  Run("local panel = GetUIMan():AddPanel('ui/kinds.ui')\n"
      "local size = panel:GetWidgetByName('size')\n"  // handed out as a Widget
      "size:AddOption('SMALL')\n"
      "size:AddOption('LARGE')\n"
      "size:SetCurrentOptionFromText('LARGE')\n"
      "size_selected = size:GetSelected()\n"
      "size_text = size:GetSelectedText()\n"
      "size:SetOpen(true)\n"
      "size_open = size:IsOpen()\n"
      "size:Clear()\n"
      "size_cleared = size:GetSelected()\n"
      "size_by_name = panel:GetDropDownByName('size'):GetName()\n"
      "local story = panel:GetMultiLineByName('story')\n"
      "story:ScrollDown()\n"
      "story:ScrollUp()\n"
      "local chart = panel:GetWidgetByName('chart')\n"
      "chart:SetGraphFillColor(4278190335)\n"
      "chart:RiseGraph()\n"
      "chart_type = chart:GetType()\n"
      "local film = panel:GetMovieWidgetByName('film')\n"
      "film:SetLoop(true)\n"
      "film_looping = film:IsLooping()\n"
      "local help = panel:GetFlashWidgetByName('help')\n"
      "help:PauseClip(true)\n"
      "help_paused = help:IsPaused()\n"
      "help_has_slider = pcall(function() return help:GetSlider() end)\n"
      "local fx = panel:GetPartWidgetByName('fx')\n"
      "local system = fx:GetPartsys()\n"
      "fx_groups = system:GroupC()\n"
      "fx:TriggerParticles(3)\n"
      "fx:SetPaused(true)\n"
      "fx_paused = fx:IsPaused()\n"
      "fx_max = system:GetGroup(0):GetMaxC()\n"
      "fx:ClearParticles()\n"
      "fx:SetPartFile('')\n"
      "fx_none = fx:GetPartsys() == nil\n");
  EXPECT_EQ(Global("size_selected"), "1");
  EXPECT_EQ(Global("size_text"), "LARGE");
  EXPECT_EQ(Global("size_open"), "true");
  EXPECT_EQ(Global("size_cleared"), "-1");
  EXPECT_EQ(Global("size_by_name"), "size");
  EXPECT_EQ(Global("chart_type"), "widget");
  EXPECT_EQ(Global("film_looping"), "false");  // no movie to loop
  EXPECT_EQ(Global("help_paused"), "true");  // the recording movie loads any name
  EXPECT_EQ(Global("help_has_slider"), "false");
  EXPECT_EQ(Global("fx_groups"), "2");
  EXPECT_EQ(Global("fx_paused"), "true");
  EXPECT_EQ(Global("fx_max"), "8");
  EXPECT_EQ(Global("fx_none"), "true");
  auto* chart = dynamic_cast<ui::UIGraph*>(ui_.GetWidget("chart"));
  ASSERT_NE(chart, nullptr);
  EXPECT_EQ(chart->state, ui::UIGraph::GS_Rising);
  EXPECT_EQ(chart->fillQuad.colours[0], 0xFF0000FFu);
}

TEST_F(UIScriptTest, TheMoverFunctionsQueueOnTheirWidget) {
  Run("local panel = GetUIMan():AddPanel('ui/options.ui')\n"
      "local title = panel:GetWidgetByName('title')\n"
      "AddUIPan(title, 0, 0.5, Vec2(0.3, 0.4), 'panned = 1')\n"
      "AddUIMove(title, 0, 0.5, Vec4(0, 0, 0.2, 0.2))\n"
      "AddUIXFade(title, 0, 0.5, Vec2(1, 0.5), 'faded = 1')\n"
      "UISetImage(title, 0.1, 'img/next.png')\n"
      "AddUISine(title, Vec3(0.01, 1, 0), Vec3(0, 0, 0))\n"
      "UIMoveProgress(title, 1, 0, 1, 'never = 1')\n"  // not a bar: nothing
      "UIMoveProgress(panel:GetWidgetByName('loading'), 0.5, 0, 1)\n"
      "AddUIPan(nil, 0, 1, Vec2(0, 0), 'never = 1')\n");
  UIWidget* title = ui_.GetWidget("title");
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->movers.size(), 5u);
  EXPECT_EQ(ui_.GetWidget("loading")->movers.size(), 1u);
  for (int i = 0; i < 16; ++i) ui_.Tick(0.25f);
  EXPECT_EQ(Global("panned"), "1");
  EXPECT_EQ(Global("faded"), "1");
  EXPECT_EQ(Global("never"), "");
  EXPECT_EQ(title->GetColor() >> 24, 0x7Fu);
  EXPECT_TRUE(title->images[UIWidget::IS_Off].IsLoaded());
  EXPECT_EQ(title->movers.size(), 1u);  // the sway, until it is cleared
  EXPECT_FLOAT_EQ(static_cast<ui::UIProgress*>(ui_.GetWidget("loading"))->GetProgress(), 1.0f);
}

TEST_F(UIScriptTest, ClonesCopyWhatTheirKindCopies) {
  Write("ui/clones.ui",
        "Panel = { Name = 'clones', Size = { 1, 1 }, Children = {\n"
        "  { Type = 'checkbox', Name = 'box', IsChecked = 1, CheckedImg = 'img/on.png' },\n"
        "  { Type = 'dropdown', Name = 'list', Options = { 'A', 'B' }, CoversCompletely = 1 },\n"
        "  { Type = 'graph', Name = 'chart', Nodes = { 1, 2, 3 } },\n"
        "} }\n");
  UIWidget* panel = ui_.AddPanel("ui/clones.ui");
  ASSERT_NE(panel, nullptr);
  struct Case {
    const char* name;
    const char* type;
  };
  for (const Case& c : {Case{"box", "checkbox"}, Case{"list", "dropdown"}, Case{"chart", "widget"}}) {
    SCOPED_TRACE(c.name);
    UIWidget* clone = panel->FindChild(c.name)->GetClone();
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->GetType(), c.type);
    EXPECT_EQ(clone->GetName().rfind("Clone_", 0), 0u);
    delete clone;
  }
  UIWidget* box = panel->FindChild("box")->GetClone();
  EXPECT_TRUE(dynamic_cast<ui::UICheckBox*>(box)->IsChecked());
  EXPECT_TRUE(box->images[ui::UICheckBox::kCheckedImage].IsLoaded());
  delete box;
  // The graph clones as a plain widget.
  UIWidget* chart = panel->FindChild("chart")->GetClone();
  EXPECT_EQ(dynamic_cast<ui::UIGraph*>(chart), nullptr);
  delete chart;
}

}  // namespace
