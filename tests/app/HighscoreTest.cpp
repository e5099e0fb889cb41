// The online highscore client: reply parsers, query building and the URL split, then whole
// requests against a loopback HTTP server on 127.0.0.1 while the application keeps
// stepping: a success, refused connections and empty replies (30 tries each), a slow
// server given up after 30 s of frame time, quitting during a wait, and requests refused
// while one runs. Every server here serves a bounded number of connections.

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engine/app/GameRMS.h"
#include "engine/app/HighscoreServer.h"
#include "engine/app/HttpClient.h"
#include "engine/app/WebRequest.h"
#include "engine/core/Timer.h"
#include "tests/app/AppTestSupport.h"
#include "tests/core/LogCapture.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/TestEnv.h"

namespace {

using web::HighscoreServer;
using web::HttpClient;
using web::ScoreRow;
using web::TotalScoreRow;
using web::WebRequest;

// --- Replies ---

TEST(HighscoreReplyTest, ScoreRowsFillInWireOrderAndTheRestAreCleared) {
  struct Case {
    const char* reply;
    std::vector<ScoreRow> want;  // of 5 rows
  };
  const ScoreRow empty;
  const Case cases[] = {
      {"Ann@oslo@100@Bo@rome@90", {{"Ann", "oslo", 100}, {"Bo", "rome", 90}, empty, empty, empty}},
      // An empty field shifts the ones after it.
      {"Anna@@5000", {{"Anna", "5000", 0}, empty, empty, empty, empty}},
      {"@@Ann@oslo@7@@", {{"Ann", "oslo", 7}, empty, empty, empty, empty}},
      {"Ann@oslo", {{"Ann", "oslo", 0}, empty, empty, empty, empty}},
      {"Ann@oslo@ 12abc", {{"Ann", "oslo", 12}, empty, empty, empty, empty}},
      {"", {empty, empty, empty, empty, empty}},
  };
  for (const Case& c : cases) {
    std::vector<ScoreRow> rows(5, ScoreRow{"old", "old", 1});
    HighscoreServer::ParseScore(rows.data(), 5, c.reply);
    for (size_t i = 0; i < 5; ++i) {
      EXPECT_EQ(rows[i].name, c.want[i].name) << c.reply << " row " << i;
      EXPECT_EQ(rows[i].location, c.want[i].location) << c.reply << " row " << i;
      EXPECT_EQ(rows[i].score, c.want[i].score) << c.reply << " row " << i;
    }
  }

  // Rows beyond the count are never touched; fields beyond them are ignored.
  std::vector<ScoreRow> rows(3, ScoreRow{"old", "old", 1});
  HighscoreServer::ParseScore(rows.data(), 2, "a@b@1@c@d@2@e@f@3");
  EXPECT_EQ(rows[1].name, "c");
  EXPECT_EQ(rows[2].name, "old");
}

TEST(HighscoreReplyTest, TotalScoreRowsStartWithThePosition) {
  std::vector<TotalScoreRow> rows(10, TotalScoreRow{"old", "old", 1, 1});
  HighscoreServer::ParseTotalScore("1@Ann@oslo@500@2@Bo@rome@400@3@Cy", 10, rows.data());
  EXPECT_EQ(rows[0].position, 1);
  EXPECT_EQ(rows[0].name, "Ann");
  EXPECT_EQ(rows[0].location, "oslo");
  EXPECT_EQ(rows[0].score, 500);
  EXPECT_EQ(rows[1].position, 2);
  EXPECT_EQ(rows[1].score, 400);
  EXPECT_EQ(rows[2].position, 3);
  EXPECT_EQ(rows[2].name, "Cy");
  EXPECT_EQ(rows[2].location, "");
  EXPECT_EQ(rows[2].score, 0);
  for (size_t i = 3; i < 10; ++i) {
    EXPECT_EQ(rows[i].name, "") << i;
    EXPECT_EQ(rows[i].position, 0) << i;
  }
}

TEST(HighscoreReplyTest, NumbersReadAsAtoiReadsThem) {
  struct Case {
    const char* text;
    int32_t want;
  };
  for (const Case& c : {Case{"4711", 4711}, Case{"  42", 42}, Case{"\t\n-7x", -7}, Case{"+3", 3}, Case{"abc12", 0},
                        Case{"", 0}, Case{"- 5", 0}, Case{"99999999999", INT32_MAX},
                        Case{"-99999999999", INT32_MIN}, Case{"-2147483648", INT32_MIN}}) {
    EXPECT_EQ(HighscoreServer::ParseInt(c.text), c.want) << c.text;
  }
}

TEST(HighscoreReplyTest, TheErrorMarkerCountsAnywhere) {
  for (const char* reply : {"@@Error@@", "12@@Error@@x", "Ann@oslo@@@Error@@@"}) {
    EXPECT_TRUE(HighscoreServer::IsError(reply)) << reply;
  }
  for (const char* reply : {"", "@@error@@", "@Error@", "Ann@oslo@5"}) {
    EXPECT_FALSE(HighscoreServer::IsError(reply)) << reply;
  }
}

// --- Queries and URLs ---

TEST(HighscoreQueryTest, ValuesArePercentEncodedSoTheyCannotAddParameters) {
  EXPECT_EQ(WebRequest::BuildQuery("http://h/DORuvide.rod", {}), "http://h/DORuvide.rod");
  EXPECT_EQ(WebRequest::BuildQuery("http://h/s", {{"Action", "create_user"}, {"PID", "0"}}),
            "http://h/s?Action=create_user&PID=0");
  struct Case {
    const char* value;
    const char* encoded;
  };
  for (const Case& c : {Case{"Bo & Co", "Bo%20%26%20Co"}, Case{"a=b", "a%3Db"}, Case{"x?y", "x%3Fy"},
                        Case{"me@home", "me%40home"}, Case{"100%", "100%25"}, Case{"Ann&Score=999", "Ann%26Score%3D999"},
                        Case{"plain-name_1.0~", "plain-name_1.0~"}, Case{"Zo\xC3\xAB", "Zo%C3%AB"},
                        Case{"a+b#c/d", "a%2Bb%23c%2Fd"}}) {
    EXPECT_EQ(WebRequest::BuildQuery("u", {{"Name", c.value}}), std::string("u?Name=") + c.encoded) << c.value;
  }
}

TEST(HighscoreQueryTest, ParametersKeepTheirOrderAndFormats) {
  WebRequest request;
  request.AddParam("S", std::string("text"));
  request.AddParam("I", -12);
  request.AddParam("F", 1.5f);
  const std::vector<std::pair<std::string, std::string>> want = {{"S", "text"}, {"I", "-12"}, {"F", "1.500000"}};
  EXPECT_EQ(request.GetParams(), want);
  request.ClearParams();
  EXPECT_TRUE(request.GetParams().empty());
}

TEST(HighscoreQueryTest, UrlsSplitIntoSchemeHostPortPathAndQuery) {
  struct Case {
    const char* url;
    bool ok;
    const char* scheme;
    const char* host;
    int32_t port;
    const char* path;
    const char* query;
    const char* target;
  };
  const Case cases[] = {
      {"http://scores.example/DORuvide.rod", true, "http", "scores.example", 80, "/DORuvide.rod", "", "/DORuvide.rod"},
      {"http://h/a/b?x=1&y=2", true, "http", "h", 80, "/a/b", "x=1&y=2", "/a/b?x=1&y=2"},
      {"127.0.0.1:8080/s.rod?q", true, "HTTP", "127.0.0.1", 8080, "/s.rod", "q", "/s.rod?q"},
      {"http://host", true, "http", "host", 80, "/", "", "/"},
      {"http://host?x=1", true, "http", "host", 80, "/", "x=1", "/?x=1"},
      {"http://[::1]:81/x", true, "http", "[::1]", 81, "/x", "", "/x"},
      {"", false, "", "", 0, "", "", ""},
      {"http:///x", false, "", "", 0, "", "", ""},
      {"http://:80/x", false, "", "", 0, "", "", ""},
      {"http://h:0/x", false, "", "", 0, "", "", ""},
      {"http://h:65536/x", false, "", "", 0, "", "", ""},
      {"http://h:8o/x", false, "", "", 0, "", "", ""},
  };
  for (const Case& c : cases) {
    web::Url url;
    ASSERT_EQ(HttpClient::ParseUrl(c.url, url), c.ok) << c.url;
    if (!c.ok) continue;
    EXPECT_EQ(url.scheme, c.scheme) << c.url;
    EXPECT_EQ(url.host, c.host) << c.url;
    EXPECT_EQ(url.port, c.port) << c.url;
    EXPECT_EQ(url.path, c.path) << c.url;
    EXPECT_EQ(url.query, c.query) << c.url;
    EXPECT_EQ(HttpClient::BuildTarget(url), c.target) << c.url;
  }
}

// --- Requests against a loopback server ---

LoopbackServer::Reply Ok(const std::string& body) { return {"HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n" + body}; }

// The request line's target ("/DORuvide.rod?Action=...").
std::string TargetOf(const std::string& head) {
  const size_t start = head.find(' ') + 1;
  return head.substr(start, head.find(' ', start) - start);
}

class TestServer : public HighscoreServer {
 public:
  explicit TestServer(uint16_t port) : url("http://127.0.0.1:" + std::to_string(port) + "/DORuvide.rod") {}
  void OnError(const std::string& reply) override {
    errors.push_back(reply);
    HighscoreServer::OnError(reply);
  }
  std::string GetScriptUrl() override { return url; }
  void SetUserID(int32_t id) override { userId = id; }
  int32_t GetUserID() override { return userId; }
  int32_t GetPID() override { return 0; }
  int32_t GetHighscore() override { return 777; }
  double GetPlayTime() override { return 12.25; }

