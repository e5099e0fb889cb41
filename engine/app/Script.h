#pragma once

#include <cstdint>
#include <string>

class LuaState;

namespace audio {
class Audio;
}

// The engine's object behind the script class "Script": the file dialogs of the editors.
// The application makes one at start-up and keeps it; scripts reach it through the global
// "GetScript".
//
// Each dialog leaves full screen while it is shown (a chooser window cannot appear over a
// full-screen game) and comes back to full screen afterwards, also when it was cancelled.
class GameScript {
 public:
  static constexpr uint32_t kPathSize = 256;

  // The newest object is the one GetScript returns.
  GameScript();
  // Afterwards GetScript returns null (while this is the one it returns).
  ~GameScript();
  GameScript(const GameScript&) = delete;
  GameScript& operator=(const GameScript&) = delete;

  // The chosen path, or "" when the dialog was cancelled or none could be shown. extension
  // is the default extension ("lvl", ".lvl" or "*.lvl"), which the save dialog adds to a
  // name typed without one; the title follows "Save Level" or "Load Level"; dir follows
  // "." as the starting folder. The fourth text is not used.
  std::string GetSaveFileEx(const std::string& extension, const std::string& title,
                            const std::string& dir, const std::string& unused);
  std::string GetOpenFileEx(const std::string& extension, const std::string& title,
                            const std::string& dir, const std::string& unused);
  // The same, starting in the working folder.
  std::string GetSaveFile(const std::string& extension, const std::string& title);
  std::string GetOpenFile(const std::string& extension, const std::string& title);

 private:
  std::string ShowDialog(bool save, const std::string& extension, const std::string& title,
                         const std::string& dir) const;
};

// The application's script object (the newest GameScript), or null when there is none.
GameScript* GetScript();

namespace script {

// What the script functions ask of the user interface: its manager provides these (its
// RefreshText, SetLanguage and ReloadImages). The application's start-up installs an
// adapter over the manager with SetScriptUI; until then the script functions leave the
// panels alone.
class ScriptUI {
 public:
  virtual ~ScriptUI() = default;
  // Every panel looks its texts up again in the language table, in panel order.
  virtual void RefreshText() = 0;
  // The language name that image file names are localised with.
  virtual void SetLanguageName(const std::string& name) = 0;
  // Every panel reloads its images, the last panel first.
  virtual void ReloadImages() = 0;
};

// Not owned; null removes it.
void SetScriptUI(ScriptUI* ui);
ScriptUI* GetScriptUI();

// The character set and extra line spacing of fonts for a locale: Korean 0x81, Chinese
// 0x88, Taiwanese 0x86 and Japanese 0x80 (names in any letter case) with 2 pixels of extra
// spacing; any other locale, the empty one included, character set 1 and no spacing.
struct FontCharset {
  int charset = 1;
  int lineSpacing = 0;
};
FontCharset CharsetForLocale(const std::string& locale);

// The test sound of the options screen: "sounds/block_select.ogg", at most once every
// 0.8 s of the performance counter and never over itself.
class TestSound {
 public:
  static constexpr double kMinInterval = 0.8;
  static constexpr const char* kFileName = "sounds/block_select.ogg";

  // Refused within kMinInterval of the last accepted request. An accepted request loads
  // the sample when it is not loaded yet (a failed load is tried again next time) and
  // plays it once at the effect volume unless it still plays.
  void Play(audio::Audio& audio);

  double lastTime = 0.0;  // seconds, of the last accepted request
  uint32_t sample = 0;
  uint32_t channel = 0;
};

// The process-wide test sound of StartPlayTestSound.
TestSound& GetTestSound();

// The global script functions. They work on the application (GetApplication), its profile
// store, the renderer, the font manager and the audio manager, and do nothing where the
// object they need does not exist.

// Loads the language file into the language table, then the panels refresh their texts.
void LoadLanguage(const std::string& file);
// Saves the profile file, leaves full screen, and quits.
void HardQuitGame();
// Switches to full screen (or to windowed) and keeps the choice in the profile store.
void FullScreenMode();
void WindowedMode();
bool IsFullscreenMode();
// Creates a font of weight 700 and character set 0; a font of that name stays unchanged.
void CreateFont(const std::string& name, const std::string& face, int width, int height);
// Re-sizes the named font, or creates it, with the character set and line spacing of the
// locale (CharsetForLocale).
void ResizeFont(const std::string& name, const std::string& face, int width, int height,
                int weight);
// Nothing when no font has the name.
void SetFontBorder(const std::string& name, bool on);
// The renderer writes "<name>.bmp" at the end of the frame (at half size when asked).
void TakeScreenshot(const std::string& name, bool halfSize);
void ToggleFilter();
// The application reloads every resource.
void ReloadImages();
void ForceSave();
void StartPlayTestSound();
// One extra frame of the application at once; nothing when asked from inside such a frame.
void ForceRedraw();
// Sets the locale name (read by ResizeFont), gives it to the user interface as its
// language name, and has the panels reload their images.
void SetLocale(const std::string& name);

}  // namespace script

namespace ui {
// Defined by the user interface library: registers the Lua class "UIManager", the widget
// classes and the global "GetUIMan" in the state. False (with a log line) when refused.
bool RegisterUIClasses(LuaState* state);
}  // namespace ui

// Registers the engine's script surface in the main Lua state, in this order: the class
// "Script" (methods "GetOpenFile", "GetSaveFile", "GetOpenFileEx", "GetSaveFileEx") and
// the global "GetScript"; the classes "Vec2", "Vec3", "Vec4" and "FloatRamp"; the globals
// "LoadLanguage", "HardQuitGame", "FullScreenMode", "WindowedMode", "IsFullscreenMode",
// "CreateFont", "ResizeFont", "SetFontBorder", "TakeScreenshot", "ToggleFilter",
// "ReloadImages", "ForceSave", "StartPlayTestSound", "ForceRedraw", "SetLocale"; then,
// when the application exists, "GameRMS" and "GetRMS"; then the file lists, the user
// interface's classes, "Audio", the game flow manager's class and globals, and "Archive".
// Every part is registered even when one before it was refused; false when any was.
bool RegisterScriptFunctions(LuaState* state);
