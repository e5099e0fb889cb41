#include "engine/ui/PanelHandle.h"

#include "engine/ui/UIManager.h"
#include "engine/ui/UIWidget.h"

namespace ui {

PanelHandle::PanelHandle(UIWidget* panel) : panel_(panel) {
  if (panel) name_ = panel->GetName();
}

bool PanelHandle::Renew() {
  const UIManager* manager = UIManager::Existing();
  if (!manager || name_.empty()) return false;
  if (panel_ && manager->IsPanel(panel_.Get())) return false;
  UIWidget* found = manager->GetPanel(name_);
  if (found == panel_.Get()) return false;
  panel_.Reset(found);
  return found != nullptr;
}

}  // namespace ui
