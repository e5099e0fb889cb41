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
  // A panel that a script has dropped since is gone: its pointer is not followed.
  const ui::UIManager* manager = ui::UIManager::Existing();
  ui::UIWidget* panel = panels.empty() ? nullptr : panels[0];
  if (!panel || !manager || !manager->IsPanel(panel)) {
    for (Slot& slot : slots_) slot.widget = nullptr;
    return false;
  }
  for (int i = 0; i < kSlotCount; ++i) {
    Slot& slot = slots_[i];
    slot.widget = panel->GetWidgetByName("Credits" + std::to_string(i));
    slot.timer.duration = kLineTime;
    slot.timer.remaining = kLineTime * static_cast<float>(i) / static_cast<float>(kSlotCount);
    if (!slot.widget) continue;
    slot.widget->SetPositionRelativeToParent(math::Vec2(slot.widget->GetPosition().x, kBottom));
    FillSlot(slot);
  }
  return true;
}

bool KivCreditsState::OnExit() {
  GameScreen::OnExit();
  nextLine_ = 0;
  return true;
}

bool KivCreditsState::Tick(float dt) {
  GameScreen::Tick(dt);
  KivUITransition::Instance().Tick(dt);
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
  const Line& line = lines_[nextLine_];
  slot.widget->SetText(line.text);
  slot.widget->SetFont(StyleFont(line.style));
  if (++nextLine_ >= lines_.size()) nextLine_ = 0;
}
