// The whole game played through by a driver, as a person plays it: the game's own
// application object runs over the packed data from the build, headless, in a child of
// the test process, on a clock that moves a fixed time each frame and with both random
// generators seeded. The driver (tests/e2e/PlaythroughSupport.h) clicks widgets found by
// name at their centres and plays levels with the tests' level player through pointer
// drags. Its route:
//
//   Play without a profile: the settings, where a profile is made by typing its name and
//     home town, then the story's map;
//   "garden": the pause card's help with its movies, then the clock runs out while the
//     player waits (the pause card comes over the tip the clock gives half way), the
//     summary counts, the level starts again;
//   "garden" won with a spell cast, "puzzle" cleared, "bigset" won, each summary counted
//     up with its online rows filled; a piece bought in the fashion popup;
//   the shop: the studio stepped to the piece and the heroine wears it (the studio's tip
//     no longer due); back to the map, which marks the levels won; the story's chapter;
//   the highscores' global list, the trophy room with a trophy shown and the pointer over
//     one not won, the credits; Escape.
//
// Screenshots of the screens are checked at the pixels that show what a player must see.
//
// Afterwards the log, the profile file and the score server are read, and a second run
// with the same seed must give the same scores.

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "engine/app/AppMain.h"
#include "engine/app/GameFlowManager.h"
#include "engine/app/GameRMS.h"
#include "engine/app/ProcessExit.h"
#include "engine/core/Random.h"
#include "engine/graphics/Graphics.h"
#include "engine/ui/UIManager.h"
#include "engine/ui/UIProgress.h"
#include "engine/ui/UIWidget.h"
#include "engine/well/HelpPopup.h"
#include "game/board/KivEndPopup.h"
#include "game/board/KivGameState.h"
#include "game/board/KivHelp.h"
#include "game/board/KivSummary.h"
#include "game/board/KivWell.h"
#include "game/board/LevelInfo.h"
#include "game/shell/KivApp.h"
#include "game/shell/KivFashionStudio.h"
#include "game/shell/KivTrophyScreen.h"
#include "game/shell/KivVars.h"
#include "game/shell/Shell.h"
#include "platform/bass/RecordingBackend.h"
#include "platform/dinput/DInput.h"
#include "platform/win32/MessageQueue.h"
#include "platform/win32/SdlVideo.h"
#include "platform/win32/Time.h"
#include "tests/board/LevelPlayer.h"
#include "tests/e2e/PlaythroughSupport.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/RecordOrder.h"
#include "tests/support/TestEnv.h"

namespace {

namespace fs = std::filesystem;
using playtest::Driver;
using playtest::ScoreBoard;

const std::string kBin = std::string(PELLAVO_BINARY_DIR) + "/bin";

constexpr uint32_t kSeed = 20261211;
// The clock moves this much before each frame while the player acts, and more while
// the player only waits for the level's clock to run out.
constexpr uint32_t kFrameMs = 40;
constexpr uint32_t kWaitingFrameMs = 100;
// A run that has not ended after this many frames or seconds has hung.
constexpr int64_t kMaxFrames = 150000;
constexpr int kRunTimeoutSeconds = 420;
constexpr const char* kPlayerName = "mira";
constexpr const char* kPlayerTown = "lumera";

// --- The game in the test process ---

// The game's application with the driver's turn after each frame and the clock moved
// before it, by the same time every frame.
//
// The summary's score request waits for its answer in steps of its own, as many as the
// loopback server's answer takes in real time, and sleeps between them. Here those
// steps run nothing, and the outermost frame ends at its fixed time however often the
// request slept: the game sees the same frames on every run, and the request still
// gets its answer.
class PlaythroughApp : public KivApp {
 public:
  PlaythroughApp(HINSTANCE instance, const std::string& className, const std::string& settingsPath,
                 const std::string& logPath, Driver& driver, win32::FakeClock& clock,
                 plat::ScriptedEventSource& source, bass::RecordingBackend& sound)
      : KivApp(instance, className, settingsPath, logPath),
        driver_(driver),
        clock_(clock),
        source_(source),
        sound_(sound) {}

  bool Step() override {
    if (depth_ > 0) {
      // A step inside a step: the score request waiting for its answer. It slept 1 ms
      // before each of these steps.
      ++requestSleeps_;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      return !quitting;
    }
    requestSleeps_ = 0;
    clock_.AdvanceMilliseconds(driver_.FrameMilliseconds() - 1);  // the step sleeps the last one
    ++depth_;
    const bool going = KivApp::Step();
    --depth_;
    clock_.Advance(-requestSleeps_ * clock_.Frequency() / 1000);
    sound_.ClearCalls();
    if (going) {
      driver_.OnFrame();
      if (driver_.Finished() || driver_.FrameCount() > kMaxFrames) quitting = true;
    }
    return going && !quitting;
  }

  // The headless window stays at the play area's size.
  bool AllowFullscreen() override { return false; }

  // The two splash pages would hold the start for ten seconds of frames: the player
  // strikes a key now and then while they show, which ends a page.
  void InitAudio() override {
    splash_ = true;
    KivApp::InitAudio();
    splash_ = false;
  }
  bool PumpMessage() override {
    if (splash_) {
      ++splashPumps_;
      if (splashPumps_ % 20 == 10) source_.Key(kSkipKey, true);
      if (splashPumps_ % 20 == 0) source_.Key(kSkipKey, false);
    }
    return KivApp::PumpMessage();
  }

  void OnCreateStates() override {
    // The start-up's splash pages and loading took the same frames on every run, but the
    // generators are seeded here all the same, right before the game's objects exist.
    num::Random::Instance().Seed(kSeed);
    num::CSRand(kSeed);
    KivApp::OnCreateStates();
  }

 private:
  Driver& driver_;
  static constexpr uint8_t kSkipKey = 0x2A;  // left shift: bound to nothing
  win32::FakeClock& clock_;
  plat::ScriptedEventSource& source_;
  bass::RecordingBackend& sound_;
  int depth_ = 0;
  int64_t requestSleeps_ = 0;
  bool splash_ = false;
  int splashPumps_ = 0;
};

// What a run reports to the test process.
struct LevelResult {
  std::string name;
  bool won = false;
  int32_t slot = -1;
  int32_t finalScore = 0;
  int32_t moves = 0;
  int32_t spells = 0;
};

KivGameState* Game() {
  return dynamic_cast<KivGameState*>(gameflow::GameFlowManager::Instance().states.Find("game"));
}

// A screenshot of the next frame, read back.
bool Shot(Driver& driver, const std::string& name, testenv::Bitmap& shot) {
  Graphics* graphics = GetGraphics();
  if (!graphics) return false;
  graphics->TakeScreenshot(name, false);
  if (!driver.Frames(3)) return false;
  if (!shot.Load(name + ".bmp")) return false;
  for (uint32_t& pixel : shot.pixels) pixel &= 0xFFFFFF;
  return shot.width == 800 && shot.height == 600;
}

// The digits of a text as a number (the game may group them).
int64_t DigitsOf(const std::string& text) {
  int64_t value = 0;
  bool any = false;
  for (char c : text) {
    if (c >= '0' && c <= '9') {
      value = value * 10 + (c - '0');
      any = true;
    }
  }
  return any ? value : -1;
}

// Pixels of the shot in a rectangle of play-area fractions, clipped to the shot.
template <typename Visit>
void ForEachPixel(const testenv::Bitmap& shot, float x0, float y0, float x1, float y1, Visit visit) {
  const int left = std::max(0, int(x0 * 800.0f));
  const int top = std::max(0, int(y0 * 600.0f));
  const int right = std::min(shot.width, int(x1 * 800.0f));
  const int bottom = std::min(shot.height, int(y1 * 600.0f));
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) visit(x, y);
  }
}

