#pragma once

#include <map>
#include <string>
#include <vector>

#include "engine/app/InputListener.h"
#include "engine/core/Math.h"
#include "engine/ui/UISprite.h"

class LuaObject;
class LuaState;
namespace camera {
class AbstractCamera;
}
namespace flash {
class FlashDriver;
}

namespace ui {

class UIText;
class UIWidget;

// The root of the user interface, one per process (GetUIMan). It owns the panels (root
// widgets, drawn first to last and offered input last to first), loads them from .ui
// files and saves them back, builds widgets by type name, keeps the focus, the edited
// text, the dragged widget and an open drop-down list, draws the mouse cursor image, and
// turns the input devices' events into widget calls.
//
// A .ui file is a Lua script defining the global table "Panel", the root widget's entry
// (see UIWidget::Load); "Type" names the kind, "Children" holds the child entries.
//
// Widget kinds join the factory by type name (RegisterWidgetType). A script may drop or
// reload panels, or delete widgets, from inside an event that a widget of those panels is
// still handling: such widgets are taken out at once but deleted only when the input, tick
// or render pass ends, and every pointer the manager keeps into them is cleared.
class UIManager : public input::KeyboardListener, public input::MouseListener {
 public:
  // Makes a widget of one kind with the given parent and an empty name.
  using WidgetMaker = UIWidget* (*)(UIWidget* parent);

  static constexpr const char* kCursorImage = "Cursor.png";
  // The source file of a widget made in code (UIWidget::Create).
  static constexpr const char* kCodeBuiltSource = "unknown";

  // Registers with the input devices (when they exist) and knows every kind of the
  // library: "widget", "slider", "verslider", "progress", "dropdown", "checkbox", "flash",
  // "part2d", "multiline", "graph", "polyline", "movie" and "calendar".
  UIManager();
  // Shutdown: every panel and widget is deleted.
  ~UIManager() override;

  // The live manager, or null before GetUIMan built it and after it was destroyed.
  static UIManager* Existing();

  // --- Panels ---
  // Loads a .ui file and appends its panel (drawn last, offered input first); returns it,
  // or the loaded panel of the same name (the file is then not built again), or null with
  // a log line when the file cannot be run or defines no "Panel" table.
  UIWidget* AddPanel(const std::string& file);
  // One widget from a widget entry: the kind named by "Type" (default "Widget", any
  // capitalisation), loaded from the entry; a kind the factory does not know makes a
  // plain widget. Null when the value is no table or when its Load fails.
  UIWidget* CreateWidget(UIWidget* parent, const LuaObject& table);
  // Files a maker under a type name (compared lower-cased); a later maker of a name
  // replaces the earlier one.
  void RegisterWidgetType(const std::string& typeName, WidgetMaker maker);
  bool IsWidgetTypeKnown(const std::string& typeName) const;

  // Appends a root widget unless it is a panel already; the manager owns it from then on.
  void AttachPanel(UIWidget* panel);
  bool IsPanel(const UIWidget* widget) const;
  // Takes the panel out of the list (deleting it when destroy is set); false when it is
  // not a panel. The focus, the edited text, the drag target and the open drop-down are
  // cleared when they lie in its tree.
  bool DropPanel(UIWidget* panel, bool destroy);
  // Deletes every panel.
  void DropAllPanels();
  void PushPanelToFront(UIWidget* panel);
  void PushPanelToBack(UIWidget* panel);
  // The first panel in list order whose name matches ignoring case; null when none.
  UIWidget* GetPanel(const std::string& name) const;
  // The first widget of that name in the panels, in list order.
  UIWidget* GetWidget(const std::string& name) const;
  const std::vector<UIWidget*>& GetPanels() const { return panels_; }
  // Writes the panel as a .ui file that AddPanel reads back; false when the file cannot
  // be written or there is no panel.
  bool SavePanel(UIWidget* panel, const std::string& file);
  // Drops every visible panel loaded from a file and loads each again from it, in panel
  // order; panels built in code stay.
  void RefreshActive();
  // Texts look their keys up again (after a language file was loaded), panels in order.
  void RefreshText();
  // Images named with "###" load the current language's files, last panel first.
  void ReloadImages();
  // The language name that replaces "###" in image names ("English" at start).
  void SetLanguageName(const std::string& name) { language = name; }
  void SetLanguage(const std::string& name) { language = name; }

  // --- Device reset and shutdown ---
  // After a display-device reset: InitFlash, then every panel's ResetResources.
  void ResetResources();
  // Makes and starts the SWF driver when there is none (every SWF widget does at its
  // construction).
  void InitFlash();
  // Deletes the SWF driver, if any.
  void ShutdownFlash();
  flash::FlashDriver* GetFlashDriver() const { return flashDriver_; }
  // Drops every panel, then the SWF driver. Run once at application shutdown.
  void Shutdown();

  // --- Frame ---
  // Every panel from last to first.
  void Tick(float dt);
  // Unless the interface is hidden: every panel in list order (its tree, then its
  // highlight pass), then the dragged widget on top, then the cursor image when
  // cursorShown is set.
  void Render();
  // A visible widget with a picture that blocks the mouse is under the point (only while
  // the interface is shown).
  bool IsMouseBlocked(const math::Vec2& point) const;
  // An active, visible panel has a widget with a picture under the point.
  bool IsMouseOverUI(const math::Vec2& point) const;

