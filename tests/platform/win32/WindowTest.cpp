// The real window layer over SDL's offscreen driver: windows, their styles and modes, the
// SDL events that become window messages, metrics, cursor and message box.

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/core/Log.h"
#include "platform/win32/KernelApi.h"
#include "platform/win32/SdlVideo.h"
#include "platform/win32/ShellApi.h"
#include "platform/win32/WinUser.h"
#include "tests/platform/win32/Win32TestSupport.h"

namespace {

using wintest::CountReceived;
using wintest::ReceivedMessages;

class WindowLayerTest : public wintest::WindowTest {};

uint32_t SdlId(HWND window) { return SDL_GetWindowID(window->sdl); }

void PushWindowEvent(HWND window, Uint8 what, int data1 = 0, int data2 = 0) {
  SDL_Event event{};
  event.type = SDL_WINDOWEVENT;
  event.window.windowID = SdlId(window);
  event.window.event = what;
  event.window.data1 = data1;
  event.window.data2 = data2;
  ASSERT_EQ(SDL_PushEvent(&event), 1);
}

TEST_F(WindowLayerTest, CreatedHiddenShownAndClosedThroughThePump) {
  int creationParam = 0;
  HWND window = MakeWindow(kWindowedStyle, 0, &creationParam);
  ASSERT_NE(window, nullptr);
  ASSERT_NE(window->sdl, nullptr);
  EXPECT_TRUE(SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_OPENGL);

  // The procedure saw WM_CREATE, with the creation parameter, before the call returned.
  ASSERT_EQ(CountReceived(WM_CREATE), 1);
  EXPECT_EQ(ReceivedMessages()[0].hwnd, window);
  EXPECT_EQ(wintest::g_createParam, &creationParam);

  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_FALSE(GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE);
  EXPECT_EQ(ShowWindow(window, SW_SHOW), FALSE);  // it was hidden
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_TRUE(GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE);
  EXPECT_TRUE(UpdateWindow(window));
  PumpAll();

  ReceivedMessages().clear();
  ASSERT_TRUE(PostMessageA(window, WM_CLOSE, 0, 0));
  MSG msg{};
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, window);
  EXPECT_EQ(msg.message, WM_CLOSE);
  EXPECT_EQ(CountReceived(WM_CLOSE), 0);  // not before dispatch
  DispatchMessageA(&msg);
  EXPECT_EQ(CountReceived(WM_CLOSE), 1);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));

  EXPECT_TRUE(DestroyWindow(window));
  EXPECT_EQ(CountReceived(WM_DESTROY), 1);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(PostMessageA(window, WM_CLOSE, 0, 0));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
}

TEST_F(WindowLayerTest, ClassAndCreationFailuresSetTheLastError) {
  WNDCLASSEXA again{};
  again.cbSize = sizeof again;
  again.lpfnWndProc = DefWindowProcA;
  again.lpszClassName = "PELLAVO TEST WINDOW";  // names compare without case
  EXPECT_EQ(RegisterClassExA(&again), 0);
  EXPECT_EQ(GetLastError(), ERROR_CLASS_ALREADY_EXISTS);

  // The size of the Win32 form is accepted as well; any other is refused.
  WNDCLASSEXA other = again;
  other.lpszClassName = "Pellavo Other Class";
  other.cbSize = 47;
  EXPECT_EQ(RegisterClassExA(&other), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  other.cbSize = 48;
  EXPECT_NE(RegisterClassExA(&other), 0);
  EXPECT_TRUE(UnregisterClassA("Pellavo Other Class", nullptr));

  EXPECT_EQ(CreateWindowExA(0, "No Such Class", "x", kWindowedStyle, 0, 0, 10, 10, nullptr,
                            nullptr, nullptr, nullptr),
            nullptr);
  EXPECT_EQ(GetLastError(), ERROR_CANNOT_FIND_WND_CLASS);
  char* text = nullptr;
  EXPECT_GT(FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr,
                           GetLastError(), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                           reinterpret_cast<LPSTR>(&text), 0, nullptr),
            0u);
  ASSERT_NE(text, nullptr);
  EXPECT_STRNE(text, "");
  LocalFree(text);

  // A procedure that refuses WM_CREATE gets no window.
  wintest::g_failCreate = true;
  EXPECT_EQ(MakeWindow(), nullptr);
  EXPECT_EQ(CountReceived(WM_DESTROY), 1);
}