// The colours in a widget's rectangle: a text or a picture shows several.
size_t ColoursIn(const testenv::Bitmap& shot, const ui::UIWidget* widget) {
  std::set<uint32_t> colours;
  const math::Vec2 at = widget->GetPosition();
  const math::Vec2 size = widget->GetSize();
  ForEachPixel(shot, at.x, at.y, at.x + size.x, at.y + size.y, [&](int x, int y) { colours.insert(shot.At(x, y)); });
  return colours.size();
}

// A scene of its own behind a screen: the play area's left edge, clear of the panels,
// shows many colours, where a bare screen shows its one clear colour.
size_t ColoursAtTheLeftEdge(const testenv::Bitmap& shot) {
  std::set<uint32_t> colours;
  for (int y = 0; y < shot.height; ++y) colours.insert(shot.At(3, y));
  return colours.size();
}

int Brightest(uint32_t pixel) { return std::max({int(pixel >> 16 & 0xFF), int(pixel >> 8 & 0xFF), int(pixel & 0xFF)}); }

class Player {
 public:
  Player(Driver& driver, std::ostream& report) : driver_(driver), report_(report) {}

  void Run() {
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(driver_.Start());
    report_ << "startup seconds " << std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count()
            << "" << std::endl;
    ASSERT_TRUE(driver_.Until([] { return Driver::Settled("menu"); }, 2000)) << Driver::CurrentState();
    ASSERT_NO_FATAL_FAILURE(MakeProfileToPlay());
    ASSERT_NO_FATAL_FAILURE(LoseToTheClock());
    ASSERT_NO_FATAL_FAILURE(WinLevels());
    ASSERT_NO_FATAL_FAILURE(VisitTheShop());
    ASSERT_NO_FATAL_FAILURE(LookAtTheMap());
    ASSERT_NO_FATAL_FAILURE(VisitTheStory());
    ASSERT_NO_FATAL_FAILURE(Go("map_asia", "BackButton", "menu"));
    ASSERT_NO_FATAL_FAILURE(VisitHighscores());
    ASSERT_NO_FATAL_FAILURE(VisitTrophyRoom());
    ASSERT_NO_FATAL_FAILURE(Go("MainMenu", "CreditsButton", "credits"));
    testenv::Bitmap credits;
    EXPECT_TRUE(Shot(driver_, "play_credits", credits));
    // Escape runs the game's own quit.
    driver_.Key(DIK_ESCAPE);
    EXPECT_FALSE(driver_.Frames(50)) << "Escape did not end the game";
  }

 private:
  // Clicks a button and waits for the screen it leads to.
  void Go(const std::string& panel, const std::string& button, const std::string& state) {
    ASSERT_TRUE(driver_.Until([&] { return Driver::Shown(panel, button); }, 500)) << panel << " " << button;
    ASSERT_TRUE(driver_.Click(panel, button));
    ASSERT_TRUE(driver_.Until([&] { return Driver::Settled(state); }, 2000))
        << button << " led to " << Driver::CurrentState() << " instead of " << state;
  }

  void TypeText(const std::string& text) {
    for (char c : text) {
      const uint8_t code = ScanCode(c);
      ASSERT_NE(code, 0) << c;
      ASSERT_TRUE(driver_.Key(code));
    }
  }
  static uint8_t ScanCode(char c) {
    static const char* const kRows[] = {"qwertyuiop", "asdfghjkl", "zxcvbnm"};
    static const uint8_t kFirst[] = {0x10, 0x1E, 0x2C};
    for (int row = 0; row < 3; ++row) {
      if (const char* at = std::strchr(kRows[row], c)) return uint8_t(kFirst[row] + (at - kRows[row]));
    }
    return 0;
  }

  // Play without a profile leads to the settings, whose prompt says to make one first;
  // with the name and the home town typed, Create goes on to the story's map.
  void MakeProfileToPlay() {
    ASSERT_EQ(GetRMS()->GetProfileC(), 0);
    ASSERT_NO_FATAL_FAILURE(Go("MainMenu", "PlayButton", "settings"));
    ASSERT_TRUE(driver_.Until([] { return Driver::Shown("prompt_dlg", "prompt_ok"); }, 100));
    ASSERT_TRUE(driver_.Click("prompt_dlg", "prompt_ok"));
    ASSERT_TRUE(driver_.Frames(3));
    // The name box has the typing again once the prompt is answered.
    ASSERT_NO_FATAL_FAILURE(TypeText(kPlayerName));
    EXPECT_EQ(Driver::TextOf("settings", "ProfileName"), kPlayerName);
    ASSERT_TRUE(driver_.Click("settings", "ProfileTown"));
    ASSERT_NO_FATAL_FAILURE(TypeText(kPlayerTown));
    EXPECT_EQ(Driver::TextOf("settings", "ProfileTown"), kPlayerTown);
    ASSERT_TRUE(driver_.Click("settings", "CreateProfileButton"));
    ASSERT_TRUE(driver_.Until([] { return Driver::Settled("map_asia"); }, 2000)) << Driver::CurrentState();
    ASSERT_NE(GetRMS(), nullptr);
    EXPECT_EQ(GetRMS()->GetProfileC(), 1);
    EXPECT_EQ(GetRMS()->GetName(), kPlayerName);
    EXPECT_EQ(GetRMS()->GetLocation(), kPlayerTown);
  }

  // Opens a level from the story's map, the generators seeded as the player clicks.
  void OpenLevel(const std::string& level) {
    num::Random::Instance().Seed(kSeed);
    num::CSRand(kSeed);
    ASSERT_NO_FATAL_FAILURE(Go("map_asia", "Level_" + level, "game"));
    KivGameState* game = Game();
    ASSERT_NE(game, nullptr);
    EXPECT_EQ(game->GetLevelName(), level);
  }

