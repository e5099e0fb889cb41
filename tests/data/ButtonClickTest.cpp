// Every button of the game's panels takes a click at its centre on each screen that puts its
// panel in front: the panels are loaded in the order the game loads them and shown as each
// screen shows them (the screen's own panel, then each panel its scripts bring to the
// front), and a press and release at the centre of each button that a panel gives a click
// script must run that button's script and no other. A blocking card listed before its buttons, a
// label laid over a button or a panel in front that swallows the click would fail it.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine/core/Console.h"
#include "engine/core/Script.h"
#include "engine/ui/UIWidget.h"
#include "tests/data/ContentScreenTest.h"

namespace {

using contenttest::Centre;

// The panels each screen shows, in the order they come to the front; the last, in front,
// is the one whose buttons the player uses there.
struct Screen {
  const char* name;
  std::vector<std::string> panels;
};

const Screen kScreens[] = {
    {"menu", {"MainMenu"}},
    {"settings", {"settings"}},
    {"shop", {"shop", "fashion_studio"}},
    {"highscores", {"highscore"}},
    {"trophy room", {"trophy_screen"}},
    {"trophy won in the room", {"trophy_screen", "trophy_popup"}},
    {"story", {"story"}},
    {"the story's end", {"story", "trophy_popup"}},
    {"story map", {"map_asia"}},
    {"free play map", {"map_zen"}},
    {"credits", {"credits"}},
    {"level", {"in_game"}},
    {"level paused", {"in_game", "pause"}},
    {"level's help", {"in_game", "help_flash"}},
    {"level's prompt", {"in_game", "prompt_dlg"}},
    {"level's introduction", {"in_game", "intro_dlg"}},
    {"trophy won in a level", {"in_game", "trophy_popup"}},
    {"studio in a level", {"in_game", "fashion_studio"}},
    {"summary of a won level", {"kiv_victory", "summary"}},
    {"summary of a lost level", {"kiv_defeat", "summary"}},
    {"clothes after a won level", {"kiv_victory", "buy_popup"}},
    {"studio after a won level", {"kiv_victory", "fashion_studio"}},
};

// The panels the game's states load as they are made, after "OnInitUI()", in that order;
// the level's end popups load theirs when a level ends.
const char* const kStatePanels[] = {"ui/in_game.ui",   "ui/menu.ui",  "ui/shop.ui",     "ui/settings.ui",
                                    "ui/highscore.ui", "ui/story.ui", "ui/credits.ui",  "ui/map_asia.ui",
                                    "ui/map_zen.ui",   "ui/kiv_victory.ui", "ui/kiv_defeat.ui"};

const int kClickEvents[] = {ui::UIWidget::EV_ClickLMB, ui::UIWidget::EV_ReleaseLMB};

bool IsButton(const ui::UIWidget* widget) {
  return std::any_of(std::begin(kClickEvents), std::end(kClickEvents),
                     [&](int event) { return !widget->eventScripts[event].empty(); });
}

void Collect(ui::UIWidget* widget, std::vector<ui::UIWidget*>& into) {
  into.push_back(widget);
  for (ui::UIWidget* child : widget->GetChildren()) Collect(child, into);
}

class ButtonClickTest : public contenttest::ContentScreenTest {
 protected:
  void SetUp() override {
    ContentScreenTest::SetUp();
    Run("OnInitUI()");
    for (const char* file : kStatePanels) ASSERT_NE(Panel(file), nullptr) << file;
    Run("ClickTestHits = {}\n"
        "function ClickTestHit(name) table.insert(ClickTestHits, name) end");
  }

  std::vector<std::string> Hits() {
    std::vector<std::string> hits;
    const LuaObject list = script::GetGlobal(console::GetConsole().GetState(), "ClickTestHits");
    for (int i = 1; list.IsTable() && i <= list.GetTableCount(); ++i) hits.push_back(list[i].ToStdString());
    Run("ClickTestHits = {}");
    return hits;
  }
};

TEST_F(ButtonClickTest, EveryButtonTakesAClickAtItsCentreOnTheScreensThatShowIt) {
  // Each button's click scripts become a record of its own name, so that a click tells
  // which widget took it; the buttons are shown and active, as their screens show them
  // when they offer them.
  std::map<ui::UIWidget*, std::string> buttons;  // button -> "panel/widget"
  std::set<std::string> panelsWithButtons;
  for (ui::UIWidget* panel : std::vector<ui::UIWidget*>(ui_.GetPanels())) {
    std::vector<ui::UIWidget*> widgets;
    Collect(panel, widgets);
    for (ui::UIWidget* widget : widgets) {
      if (!IsButton(widget)) continue;
      const std::string name = panel->GetName() + "/" + widget->GetName();
      buttons[widget] = name;
      panelsWithButtons.insert(panel->GetName());
      for (int event : kClickEvents) {
        if (!widget->eventScripts[event].empty()) widget->SetEventHandler(event, "ClickTestHit('" + name + "')");
      }
      // (Activating a panel itself would bring it to the front: panels are active.)
      for (ui::UIWidget* shown = widget; shown->GetParent(); shown = shown->GetParent()) {
        shown->SetIsVisible(true);
        shown->SetIsActive(true);
      }
    }
  }
  ASSERT_GT(buttons.size(), 60u);

  std::set<std::string> fronts;
  size_t clicked = 0;
  for (const Screen& screen : kScreens) {
    SCOPED_TRACE(screen.name);
    for (ui::UIWidget* panel : ui_.GetPanels()) panel->SetIsVisible(false);
    for (const std::string& name : screen.panels) {
      ui::UIWidget* panel = ui_.GetPanel(name);
      ASSERT_NE(panel, nullptr) << name;
      panel->SetIsVisible(true);
      ui_.PushPanelToFront(panel);
    }
    // A click at the centre of each button of the front panel runs its script alone.
    std::vector<ui::UIWidget*> widgets;
    Collect(ui_.GetPanel(screen.panels.back()), widgets);
    for (ui::UIWidget* widget : widgets) {
      if (!buttons.count(widget)) continue;
      Hits();
      Click(Centre(widget));
      EXPECT_EQ(Hits(), std::vector<std::string>{buttons[widget]}) << "a click at the centre of " << buttons[widget];
      ++clicked;
    }
    fronts.insert(screen.panels.back());
  }
  for (const std::string& panel : panelsWithButtons) {
    EXPECT_TRUE(fronts.count(panel)) << panel << " has buttons but no screen here puts it in front";
  }
  EXPECT_GE(clicked, buttons.size());
}

}  // namespace
