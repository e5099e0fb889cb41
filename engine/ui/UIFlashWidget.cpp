#include "engine/ui/UIFlashWidget.h"

#include "engine/core/Log.h"
#include "engine/core/MemoryManager.h"
#include "engine/core/Script.h"
#include "engine/core/WriteLua.h"
#include "engine/swf/FlashMovie.h"
#include "engine/ui/UIManager.h"

namespace ui {

UIFlashWidget::UIFlashWidget(UIWidget* parent, const std::string& widgetName)
    : UIWidget(parent, widgetName) {
  type = WT_Flash;
  manager->InitFlash();
}

UIFlashWidget::~UIFlashWidget() { delete player; }

bool UIFlashWidget::Load(const LuaObject& table) {
  if (!UIWidget::Load(table)) return false;
  const std::string clip = script::GetString(table, "FlashMovie", "");
  const bool looping = script::GetBool(table, "Looping", false);
  SetFlashClip(clip);
  SetLoop(looping);
  return true;
}

bool UIFlashWidget::SetFlashClip(const std::string& file) {
  if (player && player->fileName == file) {
    LOG_LINE(MSG_WARNING) << "Trying to re-set the file. Reset instead?";
    player->Reset();
    return true;
  }
  delete player;
  player = nullptr;
  if (file.empty()) return false;
  MEMORY_OWNER("UIFlashWidget::SetFlashClip");
  player = new flash::FlashMovie;
  if (player->Load(file)) return true;
  // A player without a movie would only draw nothing: the widget keeps none, and says so.
  delete player;
  player = nullptr;
  return false;
}

void UIFlashWidget::Reset() {
  if (player) player->Reset();
}

void UIFlashWidget::SetLoop(bool flag) {
  if (player) player->looping = flag;
}

bool UIFlashWidget::IsLooping() const { return player && player->looping; }

void UIFlashWidget::PauseClip(bool flag) {
  if (player) player->paused = flag;
}

bool UIFlashWidget::IsPaused() const { return player && player->paused; }

bool UIFlashWidget::Tick(float dt) {
  if (!IsActiveAndVisible()) return false;
  UIWidget::Tick(dt);
  if (player) player->Advance(dt);
  return true;
}

bool UIFlashWidget::Render(bool forced) {
  if (SkipsDraw(forced)) return false;
  if (player) player->Display(position, size);
  for (size_t i = 0; i < children.size(); ++i) children[i]->Render(false);
  return true;
}

void UIFlashWidget::ResetResources() {
  if (player) {
    const std::string file = player->fileName;
    const bool looping = player->looping;
    const bool paused = player->paused;
    delete player;
    player = nullptr;
    SetFlashClip(file);
    SetLoop(looping);
    PauseClip(paused);
  }
  UIWidget::ResetResources();
}

UIWidget* UIFlashWidget::GetClone() {
  const std::string cloneName = NextCloneName();
  MEMORY_OWNER("UIFlashWidget::GetClone");
  UIFlashWidget* clone = new UIFlashWidget(parent, cloneName);
  CopyInto(clone);
  return clone;
}

bool UIFlashWidget::SaveExtra(WriteLua& writer) {
  if (!player) return true;
  writer.WriteString("FlashMovie", player->fileName);
  // An integer, which the boolean reader takes back (it ignores the texts "1" and "0").
  writer.WriteInt("Looping", player->looping ? 1 : 0);
  return true;
}

}  // namespace ui