  // The first level: its help movies from the pause card, then the player waits until
  // the clock has run out. The level starts again by itself.
  void LoseToTheClock() {
    ASSERT_NO_FATAL_FAILURE(OpenLevel("garden"));
    KivGameState* game = Game();
    ASSERT_TRUE(driver_.Until([&] { return !game->IsAnimating() && game->GetBoard(); }, 1000));
    ASSERT_TRUE(DismissPopups(200));
    ASSERT_NO_FATAL_FAILURE(CheckFlowerShown());
    ASSERT_NO_FATAL_FAILURE(WatchHelp());

    driver_.SetFrameMilliseconds(kWaitingFrameMs);
    LevelResult lost;
    ASSERT_NO_FATAL_FAILURE(PlayLevel(false, false, lost));
    driver_.SetFrameMilliseconds(kFrameMs);
    EXPECT_FALSE(lost.won);
    EXPECT_EQ(lost.moves, 0);
    ASSERT_TRUE(driver_.Until([&] { return Driver::Settled("game"); }, 2000));
    EXPECT_EQ(game->GetLevelName(), "garden") << "the lost level starts again";
  }

  // The pause card's help button opens the help popup with its two movies.
  void WatchHelp() {
    ASSERT_TRUE(driver_.Click("in_game", "btn_pause"));
    ASSERT_TRUE(driver_.Until([] { return Driver::Shown("pause", "pause_help"); }, 200));
    ASSERT_TRUE(driver_.Frames(10));
    // The card as it looks with no tip open, for the tip that comes later.
    ASSERT_TRUE(Shot(driver_, "play_pause", pauseCard_));
    ASSERT_TRUE(driver_.Click("pause", "pause_help"));
    ASSERT_TRUE(driver_.Until([] { return Driver::Shown("help_flash", "flash_1"); }, 300));
    ASSERT_TRUE(driver_.Frames(60));
    testenv::Bitmap shot;
    ASSERT_TRUE(Shot(driver_, "play_help", shot));
    // The chain movie's first frame: its left edge is a band of its own colour.
    ui::UIWidget* movie = Driver::Find("help_flash", "flash_1");
    ASSERT_NE(movie, nullptr);
    const int left = int(movie->GetPosition().x * 800.0f);
    const int top = int(movie->GetPosition().y * 600.0f);
    const int bottom = int((movie->GetPosition().y + movie->GetSize().y) * 600.0f);
    EXPECT_TRUE(testenv::ColorNear(shot.At(left + 5, (top + bottom) / 2), 0xD64080, 3))
        << std::hex << shot.At(left + 5, (top + bottom) / 2);
    ASSERT_TRUE(driver_.Click("help_flash", "help_close"));
    ASSERT_TRUE(driver_.Until([] { return !Driver::Shown("help_flash", "help_flash"); }, 300));
    EXPECT_FALSE(Game()->IsPaused());
  }

  // A flower the board shows in a cell: the cell's middle is no longer the board's
  // empty background once a flower sits there.
  void CheckFlowerShown() {
    KivWell* board = Game()->GetBoard();
    ASSERT_NE(board, nullptr);
    // The generator deals the flowers in over the first seconds.
    std::vector<std::pair<int, int>> chain;
    ASSERT_TRUE(driver_.Until([&] { return !(chain = boardtest::FindChain(*board)).empty(); }, 1000));
    testenv::Bitmap shot;
    ASSERT_TRUE(Shot(driver_, "play_board", shot));
    const math::Vec2 cell = board->CellToScreen(chain[0].first, chain[0].second) + board->GetCellSize() * 0.5f;
    // The flowers are drawn in strong colours: the cell's middle is no grey of the board.
    const uint32_t pixel = shot.At(int(cell.x * 800.0f), int(cell.y * 600.0f));
    const int channels[3] = {int(pixel >> 16 & 0xFF), int(pixel >> 8 & 0xFF), int(pixel & 0xFF)};
    const auto [low, high] = std::minmax({channels[0], channels[1], channels[2]});
    EXPECT_GT(high - low, 80) << "no flower in the cell: " << std::hex << pixel;
  }

  // Clicks away what covers the board: tips, trophy popups, prompts. True once nothing
  // does.
  bool DismissPopups(int limit) {
    for (int i = 0; i < limit; ++i) {
      if (Driver::Shown("trophy_popup", "trophy_popup_close")) {
        ++trophiesSeen_;
        if (!driver_.Click("trophy_popup", "trophy_popup_close") || !driver_.Frames(20)) return false;
        continue;
      }
      if (KivHelp* help = KivHelp::Existing(); help && help->ShowsHint()) {
        if (pauseCard_.width > 0 && !tipUnderCardSeen_ && Driver::Settled("game") && !Game()->IsPaused()) {
          PauseOverTip(*help);
          if (::testing::Test::HasFatalFailure()) return false;
          continue;
        }
        // The player reads the tip, then clicks it away.
        if (!driver_.Frames(30) || !driver_.ClickAt(400.0f, 590.0f) || !driver_.Frames(10)) return false;
        continue;
      }
      if (Driver::Shown("prompt_dlg", "prompt_ok")) {
        if (!driver_.Click("prompt_dlg", "prompt_ok")) return false;
        continue;
      }
      if (Driver::Shown("intro_dlg", "intro_ok")) {
        if (!driver_.Click("intro_dlg", "intro_ok")) return false;
        continue;
      }
      return true;
    }
    return false;
  }

  // The pause card over an open tip: the tip stays (under the card) and none of it covers
  // the card, which looks as it does with no tip open.
  void PauseOverTip(KivHelp& help) {
    tipUnderCardSeen_ = true;
    ASSERT_TRUE(driver_.Frames(30));  // the tip opens fully
    auto* tip = dynamic_cast<well::WellDynamicHelp*>(help.GetPopup());
    ASSERT_NE(tip, nullptr);
    ASSERT_TRUE(driver_.Click("in_game", "btn_pause"));
    ASSERT_TRUE(driver_.Until([] { return Driver::Shown("pause", "pause_resume"); }, 200));
    ASSERT_TRUE(driver_.Frames(10));
    EXPECT_TRUE(help.ShowsHint()) << "the tip stays open under the card";
    testenv::Bitmap shot;
    ASSERT_TRUE(Shot(driver_, "play_pause_tip", shot));
    const ui::UIWidget* card = Driver::Find("pause", "pause");
    ASSERT_NE(card, nullptr);
    const math::Vec2 tipEnd = tip->boxPosition + tip->BoxSize();
    const float x0 = std::max(tip->boxPosition.x, card->GetPosition().x);
    const float y0 = std::max(tip->boxPosition.y, card->GetPosition().y);
    const float x1 = std::min(tipEnd.x, card->GetPosition().x + card->GetSize().x);
    const float y1 = std::min(tipEnd.y, card->GetPosition().y + card->GetSize().y);
    size_t total = 0;
    size_t same = 0;
    ForEachPixel(shot, x0, y0, x1, y1, [&](int x, int y) {
      ++total;
      same += bool(testenv::ColorNear(shot.At(x, y), pauseCard_.At(x, y), 40));
    });
    report_ << "tip over the card " << total << " pixels, " << same << " as without the tip" << std::endl;
    EXPECT_GT(total, 500u) << "the tip's box and the card do not meet";
    EXPECT_GE(same * 100, total * 95) << "the tip shows over the pause card";
    ASSERT_TRUE(driver_.Click("pause", "pause_resume"));
    ASSERT_TRUE(driver_.Until([] { return !Game()->IsPaused(); }, 100));
  }

