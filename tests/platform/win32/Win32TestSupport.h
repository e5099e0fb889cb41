#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "platform/win32/WinUser.h"

namespace wintest {

// What a window procedure received.
struct Received {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

// Every message of the test windows, in order of arrival.
std::vector<Received>& ReceivedMessages();
// How many of them were `message`.
int CountReceived(UINT message);

// Windows of the test class (procedure: records, then DefWindowProcA except WM_CLOSE,
// which it only records, as the engine's procedure does). A clean queue and no
// leftover SDL events before each test; every window destroyed after it.
class WindowTest : public ::testing::Test {
 protected:
  static constexpr DWORD kWindowedStyle = 0x82CA0000u;
  static constexpr DWORD kWindowedExStyle = 0x00040110u;
  static const char* const kClassName;

  void SetUp() override;
  void TearDown() override;

  HWND MakeWindow(DWORD style = kWindowedStyle, DWORD exStyle = 0, void* param = nullptr);
  // Takes and dispatches every waiting message; returns them in order.
  std::vector<MSG> PumpAll();

  std::vector<HWND> windows_;
};

// When set, the test procedure answers WM_CREATE with -1.
extern bool g_failCreate;
// The creation parameter that the last WM_CREATE carried.
extern void* g_createParam;

}  // namespace wintest
