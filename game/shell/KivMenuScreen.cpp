#include "game/shell/KivMenuScreen.h"

#include "engine/app/Keyboard.h"
#include "engine/app/Mouse.h"
#include "engine/graphics/DrawQueue.h"
#include "engine/graphics/Graphics.h"
#include "game/shell/KivUITransition.h"
#include "game/shell/Music.h"

KivMenuScreen::KivMenuScreen(camera::Camera* screenCamera, const std::string& panelFile,
                             const std::string& enter, const std::string& exit,
                             const std::string& backgroundFile)
    : GameScreen(screenCamera, panelFile, enter, exit, OwnScene{}) {
  name = "kiv_menu";
  input::KeyboardListener::enabled = false;
  if (!backgroundFile.empty()) scene.Load(backgroundFile);
}

bool KivMenuScreen::OnEnter() {
  input::KeyboardListener::enabled = true;
  KivMusic::Instance().EnterMenuScreen();
  GameScreen::OnEnter();
  return true;
}

bool KivMenuScreen::OnExit() {
  input::KeyboardListener::enabled = false;
  return GameScreen::OnExit();
}

bool KivMenuScreen::Tick(float dt) {
  KivUITransition::Instance().Tick(dt);
  scene.Update(dt);
  return GameScreen::Tick(dt);
}

void KivMenuScreen::RenderBackground() { scene.Render(); }

void KivMenuScreen::RenderForeground() {
  dd::Manager::Instance().Render2D();
  if (Graphics* graphics = GetGraphics()) graphics->ResetRenderStates();
  scene.RenderForeground();
  KivUITransition::Instance().Render();
}

void KivMenuScreen::MouseButtonPressed(const input::MouseButton* button, const math::Vec2* position) {
  if (scene.editor && button && position) scene.MouseButtonPressed(static_cast<int>(button->id), *position);
}

void KivMenuScreen::MouseMoved(const math::Vec2* oldPosition, const math::Vec2* newPosition) {
  if (scene.editor && oldPosition && newPosition) scene.MouseMoved(*oldPosition, *newPosition);
}

void KivMenuScreen::MouseWheel(int delta, const math::Vec2*) {
  if (scene.editor) scene.MouseWheel(delta);
}

void KivMenuScreen::KeyPressed(const input::KeyEvent* event) {
  if (scene.editor && event) scene.KeyPressed(event->code);
}

void KivMenuScreen::KeyDown(const input::KeyEvent* event) {
  if (scene.editor && event) scene.KeyHeld(event->code);
}