int g_destroyCalls = 0;

LRESULT DestroyingProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    ++g_destroyCalls;
    DestroyWindow(hwnd);  // again, from inside its own destruction
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

TEST_F(WindowLayerTest, DefaultCloseDestroysOnceEvenWhenTheProcedureDestroysAgain) {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = DestroyingProcedure;
  windowClass.lpszClassName = "Pellavo Destroying Class";
  ASSERT_NE(RegisterClassExA(&windowClass), 0);
  HWND window = CreateWindowExA(0, windowClass.lpszClassName, "", kWindowedStyle, 0, 0, 64, 64,
                                nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  g_destroyCalls = 0;
  SendMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(g_destroyCalls, 1);
  UnregisterClassA(windowClass.lpszClassName, nullptr);
}

TEST_F(WindowLayerTest, CloseButtonIsSentAndAPostedCloseIsTaken) {
  HWND window = MakeWindow();
  ASSERT_NE(window, nullptr);
  ShowWindow(window, SW_SHOW);
  PumpAll();
  ReceivedMessages().clear();

  // The close button reaches the procedure inside PeekMessageA and is not handed out:
  // the program decides what a close means.
  PushWindowEvent(window, SDL_WINDOWEVENT_CLOSE);
  MSG msg{};
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(CountReceived(WM_CLOSE), 1);
  EXPECT_TRUE(IsWindow(window));

  // A quit request of the system (a signal) is a posted close: the pump sees it.
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  SDL_PushEvent(&quit);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_CLOSE);
  EXPECT_EQ(msg.hwnd, window);
}

TEST_F(WindowLayerTest, SdlWindowEventsBecomeTheirMessages) {
  HWND window = MakeWindow();
  ASSERT_NE(window, nullptr);
  ShowWindow(window, SW_SHOW);
  PumpAll();
  ReceivedMessages().clear();

  PushWindowEvent(window, SDL_WINDOWEVENT_FOCUS_LOST);
  PushWindowEvent(window, SDL_WINDOWEVENT_MINIMIZED);
  PushWindowEvent(window, SDL_WINDOWEVENT_RESTORED);
  PushWindowEvent(window, SDL_WINDOWEVENT_FOCUS_GAINED);
  // The window is resized; an event that then claims another size (as SDL's own do after
  // a full-screen request that nothing granted) is told the size the window has.
  SDL_SetWindowSize(window->sdl, 1024, 700);
  PushWindowEvent(window, SDL_WINDOWEVENT_SIZE_CHANGED, 1280, 800);
  PushWindowEvent(window, SDL_WINDOWEVENT_MAXIMIZED);
  PushWindowEvent(window, SDL_WINDOWEVENT_EXPOSED);
  PushWindowEvent(window, SDL_WINDOWEVENT_EXPOSED);
  PushWindowEvent(window, SDL_WINDOWEVENT_LEAVE);
  const std::vector<MSG> taken = PumpAll();

  // Activations are sent, in order, before the posted messages are handed out.
  std::vector<WPARAM> activations;
  for (const auto& r : ReceivedMessages()) {
    if (r.message == WM_ACTIVATE) activations.push_back(r.wParam);
  }
  EXPECT_EQ(activations, (std::vector<WPARAM>{WA_INACTIVE, WA_ACTIVE}));

  // The restore and the size change that follows it say the same: they coalesce, and
  // the size is the newer one.
  ASSERT_EQ(taken.size(), 5u);
  EXPECT_EQ(taken[0].message, WM_SIZE);
  EXPECT_EQ(taken[0].wParam, SIZE_MINIMIZED);
  EXPECT_EQ(taken[1].message, WM_SIZE);
  EXPECT_EQ(taken[1].wParam, SIZE_RESTORED);
  EXPECT_EQ(LOWORD(taken[1].lParam), 1024);
  EXPECT_EQ(HIWORD(taken[1].lParam), 700);
  EXPECT_EQ(taken[2].message, WM_SIZE);
  EXPECT_EQ(taken[2].wParam, SIZE_MAXIMIZED);
  EXPECT_EQ(taken[3].message, WM_PAINT);  // one paint for two exposures
  EXPECT_EQ(taken[4].message, WM_NCMOUSELEAVE);
}

