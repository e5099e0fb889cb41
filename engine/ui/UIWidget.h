#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/Math.h"
#include "engine/core/StringUtil.h"
#include "engine/ui/UISprite.h"
#include "engine/ui/UIText.h"

class LuaObject;
class UIMover;
class WriteLua;

namespace ui {

class UIManager;
class UIProgress;
class UISlider;
class WidgetHandle;

// The base of every on-screen control: a rectangle in play-area fractions with up to nine
// state images, one text block, an ordered list of named children, 27 event slots of Lua
// text and a queue of movers. Panels (root widgets) belong to the UI manager; a widget
// owns its children, movers, images and text block.
//
// Positions are absolute; the layout file and SetPosition take them relative to the parent.
// The mouse operations take positions in play-area fractions and return whether the input
// was consumed; button 0 is the left button, any other counts as the right one.
class UIWidget {
 public:
  static constexpr int kImageCount = 9;
  // State images: 0 off, 1 over, 2 click; 3 to 8 are the kinds' own.
  enum ImageState { IS_Off = 0, IS_Over = 1, IS_Click = 2 };

  // Type ids (GetType gives their names).
  enum TypeId {
    WT_Widget = 0,
    WT_Progress = 1,
    WT_Slider = 2,
    WT_VerSlider = 3,
    WT_DropDown = 4,
    WT_MultiLine = 5,
    WT_CheckBox = 6,
    WT_Flash = 7,
    WT_Movie = 8,
    WT_PartSys = 9,
    WT_Part2D = 10,
  };

  // Event ids; GetEventName gives the key a layout stores each script under.
  enum EventId {
    EV_OnLoad = 0,
    EV_GainFocus,
    EV_LooseFocus,
    EV_Drag,
    EV_Drop,
    EV_MouseOver,
    EV_MouseOff,
    EV_Hoover,
    EV_ClickLMB,
    EV_DblClickLMB,
    EV_RepeatLMB,
    EV_ClickRMB,
    EV_DblClickRMB,
    EV_RepeatRMB,
    EV_ReleaseLMB,
    EV_ReleaseRMB,
    EV_SliderChange,
    EV_ClipEnded,
    EV_TextEnter,
    EV_Selected,
    EV_UpKey,
    EV_DownKey,
    EV_LeftKey,
    EV_RightKey,
    EV_TabKey,
    EV_GraphRisen,
    EV_GraphDropped,
    EV_Count
  };

  // The manager is the process-wide one; a panel has no parent.
  UIWidget(UIWidget* parent, const std::string& name);
  // Deletes the children and the movers, and makes the UI manager forget the widget.
  virtual ~UIWidget();
  UIWidget(const UIWidget&) = delete;
  UIWidget& operator=(const UIWidget&) = delete;

  // --- Virtual operations (kinds replace them) ---
  // Sets up a widget made in code: position (parent-relative), size, whole-texture UVs,
  // white, no rotation, the name, the manager's default font, no text, active, source
  // file "unknown". True.
  virtual bool Create(const std::string& widgetName, const math::Vec2& relativePosition,
                      const math::Vec2& widgetSize);
  // Reads the widget entry of a layout (children through the manager's factory), then
  // fires "on_load". Kinds read their own keys after calling the base.
  virtual bool Load(const LuaObject& table);
  // Writes the widget entry into the table the caller opened (children inside).
  virtual bool Save(WriteLua& writer);
  // An invisible widget is not ticked (nor its children, nor its movers).
  virtual bool Tick(float dt);
  // Draws the state image, the text and the children; an invisible widget, or the one
  // being dragged, draws nothing unless forced. True when it drew.
  virtual bool Render(bool forced);
  // The second pass: children first, then the enlarged preview of overMode.
  virtual void RenderHighlight();
  virtual bool MouseMove(const math::Vec2& oldPosition, const math::Vec2& newPosition);
  virtual bool MouseDrag(const math::Vec2& start, const math::Vec2& position);
  virtual bool MouseDrop(const math::Vec2& start, const math::Vec2& end, UIWidget* dragged);
  virtual bool MouseHover(const math::Vec2& position);
  virtual bool MouseDown(const math::Vec2& position, int button);
  virtual bool MouseDoubleClick(const math::Vec2& position, int button);
  virtual bool MouseUp(const math::Vec2& position, int button);
  virtual bool MouseHeld(const math::Vec2& position, int button);
  virtual bool MouseRepeat(const math::Vec2& position, int button);
  // Passed to every child while active; false.
  virtual bool Notify(int value);
  // After a display-device reset; passed to every child.
  virtual void ResetResources();
  // The rectangle, edges included. The widget's rotation does not turn it: widgets are
  // drawn and hit unturned.
  virtual bool IsInside(const math::Vec2& point) const;
  // Moves the widget to a position relative to its parent (absolute for a panel); the
  // text rectangle and every child follow.
  virtual void SetPosition(const math::Vec2& relative);
  virtual void SetPositionRelativeToParent(const math::Vec2& absolute);
  // The current state's image, or else the off image, holds a picture.
  virtual bool HasImage() const;
  virtual void SetText(const std::string& text);
  virtual void SetWideText(const WString& text);
  virtual void AppendText(const std::string& text);
  virtual void AppendWideText(const WString& text);
  // Looks the text up in the language table again, then every child.
  virtual void RefreshText();
  // A copy of the widget without children and movers, named "Clone_<n>", with the same
  // parent but not attached to it: the caller owns it.
  virtual UIWidget* GetClone();
  // Images whose names held "###" load the current language's files; then every child.
  virtual void ReloadImages();
  // Keys of the kind, written by Save after the base keys; the base writes nothing.
  virtual bool SaveExtra(WriteLua& writer);
  // The text Save writes as "Text": the text as it was given (before translation). A
  // kind that keeps its text outside the base text block gives its own.
  virtual WString GetSourceText() const;
  // A widget whose list drops open (the drop-down) reports and closes it here; the UI
  // manager closes an open list when a press lands outside it.
  virtual bool IsOpen() const { return false; }
  virtual void SetOpen(bool open) {}

