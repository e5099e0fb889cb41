#include "tests/e2e/PlaythroughSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "engine/app/GameApp.h"
#include "engine/app/GameFlowManager.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/UIWidget.h"

namespace playtest {

namespace {

constexpr float kPlayWidth = 800.0f;
constexpr float kPlayHeight = 600.0f;

ui::UIWidget* FindBelow(ui::UIWidget* root, const std::string& name) {
  for (ui::UIWidget* child : root->GetChildren()) {
    if (!child) continue;
    if (child->GetName() == name) return child;
    if (ui::UIWidget* found = FindBelow(child, name)) return found;
  }
  return nullptr;
}

HWND GameWindow() {
  GameApp* app = dynamic_cast<GameApp*>(GetApplication());
  return app ? app->window : nullptr;
}

}  // namespace

// --- Turns ---

void Driver::OnFrame() {
  std::unique_lock<std::mutex> lock(mutex_);
  ++frames_;
  if (finished_) return;
  driverTurn_ = true;
  turn_.notify_all();
  turn_.wait(lock, [this] { return !driverTurn_ || finished_; });
}

void Driver::OnGameEnded() {
  std::lock_guard<std::mutex> lock(mutex_);
  gameEnded_ = true;
  driverTurn_ = true;
  turn_.notify_all();
}

bool Driver::Finished() {
  std::lock_guard<std::mutex> lock(mutex_);
  return finished_;
}

uint32_t Driver::FrameMilliseconds() {
  std::lock_guard<std::mutex> lock(mutex_);
  return frameMilliseconds_;
}

bool Driver::Start() {
  std::unique_lock<std::mutex> lock(mutex_);
  turn_.wait(lock, [this] { return driverTurn_; });
  return !gameEnded_;
}

bool Driver::Frames(int count) {
  std::unique_lock<std::mutex> lock(mutex_);
  for (int i = 0; i < count; ++i) {
    if (gameEnded_ || finished_) return false;
    driverTurn_ = false;
    turn_.notify_all();
    turn_.wait(lock, [this] { return driverTurn_; });
  }
  return !gameEnded_;
}

bool Driver::Until(const std::function<bool()>& condition, int limit) {
  for (int i = 0; i < limit; ++i) {
    if (condition()) return true;
    if (!Frames(1)) return false;
  }
  return condition();
}

void Driver::Finish() {
  std::lock_guard<std::mutex> lock(mutex_);
  finished_ = true;
  driverTurn_ = false;
  turn_.notify_all();
}

void Driver::SetFrameMilliseconds(uint32_t milliseconds) {
  std::lock_guard<std::mutex> lock(mutex_);
  frameMilliseconds_ = milliseconds;
}

int64_t Driver::FrameCount() {
  std::lock_guard<std::mutex> lock(mutex_);
  return frames_;
}

// --- Input ---

bool Driver::PointerTo(float x, float y) {
  // The window reports where the pointer is; the mouse device reads that position on a
  // frame in which it also saw motion.
  // The play area is drawn 4:3 in the middle of the window's client area, whatever its
  // size: the point is given in the window's pixels as the system would.
  const HWND window = GameWindow();
  RECT client{0, 0, 0, 0};
  GetClientRect(window, &client);
  const float height = static_cast<float>(client.bottom - client.top);
  const float width = static_cast<float>(client.right - client.left);
  const float areaWidth = height * 4.0f / 3.0f;
  const float left = (width - areaWidth) / 2.0f;
  source_.CursorAt(window, static_cast<int>(std::lround(left + x / kPlayWidth * areaWidth)),
                   static_cast<int>(std::lround(y / kPlayHeight * height)));
  source_.Motion(1, 0);
  return Frames(1);
}

bool Driver::Press(bool down) {
  source_.Button(0, down);
  return Frames(1);
}

bool Driver::ClickAt(float x, float y) { return PointerTo(x, y) && Press(true) && Press(false); }

bool Driver::Key(uint8_t scanCode) {
  source_.Key(scanCode, true);
  if (!Frames(1)) return false;
  source_.Key(scanCode, false);
  return Frames(1);
}

bool Driver::Click(const std::string& panel, const std::string& widget) {
  ui::UIWidget* target = Find(panel, widget);
  if (!target || !Shown(target)) {
    ADD_FAILURE() << "no " << widget << " shown in " << panel << " (state " << CurrentState() << ")";
    return false;
  }
  float x = 0.0f;
  float y = 0.0f;
  CentreOf(target, x, y);
  return ClickAt(x, y);
}

// --- Looking ---

ui::UIWidget* Driver::Find(const std::string& panel, const std::string& widget) {
  ui::UIManager* manager = ui::UIManager::Existing();
  ui::UIWidget* root = manager ? manager->GetPanel(panel) : nullptr;
  if (!root) return nullptr;
  if (root->GetName() == widget) return root;
  return FindBelow(root, widget);
}

bool Driver::Shown(const ui::UIWidget* widget) {
  if (!widget) return false;
  for (const ui::UIWidget* at = widget; at; at = at->GetParent()) {
    if (!at->GetIsVisible()) return false;
  }
  return true;
}

bool Driver::Shown(const std::string& panel, const std::string& widget) { return Shown(Find(panel, widget)); }

std::string Driver::TextOf(const std::string& panel, const std::string& widget) {
  ui::UIWidget* found = Find(panel, widget);
  return found ? found->GetText() : std::string();
}

void Driver::CentreOf(const ui::UIWidget* widget, float& x, float& y) {
  const math::Vec2 centre = widget->GetPosition() + widget->GetSize() * 0.5f;
  x = centre.x * kPlayWidth;
  y = centre.y * kPlayHeight;
}

std::string Driver::CurrentState() { return gameflow::GameFlowManager::Instance().GetCurrentStateName(); }

bool Driver::Settled(const std::string& state) {
  gameflow::GameFlowManager& flow = gameflow::GameFlowManager::Instance();
  return flow.GetCurrentStateName() == state && !flow.transitions.IsRunning() && flow.pendingState == nullptr;
}

// --- The score server ---

const std::vector<ScoreBoard::Entry>& ScoreBoard::Rivals() {
  static const std::vector<Entry> rivals = {
      {"Oriel", "Vasko", 0, 900},
      {"Tamsin", "Lumera", 0, 400},
      {"Ebbe", "Korvala", 0, 150},
  };
  return rivals;
}

std::string ScoreBoard::Param(const std::string& head, const std::string& name) {
  const size_t start = head.find(' ') + 1;
  const std::string target = head.substr(start, head.find(' ', start) - start);
  const std::string key = name + "=";
  size_t at = target.find('?');
  while (at != std::string::npos) {
    ++at;
    if (target.compare(at, key.size(), key) == 0) {
      const size_t end = target.find('&', at);
      const std::string raw = target.substr(at + key.size(), end == std::string::npos ? std::string::npos
                                                                                      : end - at - key.size());
      std::string value;
      for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '%' && i + 2 < raw.size()) {
          value += static_cast<char>(std::strtol(raw.substr(i + 1, 2).c_str(), nullptr, 16));
          i += 2;
        } else {
          value += raw[i] == '+' ? ' ' : raw[i];
        }
      }
      return value;
    }
    at = target.find('&', at);
  }
  return std::string();
}

