#include "engine/ui/UIManager.h"

#include <algorithm>
#include <strings.h>

#include "engine/app/Keyboard.h"
#include "engine/app/Mouse.h"
#include "engine/core/Console.h"
#include "engine/core/Log.h"
#include "engine/core/MemoryManager.h"
#include "engine/core/Script.h"
#include "engine/core/StringUtil.h"
#include "engine/core/WriteLua.h"
#include "engine/graphics/FontManager.h"
#include "engine/swf/FlashDriver.h"
#include "engine/ui/UICalendar.h"
#include "engine/ui/UICheckBox.h"
#include "engine/ui/UIDropDown.h"
#include "engine/ui/UIFlashWidget.h"
#include "engine/ui/UIGraph.h"
#include "engine/ui/UIMovieWidget.h"
#include "engine/ui/UIMultiLine.h"
#include "engine/ui/UIPart2DWidget.h"
#include "engine/ui/UIPolyLine.h"
#include "engine/ui/UIProgress.h"
#include "engine/ui/UISlider.h"
#include "engine/ui/UISprite.h"
#include "engine/ui/UIText.h"
#include "engine/ui/UIWidget.h"
#include "platform/dinput/DInput.h"

namespace ui {

namespace {

UIManager* g_liveManager = nullptr;

// True when the widget is root or lies below it.
bool InTree(const UIWidget* widget, const UIWidget* root) {
  for (const UIWidget* w = widget; w; w = w->parent) {
    if (w == root) return true;
  }
  return false;
}

template <typename Kind>
UIWidget* Make(UIWidget* parent) {
  return new Kind(parent, "");
}

int ButtonOf(const input::MouseButton* button) { return button ? static_cast<int>(button->id) : 0; }

}  // namespace

// Marks an input, tick or render pass: widgets dropped while one runs are deleted when
// the outermost one ends, so that a widget whose script dropped its own panel can finish
// the call it is in.
class UIManager::PassGuard {
 public:
  explicit PassGuard(UIManager& manager) : manager_(manager) { ++manager_.passDepth_; }
  ~PassGuard() {
    if (--manager_.passDepth_ == 0) manager_.DeleteDiscarded();
  }
  PassGuard(const PassGuard&) = delete;
  PassGuard& operator=(const PassGuard&) = delete;

