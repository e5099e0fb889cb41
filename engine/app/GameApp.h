#pragma once

#include <cstdint>
#include <string>

#include "engine/app/Win32Application.h"

class GameRMS;

// The engine's game application: the level of the chain that starts and stops every
// service and runs the game flow each frame. The game derives its application from it
// and fills the hooks (fonts, audio, keys, states, profile file name, archive).
//
// Start-up and shutdown of the services (Init, Shutdown, LoadConfig, InitSystems,
// InitGraphics, CreateRMS, OnLoadProgress) are declared here in their places and filled
// in by the start-up code; until then a derived class provides them.
class GameApp : public Win32Application {
 public:
  // Also tests the desktop for a wide screen (width / height above 1.5 and width above
  // 800), which full screen then uses.
  GameApp(HINSTANCE instance, const std::string& className, const std::string& settingsPath,
          const std::string& logPath);
  // Destroys the profile store.
  ~GameApp() override;

  // Focus gained: audio output resumes, OnActivate, then the current state's OnResume.
  // Focus lost: audio output pauses, OnDeactivate, then the current state's OnPause.
  // Resized: the renderer learns the new client size. Then the base's flags.
  bool OnAppEvent(uint32_t code, uintptr_t a, intptr_t b) override;
  // One frame: the game flow manager's tick. Always true. The game's application may
  // override it, call this one and add its own per-frame work after it.
  bool Frame() override;
  // Full screen: on a wide desktop at the renderer's wide mode, with the 800 x 600 play
  // area centred; the window is hidden while the device is reset.
  void SetFullscreen(uint32_t modeWidth, uint32_t modeHeight) override;
  // Windowed: always 800 x 600, play area at the origin.
  void SetWindowed(uint32_t modeWidth, uint32_t modeHeight) override;

  // Draws one loading frame after advancing the loading bar by units.
  virtual void OnLoadProgress(int32_t units) = 0;
  // Game hooks.
  virtual void InitFonts() = 0;
  virtual void InitAudio() = 0;  // sounds, music, splash pages
  virtual void BindKeys() = 0;
  virtual void OnCreateStates() = 0;  // Lua classes, states, the first state
  virtual std::string GetProfileFileName() = 0;
  virtual void MountArchive() = 0;
  virtual void OnActivate() {}
  virtual void OnDeactivate() {}
  virtual bool AllowFullscreen() { return true; }
  // The player name that marks a new profile as cheating.
  virtual std::string GetCheatName() { return "let_me_play_on"; }
  // Start-up steps.
  virtual bool InitGraphics() = 0;
  virtual void InitSystems() = 0;
  virtual GameRMS* CreateRMS() = 0;
  virtual void LoadConfig(const std::string& file) = 0;
  // Saves the profile file through the profile store; the driver calls it after the main
  // loop. Nothing is written when there is no store or it was never loaded (its record is
  // then not the player's).
  virtual void SaveProfile();

  // The profile store (owned), made by CreateRMS during start-up; null until then.
  GameRMS* rms = nullptr;
};

// The process-wide application pointer: the one application object, set by the driver.
GameApp* GetApplication();
void SetApplication(GameApp* application);
