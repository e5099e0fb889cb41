// Panels from .ui files: loading through the widget factory, drawing order with the
// cursor, mouse and key routing, focus, dragging, saving, and what the manager forgets
// when panels go.

#include "engine/ui/UIManager.h"

#include <gtest/gtest.h>

#include <string>
#include <typeinfo>
#include <vector>

#include "engine/core/StrMan.h"
#include "engine/graphics/FontManager.h"
#include "engine/graphics/Image.h"
#include "engine/ui/UIMover.h"
#include "engine/ui/UIProgress.h"
#include "engine/ui/UISlider.h"
#include "engine/ui/PanelHandle.h"
#include "engine/ui/WidgetHandle.h"
#include "platform/dinput/DInput.h"
#include "tests/core/LogCapture.h"
#include "tests/support/TestEnv.h"
#include "tests/ui/UITestSupport.h"

namespace {

using ui::UIProgress;
using ui::UISlider;
using ui::UIVerSlider;
using ui::UIWidget;

// A menu: a background, a box holding a button, a nameless widget, a progress bar and a
// widget of an unknown kind, and a slider below the box.
constexpr const char* kMenu = R"(
Panel = {
  Name = "menu", Size = { 1, 1 }, MouseOff = "img/menu_bg.png",
  Children = {
    { Name = "box", Pos = { 0.1, 0.1 }, Size = { 0.5, 0.5 }, MouseOff = "img/box.png",
      Children = {
        { Name = "play", Pos = { 0.05, 0.05 }, Size = { 0.2, 0.1 },
          MouseOff = "img/play_off.png", MouseOver = "img/play_over.png",
          lmb_click = "clicked = 'play'", lmb_release = "released = 'play'" },
        { Pos = { 0.05, 0.2 }, Size = { 0.2, 0.1 } },
        { Type = "Progress", Name = "bar", Pos = { 0.05, 0.3 }, Size = { 0.4, 0.05 },
          ProgressFull = "img/full.png", ProgressEmpty = "img/empty.png", Progress = 0.25,
          HorizProgress = true },
        { Type = "gadget", Name = "mystery", Children = { { Name = "inside" } } },
      },
    },
    { Type = "slider", Name = "volume", Pos = { 0.1, 0.7 }, Size = { 0.4, 0.05 },
      SliderIcon = "img/knob.png", SliderValue = 0.5 },
  },
}
)";

// A panel of one button at (x, 0.4), 0.2 x 0.2, with the given extra keys.
std::string ButtonPanel(const std::string& name, float x, const std::string& button) {
  return "Panel = { Name = '" + name + "', Size = { 1, 1 }, Children = { { Name = '" + name +
         "_button', Pos = { " + std::to_string(x) + ", 0.4 }, Size = { 0.2, 0.2 }, " + button +
         " } } }\n";
}

class UIManagerTest : public uitest::UITest {
 protected:
  UIWidget* Load(const std::string& file, const std::string& text) {
    Write(file, text);
    UIWidget* panel = ui_.AddPanel(file);
    EXPECT_NE(panel, nullptr) << file;
    return panel;
  }
  // The names of the images bound for drawing, in order.
  std::vector<std::string> Drawn() const {
    std::vector<std::string> names;
    for (const auto& [stage, image] : renderer_.textures) names.push_back(image ? image->name : "");
    return names;
  }
};

