// The real program on a real X display: a 1280 x 800 Xvfb screen of the test's own with no
// window manager, so that the full-screen request of a fresh profile is granted by nobody
// and the window keeps its 800 x 600. What the screen shows is read back from the X
// server and held against the game's own screenshot of its back buffer, placed as the
// README says (scaled uniformly into the window between black bars); the pointer is
// moved and clicked through XTEST at the drawn centre of a control, whose script must then
// run. The controls' places come from the panels in data/ui.
//
// The run: the menu, full screen not granted (the whole menu in the 800 x 600 window);
// Settings; the Full screen box unticked (windowed: the picture fills the window); ticked
// again; the window then made to cover the screen, as a window manager that grants the
// request does (the play area scaled to it between bars); Back; Escape quits.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "engine/core/Script.h"
#include "tests/support/TestEnv.h"
#include "tests/support/XTestClient.h"
#include "tests/support/XvfbServer.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using testenv::ScreenImage;
using testenv::ScreenRect;
using testenv::XTestClient;

const std::string kBin = std::string(PELLAVO_BINARY_DIR) + "/bin";
const std::string kData = std::string(PELLAVO_SOURCE_DIR) + "/data";

constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 800;
// A 1280 x 800 desktop is wide (1.6 > 1.5): full screen draws a 960 x 600 back buffer with
// the 800 x 600 play area between margins of 80 pixels; windowed draws the play area alone.
constexpr int kPlayWidth = 800;
constexpr int kPlayHeight = 600;
constexpr int kWideMargin = 80;

// Hang guards only: how long the program may take to get somewhere, on a busy machine.
constexpr auto kStartGuard = std::chrono::seconds(120);
constexpr auto kStepGuard = std::chrono::seconds(60);
// At most this long for one frame to show; a screen with nothing moving shows no new
// frame, and the wait then simply ends.
constexpr auto kFrameGuard = std::chrono::seconds(10);

// ---- The program ---------------------------------------------------------------------------

// The program from the build in a working folder of its own (beside the build's archive,
// settings and folders, linked), with a fresh save folder, on the given display.
class GameProcess {
 public:
  explicit GameProcess(const std::string& display) {
    const std::string root = testenv::MakeTempDir("xdisplay");
    work_ = root + "/run";
    dataHome_ = root + "/xdg";
    fs::create_directories(work_);
    fs::create_directories(dataHome_);
    for (const char* entry : {"kx.arc", "config.ini", "anim", "bganim", "movies", "lang", "help", "cursors"}) {
      if (fs::exists(kBin + "/" + entry)) fs::create_symlink(kBin + "/" + entry, work_ + "/" + entry);
    }
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
      const std::string entry = *e;
      const std::string name = entry.substr(0, entry.find('='));
      if (name != "DISPLAY" && name != "XDG_DATA_HOME" && name != "SDL_VIDEODRIVER" && name != "ASAN_OPTIONS") {
        env.push_back(entry);
      }
    }
    env.push_back("DISPLAY=" + display);
    env.push_back("XDG_DATA_HOME=" + dataHome_);
    env.push_back("SDL_VIDEODRIVER=x11");
    // Mesa's driver is unloaded at exit and LeakSanitizer would report its blocks; the
    // run must end cleanly, and every other error still fails it.
    const char* asan = std::getenv("ASAN_OPTIONS");
    env.push_back(std::string("ASAN_OPTIONS=") + (asan && *asan ? std::string(asan) + ":" : "") + "detect_leaks=0");
    std::vector<char*> envp;
    for (std::string& entry : env) envp.push_back(entry.data());
    envp.push_back(nullptr);
    const std::string program = kBin + "/pellavo";
    pid_ = fork();
    if (pid_ == 0) {
      if (chdir(work_.c_str()) != 0) _exit(126);
      const int devnull = open("/dev/null", O_WRONLY);
      if (devnull >= 0) dup2(devnull, 1);
      char* argv[] = {const_cast<char*>("./pellavo"), nullptr};
      execve(program.c_str(), argv, envp.data());
      _exit(127);
    }
  }

  ~GameProcess() {
    if (pid_ > 0 && !ended_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }

  const std::string& Work() const { return work_; }

  std::string Log() const { return testenv::ReadFile(dataHome_ + "/Hovrik/kv.log"); }

  size_t CountInLog(const std::string& text) const {
    const std::string log = Log();
    size_t count = 0;
    for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++count;
    return count;
  }

  // Waits until the log holds the text `count` times; false when the guard runs out or
  // the program ends first.
  bool WaitForLog(const std::string& text, size_t count, Clock::duration guard) {
    const Clock::time_point until = Clock::now() + guard;
    while (CountInLog(text) < count) {
      if (Clock::now() > until || HasEnded()) return CountInLog(text) >= count;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
  }

  bool HasEnded() {
    if (ended_ || pid_ <= 0) return true;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) != pid_) return false;
    ended_ = true;
    status_ = status;
    return true;
  }

  // The exit status once the program has ended by itself within the guard; -1 otherwise
  // (or after a signal).
  int WaitForExit(Clock::duration guard) {
    const Clock::time_point until = Clock::now() + guard;
    while (!HasEnded() && Clock::now() < until) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (!ended_) return -1;
    return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
  }

 private:
  std::string work_;
  std::string dataHome_;
  pid_t pid_ = -1;
  bool ended_ = false;
  int status_ = 0;
};

