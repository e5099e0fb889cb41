// The highscore screen on the shell's test stage over a profile store and a clock the
// test sets: the local list (ties, zero scores, the three time frames), the table's rows,
// tabs and title; and the global list against the loopback score server while the
// application keeps stepping frames: a reply, a failure (or no server) prompting once and
// leaving the list with its tabs and title, a slow reply after the player left, leaving and
// coming back, and a second click while the first waits.

#include "game/shell/KivHighscoreState.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/app/GameFlowManager.h"
#include "engine/app/GameRMS.h"
#include "engine/core/ConfigFile.h"
#include "engine/ui/UIManager.h"
#include "game/shell/KivVars.h"
#include "tests/app/AppTestSupport.h"
#include "tests/shell/ShellUITest.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/TestEnv.h"

namespace {

constexpr int64_t kNow = 1'800'000'000;
constexpr int64_t kHour = 3600;
constexpr int64_t kDay = 24 * kHour;

class HighscoreStateTest : public shelltest::ShellUITest {
 protected:
  void SetUp() override {
    ShellUITest::SetUp();
    folder_ = testenv::MakeTempDir("highscore");
    rms_ = std::make_unique<GameRMS>(folder_ + "/kx_test.rms");
    rms_->Load();
    KivVars& vars = KivVars::Instance();
    vars.store = rms_.get();
    vars.clock = [] { return kNow; };
    vars.SetUserID(33);  // no create_user before the requests
    Run("prompts = 0 function CreatePrompt(key, text) prompts = prompts + 1 lastPrompt = key end");

    state_ = std::make_unique<KivHighscoreState>(nullptr, "", "", "", "");
    table_ = MakePanel("highscore");
    for (int n = 1; n <= 10; ++n) {
      for (const char* column : {"position_", "name_", "hometown_", "score_"}) {
        MakeChild(table_, column + std::to_string(n), math::Vec2(0.0f, n * 0.04f), math::Vec2(0.1f, 0.04f));
      }
    }
    for (const char* tab : {"tab_today", "tab_week", "tab_forever", "tab_local", "tab_global", "highscore_title"}) {
      MakeChild(table_, tab, math::Vec2(0.0f, 0.0f), math::Vec2(0.1f, 0.04f));
    }
    state_->AttachPanel(table_);
  }
  void TearDown() override {
    state_.reset();
    KivVars& vars = KivVars::Instance();
    vars.store = nullptr;
    vars.clock = nullptr;
    vars.SetUserID(0);
    ShellUITest::TearDown();
  }

  // A profile with its total score, updated `age` seconds ago.
  void AddProfile(const std::string& name, const std::string& town, int32_t score, int64_t age) {
    ASSERT_TRUE(rms_->AddProfile(name, "", town));
    rms_->GetCurrentProfileRecord()->values[KivVars::kTotalScore] = score;
    rms_->GetCurrentProfileRecord()->values[KivVars::kTotalScoreTime] = static_cast<int32_t>(kNow - age);
  }
  std::string Text(const std::string& widget) const { return table_->GetWidgetByName(widget)->GetText(); }
  // The table's row n as "position name hometown score".
  std::string RowText(int n) const {
    const std::string i = std::to_string(n);
    return Text("position_" + i) + " " + Text("name_" + i) + " " + Text("hometown_" + i) + " " + Text("score_" + i);
  }
  // The tabs that take clicks, as a string of their names.
  std::string ActiveTabs() const {
    std::string active;
    for (const char* tab : {"tab_today", "tab_week", "tab_forever", "tab_local", "tab_global"}) {
      if (table_->GetWidgetByName(tab)->GetIsActive()) active += std::string(active.empty() ? "" : " ") + tab;
    }
    return active;
  }
  // The tabs that look chosen: the one in use (which takes no clicks and shows its
  // highlight) and one the pointer lights (its over or click picture is the highlight).
  std::string LitTabs() const {
    std::string lit;
    for (const char* tab : {"tab_today", "tab_week", "tab_forever", "tab_local", "tab_global"}) {
      const ui::UIWidget* widget = table_->GetWidgetByName(tab);
      if (!widget->GetIsActive() || widget->state != ui::UIWidget::IS_Off) lit += std::string(lit.empty() ? "" : " ") + tab;
    }
    return lit;
  }
  // What a click leaves on a tab: the pointer on it, its over picture shown.
  void PointerOn(const char* tab) { table_->GetWidgetByName(tab)->state = ui::UIWidget::IS_Over; }