TEST_F(UIManagerTest, APanelFileBuildsItsTreeThroughTheFactory) {
  const int noname = UIWidget::s_nonameCounter;
  LogCapture log;
  UIWidget* menu = Load("ui/menu.ui", kMenu);
  ASSERT_NE(menu, nullptr);
  EXPECT_TRUE(log.Contains("UI panel menu loaded from file ui/menu.ui"));
  EXPECT_EQ(menu->GetSourceFile(), "ui/menu.ui");
  EXPECT_EQ(ui_.GetPanels(), std::vector<UIWidget*>{menu});

  UIWidget* box = menu->FindChild("BOX");
  ASSERT_NE(box, nullptr);
  // A kind the factory does not know is a plain widget, silently, with its children.
  ASSERT_EQ(box->GetChildren().size(), 4u);
  UIWidget* mystery = box->FindChild("mystery");
  ASSERT_NE(mystery, nullptr);
  EXPECT_EQ(typeid(*mystery), typeid(UIWidget));
  EXPECT_NE(mystery->FindChild("inside"), nullptr);
  EXPECT_FALSE(log.Contains("mystery"));
  EXPECT_FALSE(log.Contains("gadget"));
  EXPECT_EQ(box->GetChildren()[1]->GetName(), "Noname_widget" + std::to_string(noname));
  EXPECT_EQ(UIWidget::s_nonameCounter, noname + 1);

  // Positions are kept absolute; the file gives them relative to the parent.
  UIWidget* play = ui_.GetWidget("Play");
  ASSERT_NE(play, nullptr);
  EXPECT_NEAR(play->GetPosition().x, 0.15f, 1e-6);
  EXPECT_NEAR(play->GetPosition().y, 0.15f, 1e-6);
  EXPECT_NEAR(play->GetRelativePosition().x, 0.05f, 1e-6);
  EXPECT_EQ(play->parent, box);
  EXPECT_EQ(play->GetRoot(), menu);

  UIProgress* bar = menu->GetProgressByName("bar");
  ASSERT_NE(bar, nullptr);
  EXPECT_FLOAT_EQ(bar->GetProgress(), 0.25f);
  EXPECT_EQ(menu->GetProgressByName("play"), nullptr);
  EXPECT_EQ(menu->GetProgressByName("nothing"), nullptr);
  UISlider* volume = menu->GetSliderByName("volume");
  ASSERT_NE(volume, nullptr);
  EXPECT_FLOAT_EQ(volume->GetSlider(), 0.5f);
  EXPECT_NEAR(volume->iconSize.x, 0.1f, 1e-6);  // the icon image's own size
  EXPECT_EQ(volume->GetType(), "slider");

  // The same file, or another panel of the same name, gives the loaded panel.
  EXPECT_EQ(ui_.AddPanel("ui/menu.ui"), menu);
  Write("ui/other.ui", "Panel = { Name = 'MENU' }");
  EXPECT_EQ(ui_.AddPanel("ui/other.ui"), menu);
  EXPECT_EQ(ui_.GetPanels().size(), 1u);

  EXPECT_EQ(ui_.AddPanel("ui/none.ui"), nullptr);
  EXPECT_TRUE(log.Contains("Unable to load UI panel ui/none.ui!"));
  Write("ui/nopanel.ui", "Menu = {}");
  EXPECT_EQ(ui_.AddPanel("ui/nopanel.ui"), nullptr);
  EXPECT_TRUE(log.Contains("Unable to load UI panel ui/nopanel.ui!"));
  EXPECT_EQ(ui_.AddPanel(""), nullptr);
  EXPECT_TRUE(log.Contains("Unable to load empty UI file!"));
}

TEST_F(UIManagerTest, AnEntryWithoutTypeIsAPlainWidgetAndEventsLoadTheirScripts) {
  UIWidget* panel = Load("ui/plain.ui",
                         "Panel = { Name = 'plain', Active = 2, CanDrag = 2, on_load = 'loaded = 1',"
                         " drop = 'x = 1', tab_key = 'never()' }");
  EXPECT_EQ(panel->type, UIWidget::WT_Widget);
  EXPECT_FALSE(panel->active);  // only 1 keeps it active
  EXPECT_TRUE(panel->canDrag);
  EXPECT_EQ(Global("loaded"), "1");
  EXPECT_EQ(panel->GetEventHandler(UIWidget::EV_Drop), "x = 1");
  EXPECT_EQ(UIWidget::GetEventName(UIWidget::EV_Hoover), std::string("hoover"));
  EXPECT_EQ(UIWidget::GetEventName(99), std::string("unknown"));
}

