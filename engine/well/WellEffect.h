#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/Timer.h"
#include "engine/ui/PanelHandle.h"
#include "engine/ui/WidgetHandle.h"

namespace ui {
class UIWidget;
}

namespace well {

// The base of a board's overlay (the game's end-of-level popups): a panel of its own,
// a clock that starts 0.1 s after construction and then calls OnStage every 0.3 s, and
// numbers that count up to their targets in three seconds after a delay. The board ticks
// and draws its overlay; the owner says when it is done.
//
// The panel and the count-ups' widgets are held through handles: the UI manager may
// rebuild the panel from its file (RefreshActive) while the overlay runs. The overlay then
// takes the new panel of the same name, and each count-up the widget of its name in it.
class WellEffect {
 public:
  static constexpr float kStartDelay = 0.1f;
  static constexpr float kStageInterval = 0.3f;
  static constexpr float kCountUpSeconds = 3.0f;

  struct CountUp {
    float start = 0.0f;
    float target = 0.0f;
    float current = 0.0f;
    float rate = 0.0f;  // per second
    ui::WidgetHandle widget;
    std::string name;  // the widget's, to find it again in a rebuilt panel
    bool asClock = false;
    float delay = 0.0f;  // seconds
  };

  // Loads the panel (when the file name is not empty), brings it to the front and shows
  // it.
  WellEffect(void* context, const std::string& panelFile);
  // Hides the panel.
  virtual ~WellEffect();
  WellEffect(const WellEffect&) = delete;
  WellEffect& operator=(const WellEffect&) = delete;

  virtual void Render() {}
  virtual void Tick(float dt);
  virtual void SetDone() { done_ = true; }
  // Loads, brings to the front and shows a panel, and keeps it.
  virtual ui::UIWidget* LoadPanel(const std::string& file);
  virtual void OnStageTick(int32_t stage, float dt) {}
  virtual void OnStage(int32_t stage) {}
  // AddCountUp for the panel's widget of that name.
  virtual void AddCountUpByName(const std::string& name, float target, float start, bool asClock,
                                float delay);
  // A number that counts from start to target in three seconds, once the delay is over,
  // written into the widget as a grouped number or as minutes and seconds. The widget's
  // text is cleared at once.
  virtual void AddCountUp(ui::UIWidget* widget, float target, float start, bool asClock,
                          float delay);
  // The text of the panel's widget of that name.
  virtual void SetWidgetText(const std::string& name, const std::string& text);

  bool IsDone() const { return done_; }
  // The panel, or the one of its name that the manager holds now; null for none.
  ui::UIWidget* GetPanel();
  int32_t GetStage() const { return stage_; }
  float GetElapsed() const { return elapsed_; }
  void* GetContext() const { return context_; }
  const std::vector<CountUp>& GetCountUps() const { return countUps_; }

 protected:
  // The time between two stages (0.3 s unless the overlay sets its own).
  void SetStageInterval(float seconds) { stageInterval_ = stageTimer_.remaining = seconds; }

 private:
  CountdownTimer startTimer_;
  CountdownTimer stageTimer_;
  bool done_ = false;
  void* context_;
  // Takes the rebuilt panel, if it was, and the count-ups' widgets in it.
  void FollowPanel();

  ui::PanelHandle panel_;  // owned by the UI manager
  float elapsed_ = 0.0f;
  int32_t stage_ = 0;
  float stageInterval_ = kStageInterval;
  std::vector<CountUp> countUps_;
};

}  // namespace well
