#pragma once

// A stage for user-interface tests: a recording renderer that gives every image name an
// 80 x 60 picture (names starting with "missing" fail), the console's main state with the
// UI classes registered, a bitmap font "SmallFont" with every printable character (10
// pixels wide, 12 high; the space 5 wide), a sound bank on a recording audio back end, and
// helpers to feed the UI manager mouse and key events.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/Math.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/UIWidget.h"
#include "tests/ui/SpriteTestSupport.h"

namespace uitest {

// The names of the bank sounds played since the last Clear, in order. The bank holds
// "button_press", "button_rollover" and "textbox_new_text".
class Sounds {
 public:
  static Sounds& Instance();
  std::vector<std::string> Played() const;
  size_t Count(const std::string& name) const;
  void Clear();

 private:
  Sounds();
  size_t mark_ = 0;
};

class UITest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Runs Lua in the console's state; a failure fails the test.
  void Run(const std::string& chunk);
  // A global of the console's state as text ("" when not a string or number).
  std::string Global(const std::string& name);
  // Writes a file of the working folder (with its folders).
  static void Write(const std::string& path, const std::string& text);

  // The manager's listener operations, as the devices call them.
  void Press(const math::Vec2& at, int button = 0);
  void Release(const math::Vec2& at, int button = 0);
  void Held(const math::Vec2& at, int button = 0);
  void DoubleClick(const math::Vec2& at, int button = 0);
  void Move(const math::Vec2& from, const math::Vec2& to);
  void Drag(const math::Vec2& start, const math::Vec2& at);
  void Drop(const math::Vec2& start, const math::Vec2& at);
  void Key(uint32_t code, bool pressed = true);

  // A widget of the kind made in code (Create) at a parent-relative position: a child of
  // the parent, or a panel of its own.
  template <typename Kind = ui::UIWidget>
  Kind* Make(const math::Vec2& position, const math::Vec2& size, ui::UIWidget* parent = nullptr) {
    auto* widget = new Kind(parent, "");
    widget->Create("w" + std::to_string(made_++), position, size);
    if (parent) {
      parent->AddChild(widget);
    } else {
      ui_.AttachPanel(widget);
    }
    return widget;
  }

  spritetest::SpriteRenderer renderer_;
  ui::UIManager& ui_ = ui::GetUIMan();
  int made_ = 0;
};

}  // namespace uitest
