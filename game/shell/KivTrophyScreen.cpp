#include "game/shell/KivTrophyScreen.h"

#include <cstdio>

#include "engine/app/GameFlowManager.h"
#include "engine/app/Mouse.h"
#include "engine/core/Console.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/UIWidget.h"
#include "game/shell/KivTrophyData.h"
#include "game/shell/KivUITransition.h"
#include "game/shell/KivVars.h"
#include "game/shell/Music.h"

namespace {

constexpr const char* kDisabled = "disabled";
constexpr const char* kAvailable = "available";
constexpr const char* kSelected = "selected";

bool FlowInTransition() { return gameflow::GameFlowManager::Instance().transitions.IsRunning(); }

// The popup's frame widget and the panel it opens in, looked up by name as scripts do.
bool FindPopupFrame(ui::UIWidget*& panel, ui::UIWidget*& frame) {
  panel = ui::GetUIMan().GetPanel(KivTrophyScreen::kPopupPanel);
  frame = panel ? panel->GetWidgetByName("trophy_bg") : nullptr;
  return panel && frame;
}

}  // namespace

KivTrophyScreen& KivTrophyScreen::Instance() {
  static KivTrophyScreen instance;
  return instance;
}

KivTrophyScreen* GetTrophyScreen() { return &KivTrophyScreen::Instance(); }

std::string KivTrophyScreen::SpriteName(int32_t trophy, const char* state) {
  char name[48];
  std::snprintf(name, sizeof(name), "trophy_%d_%s", static_cast<int>(trophy), state);
  return name;
}

KivTrophyScreen::KivTrophyScreen() {
  LookUpWidgets();
  particles_.Load(kParticlesFile);
  s_live = this;
}

KivTrophyScreen::~KivTrophyScreen() { s_live = nullptr; }

void KivTrophyScreen::LookUpWidgets() {
  ui::UIManager& manager = ui::GetUIMan();
  room_.Reset(manager.GetPanel(kRoomPanel));
  popup_.Reset(manager.GetPanel(kPopupPanel));
  roomFound_ = static_cast<bool>(room_);
  popupFound_ = static_cast<bool>(popup_);
  tooltip_.Reset();
  tooltipName_.Reset();
  tooltipDesc_.Reset();
  for (ui::WidgetHandle& icon : icons_) icon.Reset();
  if (room_) {
    tooltip_.Reset(room_->GetWidgetByName("tooltip"));
    tooltipName_.Reset(room_->GetWidgetByName("tooltip_name"));
    tooltipDesc_.Reset(room_->GetWidgetByName("tooltip_desc"));
    for (int32_t n = 1; n <= kIconCount; ++n) {
      icons_[n - 1].Reset(room_->GetWidgetByName("trophy_" + std::to_string(n)));
    }
  }
  SetTooltip(kRoomTitle, "");
  // A popup panel comes hidden, unless it is the one up now (reloaded while it showed),
  // which shows its trophy again.
  if (popup_ && !popupEnabled_) popup_->SetIsVisible(false);
  if (popup_ && popupEnabled_) ShowPopupTrophy(popupTrophy_);
  // Reveals still waiting point at the icons of this tree.
  for (Reveal& reveal : reveals_) {
    if (!reveal.icon) reveal.icon.Reset(Icon(reveal.trophy));
  }
  // A room reloaded while it shows shows the profile's trophies again.
  if (room_ && enabled_ && !popupEnabled_) RefreshUI();
}

void KivTrophyScreen::RefreshWidgets() {
  // Looked up again when a panel held went (dropped, or reloaded after a language change)
  // or when one missing so far has been loaded since.
  const ui::UIManager* manager = ui::UIManager::Existing();
  if (!manager) return;
  const bool roomChanged = roomFound_ ? !room_ : manager->GetPanel(kRoomPanel) != nullptr;
  const bool popupChanged = popupFound_ ? !popup_ : manager->GetPanel(kPopupPanel) != nullptr;
  if (roomChanged || popupChanged) LookUpWidgets();
}

ui::UIWidget* KivTrophyScreen::Icon(int32_t trophy) {
  if (trophy < 1 || trophy > kIconCount) return nullptr;
  return icons_[trophy - 1].Get();
}

void KivTrophyScreen::SetTooltip(const std::string& name, const std::string& description) {
  if (tooltipName_) tooltipName_->SetText(name);
  if (tooltipDesc_) tooltipDesc_->SetText(description);
}

