#include "tests/support/XTestClient.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <algorithm>

namespace testenv {

namespace {

Display* AsDisplay(void* display) { return static_cast<Display*>(display); }

// Errors the server reported since the last look. Xlib's own handler ends the whole process
// on the first error, and the program under test makes and drops windows of its own while
// the test reads them (a window gone between listing and naming it, one not yet shown when
// it is given the keyboard): each such request fails on its own instead.
int g_errors = 0;

int CountError(Display*, XErrorEvent*) {
  ++g_errors;
  return 0;
}

// Waits until the server has handled every request so far; true when none of them failed.
bool SyncedWithoutError(Display* display) {
  XSync(display, False);
  const bool clean = g_errors == 0;
  g_errors = 0;
  return clean;
}

// The channel of a pixel under one of the visual's masks, scaled to 8 bits.
uint32_t Channel(unsigned long pixel, unsigned long mask) {
  if (!mask) return 0;
  int shift = 0;
  while (!((mask >> shift) & 1)) ++shift;
  const unsigned long top = mask >> shift;
  return static_cast<uint32_t>(((pixel & mask) >> shift) * 255 / top);
}

}  // namespace

XTestClient::XTestClient(const std::string& display) {
  Display* connection = XOpenDisplay(display.c_str());
  display_ = connection;
  if (!connection) return;
  XSetErrorHandler(&CountError);
  int event = 0, error = 0, major = 0, minor = 0;
  xtest_ = XTestQueryExtension(connection, &event, &error, &major, &minor) == True;
}

XTestClient::~XTestClient() {
  if (display_) XCloseDisplay(AsDisplay(display_));
}

bool XTestClient::Ready() const { return display_ && xtest_; }

unsigned long XTestClient::FindWindow(const std::string& namePrefix) const {
  Display* display = AsDisplay(display_);
  ::Window root = 0, parent = 0;
  ::Window* children = nullptr;
  unsigned int count = 0;
  if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) return 0;
  unsigned long found = 0;
  for (unsigned int i = 0; i < count && !found; ++i) {
    char* name = nullptr;
    // A window that went since the list was made has no name.
    const bool named = XFetchName(display, children[i], &name) && name;
    if (SyncedWithoutError(display) && named && std::string(name).rfind(namePrefix, 0) == 0) found = children[i];
    if (name) XFree(name);
  }
  if (children) XFree(children);
  return found;
}

bool XTestClient::Geometry(unsigned long window, ScreenRect* rect) const {
  Display* display = AsDisplay(display_);
  XWindowAttributes attributes;
  ::Window child = 0;
  int x = 0, y = 0;
  const bool found = XGetWindowAttributes(display, window, &attributes) &&
                     XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
  if (!SyncedWithoutError(display) || !found) return false;
  *rect = ScreenRect{x, y, attributes.width, attributes.height};
  return true;
}

ScreenImage XTestClient::Capture(const ScreenRect& rect) const {
  Display* display = AsDisplay(display_);
  ScreenImage image;
  const int screenWidth = DisplayWidth(display, DefaultScreen(display));
  const int screenHeight = DisplayHeight(display, DefaultScreen(display));
  const int left = std::clamp(rect.x, 0, screenWidth), top = std::clamp(rect.y, 0, screenHeight);
  const int right = std::clamp(rect.x + rect.width, left, screenWidth);
  const int bottom = std::clamp(rect.y + rect.height, top, screenHeight);
  if (right <= left || bottom <= top) return image;
  XImage* shot = XGetImage(display, DefaultRootWindow(display), left, top,
                           static_cast<unsigned>(right - left), static_cast<unsigned>(bottom - top),
                           AllPlanes, ZPixmap);
  SyncedWithoutError(display);
  if (!shot) return image;
  image.width = right - left;
  image.height = bottom - top;
  image.pixels.resize(static_cast<size_t>(image.width) * image.height);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const unsigned long pixel = XGetPixel(shot, x, y);
      image.pixels[static_cast<size_t>(y) * image.width + x] =
          Channel(pixel, shot->red_mask) << 16 | Channel(pixel, shot->green_mask) << 8 |
          Channel(pixel, shot->blue_mask);
    }
  }
  XDestroyImage(shot);
  return image;
}

bool XTestClient::Place(unsigned long window, const ScreenRect& rect) {
  Display* display = AsDisplay(display_);
  XMoveResizeWindow(display, window, rect.x, rect.y, static_cast<unsigned>(rect.width),
                    static_cast<unsigned>(rect.height));
  return SyncedWithoutError(display);
}

bool XTestClient::Focus(unsigned long window) {
  Display* display = AsDisplay(display_);
  XSetInputFocus(display, window, RevertToPointerRoot, CurrentTime);
  return SyncedWithoutError(display);
}

void XTestClient::MovePointer(int x, int y) {
  Display* display = AsDisplay(display_);
  XTestFakeMotionEvent(display, DefaultScreen(display), x, y, CurrentTime);
  SyncedWithoutError(display);
}

void XTestClient::Button(int button, bool down) {
  Display* display = AsDisplay(display_);
  XTestFakeButtonEvent(display, static_cast<unsigned>(button), down ? True : False, CurrentTime);
  SyncedWithoutError(display);
}

void XTestClient::Key(const std::string& keysym, bool down) {
  Display* display = AsDisplay(display_);
  const KeyCode code = XKeysymToKeycode(display, XStringToKeysym(keysym.c_str()));
  if (!code) return;
  XTestFakeKeyEvent(display, code, down ? True : False, CurrentTime);
  SyncedWithoutError(display);
}

}  // namespace testenv