TEST_F(WindowLayerTest, MinimisedStateFollowsEventsAndShowWindow) {
  HWND window = MakeWindow();
  ShowWindow(window, SW_SHOW);
  PushWindowEvent(window, SDL_WINDOWEVENT_MINIMIZED);
  PumpAll();
  EXPECT_TRUE(IsIconic(window));
  ShowWindow(window, SW_RESTORE);
  EXPECT_FALSE(IsIconic(window));
  ShowWindow(window, SW_MINIMIZE);
  EXPECT_TRUE(IsIconic(window));
}

TEST_F(WindowLayerTest, MouseMotionPacksSignedClientCoordinates) {
  HWND window = MakeWindow();
  ShowWindow(window, SW_SHOW);
  PumpAll();

  struct Case {
    int x, y;
    int expectedX, expectedY;
    WORD highWord;
  };
  const Case cases[] = {
      {10, 20, 10, 20, 20},
      {-5, -300, -5, -300, 0xFED4},           // left of and above the client area
      {40000, -40000, 32767, -32768, 0x8000},  // beyond 16 bits: clamped, not wrapped
  };
  for (const Case& c : cases) {
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.windowID = SdlId(window);
    event.motion.x = c.x;
    event.motion.y = c.y;
    event.motion.xrel = 1;
    ASSERT_EQ(SDL_PushEvent(&event), 1);
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_MOUSEMOVE);
    EXPECT_EQ(GET_X_LPARAM(msg.lParam), c.expectedX);
    EXPECT_EQ(GET_Y_LPARAM(msg.lParam), c.expectedY);
    EXPECT_EQ(HIWORD(msg.lParam), c.highWord);
  }
}

TEST_F(WindowLayerTest, ThreeDroppedFilesBecomeOneDropMessage) {
  HWND window = MakeWindow(kWindowedStyle, kWindowedExStyle);  // accepts files
  ShowWindow(window, SW_SHOW);
  PumpAll();

  auto push = [&](Uint32 type, const char* file) {
    SDL_Event event{};
    event.type = type;
    event.drop.windowID = SdlId(window);
    event.drop.file = file ? SDL_strdup(file) : nullptr;
    ASSERT_EQ(SDL_PushEvent(&event), 1);
  };
  push(SDL_DROPBEGIN, nullptr);
  push(SDL_DROPFILE, "/home/player/first.ui");
  push(SDL_DROPFILE, "/home/player/second level.lua");
  push(SDL_DROPFILE, "/tmp/third.png");
  push(SDL_DROPCOMPLETE, nullptr);

  MSG msg{};
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  ASSERT_EQ(msg.message, WM_DROPFILES);
  EXPECT_FALSE(PeekMessageA(nullptr, nullptr, 0, 0, PM_NOREMOVE)) << "one message for the drop";

  HDROP drop = reinterpret_cast<HDROP>(msg.wParam);
  ASSERT_EQ(DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0), 3u);
  const char* names[] = {"/home/player/first.ui", "/home/player/second level.lua",
                         "/tmp/third.png"};
  for (UINT i = 0; i < 3; ++i) {
    char path[512];
    EXPECT_EQ(DragQueryFileA(drop, i, path, sizeof path), std::strlen(names[i]));
    EXPECT_STREQ(path, names[i]);
  }
  char shortBuffer[5];
  EXPECT_EQ(DragQueryFileA(drop, 2, shortBuffer, sizeof shortBuffer), 4u);
  EXPECT_STREQ(shortBuffer, "/tmp");
  EXPECT_EQ(DragQueryFileA(drop, 3, shortBuffer, sizeof shortBuffer), 0u);

  // Once its handler has run the handle is gone, whether or not DragFinish was called.
  DispatchMessageA(&msg);
  EXPECT_EQ(DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0), 0u);
}

