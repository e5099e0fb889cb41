// The widgets that host a player: the movie widget on the renderer's movies and the SWF
// widget on the recording SWF movie, with the manager's SWF driver.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/graphics/AviImage.h"
#include "engine/ui/UIFlashWidget.h"
#include "engine/ui/UIMovieWidget.h"
#include "tests/core/LogCapture.h"
#include "tests/ui/RecordingFlashMovie.h"
#include "tests/ui/UITestSupport.h"

namespace {

using ui::UIWidget;

// A movie that plays nothing and counts its frame updates and binds.
class FakeMovie : public AviImage {
 public:
  bool Load(const std::string& file) override {
    name = file;
    return true;
  }
  bool Update() override { return ++updates, true; }
  bool BindTexture(uint32_t) override { return ++binds, true; }
  int updates = 0;
  int binds = 0;

 protected:
  void UploadFrame() override {}
  bool CreateTexture() override { return true; }
  bool DestroyTexture() override { return true; }
};

// The test renderer with movies: names starting with "missing" do not open.
class MovieRenderer : public spritetest::SpriteRenderer {
 public:
  AviImage* LoadMovie(const std::string& file) override {
    loaded.push_back(file);
    if (file.rfind("missing", 0) == 0) return nullptr;
    auto* movie = new FakeMovie;
    movie->Load(file);
    movies.push_back(movie);
    return movie;
  }
  void DestroyMovie(AviImage* movie) override {
    destroyed.push_back(movie->name);
    movies.erase(std::remove(movies.begin(), movies.end(), movie), movies.end());
    delete movie;
  }
  std::vector<std::string> loaded;
  std::vector<std::string> destroyed;
};

class UIPlayerWidgetTest : public uitest::UITest {
 protected:
  void SetUp() override {
    UITest::SetUp();
    uitest::FlashCalls().clear();
  }
  UIWidget* LoadPanel(const std::string& children) {
    Write("ui/players.ui", "Panel = { Name = 'players', Size = { 1, 1 }, Children = { " + children + " } }\n");
    return ui_.AddPanel("ui/players.ui");
  }
  UIWidget* SaveAndReload(UIWidget* panel) {
    EXPECT_TRUE(ui_.SavePanel(panel, "ui/players_saved.ui"));
    ui_.DropPanel(panel, true);
    return ui_.AddPanel("ui/players_saved.ui");
  }
  MovieRenderer movies_;
};

TEST_F(UIPlayerWidgetTest, AMovieWidgetShowsItsMovieAndKeepsItsLoopFlag) {
  UIWidget* panel = LoadPanel(
      "{ Type = 'Movie', Name = 'intro', Pos = { 0.1, 0.1 }, Size = { 0.4, 0.3 }, Clip = 'movies/intro.avi' },"
      "{ Type = 'movie', Name = 'still', Clip = 'movies/still.avi', Looping = false },"
      "{ Type = 'movie', Name = 'none' }");
  ASSERT_NE(panel, nullptr);
  auto* intro = dynamic_cast<ui::UIMovieWidget*>(panel->FindChild("intro"));
  auto* still = dynamic_cast<ui::UIMovieWidget*>(panel->FindChild("still"));
  ASSERT_TRUE(intro && still);
  EXPECT_TRUE(intro->IsLooping());  // looping unless the panel says otherwise
  EXPECT_FALSE(still->IsLooping());
  EXPECT_FALSE(dynamic_cast<ui::UIMovieWidget*>(panel->FindChild("none"))->IsLooping());

  ui_.Tick(0.1f);
  auto* movie = static_cast<FakeMovie*>(intro->movie);
  EXPECT_EQ(movie->updates, 1);
  renderer_.draws.clear();
  movies_.draws.clear();
  intro->Render(false);
  ASSERT_EQ(movies_.draws.size(), 1u);
  EXPECT_EQ(movie->binds, 1);
  EXPECT_FLOAT_EQ(movies_.draws[0].vertices[1].x + 0.5f, 80.0f);

  // The same name twice rewinds; an empty name lets the movie go.
  movie->currentFrame = 4;
  LogCapture log;
  intro->SetClip("movies/intro.avi");
  EXPECT_TRUE(log.Contains("Trying to re-set the file. Reset instead?"));
  EXPECT_EQ(intro->movie, movie);
  EXPECT_EQ(movie->currentFrame, 0);
  intro->PauseClip(true);
  EXPECT_TRUE(intro->IsPaused());

  panel = SaveAndReload(panel);
  ASSERT_NE(panel, nullptr);
  still = dynamic_cast<ui::UIMovieWidget*>(panel->FindChild("still"));
  ASSERT_NE(still, nullptr);
  EXPECT_FALSE(still->IsLooping());
  EXPECT_TRUE(dynamic_cast<ui::UIMovieWidget*>(panel->FindChild("intro"))->IsLooping());

  still->SetClip("");
  EXPECT_EQ(still->movie, nullptr);
  EXPECT_EQ(movies_.destroyed.back(), "movies/still.avi");
  movies_.draws.clear();
  EXPECT_TRUE(still->Render(false));
  EXPECT_TRUE(movies_.draws.empty());
  ui_.DropAllPanels();
  EXPECT_TRUE(movies_.movies.empty());  // every movie went back to the renderer
}

TEST_F(UIPlayerWidgetTest, AnSwfWidgetDrivesItsMovieOnlyWhileShown) {
  EXPECT_EQ(ui_.GetFlashDriver(), nullptr);
  UIWidget* panel = LoadPanel(
      "{ Type = 'Flash', Name = 'help', Pos = { 0.1, 0.1 }, Size = { 0.3, 0.3 }, FlashMovie = 'swf/help.swf' },"
      "{ Type = 'flash', Name = 'loop', FlashMovie = 'swf/loop.swf', Looping = 1 }");
  ASSERT_NE(panel, nullptr);
  EXPECT_NE(ui_.GetFlashDriver(), nullptr);  // the first widget started the driver
  auto* help = dynamic_cast<ui::UIFlashWidget*>(panel->FindChild("help"));
  auto* loop = dynamic_cast<ui::UIFlashWidget*>(panel->FindChild("loop"));
  ASSERT_TRUE(help && loop);
  EXPECT_FALSE(help->IsLooping());  // no looping unless the panel says so
  EXPECT_TRUE(loop->IsLooping());

  uitest::FlashCalls().clear();
  help->Tick(0.25f);
  help->Render(false);
  help->SetIsVisible(false);
  EXPECT_FALSE(help->Tick(0.25f));
  help->SetIsVisible(true);
  help->SetFlashClip("swf/help.swf");
  EXPECT_EQ(uitest::FlashCalls(),
            (std::vector<std::string>{"Advance 0.25", "Display", "Reset"}));

  // A fresh player after a device reset, on the same file and with the same flags.
  uitest::FlashCalls().clear();
  ui_.ResetResources();
  EXPECT_EQ(uitest::FlashCalls(),
            (std::vector<std::string>{"delete", "new", "Load swf/help.swf", "delete", "new",
                                      "Load swf/loop.swf"}));
  EXPECT_TRUE(loop->IsLooping());

  panel = SaveAndReload(panel);
  ASSERT_NE(panel, nullptr);
  EXPECT_TRUE(dynamic_cast<ui::UIFlashWidget*>(panel->FindChild("loop"))->IsLooping());
  EXPECT_FALSE(dynamic_cast<ui::UIFlashWidget*>(panel->FindChild("help"))->IsLooping());

  help = dynamic_cast<ui::UIFlashWidget*>(panel->FindChild("help"));
  uitest::FlashCalls().clear();
  help->SetFlashClip("");
  EXPECT_EQ(help->player, nullptr);
  EXPECT_EQ(uitest::FlashCalls(), std::vector<std::string>{"delete"});
  auto* clone = dynamic_cast<ui::UIFlashWidget*>(panel->FindChild("loop")->GetClone());
  ASSERT_NE(clone, nullptr);
  EXPECT_EQ(clone->player, nullptr);  // no file, player or flag is copied
  delete clone;

  ui_.Shutdown();
  EXPECT_EQ(ui_.GetFlashDriver(), nullptr);
}

}  // namespace