  std::string folder_;
  std::unique_ptr<GameRMS> rms_;
  std::unique_ptr<KivHighscoreState> state_;
  ui::UIWidget* table_ = nullptr;
};

TEST_F(HighscoreStateTest, TheLocalListRanksTheProfilesOfTheTimeFrame) {
  AddProfile("Anna", "oslo", 500, 2 * kDay);
  AddProfile("Bo", "rome", 1234567, kHour);
  AddProfile("Cy", "lima", 500, 10 * kDay);  // ties with Anna, whose index is lower
  AddProfile("Di", "kyiv", 0, 0);           // no points: never listed
  rms_->SetProfile(3);
  ASSERT_TRUE(state_->OnEnter());
  EXPECT_EQ(rms_->GetCurrentProfile(), 3) << "the current profile stays";

  EXPECT_EQ(RowText(1), "1. Bo rome 1,234,567");
  EXPECT_EQ(RowText(2), "2. Anna oslo 500");
  EXPECT_EQ(RowText(3), "3. Cy lima 500");
  EXPECT_EQ(RowText(4), "4. EMPTY_HS_NAME_SLOT  0");
  EXPECT_EQ(RowText(10), "10. EMPTY_HS_NAME_SLOT  0");
  EXPECT_EQ(Text("highscore_title"), "HIGHSCORE_LOCAL");
  // The tabs in use (for ever, local) take no clicks.
  EXPECT_EQ(ActiveTabs(), "tab_today tab_week tab_global");

  state_->HighscoreTab(1);  // this week: Cy's update is ten days old
  EXPECT_EQ(RowText(2), "2. Anna oslo 500");
  EXPECT_EQ(RowText(3), "3. EMPTY_HS_NAME_SLOT  0");
  EXPECT_EQ(ActiveTabs(), "tab_today tab_forever tab_global");
  state_->HighscoreTab(2);  // today: only Bo
  EXPECT_EQ(RowText(1), "1. Bo rome 1,234,567");
  EXPECT_EQ(RowText(2), "2. EMPTY_HS_NAME_SLOT  0");
  EXPECT_EQ(state_->GetRow(1).position, 0);

  // The time frame is kept across visits.
  state_->OnExit();
  ASSERT_TRUE(state_->OnEnter());
  EXPECT_EQ(state_->GetTimeFrame(), 2);
  EXPECT_EQ(RowText(1), "1. Bo rome 1,234,567");
  EXPECT_EQ(ActiveTabs(), "tab_week tab_forever tab_global");
  EXPECT_EQ(Global("prompts"), "0");
}

TEST_F(HighscoreStateTest, GetHighscoreIsTheCurrentHighscoreScreenOnly) {
  gameflow::GameFlowManager& flow = gameflow::GameFlowManager::Instance();
  GameState* before = flow.current;
  flow.current = nullptr;
  EXPECT_EQ(GetHighscore(), nullptr);
  flow.current = state_.get();
  EXPECT_EQ(GetHighscore(), state_.get());
  Run("hs = GetHighscore() hs:SetLocalHS() isHs = hs ~= nil");
  EXPECT_EQ(Global("isHs"), "true");
  KivMenuScreen other(nullptr, "", "", "", "");
  flow.current = &other;
  EXPECT_EQ(GetHighscore(), nullptr);
  flow.current = before;
}

// The application steps frames while a request waits; the test's callback runs in them.
class SteppingApp : public apptest::TestApp {
 public:
  using TestApp::TestApp;
  bool Frame() override {
    ++frames;
    if (onFrame) onFrame(frames);
    return true;
  }
  std::function<void(int)> onFrame;
};

// The application test stage (message queue, clocks, input) around the shell's stage.
class AppStage : public apptest::AppFixture {
 public:
  void TestBody() override {}
  void Start() { SetUp(); }
  void Stop() { TearDown(); }
};

class HighscoreOnlineTest : public HighscoreStateTest {
 protected:
  void SetUp() override {
    // The input devices first: the screen's keyboard listener keeps the device it found.
    stage_ = std::make_unique<AppStage>();
    stage_->Start();
    HighscoreStateTest::SetUp();
    app_ = std::make_unique<SteppingApp>("Pellavo HighscoreOnlineTest", folder_);
    ASSERT_TRUE(app_->CreateAppWindow("Pellavo HighscoreOnlineTest", 800, 600));
    app_->paused = false;
    SetApplication(app_.get());
    connecting_ = MakePanel(KivHighscoreState::kConnectingPanel);
    connecting_->SetIsVisible(true);
    AddProfile("Anna", "oslo", 700, kHour);
  }
  void TearDown() override {
    config::ConfigFile::Instance().Shutdown();
    SetApplication(nullptr);
    app_.reset();
    HighscoreStateTest::TearDown();
    stage_->Stop();
  }