void KivTrophyScreen::SetAllCmds(const std::string& close, const std::string& idle,
                                 const std::string& popup) {
  closeCommand_ = close;
  idleCommand_ = idle;
  popupCommand_ = popup;
}

void KivTrophyScreen::RunCommand(std::string& command) {
  // Copied and emptied before it runs, so that it runs once even when it comes back here.
  const std::string copy = command;
  command.clear();
  console::GetConsole().Do(copy);
}

bool KivTrophyScreen::IsVisible() {
  RefreshWidgets();
  return room_ && room_->GetIsVisible();
}

bool KivTrophyScreen::IsPopupVisible() {
  RefreshWidgets();
  return popup_ && popup_->GetIsVisible();
}

void KivTrophyScreen::Enable(bool on) {
  RefreshWidgets();
  if (on == enabled_) return;
  enabled_ = on;
  if (on) {
    if (room_) {
      room_->SetIsVisible(true);
      ui::GetUIMan().PushPanelToFront(room_.Get());
    }
    for (part2d::PartGroup* group : particles_.groups) group->ClearParticles();
    return;
  }
  if (closeCommand_.empty()) {
    if (room_) {
      ui::GetUIMan().PushPanelToBack(room_.Get());
      room_->SetIsVisible(false);
    }
  } else {
    // The command leaves the screen (its state's exit disables the room again, then with
    // no command); until then the room stays in use.
    enabled_ = true;
    RunCommand(closeCommand_);
  }
  // Trophies not yet revealed stay undisplayed in the profile: the next visit shows them.
  reveals_.clear();
}

void KivTrophyScreen::ShowOwned(ui::UIWidget* icon, int32_t trophy) {
  icon->SetOffImage(SpriteName(trophy, kAvailable));
  icon->SetOverImage(SpriteName(trophy, kSelected));
  icon->SetClickImage(SpriteName(trophy, kSelected));
  icon->SetIsActive(true);
  ui::UIManager& manager = ui::GetUIMan();
  if (manager.IsPanel(icon)) manager.PushPanelToFront(icon);
}

void KivTrophyScreen::ShowLocked(ui::UIWidget* icon, int32_t trophy) {
  // Every look of the icon is the disabled one: the pointer over a trophy not won (or not
  // yet revealed) does not light it up as won, whatever the icon showed before (another
  // profile's trophies).
  const std::string disabled = SpriteName(trophy, kDisabled);
  icon->SetOffImage(disabled);
  icon->SetOverImage(disabled);
  icon->SetClickImage(disabled);
  icon->SetIsActive(false);
}

void KivTrophyScreen::RefreshUI() {
  RefreshWidgets();
  if (!enabled_ || popupEnabled_) return;
  const KivVars& vars = KivVars::Instance();
  int32_t owned = 0;
  for (int32_t n = 1; n <= kIconCount; ++n) {
    ui::UIWidget* icon = Icon(n);
    if (!icon) continue;
    if (!vars.HasTrophy(n)) {
      ShowLocked(icon, n);
      continue;
    }
    ++owned;
    if (vars.IsTrophyDisplayed(n)) {
      ShowOwned(icon, n);
      continue;
    }
    // A trophy already waiting for its reveal is not queued twice (the room refreshes
    // again when a popup closes).
    bool queued = false;
    for (const Reveal& reveal : reveals_) queued = queued || reveal.trophy == n;
    if (!queued) {
      Reveal& reveal = reveals_.emplace_back();
      reveal.trophy = n;
      reveal.icon.Reset(icon);
      reveal.glow.LoadImage(SpriteName(n, kSelected));
      reveal.elapsed = 0.0f;
    }
    ShowLocked(icon, n);
  }
  const KivTrophyData& data = KivTrophyData::Instance();
  if (owned == data.GetAllTrophyC() - 1) {
    const KivTrophyData::Record* all = data.FindByCondition(KivTrophyData::kSpecialAllTrophies);
    // Announced only: the popup's close script adds it to the profile.
    if (all && !vars.HasTrophy(all->index)) EnablePopup(true, all->index);
  }
}

