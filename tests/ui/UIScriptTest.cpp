// The Lua classes of the user interface, used as scripts use them; and how a widget kind
// that shares the script name "SliderWidget" keeps its own methods.

#include <luabind/luabind.hpp>

#include <gtest/gtest.h>

#include "engine/core/Console.h"
#include "engine/ui/UIProgress.h"
#include "engine/ui/UISlider.h"
#include "engine/ui/UIWidget.h"
#include "platform/luaplus/LuaState.h"
#include "tests/support/TestEnv.h"
#include "tests/ui/UITestSupport.h"

namespace {

using ui::UIWidget;

// A later kind as it would join: a widget class of its own, a maker in the factory, and
// its methods under the shared script name.
class TestToggle : public UIWidget {
 public:
  TestToggle(UIWidget* parent, const std::string& name) : UIWidget(parent, name) {
    type = WT_CheckBox;
  }
  bool IsChecked() const { return checked; }
  void SetChecked(bool flag) { checked = flag; }
  bool checked = false;
};

UIWidget* MakeToggle(UIWidget* parent) { return new TestToggle(parent, ""); }

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
        .def_readwrite("y", &math::Vec2::y)
    ];
    luabind::module(L)[
      luabind::class_<TestToggle, UIWidget>("SliderWidget")
        .def("IsChecked", &TestToggle::IsChecked)
        .def("SetChecked", &TestToggle::SetChecked)
    ];
    ui_.RegisterWidgetType("Toggle", &MakeToggle);
    Write("ui/options.ui",
          "Panel = { Name = 'options', Size = { 1, 1 }, Children = {\n"
          "  { Type = 'slider', Name = 'volume', Pos = { 0.1, 0.1 }, Size = { 0.4, 0.05 }, SliderValue = 0.5 },\n"
          "  { Type = 'toggle', Name = 'fullscreen', Pos = { 0.1, 0.2 }, Size = { 0.05, 0.05 } },\n"
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

}  // namespace
