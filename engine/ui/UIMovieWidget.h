#pragma once

#include "engine/ui/UIWidget.h"

class AviImage;

namespace ui {

// Shows an AVI movie (opened from the disk by name through the renderer) over the
// widget's rectangle, advanced by the movie's own clock; the widget's images and text are
// not drawn. Layout keys: Clip, Looping (true when absent).
class UIMovieWidget : public UIWidget {
 public:
  UIMovieWidget(UIWidget* parent, const std::string& name);
  // The movie goes back to the renderer.
  ~UIMovieWidget() override;

  bool Load(const LuaObject& table) override;
  bool Tick(float dt) override;
  bool Render(bool forced) override;
  // A clone is the kind with the base widget's state and no movie.
  UIWidget* GetClone() override;
  bool SaveExtra(WriteLua& writer) override;

  // The same name as the playing movie's rewinds it (with a warning); another name
  // releases the movie and, when not empty, opens the new one.
  void SetClip(const std::string& file);
  void Reset();
  void SetLoop(bool flag);
  bool IsLooping() const;
  void PauseClip(bool flag);
  bool IsPaused() const;

  AviImage* movie = nullptr;  // the renderer's

 private:
  void ReleaseMovie();
};

}  // namespace ui