TEST_F(UIManagerTest, PanelsDrawInListOrderThenTheDraggedWidgetThenTheCursor) {
  Load("ui/back.ui",
       "Panel = { Name = 'back', MouseOff = 'img/back.png', Children = {"
       " { Name = 'card', Pos = { 0.1, 0.1 }, Size = { 0.1, 0.1 }, MouseOff = 'img/card.png' } } }");
  UIWidget* front = Load("ui/front.ui", "Panel = { Name = 'front', MouseOff = 'img/front.png' }");
  Load("ui/hidden.ui", "Panel = { Name = 'hidden', MouseOff = 'img/hidden.png' }")->SetIsVisible(false);

  ui_.Render();
  EXPECT_EQ(Drawn(), (std::vector<std::string>{"img/back.png", "img/card.png", "img/front.png",
                                               "Cursor.png"}));
  const auto& cursor = renderer_.draws.back().vertices;
  EXPECT_FLOAT_EQ(cursor[1].x, -0.5f);  // at the mouse position, (0, 0) so far

  // The dragged widget leaves its place and is drawn over every panel.
  renderer_.textures.clear();
  ui_.SetDragTarget(ui_.GetWidget("card"));
  ui_.Render();
  EXPECT_EQ(Drawn(), (std::vector<std::string>{"img/back.png", "img/front.png", "img/card.png",
                                               "Cursor.png"}));

  // Brought to the front, the back panel draws last; without the cursor flag no cursor.
  renderer_.textures.clear();
  ui_.SetDragTarget(nullptr);
  ui_.cursorShown = false;
  ui_.PushPanelToFront(ui_.GetPanel("back"));
  ui_.Render();
  EXPECT_EQ(Drawn(), (std::vector<std::string>{"img/front.png", "img/back.png", "img/card.png"}));
  ui_.PushPanelToBack(ui_.GetPanel("back"));
  EXPECT_EQ(ui_.GetPanels().back(), ui_.GetPanel("hidden"));
  front->SetIsActive(true);  // activating a panel brings it to the front
  EXPECT_EQ(ui_.GetPanels().back(), front);

  renderer_.textures.clear();
  ui_.uiShown = false;
  ui_.Render();
  EXPECT_TRUE(Drawn().empty());
}

TEST_F(UIManagerTest, APressGoesToTheFrontPanelsWidgetUnderThePointer) {
  Load("ui/back.ui", ButtonPanel("back", 0.4f, "lmb_click = 'clicked = \"back\"', MouseOff = 'b.png'"));
  UIWidget* front =
      Load("ui/front.ui", ButtonPanel("front", 0.5f, "lmb_click = 'clicked = \"front\"', MouseOff = 'f.png'"));

  Press({0.55f, 0.5f});  // over both buttons
  EXPECT_EQ(Global("clicked"), "front");
  Press({0.45f, 0.5f});  // over the back one only
  EXPECT_EQ(Global("clicked"), "back");

  // Without scripts a widget lets the press through; with blockAll it keeps every press.
  UIWidget* button = front->FindChild("front_button");
  button->SetEventHandler(UIWidget::EV_ClickLMB, "");
  Run("clicked = nil");
  Press({0.55f, 0.5f});
  EXPECT_EQ(Global("clicked"), "back");
  Run("clicked = nil");
  front->SetBlockAllEvents(true);
  Press({0.45f, 0.5f});
  Press({0.95f, 0.95f});
  EXPECT_EQ(Global("clicked"), "");

  // A hidden or inactive panel takes nothing.
  front->SetIsVisible(false);
  Press({0.45f, 0.5f});
  EXPECT_EQ(Global("clicked"), "back");
  // The right button has scripts of its own.
  ui_.GetWidget("back_button")->SetEventHandler(UIWidget::EV_ClickRMB, "clicked = 'right'");
  Press({0.45f, 0.5f}, 1);
  EXPECT_EQ(Global("clicked"), "right");
  // With the interface hidden nothing is pressed.
  ui_.uiShown = false;
  Press({0.45f, 0.5f});
  EXPECT_EQ(Global("clicked"), "right");
}

TEST_F(UIManagerTest, AReleaseFocusesTheWidgetAndClicksOnlyWithAReleaseScript) {
  UIWidget* panel = Load("ui/buttons.ui",
                         "Panel = { Name = 'buttons', Size = { 1, 1 }, Children = {"
                         " { Name = 'ok', Pos = { 0.1, 0.1 }, Size = { 0.2, 0.1 },"
                         "   lmb_release = 'released = \"ok\"' },"
                         " { Name = 'mute', Pos = { 0.1, 0.3 }, Size = { 0.2, 0.1 },"
                         "   lmb_release = 'released = \"mute\"', DisableClickSound = 1 },"
                         " { Name = 'quiet', Pos = { 0.1, 0.5 }, Size = { 0.2, 0.1 } } } }");
  auto& sounds = uitest::Sounds::Instance();
  sounds.Clear();
  Release({0.2f, 0.15f});
  EXPECT_EQ(Global("released"), "ok");
  EXPECT_EQ(ui_.GetFocus(), panel->FindChild("ok"));
  EXPECT_EQ(sounds.Count("button_press"), 1u);

  Release({0.2f, 0.35f});
  EXPECT_EQ(Global("released"), "mute");
  // Without a release script there is no click, and the release is not taken: the panel
  // under it takes the focus.
  Release({0.2f, 0.55f});
  EXPECT_EQ(ui_.GetFocus(), panel);
  EXPECT_EQ(sounds.Count("button_press"), 1u);
}

