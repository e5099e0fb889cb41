#include "engine/app/GameScreen.h"

#include "engine/app/GameFlowManager.h"
#include "engine/core/Console.h"
#include "engine/core/VFS.h"
#include "engine/graphics/Camera.h"
#include "engine/graphics/DrawQueue.h"
#include "engine/graphics/FontManager.h"
#include "engine/graphics/Graphics.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/UIWidget.h"

namespace {

// The clear colour of a frame drawn without a camera (the camera's default).
constexpr uint32_t kNoCameraClearColor = 0xFF000000;

}  // namespace

GameScreen::GameScreen(camera::Camera* screenCamera, const std::string& panelFile,
                       const std::string& enter, const std::string& exit, const std::string& sceneFile)
    : GameScreen(screenCamera, panelFile, enter, exit,
                 sceneFile.empty() ? SceneSource::kNamedAfterPanel : SceneSource::kFile, sceneFile) {}

GameScreen::GameScreen(camera::Camera* screenCamera, const std::string& panelFile,
                       const std::string& enter, const std::string& exit, OwnScene)
    : GameScreen(screenCamera, panelFile, enter, exit, SceneSource::kKeptByScreen, "") {}

GameScreen::GameScreen(camera::Camera* screenCamera, const std::string& panelFile,
                       const std::string& enter, const std::string& exit, SceneSource sceneSource,
                       const std::string& sceneFile)
    : camera(screenCamera), enterScript(enter), exitScript(exit) {
  // Registered by the listener's constructor; events reach it only while it is current.
  input::MouseListener::enabled = false;

  ui::UIWidget* panel = panelFile.empty() ? nullptr : ui::GetUIMan().AddPanel(panelFile);
  if (panel) {
    panel->SetIsVisible(false);
    AttachPanel(panel);
  }
  // A screen that names its own scene does not look for one named after its panel: the
  // look would only fail and log two errors at every start. Without a scene of its own
  // or a panel, a screen has no scene.
  switch (sceneSource) {
    case SceneSource::kNamedAfterPanel:
      if (panel) scene.Load(vfs::StripExtension(panelFile) + ".lua");
      break;
    case SceneSource::kFile:
      scene.Load(sceneFile);
      break;
    case SceneSource::kKeptByScreen:
      break;
  }
}

GameScreen::~GameScreen() = default;

bool GameScreen::OnEnter() {
  GameState::OnEnter();
  SetPanelsVisible(true);
  OnPanelsShown();
  // Nothing runs for an empty script or before the console has its Lua state.
  console::GetConsole().Do(enterScript);

  backdrop.LoadImage(kBackdropImage);
  backdrop.SetTransform(math::Vec2(0.0f, 0.0f), math::Vec2(1.0f, 1.0f), 0.0f, 1.0f, 0xFFFFFFFF);

  if (camera) {
    ui::GetUIMan().camera = camera;
    camera->LookAt(math::Vec3(0.0f, 0.0f, -20.0f), math::Vec3(0.0f, 0.0f, 0.0f), math::Vec3(0.0f, 1.0f, 0.0f));
  }
  input::MouseListener::enabled = true;
  return true;
}

bool GameScreen::OnExit() {
  GameState::OnExit();
  input::MouseListener::enabled = false;
  SetPanelsVisible(false);
  console::GetConsole().Do(exitScript);
  return true;
}

bool GameScreen::Tick(float dt) {
  GameState::Tick(dt);
  scene.Update(dt);
  ui::GetUIMan().Tick(dt);
  if (camera) camera->Update(dt);
  return true;
}

bool GameScreen::Render() {
  if (!BeginFrame()) return false;
  Graphics* graphics = GetGraphics();
  graphics->ResetRenderStates();

  scene.Render();
  RenderBackground();

  // The panels and text are drawn filtered whatever the game's setting; the draw queue's
  // lines and the transition get the setting back.
  const bool filtering = graphics->filtering;
  graphics->SetFiltering(true);
  ui::GetUIMan().Render();
  scene.RenderForeground();
  RenderForeground();
  console::GetConsole().Render();
  FontManager::Get().RenderText();
  graphics->SetFiltering(filtering);

  dd::Manager::Instance().Render2D();
  // Over everything else, so the transition covers the whole finished picture.
  gameflow::GameFlowManager::Instance().transitions.Render();
  return EndFrame();
}

bool GameScreen::BeginFrame() {
  if (camera) return camera->BeginRender(1);
  // A screen made before the game gave the flow manager its camera still draws its frames
  // (cleared to black) instead of failing every frame, which would make the flow manager
  // sleep and reset the device each time.
  Graphics* graphics = GetGraphics();
  if (!graphics || !graphics->BeginFrame()) return false;
  graphics->Clear(kNoCameraClearColor, 1.0f, 0, true, true, true);
  return true;
}

bool GameScreen::EndFrame() {
  if (camera) {
    camera->EndRender();
    return camera->Present();
  }
  Graphics* graphics = GetGraphics();
  if (!graphics) return false;
  graphics->EndFrame();
  return graphics->Present();
}

void GameScreen::AttachPanel(ui::UIWidget* panel) {
  if (!panel) return;
  panels_.push_back(PanelEntry{ui::PanelHandle(panel)});
}

ui::UIWidget* GameScreen::GetPanel(size_t index) const {
  if (index >= panels_.size()) return nullptr;
  if (!ui::UIManager::Existing()) return nullptr;
  // A panel that is no longer in the manager's list (dropped, or reloaded and waiting to
  // be deleted at the end of the running pass) is replaced by the one of the same name.
  const PanelEntry& entry = panels_[index];
  entry.panel.Renew();
  return entry.panel.Get();
}

void GameScreen::SetPanelsVisible(bool visible) {
  for (size_t i = 0; i < panels_.size(); ++i) {
    if (ui::UIWidget* panel = GetPanel(i)) panel->SetIsVisible(visible);
  }
}
