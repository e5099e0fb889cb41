// The game's online score client against the loopback score server on 127.0.0.1 while
// the application keeps stepping: the address from the settings file, the product id,
// the values sent with and without a profile, and the user id made on the first request.

#include "game/shell/KivHighscoreServer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/app/GameRMS.h"
#include "engine/core/ConfigFile.h"
#include "game/shell/KivVars.h"
#include "tests/app/AppTestSupport.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/TestEnv.h"

namespace {

LoopbackServer::Reply Ok(const std::string& body) {
  return {"HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n" + body};
}

// The request line's target ("/DORuvide.rod?Action=...").
std::string TargetOf(const std::string& head) {
  const size_t start = head.find(' ') + 1;
  return head.substr(start, head.find(' ', start) - start);
}

// Answers create_user with 4711 and every other request with one score row.
LoopbackServer::Reply ScoreScript(const std::string& head) {
  if (head.find("Action=create_user") != std::string::npos) return Ok("4711");
  return Ok("Anna@oslo@900");
}

class ScoreServerTest : public apptest::AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    folder_ = testenv::MakeTempDir("score");
    app_ = std::make_unique<apptest::TestApp>(className_, folder_);
    ASSERT_TRUE(app_->CreateAppWindow(className_, 800, 600));
    DrainMessages();
    app_->rms = new GameRMS(folder_ + "/kx_test.rms");
    app_->rms->Load();
    SetApplication(app_.get());
    sleeper_->Clear();
    KivVars::Instance().SetUserID(0);
  }
  void TearDown() override {
    config::ConfigFile::Instance().Shutdown();
    SetApplication(nullptr);
    AppFixture::TearDown();
  }

  // kv.lua naming the loopback server (empty: a file without the setting).
  void LoadSettings(const std::string& server) {
    settings_ = folder_ + "/kv.lua";
    ASSERT_TRUE(testenv::WriteFile(
        settings_, server.empty() ? "Config = {}\n" : "Config = { ScoreServer = \"" + server + "\" }\n"));
    config::ConfigFile::Instance().Load(settings_);
  }
  static std::string Loopback(const LoopbackServer& server) {
    return "http://127.0.0.1:" + std::to_string(server.Port());
  }

  std::string folder_;
  std::string settings_;
};

TEST_F(ScoreServerTest, TheAddressComesFromTheSettingsFileWhichKeepsTheDefault) {
  KivHighscoreServer& scores = KivHighscoreServer::Instance();
  LoadSettings("");
  EXPECT_EQ(scores.GetScriptUrl(), "http://127.0.0.1/DORuvide.rod");
  ASSERT_TRUE(config::ConfigFile::Instance().Save());
  EXPECT_NE(testenv::ReadFile(settings_).find("http://127.0.0.1"), std::string::npos)
      << testenv::ReadFile(settings_);

  LoadSettings("https://scores.example.org:8443/");
  EXPECT_EQ(scores.GetScriptUrl(), "https://scores.example.org:8443/DORuvide.rod");
  EXPECT_EQ(scores.GetPID(), 0);
}

TEST_F(ScoreServerTest, WithoutAProfileTheScoreAndPlayTimeAreSentAsZero) {
  LoopbackServer server(ScoreScript, 1);
  ASSERT_TRUE(server.Ok());
  LoadSettings(Loopback(server));
  KivHighscoreServer& scores = KivHighscoreServer::Instance();
  KivVars::Instance().SetUserID(33);
  std::vector<web::ScoreRow> rows(3);
  ASSERT_TRUE(scores.AddScore(5, 120, rows.data(), 3));
  EXPECT_EQ(rows[0].score, 900);
  const std::vector<std::string> heads = server.Heads();
  ASSERT_EQ(heads.size(), 1u);
  EXPECT_EQ(TargetOf(heads[0]),
            "/DORuvide.rod?Action=add_score&Name=&Location=english&UserID=33&LevelID=5&Score=120"
            "&Highscore=0&PTime=0.000000");
}

TEST_F(ScoreServerTest, TheFirstRequestWithAProfileCreatesTheUserAndUsesItsId) {
  ASSERT_TRUE(app_->rms->AddProfile("Anna", "", "oslo"));
  KivVars& vars = KivVars::Instance();
  vars.store = nullptr;  // the application's store
  vars.SetValue(KivVars::kTotalScore, 5200);
  vars.SetValue(KivVars::kPlayTime, 361);

  LoopbackServer server(ScoreScript, 3);
  ASSERT_TRUE(server.Ok());
  LoadSettings(Loopback(server));
  KivHighscoreServer& scores = KivHighscoreServer::Instance();
  std::vector<web::ScoreRow> rows(3);
  ASSERT_TRUE(scores.AddScore(7, 450, rows.data(), 3));
  EXPECT_EQ(vars.GetUserID(), 4711);
  std::vector<web::TotalScoreRow> totals(3);
  ASSERT_TRUE(scores.GetTotalScore(totals.data(), 3, 2));

  const std::vector<std::string> heads = server.Heads();
  ASSERT_EQ(heads.size(), 3u);
  EXPECT_EQ(TargetOf(heads[0]), "/DORuvide.rod?Action=create_user&Name=Anna&Location=oslo&PID=0");
  EXPECT_EQ(TargetOf(heads[1]),
            "/DORuvide.rod?Action=add_score&Name=Anna&Location=oslo&UserID=4711&LevelID=7&Score=450"
            "&Highscore=5200&PTime=361.000000");
  EXPECT_EQ(TargetOf(heads[2]), "/DORuvide.rod?Action=get_total_score&UserID=4711&TimeFrame=2");
}

}  // namespace