// ---- Where things are drawn ----------------------------------------------------------------

// A control's centre as a fraction of the play area, from its panel file: positions in
// the file are relative to the parent, the panel's own absolute.
bool FindControlCentre(const LuaObject& widget, const std::string& name, double parentX, double parentY,
                       double* centreX, double* centreY) {
  const math::Vec2 pos = script::GetVec2(widget, "Pos", math::Vec2(0, 0));
  const double x = parentX + pos.x, y = parentY + pos.y;
  if (script::GetString(widget, "Name", "") == name) {
    const math::Vec2 size = script::GetVec2(widget, "Size", math::Vec2(0, 0));
    *centreX = x + size.x / 2;
    *centreY = y + size.y / 2;
    return true;
  }
  const LuaObject children = script::GetField(widget, "Children");
  if (!children.IsTable()) return false;
  for (int i = 1; i <= children.GetTableCount(); ++i) {
    if (FindControlCentre(children[i], name, x, y, centreX, centreY)) return true;
  }
  return false;
}

struct Fraction {
  double x = 0;
  double y = 0;
};

Fraction ControlCentre(const std::string& panelFile, const std::string& name) {
  Fraction centre;
  LuaState* state = script::CreateLuaState();
  const bool loaded = script::LoadScript(state, kData + "/" + panelFile);
  EXPECT_TRUE(loaded) << panelFile;
  if (loaded) {
    EXPECT_TRUE(FindControlCentre(script::GetGlobal(state, "Panel"), name, 0, 0, &centre.x, &centre.y))
        << name << " in " << panelFile;
  }
  LuaState::Destroy(state);
  return centre;
}

// Where the back buffer lands in a client area of the given size: scaled uniformly to the
// largest size that fits, centred, with black bars on the other sides.
struct Placement {
  int backWidth = 0;
  int backHeight = 0;
  int margin = 0;  // the play area's margin inside the back buffer, left and right
  double scale = 0;
  double x = 0;  // the back buffer's picture in the client area
  double y = 0;
  double width = 0;
  double height = 0;

  Placement(int clientWidth, int clientHeight, bool wideFullScreen)
      : backWidth(wideFullScreen ? kPlayWidth + 2 * kWideMargin : kPlayWidth),
        backHeight(kPlayHeight),
        margin(wideFullScreen ? kWideMargin : 0) {
    scale = std::min(static_cast<double>(clientWidth) / backWidth, static_cast<double>(clientHeight) / backHeight);
    width = backWidth * scale;
    height = backHeight * scale;
    x = (clientWidth - width) / 2;
    y = (clientHeight - height) / 2;
  }

