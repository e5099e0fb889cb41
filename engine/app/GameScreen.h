#pragma once

#include <string>
#include <vector>

#include "engine/app/GameState.h"
#include "engine/app/InputListener.h"
#include "engine/background/BGScene.h"
#include "engine/ui/UISprite.h"
#include "engine/ui/PanelHandle.h"

namespace camera {
class Camera;
}
namespace ui {
class UIWidget;
}

// The screen state driven by data: a UI panel file, the background scene that belongs to
// the panel, a Lua script run when the screen is entered and one run when it is left, the
// camera it renders with, and a mouse listener that is enabled only while the screen is
// current. The script function "AddGameScreen" makes plain screens; the game's own screens
// derive from it and fill the hooks.
//
// A frame is drawn in this order: the camera begins the frame and clears it, the default
// 2-D render states, the scene's back, RenderBackground, the UI panels (with filtering
// on), the scene's front layer, RenderForeground, the console, the queued text, the 2-D
// draw queue, the running screen transition, the end of the frame (which writes a pending
// screenshot) and the present.
class GameScreen : public GameState, public input::MouseListener {
 public:
  // Reloaded into the backdrop at every enter.
  static constexpr const char* kBackdropImage = "ui_img/fade_bg.png";

  // Loads the panel file through the UI manager (none when the name is empty) and hides
  // the panel; when it loads, the scene is loaded from the panel file's name without its
  // extension, lower-cased, with ".lua" (ui/in_game.ui gives ui/in_game.lua). A screen that
  // names a scene file of its own shows that one instead (with or without a panel), and
  // no scene named after its panel is looked for. The mouse listener is registered with
  // the mouse device (when it exists) and disabled.
  GameScreen(camera::Camera* camera, const std::string& panelFile, const std::string& enterScript,
             const std::string& exitScript, const std::string& sceneFile = "");
  // A screen that keeps and draws a scene of its own (the menu family): the panel as
  // above, and the base's scene stays empty, with no scene named after the panel.
  struct OwnScene {};
  GameScreen(camera::Camera* camera, const std::string& panelFile, const std::string& enterScript,
             const std::string& exitScript, OwnScene);
  // The panels stay with the UI manager; the mouse listener is unregistered.
  ~GameScreen() override;

  // The base entry, the panels shown, OnPanelsShown, the enter script (run in the
  // console's Lua state and echoed there), the backdrop reloaded over the whole play
  // area, the camera made the UI manager's and aimed at the play area, the mouse listener
  // enabled. True.
  bool OnEnter() override;
  // The base exit, the mouse listener disabled, the panels hidden, the exit script run and
  // echoed. True.
  bool OnExit() override;
  // The entering phase and tick count, the scene, the UI manager and the camera. True.
  bool Tick(float dt) override;
  // One frame in the order above; false when the frame could not be begun or presented.
  bool Render() override;
  std::string GetTypeName() const override { return "ui_state"; }

  // Hooks of derived screens. RenderBackground draws after the scene's back and before the
  // UI; RenderForeground after the scene's front layer and before the console.
  virtual void RenderBackground() {}
  virtual void RenderForeground() {}
  // Called by OnEnter after the panels are shown and before the enter script runs; the
  // result is not used.
  virtual bool OnPanelsShown() { return true; }

  // --- Panels (shown while the screen is current; owned by the UI manager) ---
  // The UI manager may delete a screen's panel while the screen lives: RefreshActive
  // (from a script or the console) drops every visible panel and loads it again from its
  // file, and a script may drop a panel and add it again. The screen therefore holds each
  // panel by its name and looks it up again once the one it found before is gone, so that
  // neither the screen nor a derived screen ever follows a pointer into a deleted panel.
  size_t PanelCount() const { return panels_.size(); }
  // The live panel of that place, found again by name after a reload; null when the UI
  // manager holds no panel of that name (or the index is out of range).
  ui::UIWidget* GetPanel(size_t index) const;
  // Appends a panel the UI manager holds to those the screen shows.
  void AttachPanel(ui::UIWidget* panel);

  // Ticked with the screen and rendered with; not owned. Null draws straight on the
  // renderer.
  camera::Camera* camera = nullptr;
  std::string enterScript;
  std::string exitScript;
  // kBackdropImage over the whole play area; derived screens may draw it.
  ui::UISprite backdrop;
  background::BGScene scene;

 private:
  enum class SceneSource { kNamedAfterPanel, kFile, kKeptByScreen };
  GameScreen(camera::Camera* camera, const std::string& panelFile, const std::string& enterScript,
             const std::string& exitScript, SceneSource sceneSource, const std::string& sceneFile);

  struct PanelEntry {
    // Empties itself when the panel is deleted; renewed by GetPanel.
    mutable ui::PanelHandle panel;
  };

  // Shows or hides the panels that the UI manager holds.
  void SetPanelsVisible(bool visible);
  bool BeginFrame();
  bool EndFrame();

  std::vector<PanelEntry> panels_;
};
