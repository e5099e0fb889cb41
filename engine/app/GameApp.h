#pragma once

#include <cstdint>
#include <string>

#include "engine/app/Win32Application.h"

class GameRMS;
class GameScript;

namespace camera {
class Camera;
}
namespace ui {
class UIWidget;
class UIProgress;
}  // namespace ui

// The engine's game application: the level of the chain that starts and stops every
// service in a fixed order, reads config.ini, chooses the language, shows the loading
// panel, runs the game flow each frame and resets the display device. The game derives
// its application from it and fills the hooks (fonts, audio, keys, states, profile file
// name, archive); the engine calls them at fixed points of Init.
//
// Init, in order (each service logs its own line as it starts):
//   desktop mode; the log flushes every line; LoadConfig("config.ini") (profile store and
//   language); InitSystems (the "Script" object); MountArchive (hook); InitGraphics:
//     renderer, display mode, input ("Input initializes"), InitAudio and InitFonts
//     (hooks), the console script, the engine's script functions, "OnStartUp()",
//     "SetupLanguage('<language>');", "Console initialized", the word filter, the loading
//     panel, the camera and its clear colour;
//   started; the UI manager's cursor off; the random seed; "ReloadGame()"; BindKeys and
//   OnCreateStates (hooks); the loading panel hidden.
// Shutdown, in order: "Server connection shutdown", the game flow and its states, the
// fonts, the console, the camera, the user interface, the resources, the renderer, the
// "Script" object, the profile store (saved when it was loaded).
class GameApp : public Win32Application {
 public:
  static constexpr int32_t kDefaultTotalUnits = 10000;
  // The save name when config.ini does not name one (missing, broken, or without
  // "SaveFile"): one name, so that the profile file is the same in every case.
  static constexpr const char* kDefaultSaveName = "hovrik";
  static constexpr const char* kConfigFile = "config.ini";
  static constexpr const char* kConsoleScript = "scripts/console.lua";
  static constexpr const char* kSwearFile = "scripts/swear.lua";
  static constexpr const char* kLoadingPanel = "ui/loading.ui";
  static constexpr const char* kLoadingBar = "LoadingProgress";
  // The cheat name GetCheatName gives unless the game names another.
  static constexpr const char* kDefaultCheatName = "let_me_play_on";
  // Loading frames are drawn at most this many times a second.
  static constexpr int64_t kLoadingFramesPerSecond = 30;

  // Also tests the desktop for a wide screen (IsWideScreen), which full screen then uses,
  // and logs "Wide screen Detected !" or "Regular screen Detected !".
  GameApp(HINSTANCE instance, const std::string& className, const std::string& settingsPath,
          const std::string& logPath);
  // Deletes what Shutdown did not (the camera, the "Script" object, the profile store).
  ~GameApp() override;

  // The whole start-up (see above). False when the renderer, the display mode or input
  // failed to start; a message box has told the player about a graphics failure.
  bool Init() override;
  // Stops the services in their order (see above). Always true.
  bool Shutdown() override;
  // One frame: the game flow manager's tick. Always true. The game's application may
  // override it, call this one and add its own per-frame work after it.
  bool Frame() override;
  // Focus gained: audio output resumes, OnActivate, then the current state's OnResume.
  // Focus lost: audio output pauses, OnDeactivate, then the current state's OnPause.
  // Resized: the renderer learns the new client size. Then the base's flags.
  bool OnAppEvent(uint32_t code, uintptr_t a, intptr_t b) override;
  // Full screen: on a wide desktop at the renderer's wide mode, with the 800 x 600 play
  // area centred; the window is hidden while the device is reset.
  void SetFullscreen(uint32_t modeWidth, uint32_t modeHeight) override;
  // Windowed: always 800 x 600, play area at the origin.
  void SetWindowed(uint32_t modeWidth, uint32_t modeHeight) override;

