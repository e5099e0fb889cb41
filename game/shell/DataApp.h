#pragma once

#include <string>

#include "engine/app/GameApp.h"

// The application the program runs until the game's own application object exists: it
// fills the engine's hooks with the least the engine needs to run the game's data.
//   - archive: "kx.arc" from the working folder, else from the program's folder;
//   - audio: the sound bank "sounds/soundbank.lua" at the profile's volumes, the game's
//     music (its main theme plays from here on), then the two splash pages ("distro/distro_splash.jpg", "ui_img/hovrik_jollix_splash.jpg"; each
//     fades in over 2 s, holds 2 s and fades out over 1 s; a key or a button cuts a page);
//   - fonts: the default TrueType font "times new roman" (6 x 12) and the five bitmap
//     fonts "BigFont", "GameFont", "MediumFont", "SmallFont" and "TinyFont";
//   - keys: "ReloadGame()", then Escape runs "QuitGame()", F3 "CaptureAutoScreenshot()"
//     and F4 "CaptureMiniScreenshot()" (functions of scripts/console.lua);
//   - states: the game's script classes are registered, the game flow gets the
//     application and the camera, the trophy sprites ("trophies/sprites.lua") and the
//     heroine's ("hana/sprites.lua") are loaded, "OnInitUI()" runs (it loads the panels the game's objects look up), the
//     board's sprite sheet "img/board_sprites.lua" is loaded, the level state "game" is
//     made, the loading bar fills, and "GoToState('menu')" makes the screens that console.lua
//     describes in data and enters the menu;
//   - profile file: "kx_" + the save name + ".rms";
//   - each frame: the game flow's tick, then the music's update.
//
// The game's application replaces it by deriving from GameApp itself and being the one
// the program entry's factory makes; nothing in the engine names this class.
class DataApp : public GameApp {
 public:
  static constexpr const char* kArchive = "kx.arc";
  static constexpr const char* kSoundBank = "sounds/soundbank.lua";
  static constexpr const char* kTrophySprites = "trophies/sprites.lua";
  static constexpr const char* kBoardSprites = "img/board_sprites.lua";
  static constexpr const char* kHanaSprites = "hana/sprites.lua";
  static constexpr const char* kHelpSprites = "img/help_sprites.lua";
  static constexpr const char* kSplashPages[2] = {"distro/distro_splash.jpg",
                                                  "ui_img/hovrik_jollix_splash.jpg"};
  static constexpr float kSplashHold = 2.0f;
  static constexpr float kSplashFadeIn = 2.0f;
  static constexpr float kSplashFadeOut = 1.0f;
  static constexpr const char* kBitmapFonts[5] = {"BigFont", "GameFont", "MediumFont", "SmallFont",
                                                  "TinyFont"};

  DataApp(HINSTANCE instance, const std::string& className, const std::string& settingsPath,
          const std::string& logPath);

  // GameApp's start-up, then the system's pointer is shown: this application has no
  // cursor images of its own, and the UI manager's cursor is off once start-up is done.
  bool Init() override;

  // GameApp's frame (the game flow's tick), then the music keeps going.
  bool Frame() override;

  void InitFonts() override;
  void InitAudio() override;
  void BindKeys() override;
  void OnCreateStates() override;
  std::string GetProfileFileName() override;
  void MountArchive() override;

  // The archive's path: kArchive in the working folder when it is there, else beside the
  // program (so that the program also starts from another folder).
  static std::string FindArchive();
};