TEST_F(UIManagerTest, EveryMouseOffOfAMoveFiresBeforeAnyMouseOver) {
  Load("ui/left.ui", ButtonPanel("left", 0.1f, "mouse_off = 'trace = (trace or \"\") .. \"off \"',"
                                               " MouseOver = 'over.png'"));
  Load("ui/right.ui", ButtonPanel("right", 0.5f, "mouse_over = 'trace = (trace or \"\") .. \"over \"'"));
  auto& sounds = uitest::Sounds::Instance();

  Move({0.0f, 0.0f}, {0.2f, 0.5f});  // into the left button (it has an over image)
  EXPECT_EQ(ui_.GetWidget("left_button")->state, UIWidget::IS_Over);
  EXPECT_EQ(sounds.Count("button_rollover"), 1u);
  Run("trace = ''");
  Move({0.2f, 0.5f}, {0.6f, 0.5f});  // the right panel is in front, yet off comes first
  EXPECT_EQ(Global("trace"), "off over ");
  EXPECT_EQ(ui_.GetWidget("left_button")->state, UIWidget::IS_Off);
  EXPECT_EQ(sounds.Count("button_rollover"), 2u);  // the handled over event
  EXPECT_FLOAT_EQ(ui_.mousePosition.x, 0.6f);

  // A visible panel that blocks all hides the panels behind it from pointer moves.
  UIWidget* veil = Load("ui/veil.ui", "Panel = { Name = 'veil', Size = { 1, 1 }, BlockAll = 1 }");
  Move({0.6f, 0.5f}, {0.2f, 0.5f});
  EXPECT_EQ(ui_.GetWidget("left_button")->state, UIWidget::IS_Off);
  EXPECT_EQ(ui_.GetWidget("right_button")->state, UIWidget::IS_Over);
  veil->SetIsVisible(false);
  Move({0.6f, 0.5f}, {0.2f, 0.5f});
  EXPECT_EQ(ui_.GetWidget("left_button")->state, UIWidget::IS_Over);
}

TEST_F(UIManagerTest, ADraggedWidgetFollowsAndReturnsUnlessItsDropIsHandled) {
  UIWidget* panel = Load("ui/desk.ui",
                         "Panel = { Name = 'desk', Size = { 1, 1 }, Children = {"
                         " { Name = 'card', Pos = { 0.1, 0.1 }, Size = { 0.1, 0.1 }, CanDrag = 1 },"
                         " { Name = 'pin', Pos = { 0.5, 0.1 }, Size = { 0.1, 0.1 }, CanDrag = 1,"
                         "   drop = 'dropped = \"pin\"' } } }");
  UIWidget* card = panel->FindChild("card");
  Drag({0.15f, 0.15f}, {0.4f, 0.4f});
  EXPECT_EQ(ui_.GetDragTarget(), card);
  EXPECT_EQ(ui_.GetFocus(), card);
  EXPECT_NEAR(card->GetPosition().x, 0.39f, 1e-6);  // a tenth of its size before the pointer
  EXPECT_NEAR(ui_.dragStart.x, 0.1f, 1e-6);
  Drag({0.15f, 0.15f}, {0.6f, 0.6f});  // the target follows wherever the pointer goes
  EXPECT_NEAR(card->GetPosition().y, 0.59f, 1e-6);
  ui_.Tick(0.01f);
  ASSERT_EQ(FontManager::Get().QueuedCount(), 1u);
  EXPECT_EQ(FontManager::Get().QueuedTexts()[0].text, "0.10, 0.10");

  Drop({0.15f, 0.15f}, {0.6f, 0.6f});
  EXPECT_EQ(ui_.GetDragTarget(), nullptr);
  EXPECT_NEAR(card->GetPosition().x, 0.1f, 1e-6);  // back where it began

  UIWidget* pin = panel->FindChild("pin");
  Drag({0.55f, 0.15f}, {0.8f, 0.8f});
  Drop({0.55f, 0.15f}, {0.8f, 0.8f});
  EXPECT_EQ(Global("dropped"), "pin");
  EXPECT_NEAR(pin->GetPosition().x, 0.79f, 1e-6);
}