  void WinLevels() {
    for (const char* level : {"garden", "puzzle", "bigset"}) {
      SCOPED_TRACE(level);
      KivGameState* game = Game();
      ASSERT_TRUE(driver_.Until([&] { return Driver::Settled("game") && !game->IsAnimating(); }, 2000));
      ASSERT_EQ(game->GetLevelName(), level) << "the won level before opens the next one";
      LevelResult result;
      ASSERT_NO_FATAL_FAILURE(PlayLevel(true, std::string(level) == "garden", result));
      EXPECT_TRUE(result.won);
      EXPECT_GT(result.finalScore, 0);
    }
    // After the last won level of the three the game goes on (the next level, or the
    // menu when there is none); the player goes back to the map.
    ASSERT_NO_FATAL_FAILURE(BackToMap());
  }

  void BackToMap() {
    ASSERT_TRUE(driver_.Until(
        [] { return Driver::Settled("game") || Driver::Settled("menu") || Driver::Settled("story"); }, 3000));
    if (Driver::Settled("menu")) {
      ASSERT_NO_FATAL_FAILURE(Go("MainMenu", "PlayButton", "map_asia"));
      return;
    }
    if (Driver::Settled("story")) {
      ASSERT_NO_FATAL_FAILURE(Go("story", "StoryContinue", "map_asia"));
      return;
    }
    // A level came next: the player leaves it for the map from the pause card.
    KivGameState* game = Game();
    ASSERT_TRUE(driver_.Until([&] { return !game->IsAnimating() && game->GetBoard(); }, 1000));
    ASSERT_TRUE(DismissPopups(200));
    ASSERT_TRUE(driver_.Click("in_game", "btn_pause"));
    ASSERT_TRUE(driver_.Until([] { return Driver::Shown("pause", "pause_map"); }, 200));
    ASSERT_NO_FATAL_FAILURE(Go("pause", "pause_map", "map_asia"));
  }

  // What may hold an ended level: the end popup's step, the studio, the trophy room, and
  // the panels shown.
  static std::string Describe(KivWell* board) {
    std::ostringstream text;
    auto* popup = board ? dynamic_cast<KivEndPopup*>(board->GetOverlay()) : nullptr;
    text << "popup step " << (popup ? popup->GetStep() : -1) << ", studio "
         << KivFashionStudio::Instance().GetIsVisible();
    if (KivTrophyScreen* room = KivTrophyScreen::Existing()) {
      text << ", room " << room->IsEnabled() << " popup " << room->IsPopupEnabled() << "/" << room->IsPopupVisible();
    }
    text << ", panels:";
    for (ui::UIWidget* panel : ui::GetUIMan().GetPanels()) {
      if (panel && panel->GetIsVisible()) text << " " << panel->GetName();
    }
    return text.str();
  }

  bool SpellReady(int spell) {
    char name[32];
    std::snprintf(name, sizeof name, "specials_%03d", spell);
    auto* bar = dynamic_cast<ui::UIProgress*>(Driver::Find("in_game", name));
    return bar && Driver::Shown(bar) && bar->GetProgress() >= 1.0f;
  }

  static void CellCentre(KivWell& board, const std::pair<int, int>& cell, float& x, float& y) {
    const math::Vec2 at = board.CellToScreen(cell.first, cell.second) + board.GetCellSize() * 0.5f;
    x = at.x * 800.0f;
    y = at.y * 600.0f;
  }

  // Plays the current level to its end and through its summary and popups: with `play`
  // the player drags the chains the level player finds; with `cast` the first full
  // "match" bar is clicked and the spell cast on a flower. Returns once the next level
  // (or the same again) has replaced the ended one, or another screen came.
  void PlayLevel(bool play, bool cast, LevelResult& result) {
    KivGameState* game = Game();
    ASSERT_NE(game, nullptr);
    result.name = game->GetLevelName();
    KivWell* ended = nullptr;
    bool summarySeen = false;
    int wait = 0;
    int32_t maxZen = 0;
    int sinceEnd = 0;
    for (int frame = 0;; ++frame) {
      ASSERT_LT(frame, 40000) << "the level did not end";
      ASSERT_TRUE(driver_.Frames(1));
      if (!DismissPopups(200)) FAIL() << "popups stayed";
      if (Driver::Shown("summary", "summary")) {
        ASSERT_NO_FATAL_FAILURE(ReadSummary(result));
        summarySeen = true;
        continue;
      }
      if (Driver::Shown("buy_popup", "buy_popup")) {
        ASSERT_NO_FATAL_FAILURE(Buy());
        continue;
      }
      if (Driver::Shown("fashion_studio", "fashion_studio")) {
        ASSERT_TRUE(driver_.Click("fashion_studio", "studio_close"));
        continue;
      }
      if (!Driver::Settled("game")) {
        if (ended) break;
        continue;
      }
      KivWell* board = game->GetBoard();
      maxZen = std::max(maxZen, game->GetZen(1));
      if (!ended && board && dynamic_cast<KivEndPopup*>(board->GetOverlay())) {
        ended = board;
        result.won = board->HasWon();
      }
      if (ended) {
        if (summarySeen && (!board || !board->GetOverlay())) break;
        if (++sinceEnd > 1500) {
          FAIL() << "the ended level stays: " << Describe(board);
        }
        continue;
      }
      if (!play || !board || board->GetOverlay() || board->IsTransitionRunning() || game->IsAnimating() ||
          game->IsPaused() || --wait > 0) {
        continue;
      }
      wait = 8;
      const std::vector<std::pair<int, int>> chain = boardtest::FindChain(*board);
      if (chain.empty()) continue;
      float x = 0.0f;
      float y = 0.0f;
      if (cast && result.spells == 0 && SpellReady(1)) {
        // The charged bar shows bright from end to end.
        testenv::Bitmap ready;
        ASSERT_TRUE(Shot(driver_, "play_spell_ready", ready));
        float bx = 0.0f;
        float by = 0.0f;
        Driver::CentreOf(Driver::Find("in_game", "specials_001"), bx, by);
        EXPECT_GT(Brightest(ready.At(int(bx), int(by))), 200) << std::hex << ready.At(int(bx), int(by));
        const int32_t zen = game->GetZen(1);
        ASSERT_TRUE(driver_.Click("in_game", "specials_001"));
        CellCentre(*board, chain.front(), x, y);
        ASSERT_TRUE(driver_.ClickAt(x, y));
        EXPECT_LT(game->GetZen(1), zen) << "the cast spell spent its charge";
        ++result.spells;
        ++result.moves;
        continue;
      }
      CellCentre(*board, chain.front(), x, y);
      ASSERT_TRUE(driver_.PointerTo(x, y));
      ASSERT_TRUE(driver_.Press(true));
      for (const auto& cell : chain) {
        CellCentre(*board, cell, x, y);
        ASSERT_TRUE(driver_.PointerTo(x, y));
      }
      ASSERT_TRUE(driver_.Press(false));
      ++result.moves;
    }
    EXPECT_TRUE(summarySeen) << result.name;
    if (cast) {
      EXPECT_EQ(result.spells, 1) << "no spell was cast in " << result.name;
    }
    if (LevelData* level = LevelInfo::Instance().FindLevel(result.name)) result.slot = level->index - 1;
    report_ << "level " << result.name << " won " << result.won << " score " << result.finalScore << " moves "
            << result.moves << " spells " << result.spells << " slot " << result.slot << "" << std::endl;
    report_ << "zen " << result.name << " " << maxZen << " bar " << SpellReady(1) << "" << std::endl;
    results_.push_back(result);
  }

