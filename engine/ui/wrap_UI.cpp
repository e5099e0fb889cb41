// Lua binding of the user interface: the widget classes ("Widget", "ProgressWidget",
// "SliderWidget", "MultiLineWidget", "Part2DWidget", "GraphWidget"), the mover functions,
// the class "UIManager" and the global "GetUIMan".
//
// luabind files a class under its C++ type; the global name only reaches the class table.
// Several widget kinds share the script name "SliderWidget": each registers its own C++
// class under that name (the name then reaches the last one registered, which scripts
// never use, as no kind has a script constructor). A widget handed to a script is pushed
// as its dynamic type, so it carries the methods of its own kind whatever the static
// type of the call that returned it (GetWidgetByName gives a Widget).

#include <luabind/luabind.hpp>

#include <vector>

#include "engine/core/Log.h"
#include "engine/part2d/Part2D.h"
#include "engine/ui/UICheckBox.h"
#include "engine/ui/UIDropDown.h"
#include "engine/ui/UIFlashWidget.h"
#include "engine/ui/UIGraph.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/UIMovieWidget.h"
#include "engine/ui/UIMover.h"
#include "engine/ui/UIMultiLine.h"
#include "engine/ui/UIPart2DWidget.h"
#include "engine/ui/UIProgress.h"
#include "engine/ui/UISlider.h"
#include "engine/ui/UIWidget.h"
#include "platform/luaplus/LuaState.h"