TEST_F(UIManagerTest, KeysReachOnlyTheEditedTextWhichAReleaseChooses) {
  UIWidget* panel = Load("ui/form.ui",
                         "Panel = { Name = 'form', Size = { 1, 1 }, Children = {"
                         " { Name = 'name', Pos = { 0.1, 0.1 }, Size = { 0.4, 0.05 }, CanEdit = 1,"
                         "   Next = 'town', up_key = 'up = 1' },"
                         " { Name = 'town', Pos = { 0.1, 0.2 }, Size = { 0.4, 0.05 }, CanEdit = 1 },"
                         " { Name = 'label', Pos = { 0.1, 0.3 }, Size = { 0.4, 0.05 } } } }");
  constexpr uint32_t kKeyA = 0x1E;
  Key(kKeyA);  // nothing is edited yet
  Key(DIK_UP, false);
  EXPECT_EQ(Global("up"), "");

  Release({0.2f, 0.12f});
  UIWidget* name = panel->FindChild("name");
  ASSERT_EQ(ui_.GetEditText(), &name->text);
  EXPECT_EQ(ui_.GetFocus(), name);
  Key(kKeyA);
  Key(kKeyA);
  EXPECT_EQ(name->GetText(), "aa");
  Key(DIK_UP, false);
  EXPECT_EQ(Global("up"), "1");
  Key(DIK_TAB, false);
  EXPECT_EQ(ui_.GetEditText(), &panel->FindChild("town")->text);
  Key(kKeyA);
  EXPECT_EQ(panel->FindChild("town")->GetText(), "a");

  // A release on a text that cannot be edited focuses it and stops the editing.
  Release({0.2f, 0.32f});
  EXPECT_EQ(ui_.GetEditText(), nullptr);
  Key(kKeyA);
  EXPECT_EQ(panel->FindChild("town")->GetText(), "a");
}