  // A play-area fraction to client coordinates.
  void PlayToClient(const Fraction& f, int* cx, int* cy) const {
    *cx = static_cast<int>(std::lround(x + (margin + f.x * kPlayWidth) * scale));
    *cy = static_cast<int>(std::lround(y + f.y * kPlayHeight * scale));
  }
};

bool IsBlack(uint32_t rgb) {
  return (rgb >> 16 & 0xFF) <= 8 && (rgb >> 8 & 0xFF) <= 8 && (rgb & 0xFF) <= 8;
}

bool Near(uint32_t a, uint32_t b, int tolerance) {
  for (int shift : {16, 8, 0}) {
    if (std::abs(static_cast<int>(a >> shift & 0xFF) - static_cast<int>(b >> shift & 0xFF)) > tolerance) return false;
  }
  return true;
}

// ---- Driving the display -------------------------------------------------------------------

class XDisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    server_ = std::make_unique<testenv::XvfbServer>(kScreenWidth, kScreenHeight);
    if (!server_->Started()) GTEST_SKIP() << "No X display for this test: " << server_->Problem();
    client_ = std::make_unique<XTestClient>(server_->Display());
    ASSERT_TRUE(client_->Ready()) << "no connection with XTEST to " << server_->Display();
  }

  // The window as the X server has it.
  ScreenRect WindowRect() const {
    ScreenRect rect;
    EXPECT_TRUE(client_->Geometry(window_, &rect));
    return rect;
  }

  // Waits until the window has shown `frames` new pictures (or the guard ends the wait,
  // which a screen where nothing moves does): what the pointer and the buttons did before
  // has then been read by the game's frames.
  void WaitForFrames(int frames) {
    const ScreenRect rect = WindowRect();
    ScreenImage last = client_->Capture(rect);
    const Clock::time_point until = Clock::now() + kFrameGuard;
    for (int seen = 0; seen < frames && Clock::now() < until;) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      ScreenImage now = client_->Capture(rect);
      if (now.pixels != last.pixels) {
        ++seen;
        last = std::move(now);
      }
    }
  }

  // After a switch between full screen and windowed: the window was hidden and shown again,
  // and for 0.3 s of game time after it regains the focus the game reads no input. Ten
  // frames and a second (each frame counts at most 0.1 s of game time) see that through.
  void Settle() {
    const Clock::time_point start = Clock::now();
    WaitForFrames(10);
    const Clock::duration left = std::chrono::seconds(1) - (Clock::now() - start);
    if (left > Clock::duration::zero()) std::this_thread::sleep_for(left);
  }

  // Gives the window the keyboard. After a switch between full screen and windowed the
  // window is hidden and shown again, and the server refuses the focus until it shows.
  void FocusWindow() {
    bool focused = client_->Focus(window_);
    for (const Clock::time_point until = Clock::now() + kStepGuard; !focused && Clock::now() < until;) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      focused = client_->Focus(window_);
    }
    ASSERT_TRUE(focused) << "the window never took the keyboard";
  }

  // A left click at a point of the window, as a person makes one: the pointer comes to
  // rest on the point, the button is held over a few frames and let go.
  void ClickAt(int clientX, int clientY) {
    const ScreenRect rect = WindowRect();
    client_->MovePointer(rect.x + clientX + 3, rect.y + clientY + 3);
    WaitForFrames(2);
    client_->MovePointer(rect.x + clientX, rect.y + clientY);
    WaitForFrames(2);
    client_->Button(1, true);
    WaitForFrames(2);
    client_->Button(1, false);
    WaitForFrames(1);
  }

  void ClickControl(const Placement& placement, const std::string& panelFile, const std::string& name) {
    int x = 0, y = 0;
    placement.PlayToClient(ControlCentre(panelFile, name), &x, &y);
    SCOPED_TRACE(testing::Message() << name << " drawn at " << x << ", " << y);
    ClickAt(x, y);
  }

  // The game's own screenshot of its back buffer (the F3 key), read back with what the
  // window shows right after it: the window's picture must be that back buffer, placed as
  // the placement says, with black bars around it.
  void ExpectWindowShowsTheBackBuffer(GameProcess& game, const Placement& placement) {
    const std::vector<std::string> before = Screenshots(game);
    ASSERT_NO_FATAL_FAILURE(FocusWindow());
    client_->Key("F3", true);
    WaitForFrames(2);
    client_->Key("F3", false);
    // The new file, once it reads whole.
    testenv::Bitmap back;
    bool loaded = false;
    for (const Clock::time_point until = Clock::now() + kStepGuard; !loaded && Clock::now() < until;) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      for (const std::string& name : Screenshots(game)) {
        if (std::find(before.begin(), before.end(), name) == before.end()) loaded = back.Load(name);
      }
    }
    ASSERT_TRUE(loaded) << "F3 wrote no readable screenshot";
    const ScreenRect rect = WindowRect();
    const ScreenImage shown = client_->Capture(rect);
    ASSERT_EQ(back.width, placement.backWidth) << "the back buffer the picture was drawn for";
    ASSERT_EQ(back.height, placement.backHeight);
    ASSERT_EQ(shown.width, rect.width);
    ASSERT_EQ(shown.height, rect.height);

    // Outside the picture (a pixel in from its edges, where filtering blends) the window is
    // black.
    size_t barPixels = 0, blackBarPixels = 0;
    for (int y = 0; y < shown.height; ++y) {
      for (int x = 0; x < shown.width; ++x) {
        const bool inPicture = x >= placement.x - 1 && x < placement.x + placement.width + 1 &&
                               y >= placement.y - 1 && y < placement.y + placement.height + 1;
        if (inPicture) continue;
        ++barPixels;
        blackBarPixels += IsBlack(shown.At(x, y));
      }
    }
    EXPECT_EQ(blackBarPixels, barPixels) << "the bars around the picture are black";

    // Inside it, the back buffer scaled: a grid of its pixels against the window's pixels
    // where they land. A few frames pass between the two pictures, so the menu's moving
    // sparkles, birds and petals may differ; the rest is the same picture.
    size_t samples = 0, same = 0;
    for (int by = 3; by < back.height - 3; by += 7) {
      for (int bx = 3; bx < back.width - 3; bx += 7) {
        const int wx = static_cast<int>(placement.x + (bx + 0.5) * placement.scale);
        const int wy = static_cast<int>(placement.y + (by + 0.5) * placement.scale);
        ++samples;
        same += Near(shown.At(wx, wy), back.At(bx, by) & 0xFFFFFF, 40);
      }
    }
    EXPECT_GT(same, samples * 9 / 10) << same << " of " << samples << " points show the back buffer";
    // Next to each edge of the play area the window shows picture: none of it is cut off.
    for (const Fraction& edge : {Fraction{0.01, 0.5}, Fraction{0.99, 0.5}, Fraction{0.5, 0.01}, Fraction{0.5, 0.99}}) {
      int x = 0, y = 0;
      placement.PlayToClient(edge, &x, &y);
      EXPECT_FALSE(IsBlack(shown.At(x, y))) << "picture at " << x << ", " << y;
    }
  }

  // The screenshots the game wrote into its working folder so far.
  static std::vector<std::string> Screenshots(const GameProcess& game) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(game.Work())) {
      if (entry.path().extension() == ".bmp") names.push_back(entry.path().string());
    }
    return names;
  }

  std::unique_ptr<testenv::XvfbServer> server_;
  std::unique_ptr<XTestClient> client_;
  unsigned long window_ = 0;
};

