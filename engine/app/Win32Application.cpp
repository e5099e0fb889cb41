#include "engine/app/Win32Application.h"

#include <algorithm>
#include <cstdio>

#include "engine/app/GameFlowManager.h"
#include "engine/app/Input.h"
#include "engine/app/Keyboard.h"
#include "engine/app/Mouse.h"
#include "engine/core/Console.h"
#include "engine/core/Log.h"
#include "engine/core/Timer.h"
#include "engine/graphics/FontManager.h"
#include "engine/graphics/Graphics.h"
#include "engine/ui/UIManager.h"
#include "platform/win32/KernelApi.h"
#include "platform/win32/ShellApi.h"

namespace {

// The application that the window procedure serves.
Win32Application* g_procApplication = nullptr;
// The last cursor position over the client area, in client pixels.
POINT g_cursorPixel{0, 0};

constexpr UINT kMaxDroppedPath = 512;  // characters, with the terminator

void ShowSystemCursor(bool show) {
  if (input::Mouse* mouse = input::GetDevices().mouse) mouse->SetCursorVisible(show);
}

}  // namespace

Win32Application::Win32Application(HINSTANCE moduleInstance, const std::string& className,
                                   const std::string& settingsPath, const std::string& logPath)
    : Application(settingsPath, logPath), instance(moduleInstance) {
  name = className;
  g_procApplication = this;
}

Win32Application::~Win32Application() {
  if (g_procApplication == this) g_procApplication = nullptr;
  // The process may go on (or make another application): the window and its class must
  // not outlive the object, or the next CreateAppWindow would take them for a running
  // game.
  if (window && IsWindow(window)) DestroyWindow(window);
  window = nullptr;
  UnregisterClassA(name.c_str(), instance);
}

Win32Application* Win32Application::GetProcApplication() { return g_procApplication; }

POINT Win32Application::GetCursorPixel() { return g_cursorPixel; }

bool Win32Application::CreateAppWindow(const std::string& windowCaption, uint32_t windowWidth,
                                       uint32_t windowHeight) {
  caption = windowCaption;
  if (HWND other = FindWindowA(name.c_str(), nullptr)) {
    LOG_LINE(MSG_FATAL) << "Already one instance of game running!";
    SetForegroundWindow(other);
    if (IsIconic(other)) ShowWindow(other, SW_RESTORE);
    return false;
  }
  RegisterWindowClass();

  exStyle = 0;
  style = kWindowStyle;
  uint32_t desktopWidth = 0;
  uint32_t desktopHeight = 0;
  uint32_t desktopDepth = 0;
  GetDesktopMode(desktopWidth, desktopHeight, desktopDepth);
  windowX = (static_cast<int32_t>(desktopWidth) - static_cast<int32_t>(windowWidth)) / 2;
  windowY = (static_cast<int32_t>(desktopHeight) - static_cast<int32_t>(windowHeight)) / 2;
  width = windowWidth;
  height = windowHeight;
  parent = nullptr;
  menu = nullptr;

  windowRect.left = windowX;
  windowRect.top = windowY;
  windowRect.right = windowX + static_cast<int32_t>(windowWidth) +
                     2 * (GetSystemMetrics(SM_CXDLGFRAME) + GetSystemMetrics(SM_CXBORDER));
  windowRect.bottom = windowY + static_cast<int32_t>(windowHeight) +
                      2 * (GetSystemMetrics(SM_CYDLGFRAME) + GetSystemMetrics(SM_CYBORDER)) +
                      GetSystemMetrics(SM_CYCAPTION);

  // Hidden: the renderer shows the window once its device exists.
  window = CreateWindowExA(exStyle, name.c_str(), caption.c_str(), style, windowRect.left, windowRect.top,
                           windowRect.right - windowRect.left, windowRect.bottom - windowRect.top, parent,
                           menu, instance, this);
  if (!window) {
    LOG_LINE(MSG_FATAL) << "Unable to create window!";
    ShowWindowsError();
    return false;
  }
  UpdateWindow(window);
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
  UpdateClientRect();
  return true;
}

bool Win32Application::RegisterWindowClass() {
  windowClass = WNDCLASSEXA{};
  windowClass.cbSize = 48;
  windowClass.style = 0;
  windowClass.lpfnWndProc = &Win32Application::WindowProc;
  windowClass.cbClsExtra = 0;
  windowClass.cbWndExtra = 0;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
  windowClass.hCursor = nullptr;
  windowClass.hbrBackground = nullptr;  // black: the renderer covers the whole client area
  windowClass.lpszMenuName = nullptr;
  windowClass.lpszClassName = name.c_str();
  windowClass.hIconSm = LoadIconA(nullptr, IDI_WINLOGO);
  if (!RegisterClassExA(&windowClass)) {
    LOG_LINE(MSG_FATAL) << "Unable to create class!";
    ShowWindowsError();
    return false;
  }
  return true;
}