  // The summary counts its values up one after the other; once it is complete the
  // online rows hold the score server's list, the player's own score among them.
  void ReadSummary(LevelResult& result) {
    KivSummary& summary = KivSummary::Instance();
    std::set<std::string> counted;
    // The frame time is back to the player's before the next level begins, and the frame
    // clock's smoothing has settled on it.
    const bool settle = driver_.FrameMilliseconds() != kFrameMs;
    driver_.SetFrameMilliseconds(kFrameMs);
    for (int frame = 0; !(summary.IsComplete() && !summary.IsWaiting()); ++frame) {
      ASSERT_LT(frame, 3000) << "the summary did not complete: " << Describe(Game()->GetBoard()) << ", step "
                             << summary.GetStep() << ", waiting " << summary.IsWaiting();
      counted.insert(Driver::TextOf("summary", "raw_score_val"));
      ASSERT_TRUE(DismissPopups(200));
      ASSERT_TRUE(driver_.Frames(1));
    }
    result.finalScore = summary.GetValue(KivSummary::kFinalScore);
    EXPECT_EQ(DigitsOf(Driver::TextOf("summary", "final_score_val")), result.finalScore);
    if (summary.GetValue(KivSummary::kRawScore) > 0) {
      EXPECT_GT(counted.size(), 3u) << "the raw score was not counted up";
    }
    if (result.won) {
      // The rows: the rivals and the player, best first.
      bool player = false;
      for (int row = 1; row <= KivSummary::kRowCount; ++row) {
        const std::string name = Driver::TextOf("summary", "highscore_" + std::to_string(row));
        player = player || name == kPlayerName;
        if (row == 1) {
          EXPECT_FALSE(name.empty()) << "no online rows";
        }
      }
      EXPECT_TRUE(player) << "the player's score is not among the online rows";
    }
    testenv::Bitmap shot;
    EXPECT_TRUE(Shot(driver_, "play_summary_" + result.name + (result.won ? "_won" : "_lost"), shot));
    if (settle) {
      ASSERT_TRUE(driver_.Frames(300));
    }
    // Each level the summary leads to starts from the seeded generators, as one opened
    // from the map does.
    num::Random::Instance().Seed(kSeed);
    num::CSRand(kSeed);
    ASSERT_TRUE(driver_.Click("summary", "summary_btn"));
    ASSERT_TRUE(driver_.Until([] { return !Driver::Shown("summary", "summary"); }, 300));
  }

  // The fashion popup after a won level: the first offer is bought once the coins allow.
  void Buy() {
    // The popup grows into place before its buttons take clicks.
    ASSERT_TRUE(driver_.Until([] { return Driver::Shown("buy_popup", "buy_close"); }, 300));
    ASSERT_TRUE(driver_.Frames(30));
    KivVars& vars = KivVars::Instance();
    report_ << "coins " << vars.GetCoins() << " cost " << vars.GetConstant("fashion_cost") << std::endl;
    // The popup opens on a clean page with the price and the coins; Buy takes clicks only
    // while the coins reach the price.
    const int32_t cost = vars.GetConstant("fashion_cost");
    EXPECT_EQ(Driver::TextOf("buy_popup", "buy_price"), "Price: " + std::to_string(cost));
    EXPECT_EQ(Driver::TextOf("buy_popup", "buy_coins"), "Coins: " + std::to_string(vars.GetCoins()));
    EXPECT_EQ(Driver::TextOf("buy_popup", "item_name"), "");
    EXPECT_EQ(Driver::Find("buy_popup", "buy1")->GetIsActive(), vars.GetCoins() >= cost);
    if (!popupSeen_) {
      popupSeen_ = true;
      testenv::Bitmap shot;
      ASSERT_TRUE(Shot(driver_, "play_buy", shot));
      EXPECT_GT(ColoursIn(shot, Driver::Find("buy_popup", "buy_price")), 3u) << "no price on the popup";
    }
    if (bought_ || vars.GetCoins() < vars.GetConstant("fashion_cost")) {
      ASSERT_TRUE(driver_.Click("buy_popup", "buy_close"));
      ASSERT_TRUE(driver_.Until([] { return !Driver::Shown("buy_popup", "buy_popup"); }, 300));
      return;
    }
    const int32_t owned[3] = {vars.GetValue(KivVars::kHeadOwned), vars.GetValue(KivVars::kUpperOwned),
                              vars.GetValue(KivVars::kLowerOwned)};
    const int32_t coins = vars.GetCoins();
    ASSERT_TRUE(driver_.Click("buy_popup", "buy1"));
    ASSERT_TRUE(driver_.Until([] { return !Driver::Shown("buy_popup", "buy_popup"); }, 300));
    EXPECT_EQ(vars.GetCoins(), coins - vars.GetConstant("fashion_cost"));
    const int32_t ownedIndex[3] = {KivVars::kHeadOwned, KivVars::kUpperOwned, KivVars::kLowerOwned};
    for (int slot = 0; slot < 3; ++slot) {
      const uint32_t added = uint32_t(vars.GetValue(ownedIndex[slot])) & ~uint32_t(owned[slot]);
      if (added == 0) continue;
      boughtSlot_ = slot;
      boughtPiece_ = __builtin_ctz(added) + 1;
    }
    ASSERT_GE(boughtSlot_, 0) << "no piece was added";
    bought_ = true;
    report_ << "bought slot " << boughtSlot_ << " piece " << boughtPiece_ << "" << std::endl;
    // The studio opens over the level to try it on.
    EXPECT_TRUE(driver_.Until([] { return Driver::Shown("fashion_studio", "fashion_studio"); }, 300));
  }

