#pragma once

#include <cstdint>
#include <string>

#include "engine/app/GameApp.h"

class FrameTimer;

// The game's application object: fills the engine's start-up hooks and adds the game's
// per-frame work.
//   - archive: "kx.arc", from the working folder, else from beside the program;
//   - profile file: "kx_" + the save name + ".rms";
//   - audio: the sound bank at the profile's volumes, "Audio manager Init", the music (its
//     main theme starts), then the two splash pages, each fading in over 2 s, holding 2 s
//     and fading out over 1 s (a key or a button ends a page);
//   - fonts: "times new roman" (6, 12) and five bitmap fonts, "Font manager initialized";
//   - keys: "ReloadGame()", then Escape, F3 and F4 run "QuitGame()",
//     "CaptureAutoScreenshot()" and "CaptureMiniScreenshot()";
//   - states: the game's script classes, the cursors, the eight sprite sheets on a
//     loading bar that moves once per sprite (its units: one before the sheets, the
//     sprites they hold, one when "OnInitUI()" is through), "OnInitUI()", the ten states
//     and "GoToState('menu')".
// Each frame: the game flow's tick; once start-up is through, the play time, written into
// game variable 12 once a second, the music and the cursor.
class KivApp : public GameApp {
 public:
  static constexpr const char* kArchive = "kx.arc";
  static constexpr const char* kSoundBank = "sounds/soundbank.lua";
  static constexpr const char* kSplashPages[2] = {"distro/distro_splash.jpg", "ui_img/hovrik_jollix_splash.jpg"};
  static constexpr float kSplashFadeIn = 2.0f;
  static constexpr float kSplashHold = 2.0f;
  static constexpr float kSplashFadeOut = 1.0f;
  static constexpr const char* kDefaultFont = "times new roman";
  static constexpr const char* kBitmapFonts[5] = {"BigFont", "GameFont", "MediumFont", "SmallFont", "TinyFont"};
  static constexpr const char* kSpriteSheets[8] = {
      "img/sprites.lua",   "ui_img/sprites.lua", "effects/sprites.lua", "decals/sprites.lua",
      "hana/sprites.lua",  "tiles/sprites.lua",  "story/sprites.lua",   "trophies/sprites.lua"};

  // The frame timer is the process-wide one; tests give their own.
  KivApp(HINSTANCE instance, const std::string& className, const std::string& settingsPath,
         const std::string& logPath);
  KivApp(HINSTANCE instance, const std::string& className, const std::string& settingsPath,
         const std::string& logPath, FrameTimer& timer);

  // GameApp's start-up, then the play time starts counting from game variable 12.
  bool Init() override;
  // The game flow's tick; then, while counting, the play time, the music and the cursor.
  bool Frame() override;

  void InitFonts() override;
  void InitAudio() override;
  void BindKeys() override;
  void OnCreateStates() override;
  std::string GetProfileFileName() override;
  void MountArchive() override;
  bool AllowFullscreen() override { return true; }
  std::string GetCheatName() override { return kDefaultCheatName; }

  // Starts counting from game variable 12 of the current profile.
  void StartPlayTime();
  // Adds the frame time to the play time and writes it into variable 12 when the frame
  // timer's one-second window has just rolled over.
  void CountPlayTime();

  // Rescales the loading counters so that the part of the bar still empty holds exactly
  // `units` more units: the bar keeps its place and reaches its end with the last of
  // them. With no total, or a bar already full, the bar starts empty with `units` in all.
  static void RescaleLoadingUnits(int32_t& current, int32_t& total, int32_t units);
  // The archive's path: kArchive in the working folder when it is there, else beside
  // the program.
  static std::string FindArchive();

  // The current profile's play time in seconds while the game runs.
  float playTime = 0.0f;
  bool playTimeCounting = false;

 private:
  FrameTimer& timer_;
  // The profile store's change count when the play time was last taken from a profile.
  uint32_t playTimeProfile_ = 0;
};

// "Pellavo : v1.07               (Built on <date> )", the date as "Apr 18 2008".
std::string MakeCaption(const std::string& buildDate);