void Win32Application::Quit() {
  g_procApplication = nullptr;
  PostQuitMessage(0);
  OnAppEvent(APP_QUIT, 0, 0);
}

// Resets the graphics device for the current size and mode. The fonts and the UI manager
// release and restore their device resources around the reset; they join these steps as
// those services are built.
void Win32Application::ApplyDisplayMode() {
  Graphics* graphics = GetGraphics();
  if (!graphics) return;
  FontManager& fonts = FontManager::Get();
  ui::UIManager* uiManager = ui::UIManager::Existing();
  fonts.ReleaseFonts();
  if (uiManager) uiManager->ShutdownFlash();
  graphics->ReleaseResources();
  // A failed reset leaves the interface and the fonts without device resources until a
  // later reset succeeds.
  if (!graphics->ResetDevice(width, height, fullscreen)) return;
  if (uiManager) uiManager->ResetResources();
  fonts.RestoreFonts();
}

bool Win32Application::SetDisplayMode(uint32_t modeWidth, uint32_t modeHeight, uint32_t depth) {
  if (static_cast<uint32_t>(GetSystemMetrics(SM_CXSCREEN)) == modeWidth &&
      static_cast<uint32_t>(GetSystemMetrics(SM_CYSCREEN)) == modeHeight) {
    return true;
  }
  DEVMODEA mode{};
  mode.dmSize = sizeof mode;
  mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
  mode.dmBitsPerPel = depth;
  mode.dmPelsWidth = modeWidth;
  mode.dmPelsHeight = modeHeight;
  return ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL;
}

bool Win32Application::GetDesktopMode(uint32_t& modeWidth, uint32_t& modeHeight, uint32_t& depth) {
  DEVMODEA mode{};
  mode.dmSize = sizeof mode;
  EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode);
  modeWidth = mode.dmPelsWidth;
  modeHeight = mode.dmPelsHeight;
  depth = mode.dmBitsPerPel;
  return true;
}

void Win32Application::HideAppWindow() { ShowWindow(window, SW_HIDE); }
void Win32Application::ShowAppWindow() { ShowWindow(window, SW_SHOW); }

void Win32Application::UpdateClientRect() {
  RECT rect{0, 0, 0, 0};
  GetWindowRect(window, &rect);
  if (fullscreen) {
    clientRect = rect;
    return;
  }
  clientRect.left = rect.left + GetSystemMetrics(SM_CXBORDER);
  clientRect.top = rect.top + GetSystemMetrics(SM_CYBORDER) + GetSystemMetrics(SM_CYCAPTION);
  clientRect.right = rect.right - GetSystemMetrics(SM_CXBORDER);
  clientRect.bottom = rect.bottom - GetSystemMetrics(SM_CYBORDER);
}

bool Win32Application::PumpMessage() {
  MSG msg{};
  if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  switch (msg.message) {
    case WM_CREATE:
      OnAppEvent(APP_WINDOW_CREATED, msg.wParam, msg.lParam);
      break;
    case WM_DESTROY:
      PostQuitMessage(0);
      OnAppEvent(APP_QUIT, msg.wParam, msg.lParam);
      break;
    case WM_SIZE:
      if (msg.wParam == SIZE_MINIMIZED) {
        OnAppEvent(APP_MINIMISED, msg.wParam, msg.lParam);
      } else if (msg.wParam == SIZE_MAXIMIZED) {
        OnAppEvent(APP_MAXIMISED, msg.wParam, msg.lParam);
      } else {
        OnAppEvent(APP_RESIZED, msg.wParam, msg.lParam);
      }
      break;
    case WM_PAINT:
      // A covered window is repainted while no frames run.
      if (IsInactive() && !fullscreen) gameflow::GameFlowManager::Instance().Render();
      break;
    case WM_CLOSE:
      // A posted close quits at once; dispatched, it then also runs "QuitGame()".
      PostQuitMessage(0);
      OnAppEvent(APP_QUIT, msg.wParam, msg.lParam);
      break;
    case WM_QUIT:
      OnAppEvent(APP_QUIT, msg.wParam, msg.lParam);
      break;
    case WM_NCMOUSEMOVE:
    case WM_NCMOUSELEAVE:
      ShowSystemCursor(true);
      break;
    case WM_MOUSEMOVE:
      OnCursorMove(msg.lParam);
      break;
    case WM_DROPFILES: {
      HDROP drop = reinterpret_cast<HDROP>(msg.wParam);
      const UINT count = DragQueryFileA(drop, 0xFFFFFFFFu, nullptr, 0);
      for (UINT index = 0; index < count; ++index) {
        char path[kMaxDroppedPath] = {};
        DragQueryFileA(drop, index, path, kMaxDroppedPath);
        OnDropFile(path);
      }
      OnAppEvent(APP_FILES_DROPPED, msg.wParam, msg.lParam);
      break;
    }
    case WM_SYSKEYDOWN:
      if (msg.wParam == VK_MENU && (msg.lParam & KF_ALTDOWN_BIT)) {
        const input::Keyboard* keyboard = input::GetDevices().keyboard;
        if (keyboard && keyboard->IsDown(DIK_TAB)) {
          LOG_LINE(MSG_COMMENT) << "Minimizing screen due to fullscreen ALT-TAB";
        }
        return false;
      }
      break;
    case WM_SYSKEYUP:
      return false;
    default:
      break;
  }
  DispatchMessageA(&msg);
  return true;
}

