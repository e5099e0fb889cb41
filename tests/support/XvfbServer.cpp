#include "tests/support/XvfbServer.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

namespace testenv {

namespace {

// A hang guard: a server that has not said its display number by then is not coming up
// (and one that has not ended that long after being asked to is ended outright).
constexpr int kStartTimeoutMs = 30000;

}  // namespace

XvfbServer::XvfbServer(int width, int height) {
  int ready[2];
  if (pipe(ready) != 0) {
    problem_ = "no pipe for Xvfb's display number";
    return;
  }
  const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
  const std::string fd = std::to_string(ready[1]);
  pid_ = fork();
  if (pid_ == 0) {
    close(ready[0]);
    const int devnull = open("/dev/null", O_RDWR);
    if (devnull >= 0) {
      dup2(devnull, 0);
      dup2(devnull, 1);
      dup2(devnull, 2);
    }
    // Its own process group, so that the server never gets a terminal's signals meant for
    // the test.
    setpgid(0, 0);
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten",
           "tcp", "-noreset", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(ready[1]);
  if (pid_ < 0) {
    close(ready[0]);
    problem_ = "cannot fork for Xvfb";
    return;
  }
  // Xvfb writes the display number and a newline once it takes connections; the pipe
  // closes when it ends without starting.
  std::string number;
  bool timedOut = false;
  pollfd wait{ready[0], POLLIN, 0};
  while (number.find('\n') == std::string::npos) {
    int polled = 0;
    do {
      polled = poll(&wait, 1, kStartTimeoutMs);
    } while (polled < 0 && errno == EINTR);  // a signal to the test is no answer
    if (polled <= 0) {
      timedOut = true;
      break;
    }
    char buffer[32];
    const ssize_t got = read(ready[0], buffer, sizeof buffer);
    if (got <= 0) break;
    number.append(buffer, static_cast<size_t>(got));
  }
  close(ready[0]);
  if (number.find('\n') == std::string::npos) {
    // Ended outright if it still runs (one that has ended keeps its exit status).
    int status = 0;
    kill(pid_, SIGKILL);
    waitpid(pid_, &status, 0);
    problem_ = timedOut ? "Xvfb did not start within 30 s" : "Xvfb ended without starting";
    if (!timedOut && WIFEXITED(status) && WEXITSTATUS(status) == 127) {
      problem_ = "Xvfb is not installed (tools/setup.sh installs it)";
    }
    pid_ = -1;
    return;
  }
  display_ = ":" + number.substr(0, number.find('\n'));
}

XvfbServer::~XvfbServer() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  int status = 0;
  // A server that does not end on the request (within a hang guard) is ended outright.
  for (int waited = 0; waitpid(pid_, &status, WNOHANG) == 0; waited += 10) {
    if (waited >= kStartTimeoutMs) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &status, 0);
      break;
    }
    usleep(10 * 1000);
  }
}

}  // namespace testenv