LoopbackServer::Reply ScoreBoard::Answer(const std::string& head) {
  const std::string action = Param(head, "Action");
  std::string body;
  std::lock_guard<std::mutex> lock(mutex_);
  if (action == "create_user") {
    body = "4711";
  } else if (action == "add_score") {
    Entry entry;
    entry.name = Param(head, "Name");
    entry.location = Param(head, "Location");
    entry.level = std::atoi(Param(head, "LevelID").c_str());
    entry.score = std::atoi(Param(head, "Score").c_str());
    scores_.push_back(entry);
    std::vector<Entry> list = Rivals();
    for (const Entry& score : scores_) {
      if (score.level == entry.level) list.push_back(score);
    }
    std::stable_sort(list.begin(), list.end(), [](const Entry& a, const Entry& b) { return a.score > b.score; });
    for (size_t i = 0; i < list.size() && i < 5; ++i) {
      body += (i ? "@" : "") + list[i].name + "@" + list[i].location + "@" + std::to_string(list[i].score);
    }
  } else if (action == "get_total_score") {
    std::map<std::string, Entry> totals;
    for (const Entry& rival : Rivals()) totals[rival.name] = Entry{rival.name, rival.location, 0, rival.score * 10};
    for (const Entry& score : scores_) {
      Entry& total = totals[score.name];
      total.name = score.name;
      total.location = score.location;
      total.score += score.score;
    }
    std::vector<Entry> list;
    for (const auto& [name, total] : totals) list.push_back(total);
    std::stable_sort(list.begin(), list.end(), [](const Entry& a, const Entry& b) { return a.score > b.score; });
    for (size_t i = 0; i < list.size() && i < 10; ++i) {
      body += (i ? "@" : "") + std::to_string(i + 1) + "@" + list[i].name + "@" + list[i].location + "@" +
              std::to_string(list[i].score);
    }
  }
  return LoopbackServer::Reply{"HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n" + body};
}

std::vector<ScoreBoard::Entry> ScoreBoard::Scores() {
  std::lock_guard<std::mutex> lock(mutex_);
  return scores_;
}

void ScoreBoard::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  scores_.clear();
}

}  // namespace playtest
