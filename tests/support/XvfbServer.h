#pragma once

#include <sys/types.h>

#include <string>

namespace testenv {

// A virtual X server of the test's own, without a window manager, on a display number
// that the server picks (-displayfd), so that tests running side by side never meet.
// Stopped when the object goes.
class XvfbServer {
 public:
  // Starts Xvfb with one screen of width x height at 24 bits. Started() says whether it
  // came up; otherwise Problem() says why (no Xvfb installed, or it would not start),
  // which is the one reason a test that needs a real X display skips.
  XvfbServer(int width, int height);
  ~XvfbServer();
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;

  bool Started() const { return !display_.empty(); }
  const std::string& Problem() const { return problem_; }
  // The display's name, as DISPLAY takes it (":12").
  const std::string& Display() const { return display_; }

 private:
  pid_t pid_ = -1;
  std::string display_;
  std::string problem_;
};

}  // namespace testenv