TEST_F(UIManagerTest, ASavedPanelLoadsBackAsTheSameTree) {
  UIWidget* menu = Load("ui/menu.ui", kMenu);
  UIWidget* play = ui_.GetWidget("play");
  play->SetText("C:\\saves\n\"quoted\"");
  play->SetEventHandler(UIWidget::EV_ReleaseLMB, "print(\"a\\nb\")");
  play->SetColor(2 / 255.0f, 128 / 255.0f, 1.0f, 77 / 255.0f);
  play->SetTextColor(0.5f, 0.25f, 0.0f, 1.0f);
  play->blockAll = true;
  play->canDrag = true;
  play->active = false;
  play->playSound = false;
  play->disableOverSound = true;
  play->next = "volume";
  play->text.maxInput = 12;
  play->text.SetHJust("right");
  play->text.SetVJust("top");
  play->rotation = 12.5f;
  for (auto& image : play->images) image.additive = true;
  menu->GetProgressByName("bar")->flipped = true;
  UISlider* volume = menu->GetSliderByName("volume");
  volume->iconSize = math::Vec2(0.3f, 0.3f);  // written, but taken from the icon again
  auto* upright = new UIVerSlider(nullptr, "");
  upright->Create("upright", {0.05f, 0.05f}, {0.05f, 0.4f});
  upright->SetSlider(0.75f);
  menu->AddChild(upright);

  ASSERT_TRUE(ui_.SavePanel(menu, "ui/saved.ui"));
  const std::string file = testenv::ReadFile("ui/saved.ui");
  EXPECT_NE(file.find("-- Child entry = "), std::string::npos);
  EXPECT_NE(file.find("BlockAll = true,"), std::string::npos);
  EXPECT_NE(file.find("CanDrag = 1,"), std::string::npos);
  EXPECT_NE(file.find("Active = 0,"), std::string::npos);
  EXPECT_NE(file.find("Type = \"verslider\""), std::string::npos);
  // The bar's flags as integers, as panels write their flags.
  EXPECT_NE(file.find("HorizProgress = 1,"), std::string::npos);
  EXPECT_NE(file.find("Flipped = 1,"), std::string::npos);
  EXPECT_EQ(file.find("IsPassword"), std::string::npos);
  EXPECT_EQ(file.find("MaxInput = 64"), std::string::npos);  // only the non-default one
  EXPECT_EQ(file.back(), '\n');
  EXPECT_EQ(file[file.size() - 2], '}');

  // Loaded under another name beside the original, the copy must match it everywhere.
  std::string renamed = file;
  renamed.replace(renamed.find("\"menu\""), 6, "\"copy\"");
  Write("ui/copy.ui", renamed);
  UIWidget* copy = ui_.AddPanel("ui/copy.ui");
  ASSERT_NE(copy, nullptr);
  ASSERT_NE(copy, menu);

  std::function<void(UIWidget*, UIWidget*)> same = [&](UIWidget* a, UIWidget* b) {
    SCOPED_TRACE(a->GetName());
    if (a != menu) {
      EXPECT_EQ(a->GetName(), b->GetName());
    }
    EXPECT_EQ(a->type, b->type);
    EXPECT_NEAR(a->GetRelativePosition().x, b->GetRelativePosition().x, 1e-5);
    EXPECT_NEAR(a->GetRelativePosition().y, b->GetRelativePosition().y, 1e-5);
    EXPECT_NEAR(a->size.x, b->size.x, 1e-5);
    EXPECT_NEAR(a->size.y, b->size.y, 1e-5);
    EXPECT_EQ(a->color, b->color);
    EXPECT_EQ(a->text.color, b->text.color);
    EXPECT_EQ(a->text.rawText, b->text.rawText);
    EXPECT_EQ(a->text.hJust, b->text.hJust);
    EXPECT_EQ(a->text.vJust, b->text.vJust);
    EXPECT_EQ(a->text.maxInput, b->text.maxInput);
    EXPECT_EQ(a->text.fontName, b->text.fontName);
    EXPECT_EQ(a->blockAll, b->blockAll);
    EXPECT_EQ(a->canDrag, b->canDrag);
    EXPECT_EQ(a->active, b->active);
    EXPECT_EQ(a->playSound, b->playSound);
    EXPECT_EQ(a->disableOverSound, b->disableOverSound);
    EXPECT_EQ(a->next, b->next);
    EXPECT_FLOAT_EQ(a->rotation, b->rotation);
    for (int i = 0; i < UIWidget::kImageCount; ++i) {
      EXPECT_EQ(a->images[i].fileName, b->images[i].fileName) << i;
    }
    EXPECT_EQ(a->images[0].additive, b->images[0].additive);
    for (int id = 0; id < UIWidget::EV_Count; ++id) {
      EXPECT_EQ(a->GetEventHandler(id), b->GetEventHandler(id)) << id;
    }
    if (auto* bar = dynamic_cast<UIProgress*>(a)) {
      auto* other = dynamic_cast<UIProgress*>(b);
      EXPECT_FLOAT_EQ(bar->value, other->value);
      EXPECT_EQ(bar->horizontal, other->horizontal);
      EXPECT_EQ(bar->flipped, other->flipped);
    }
    if (auto* slider = dynamic_cast<UISlider*>(a)) {
      auto* other = dynamic_cast<UISlider*>(b);
      EXPECT_FLOAT_EQ(slider->value, other->value);
    }
    ASSERT_EQ(a->GetChildren().size(), b->GetChildren().size());
    for (size_t i = 0; i < a->GetChildren().size(); ++i) same(a->GetChildren()[i], b->GetChildren()[i]);
  };
  same(menu, copy);
  EXPECT_EQ(copy->GetWidgetByName("play")->GetText(), "C:\\saves\n\"quoted\"");
  EXPECT_NEAR(copy->GetSliderByName("volume")->iconSize.x, 0.1f, 1e-6);
  EXPECT_NE(dynamic_cast<UIVerSlider*>(copy->GetWidgetByName("upright")), nullptr);

  EXPECT_FALSE(ui_.SavePanel(nullptr, "ui/none.ui"));
}

