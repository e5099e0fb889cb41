#include "game/shell/KivCreditsState.h"

#include "engine/core/Log.h"
#include "engine/core/Script.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/UIWidget.h"
#include "game/shell/KivUITransition.h"
#include "platform/luaplus/LuaState.h"

KivCreditsState::KivCreditsState(camera::Camera* screenCamera)
    : GameScreen(screenCamera, kPanelFile, kEnterScript, kExitScript, kSceneFile) {
  for (Slot& slot : slots_) {
    slot.timer.duration = kLineTime;
    slot.timer.remaining = kLineTime;
  }
  if (!ReadCredits(kCreditsFile, &lines_)) LOG_LINE(MSG_ERROR) << "Unable to load Credits !";
}

bool KivCreditsState::ReadCredits(const std::string& file, std::vector<Line>* lines) {
  lines->clear();
  LuaState* state = script::CreateLuaState();
  if (!script::LoadScript(state, file)) {
    LuaState::Destroy(state);
    return false;
  }
  const LuaObject table = script::GetGlobal(state, kCreditsTable);
  if (table.IsTable()) {
    const int count = table.GetTableCount();
    const int read = count < kMaxLines ? count : kMaxLines;
    for (int i = 1; i <= read; ++i) {
      std::string text = script::ToString(table.GetByIndex(i), "");
      if (text.size() > kMaxLineLength) text.resize(kMaxLineLength);
      Line line;
      if (!text.empty() && text[0] == '#') {
        line.style = kBig;
        text.erase(0, 1);
      } else if (!text.empty() && text[0] == '*') {
        line.style = kMedium;
        text.erase(0, 1);
      }
      line.text = std::move(text);
      lines->push_back(std::move(line));
    }
  }
  LuaState::Destroy(state);
  return true;
}

const char* KivCreditsState::StyleFont(uint32_t style) {
  switch (style) {
    case kBig:
      return "BigFont";
    case kMedium:
      return "MediumFont";
    default:
      return "SmallFont";
  }
}

bool KivCreditsState::OnEnter() {
  nextLine_ = 0;
  GameScreen::OnEnter();
  ui::UIWidget* panel = GetPanel(0);
  FindSlotWidgets(panel);
  if (!panel) return false;
  for (int i = 0; i < kSlotCount; ++i) {
    Slot& slot = slots_[i];
    slot.timer.duration = kLineTime;
    slot.timer.remaining = kLineTime * static_cast<float>(i) / static_cast<float>(kSlotCount);
    slot.line = -1;
    if (!slot.widget) continue;
    slot.widget->SetPositionRelativeToParent(math::Vec2(slot.widget->GetPosition().x, kBottom));
    FillSlot(slot);
  }
  return true;
}

void KivCreditsState::FindSlotWidgets(ui::UIWidget* panel) {
  slotPanel_.Reset(panel);
  for (int i = 0; i < kSlotCount; ++i) {
    slots_[i].widget.Reset(panel ? panel->GetWidgetByName("Credits" + std::to_string(i)) : nullptr);
  }
}

void KivCreditsState::FollowReloadedPanel() {
  ui::UIWidget* panel = GetPanel(0);
  if (!panel || slotPanel_.Get() == panel) return;
  FindSlotWidgets(panel);
  for (Slot& slot : slots_) {
    if (slot.widget && slot.line >= 0) ShowLine(slot, static_cast<uint32_t>(slot.line));
  }
}

bool KivCreditsState::OnExit() {
  GameScreen::OnExit();
  nextLine_ = 0;
  return true;
}

bool KivCreditsState::Tick(float dt) {
  GameScreen::Tick(dt);
  KivUITransition::Instance().Tick(dt);
  FollowReloadedPanel();
  for (Slot& slot : slots_) {
    if (!slot.widget) continue;
    slot.timer.Update(dt);
    if (slot.timer.remaining < 0.0f) {
      slot.timer.remaining = slot.timer.duration;
      FillSlot(slot);
    }
    const float progress = slot.timer.Progress();
    slot.widget->SetPositionRelativeToParent(
        math::Vec2(slot.widget->GetPosition().x, kBottom + (kTop - kBottom) * progress));
  }
  return true;
}

void KivCreditsState::RenderForeground() { KivUITransition::Instance().Render(); }

void KivCreditsState::FillSlot(Slot& slot) {
  if (!slot.widget || lines_.empty() || nextLine_ >= lines_.size()) return;
  ShowLine(slot, nextLine_);
  if (++nextLine_ >= lines_.size()) nextLine_ = 0;
}

void KivCreditsState::ShowLine(Slot& slot, uint32_t index) {
  if (!slot.widget || index >= lines_.size()) return;
  const Line& line = lines_[index];
  slot.widget->SetText(line.text);
  slot.widget->SetFont(StyleFont(line.style));
  slot.line = static_cast<int32_t>(index);
}