TEST_F(WindowLayerTest, DropsReachOnlyWindowsThatAcceptFiles) {
  HWND window = MakeWindow();  // extended style 0, as at creation
  SDL_Event event{};
  event.type = SDL_DROPFILE;
  event.drop.windowID = SdlId(window);
  event.drop.file = SDL_strdup("/tmp/a");
  SDL_PushEvent(&event);
  event.type = SDL_DROPCOMPLETE;
  event.drop.file = nullptr;
  SDL_PushEvent(&event);
  for (const MSG& msg : PumpAll()) EXPECT_NE(msg.message, WM_DROPFILES);
}

TEST_F(WindowLayerTest, StylesSwitchBetweenWindowedAndFullScreenWithoutAModeChange) {
  SDL_DisplayMode before;
  ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &before), 0);
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  EXPECT_EQ(screenWidth, before.w);
  EXPECT_EQ(screenHeight, before.h);

  HWND window = MakeWindow();
  ShowWindow(window, SW_SHOW);
  EXPECT_FALSE(SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_BORDERLESS);

  // Full screen as the renderer sets it up: hidden, popup style, the screen's size at
  // the origin, shown again. A mode change is asked for and "succeeds".
  DEVMODEA mode{};
  mode.dmSize = sizeof mode;
  mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
  mode.dmPelsWidth = 800;
  mode.dmPelsHeight = 600;
  mode.dmBitsPerPel = 32;
  EXPECT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
  ShowWindow(window, SW_HIDE);
  EXPECT_EQ(static_cast<DWORD>(SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(WS_POPUP))) &
                ~WS_VISIBLE,
            kWindowedStyle);
  SetWindowLongA(window, GWL_EXSTYLE, WS_EX_APPWINDOW);
  ASSERT_TRUE(SetWindowPos(window, HWND_TOP, 0, 0, 800, 600, SWP_FRAMECHANGED));
  ShowWindow(window, SW_SHOW);
  EXPECT_EQ(SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_FULLSCREEN_DESKTOP,
            static_cast<Uint32>(SDL_WINDOW_FULLSCREEN_DESKTOP));
  RECT rect;
  ASSERT_TRUE(GetWindowRect(window, &rect));
  EXPECT_EQ(rect.left, 0);
  EXPECT_EQ(rect.top, 0);
  EXPECT_EQ(rect.right, screenWidth);
  EXPECT_EQ(rect.bottom, screenHeight);
  RECT client;
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, screenWidth);
  int sdlWidth = 0, sdlHeight = 0;
  SDL_GetWindowSize(window->sdl, &sdlWidth, &sdlHeight);
  EXPECT_EQ(sdlWidth, screenWidth) << "the window itself covers the desktop";
  EXPECT_EQ(sdlHeight, screenHeight);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)), WS_POPUP | WS_VISIBLE);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE)), WS_EX_APPWINDOW);

  // Back to windowed: the game's style and extended style, centred on the desktop.
  ShowWindow(window, SW_HIDE);
  SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(kWindowedStyle));
  SetWindowLongA(window, GWL_EXSTYLE, static_cast<LONG>(kWindowedExStyle));
  const int x = (screenWidth - 800) / 2, y = (screenHeight - 600) / 2;
  ASSERT_TRUE(SetWindowPos(window, HWND_TOP, x, y, 800, 600, SWP_FRAMECHANGED | SWP_NOCOPYBITS));
  ShowWindow(window, SW_SHOW);
  EXPECT_FALSE(SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_FULLSCREEN);
  EXPECT_FALSE(SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_BORDERLESS);
  ASSERT_TRUE(GetWindowRect(window, &rect));
  EXPECT_EQ(rect.left, x);
  EXPECT_EQ(rect.top, y);
  EXPECT_EQ(rect.right - rect.left, 800);
  EXPECT_EQ(rect.bottom - rect.top, 600);

  SDL_DisplayMode after;
  ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &after), 0);
  EXPECT_EQ(after.w, before.w);
  EXPECT_EQ(after.h, before.h);
  EXPECT_EQ(after.format, before.format);
}