  // The shop: the studio opens over the heroine; the player steps the bought piece's
  // slot until she wears it, then closes the studio and the shop sends her to the map.
  void VisitTheShop() {
    ASSERT_TRUE(bought_) << "nothing was bought after the levels";
    ASSERT_NO_FATAL_FAILURE(Go("map_asia", "ShopButton", "shop"));
    ASSERT_TRUE(driver_.Until([] { return Driver::Shown("fashion_studio", "studio_close"); }, 500));
    ASSERT_TRUE(driver_.Frames(30));
    ui::UIWidget* place = Driver::Find("fashion_studio", "hana_pos");
    ASSERT_NE(place, nullptr);
    testenv::Bitmap before;
    ASSERT_TRUE(Shot(driver_, "play_studio_before", before));
    // Each slot's box shows the piece she wears there, each slot named.
    for (const char* slot : {"head", "upper", "lower"}) {
      ui::UIWidget* box = Driver::Find("fashion_studio", std::string(slot) + "_box");
      ASSERT_NE(box, nullptr);
      EXPECT_TRUE(Driver::Shown(box)) << slot;
      size_t drawn = 0;
      ForEachPixel(before, box->GetPosition().x, box->GetPosition().y, box->GetPosition().x + box->GetSize().x,
                   box->GetPosition().y + box->GetSize().y, [&](int x, int y) {
                     const uint32_t pixel = before.At(x, y);
                     drawn += std::min({int(pixel >> 16 & 0xFF), int(pixel >> 8 & 0xFF), int(pixel & 0xFF)}) < 170;
                   });
      EXPECT_GT(drawn, 40u) << "an empty box for the " << slot;
      EXPECT_NE(Driver::TextOf("fashion_studio", std::string(slot) + "_desc"), "Not available") << slot;
    }

    static const char* const kSlots[3] = {"head", "upper", "lower"};
    const int32_t wornIndex[3] = {KivVars::kHeadWorn, KivVars::kUpperWorn, KivVars::kLowerWorn};
    KivVars& vars = KivVars::Instance();
    for (int step = 0; step < 8 && vars.GetValue(wornIndex[boughtSlot_]) != boughtPiece_; ++step) {
      ASSERT_TRUE(driver_.Click("fashion_studio", std::string(kSlots[boughtSlot_]) + "_next"));
      ASSERT_TRUE(driver_.Frames(5));
    }
    EXPECT_EQ(vars.GetValue(wornIndex[boughtSlot_]), boughtPiece_) << "the studio never showed the bought piece";
    // Her new clothes tried on, no level sends her to the studio for them any more.
    EXPECT_FALSE(KivHelp::Instance().ShouldShowHint(KivHelp::kStudioTip)) << "the studio's tip is still due";
    ASSERT_TRUE(driver_.Frames(30));
    testenv::Bitmap after;
    ASSERT_TRUE(Shot(driver_, "play_studio_after", after));
    // The heroine inside "hana_pos" wears something else now.
    const int left = int(place->GetPosition().x * 800.0f);
    const int top = int(place->GetPosition().y * 600.0f);
    const int right = int((place->GetPosition().x + place->GetSize().x) * 800.0f);
    const int bottom = int((place->GetPosition().y + place->GetSize().y) * 600.0f);
    size_t changed = 0;
    for (int y = top; y < bottom; ++y) {
      for (int x = left; x < right; ++x) changed += !testenv::ColorNear(before.At(x, y), after.At(x, y), 8);
    }
    EXPECT_GT(changed, 200u) << "the heroine looks the same";
    report_ << "studio pixels changed " << changed << "" << std::endl;

    ASSERT_TRUE(driver_.Click("fashion_studio", "studio_close"));
    ASSERT_TRUE(driver_.Until([] { return Driver::Settled("map_asia"); }, 2000)) << Driver::CurrentState();
  }

  // The story's map marks the levels won (green, with a tick) beside those only open, and
  // shows its scene behind.
  void LookAtTheMap() {
    ASSERT_TRUE(driver_.Until([] { return Driver::Settled("map_asia"); }, 500));
    ASSERT_TRUE(driver_.Frames(20));
    testenv::Bitmap shot;
    ASSERT_TRUE(Shot(driver_, "play_map", shot));
    EXPECT_GT(ColoursAtTheLeftEdge(shot), 20u) << "no scene behind the map";
    for (const char* level : {"garden", "puzzle", "bigset", "lantern"}) {
      ui::UIWidget* button = Driver::Find("map_asia", std::string("Level_") + level);
      ASSERT_NE(button, nullptr);
      const int x = int((button->GetPosition().x + button->GetSize().x * 0.1f) * 800.0f);
      const int y = int((button->GetPosition().y + button->GetSize().y * 0.7f) * 600.0f);
      const uint32_t pixel = shot.At(x, y);
      const int red = int(pixel >> 16 & 0xFF);
      const int green = int(pixel >> 8 & 0xFF);
      const bool won = std::string(level) != "lantern";
      EXPECT_EQ(green > red, won) << level << " " << std::hex << pixel;
    }
  }

  // The story's chapter, over a scene of its own.
  void VisitTheStory() {
    ASSERT_NO_FATAL_FAILURE(Go("map_asia", "StoryButton", "story"));
    ASSERT_TRUE(driver_.Frames(30));
    testenv::Bitmap shot;
    ASSERT_TRUE(Shot(driver_, "play_story", shot));
    EXPECT_GT(ColoursAtTheLeftEdge(shot), 20u) << "no scene behind the story";
    EXPECT_FALSE(Driver::TextOf("story", "StoryTitle").empty());
    ASSERT_NO_FATAL_FAILURE(Go("story", "StoryContinue", "map_asia"));
  }

