#include "engine/ui/UIMovieWidget.h"

#include "engine/core/Log.h"
#include "engine/core/MemoryManager.h"
#include "engine/core/Script.h"
#include "engine/core/WriteLua.h"
#include "engine/graphics/AviImage.h"
#include "engine/graphics/Graphics.h"

namespace ui {

UIMovieWidget::UIMovieWidget(UIWidget* parent, const std::string& widgetName)
    : UIWidget(parent, widgetName) {
  type = WT_Movie;
}

UIMovieWidget::~UIMovieWidget() { ReleaseMovie(); }

void UIMovieWidget::ReleaseMovie() {
  if (!movie) return;
  if (Graphics* graphics = GetGraphics()) graphics->DestroyMovie(movie);
  movie = nullptr;
}

bool UIMovieWidget::Load(const LuaObject& table) {
  if (!UIWidget::Load(table)) return false;
  const std::string clip = script::GetString(table, "Clip", "");
  const bool looping = script::GetBool(table, "Looping", true);
  SetClip(clip);
  SetLoop(looping);
  return true;
}

void UIMovieWidget::SetClip(const std::string& file) {
  if (movie && movie->name == file) {
    LOG_LINE(MSG_WARNING) << "Trying to re-set the file. Reset instead?";
    Reset();
    return;
  }
  ReleaseMovie();
  if (file.empty()) return;
  if (Graphics* graphics = GetGraphics()) movie = graphics->LoadMovie(file);
}

void UIMovieWidget::Reset() {
  if (movie) movie->currentFrame = 0;
}

void UIMovieWidget::SetLoop(bool flag) {
  if (movie) movie->looping = flag;
}

bool UIMovieWidget::IsLooping() const { return movie && movie->looping; }

void UIMovieWidget::PauseClip(bool flag) {
  if (movie) movie->paused = flag;
}

bool UIMovieWidget::IsPaused() const { return movie && movie->paused; }

bool UIMovieWidget::Tick(float dt) {
  UIWidget::Tick(dt);
  if (movie) movie->Update();
  return true;
}

bool UIMovieWidget::Render(bool forced) {
  if (SkipsDraw(forced)) return false;
  Graphics* graphics = GetGraphics();
  if (movie && graphics) {
    ScreenVertex quad[UISprite::kQuadVertices];
    BuildScreenQuad(position, size, uv1, uv2, color, quad);
    movie->BindTexture(0);
    graphics->DrawArray(quad, UISprite::kQuadVertices, PT_Triangles);
  }
  for (size_t i = 0; i < children.size(); ++i) children[i]->Render(false);
  return true;
}

UIWidget* UIMovieWidget::GetClone() {
  const std::string cloneName = NextCloneName();
  MEMORY_OWNER("UIMovieWidget::GetClone");
  UIMovieWidget* clone = new UIMovieWidget(parent, cloneName);
  CopyInto(clone);
  return clone;
}

bool UIMovieWidget::SaveExtra(WriteLua& writer) {
  if (!movie) return true;
  writer.WriteString("Clip", movie->name);
  writer.WriteInt("Looping", movie->looping ? 1 : 0);
  return true;
}

}  // namespace ui