  // --- Manager passes of a pointer move ---
  bool FireOffEvents();
  bool FireOverEvents();

  // --- Geometry and looks ---
  void SetSize(const math::Vec2& newSize);
  const math::Vec2& GetPosition() const { return position; }
  const math::Vec2& GetSize() const { return size; }
  // Position minus the parent's position (the position itself for a panel).
  math::Vec2 GetRelativePosition() const;
  // Sizes the widget to the off image's shape, fitting the box.
  void FitToRect(const math::Vec2& box);
  // Colours as four [0, 1] floats, packed to 0xAARRGGBB.
  void SetColor(float r, float g, float b, float a);
  uint32_t GetColor() const { return color; }
  void SetTextColor(float r, float g, float b, float a);
  uint32_t GetTextColor() const { return text.color; }
  void SetScale(float value) { scale = value; }
  float GetScale() const { return scale; }
  void SetRotation(float degrees) { rotation = degrees; }
  float GetRotation() const { return rotation; }
  void SetOverMode(int32_t mode) { overMode = mode; }
  int32_t GetOverMode() const { return overMode; }
  // Loads an image into a state image (size and UV unchanged).
  void SetImage(int state, const std::string& file);
  void SetOffImage(const std::string& file) { SetImage(IS_Off, file); }
  void SetOverImage(const std::string& file) { SetImage(IS_Over, file); }
  void SetClickImage(const std::string& file) { SetImage(IS_Click, file); }
  void SetAllImage(const std::string& file);

  // --- Flags ---
  // Activating a panel brings it to the front.
  void SetIsActive(bool flag);
  void SetIsVisible(bool flag) { visible = flag; }
  void SetCanDrag(bool flag) { canDrag = flag; }
  bool GetCanDrag() const { return canDrag; }
  void SetCanEdit(bool flag) { text.SetEditable(flag); }
  bool GetCanEdit() const { return text.IsEditable(); }
  void SetBlockAllEvents(bool flag) { blockAll = flag; }
  bool GetIsVisible() const { return visible; }
  // The active flag alone.
  bool GetIsActive() const { return active; }
  // Active and visible together: only such a widget takes input.
  bool IsActiveAndVisible() const { return active && visible; }

  // --- Text ---
  void SetFont(const std::string& fontName) { text.SetFont(fontName); }
  std::string GetFont() const { return text.GetFont(); }
  // The displayed text, as UTF-8.
  std::string GetText() const { return ToNarrow(text.GetText()); }
  void TrimSpaces() { text.TrimSpaces(); }
  void SelectAllText() { text.SelectAll(); }

