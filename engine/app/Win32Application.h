#pragma once

#include <cstdint>
#include <string>

#include "engine/app/Application.h"
#include "platform/win32/WinUser.h"

// The window level of the application chain: the window and its class, the message pump,
// the window procedure, and the display and desktop modes.
class Win32Application : public Application {
 public:
  static constexpr DWORD kWindowStyle = 0x82CA0000u;  // popup, caption, system menu, minimise box

  // The name becomes the class name; this object becomes the window procedure's
  // application.
  Win32Application(HINSTANCE instance, const std::string& className, const std::string& settingsPath,
                   const std::string& logPath);
  // Destroys the window when it still exists and unregisters its class.
  ~Win32Application() override;

  // A second instance (a window of the class exists, here or in another process) logs
  // "Already one instance of game running!", brings that window to the front and gives
  // false. Otherwise registers the class and creates the hidden window centred on the
  // desktop (the renderer shows it).
  bool CreateAppWindow(const std::string& windowCaption, uint32_t windowWidth,
                       uint32_t windowHeight) override;
  // Clears the window procedure's application, posts the quit message and raises the
  // quit event.
  void Quit() override;
  // Resets the display device for the current width, height and mode: the fonts and the
  // interface's movie driver let go of the device, the renderer releases its targets and
  // movies and resets; only after a successful reset do the interface and the fonts make
  // their device resources again.
  void ApplyDisplayMode() override;
  // True at once when the screen already has that size; otherwise asks for the mode.
  bool SetDisplayMode(uint32_t modeWidth, uint32_t modeHeight, uint32_t depth) override;
  // The desktop mode (width, height, bits per pixel); always true.
  bool GetDesktopMode(uint32_t& modeWidth, uint32_t& modeHeight, uint32_t& depth) override;
  void SetFullscreen(uint32_t modeWidth, uint32_t modeHeight) override {}
  void SetWindowed(uint32_t modeWidth, uint32_t modeHeight) override {}
  bool PumpMessage() override;
  virtual void HideAppWindow();
  virtual void ShowAppWindow();
  // One call per dropped file, in the order the system lists them; the files-dropped
  // event follows the last.
  virtual void OnDropFile(const std::string& path) {}
  virtual bool RegisterWindowClass();

  // Keeps the client area's screen rectangle: the window rectangle in full screen, the
  // rectangle inside the frame windowed.
  void UpdateClientRect();
  // No focus, or paused.
  bool IsInactive() const { return !active || paused; }
  HWND GetWindow() const { return window; }

  // The window procedure of the application's window class.
  static LRESULT WindowProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);
  // The application the window procedure serves (null after Quit and WM_DESTROY).
  static Win32Application* GetProcApplication();

  // The last cursor position over the client area, in client pixels.
  static POINT GetCursorPixel();

  int32_t windowX = 0;
  int32_t windowY = 0;
  HWND window = nullptr;
  HINSTANCE instance = nullptr;
  WNDCLASSEXA windowClass{};
  HWND parent = nullptr;
  HMENU menu = nullptr;
  RECT windowRect{0, 0, 0, 0};
  RECT clientRect{0, 0, 0, 0};
  DWORD style = 0;
  DWORD exStyle = 0;
  bool started = false;  // set once the game's start-up has started graphics

 private:
  void OnCursorMove(LPARAM lParam);
};

// The save folder: the user's application-data folder followed by "/Hovrik/", created
// when missing; empty (the working folder) when there is no application-data folder.
std::string GetSaveFolder();

// Logs "Windows Error: <number>" for the thread's last error and shows its system text in
// a message box with that caption; nothing when the error has no text.
void ShowWindowsError();