TEST_F(UIManagerTest, DroppingAPanelClearsEveryPointerIntoIt) {
  UIWidget* form = Load("ui/form.ui",
                        "Panel = { Name = 'form', Size = { 1, 1 }, Children = {"
                        " { Name = 'name', Pos = { 0.1, 0.1 }, Size = { 0.4, 0.05 }, CanEdit = 1 },"
                        " { Name = 'list', Pos = { 0.1, 0.3 }, Size = { 0.4, 0.05 }, CanDrag = 1 } } }");
  UIWidget* other = Load("ui/other.ui", "Panel = { Name = 'other', CanDrag = 1 }");

  ui_.SetEditWidget(form->FindChild("name"));
  ui_.SetDragTarget(form->FindChild("list"));
  ui_.SetOpenDropDown(form->FindChild("list"));
  EXPECT_TRUE(ui_.DropPanel(form, false));  // taken out, not deleted
  EXPECT_EQ(ui_.GetFocus(), nullptr);
  EXPECT_EQ(ui_.GetEditText(), nullptr);
  EXPECT_EQ(ui_.GetDragTarget(), nullptr);
  EXPECT_EQ(ui_.GetOpenDropDown(), nullptr);
  EXPECT_FALSE(ui_.DropPanel(form, true));  // no panel any more
  delete form;

  // Pointers into other panels stay; deleting a child forgets it.
  ui_.SetDragTarget(other);
  auto* child = new UIWidget(other, "child");
  other->AddChild(child);
  ui_.SetFocus(child);
  EXPECT_TRUE(other->DeleteChild(child, true));
  EXPECT_EQ(ui_.GetFocus(), nullptr);
  EXPECT_EQ(ui_.GetDragTarget(), other);
  EXPECT_FALSE(other->DeleteChild(nullptr, true));

  ui_.DropAllPanels();
  EXPECT_EQ(ui_.GetDragTarget(), nullptr);
  EXPECT_TRUE(ui_.GetPanels().empty());
}

TEST_F(UIManagerTest, RefreshActiveReloadsVisibleFilePanelsAndKeepsTheRest) {
  Load("ui/hud.ui", "Panel = { Name = 'hud', Text = 'old' }");
  UIWidget* hidden = Load("ui/map.ui", "Panel = { Name = 'map' }");
  hidden->SetIsVisible(false);
  auto* built = new UIWidget(nullptr, "");
  built->Create("built", {0, 0}, {1, 1});
  ui_.AttachPanel(built);
  Write("ui/hud.ui", "Panel = { Name = 'hud', Text = 'new' }");

  ui_.RefreshActive();
  ASSERT_NE(ui_.GetPanel("hud"), nullptr);
  EXPECT_EQ(ui_.GetPanel("hud")->GetText(), "new");
  EXPECT_EQ(ui_.GetPanel("map"), hidden);
  EXPECT_EQ(ui_.GetPanel("built"), built);  // nothing to reload it from: it stays
  EXPECT_EQ(ui_.GetPanels().back(), ui_.GetPanel("hud"));
}

TEST_F(UIManagerTest, LanguageChangesReachEveryPanelAndTicksRunFromTheFront) {
  UIWidget* first = Load("ui/first.ui",
                         "Panel = { Name = 'first', Text = 'GREETING', MouseOff = 'img/flag_###.png' }");
  UIWidget* last = Load("ui/last.ui", "Panel = { Name = 'last', MouseOff = 'img/last.png' }");
  lang::StrMan::Instance().Insert("GREETING", new WString(u"Hello"));
  ui_.RefreshText();
  EXPECT_EQ(first->GetText(), "Hello");

  ui_.SetLanguageName("Finnish");
  ui_.ReloadImages();
  EXPECT_EQ(first->images[0].image->name, "img/flag_Finnish.png");
  EXPECT_EQ(first->images[0].fileName, "img/flag_###.png");

  // Panels tick from the last (the front) to the first.
  std::vector<std::string> order;
  struct Recorder : UIMover {
    Recorder(UIWidget* w, std::vector<std::string>* o) : UIMover(w, -1.0f, 0.0f, true), order(o) {}
    void OnFinish() override {
      order->push_back(widget->GetName());
      UIMover::OnFinish();
    }
    std::vector<std::string>* order;
  };
  first->AddMover(new Recorder(first, &order));
  last->AddMover(new Recorder(last, &order));
  ui_.Tick(0.01f);
  EXPECT_EQ(order, (std::vector<std::string>{"last", "first"}));
}

TEST_F(UIManagerTest, AScriptMayDropThePanelWhoseWidgetRunsIt) {
  Load("ui/dialog.ui",
       ButtonPanel("dialog", 0.4f,
                   "lmb_click = 'GetUIMan():GetPanel(\"dialog\"):DeleteChild("
                   "GetUIMan():GetWidget(\"dialog_button\"))',"
                   " lmb_release = 'GetUIMan():RefreshActive() reloaded = 1', CanEdit = 1"));
  // The press deletes the button from inside its own click event.
  Press({0.5f, 0.5f});
  EXPECT_EQ(ui_.GetWidget("dialog_button"), nullptr);

  // A release reloads every panel from inside the button's release event: the button
  // that was just made the edited text and the focus goes with its panel.
  ui_.DropPanel(ui_.GetPanel("dialog"), true);
  ASSERT_NE(ui_.AddPanel("ui/dialog.ui"), nullptr);
  Release({0.5f, 0.5f});
  EXPECT_EQ(Global("reloaded"), "1");
  EXPECT_EQ(ui_.GetPanels().size(), 1u);
  EXPECT_EQ(ui_.GetFocus(), nullptr);
  EXPECT_EQ(ui_.GetEditText(), nullptr);
  ASSERT_NE(ui_.GetWidget("dialog_button"), nullptr);
}

