#pragma once

#include <string>
#include <utility>

#include "engine/ui/WidgetHandle.h"

namespace ui {

class UIWidget;

// A panel held by its name. The UI manager may delete a panel while others hold it:
// RefreshActive (from a script, or typed into the console) drops every visible panel and
// loads it again from its file, and a script may drop a panel and add it again. The handle
// empties when its panel is deleted; Renew then takes the panel of that name that the
// manager holds now, and says so: the holder looks its widgets up again in the new tree and
// puts back what it had put into the old one.
class PanelHandle {
 public:
  PanelHandle() = default;
  explicit PanelHandle(std::string name) : name_(std::move(name)) {}
  // Holds that panel (null holds none) under its name.
  explicit PanelHandle(UIWidget* panel);

  // Once the panel held has left the manager's list (dropped, or rebuilt and waiting to be
  // deleted at the end of the running pass), or while none is held, takes the manager's
  // panel of the name, if any. True when that is another panel than the one held before
  // (the first one found counts too).
  bool Renew();
  UIWidget* Get() const { return panel_.Get(); }
  UIWidget* operator->() const { return panel_.Get(); }
  explicit operator bool() const { return static_cast<bool>(panel_); }
  const std::string& GetName() const { return name_; }

 private:
  std::string name_;
  WidgetHandle panel_;
};

}  // namespace ui
