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
  ui::UIManager* manager = ui::UIManager::Existing();
  panel = manager ? manager->GetPanel("in_game") : nullptr;
  if (!panel) return;
  panel->SetIsVisible(true);
  levelWidget = panel->GetWidgetByName("Level_Widget");
  scoreBox = panel->GetWidgetByName("score_box");
  setBox = panel->GetWidgetByName("set_box");
  coinsBox = panel->GetWidgetByName("coins_box");
  puzzleReset = panel->GetWidgetByName("PuzzleReset");
  zenPower = panel->GetProgressByName("zen_power");
  char name[32];
  for (int32_t i = 0; i < kSpellBars; ++i) {
    std::snprintf(name, sizeof name, "specials_%03i", i + 1);
    spellBars[static_cast<size_t>(i)] = panel->GetProgressByName(name);
  }
  if (setBox) setBox->SetText("");
  introDialog.Reset(manager->GetPanel("intro_dlg"));
}

void KivGameHud::Update(float dt) {
  const int32_t maxZen = KivVars::Instance().GetConstant("max_zen");
  zenShown = std::clamp(zenShown, 0, std::max(maxZen, 0));

  const float target = static_cast<float>(score);
  const float distance = std::fabs(shownScore - target);
  const float speed = distance * 1.0f > kCountRate ? distance : kCountRate;
  const float step = speed * dt;
  if (step >= distance) {
    shownScore = target;
  } else {
    shownScore += shownScore < target ? step : -step;
  }

  if (!panel) return;
  if (zenPower) zenPower->SetProgress(ZenBarValue(zenShown, maxZen));
  if (scoreBox) scoreBox->SetText(IntToGroupedString(static_cast<long long>(shownScore), ',', 3));
  if (setBox) setBox->SetText("");
  if (coinsBox) coinsBox->SetText(IntToGroupedString(gold, ',', 3));
}

void KivGameHud::Render() {
  if (!setBox) return;
  const float scale = ChainScale(chainLength);
  const math::Vec2 extent = digits.GetExtent(chainValue, scale, false);
  digits.Render(chainValue, CentreOf(setBox) - extent * 0.5f, scale, false);
}

void KivGameHud::Reset() {
  if (scoreBox) scoreBox->SetText("0");
  if (setBox) setBox->SetText("");
  if (coinsBox) coinsBox->SetText("0");
}

math::Vec2 KivGameHud::ZenCentre() const { return CentreOf(zenPower); }

math::Vec2 KivGameHud::SpellCentre(int32_t i) const {
  if (i < 0 || i >= kSpellBars) return math::Vec2(0.0f, 0.0f);
  return CentreOf(spellBars[static_cast<size_t>(i)]);
}
