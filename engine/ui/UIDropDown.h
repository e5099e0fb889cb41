#pragma once

#include <memory>
#include <vector>

#include "engine/ui/UIWidget.h"

namespace ui {

// A button that opens a list of text options below itself. The widget's own text shows
// the selected option. A release on the drop button (state image 5; the whole widget
// without one, or anywhere on it when it covers completely) opens the list, which the UI
// manager then offers the mouse first; a release on a row selects that option, closes the
// list and fires "selected". The list's background is state image 6.
//
// Layout keys: Options (texts; not written back), CoversCompletely, DropButton, DropBG.
class UIDropDown : public UIWidget {
 public:
  static constexpr int kButtonImage = 5;
  static constexpr int kListImage = 6;

  UIDropDown(UIWidget* parent, const std::string& name);
  ~UIDropDown() override;

  bool Load(const LuaObject& table) override;
  bool Tick(float dt) override;
  bool Render(bool forced) override;
  bool MouseUp(const math::Vec2& point, int button) override;
  bool MouseHeld(const math::Vec2& point, int button) override;
  // Closed: the widget's rectangle; open: the widget and its rows below it.
  bool IsInside(const math::Vec2& point) const override;
  void SetPosition(const math::Vec2& relative) override;
  // The list background holds a picture.
  bool HasImage() const override;
  // Nothing while the widget covers completely.
  void SetText(const std::string& text) override;
  void SetWideText(const WString& text) override;
  void RefreshText() override;
  // Copies the base widget, the selection, the open flag and the button rectangle, and
  // adds every option again from its source text.
  UIWidget* GetClone() override;
  bool SaveExtra(WriteLua& writer) override;
  bool IsOpen() const override { return open; }
  void SetOpen(bool flag) override { open = flag; }

  // A new option in the widget's font and text colour; the first option added to a list
  // with no selection becomes the selected one.
  void AddOption(const std::string& text);
  // Removes every option; nothing is selected (the shown text stays).
  void Clear();
  int32_t GetSelected() const { return selected; }
  // The selected option's shown text, or "" when none (or out of range).
  std::string GetSelectedText() const;
  // The selected option's source text, or "".
  std::string GetOriginalSelectedText() const;
  // Selects without an event; an index out of range is kept and shows nothing.
  void SetCurrentOption(int32_t index) { Select(index, false); }
  // Selects the first option whose source text is the text, without an event.
  void SetCurrentOptionFromText(const std::string& text);
  size_t OptionCount() const { return options.size(); }

  std::vector<std::unique_ptr<UIText>> options;
  bool open = false;
  int32_t selected = -1;
  math::Vec2 buttonPosition{0.0f, 0.0f};
  math::Vec2 buttonSize{0.0f, 0.0f};
  bool coversCompletely = false;

 private:
  void Select(int32_t index, bool fire);
  bool ValidIndex(int32_t index) const {
    return index >= 0 && static_cast<size_t>(index) < options.size();
  }
};

}  // namespace ui