// The cursor's position in the play area goes to the mouse as fractions clamped to
// [0, 1]. The play area is found in the client area the way the renderer presents it:
// the back buffer scaled uniformly into the client area the window really has, centred
// between black bars (a client area wider than 4:3 gives the largest centred 4:3 area,
// full height).
void Win32Application::OnCursorMove(LPARAM lParam) {
  if (!started) ShowSystemCursor(false);
  UpdateClientRect();
  g_cursorPixel.x = GET_X_LPARAM(lParam);
  g_cursorPixel.y = GET_Y_LPARAM(lParam);
  const int32_t clientHeight = clientRect.bottom - clientRect.top;
  const int32_t clientWidth = clientRect.right - clientRect.left;
  // A window without a client area (minimised) has no play area: the position stays.
  if (clientHeight <= 0 || clientWidth <= 0) return;
  math::Vec2 position;
  WindowToPlayArea(static_cast<float>(g_cursorPixel.x), static_cast<float>(g_cursorPixel.y),
                   clientWidth, clientHeight, position);
  input::g_cursorPosition = position;
}

LRESULT Win32Application::WindowProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DESTROY:
      g_procApplication = nullptr;
      PostQuitMessage(0);
      return 0;
    case WM_ACTIVATE:
      if (Win32Application* app = g_procApplication) {
        // The whole wParam is compared: an activation carrying the minimised flag in its
        // high word counts as a loss.
        if (wParam == WA_ACTIVE || wParam == WA_CLICKACTIVE) {
          LOG_LINE(MSG_WARNING) << "GAINED FOCUS";
          app->OnAppEvent(APP_FOCUS_GAINED, 0, 0);
          gameflow::GameFlowManager::Instance().focusTime = FrameTimer::Instance().GetTime();
          app->active = true;
          input::GetDevices().ReleaseAll();
        } else {
          LOG_LINE(MSG_WARNING) << "LOST FOCUS";
          app->active = false;
          app->OnAppEvent(APP_FOCUS_LOST, 0, 0);
        }
      }
      return DefWindowProcA(handle, message, wParam, lParam);
    case WM_CLOSE:
      // The close button does not end the program: the game's script decides.
      console::GetConsole().Do("QuitGame()");
      return 0;
    default:
      return DefWindowProcA(handle, message, wParam, lParam);
  }
}

std::string GetSaveFolder() {
  char appData[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathA(nullptr, appData, CSIDL_APPDATA, TRUE)) return "";
  char folder[MAX_PATH + 16];
  std::snprintf(folder, sizeof folder, "%s/Hovrik/", appData);
  CreateDirectoryA(folder, nullptr);  // an existing folder is no error
  return folder;
}

void ShowWindowsError() {
  const DWORD error = GetLastError();
  char* text = nullptr;
  if (!FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, error,
                      MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPSTR>(&text), 0,
                      nullptr)) {
    return;
  }
  char errorCaption[48];
  std::snprintf(errorCaption, sizeof errorCaption, "Windows Error: %d", static_cast<int>(error));
  LOG_LINE(MSG_ERROR) << errorCaption;
  MessageBoxA(nullptr, text, errorCaption, MB_OK | MB_ICONINFORMATION);
  LocalFree(text);
}
