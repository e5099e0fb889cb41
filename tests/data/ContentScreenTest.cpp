#include "tests/data/ContentScreenTest.h"

#include <filesystem>

#include "engine/app/Script.h"
#include "engine/core/Console.h"
#include "engine/core/VFS.h"
#include "game/shell/KivVars.h"
#include "game/shell/Shell.h"
#include "tests/support/TestEnv.h"

namespace contenttest {

namespace fs = std::filesystem;

const std::string kBin = std::string(PELLAVO_BINARY_DIR) + "/bin";
const std::string kArchive = kBin + "/kx.arc";

math::Vec2 Centre(const ui::UIWidget* widget) {
  const math::Vec2 at = widget->GetPosition();
  const math::Vec2 size = widget->GetSize();
  return math::Vec2(at.x + size.x * 0.5f, at.y + size.y * 0.5f);
}

void ContentScreenTest::SetUp() {
  ShellUITest::SetUp();
  ASSERT_TRUE(testenv::FileExists(kArchive)) << "the build packs the content into " << kArchive;
  vfs::VFS::Instance().AddArchive(kArchive);
  folder_ = testenv::MakeTempDir("screens");
  app_ = std::make_unique<apptest::TestApp>("Pellavo screens", folder_);
  app_->rms = new GameRMS(folder_ + "/kx_screens.rms");
  app_->rms->Load();
  KivVars::Instance().store = app_->rms;
  SetApplication(app_.get());
  // The console starts again as the game starts it: the game's script from the archive
  // first, then the engine's and the shell's script functions.
  console::Console& console = console::GetConsole();
  console.Shutdown();
  console.Init("scripts/console.lua");
  ASSERT_TRUE(RegisterScriptFunctions(console.GetState()));
  ASSERT_TRUE(RegisterShellScripts(console.GetState()));
  ASSERT_EQ(Global("Language"), "english") << "the game's console script runs";
}

void ContentScreenTest::TearDown() {
  ui_.DropAllPanels();
  SetApplication(nullptr);
  KivVars::Instance().store = nullptr;
  app_.reset();
  vfs::VFS::Instance().RemoveArchives();
  ShellUITest::TearDown();
}

ui::UIWidget* ContentScreenTest::Panel(const std::string& file) {
  ui::UIWidget* panel = ui_.AddPanel(file);
  EXPECT_NE(panel, nullptr) << file;
  return panel;
}

void ContentScreenTest::PlaceLanguageFile(const std::string& name) {
  fs::create_directories("lang");
  fs::copy_file(kBin + "/lang/english.lng", "lang/" + name + ".lng", fs::copy_options::overwrite_existing);
}

}  // namespace contenttest
