#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/core/Timer.h"
#include "engine/ui/PanelHandle.h"
#include "engine/well/WellEffect.h"
#include "engine/well/WellMoveEnd.h"

class KivWell;

// The board's blocks leaving the screen at the end of a level: after a win they fly
// outwards from the screen's centre, after a loss they fall, faster the lower they are.
// A block is deleted once it lies wholly outside the screen.
class FlyingBlocks : public well::WellMoveEnd {
 public:
  explicit FlyingBlocks(bool outwards) : outwards_(outwards) {}

  void Start(Flight& flight) override;
  void Update(Flight& flight, float dt) override;
  // Blocks still on their way.
  int32_t CountFlying() const;

 private:
  bool outwards_;
};

// The end-of-level popup the board shows once a level is won or lost: its panel comes
// up, the blocks leave the screen, the board slides out, trophies are handed out, then
// the scripts show the summary (and after a win outside free play the shop's popup and
// the fashion studio), and once those panels have closed the popup is done.
//
// Steps: 0 a short wait, 1 the board slides out, 2 trophies and the request for the
// summary, 3 the summary, 4 the shop's popup, 5 the fashion studio, 6 done.
class KivEndPopup : public well::WellEffect {
 public:
  static constexpr float kWaitSeconds = 0.5f;
  static constexpr int32_t kStepDone = 6;
  static constexpr const char* kSummaryRequest = "CloseIngameUI('GetGame():StartLevelSummary()')";

  // Takes every block but the walls off the board into the flight.
  KivEndPopup(KivWell* board, const std::string& panelFile, bool victory);
  ~KivEndPopup() override;

  void Render() override;
  void Tick(float dt) override;
  virtual void MarkDone() { SetDone(); }
  virtual bool IsVictory() const = 0;

  // The level state's StartLevelSummary: on to the summary step (never back).
  void StartSummary();
  int32_t GetStep() const { return step_; }
  const FlyingBlocks& GetFlyingBlocks() const { return flying_; }

 protected:
  void EnterStep(int32_t step);
  // Runs a script through the console. Scripts may run frames of their own (the summary
  // waits for the score server), in which this popup does not step, and may end the
  // level: false when the popup was deleted meanwhile.
  bool RunScript(const std::string& script);
  // Steps 3 to 5: runs the script once and looks the panel up; on to the next step once
  // the panel has closed (or is missing, which ends the popup). A panel rebuilt from its
  // file meanwhile is watched in its new form.
  void WatchPanel(const std::string& script, const char* panelName, ui::PanelHandle& panel, int32_t next);
  // The profile slot of the level this popup ends when it was won, else -1.
  int32_t WonSlot() const;

  KivWell* board_;
  CountdownTimer wait_;
  int32_t step_ = 0;
  ui::PanelHandle summaryPanel_;
  ui::PanelHandle buyPanel_;
  ui::PanelHandle studioPanel_;
  bool stepStarted_ = false;
  bool summaryRequested_ = false;
  FlyingBlocks flying_;
  bool runningScript_ = false;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

class KivVictoryPopup : public KivEndPopup {
 public:
  static constexpr const char* kPanelFile = "ui/kiv_victory.ui";
  explicit KivVictoryPopup(KivWell* board) : KivEndPopup(board, kPanelFile, true) {}
  bool IsVictory() const override { return true; }
};

class KivDefeatPopup : public KivEndPopup {
 public:
  static constexpr const char* kPanelFile = "ui/kiv_defeat.ui";
  explicit KivDefeatPopup(KivWell* board) : KivEndPopup(board, kPanelFile, false) {}
  bool IsVictory() const override { return false; }
};