// What the server refuses (a window that is gone or was never made, as the program's
// windows come and go under the test) fails that request alone; the test goes on.
TEST_F(XDisplayTest, RequestsTheServerRefusesFailOnTheirOwn) {
  constexpr unsigned long kNoWindow = 0x3FFFFFF;
  ScreenRect rect{1, 2, 3, 4};
  EXPECT_FALSE(client_->Geometry(kNoWindow, &rect));
  EXPECT_EQ(rect.width, 3) << "left as it was";
  EXPECT_FALSE(client_->Focus(kNoWindow));
  EXPECT_FALSE(client_->Place(kNoWindow, ScreenRect{0, 0, 10, 10}));
  EXPECT_EQ(client_->FindWindow("Pellavo"), 0u);
  // The connection still serves.
  EXPECT_EQ(client_->Capture(ScreenRect{0, 0, 4, 4}).pixels.size(), 16u);
}

TEST_F(XDisplayTest, FullScreenShowsTheWholeMenuAndTakesClicksWhereItIsDrawnWhetherGrantedOrNot) {
  GameProcess game(server_->Display());
  ASSERT_TRUE(game.WaitForLog("Entering game state menu", 1, kStartGuard)) << game.Log();
  for (const Clock::time_point until = Clock::now() + kStepGuard; !window_ && Clock::now() < until;) {
    window_ = client_->FindWindow("Pellavo");
    if (!window_) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_NE(window_, 0u) << "no window named Pellavo";

  // A fresh profile asks for full screen; with no window manager nothing grants it, and
  // the window keeps its size.
  EXPECT_EQ(game.CountInLog("Setting up fullscreen parameters"), 1u);
  ScreenRect rect = WindowRect();
  ASSERT_LT(rect.width, kScreenWidth) << "the display was expected to keep the window's size";
  {
    SCOPED_TRACE("full screen not granted");
    const Placement placement(rect.width, rect.height, true);
    ASSERT_NO_FATAL_FAILURE(ExpectWindowShowsTheBackBuffer(game, placement));
    ClickControl(placement, "ui/menu.ui", "SettingsButton");
    ASSERT_TRUE(game.WaitForLog("Entering game state settings", 1, kStepGuard));
    // The Full screen box, where it is drawn, unticks: the game goes windowed.
    Settle();
    ClickControl(placement, "ui/settings.ui", "FullscreenCheck");
    ASSERT_TRUE(game.WaitForLog("Setting up windowed parameters", 1, kStepGuard));
  }
  {
    SCOPED_TRACE("windowed");
    rect = WindowRect();
    EXPECT_EQ(rect.width, kPlayWidth);
    EXPECT_EQ(rect.height, kPlayHeight);
    const Placement placement(rect.width, rect.height, false);
    Settle();
    ASSERT_NO_FATAL_FAILURE(ExpectWindowShowsTheBackBuffer(game, placement));
    // Ticked again, where it is drawn now: full screen once more, not granted either.
    ClickControl(placement, "ui/settings.ui", "FullscreenCheck");
    ASSERT_TRUE(game.WaitForLog("Setting up fullscreen parameters", 2, kStepGuard));
  }
  {
    SCOPED_TRACE("full screen granted");
    // The window made to cover the screen, as a window manager that grants the request
    // does: the play area is scaled to the screen between bars.
    Settle();
    ASSERT_TRUE(client_->Place(window_, ScreenRect{0, 0, kScreenWidth, kScreenHeight}));
    rect = WindowRect();
    ASSERT_EQ(rect.width, kScreenWidth);
    ASSERT_EQ(rect.height, kScreenHeight);
    WaitForFrames(3);
    const Placement placement(rect.width, rect.height, true);
    ASSERT_NO_FATAL_FAILURE(ExpectWindowShowsTheBackBuffer(game, placement));
    ClickControl(placement, "ui/settings.ui", "BackButton");
    ASSERT_TRUE(game.WaitForLog("Entering game state menu", 2, kStepGuard));
  }

  // Escape quits from any screen.
  Settle();
  ASSERT_NO_FATAL_FAILURE(FocusWindow());
  client_->Key("Escape", true);
  WaitForFrames(2);
  client_->Key("Escape", false);
  EXPECT_EQ(game.WaitForExit(kStepGuard), 0);
  EXPECT_EQ(game.CountInLog("[MSG_FATAL]"), 0u);
}

}  // namespace
