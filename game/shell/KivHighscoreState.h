#pragma once

#include <cstdint>
#include <string>

#include "game/shell/KivMenuScreen.h"

namespace ui {
class UIWidget;
}

// The state "highscore": a ten-row score table showing either the local list (the
// profiles of this machine) or the global list (fetched from the online score service),
// each for one of three time frames: 0 for ever, 1 this week, 2 today. The panel's
// scripts switch through HighscoreTab, SetLocalHS and SetGlobalHS.
//
// The global request blocks its caller while the application keeps stepping frames, so
// the player may leave the screen, and come back, before it ends. Each request is tagged
// with the visit that asked for it: a reply for an earlier visit, or one that arrives
// after the player left, changes nothing and prompts nothing. While a request waits,
// further tab and list changes are ignored (the "connecting" panel covers the table): the
// client would refuse a second request and report it as a failed connection. A failed
// request prompts and leaves the list, the time frame and the tabs that were shown.
class KivHighscoreState : public KivMenuScreen {
 public:
  static constexpr int kRowCount = 10;
  static constexpr int kMaxProfiles = 7;
  static constexpr const char* kConnectingPanel = "connecting";
  static constexpr const char* kFailScript = "CreatePrompt('CONNECTION_FAIL', '')";

  struct Row {
    std::string name;
    std::string hometown;
    int32_t score = 0;
    int32_t position = 0;  // below 1: an empty row
  };

  KivHighscoreState(camera::Camera* camera, const std::string& panelFile, const std::string& enterScript,
                    const std::string& exitScript, const std::string& backgroundFile);
  ~KivHighscoreState() override = default;

  // The menu screen's entry; the table panel is the screen's first panel; the
  // "connecting" panel is looked up (until found) and hidden; the local list for the
  // remembered time frame.
  bool OnEnter() override;
  // The "connecting" panel is sent back and hidden; the screen is left.
  bool OnExit() override;
  std::string GetTypeName() const override { return "kiv_highscore"; }

  // The time frame becomes frame; the local list is rebuilt, or the global list asked for.
  void HighscoreTab(int32_t frame);
  // The local list.
  void SetLocalHS();
  // The global list of the current time frame, asked for online.
  void SetGlobalHS();

  const Row& GetRow(int index) const { return rows_[index]; }
  int32_t GetTimeFrame() const { return timeFrame_; }
  bool IsGlobal() const { return global_; }
  bool IsRequestWaiting() const { return requestWaiting_; }

 private:
  // What became of a global request: its list shown, a failure prompted, or its reply
  // dropped because the player left.
  enum class Request { kShown, kFailed, kDropped };

  void BuildLocalList();
  Request RunGlobalRequest();
  void FillTable();
  void SetTab(const char* tabName, bool current, const char* highlight, const char* dim);
  void ShowConnecting(bool shown);
  // The screen's panel (found again after a reload), else null.
  ui::UIWidget* TablePanel() const { return GetPanel(0); }

  Row rows_[kRowCount];
  int32_t timeFrame_ = 0;
  bool global_ = false;
  // Looked up by name when empty (at an entry, and again once a reload deleted it).
  ui::WidgetHandle connectingPanel_;
  bool left_ = false;
  // Counts the entries; a request's reply applies only in the visit that asked for it.
  uint32_t visit_ = 0;
  bool requestWaiting_ = false;
};

// The global function "GetHighscore" of the scripts: the current state when it is the
// highscore screen, else null (nil).
KivHighscoreState* GetHighscore();