 private:
  UIManager& manager_;
};

UIManager& GetUIMan() {
  static UIManager manager;
  return manager;
}

UIManager* UIManager::Existing() { return g_liveManager; }

UIManager::UIManager() {
  g_liveManager = this;
  SetImageLanguage(&language);
  RegisterWidgetType("widget", &Make<UIWidget>);
  RegisterWidgetType("progress", &Make<UIProgress>);
  RegisterWidgetType("slider", &Make<UISlider>);
  RegisterWidgetType("verslider", &Make<UIVerSlider>);
  RegisterWidgetType("dropdown", &Make<UIDropDown>);
  RegisterWidgetType("checkbox", &Make<UICheckBox>);
  RegisterWidgetType("flash", &Make<UIFlashWidget>);
  RegisterWidgetType("part2d", &Make<UIPart2DWidget>);
  RegisterWidgetType("multiline", &Make<UIMultiLine>);
  RegisterWidgetType("graph", &Make<UIGraph>);
  RegisterWidgetType("polyline", &Make<UIPolyLine>);
  RegisterWidgetType("movie", &Make<UIMovieWidget>);
  RegisterWidgetType("calendar", &Make<UICalendar>);
}

UIManager::~UIManager() {
  Shutdown();
  DeleteDiscarded();
  g_liveManager = nullptr;
  SetImageLanguage(nullptr);
}

// --- Panels ---

void UIManager::RegisterWidgetType(const std::string& typeName, WidgetMaker maker) {
  if (maker) makers_[ToLowerCase(typeName)] = maker;
}

bool UIManager::IsWidgetTypeKnown(const std::string& typeName) const {
  return makers_.count(ToLowerCase(typeName)) > 0;
}

UIWidget* UIManager::CreateWidget(UIWidget* parent, const LuaObject& table) {
  if (!table.IsTable()) return nullptr;
  const std::string typeName = ToLowerCase(script::GetString(table, "Type", "Widget"));
  // Any other name builds a plain widget, with its children.
  auto maker = makers_.find(typeName);
  MEMORY_OWNER("UIManager::CreateWidget");
  UIWidget* widget = maker != makers_.end() ? maker->second(parent) : new UIWidget(parent, "");
  if (!widget->Load(table)) {
    delete widget;
    return nullptr;
  }
  return widget;
}

UIWidget* UIManager::AddPanel(const std::string& file) {
  if (file.empty()) {
    LOG_LINE(MSG_ERROR) << "Unable to load empty UI file!";
    return nullptr;
  }
  LuaState* state = script::CreateLuaState();
  UIWidget* panel = nullptr;
  LuaObject entry;
  if (script::LoadScript(state, file)) entry = script::GetGlobal(state, "Panel");
  if (!entry.IsTable()) {
    LOG_LINE(MSG_ERROR) << "Unable to load UI panel " << file << "!";
  } else {
    const std::string name = script::GetString(entry, "Name", "");
    panel = GetPanel(name);
    if (!panel) {
      panel = CreateWidget(nullptr, entry);
      if (panel) {
        AttachPanel(panel);
        LOG_LINE(MSG_LOAD) << "UI panel " << name << " loaded from file " << file;
        panel->SetSourceFile(file);
      }
    }
  }
  entry.Reset();
  LuaState::Destroy(state);
  return panel;
}

void UIManager::AttachPanel(UIWidget* panel) {
  if (panel && !IsPanel(panel)) panels_.push_back(panel);
}

bool UIManager::IsPanel(const UIWidget* widget) const {
  return widget && std::find(panels_.begin(), panels_.end(), widget) != panels_.end();
}

void UIManager::RemoveFromList(UIWidget* panel) {
  panels_.erase(std::remove(panels_.begin(), panels_.end(), panel), panels_.end());
}

bool UIManager::DropPanel(UIWidget* panel, bool destroy) {
  if (!IsPanel(panel)) return false;
  RemoveFromList(panel);
  ForgetTree(panel);
  if (destroy) DestroyWidget(panel);
  return true;
}

void UIManager::DropAllPanels() {
  std::vector<UIWidget*> dropped;
  dropped.swap(panels_);
  for (UIWidget* panel : dropped) {
    ForgetTree(panel);
    DestroyWidget(panel);
  }
}

void UIManager::PushPanelToFront(UIWidget* panel) {
  if (!IsPanel(panel)) return;
  RemoveFromList(panel);
  panels_.push_back(panel);
}

void UIManager::PushPanelToBack(UIWidget* panel) {
  if (!IsPanel(panel)) return;
  RemoveFromList(panel);
  panels_.insert(panels_.begin(), panel);
}

UIWidget* UIManager::GetPanel(const std::string& name) const {
  for (UIWidget* panel : panels_) {
    if (strcasecmp(panel->GetName().c_str(), name.c_str()) == 0) return panel;
  }
  return nullptr;
}

UIWidget* UIManager::GetWidget(const std::string& name) const {
  for (UIWidget* panel : panels_) {
    if (UIWidget* found = panel->GetWidgetByName(name)) return found;
  }
  return nullptr;
}

bool UIManager::SavePanel(UIWidget* panel, const std::string& file) {
  if (!panel) return false;
  WriteLua writer;
  if (!writer.Open(file)) return false;
  writer.BeginTable("Panel");
  panel->Save(writer);
  writer.EndTable(false);
  return true;
}

void UIManager::RefreshActive() {
  std::vector<std::pair<UIWidget*, std::string>> visiblePanels;
  for (UIWidget* panel : panels_) {
    // A panel built in code has no file to come back from: it stays as it is rather than
    // being deleted for good.
    const std::string& file = panel->GetSourceFile();
    if (panel->visible && !file.empty() && file != kCodeBuiltSource) {
      visiblePanels.emplace_back(panel, file);
    }
  }
  for (const auto& [panel, file] : visiblePanels) DropPanel(panel, true);
  for (const auto& [panel, file] : visiblePanels) AddPanel(file);
}

void UIManager::RefreshText() {
  const std::vector<UIWidget*> snapshot = panels_;
  for (UIWidget* panel : snapshot) {
    if (IsPanel(panel)) panel->RefreshText();
  }
}

void UIManager::ReloadImages() {
  OfferToPanels([](UIWidget* panel) {
    panel->ReloadImages();
    return false;
  });
}

// --- Device reset and shutdown ---

void UIManager::ResetResources() {
  InitFlash();
  const std::vector<UIWidget*> snapshot = panels_;
  for (UIWidget* panel : snapshot) {
    if (IsPanel(panel)) panel->ResetResources();
  }
}

void UIManager::InitFlash() {
  if (flashDriver_) return;
  MEMORY_OWNER("UIManager::InitFlash");
  flashDriver_ = new flash::FlashDriver;
}

void UIManager::ShutdownFlash() {
  delete flashDriver_;
  flashDriver_ = nullptr;
}

void UIManager::Shutdown() {
  DropAllPanels();
  ShutdownFlash();
}

// --- Ownership ---

void UIManager::DestroyWidget(UIWidget* widget) {
  if (!widget) return;
  ForgetTree(widget);
  if (passDepth_ == 0) {
    delete widget;
    return;
  }
  // Still in use further up the call stack: hidden and inactive, so that the walk that
  // reached it goes no further into its tree, and deleted when the pass ends.
  widget->visible = false;
  widget->active = false;
  discarded_.push_back(widget);
}

void UIManager::DeleteDiscarded() {
  while (!discarded_.empty()) {
    std::vector<UIWidget*> doomed;
    doomed.swap(discarded_);
    for (UIWidget* widget : doomed) delete widget;
  }
}

void UIManager::ForgetTree(const UIWidget* root) {
  if (!root) return;
  if (InTree(focus_, root)) focus_ = nullptr;
  if (InTree(dragTarget_, root)) dragTarget_ = nullptr;
  if (InTree(openDropDown_, root)) openDropDown_ = nullptr;
  if (editText_ && InTree(editText_->owner, root)) editText_ = nullptr;
}

// --- Frame ---

void UIManager::Tick(float dt) {
  PassGuard pass(*this);
  OfferToPanels([dt](UIWidget* panel) {
    panel->Tick(dt);
    return false;
  });
  if (dragTarget_) {
    FontManager::Get().Printf(math::Vec2(0.2f, 0.2f), "%.2f, %.2f", static_cast<double>(dragStart.x),
                              static_cast<double>(dragStart.y));
  }
}

void UIManager::Render() {
  if (!uiShown) return;
  PassGuard pass(*this);
  const std::vector<UIWidget*> snapshot = panels_;
  for (UIWidget* panel : snapshot) {
    if (!IsPanel(panel)) continue;
    panel->Render(false);
    panel->RenderHighlight();
  }
  if (dragTarget_) dragTarget_->Render(true);
  if (cursorShown) {
    // Loaded at the first draw that shows it, when the renderer surely exists; a missing
    // file is tried (and logged) once.
    if (!cursorTried) {
      cursorTried = true;
      cursor.Init(kCursorImage, math::Vec2(0.0f, 0.0f), math::Vec2(1.0f, 1.0f), false);
    }
    cursor.SetTransform(mousePosition + cursorOffset, cursorSize, 0.0f, 1.0f, 0xFFFFFFFF);
    cursor.Render();
  }
}

bool UIManager::IsMouseBlocked(const math::Vec2& point) const {
  if (!uiShown) return false;
  for (auto it = panels_.rbegin(); it != panels_.rend(); ++it) {
    if ((*it)->BlocksMouse(point)) return true;
  }
  return false;
}

bool UIManager::IsMouseOverUI(const math::Vec2& point) const {
  if (!uiShown) return false;
  for (auto it = panels_.rbegin(); it != panels_.rend(); ++it) {
    if ((*it)->IsActiveAndVisible() && (*it)->IsOverImage(point)) return true;
  }
  return false;
}

// --- Focus, editing, dragging ---

void UIManager::SetFocus(UIWidget* widget) {
  if (widget == focus_) return;
  focus_ = widget;
  editText_ = nullptr;
}

void UIManager::SetEditWidget(UIWidget* widget) {
  if (widget && widget->GetCanEdit()) {
    focus_ = widget;
    editText_ = &widget->text;
  } else {
    focus_ = nullptr;
    editText_ = nullptr;
  }
  dragTarget_ = nullptr;
}

void UIManager::ClearEditWidget() {
  focus_ = nullptr;
  dragTarget_ = nullptr;
  editText_ = nullptr;
}

void UIManager::SetDragTarget(UIWidget* widget) {
  if (widget == dragTarget_) return;
  dragTarget_ = widget;
  if (widget) dragStart = widget->GetPosition();
}

// --- Scripts and texts ---

void UIManager::ExecuteScript(const std::string& script) { console::GetConsole().Do(script); }

void UIManager::AddReplaceWord(const std::string& word, const std::string& replacement) {
  UIText::ReplacementTable().emplace_back(ToWide(word), ToWide(replacement));
}

// --- Input ---

template <typename Call>
bool UIManager::OfferToPanels(Call call) {
  const std::vector<UIWidget*> snapshot = panels_;
  for (auto it = snapshot.rbegin(); it != snapshot.rend(); ++it) {
    if (IsPanel(*it) && call(*it)) return true;
  }
  return false;
}

void UIManager::KeyPressed(const input::KeyEvent* event) {
  if (!uiShown || !editText_) return;
  PassGuard pass(*this);
  editText_->OnKey(event);
}

void UIManager::KeyRepeat(const input::KeyEvent* event) { KeyPressed(event); }

void UIManager::KeyReleased(const input::KeyEvent* event) {
  if (!uiShown || !event || !editText_ || !editText_->owner) return;
  int eventId;
  switch (event->code) {
    case DIK_TAB: eventId = UIWidget::EV_TabKey; break;
    case DIK_UP: eventId = UIWidget::EV_UpKey; break;
    case DIK_DOWN: eventId = UIWidget::EV_DownKey; break;
    default: return;
  }
  PassGuard pass(*this);
  editText_->owner->FireEvent(eventId);
}

void UIManager::KeyDown(const input::KeyEvent*) {}

void UIManager::MouseButtonPressed(const input::MouseButton* button, const math::Vec2* position) {
  if (!uiShown || !position) return;
  PassGuard pass(*this);
  const math::Vec2 point = *position;
  const int id = ButtonOf(button);
  if (openDropDown_) {
    if (!openDropDown_->IsInside(point)) {
      if (openDropDown_->IsOpen()) {
        // A press outside an open list only closes it.
        openDropDown_->SetOpen(false);
        openDropDown_ = nullptr;
        return;
      }
    } else {
      openDropDown_->MouseDown(point, id);
      return;
    }
  }
  if (editText_ && editText_->IsInside(point)) {
    editText_->PlaceCaret(point);
    return;
  }
  OfferToPanels([&](UIWidget* panel) { return panel->MouseDown(point, id); });
}

void UIManager::MouseButtonReleased(const input::MouseButton* button, const math::Vec2* position) {
  if (!uiShown || !position) return;
  PassGuard pass(*this);
  const math::Vec2 point = *position;
  const int id = ButtonOf(button);
  if (openDropDown_ && openDropDown_->IsInside(point)) {
    openDropDown_->MouseUp(point, id);
    return;
  }
  OfferToPanels([&](UIWidget* panel) { return panel->MouseUp(point, id); });
}

void UIManager::MouseButtonDown(const input::MouseButton* button, const math::Vec2* position) {
  if (!position) return;
  PassGuard pass(*this);
  const math::Vec2 point = *position;
  const int id = ButtonOf(button);
  if (openDropDown_ && openDropDown_->IsInside(point)) {
    openDropDown_->MouseHeld(point, id);
    return;
  }
  OfferToPanels([&](UIWidget* panel) { return panel->MouseHeld(point, id); });
}

void UIManager::MouseButtonRepeat(const input::MouseButton* button, const math::Vec2* position) {
  if (!uiShown || !position) return;
  PassGuard pass(*this);
  const math::Vec2 point = *position;
  const int id = ButtonOf(button);
  if (openDropDown_ && openDropDown_->IsInside(point)) {
    openDropDown_->MouseRepeat(point, id);
    return;
  }
  OfferToPanels([&](UIWidget* panel) { return panel->MouseRepeat(point, id); });
}

void UIManager::MouseDoubleClick(const input::MouseButton* button, const math::Vec2* position) {
  if (!position) return;
  PassGuard pass(*this);
  const math::Vec2 point = *position;
  const int id = ButtonOf(button);
  if (openDropDown_ && openDropDown_->IsInside(point)) {
    openDropDown_->MouseDoubleClick(point, id);
    return;
  }
  if (editText_ && editText_->IsInside(point)) {
    editText_->SelectAll();
    return;
  }
  OfferToPanels([&](UIWidget* panel) { return panel->MouseDoubleClick(point, id); });
}

void UIManager::MouseWheel(int, const math::Vec2*) {}

void UIManager::MouseHover(const math::Vec2* position) {
  if (!uiShown || !position) return;
  PassGuard pass(*this);
  const math::Vec2 point = *position;
  OfferToPanels([&](UIWidget* panel) {
    panel->MouseHover(point);
    return false;
  });
}

void UIManager::MouseMoved(const math::Vec2* oldPosition, const math::Vec2* newPosition) {
  if (!uiShown || !oldPosition || !newPosition) return;
  PassGuard pass(*this);
  const math::Vec2 from = *oldPosition;
  const math::Vec2 to = *newPosition;
  if (openDropDown_ && openDropDown_->IsInside(to)) {
    openDropDown_->MouseMove(from, to);
    return;
  }
  mousePosition = to;
  // Three passes, front panel first: every widget takes its over/off state, then every
  // "mouse_off" fires, then every "mouse_over". Each pass skips hidden panels and stops
  // after a visible panel that blocks all, which hides the panels behind it.
  const auto eachPanel = [&](auto call) {
    OfferToPanels([&](UIWidget* panel) {
      if (!panel->visible) return false;
      call(panel);
      return panel->blockAll;
    });
  };
  eachPanel([&](UIWidget* panel) { panel->MouseMove(from, to); });
  eachPanel([](UIWidget* panel) { panel->FireOffEvents(); });
  eachPanel([](UIWidget* panel) { panel->FireOverEvents(); });
}

void UIManager::MouseDragged(const math::Vec2* start, const math::Vec2* position) {
  if (!uiShown || !start || !position) return;
  PassGuard pass(*this);
  const math::Vec2 from = *start;
  const math::Vec2 point = *position;
  if (editText_ && editText_->IsInside(from)) {
    editText_->DragSelect(from, point);
    return;
  }
  if (dragTarget_) {
    dragTarget_->MouseDrag(from, point);
    return;
  }
  OfferToPanels([&](UIWidget* panel) { return panel->MouseDrag(from, point); });
}

void UIManager::MouseDragEnd(const math::Vec2* start, const math::Vec2* endPosition) {
  if (!uiShown || !start || !endPosition) return;
  PassGuard pass(*this);
  const math::Vec2 from = *start;
  const math::Vec2 end = *endPosition;
  UIWidget* dragged = dragTarget_;
  OfferToPanels([&](UIWidget* panel) {
    panel->MouseDrop(from, end, dragged);
    return false;
  });
  // A drop handler may have dropped the dragged widget's panel: the target is then gone.
  dragged = dragTarget_;
  if (dragged && !dragged->FireEvent(UIWidget::EV_Drop) && dragTarget_ == dragged) {
    dragged->SetPositionRelativeToParent(dragStart);
  }
  dragTarget_ = nullptr;
}

}  // namespace ui
