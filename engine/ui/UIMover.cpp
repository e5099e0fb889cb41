#include "engine/ui/UIMover.h"

#include "engine/ui/UIManager.h"

UIMover::UIMover(ui::UIWidget* target, float delay, float runTime, bool remove)
    : widget(target), autoRemove(remove), instant(runTime <= 0.0f) {
  runTimer.duration = runTimer.remaining = runTime;
  delayTimer.duration = delayTimer.remaining = delay;
}

void UIMover::Update(float dt) {
  if (!delayTimer.IsDone()) {
    delayTimer.remaining -= dt;
    return;
  }
  if (instant) {
    OnFinish();
    return;
  }
  done = runTimer.IsDone() && delayTimer.IsDone();
  Apply(dt);
  runTimer.remaining -= dt;
  if (runTimer.IsDone() && !skipFinish) OnFinish();
}

void UIMover::OnFinish() {
  if (autoRemove) done = true;
  if (!skipFinish && !finishScript.empty()) ui::GetUIMan().ExecuteScript(finishScript);
}
