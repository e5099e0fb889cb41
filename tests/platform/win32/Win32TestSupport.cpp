#include "tests/platform/win32/Win32TestSupport.h"

#include <SDL2/SDL.h>

#include "platform/win32/KernelApi.h"
#include "platform/win32/MessageQueue.h"
#include "platform/win32/SdlVideo.h"

namespace wintest {

bool g_failCreate = false;
void* g_createParam = nullptr;

std::vector<Received>& ReceivedMessages() {
  static std::vector<Received> received;
  return received;
}

int CountReceived(UINT message) {
  int count = 0;
  for (const Received& r : ReceivedMessages()) count += r.message == message ? 1 : 0;
  return count;
}

namespace {

LRESULT TestProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  ReceivedMessages().push_back(Received{hwnd, message, wParam, lParam});
  if (message == WM_CREATE) {
    g_createParam = reinterpret_cast<const CREATESTRUCTA*>(lParam)->lpCreateParams;
    if (g_failCreate) return -1;
  }
  if (message == WM_CLOSE) return 0;
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

const char* const WindowTest::kClassName = "Pellavo Test Window";

void WindowTest::SetUp() {
  ASSERT_TRUE(plat::EnsureVideo());
  SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
  plat::MessageQueue::Instance().Reset();
  ReceivedMessages().clear();
  g_failCreate = false;
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = TestProcedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = kClassName;
  ASSERT_NE(RegisterClassExA(&windowClass), 0);
}

void WindowTest::TearDown() {
  for (HWND window : windows_) {
    if (IsWindow(window)) DestroyWindow(window);
  }
  UnregisterClassA(kClassName, GetModuleHandleA(nullptr));
  SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
  plat::MessageQueue::Instance().Reset();
}

HWND WindowTest::MakeWindow(DWORD style, DWORD exStyle, void* param) {
  HWND window = CreateWindowExA(exStyle, kClassName, "Test", style, 112, 84, 800, 600, nullptr,
                                nullptr, GetModuleHandleA(nullptr), param);
  if (window) windows_.push_back(window);
  return window;
}

std::vector<MSG> WindowTest::PumpAll() {
  std::vector<MSG> taken;
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    taken.push_back(msg);
    DispatchMessageA(&msg);
  }
  return taken;
}

}  // namespace wintest