TEST_F(WindowLayerTest, MetricsAndDesktopMode) {
  SDL_DisplayMode desktop;
  ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0);
  DEVMODEA mode{};
  mode.dmSize = sizeof mode;
  ASSERT_TRUE(EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode));
  EXPECT_EQ(mode.dmPelsWidth, static_cast<DWORD>(desktop.w));
  EXPECT_EQ(mode.dmPelsHeight, static_cast<DWORD>(desktop.h));
  EXPECT_EQ(mode.dmBitsPerPel, 32u);  // a 24-bit colour mode in four bytes reports 32

  // SDL sizes the client area: no frame metrics.
  for (int index : {SM_CYCAPTION, SM_CXBORDER, SM_CYBORDER, SM_CXDLGFRAME, SM_CYDLGFRAME}) {
    EXPECT_EQ(GetSystemMetrics(index), 0) << index;
  }
  EXPECT_EQ(GetSystemMetrics(SM_NETWORK) & 1, 1);
}

TEST_F(WindowLayerTest, ShowCursorIsAbsolute) {
  EXPECT_EQ(ShowCursor(FALSE), -1);
  EXPECT_EQ(ShowCursor(FALSE), -1);
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
  // One show undoes any number of hides.
  EXPECT_EQ(ShowCursor(TRUE), 0);
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
  EXPECT_EQ(ShowCursor(TRUE), 0);
  EXPECT_EQ(ShowCursor(FALSE), -1);
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
  ShowCursor(TRUE);
}

TEST_F(WindowLayerTest, ArrowCursorIsSharedAndSurvivesDestroy) {
  HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
  ASSERT_NE(arrow, nullptr);
  EXPECT_EQ(LoadCursorA(GetModuleHandleA(nullptr), IDC_ARROW), arrow);
  EXPECT_EQ(LoadCursorA(nullptr, MAKEINTRESOURCEA(32513)), nullptr);
  HCURSOR before = SetCursor(arrow);
  EXPECT_EQ(SetCursor(before), arrow);
  EXPECT_TRUE(DestroyCursor(arrow));
  EXPECT_EQ(LoadCursorA(nullptr, IDC_ARROW), arrow);
  // The icons a window class names exist and stay.
  EXPECT_NE(LoadIconA(nullptr, IDI_APPLICATION), nullptr);
  EXPECT_NE(LoadIconA(nullptr, IDI_WINLOGO), LoadIconA(nullptr, IDI_APPLICATION));
  EXPECT_TRUE(DestroyCursor(LoadIconA(nullptr, IDI_WINLOGO)));

  // A cursor made from an SDL cursor is freed once; a second destroy is refused.
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, 8, 8, 32, SDL_PIXELFORMAT_RGBA32);
  SDL_Cursor* made = SDL_CreateColorCursor(surface, 0, 0);
  SDL_FreeSurface(surface);
  if (made) {
    HCURSOR handle = plat::MakeCursorHandle(made);
    EXPECT_TRUE(DestroyCursor(handle));
    EXPECT_FALSE(DestroyCursor(handle));
  }
}

std::vector<std::string>& LoggedLines() {
  static std::vector<std::string> lines;
  return lines;
}

TEST_F(WindowLayerTest, MessageBoxOnlyLogsWhenHeadless) {
  ASSERT_TRUE(plat::IsHeadless());
  LoggedLines().clear();
  Log::Instance().callback = [](const char* text) { LoggedLines().push_back(text); };
  const uint32_t start = SDL_GetTicks();
  EXPECT_EQ(MessageBoxA(nullptr, "We had a problem.", "Unable to init DX8",
                        MB_OK | MB_ICONINFORMATION),
            IDOK);
  Log::Instance().callback = nullptr;
  EXPECT_LT(SDL_GetTicks() - start, 10000u) << "nothing waits for a click (a hang guard)";
  ASSERT_EQ(LoggedLines().size(), 1u);
  EXPECT_NE(LoggedLines()[0].find("Unable to init DX8"), std::string::npos);
  EXPECT_NE(LoggedLines()[0].find("We had a problem."), std::string::npos);
}

}  // namespace