  void VisitTrophyRoom() {
    EXPECT_GT(trophiesSeen_, 0) << "no trophy was won on the way";
    ASSERT_NO_FATAL_FAILURE(Go("MainMenu", "TrophiesButton", "trophies"));
    ASSERT_TRUE(driver_.Until([] { return Driver::Shown("trophy_screen", "trophy_close"); }, 500));
    ASSERT_TRUE(driver_.PointerTo(795.0f, 595.0f));
    // Every trophy won on the way is revealed, one a second.
    ASSERT_TRUE(driver_.Until([] { return KivTrophyScreen::Instance().RevealCount() == 0; }, 1000));
    ASSERT_TRUE(driver_.Frames(10));
    testenv::Bitmap shot;
    ASSERT_TRUE(Shot(driver_, "play_trophies", shot));
    EXPECT_GT(ColoursAtTheLeftEdge(shot), 20u) << "no scene behind the trophy room";
    int32_t won = 0;
    int32_t locked = 0;
    for (int32_t trophy = 1; trophy <= KivVars::kTrophyCount; ++trophy) {
      const bool has = KivVars::Instance().HasTrophy(trophy);
      won += has;
      if (!has && locked == 0) locked = trophy;
    }
    EXPECT_GT(won, 0);
    report_ << "trophies " << won << "" << std::endl;
    // The pointer over a trophy not won: the icon does not light up as won, and the
    // tooltip says it is not won yet.
    ASSERT_GT(locked, 0);
    ui::UIWidget* icon = Driver::Find("trophy_screen", "trophy_" + std::to_string(locked));
    ASSERT_NE(icon, nullptr);
    float ix = 0.0f;
    float iy = 0.0f;
    Driver::CentreOf(icon, ix, iy);
    ASSERT_TRUE(driver_.PointerTo(ix, iy));
    ASSERT_TRUE(driver_.Frames(10));
    testenv::Bitmap over;
    ASSERT_TRUE(Shot(driver_, "play_trophy_locked", over));
    size_t total = 0;
    size_t same = 0;
    ForEachPixel(over, icon->GetPosition().x, icon->GetPosition().y, icon->GetPosition().x + icon->GetSize().x,
                 icon->GetPosition().y + icon->GetSize().y, [&](int x, int y) {
                   ++total;
                   same += bool(testenv::ColorNear(over.At(x, y), shot.At(x, y), 8));
                 });
    EXPECT_GE(same * 100, total * 95) << "trophy " << locked << " looks different under the pointer";
    EXPECT_EQ(Driver::TextOf("trophy_screen", "tooltip_desc").rfind("Not won yet:", 0), 0u)
        << Driver::TextOf("trophy_screen", "tooltip_desc");
    // The room's close runs its close command: back to the menu, the room put away.
    ASSERT_NO_FATAL_FAILURE(Go("trophy_screen", "trophy_close", "menu"));
    EXPECT_FALSE(KivTrophyScreen::Instance().IsEnabled());
    EXPECT_FALSE(Driver::Shown("trophy_screen", "trophy_close"));
  }

  void VisitHighscores() {
    ASSERT_NO_FATAL_FAILURE(Go("MainMenu", "HighscoresButton", "highscore"));
    ASSERT_TRUE(driver_.Click("highscore", "tab_global"));
    ASSERT_TRUE(driver_.Until([] { return !Driver::TextOf("highscore", "name_1").empty(); }, 500));
    ASSERT_TRUE(driver_.Frames(20));
    // The best total is the rivals' or the player's, whichever is higher.
    int64_t total = 0;
    for (const LevelResult& level : results_) total += level.finalScore;
    report_ << "global first " << Driver::TextOf("highscore", "name_1") << " "
            << Driver::TextOf("highscore", "score_1") << "" << std::endl;
    EXPECT_FALSE(Driver::TextOf("highscore", "score_1").empty());
    testenv::Bitmap shot;
    ASSERT_TRUE(Shot(driver_, "play_highscores", shot));
    // The first row's name is drawn: its box holds text pixels of more than one colour.
    ui::UIWidget* name = Driver::Find("highscore", "name_1");
    ASSERT_NE(name, nullptr);
    std::set<uint32_t> colours;
    for (int y = int(name->GetPosition().y * 600.0f); y < int((name->GetPosition().y + name->GetSize().y) * 600.0f); ++y) {
      for (int x = int(name->GetPosition().x * 800.0f); x < int((name->GetPosition().x + name->GetSize().x) * 800.0f);
           ++x) {
        colours.insert(shot.At(x, y));
      }
    }
    EXPECT_GT(colours.size(), 3u);
    // The title stands on one line in the panel's top band: its white letters are inside
    // its box, and none stand above the panel in its columns.
    ui::UIWidget* title = Driver::Find("highscore", "highscore_title");
    ui::UIWidget* panel = Driver::Find("highscore", "highscore");
    ASSERT_TRUE(title && panel);
    const auto letters = [&](int top, int bottom) {
      size_t count = 0;
      for (int y = std::max(top, 0); y < bottom; ++y) {
        for (int x = int(title->GetPosition().x * 800.0f); x < int((title->GetPosition().x + title->GetSize().x) * 800.0f);
             ++x) {
          count += shot.At(x, y) == 0xFFFFFFu;
        }
      }
      return count;
    };
    const int titleTop = int(title->GetPosition().y * 600.0f);
    EXPECT_GT(letters(titleTop, int((title->GetPosition().y + title->GetSize().y) * 600.0f)), 500u);
    EXPECT_EQ(letters(0, int(panel->GetPosition().y * 600.0f)), 0u) << "the title runs out of its band";
    ASSERT_NO_FATAL_FAILURE(Go("highscore", "highscore_back", "menu"));
  }

  Driver& driver_;
  std::ostream& report_;
  std::vector<LevelResult> results_;
  int trophiesSeen_ = 0;
  testenv::Bitmap pauseCard_;
  bool tipUnderCardSeen_ = false;
  bool popupSeen_ = false;
  bool bought_ = false;
  int boughtSlot_ = -1;
  int32_t boughtPiece_ = 0;
};

// One run, in a child process: the game in the working folder, its saves in dataHome;
// what the player saw goes to report. The child's exit status says whether every check
// held.
void PlayInChild(const std::string& work, const std::string& dataHome, const std::string& reportPath) {
  if (chdir(work.c_str()) != 0) _exit(3);
  setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
  setenv("LANG", "en_US.UTF-8", 1);
  std::ofstream report(reportPath);
  // Sounds are played on a silent back end whose channels play until stopped. On the
  // mixer they end in real time, and a sound that is played again once it has ended
  // draws the game's generator (a sound's file is picked at random) on as many frames
  // as the output thread took.
  bass::RecordingBackend sound;
  bass::ScopedBackend soundScope(sound);
  {
    EXPECT_TRUE(plat::EnsureVideo());
    plat::MessageQueue::Instance().Reset();
    win32::FakeClock clock;
    win32::FakeSleeper sleeper(&clock);
    plat::ScriptedEventSource source;
    num::Random::Instance().Seed(kSeed);
    num::CSRand(kSeed);
    Driver driver(source);
    driver.SetFrameMilliseconds(kFrameMs);
    Player player(driver, report);
    std::thread playing([&] {
      player.Run();
      driver.Finish();
    });
    const auto start = std::chrono::steady_clock::now();
    const int status = RunApplication("Pellavo playthrough", [&](HINSTANCE instance, const std::string& className,
                                                                 const std::string& settingsPath,
                                                                 const std::string& logPath) {
      return new PlaythroughApp(instance, className, settingsPath, logPath, driver, clock, source, sound);
    });
    driver.OnGameEnded();
    playing.join();
    EXPECT_EQ(status, kExitNormal);
    report << "frames " << driver.FrameCount() << "" << std::endl;
    report << "seconds " << std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() << "" << std::endl;
  }
  ShutdownShellObjects();
  ShutdownProcessObjects();
  report.close();
  std::fflush(stdout);
  _exit(::testing::Test::HasFailure() ? 1 : 0);
}

