#pragma once

#include <cstdint>
#include <string>

// One piece of music always plays: a looping theme that the scripts choose (the menu,
// each map region, the celebration), and short stings over it on events (a popup, a
// victory, a loss, a trophy). A sting replaces the theme on the audio manager's single
// music channel; when it has ended, Update starts the theme again from its beginning.
// Scripts reach the object as the class "kiv_music" through "GetMusic".
//
// Files: "sounds/<theme>_theme.ogg" (loaded looping) and "sounds/<sting>_sting.ogg"
// (loaded once). A missing file leaves its sample 0; playing it starts nothing and Update
// tries again each frame, as it does while the music volume is at the audio manager's
// floor.
class KivMusic {
 public:
  static constexpr int32_t kThemeCount = 5;
  static constexpr int32_t kStingCount = 4;
  static constexpr int32_t kMainTheme = 0;
  static constexpr int32_t kTrophySting = 3;

  // The process-wide object, built on first use.
  static KivMusic& Instance();

  KivMusic() = default;
  virtual ~KivMusic() = default;
  KivMusic(const KivMusic&) = delete;
  KivMusic& operator=(const KivMusic&) = delete;

  // Loads the themes and stings and starts the main theme.
  void Init();
  // Once a frame: while the channel plays nothing happens; otherwise the current theme
  // starts again (nothing before Init).
  void Update();
  // Makes the named theme current (unknown names give "main"); the current one is never
  // restarted. With playNow it starts at once, else when the music playing stops.
  void SetTheme(const std::string& name, bool playNow);
  // Plays the named sting (unknown names give "popup"); the current theme stays.
  void SetSting(const std::string& name);
  // Starts the current theme again from its beginning.
  void ResumeCurrent();

  // A menu screen being entered: the main theme becomes current and starts, unless it is
  // current already (a sting that plays then goes on).
  void EnterMenuScreen();
  // The trophy popup opening: its sting.
  void PlayTrophySting();

  // Forgets the samples and the channel (the audio library has gone with the application
  // by then); Update then starts nothing. The ordered shutdown calls it.
  void Shutdown();

  // "main", "chinese", "japanese", "southeast", "celebration"; "main" out of range.
  static std::string ThemeName(int32_t index);
  // "popup", "victory", "loss", "trophy"; "popup" out of range.
  static std::string StingName(int32_t index);
  // Case is ignored; 0 for a name not in the table.
  static int32_t ThemeFromName(const std::string& name);
  static int32_t StingFromName(const std::string& name);
  static std::string ThemeFile(int32_t index) { return "sounds/" + ThemeName(index) + "_theme.ogg"; }
  static std::string StingFile(int32_t index) { return "sounds/" + StingName(index) + "_sting.ogg"; }

  uint32_t ThemeSample(int32_t index) const;
  uint32_t StingSample(int32_t index) const;
  uint32_t Channel() const { return channel_; }
  int32_t CurrentTheme() const { return currentTheme_; }

 private:
  void Play(uint32_t sample);

  uint32_t themes_[kThemeCount] = {};
  uint32_t stings_[kStingCount] = {};
  uint32_t channel_ = 0;
  int32_t currentTheme_ = -1;  // -1 until Init
};

// The global function "GetMusic" of the scripts.
KivMusic* GetMusic();