void KivTrophyScreen::Tick(float dt) {
  RefreshWidgets();
  if (!enabled_ || popupEnabled_ || FlowInTransition()) return;
  if (!reveals_.empty()) {
    Reveal& reveal = reveals_.front();
    reveal.elapsed += dt;
    ui::UIWidget* icon = reveal.icon.Get();
    if (reveal.elapsed <= kRevealTime) {
      if (icon) {
        const math::Vec2 centre(icon->GetPosition().x + icon->GetSize().x / 2.0f,
                                icon->GetPosition().y + icon->GetSize().y / 2.0f);
        particles_.EmitInRect(dt, centre, math::Vec2(0.0f, 0.0f));
      }
    } else {
      if (icon) ShowOwned(icon, reveal.trophy);
      KivVars::Instance().SetTrophyDisplayed(reveal.trophy);
      reveals_.pop_front();
    }
  }
  particles_.Tick(dt);
  if (!tooltip_) return;
  const math::Vec2 mouse = input::g_cursorPosition;
  const KivTrophyData& data = KivTrophyData::Instance();
  for (int32_t n = 1; n <= kIconCount; ++n) {
    ui::UIWidget* icon = Icon(n);
    if (!icon || !icon->IsInside(mouse)) continue;
    if (const KivTrophyData::Record* record = data.FindByIndex(n)) {
      SetTooltip(record->name, record->descriptionText);
      // A trophy not won yet says so before what it takes.
      if (!KivVars::Instance().HasTrophy(n) && tooltipDesc_) {
        tooltipDesc_->SetText(kLockedText);
        tooltipDesc_->AppendText(" ");
        tooltipDesc_->AppendText(record->descriptionText);
      }
      return;
    }
  }
  SetTooltip(kRoomTitle, "");
}

void KivTrophyScreen::Render() {
  RefreshWidgets();
  if (!enabled_ || popupEnabled_ || FlowInTransition()) return;
  if (!reveals_.empty()) {
    Reveal& reveal = reveals_.front();
    if (ui::UIWidget* icon = reveal.icon.Get()) {
      const float scale = kGlowStartScale - (kGlowStartScale - 1.0f) * reveal.elapsed;
      const math::Vec2& position = icon->GetPosition();
      const math::Vec2& size = icon->GetSize();
      const math::Vec2 glowSize(size.x * scale, size.y * scale);
      const math::Vec2 corner(position.x + (size.x - glowSize.x) / 2.0f,
                              position.y + (size.y - glowSize.y) / 2.0f);
      reveal.glow.SetTransform(corner, glowSize, 0.0f, 1.0f, 0xFFFFFFFF);
      reveal.glow.Render();
    }
  }
  particles_.Render(math::Vec2(0.0f, 0.0f));
}

void KivTrophyScreen::EnablePopup(bool show, int32_t index) {
  RefreshWidgets();
  popupEnabled_ = show;
  enabled_ = true;
  ui::UIWidget* panel = nullptr;
  ui::UIWidget* frame = nullptr;
  if (show) {
    if (!popup_) return;
    if (FindPopupFrame(panel, frame)) KivUITransition::Instance().StartPopup(panel, frame, "");
    popupTrophy_ = index;
    // Opening it may have completed another popup, whose script may have dropped panels.
    RefreshWidgets();
    ShowPopupTrophy(index);
    KivMusic::Instance().PlayTrophySting();
    return;
  }
  if (popup_ && FindPopupFrame(panel, frame)) KivUITransition::Instance().StartPopdown(panel, frame);
  if (popupCommand_.empty()) {
    enabled_ = false;
    Enable(true);
    RefreshUI();
  } else {
    RunCommand(popupCommand_);
  }
}

void KivTrophyScreen::ShowPopupTrophy(int32_t trophy) {
  const KivTrophyData::Record* record = KivTrophyData::Instance().FindByIndex(trophy);
  if (!record || !popup_) return;
  if (ui::UIWidget* title = popup_->GetWidgetByName("trophy_title")) title->SetText(record->name);
  if (ui::UIWidget* image = popup_->GetWidgetByName("trophy_img")) image->SetOffImage(SpriteName(trophy, kAvailable));
  if (ui::UIWidget* text = popup_->GetWidgetByName("trophy_desc")) text->SetText(record->descriptionText);
}

void KivTrophyScreen::Shutdown() {
  // The pictures go while the renderer still exists.
  reveals_.clear();
  for (part2d::PartGroup* group : particles_.groups) delete group;
  particles_.groups.clear();
}