  // --- Names and the tree ---
  const std::string& GetName() const { return name; }
  // Renames the widget; a child moves to the end of its parent's children.
  void SetName(const std::string& newName);
  // SetName; a panel is also brought to the front.
  void RenameWidget(const std::string& newName);
  // The type name of the type id ("widget" for 0 and every id it does not know).
  std::string GetType() const;
  static std::string TypeName(int32_t typeId);
  UIWidget* GetParent() const { return parent; }
  UIWidget* GetRoot();
  const std::vector<UIWidget*>& GetChildren() const { return children; }
  // The first child whose name matches (ignoring case); null when none.
  UIWidget* FindChild(std::string_view childName) const;
  // This widget when its name matches (ignoring case), else a depth-first search of the
  // children in order; null when none.
  UIWidget* GetWidgetByName(const std::string& widgetName);
  // The same, only when the widget found is of the kind; else null.
  UIProgress* GetProgressByName(const std::string& widgetName);
  UISlider* GetSliderByName(const std::string& widgetName);
  UIWidget* GetDropDownByName(const std::string& widgetName);
  UIWidget* GetMultiLineByName(const std::string& widgetName);
  UIWidget* GetCheckBoxByName(const std::string& widgetName);
  UIWidget* GetFlashWidgetByName(const std::string& widgetName);
  UIWidget* GetMovieWidgetByName(const std::string& widgetName);
  UIWidget* GetPartWidgetByName(const std::string& widgetName);
  // Appends a named child and becomes its parent (and owner); false, with no change,
  // for a null or nameless child.
  bool AddChild(UIWidget* child);
  // The same at the front or the back (front), or right after the named sibling (at the
  // back when there is no such sibling).
  bool InsertChild(UIWidget* child, bool front, const std::string& sibling);
  // Takes the child out of the children, deleting it when destroy is set (deferred to the
  // end of the manager's input or tick pass when one is running); false for a null,
  // nameless or foreign child.
  bool DeleteChild(UIWidget* child, bool destroy);

  // --- Events ---
  void SetEventHandler(int eventId, const std::string& script);
  const std::string& GetEventHandler(int eventId) const;
  static const char* GetEventName(int eventId);
  // Runs the event's script through the console; false when it has none. "tab_key" runs
  // no script: it moves editing to the widget named next in the same panel (true).
  bool FireEvent(int eventId);

  // --- Movers ---
  void AddMover(UIMover* mover);
  // Every queued mover ends without its finish script, one a tick.
  void ClearMovers();
  void DeleteMovers();
  bool HasAnimation() const { return !movers.empty(); }

  // --- Hit tests for the manager ---
  // A visible widget of the tree under the point holds a picture.
  bool IsOverImage(const math::Vec2& point) const;
  // ... and blocks the mouse: blockAll, or a "lmb_click" or "lmb_release" script.
  bool BlocksMouse(const math::Vec2& point) const;

  void SetSourceFile(const std::string& file) { sourceFile = file; }
  const std::string& GetSourceFile() const { return sourceFile; }

  // Counters of the generated names, process-wide.
  static int32_t s_nonameCounter;
  static int32_t s_cloneCounter;

  // --- Fields ---
  UIManager* manager = nullptr;
  UIWidget* parent = nullptr;
  UISprite images[kImageCount];
  int32_t state = IS_Off;
  UIText text;
  int32_t type = WT_Widget;
  std::string eventScripts[EV_Count];
  std::string name;
  std::string sourceFile;
  bool active = true;
  bool visible = true;
  bool canDrag = false;
  bool playSound = true;
  bool disableOverSound = false;
  bool disableClickSound = false;
  math::Vec2 position{0.0f, 0.0f};
  math::Vec2 size{0.0f, 0.0f};
  math::Vec2 uv1{0.0f, 0.0f};
  math::Vec2 uv2{1.0f, 1.0f};
  float rotation = 0.0f;
  float scale = 1.0f;
  uint32_t color = 0xFFFFFFFF;
  bool entered = false;
  bool left = false;
  bool blockAll = false;
  std::vector<UIMover*> movers;  // owned; the first runs
  int32_t overMode = 0;
  std::string next;
  bool isPassword = false;

 protected:
  // The image drawn now: the current state's, or the off image when that one is empty.
  UISprite& CurrentImage();
  const UISprite& CurrentImage() const;
  // Unless forced, a hidden widget and the one being dragged (drawn by the manager on top
  // of everything) are not drawn in their place.
  bool SkipsDraw(bool forced) const;
  // "Clone_<n>" from the process-wide clone counter.
  static std::string NextCloneName();
  // Copies what a clone takes from its source into a new widget of the same kind.
  void CopyInto(UIWidget* clone) const;
  // Offers a mouse operation to the children in order; true at the first that takes it.
  template <typename Call>
  bool ChildrenFirst(Call call);

  std::vector<UIWidget*> children;  // owned, in order

 private:
  friend class WidgetHandle;

  // The key of the name in the children list (CRC-32, ignoring case).
  uint32_t nameKey = 0;
  // The handles that point here; the destructor empties them.
  std::vector<WidgetHandle*> handles_;
};

template <typename Call>
bool UIWidget::ChildrenFirst(Call call) {
  // By index: a child's script may add or remove siblings while the walk runs (a removed
  // widget is only deleted when the manager's pass ends).
  for (size_t i = 0; i < children.size(); ++i) {
    if (call(children[i])) return true;
  }
  return false;
}

}  // namespace ui
