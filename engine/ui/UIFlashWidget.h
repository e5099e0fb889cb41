#pragma once

#include "engine/ui/UIWidget.h"

namespace flash {
class FlashMovie;
}

namespace ui {

// Plays an SWF movie (flash::FlashMovie) in the widget's rectangle. Only an active,
// visible widget ticks (its movers and children wait meanwhile). Making one starts the UI
// manager's SWF driver. Layout keys: FlashMovie, Looping (false when absent; written as an
// integer).
class UIFlashWidget : public UIWidget {
 public:
  UIFlashWidget(UIWidget* parent, const std::string& name);
  ~UIFlashWidget() override;

  bool Load(const LuaObject& table) override;
  bool Tick(float dt) override;
  bool Render(bool forced) override;
  // A fresh player on the same file, then the children.
  void ResetResources() override;
  UIWidget* GetClone() override;
  bool SaveExtra(WriteLua& writer) override;

  // The same name as the player's restarts the movie (with a warning); another name
  // deletes the player and, when not empty, makes and loads a new one, which is dropped
  // again when its movie does not load. True when the widget then has a movie.
  bool SetFlashClip(const std::string& file);
  void Reset();
  void SetLoop(bool flag);
  bool IsLooping() const;
  void PauseClip(bool flag);
  bool IsPaused() const;

  flash::FlashMovie* player = nullptr;  // owned
};

}  // namespace ui
