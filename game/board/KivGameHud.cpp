#include "game/board/KivGameHud.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/core/StringUtil.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/UIProgress.h"
#include "engine/ui/UIWidget.h"
#include "game/shell/KivVars.h"

namespace {

void SetText(const ui::WidgetHandle& widget, const char* text) {
  if (widget) widget->SetText(text);
}

math::Vec2 CentreOf(const ui::UIWidget* widget) {
  if (!widget) return math::Vec2(0.0f, 0.0f);
  return widget->position + widget->size * 0.5f;
}

}  // namespace

float KivGameHud::ChainScale(int32_t length) {
  return 1.0f + std::min(1.0f, static_cast<float>(length - 3) * 0.05f);
}

float KivGameHud::ZenBarValue(int32_t zen, int32_t maxZen) {
  if (maxZen <= 0) return 1.0f;
  return std::clamp(1.0f - static_cast<float>(zen) / static_cast<float>(maxZen), 0.0f, 1.0f);
}

void KivGameHud::Init() {
  digits.Load(kDigits);
  introDialog.Renew();
  if (!panel.Renew()) return;
  panel->SetIsVisible(true);
  FindWidgets();
  SetText(setBox, "");
}

void KivGameHud::FindWidgets() {
  ui::UIWidget* root = panel.Get();
  auto find = [root](const char* name) { return root ? root->GetWidgetByName(name) : nullptr; };
  levelWidget.Reset(find("Level_Widget"));
  scoreBox.Reset(find("score_box"));
  setBox.Reset(find("set_box"));
  coinsBox.Reset(find("coins_box"));
  puzzleReset.Reset(find("PuzzleReset"));
  zenPower.Reset(root ? root->GetProgressByName("zen_power") : nullptr);
  char name[32];
  for (int32_t i = 0; i < kSpellBars; ++i) {
    std::snprintf(name, sizeof name, "specials_%03i", i + 1);
    spellBars[static_cast<size_t>(i)].Reset(root ? root->GetProgressByName(name) : nullptr);
  }
}

bool KivGameHud::FollowPanel() {
  if (!panel.Renew()) return false;
  FindWidgets();
  ShowValues();
  return true;
}

bool KivGameHud::IntroShown() {
  introDialog.Renew();
  return introDialog && introDialog->GetIsVisible();
}

void KivGameHud::Update(float dt) {
  const float target = static_cast<float>(score);
  const float distance = std::fabs(shownScore - target);
  const float speed = distance * 1.0f > kCountRate ? distance : kCountRate;
  const float step = speed * dt;
  if (step >= distance) {
    shownScore = target;
  } else {
    shownScore += shownScore < target ? step : -step;
  }
  ShowValues();
}

void KivGameHud::ShowValues() {
  const int32_t maxZen = KivVars::Instance().GetConstant("max_zen");
  zenShown = std::clamp(zenShown, 0, std::max(maxZen, 0));
  if (!panel) return;
  if (ui::UIProgress* bar = ZenBar()) bar->SetProgress(ZenBarValue(zenShown, maxZen));
  if (scoreBox) scoreBox->SetText(IntToGroupedString(static_cast<long long>(shownScore), ',', 3));
  SetText(setBox, "");
  if (coinsBox) coinsBox->SetText(IntToGroupedString(gold, ',', 3));
}

void KivGameHud::Render() {
  if (!setBox) return;
  const float scale = ChainScale(chainLength);
  const math::Vec2 extent = digits.GetExtent(chainValue, scale, false);
  digits.Render(chainValue, CentreOf(setBox.Get()) - extent * 0.5f, scale, false);
}

void KivGameHud::Reset() {
  SetText(scoreBox, "0");
  SetText(setBox, "");
  SetText(coinsBox, "0");
}

ui::UIProgress* KivGameHud::ZenBar() const {
  // The handle holds only what GetProgressByName found: a progress widget.
  return static_cast<ui::UIProgress*>(zenPower.Get());
}

ui::UIProgress* KivGameHud::SpellBar(int32_t i) const {
  if (i < 0 || i >= kSpellBars) return nullptr;
  return static_cast<ui::UIProgress*>(spellBars[static_cast<size_t>(i)].Get());
}

math::Vec2 KivGameHud::ZenCentre() const { return CentreOf(ZenBar()); }

math::Vec2 KivGameHud::SpellCentre(int32_t i) const { return CentreOf(SpellBar(i)); }