  std::string url;
  int32_t userId = 0;
  std::vector<std::string> errors;
};

// An application whose frames can run test code (onFrame) while a request waits.
using WaitingApp = apptest::TestApp;

class HighscoreTest : public apptest::AppFixture {
 protected:
  void TearDown() override {
    SetApplication(nullptr);
    AppFixture::TearDown();
  }

  // The application with a profile store whose current profile is Anna of Oslo.
  WaitingApp& MakeWaitingApp() {
    const std::string folder = testenv::MakeTempDir("hs");
    auto app = std::make_unique<WaitingApp>(className_, folder);
    WaitingApp& waiting = *app;
    app_ = std::move(app);
    EXPECT_TRUE(app_->CreateAppWindow(className_, 800, 600));
    DrainMessages();
    EXPECT_FALSE(app_->paused);
    app_->rms = new GameRMS(folder + "/kx_test.rms");
    app_->rms->Load();
    app_->rms->AddProfile("Anna", "", "oslo");
    SetApplication(app_.get());
    sleeper_->Clear();
    return waiting;
  }

  size_t SleepsOf(uint32_t milliseconds) const {
    size_t count = 0;
    for (uint32_t each : sleeper_->Calls()) count += each == milliseconds;
    return count;
  }

  // Waits (in real time, for at most a hang guard) until every given-up worker has ended.
  static bool WorkersEnd() {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (WebRequest::Instance().AbandonedWorkers() != 0) {
      if (std::chrono::steady_clock::now() > until) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
  }
};

TEST_F(HighscoreTest, AScoreIsSentAfterTheUserIsCreatedAndItsReplyIsRead) {
  WaitingApp& app = MakeWaitingApp();
  app.rms->AddProfile("Bo & Co=1?x@y z", "", "oslo/n");
  LoopbackServer server(
      [](const std::string& head) {
        if (head.find("Action=create_user") != std::string::npos) return Ok("4711");
        if (head.find("Action=add_score") != std::string::npos) return Ok("Ann@oslo@900@Bo@rome@800");
        return Ok("1@Ann@oslo@5000");
      },
      3);
  ASSERT_TRUE(server.Ok());
  TestServer scores(server.Port());

  std::vector<ScoreRow> rows(5, ScoreRow{"old", "old", 1});
  ASSERT_TRUE(scores.AddScore(12, 345, rows.data(), 5));
  EXPECT_EQ(scores.userId, 4711);
  EXPECT_EQ(rows[0].name, "Ann");
  EXPECT_EQ(rows[1].score, 800);
  EXPECT_EQ(rows[2].name, "");
  std::vector<TotalScoreRow> totals(10);
  ASSERT_TRUE(scores.GetTotalScore(totals.data(), 10, 1));
  EXPECT_EQ(totals[0].score, 5000);
  EXPECT_TRUE(scores.errors.empty());

  const std::vector<std::string> heads = server.Heads();
  ASSERT_EQ(heads.size(), 3u);
  // The awkward name arrives as one parameter, whole.
  EXPECT_EQ(TargetOf(heads[0]),
            "/DORuvide.rod?Action=create_user&Name=Bo%20%26%20Co%3D1%3Fx%40y%20z&Location=oslo%2Fn&PID=0");
  EXPECT_EQ(TargetOf(heads[1]),
            "/DORuvide.rod?Action=add_score&Name=Bo%20%26%20Co%3D1%3Fx%40y%20z&Location=oslo%2Fn&UserID=4711"
            "&LevelID=12&Score=345&Highscore=777&PTime=12.250000");
  EXPECT_EQ(TargetOf(heads[2]), "/DORuvide.rod?Action=get_total_score&UserID=4711&TimeFrame=1");
  EXPECT_EQ(heads[0].rfind("GET ", 0), 0u);
  EXPECT_NE(heads[0].find(" HTTP/1.0\r\n"), std::string::npos);
  EXPECT_NE(heads[0].find("User-Agent: VARNOK\r\n"), std::string::npos);
  EXPECT_NE(heads[0].find("Accept: */*\r\n"), std::string::npos);
}

TEST_F(HighscoreTest, AUserReplyThatIsNoNumberGivesNoId) {
  MakeWaitingApp();
  LoopbackServer server([](const std::string&) { return Ok("Welcome 12"); }, 1);
  TestServer scores(server.Port());
  EXPECT_EQ(scores.CreateUser("Anna", "oslo"), 0);
  EXPECT_EQ(scores.userId, 0);
  EXPECT_EQ(server.Heads().size(), 1u);
}

TEST_F(HighscoreTest, TheErrorMarkerInAReplyFailsTheOperationAndIsLogged) {
  MakeWaitingApp();
  LoopbackServer server([](const std::string&) { return Ok("12@@Error@@ no such level"); }, 2);
  TestServer scores(server.Port());
  LogCapture log;
  EXPECT_EQ(scores.CreateUser("Anna", "oslo"), 0);
  scores.userId = 5;
  std::vector<ScoreRow> rows(5, ScoreRow{"old", "old", 1});
  EXPECT_FALSE(scores.AddScore(1, 2, rows.data(), 5));
  EXPECT_EQ(rows[0].name, "old");
  EXPECT_EQ(scores.errors, (std::vector<std::string>{"12@@Error@@ no such level", "12@@Error@@ no such level"}));
  EXPECT_EQ(log.Count("12@@Error@@ no such level  [MSG_ERROR]"), 2u) << log.All();
}

// Nothing listens: every try fails at once, 30 tries with 100 ms between them (on the fake
// sleeper), and the request fails rather than answering with nothing. The log says what
// failed, not a bare "@@Error@@".
TEST_F(HighscoreTest, ARefusedConnectionIsTriedThirtyTimesThenFails) {
  MakeWaitingApp();
  const uint16_t port = LoopbackServer::UnusedPort();
  TestServer scores(port);
  scores.userId = 9;
  std::vector<TotalScoreRow> rows(10);
  LogCapture log;
  EXPECT_FALSE(scores.GetTotalScore(rows.data(), 10, 0));
  EXPECT_EQ(SleepsOf(100), 30u);
  ASSERT_EQ(scores.errors.size(), 1u);
  EXPECT_EQ(scores.errors[0].rfind("Score request get_total_score failed: 30 tries brought no reply (the last: 127.0.0.1:" +
                                       std::to_string(port) + " did not answer",
                                   0),
            0u)
      << scores.errors[0];
  EXPECT_EQ(log.Count("Score request get_total_score failed: "), 1u) << log.All();
  EXPECT_FALSE(log.Contains("@@Error@@")) << log.All();

  sleeper_->Clear();
  EXPECT_EQ(scores.CreateUser("Anna", "oslo"), 0);
  EXPECT_EQ(SleepsOf(100), 30u);
}

TEST_F(HighscoreTest, EmptyRepliesAreFailedTriesAndThirtyOfThemFail) {
  MakeWaitingApp();
  LoopbackServer server([](const std::string&) { return Ok(""); }, 30);
  TestServer scores(server.Port());
  scores.userId = 9;
  std::vector<ScoreRow> rows(5);
  EXPECT_FALSE(scores.AddScore(1, 2, rows.data(), 5));
  EXPECT_EQ(server.Heads().size(), 30u);
  EXPECT_EQ(scores.errors,
            std::vector<std::string>{"Score request add_score failed: 30 tries brought no reply (the last: the reply was empty)"});
}

// An error page is no reply of the score script: its text must not turn into score rows.
// Each try that gets one fails, and the line names the status.
TEST_F(HighscoreTest, AReplyWithAnErrorStatusIsAFailedTryAndItsStatusIsLogged) {
  MakeWaitingApp();
  LoopbackServer server(
      [](const std::string&) { return LoopbackServer::Reply{"HTTP/1.0 503 Service Unavailable\r\n\r\nAnn@oslo@900"}; },
      30);
  TestServer scores(server.Port());
  scores.userId = 9;
  std::vector<ScoreRow> rows(5, ScoreRow{"old", "old", 1});
  LogCapture log;
  EXPECT_FALSE(scores.AddScore(1, 2, rows.data(), 5));
  EXPECT_EQ(server.Heads().size(), 30u);
  EXPECT_EQ(rows[0].name, "old");
  EXPECT_EQ(log.Count("Score request add_score failed: 30 tries brought no reply (the last: the server answered with "
                      "status 503)  [MSG_ERROR]"),
            1u)
      << log.All();
}

// The server takes the request and never finishes its answer: it sends a header line
// every half second, so that the worker's own wait (5 s without a line) never ends it,
// however long the frames take in real time. The frames advance the fake clock by 100 ms each, so 30 s of
// frame time pass in about 300 frames; then the request is given up, its worker is
// stopped, and the next request is not disturbed by it.
TEST_F(HighscoreTest, ASlowServerIsGivenUpAfterThirtySecondsOfFrameTime) {
  WaitingApp& app = MakeWaitingApp();
  app.onFrame = [this] { clock_->AdvanceMilliseconds(100); };
  LoopbackServer slow(
      [](const std::string&) {
        std::string lines = "HTTP/1.0 200 OK\r\n";
        for (int i = 0; i < 200; ++i) lines += "X:1\r\n";
        return LoopbackServer::Reply{lines, true, 100};
      },
      1);
  TestServer scores(slow.Port());
  scores.userId = 9;
  std::vector<TotalScoreRow> rows(10, TotalScoreRow{"old", "old", 1, 1});
  EXPECT_FALSE(scores.GetTotalScore(rows.data(), 10, 2));
  EXPECT_EQ(scores.errors, std::vector<std::string>{"Score request get_total_score failed: no answer after 30 seconds of "
                                                    "frame time and 100 ms more; the request is given up"});
  EXPECT_EQ(rows[0].name, "old");
  EXPECT_GE(app.frames, 300);
  EXPECT_LT(app.frames, 400);
  EXPECT_FALSE(WebRequest::Instance().IsRunning());
  EXPECT_TRUE(WorkersEnd());

  LoopbackServer next([](const std::string&) { return Ok("1@Bo@rome@42"); }, 1);
  scores.url = TestServer(next.Port()).url;
  ASSERT_TRUE(scores.GetTotalScore(rows.data(), 10, 2));
  EXPECT_EQ(rows[0].name, "Bo");
  EXPECT_EQ(rows[0].score, 42);
}

TEST_F(HighscoreTest, QuittingEndsTheWait) {
  WaitingApp& app = MakeWaitingApp();
  app.closeOnFrame = 5;
  LoopbackServer silent([](const std::string&) { return LoopbackServer::Reply{"", true}; }, 1);
  TestServer scores(silent.Port());
  EXPECT_EQ(scores.CreateUser("Anna", "oslo"), 0);
  EXPECT_TRUE(app.quitting);
  EXPECT_LE(app.frames, 6);
  EXPECT_EQ(scores.errors,
            std::vector<std::string>{"Score request create_user failed: the game is quitting; the request is given up"});
  EXPECT_TRUE(WorkersEnd());
}

TEST_F(HighscoreTest, RequestsMadeWhileOneWaitsAreRefusedAtOnce) {
  WaitingApp& app = MakeWaitingApp();
  // The reply waits until the frame has made its requests.
  ReplyGate made;
  LoopbackServer server(
      [made](const std::string&) {
        made.Wait();
        return Ok("4711");
      },
      1);
  TestServer scores(server.Port());
  TestServer other(server.Port());
  other.userId = 3;
  std::vector<std::string> nested;
  app.onFrame = [&] {
    if (!nested.empty()) return;
    ScoreRow row;
    TotalScoreRow total;
    nested.push_back("running " + std::to_string(WebRequest::Instance().IsRunning()));
    nested.push_back("create " + std::to_string(other.CreateUser("X", "Y")));
    nested.push_back("add " + std::to_string(other.AddScore(1, 1, &row, 1)));
    nested.push_back("total " + std::to_string(other.GetTotalScore(&total, 1, 0)));
    nested.push_back("send " + WebRequest::Instance().Send());
    made.Open();
  };
  EXPECT_EQ(scores.CreateUser("Anna", "oslo"), 4711);
  EXPECT_EQ(nested, (std::vector<std::string>{"running 1", "create 0", "add 0", "total 0", "send @@Error@@"}));
  EXPECT_EQ(server.Heads().size(), 1u);
  EXPECT_TRUE(other.errors.empty());
}

TEST_F(HighscoreTest, WithoutAProfileStoreNoUserIsCreated) {
  WaitingApp& app = MakeWaitingApp();
  delete app.rms;
  app.rms = nullptr;
  TestServer scores(LoopbackServer::UnusedPort());
  ScoreRow row;
  EXPECT_EQ(scores.ObtainUserID(), 0);
  EXPECT_FALSE(scores.AddScore(1, 1, &row, 1));
  EXPECT_TRUE(sleeper_->Calls().empty());  // no request was made
}

}  // namespace