  // --- Focus, editing, dragging ---
  // A different widget becomes the focus and editing stops.
  void SetFocus(UIWidget* widget);
  // An editable widget becomes the focus and its text the edited text; anything else
  // clears both. The drag target is cleared in either case.
  void SetEditWidget(UIWidget* widget);
  void ClearEditWidget();
  // A different widget becomes the drag target; its position is kept as dragStart.
  void SetDragTarget(UIWidget* widget);
  UIWidget* GetFocus() const { return focus_; }
  UIWidget* GetDragTarget() const { return dragTarget_; }
  UIText* GetEditText() const { return editText_; }
  // The drop-down whose list is open takes the mouse first; the drop-down kind sets it.
  UIWidget* GetOpenDropDown() const { return openDropDown_; }
  void SetOpenDropDown(UIWidget* widget) { openDropDown_ = widget; }

  // --- Scripts and texts ---
  // Runs Lua text in the console's main state.
  void ExecuteScript(const std::string& script);
  // Makes the multi-line text kind align every line left.
  void ForceLeftAlign(bool flag) { forceLeftAlign = flag; }
  // Appends a pair to the replacement table that text blocks apply to what they show.
  void AddReplaceWord(const std::string& word, const std::string& replacement);

  // --- Ownership of widgets ---
  // Deletes a widget that has left every tree: at once, or when the running input, tick
  // or render pass ends. Pointers the manager keeps into its tree are cleared first.
  void DestroyWidget(UIWidget* widget);
  // Clears the focus, edited text, drag target and open drop-down where they lie in the
  // widget's tree (the widget itself or a descendant).
  void ForgetTree(const UIWidget* root);

  // --- Input listener operations ---
  void KeyPressed(const input::KeyEvent* event) override;
  void KeyReleased(const input::KeyEvent* event) override;
  void KeyDown(const input::KeyEvent* event) override;
  void KeyRepeat(const input::KeyEvent* event) override;
  void MouseButtonPressed(const input::MouseButton* button, const math::Vec2* position) override;
  void MouseDoubleClick(const input::MouseButton* button, const math::Vec2* position) override;
  void MouseButtonReleased(const input::MouseButton* button, const math::Vec2* position) override;
  void MouseButtonDown(const input::MouseButton* button, const math::Vec2* position) override;
  void MouseButtonRepeat(const input::MouseButton* button, const math::Vec2* position) override;
  void MouseWheel(int delta, const math::Vec2* position) override;
  void MouseHover(const math::Vec2* position) override;
  void MouseMoved(const math::Vec2* oldPosition, const math::Vec2* newPosition) override;
  void MouseDragged(const math::Vec2* dragStart, const math::Vec2* position) override;
  void MouseDragEnd(const math::Vec2* dragStart, const math::Vec2* endPosition) override;

  // --- Fields ---
  // When clear, nothing is drawn and most input is ignored (the scene editor hides the UI).
  bool uiShown = true;
  // Draw the cursor image; the application clears it at the end of start-up.
  bool cursorShown = true;
  // Loaded from kCursorImage at the first draw that shows it (clearing cursorTried makes
  // the next such draw load it again).
  UISprite cursor;
  bool cursorTried = false;
  math::Vec2 mousePosition{0.0f, 0.0f};
  math::Vec2 cursorSize{0.02f, 0.02f};
  math::Vec2 cursorOffset{0.0f, 0.0f};
  // The drag target's absolute position when the drag began.
  math::Vec2 dragStart{0.0f, 0.0f};
  std::string defaultFont = "SmallFont";
  static constexpr const char* kDefaultLanguage = "English";
  std::string language = kDefaultLanguage;
  // The camera the user interface draws with (not owned); a screen state stores its own.
  camera::AbstractCamera* camera = nullptr;
  // Particle widgets draw their systems only while it is set; the application sets it
  // when its start-up is through.
  bool particlesShown = false;
  bool forceLeftAlign = false;

 private:
  class PassGuard;
  // Offers the call to the panels from the front (last) to the back; true at the first
  // that takes it. Panels dropped meanwhile are skipped.
  template <typename Call>
  bool OfferToPanels(Call call);
  void DeleteDiscarded();
  void RemoveFromList(UIWidget* panel);

  UIWidget* focus_ = nullptr;
  UIWidget* openDropDown_ = nullptr;
  UIWidget* dragTarget_ = nullptr;
  UIText* editText_ = nullptr;
  flash::FlashDriver* flashDriver_ = nullptr;  // owned
  std::vector<UIWidget*> panels_;  // owned
  std::map<std::string, WidgetMaker> makers_;
  // Depth of the running input, tick and render passes, and the widgets to delete when
  // the outermost one ends.
  int passDepth_ = 0;
  std::vector<UIWidget*> discarded_;
};

// The process-wide UI manager, built on first use and destroyed at exit. Build it after
// the input devices, or it receives no events.
UIManager& GetUIMan();

// Registers the Lua classes of the user interface in a state: "Widget", "ProgressWidget",
// "SliderWidget", "MultiLineWidget", the particle classes with "Part2DWidget",
// "GraphWidget", the mover functions, "UIManager" and the global "GetUIMan". False (and a log line) when luabind
// refuses. Scripts pass and get positions and sizes as "Vec2", which the engine's script
// functions register.
bool RegisterUIClasses(LuaState* state);

}  // namespace ui