TEST_F(UIManagerTest, HandlesEmptyThemselvesWhenTheirWidgetIsDeleted) {
  UIWidget* panel = Make({0.0f, 0.0f}, {0.5f, 0.5f});
  UIWidget* child = Make({0.1f, 0.1f}, {0.1f, 0.1f}, panel);
  UIWidget* grandchild = Make({0.0f, 0.0f}, {0.05f, 0.05f}, child);
  UIWidget* other = Make({0.6f, 0.6f}, {0.1f, 0.1f});
  ui::WidgetHandle toPanel(panel);
  ui::WidgetHandle toGrandchild(grandchild);
  ui::WidgetHandle copy(toGrandchild);
  ui::WidgetHandle moved;
  moved = toPanel;
  moved.Reset(other);  // re-pointed: the panel's deletion no longer concerns it
  {
    // A handle that goes first leaves nothing behind in its widget.
    ui::WidgetHandle shortLived(child);
  }
  // A child deleted through its parent.
  ASSERT_TRUE(panel->DeleteChild(child, true));
  EXPECT_FALSE(toGrandchild);
  EXPECT_EQ(copy.Get(), nullptr);
  EXPECT_EQ(toPanel.Get(), panel);
  // A panel dropped and deleted; a panel dropped and kept stays pointed at.
  ASSERT_TRUE(ui_.DropPanel(panel, true));
  EXPECT_FALSE(toPanel);
  EXPECT_EQ(moved.Get(), other);
  ASSERT_TRUE(ui_.DropPanel(other, false));
  EXPECT_EQ(moved.Get(), other);
  delete other;
  EXPECT_FALSE(moved);
  // Every panel deleted at shutdown.
  UIWidget* last = Make({0.0f, 0.0f}, {0.1f, 0.1f});
  ui::WidgetHandle toLast(last);
  ui_.Shutdown();
  EXPECT_FALSE(toLast);
}

TEST_F(UIManagerTest, APanelHandleFollowsItsPanelAcrossRebuildsAndSaysWhenItChanged) {
  ui::PanelHandle hud("HUD");
  EXPECT_FALSE(hud.Renew()) << "no panel of the name yet";
  EXPECT_FALSE(hud);
  UIWidget* first = Load("ui/hud.ui", "Panel = { Name = 'hud' }");
  EXPECT_TRUE(hud.Renew()) << "the first one found";
  EXPECT_EQ(hud.Get(), first);
  EXPECT_FALSE(hud.Renew()) << "still the same";

  // Rebuilt from its file: another panel of the name.
  ui_.RefreshActive();
  EXPECT_FALSE(hud) << "the old one was deleted";
  EXPECT_TRUE(hud.Renew());
  EXPECT_EQ(hud.Get(), ui_.GetPanel("hud"));
  EXPECT_FALSE(hud.Renew());

  // Taken out of the list but not deleted yet (as inside a pass): the one of the name now.
  UIWidget* kept = hud.Get();
  ASSERT_TRUE(ui_.DropPanel(kept, false));
  UIWidget* again = ui_.AddPanel("ui/hud.ui");
  EXPECT_TRUE(hud.Renew());
  EXPECT_EQ(hud.Get(), again);
  delete kept;

  // Dropped for good: empty, and nothing to tell.
  ASSERT_TRUE(ui_.DropPanel(again, true));
  EXPECT_FALSE(hud.Renew());
  EXPECT_FALSE(hud);
  // A handle made from a panel holds that one under its name.
  UIWidget* made = Load("ui/hud.ui", "Panel = { Name = 'hud' }");
  ui::PanelHandle held(made);
  EXPECT_EQ(held.GetName(), "hud");
  EXPECT_EQ(held.Get(), made);
  EXPECT_FALSE(held.Renew());
}

}  // namespace