// Runs one playthrough in a child and waits for it.
int RunChild(const std::string& work, const std::string& dataHome, const std::string& reportPath) {
  std::fflush(stdout);
  const pid_t child = fork();
  if (child == 0) PlayInChild(work, dataHome, reportPath);
  if (child < 0) return -1;
  const auto start = std::chrono::steady_clock::now();
  int status = 0;
  for (;;) {
    if (waitpid(child, &status, WNOHANG) == child) break;
    if (std::chrono::steady_clock::now() - start > std::chrono::seconds(kRunTimeoutSeconds)) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
      ADD_FAILURE() << "the playthrough did not end within " << kRunTimeoutSeconds << " s";
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (WIFSIGNALED(status)) ADD_FAILURE() << "the playthrough ended on signal " << WTERMSIG(status);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The lines of a report that start with a word.
std::vector<std::string> Lines(const std::string& text, const std::string& word) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind(word + " ", 0) == 0) lines.push_back(line);
  }
  return lines;
}

// kv.log's lines without their source prefix.
std::vector<std::string> LogLines(const std::string& path) {
  std::vector<std::string> lines;
  std::istringstream in(testenv::ReadFile(path));
  for (std::string line; std::getline(in, line);) {
    const size_t prefix = line.find(")> ");
    lines.push_back(prefix == std::string::npos ? line : line.substr(prefix + 3));
  }
  return lines;
}

// A working folder with what the build places beside the program: the packed archive,
// the start-up settings, the language files, the movies and the animations.
std::string PrepareWorkFolder() {
  const std::string work = testenv::MakeTempDir("play");
  for (const auto& entry : fs::directory_iterator(kBin)) {
    const std::string name = entry.path().filename().string();
    if (entry.is_directory()) {
      if (name == "swfcache" || name == "swfsamples") continue;
      fs::copy(entry.path(), work + "/" + name, fs::copy_options::recursive);
    } else if (name == KivApp::kArchive || name == "config.ini" || entry.path().extension() == ".avi") {
      fs::copy_file(entry.path(), work + "/" + name);
    }
  }
  return work;
}

TEST(Playthrough, ThePlayerGoesFromTheMenuThroughLevelsShopAndScreensToTheCreditsTwiceAlike) {
  ASSERT_TRUE(fs::exists(kBin + "/" + KivApp::kArchive)) << "the build packs the archive beside the program";
  ScoreBoard board;
  LoopbackServer server([&board](const std::string& head) { return board.Answer(head); }, 400);
  ASSERT_TRUE(server.Ok());

  std::vector<std::string> runs;
  for (int run = 0; run < 2; ++run) {
    SCOPED_TRACE("run " + std::to_string(run + 1));
    const std::string work = PrepareWorkFolder();
    const std::string dataHome = testenv::MakeTempDir("playxdg");
    const std::string saves = dataHome + "/Hovrik/";
    fs::create_directories(saves);
    ASSERT_TRUE(testenv::WriteFile(saves + "kv.lua", "Config = { ScoreServer = \"http://127.0.0.1:" +
                                                         std::to_string(server.Port()) + "\" }\n"));
    board.Clear();
    const std::string reportPath = work + "/report.txt";
    EXPECT_EQ(RunChild(work, dataHome, reportPath), 0);
    const std::string report = testenv::ReadFile(reportPath);
    std::printf("%s", report.c_str());
    runs.push_back(report);

    // The log: no error at all (the settings file is there from the start), and nothing
    // missing.
    const std::vector<std::string> log = LogLines(saves + "kv.log");
    for (const std::string& line : log) {
      if (line.find("[MSG_ERROR]") == std::string::npos && line.find("Unable to load") == std::string::npos) continue;
      ADD_FAILURE() << "log: " << line;
    }
    EXPECT_EQ(recordtest::FindFrom(log, "[MSG_FATAL]"), std::string::npos);

    // The profile file holds what the player won and bought.
    GameRMS rms(saves + "kx_hovrik.rms");
    rms.Load();
    ASSERT_EQ(rms.GetProfileC(), 1);
    const GameRMS::ProfileRecord* profile = rms.GetCurrentProfileRecord();
    ASSERT_NE(profile, nullptr);
    EXPECT_EQ(std::string(profile->name), kPlayerName);
    EXPECT_GT(profile->values[KivVars::kCoins], 0);
    EXPECT_NE(profile->values[KivVars::kHeadOwned] | profile->values[KivVars::kUpperOwned] |
                  profile->values[KivVars::kLowerOwned],
              0);
    int trophies = 0;
    for (int32_t state : profile->trophies) trophies += state > 0;
    EXPECT_GT(trophies, 0);
    const std::vector<std::string> levels = Lines(report, "level");
    for (const std::string& line : levels) {
      if (line.find(" won 1 ") == std::string::npos) continue;
      const int slot = std::atoi(line.substr(line.find(" slot ") + 6).c_str());
      ASSERT_GE(slot, 0) << line;
      EXPECT_GE(profile->levels[slot].state, KivVars::kLevelCleared) << line;
      // The server holds the won level's score.
      const int score = std::atoi(line.substr(line.find(" score ") + 7).c_str());
      bool held = false;
      for (const ScoreBoard::Entry& entry : board.Scores()) held = held || (entry.name == kPlayerName && entry.score == score);
      EXPECT_TRUE(held) << "the server has no score " << score;
    }
    EXPECT_EQ(levels.size(), 4u) << report;
    // The player's scores go to the server with the home town typed in the settings.
    for (const ScoreBoard::Entry& entry : board.Scores()) {
      if (entry.name == kPlayerName) {
        EXPECT_EQ(entry.location, kPlayerTown);
      }
    }
    for (const char* screen : {"play_pause_tip", "play_spell_ready", "play_buy", "play_map", "play_story",
                               "play_trophy_locked", "play_highscores", "play_studio_before"}) {
      EXPECT_TRUE(fs::exists(work + "/" + screen + ".bmp")) << screen;
    }
  }
  ASSERT_EQ(runs.size(), 2u);
  // One seed, the same scores.
  EXPECT_EQ(Lines(runs[0], "level"), Lines(runs[1], "level")) << "one seed, other scores";
}

}  // namespace