namespace ui {

namespace {

UIManager* GetUIManForScript() { return &GetUIMan(); }

template <int Id>
void SetEvent(UIWidget* widget, const std::string& script) {
  widget->SetEventHandler(Id, script);
}

math::Vec2 GetPosition(const UIWidget* widget) { return widget->GetPosition(); }
math::Vec2 GetSize(const UIWidget* widget) { return widget->GetSize(); }
void SetPosition(UIWidget* widget, const math::Vec2& relative) { widget->SetPosition(relative); }
void SetPositionRelativeToParent(UIWidget* widget, const math::Vec2& absolute) {
  widget->SetPositionRelativeToParent(absolute);
}
void SetSize(UIWidget* widget, const math::Vec2& size) { widget->SetSize(size); }
void SetText(UIWidget* widget, const std::string& text) { widget->SetText(text); }
void AppendText(UIWidget* widget, const std::string& text) { widget->AppendText(text); }
bool Tick(UIWidget* widget, float dt) { return widget->Tick(dt); }
// A script deletes the child unless it asks to keep it.
bool DeleteChild(UIWidget* widget, UIWidget* child) { return widget->DeleteChild(child, true); }
bool DeleteChildKeep(UIWidget* widget, UIWidget* child, bool destroy) {
  return widget->DeleteChild(child, destroy);
}
// The values of a script's list, in order; entries that are not numbers count as 0.
void SetGraphNodes(UIGraph* graph, const luabind::object& list) {
  if (luabind::type(list) != LUA_TTABLE) return;
  std::vector<float> values;
  for (int i = 1;; ++i) {
    const luabind::object entry = list[i];
    const int kind = luabind::type(entry);
    if (kind == LUA_TNIL) break;
    values.push_back(kind == LUA_TNUMBER ? luabind::object_cast<float>(entry) : 0.0f);
  }
  graph->SetNodes(values);
}
bool SavePanel(UIManager* manager, UIWidget* panel, const std::string& file) {
  return manager->SavePanel(panel, file);
}

void RegisterWidget(lua_State* L) {
  using luabind::class_;
  luabind::module(L)[
    class_<UIWidget>("Widget")
      .def("GetName", &UIWidget::GetName)
      .def("GetType", &UIWidget::GetType)
      .def("SetPosition", &SetPosition)
      .def("GetPosition", &GetPosition)
      .def("SetPositionRelativeToParent", &SetPositionRelativeToParent)
      .def("SetSize", &SetSize)
      .def("GetSize", &GetSize)
      .def("SetColor", &UIWidget::SetColor)
      .def("GetColor", &UIWidget::GetColor)
      .def("SetScale", &UIWidget::SetScale)
      .def("GetScale", &UIWidget::GetScale)
      .def("SetRotation", &UIWidget::SetRotation)
      .def("GetRotation", &UIWidget::GetRotation)
      .def("SetCanDrag", &UIWidget::SetCanDrag)
      .def("GetCanDrag", &UIWidget::GetCanDrag)
      .def("SetIsActive", &UIWidget::SetIsActive)
      .def("GetIsActive", &UIWidget::GetIsActive)
      .def("SetIsVisible", &UIWidget::SetIsVisible)
      .def("GetIsVisible", &UIWidget::GetIsVisible)
      .def("Tick", &Tick)
      .def("SetFont", &UIWidget::SetFont)
      .def("GetFont", &UIWidget::GetFont)
      .def("SetText", &SetText)
      .def("AppendText", &AppendText)
      .def("TrimSpaces", &UIWidget::TrimSpaces)
      .def("GetText", &UIWidget::GetText)
      .def("SetTextColor", &UIWidget::SetTextColor)
      .def("GetTextColor", &UIWidget::GetTextColor)
      .def("SelectAllText", &UIWidget::SelectAllText)
      .def("SetCanEdit", &UIWidget::SetCanEdit)
      .def("GetCanEdit", &UIWidget::GetCanEdit)
      .def("DeleteChild", &DeleteChild)
      .def("DeleteChild", &DeleteChildKeep)
      .def("RenameWidget", &UIWidget::RenameWidget)
      .def("GetParent", &UIWidget::GetParent)
      .def("GetWidgetByName", &UIWidget::GetWidgetByName)
      .def("GetSliderByName", &UIWidget::GetSliderByName)
      .def("GetProgressByName", &UIWidget::GetProgressByName)
      .def("GetMultiLineByName", &UIWidget::GetMultiLineByName)
      .def("GetDropDownByName", &UIWidget::GetDropDownByName)
      .def("GetCheckBoxByName", &UIWidget::GetCheckBoxByName)
      .def("GetFlashWidgetByName", &UIWidget::GetFlashWidgetByName)
      .def("GetPartWidgetByName", &UIWidget::GetPartWidgetByName)
      .def("GetMovieWidgetByName", &UIWidget::GetMovieWidgetByName)
      .def("SetOffImage", &UIWidget::SetOffImage)
      .def("SetOverImage", &UIWidget::SetOverImage)
      .def("SetClickImage", &UIWidget::SetClickImage)
      .def("SetAllImage", &UIWidget::SetAllImage)
      .def("SetGainFocusEvent", &SetEvent<UIWidget::EV_GainFocus>)
      .def("SetLooseFocusEvent", &SetEvent<UIWidget::EV_LooseFocus>)
      .def("SetOnDragEvent", &SetEvent<UIWidget::EV_Drag>)
      .def("SetOnDropEvent", &SetEvent<UIWidget::EV_Drop>)
      .def("SetMouseOverEvent", &SetEvent<UIWidget::EV_MouseOver>)
      .def("SetMouseOffEvent", &SetEvent<UIWidget::EV_MouseOff>)
      .def("SetMouseHooverEvent", &SetEvent<UIWidget::EV_Hoover>)
      .def("SetClickLMBEvent", &SetEvent<UIWidget::EV_ClickLMB>)
      .def("SetDblClickLMBEvent", &SetEvent<UIWidget::EV_DblClickLMB>)
      .def("SetRepeatLMBEvent", &SetEvent<UIWidget::EV_RepeatLMB>)
      .def("SetClickRMBEvent", &SetEvent<UIWidget::EV_ClickRMB>)
      .def("SetDblClickRMBEvent", &SetEvent<UIWidget::EV_DblClickRMB>)
      .def("SetRepeatRMBEvent", &SetEvent<UIWidget::EV_RepeatRMB>)
      .def("SetReleaseLMBEvent", &SetEvent<UIWidget::EV_ReleaseLMB>)
      .def("SetReleaseRMBEvent", &SetEvent<UIWidget::EV_ReleaseRMB>)
      .def("SetClipEndedEvent", &SetEvent<UIWidget::EV_ClipEnded>)
      .def("SetTextEnterEvent", &SetEvent<UIWidget::EV_TextEnter>)
      .def("SetTextSelectedEvent", &SetEvent<UIWidget::EV_Selected>)
      .def("ClearMovers", &UIWidget::ClearMovers)
      .def("DeleteMovers", &UIWidget::DeleteMovers)
      .def("FitToRect", &UIWidget::FitToRect)
      .def("SetOverMode", &UIWidget::SetOverMode)
      .def("GetOverMode", &UIWidget::GetOverMode)
      .def("SetBlockAllEvents", &UIWidget::SetBlockAllEvents)
      .def("HasAnimation", &UIWidget::HasAnimation)
  ];
}

void RegisterProgress(lua_State* L) {
  luabind::module(L)[
    luabind::class_<UIProgress, UIWidget>("ProgressWidget")
      .def("SetProgress", &UIProgress::SetProgress)
      .def("GetProgress", &UIProgress::GetProgress)
      .def("SetEmptyImage", &UIProgress::SetEmptyImage)
      .def("SetFullImage", &UIProgress::SetFullImage)
  ];
}

// The horizontal slider's methods under the shared name (the vertical slider has none).
void RegisterSlider(lua_State* L) {
  luabind::module(L)[
    luabind::class_<UISlider, UIWidget>("SliderWidget")
      .def("GetSlider", &UISlider::GetSlider)
      .def("SetSlider", &UISlider::SetSlider)
  ];
}

void RegisterDropDown(lua_State* L) {
  luabind::module(L)[
    luabind::class_<UIDropDown, UIWidget>("SliderWidget")
      .def("GetSelected", &UIDropDown::GetSelected)
      .def("GetSelectedText", &UIDropDown::GetSelectedText)
      .def("GetOriginalSelectedText", &UIDropDown::GetOriginalSelectedText)
      .def("SetCurrentOptionFromText", &UIDropDown::SetCurrentOptionFromText)
      .def("SetCurrentOption", &UIDropDown::SetCurrentOption)
      .def("IsOpen", &UIDropDown::IsOpen)
      .def("SetOpen", &UIDropDown::SetOpen)
      .def("AddOption", &UIDropDown::AddOption)
      .def("Clear", &UIDropDown::Clear)
  ];
}

void RegisterCheckBox(lua_State* L) {
  luabind::module(L)[
    luabind::class_<UICheckBox, UIWidget>("SliderWidget")
      .def("IsChecked", &UICheckBox::IsChecked)
      .def("SetChecked", &UICheckBox::SetChecked)
  ];
}

void RegisterMultiLine(lua_State* L) {
  luabind::module(L)[
    luabind::class_<UIMultiLine, UIWidget>("MultiLineWidget")
      .def("ScrollUp", &UIMultiLine::ScrollUp)
      .def("ScrollDown", &UIMultiLine::ScrollDown)
  ];
}

void RegisterFlash(lua_State* L) {
  luabind::module(L)[
    luabind::class_<UIFlashWidget, UIWidget>("SliderWidget")
      .def("SetFlashClip", &UIFlashWidget::SetFlashClip)
      .def("Reset", &UIFlashWidget::Reset)
      .def("SetLoop", &UIFlashWidget::SetLoop)
      .def("IsLooping", &UIFlashWidget::IsLooping)
      .def("PauseClip", &UIFlashWidget::PauseClip)
      .def("IsPaused", &UIFlashWidget::IsPaused)
  ];
}

void RegisterMovie(lua_State* L) {
  luabind::module(L)[
    luabind::class_<UIMovieWidget, UIWidget>("SliderWidget")
      .def("SetClip", &UIMovieWidget::SetClip)
      .def("Reset", &UIMovieWidget::Reset)
      .def("SetLoop", &UIMovieWidget::SetLoop)
      .def("IsLooping", &UIMovieWidget::IsLooping)
      .def("PauseClip", &UIMovieWidget::PauseClip)
      .def("IsPaused", &UIMovieWidget::IsPaused)
  ];
}

// The particle widget hands out its system as the particle library's "Part2D".
void RegisterPart2DWidget(lua_State* L) {
  luabind::module(L)[
    luabind::class_<UIPart2DWidget, UIWidget>("Part2DWidget")
      .def("SetPartFile", &UIPart2DWidget::SetPartFile)
      .def("SavePartFile", &UIPart2DWidget::SavePartFile)
      .def("IsPaused", &UIPart2DWidget::IsPaused)
      .def("SetPaused", &UIPart2DWidget::SetPaused)
      .def("GetPartsys", &UIPart2DWidget::GetPartsys)
      .def("TriggerParticles", &UIPart2DWidget::TriggerParticles)
      .def("ClearParticles", &UIPart2DWidget::ClearParticles)
  ];
}

void RegisterGraph(lua_State* L) {
  luabind::module(L)[
    luabind::class_<UIGraph, UIWidget>("GraphWidget")
      .def("SetGraphFillImage", &UIGraph::SetGraphFillImage)
      .def("SetGraphFillColor", &UIGraph::SetGraphFillColor)
      .def("RiseGraph", &UIGraph::RiseGraph)
      .def("DropGraph", &UIGraph::DropGraph)
      .def("SetNodes", &SetGraphNodes)
  ];
}

// The finish script may be left out.
void AddUIPanBare(UIWidget* widget, float delay, float time, const math::Vec2& target) {
  UIMove::AddUIPan(widget, delay, time, target, "");
}
void AddUIMoveBare(UIWidget* widget, float delay, float time, const math::Vec4& fromTo) {
  UIMove::AddUIMove(widget, delay, time, fromTo, "");
}
void AddUIXFadeBare(UIWidget* widget, float delay, float time, const math::Vec2& alphas) {
  UIXFade::AddUIXFade(widget, delay, time, alphas, "");
}
void AddMoveProgBare(UIWidget* widget, float time, float from, float to) {
  UIMoveProgress::AddMoveProg(widget, time, from, to, "");
}
void AddSetImageBare(UIWidget* widget, float time, const std::string& file) {
  UISetImage::AddSetImage(widget, time, file, "");
}

void RegisterMovers(lua_State* L) {
  using luabind::def;
  luabind::module(L)[
    def("AddUIPan", &UIMove::AddUIPan),
    def("AddUIPan", &AddUIPanBare),
    def("AddUIMove", &UIMove::AddUIMove),
    def("AddUIMove", &AddUIMoveBare),
    def("AddUISine", &UISine::AddUISine),
    def("AddUIXFade", &UIXFade::AddUIXFade),
    def("AddUIXFade", &AddUIXFadeBare),
    def("UIMoveProgress", &UIMoveProgress::AddMoveProg),
    def("UIMoveProgress", &AddMoveProgBare),
    def("UISetImage", &UISetImage::AddSetImage),
    def("UISetImage", &AddSetImageBare)
  ];
}

void RegisterManager(lua_State* L) {
  luabind::module(L)[
    luabind::class_<UIManager>("UIManager")
      .def("AddPanel", &UIManager::AddPanel)
      .def("GetWidget", &UIManager::GetWidget)
      .def("GetPanel", &UIManager::GetPanel)
      .def("GetFocus", &UIManager::GetFocus)
      .def("SetFocus", &UIManager::SetFocus)
      .def("SetEditWidget", &UIManager::SetEditWidget)
      .def("GetDragTarget", &UIManager::GetDragTarget)
      .def("ExecuteScript", &UIManager::ExecuteScript)
      .def("SavePanel", &SavePanel)
      .def("PushPanelToFront", &UIManager::PushPanelToFront)
      .def("PushPanelToBack", &UIManager::PushPanelToBack)
      .def("RefreshActive", &UIManager::RefreshActive)
      .def("ClearEditWidget", &UIManager::ClearEditWidget)
      .def("ForceLeftAlign", &UIManager::ForceLeftAlign)
      .def("AddReplaceWord", &UIManager::AddReplaceWord)
  ];
  luabind::module(L)[
    luabind::def("GetUIMan", &GetUIManForScript)
  ];
}

}  // namespace

bool RegisterUIClasses(LuaState* state) {
  if (!state) return false;
  lua_State* L = state->GetCState();
  try {
    // The library's classes first, "Widget" before the kinds that derive from it, then
    // the mover functions.
    RegisterWidget(L);
    RegisterProgress(L);
    RegisterSlider(L);
    RegisterDropDown(L);
    RegisterCheckBox(L);
    RegisterMultiLine(L);
    RegisterFlash(L);
    RegisterMovie(L);
    if (!part2d::RegisterPart2DClasses(state)) return false;
    RegisterPart2DWidget(L);
    RegisterGraph(L);
    RegisterMovers(L);
    RegisterManager(L);
  } catch (const std::exception& e) {
    LOG_LINE(MSG_ERROR) << "Unable to register the UI classes: " << e.what();
    return false;
  }
  return true;
}

}  // namespace ui
