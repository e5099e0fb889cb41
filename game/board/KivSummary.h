#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/core/Timer.h"
#include "engine/ui/PanelHandle.h"
#include "engine/ui/WidgetHandle.h"

class GameRMS;
class KivWell;
namespace web {
class HighscoreServer;
}

// The summary at the end of a level: it counts the level's results up one after the
// other in the panel "summary" (tokens, coins, raw score, time left, time bonus, final
// score, best score) with a sound while a number runs, keeps the best score of the level
// in the profile, saves the profile, and fills the panel's five online highscore rows
// from the score server's reply (or says that it is offline). Scripts enable and start it;
// the level state ticks it
// and gives it the board of the level. Should the panel be rebuilt from its file
// meanwhile, the summary finds its widgets in the new one and shows there what it had
// shown: the values counted so far, the title, the player, the rows, the note, the button.
class KivSummary {
 public:
  static constexpr int32_t kValueCount = 7;
  static constexpr int32_t kRowCount = 5;
  static constexpr int32_t kStepDelay = -1;
  static constexpr int32_t kStepDone = 7;
  static constexpr float kInitialDelay = 1.0f;
  static constexpr float kPause = 0.5f;
  static constexpr float kCountRate = 250.0f;
  static constexpr float kCountFactor = 3.0f;
  static constexpr uint32_t kGreyedColour = 0xFF7F7F7F;
  static constexpr const char* kSound = "score_countup";
  static constexpr const char* kPanel = "summary";
  // The note in the online half: empty, or kOfflineText when the score server could not be
  // reached (the rows then stay empty).
  static constexpr const char* kOnlineNote = "summary_online";
  static constexpr const char* kOfflineText = "SUMMARY_OFFLINE";
  // The value widgets, in counting order.
  static constexpr const char* kValueWidgets[kValueCount] = {
      "tokens_collected_val", "coins_collected_val", "raw_score_val", "time_left",
      "time_bonus_val",       "final_score_val",     "best_score_val"};
  enum Value : int32_t { kTokens = 0, kCoins, kRawScore, kTimeLeft, kTimeBonus, kFinalScore, kBestScore };

  struct HighscoreEntry {
    std::string name;
    std::string hometown;
    int32_t score = 0;
  };

  // The process-wide object, built on first use; Shutdown ends it (the ordered exit).
  static KivSummary& Instance();
  static KivSummary* Existing();
  static void Shutdown();

  KivSummary();
  ~KivSummary();
  KivSummary(const KivSummary&) = delete;
  KivSummary& operator=(const KivSummary&) = delete;

  // --- The script class "KivSummary" ---
  void Enable(bool on) { enabled_ = on; }
  // Takes the level's results from the board, stores the best score and saves the
  // profile, and sends the score (frames keep running until the server has answered).
  void Start(bool victory);
  bool IsComplete() const { return complete_; }
  // Every value still to come shows at once, one per tick.
  void ForceComplete() { forced_ = true; }
  // Gives up a score request under way; its reply then fills nothing.
  void Cleanup();

  void Tick(float dt);
  void SetBoard(KivWell* board) { board_ = board; }
  KivWell* GetBoard() const { return board_; }
  // The score client (the game's own unless a test gives another).
  void SetServer(web::HighscoreServer* server) { server_ = server; }

  bool IsEnabled() const { return enabled_; }
  bool IsWaiting() const { return waiting_; }
  int32_t GetStep() const { return step_; }
  int32_t GetValue(int32_t index) const { return values_[static_cast<size_t>(index)]; }
  const std::array<HighscoreEntry, kRowCount>& GetEntries() const { return entries_; }

 private:
  // The profile store the summary reads and writes: the game variables' own.
  static GameRMS* Profiles();
  void FindWidgets();
  // The panel was rebuilt (or came) since the last look: its widgets are found again and
  // everything the summary shows is put back.
  void FollowPanel();
  void ShowValue(int32_t index, int32_t value);
  // Each value as far as it was counted: the values before the current step in full, the
  // current one as far as the count-up got, the rest 0.
  void ShowValues();
  // The level's country and city, and the player's name.
  void ShowHeading();
  // The online rows of the entries with a score, and the note.
  void ShowOnline();
  // Greyed and disabled until the summary is complete.
  void ShowButton();
  void ResetCountUp(int32_t index);
  void SubmitScore(bool victory, int32_t slot);
  void Finish();
  void StopSound();

  ui::PanelHandle panel_{kPanel};
  std::array<ui::WidgetHandle, kValueCount> valueWidgets_;
  ui::WidgetHandle title_;
  ui::WidgetHandle player_;
  std::array<std::array<ui::WidgetHandle, 3>, kRowCount> rows_;
  ui::WidgetHandle button_;
  ui::WidgetHandle onlineNote_;
  KivWell* board_ = nullptr;
  int32_t step_ = kStepDone;
  std::array<int32_t, kValueCount> values_{};
  ProportionalMover countUp_;
  CountdownTimer pause_;
  CountdownTimer initialDelay_;
  uint32_t soundChannel_ = 0;
  bool victory_ = false;
  std::array<HighscoreEntry, kRowCount> entries_;
  bool enabled_ = false;
  bool forced_ = false;
  bool waiting_ = false;
  bool complete_ = false;
  // The score server could not be reached: the note says so.
  bool offline_ = false;
  // Start runs frames while the server answers: a second Start meanwhile is refused.
  bool starting_ = false;
  web::HighscoreServer* server_ = nullptr;
};

// The global function "GetSummary" of the scripts.
KivSummary* GetSummary();
