#include "tests/shell/ShellUITest.h"

#include "engine/app/Audio.h"
#include "engine/app/AudioSet.h"
#include "engine/core/Console.h"
#include "engine/part2d/Part2D.h"
#include "game/shell/KivTrophyScreen.h"
#include "game/shell/KivUITransition.h"
#include "game/shell/Shell.h"

namespace shelltest {

std::string ShellUITest::Effect() {
  const std::string group =
      "{ Image = 'img/dot.png', MaxC = 500, GenRate = 0.0, Lifespan = { 50, 50 }, IsSecondary = ";
  return "Part2D = {\n  " + group + "0 },\n  " + group + "0 },\n  " + group + "1 },\n}\n";
}

void ShellUITest::SetUp() {
  UITest::SetUp();
  // The recording back end takes any bytes: each file holds its sound's name.
  Write("sounds/shell_bank.lua",
        "SoundBank = {\n"
        "  { Name = 'popup_open', Files = { 'sounds/popup_open.wav' } },\n"
        "  { Name = 'popup_close', Files = { 'sounds/popup_close.wav' } },\n"
        "}\n");
  Write("sounds/popup_open.wav", "popup_open");
  Write("sounds/popup_close.wav", "popup_close");
  // The audio library runs already (the stage started it): the bank takes the entries.
  ASSERT_NE(audio::GetAudio().GetSoundBank(), nullptr);
  audio::GetAudio().GetSoundBank()->Load("sounds/shell_bank.lua");
  ASSERT_TRUE(RegisterShellScripts(console::GetConsole().GetState()));
  uitest::Sounds::Instance().Clear();
}

void ShellUITest::TearDown() {
  // The shared objects let go of this test's pictures while its renderer exists.
  if (KivTrophyScreen* screen = KivTrophyScreen::Existing()) screen->Shutdown();
  if (KivUITransition* transition = KivUITransition::Existing()) transition->Shutdown();
  UITest::TearDown();
}

ui::UIWidget* ShellUITest::MakePanel(const std::string& name) {
  auto* panel = new ui::UIWidget(nullptr, "");
  panel->Create(name, math::Vec2(0.25f, 0.25f), math::Vec2(0.5f, 0.5f));
  panel->SetIsVisible(false);
  ui_.AttachPanel(panel);
  return panel;
}

ui::UIWidget* ShellUITest::MakeChild(ui::UIWidget* parent, const std::string& name,
                                     const math::Vec2& position, const math::Vec2& size) {
  auto* widget = new ui::UIWidget(parent, "");
  widget->Create(name, position, size);
  parent->AddChild(widget);
  return widget;
}

int ShellUITest::Live(const part2d::Part2D& system, int group) {
  const part2d::PartGroup* found = system.GetGroup(group);
  return found ? found->GetLiveCount() : -1;
}

}  // namespace shelltest
