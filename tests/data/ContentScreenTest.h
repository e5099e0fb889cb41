#pragma once

// The game's screens as the packed content makes them: the shell's test stage (recording
// renderer, audio back end) over kx.arc from the build, with the game's own console
// script, the engine's and the shell's script functions, and a profile store of the test's
// own.

#include <memory>
#include <string>

#include "engine/app/GameRMS.h"
#include "engine/ui/UIWidget.h"
#include "tests/app/AppTestSupport.h"
#include "tests/shell/ShellUITest.h"

namespace contenttest {

extern const std::string kBin;
extern const std::string kArchive;

class ContentScreenTest : public shelltest::ShellUITest {
 protected:
  void SetUp() override;
  void TearDown() override;

  GameRMS& Profiles() { return *app_->rms; }

  // A panel file of the archive loaded by the UI manager; a failure when it does not load.
  ui::UIWidget* Panel(const std::string& file);

  template <typename Kind>
  Kind* Find(ui::UIWidget* panel, const std::string& name) {
    auto* widget = dynamic_cast<Kind*>(panel ? panel->GetWidgetByName(name) : nullptr);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }

  void Click(const math::Vec2& at) {
    Press(at);
    Release(at);
  }

  // The language file beside the program, in the test's working folder under `name`.
  static void PlaceLanguageFile(const std::string& name);

  std::string folder_;
  std::unique_ptr<apptest::TestApp> app_;
};

// A widget's centre in screen fractions.
math::Vec2 Centre(const ui::UIWidget* widget);

}  // namespace contenttest
