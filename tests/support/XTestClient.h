#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A test's own connection to an X display: it finds a program's window, reads what the
// screen shows, and moves and clicks the pointer and presses keys through the XTEST
// extension, as a person at the display would. A request the server refuses (a window that
// has gone, or is not shown yet) fails on its own rather than ending the test's process,
// as Xlib's default error handler would. Kept apart from the X headers, whose names
// (Window, None, Bool) clash with other code.

namespace testenv {

struct ScreenRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// Pixels of a part of the screen, rows top first, 0xRRGGBB.
struct ScreenImage {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

class XTestClient {
 public:
  explicit XTestClient(const std::string& display);
  ~XTestClient();
  XTestClient(const XTestClient&) = delete;
  XTestClient& operator=(const XTestClient&) = delete;

  // Connected, with the XTEST extension.
  bool Ready() const;

  // The first top-level window whose name starts with prefix; 0 when there is none.
  unsigned long FindWindow(const std::string& namePrefix) const;
  // Where the window is on the screen and its size; false when it is gone.
  bool Geometry(unsigned long window, ScreenRect* rect) const;
  // What the screen shows in the rectangle (clipped to the screen).
  ScreenImage Capture(const ScreenRect& rect) const;
  // Places and sizes a window, as a window manager does when it grants a request; false
  // when the server refused.
  bool Place(unsigned long window, const ScreenRect& rect);
  // Gives a window the keyboard, as a window manager does for the window in use (with
  // none, a window that was hidden and shown again has lost it); false when the server
  // refused (the window is not shown).
  bool Focus(unsigned long window);

  // Pointer and keys, in screen coordinates; each request reaches the server before the
  // call returns.
  void MovePointer(int x, int y);
  void Button(int button, bool down);
  // A key by its X keysym name ("Escape", "F3").
  void Key(const std::string& keysym, bool down);

 private:
  void* display_ = nullptr;  // Display*
  bool xtest_ = false;
};

}  // namespace testenv
