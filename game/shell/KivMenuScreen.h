#pragma once

#include <string>

#include "engine/app/GameScreen.h"
#include "engine/app/InputListener.h"
#include "engine/background/BGScene.h"

// The base of the game's screens outside a level: a script-driven screen with a
// background scene of its own, a keyboard listener that is enabled only while the screen
// is current, the popup transitions ticked and drawn over it, and the main music theme on
// entry.
//
// The screen draws its own scene: the back layer under the panels, and over them, after
// the debug-draw queue is flushed and the default render states are set again (so that
// nothing the panels left set changes how the front layer is drawn), the front layer and
// then the popup transitions.
//
// The scene's editor, when one is attached (F2 in a developer build), receives the mouse
// presses, moves and wheel and the pressed and held keys; without it they are ignored.
class KivMenuScreen : public GameScreen, public input::KeyboardListener {
 public:
  // The screen with its panel file and scripts; its own scene is loaded from the
  // background file (none when it is empty).
  KivMenuScreen(camera::Camera* camera, const std::string& panelFile, const std::string& enterScript,
                const std::string& exitScript, const std::string& backgroundFile);
  ~KivMenuScreen() override = default;

  // Keyboard on; the main theme starts at once from its beginning unless it is current
  // already (a sting then goes on); then the screen's entry, so that the enter script may
  // choose another theme.
  bool OnEnter() override;
  // Keyboard off, then the screen's exit.
  bool OnExit() override;
  // The popup transitions, the screen's own scene, then the screen's tick (panels,
  // camera).
  bool Tick(float dt) override;
  std::string GetTypeName() const override { return "kiv_menu"; }
  // Under the panels: the scene's back layer.
  void RenderBackground() override;
  // Over the panels: the debug-draw queue flushed, the default render states, the
  // scene's front layer, the popup transitions.
  void RenderForeground() override;

  void MouseButtonPressed(const input::MouseButton* button, const math::Vec2* position) override;
  void MouseMoved(const math::Vec2* oldPosition, const math::Vec2* newPosition) override;
  void MouseWheel(int delta, const math::Vec2* position) override;
  void KeyPressed(const input::KeyEvent* event) override;
  void KeyDown(const input::KeyEvent* event) override;

  // The screen's own background scene (the one GetMenuState's scripts and the editors
  // reach); it stands in for the screen base's scene of the same name, which stays empty
  // for these screens.
  background::BGScene scene;
};