  // Advances the loading bar by units and draws a loading frame (the loading panel over
  // opaque white, an empty white frame without the panel) when the last one is at least
  // 1/30 s old or the bar has reached its end; then one window message. A frame takes
  // about as long as loading a few sprites: one for each would make loading last several
  // times longer, and the eye sees no more than 30 a second.
  virtual void OnLoadProgress(int32_t units);
  // Game hooks.
  virtual void InitFonts() = 0;
  virtual void InitAudio() = 0;  // sounds, music, splash pages; input has started
  virtual void BindKeys() = 0;
  // The game's script classes; the game flow manager gets this application and the
  // camera; the states; the first state. May move loadedUnits and totalUnits and call
  // OnLoadProgress.
  virtual void OnCreateStates() = 0;
  virtual std::string GetProfileFileName() = 0;
  virtual void MountArchive() = 0;
  virtual void OnActivate() {}
  virtual void OnDeactivate() {}
  virtual bool AllowFullscreen() { return true; }
  // The player name that marks a new profile as cheating.
  virtual std::string GetCheatName() { return kDefaultCheatName; }
  // Start-up steps (see Init).
  virtual bool InitGraphics();
  // Creates the "Script" object.
  virtual void InitSystems();
  // A new, empty profile store.
  virtual GameRMS* CreateRMS();
  // Runs the start-up file as Lua and reads its "Config" table: SaveFile (the save name),
  // Language ("auto" in any case takes the desktop's language) and ForceLang (a boolean,
  // or a number that is not 0). Creates and loads the profile store once the save name is
  // known, then stores the chosen language in it when ForceLang is set or it has none.
  // A file that does not run is logged; the store is made and loaded all the same.
  virtual void LoadConfig(const std::string& file);
  // Saves the profile file through the profile store; the driver calls it after the main
  // loop. Nothing is written when there is no store or it was never loaded (its record is
  // then not the player's).
  virtual void SaveProfile();

  // True when a loading frame is to be drawn now (see OnLoadProgress), which then counts
  // as the last one drawn.
  bool LoadingFrameDue();

  // Creates the graphics device for the current mode: the wide mode for full screen on a
  // wide desktop, the play-area offsets, a windowed 800 x 600 retry when full screen is
  // refused; then the image types and the filtering. False (after a message box) when no
  // device could be made.
  bool SetDisplayMode();
  using Win32Application::SetDisplayMode;

  std::string GetSaveName() const { return saveName; }

  // The default camera (owned), made by InitGraphics.
  camera::Camera* camera = nullptr;
  // The loading panel and its bar (owned by the UI manager); null when missing.
  ui::UIWidget* loadingPanel = nullptr;
  ui::UIProgress* loadingBar = nullptr;
  int32_t loadedUnits = 0;
  int32_t totalUnits = kDefaultTotalUnits;
  // When the last loading frame was drawn (performance counter), or -1 before the first.
  int64_t lastLoadingFrame = -1;
  // The object behind the script class "Script" (owned), made by InitSystems.
  GameScript* script = nullptr;
  // The profile store (owned), made by CreateRMS during start-up; null until then.
  GameRMS* rms = nullptr;
  uint32_t desktopWidth = 0;
  uint32_t desktopHeight = 0;
  // The base name of the profile file; config.ini's SaveFile replaces it.
  std::string saveName = kDefaultSaveName;
};

// The process-wide application pointer: the one application object, set by the driver.
GameApp* GetApplication();
void SetApplication(GameApp* application);

// A desktop of this size is wide: width / height above 1.5 and width above 800.
bool IsWideScreen(uint32_t width, uint32_t height);

// The language name for a user-interface language id (its primary language, the low 10
// bits): "chinese", "german", "english", "spanish", "french", "japanese", "korean",
// "dutch", "portuguese", "swedish"; "english" for any other.
std::string LanguageNameForId(uint32_t languageId);

// The language LoadConfig stores in the profile. Nothing (false) when the profile has one
// (storedLanguage) and force is off; otherwise true, with chosen = configured, or the
// desktop's language (LanguageNameForId of GetUserDefaultUILanguage) when configured is
// "auto" in any letter case.
bool ChooseLanguage(const std::string& configured, bool force, const std::string& storedLanguage,
                    std::string& chosen);