  // kv.lua naming the loopback server, or a port of 127.0.0.1 where nothing listens.
  void UseServer(const LoopbackServer& server) { UseServer(server.Port()); }
  void UseServer(uint16_t port) {
    const std::string settings = folder_ + "/kv.lua";
    ASSERT_TRUE(testenv::WriteFile(settings, "Config = { ScoreServer = \"http://127.0.0.1:" +
                                                 std::to_string(port) + "\" }\n"));
    config::ConfigFile::Instance().Load(settings);
  }
  static LoopbackServer::Reply Reply(const std::string& body) {
    return {"HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n" + body};
  }
  // The reply once the gate opens: the test opens it from the frames its request waits
  // through, after the frames it needs have run.
  static LoopbackServer::Reply ReplyAfter(const ReplyGate& gate, const std::string& body) {
    gate.Wait();
    return Reply(body);
  }
  bool ConnectingShownOnTop() const {
    return connecting_->GetIsVisible() && ui_.GetPanels().back() == connecting_;
  }

  std::unique_ptr<AppStage> stage_;
  std::unique_ptr<SteppingApp> app_;
  ui::UIWidget* connecting_ = nullptr;
};

constexpr const char* kTwoRows = "1@Zoe@paris@90000@2@Yan@bern@1200";

TEST_F(HighscoreOnlineTest, TheGlobalListIsShownAfterAReplyAndEachTabAsksAgain) {
  ReplyGate waited;
  LoopbackServer server([waited](const std::string&) { return ReplyAfter(waited, kTwoRows); }, 2);
  ASSERT_TRUE(server.Ok());
  UseServer(server);
  ASSERT_TRUE(state_->OnEnter());
  EXPECT_FALSE(connecting_->GetIsVisible()) << "hidden on entry";
  EXPECT_EQ(RowText(1), "1. Anna oslo 700");

  bool shownWhileWaiting = false;
  app_->onFrame = [&](int) {
    shownWhileWaiting = shownWhileWaiting || ConnectingShownOnTop();
    waited.Open();
  };
  state_->SetGlobalHS();
  EXPECT_TRUE(shownWhileWaiting);
  EXPECT_FALSE(connecting_->GetIsVisible());
  EXPECT_EQ(ui_.GetPanels().front(), connecting_) << "sent to the back";
  EXPECT_TRUE(state_->IsGlobal());
  EXPECT_EQ(RowText(1), "1. Zoe paris 90,000");
  EXPECT_EQ(RowText(2), "2. Yan bern 1,200");
  EXPECT_EQ(RowText(3), "3. EMPTY_HS_NAME_SLOT  0");
  EXPECT_EQ(Text("highscore_title"), "HIGHSCORE_GLOBAL");
  EXPECT_EQ(ActiveTabs(), "tab_today tab_week tab_local");

  // A time frame chosen while the global list is shown asks the server again.
  state_->HighscoreTab(2);
  const std::vector<std::string> heads = server.Heads();
  ASSERT_EQ(heads.size(), 2u);
  EXPECT_NE(heads[0].find("Action=get_total_score&UserID=33&TimeFrame=0 "), std::string::npos) << heads[0];
  EXPECT_NE(heads[1].find("TimeFrame=2 "), std::string::npos) << heads[1];
  EXPECT_EQ(Global("prompts"), "0");

  // Back to the local list.
  state_->SetLocalHS();
  EXPECT_FALSE(state_->IsGlobal());
  EXPECT_EQ(RowText(1), "1. Anna oslo 700");
}

// The global list cannot be had (the server answers with an error, or nothing listens):
// the prompt says so, and the screen goes on showing the local list under its own lit tab
// and title; the Global tab just clicked does not stay lit beside it.
TEST_F(HighscoreOnlineTest, AFailedRequestPromptsOnceAndLeavesTheListItsTabAndTitle) {
  for (const bool listening : {true, false}) {
    SCOPED_TRACE(listening ? "the server answers with an error" : "no server");
    std::unique_ptr<LoopbackServer> server;
    if (listening) {
      server = std::make_unique<LoopbackServer>([](const std::string&) { return Reply("@@Error@@"); }, 1);
      ASSERT_TRUE(server->Ok());
      UseServer(*server);
    } else {
      UseServer(LoopbackServer::UnusedPort());
    }
    Run("prompts = 0");
    ASSERT_TRUE(state_->OnEnter());
    PointerOn("tab_global");
    state_->SetGlobalHS();
    EXPECT_EQ(Global("prompts"), "1");
    EXPECT_EQ(Global("lastPrompt"), "CONNECTION_FAIL");
    EXPECT_FALSE(state_->IsGlobal());
    EXPECT_EQ(RowText(1), "1. Anna oslo 700");
    EXPECT_FALSE(connecting_->GetIsVisible());
    EXPECT_EQ(LitTabs(), "tab_forever tab_local");
    EXPECT_EQ(ActiveTabs(), "tab_today tab_week tab_global") << "Global can be tried again";
    EXPECT_EQ(Text("highscore_title"), "HIGHSCORE_LOCAL");
    state_->OnExit();
  }
}

// A time frame chosen while the global list is shown, whose request fails: the list of
// the frame before stays, and so do its tab and the time frame.
TEST_F(HighscoreOnlineTest, AFailedTimeFrameKeepsTheFrameWhoseListIsShown) {
  int replies = 0;
  LoopbackServer server([&replies](const std::string&) { return Reply(replies++ == 0 ? kTwoRows : "@@Error@@"); }, 2);
  ASSERT_TRUE(server.Ok());
  UseServer(server);
  ASSERT_TRUE(state_->OnEnter());
  state_->SetGlobalHS();
  ASSERT_TRUE(state_->IsGlobal());
  PointerOn("tab_today");
  state_->HighscoreTab(2);
  EXPECT_EQ(Global("prompts"), "1");
  EXPECT_EQ(state_->GetTimeFrame(), 0);
  EXPECT_TRUE(state_->IsGlobal());
  EXPECT_EQ(RowText(1), "1. Zoe paris 90,000");
  EXPECT_EQ(LitTabs(), "tab_forever tab_global");
  EXPECT_EQ(Text("highscore_title"), "HIGHSCORE_GLOBAL");
}

// What the player does in the frames while the request waits, and what the screen shows
// once the reply is in.
TEST_F(HighscoreOnlineTest, AReplyForAVisitThePlayerLeftChangesNothing) {
  const struct {
    const char* what;
    const char* reply;
    std::function<void(KivHighscoreState&, int)> during;
  } cases[] = {
      {"left, the reply a failure", "@@Error@@",
       [](KivHighscoreState& s, int frame) {
         if (frame == 2) s.OnExit();
       }},
      {"left, the reply a list", kTwoRows,
       [](KivHighscoreState& s, int frame) {
         if (frame == 2) s.OnExit();
       }},
      {"left and came back", kTwoRows,
       [](KivHighscoreState& s, int frame) {
         if (frame == 2) s.OnExit();
         if (frame == 3) s.OnEnter();
       }},
  };
  for (const auto& c : cases) {
    const std::string reply = c.reply;
    ReplyGate played;  // the reply comes once the player has done the case's steps
    LoopbackServer server([reply, played](const std::string&) { return ReplyAfter(played, reply); }, 1);
    ASSERT_TRUE(server.Ok());
    UseServer(server);
    Run("prompts = 0");
    ASSERT_TRUE(state_->OnEnter());
    app_->frames = 0;
    app_->onFrame = [&](int frame) {
      c.during(*state_, frame);
      if (frame == 3) played.Open();
    };
    state_->SetGlobalHS();
    app_->onFrame = nullptr;
    EXPECT_EQ(Global("prompts"), "0") << c.what;
    EXPECT_FALSE(state_->IsGlobal()) << c.what;
    EXPECT_EQ(RowText(1), "1. Anna oslo 700") << c.what;
    EXPECT_FALSE(connecting_->GetIsVisible()) << c.what;
    EXPECT_FALSE(state_->IsRequestWaiting()) << c.what;
    state_->OnExit();
  }
}

TEST_F(HighscoreOnlineTest, ClicksWhileARequestWaitsStartNoSecondRequest) {
  ReplyGate clicked;
  LoopbackServer server([clicked](const std::string&) { return ReplyAfter(clicked, kTwoRows); }, 2);
  ASSERT_TRUE(server.Ok());
  UseServer(server);
  ASSERT_TRUE(state_->OnEnter());
  app_->onFrame = [&](int frame) {
    if (frame != 2) return;
    EXPECT_TRUE(state_->IsRequestWaiting());
    state_->SetGlobalHS();
    state_->HighscoreTab(1);
    state_->SetLocalHS();
    clicked.Open();
  };
  state_->SetGlobalHS();
  app_->onFrame = nullptr;
  EXPECT_EQ(server.Heads().size(), 1u);
  EXPECT_EQ(Global("prompts"), "0");
  EXPECT_TRUE(state_->IsGlobal());
  EXPECT_EQ(state_->GetTimeFrame(), 0);
  EXPECT_EQ(RowText(1), "1. Zoe paris 90,000");
  // Once it is in, the tabs work again.
  state_->HighscoreTab(1);
  EXPECT_EQ(server.Heads().size(), 2u);
}

}  // namespace
