#pragma once

// What the playthrough of the whole game needs around the game itself: a driver that
// takes turns with the game's frames and acts as a player would (pointer moves, clicks
// at widgets' centres, key strokes), and a small score server for the loopback server.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/win32/ScriptedEventSource.h"
#include "platform/win32/WinUser.h"
#include "tests/support/LoopbackServer.h"

namespace ui {
class UIWidget;
}

namespace playtest {

// The player. The game runs on the test's main thread; the driver's script runs on a
// thread of its own, and the two take strict turns: after each frame the game waits
// while the driver looks at the game's objects and pushes input, until the driver asks
// for more frames. So the driver may read the game's objects freely, but it must not
// draw or run scripts itself (the renderer belongs to the game's thread): what it does,
// it does through input, like a person.
class Driver {
 public:
  explicit Driver(plat::ScriptedEventSource& source) : source_(source) {}

  // --- The game's thread ---
  // At the end of each frame: the driver's turn, until it asks for more frames.
  void OnFrame();
  // The game's loop has ended: the driver's waits return false from now on.
  void OnGameEnded();
  // The driver has given up or is through: the game should end.
  bool Finished();
  // Milliseconds the clock moves before each frame, as the driver last set them.
  uint32_t FrameMilliseconds();

  // --- The driver's thread ---
  // Waits for the first turn; false when the game ended before it.
  bool Start();
  // Lets the game run `count` frames; false when it ended meanwhile.
  bool Frames(int count);
  // Runs frames until the condition holds (checked before each frame), at most `limit`.
  bool Until(const std::function<bool()>& condition, int limit);
  // Ends the driver's part; the game is not waited for any more.
  void Finish();
  void SetFrameMilliseconds(uint32_t milliseconds);
  int64_t FrameCount();

  // Input, as a person gives it: the pointer moved to a point of the 800 x 600 play
  // area, the left button pressed and released there, a key struck.
  bool PointerTo(float x, float y);
  bool Press(bool down);
  bool ClickAt(float x, float y);
  bool Key(uint8_t scanCode);
  // Clicks a widget at its centre; false (with a failure) when it is missing or hidden.
  bool Click(const std::string& panel, const std::string& widget);

  // --- Looking at the screens (either thread, on the driver's turn) ---
  // A widget found by name in a panel of the UI manager (the panel itself by its own
  // name); null when either is missing.
  static ui::UIWidget* Find(const std::string& panel, const std::string& widget);
  // The widget and every parent are visible.
  static bool Shown(const ui::UIWidget* widget);
  static bool Shown(const std::string& panel, const std::string& widget);
  static std::string TextOf(const std::string& panel, const std::string& widget);
  // The widget's centre in play-area pixels.
  static void CentreOf(const ui::UIWidget* widget, float& x, float& y);
  static std::string CurrentState();
  // The state is current and no screen transition runs.
  static bool Settled(const std::string& state);

 private:
  plat::ScriptedEventSource& source_;
  std::mutex mutex_;
  std::condition_variable turn_;
  bool driverTurn_ = false;
  bool gameEnded_ = false;
  bool finished_ = false;
  int64_t frames_ = 0;
  uint32_t frameMilliseconds_ = 20;
};

// The score server behind the loopback server: it keeps every score sent and answers as
// the game's score script does. add_score is answered with the level's best five (ours
// among some rivals'), get_total_score with the best totals; create_user with an id.
class ScoreBoard {
 public:
  struct Entry {
    std::string name;
    std::string location;
    int32_t level = 0;
    int32_t score = 0;
  };
  // The rivals every list starts with: names of our own, and their scores.
  static const std::vector<Entry>& Rivals();

  LoopbackServer::Reply Answer(const std::string& head);
  std::vector<Entry> Scores();
  void Clear();

  // A request's parameter from its head's target ("" when it has none).
  static std::string Param(const std::string& head, const std::string& name);

 private:
  std::mutex mutex_;
  std::vector<Entry> scores_;
};

}  // namespace playtest
