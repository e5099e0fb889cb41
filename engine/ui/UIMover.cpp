#include "engine/ui/UIMover.h"

#include <cmath>

#include "engine/core/MemoryManager.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/UIProgress.h"
#include "engine/ui/UIWidget.h"

namespace {
// The turn the sine uses, as the scripts were tuned with it.
constexpr float kTurn = 6.28318f;
constexpr float kUnpackChannel = 1.0f / 255.0f;
}  // namespace

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

// --- UIMove ---

UIMove::UIMove(ui::UIWidget* target, float delay, float runTime, const math::Vec2& from,
               const math::Vec2& to)
    : UIMover(target, delay, runTime, true), start(from), end(to) {
  // A move always has a running phase, however short.
  instant = false;
}

void UIMove::Apply(float) { widget->SetPosition(start + (end - start) * Progress()); }

void UIMove::OnFinish() {
  widget->SetPosition(end);
  UIMover::OnFinish();
}

void UIMove::AddUIPan(ui::UIWidget* widget, float delay, float time, const math::Vec2& target,
                      const std::string& script) {
  if (!widget) return;
  MEMORY_OWNER("UIPan::AddUIPan");
  // From the position SetPosition takes: the screen position would shift a child by its
  // parent's offset on the first frame.
  UIMove* mover = new UIMove(widget, delay, time, widget->GetRelativePosition(), target);
  mover->finishScript = script;
  widget->AddMover(mover);
}

void UIMove::AddUIMove(ui::UIWidget* widget, float delay, float time, const math::Vec4& fromTo,
                       const std::string& script) {
  if (!widget) return;
  MEMORY_OWNER("UIMove::AddUIMove");
  UIMove* mover = new UIMove(widget, delay, time, math::Vec2(fromTo.x, fromTo.y),
                             math::Vec2(fromTo.z, fromTo.w));
  mover->finishScript = script;
  widget->AddMover(mover);
}

// --- UISine ---

UISine::UISine(ui::UIWidget* target, const math::Vec2& middle, const math::Vec2& swing,
               const math::Vec2& cycle, const math::Vec2& offset)
    : UIMover(target, 0.0f, 1.0f, true), centre(middle), amplitude(swing), period(cycle),
      phase(offset) {}

void UISine::Update(float dt) {
  if (!delayTimer.IsDone()) {
    delayTimer.remaining -= dt;
    return;
  }
  // ClearMovers ends the run time from outside; until then the sway goes on.
  if (runTimer.IsDone()) {
    OnFinish();
    return;
  }
  Apply(dt);
}

void UISine::Apply(float dt) {
  elapsed += dt;
  const auto axis = [this](float mid, float swing, float cycle, float shift) {
    // A period of 0 would divide by zero: that axis stays at its centre.
    if (cycle == 0.0f) return mid;
    return std::sin(elapsed / cycle * kTurn + shift) * swing + mid;
  };
  widget->SetPosition(math::Vec2(axis(centre.x, amplitude.x, period.x, phase.x),
                                 axis(centre.y, amplitude.y, period.y, phase.y)));
}

void UISine::OnFinish() {
  widget->SetPosition(centre);
  UIMover::OnFinish();
}

void UISine::AddUISine(ui::UIWidget* widget, const math::Vec3& xWave, const math::Vec3& yWave) {
  if (!widget) return;
  const auto phaseOf = [](const math::Vec3& wave) {
    return wave.y != 0.0f ? wave.z / wave.y * kTurn : 0.0f;
  };
  MEMORY_OWNER("UISine::AddUISine");
  widget->AddMover(new UISine(widget, widget->GetRelativePosition(), math::Vec2(xWave.x, yWave.x),
                              math::Vec2(xWave.y, yWave.y),
                              math::Vec2(phaseOf(xWave), phaseOf(yWave))));
}

// --- UIXFade ---

UIXFade::UIXFade(ui::UIWidget* target, float delay, float runTime, const math::Vec4& from,
                 const math::Vec4& to)
    : UIMover(target, delay, runTime, true), startColour(from), endColour(to) {
  instant = false;
}

void UIXFade::Apply(float) {
  const math::Vec4 c = startColour + (endColour - startColour) * Progress();
  widget->SetColor(c.x, c.y, c.z, c.w);
}

void UIXFade::OnFinish() {
  widget->SetColor(endColour.x, endColour.y, endColour.z, endColour.w);
  UIMover::OnFinish();
}

void UIXFade::AddUIXFade(ui::UIWidget* widget, float delay, float time, const math::Vec2& alphas,
                         const std::string& script) {
  if (!widget) return;
  const uint32_t packed = widget->GetColor();
  const float r = static_cast<float>((packed >> 16) & 0xFF) * kUnpackChannel;
  const float g = static_cast<float>((packed >> 8) & 0xFF) * kUnpackChannel;
  const float b = static_cast<float>(packed & 0xFF) * kUnpackChannel;
  MEMORY_OWNER("UIXFade::AddUIXFade");
  UIXFade* mover = new UIXFade(widget, delay, time, math::Vec4(r, g, b, alphas.x),
                               math::Vec4(r, g, b, alphas.y));
  mover->finishScript = script;
  widget->AddMover(mover);
}

// --- UISetImage ---

UISetImage::UISetImage(ui::UIWidget* target, float delay, const std::string& file)
    : UIMover(target, delay, -1.0f, true), imageFile(file) {}

void UISetImage::OnFinish() {
  widget->SetImage(ui::UIWidget::IS_Off, imageFile);
  UIMover::OnFinish();
}

void UISetImage::AddSetImage(ui::UIWidget* widget, float time, const std::string& file,
                             const std::string& script) {
  if (!widget) return;
  MEMORY_OWNER("UISetImage::AddSetImage");
  UISetImage* mover = new UISetImage(widget, time, file);
  mover->finishScript = script;
  widget->AddMover(mover);
}

// --- UIMoveProgress ---

UIMoveProgress::UIMoveProgress(ui::UIWidget* target, float runTime, float start, float end)
    : UIMover(target, 0.0f, runTime, true), from(start), to(end) {
  instant = false;
}

void UIMoveProgress::Apply(float) {
  static_cast<ui::UIProgress*>(widget)->SetProgress(from + (to - from) * Progress());
}

void UIMoveProgress::OnFinish() {
  static_cast<ui::UIProgress*>(widget)->SetProgress(to);
  UIMover::OnFinish();
}

void UIMoveProgress::AddMoveProg(ui::UIWidget* widget, float time, float from, float to,
                                 const std::string& script) {
  if (!widget || widget->type != ui::UIWidget::WT_Progress) return;
  MEMORY_OWNER("UIMoveProgress::AddMoveProg");
  UIMoveProgress* mover = new UIMoveProgress(widget, time, from, to);
  mover->finishScript = script;
  widget->AddMover(mover);
}
