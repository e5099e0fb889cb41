#pragma once

#include <cstdint>
#include <string>

namespace vfs {
class VFS;
}

// Application events (OnAppEvent codes). a and b are the message's wParam and lParam
// where a window message causes the event, else 0.
enum AppEvent : uint32_t {
  APP_FOCUS_GAINED = 0,
  APP_FOCUS_LOST = 1,
  APP_WINDOW_CREATED = 2,
  APP_QUIT = 3,
  APP_MINIMISED = 4,
  APP_MAXIMISED = 5,
  APP_RESIZED = 6,  // b: the client width (low 16 bits) and height (high 16 bits)
  APP_FILES_DROPPED = 7,
};

// The platform-neutral level of the application chain Application <- Win32Application <-
// GameApp <- the game's application: log and settings at construction, the main-loop
// step, the application events, and the pause and quit flags.
//
// The virtual operations are declared in the same order at every level, so that the
// chain keeps one layout: each level adds its operations after those of the level above.
class Application {
 public:
  // Opens the log at logPath (with its source prefix and a flush after every line), logs
  // "Logfile created", loads the settings script into the process-wide configuration,
  // takes the name from its "AppName", and creates the file system.
  Application(const std::string& settingsPath, const std::string& logPath);
  // Stops the base services (ShutdownServices).
  virtual ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  virtual bool Init() = 0;
  virtual bool Shutdown() = 0;
  // One frame of the game; its result is not used by the step.
  virtual bool Frame() = 0;
  virtual bool CreateAppWindow(const std::string& windowCaption, uint32_t windowWidth,
                               uint32_t windowHeight) = 0;
  // Sets and clears the flags (see AppEvent); always true.
  virtual bool OnAppEvent(uint32_t code, uintptr_t a, intptr_t b);
  // One pass of the main loop: at most one window message, then one frame (or a pause).
  // False once the program must stop.
  virtual bool Step();
  virtual void Quit() {}
  virtual void ApplyDisplayMode() {}
  // The resource manager reloads every resource from its file.
  virtual void ReloadResources();
  virtual bool SetDisplayMode(uint32_t modeWidth, uint32_t modeHeight, uint32_t depth) = 0;
  virtual bool GetDesktopMode(uint32_t& modeWidth, uint32_t& modeHeight, uint32_t& depth) = 0;
  virtual void SetFullscreen(uint32_t modeWidth, uint32_t modeHeight) = 0;
  virtual void SetWindowed(uint32_t modeWidth, uint32_t modeHeight) = 0;
  virtual vfs::VFS& GetVFS();
  // Frees the audio library ("Audio manager shutdown"), then releases every resource
  // ("Resource manager shutdown"). Run by the destructor.
  virtual void ShutdownServices();
  // Updates the process-wide frame timer.
  virtual void UpdateTimer();
  // Takes at most one waiting window message; true when one was taken and dispatched.
  virtual bool PumpMessage() = 0;

  // Switches between full screen and windowed at run time (SetFullscreen / SetWindowed
  // with the current size) when the mode differs.
  void SetFullscreenMode(bool on);

  std::string name;
  std::string caption;
  uint32_t width = 0;   // 800 x 600 windowed, the chosen mode in full screen
  uint32_t height = 0;
  bool paused = false;      // no frame runs while set
  bool quitting = false;    // Step returns false once set
  bool fullscreen = false;
  bool active = false;      // the window has the focus
};
