#pragma once

namespace ui {

class UIWidget;

// A pointer to a widget that the widget clears when it is deleted. Objects that keep widgets
// of panels they do not own (a popup being opened, a screen's icons) hold them through
// handles: a script may drop a panel, or the manager reload it after a language change,
// and the holder then finds its handle empty instead of a pointer into freed memory. A
// holder that wants the reloaded panel looks its widgets up again by name.
class WidgetHandle {
 public:
  WidgetHandle() = default;
  explicit WidgetHandle(UIWidget* widget) { Reset(widget); }
  WidgetHandle(const WidgetHandle& other) { Reset(other.widget_); }
  WidgetHandle& operator=(const WidgetHandle& other) {
    if (this != &other) Reset(other.widget_);
    return *this;
  }
  ~WidgetHandle() { Reset(nullptr); }

  // Points the handle at another widget (null empties it).
  void Reset(UIWidget* widget = nullptr);
  UIWidget* Get() const { return widget_; }
  UIWidget* operator->() const { return widget_; }
  explicit operator bool() const { return widget_ != nullptr; }

 private:
  friend class UIWidget;
  UIWidget* widget_ = nullptr;
};

}  // namespace ui
