#include "platform/wininet/WinInet.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/LoopbackServer.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

LoopbackServer::Reply Ok(const std::string& body, const std::string& status = "200 OK") {
  return {"HTTP/1.0 " + status + "\r\nContent-Type: text/plain\r\n\r\n" + body, false};
}

std::string Pattern(std::size_t size) {
  std::string text(size, '\0');
  for (std::size_t i = 0; i < size; ++i) text[i] = static_cast<char>('a' + (i * 7 + i / 251) % 26);
  return text;
}

std::vector<std::string> HeaderLines(const std::string& head) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < head.size()) {
    std::size_t end = head.find("\r\n", pos);
    if (end == std::string::npos || end == pos) break;
    lines.push_back(head.substr(pos, end - pos));
    pos = end + 2;
  }
  return lines;
}

// The highscore client's calls in its order: a session with its agent, a connection with
// the 5000 ms connect time-out, a GET request with HTTP/1.0 and the accept-type list, the
// Accept header replaced, the send, and the body read into a 65535-byte buffer.
struct ClientRun {
  bool connected = false;
  bool sent = false;
  std::string body;
};

class Client {
 public:
  explicit Client(std::uint16_t port) {
    internet_ = InternetOpenA("VARNOK", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, "", 0);
    connection_ = InternetConnectA(internet_, "127.0.0.1", port, "", "", INTERNET_SERVICE_HTTP,
                                   0x4400000, 0);
    std::uint32_t timeout = 5000;
    InternetSetOptionA(connection_, INTERNET_OPTION_CONNECT_TIMEOUT, &timeout, 4);
  }
  ~Client() {
    InternetCloseHandle(request_);
    InternetCloseHandle(connection_);
    InternetCloseHandle(internet_);
  }

  HINTERNET Connection() const { return connection_; }

  ClientRun Get(const std::string& target) {
    ClientRun run;
    run.connected = internet_ && connection_;
    const char* accept[] = {"*/*", nullptr};
    HINTERNET request = HttpOpenRequestA(connection_, "GET", target.c_str(), "HTTP/1.0", "",
                                         accept, 0x4400000, 0);
    if (!request) return run;
    InternetCloseHandle(request_);
    request_ = request;
    if (!HttpAddRequestHeadersA(request, "Accept: */*\r\n", 13, HTTP_ADDREQ_FLAG_REPLACE)) {
      return run;
    }
    run.sent = HttpSendRequestA(request, nullptr, 0, nullptr, 0);
    run.body = ReadResponse(request);
    return run;
  }

  static std::string ReadResponse(HINTERNET request) {
    std::vector<char> buffer(65536);
    std::uint32_t total = 0;
    while (total < 65535) {
      std::uint32_t got = 0;
      InternetReadFile(request, buffer.data() + total, 65535 - total, &got);
      if (got == 0) break;
      total += got;
    }
    return std::string(buffer.data(), total);
  }

 private:
  HINTERNET internet_ = nullptr;
  HINTERNET connection_ = nullptr;
  HINTERNET request_ = nullptr;
};

TEST(WinInet, GetSendsTheClientsRequestAndReceivesTheBody) {
  LoopbackServer server([](const std::string&) { return Ok("1234@Ann@english@99"); }, 1);
  ASSERT_TRUE(server.Ok());
  Client client(server.Port());

  ClientRun run = client.Get("/DORuvide.rod?Action=create_user&Name=Ann&PID=0");
  EXPECT_TRUE(run.connected);
  EXPECT_TRUE(run.sent);
  EXPECT_EQ(run.body, "1234@Ann@english@99");

  ASSERT_EQ(server.Heads().size(), 1u);
  std::vector<std::string> lines = HeaderLines(server.Heads()[0]);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0], "GET /DORuvide.rod?Action=create_user&Name=Ann&PID=0 HTTP/1.0");
  int accepts = 0, agents = 0, hosts = 0;
  for (const std::string& line : lines) {
    if (line.rfind("Accept:", 0) == 0) {
      ++accepts;
      EXPECT_EQ(line, "Accept: */*");
    }
    if (line.rfind("User-Agent:", 0) == 0) {
      ++agents;
      EXPECT_EQ(line, "User-Agent: VARNOK");
    }
    if (line.rfind("Host:", 0) == 0) {
      ++hosts;
      EXPECT_EQ(line, "Host: 127.0.0.1:" + std::to_string(server.Port()));
    }
  }
  EXPECT_EQ(accepts, 1);
  EXPECT_EQ(agents, 1);
  EXPECT_EQ(hosts, 1);
}

TEST(WinInet, BodiesAsTheClientReadsThem) {
  const std::string big = Pattern(100000);
  struct Case {
    const char* name;
    LoopbackServer::Reply reply;
    std::string body;  // what the 65535-byte read loop ends with
  } cases[] = {
      {"empty body", Ok(""), ""},
      {"error status keeps its body", Ok("not here", "404 Not Found"), "not here"},
      {"length given", {"HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\nhello", false}, "hello"},
      {"interim reply first", {"HTTP/1.1 100 Continue\r\n\r\n" + Ok("after").bytes, false}, "after"},
      {"long body cut at 65535", Ok(big), big.substr(0, 65535)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LoopbackServer server([&](const std::string&) { return c.reply; }, 1);
    Client client(server.Port());
    ClientRun run = client.Get("/x");
    EXPECT_TRUE(run.sent);
    EXPECT_EQ(run.body.size(), c.body.size());
    EXPECT_TRUE(run.body == c.body);
  }
}

TEST(WinInet, LongBodyReadsWholeInSmallPieces) {
  const std::string big = Pattern(300000);
  LoopbackServer server([&](const std::string&) { return Ok(big); }, 1);
  Client client(server.Port());
  const char* accept[] = {"*/*", nullptr};
  HINTERNET request =
      HttpOpenRequestA(client.Connection(), "GET", "/big", "HTTP/1.0", "", accept, 0, 0);
  ASSERT_TRUE(HttpSendRequestA(request, nullptr, 0, nullptr, 0));

  std::string body;
  char piece[1000];
  std::uint32_t got = 0;
  while (InternetReadFile(request, piece, sizeof piece, &got) && got > 0) body.append(piece, got);
  EXPECT_EQ(body.size(), big.size());
  EXPECT_TRUE(body == big);
  InternetCloseHandle(request);
}

// Time bounds below are hang guards: the time-outs that a faulty client would wait out are
// set well beyond them.
constexpr double kHangGuardSeconds = 20.0;
constexpr std::uint32_t kBeyondTheGuardMs = 120000;

void SetTimeout(HINTERNET handle, std::uint32_t ms) {
  ASSERT_TRUE(InternetSetOptionA(handle, INTERNET_OPTION_CONNECT_TIMEOUT, &ms, 4));
}

TEST(WinInet, FailuresOfTheServerComeBackAsFailedSends) {
  // Nobody listening: refused at once, without waiting for the time-out.
  {
    Client client(LoopbackServer::UnusedPort());
    SetTimeout(client.Connection(), kBeyondTheGuardMs);
    auto start = Clock::now();
    ClientRun run = client.Get("/x");
    EXPECT_FALSE(run.sent);
    EXPECT_EQ(run.body, "");
    EXPECT_LT(SecondsSince(start), kHangGuardSeconds);
  }
  // Accepted and closed without a reply.
  {
    LoopbackServer server([](const std::string&) { return LoopbackServer::Reply{}; }, 1);
    Client client(server.Port());
    ClientRun run = client.Get("/x");
    EXPECT_FALSE(run.sent);
    EXPECT_EQ(run.body, "");
  }
}

TEST(WinInet, SilentServerIsBoundedByTheConnectTimeout) {
  LoopbackServer server([](const std::string&) { return LoopbackServer::Reply{"", true}; }, 1);
  Client client(server.Port());
  auto start = Clock::now();
  ClientRun run = client.Get("/x");
  double seconds = SecondsSince(start);
  EXPECT_FALSE(run.sent);
  EXPECT_GE(seconds, 4.5);  // the 5000 ms time-out was waited for
  EXPECT_LT(seconds, kHangGuardSeconds);
}

TEST(WinInet, ServerThatStopsMidBodyFailsTheRead) {
  LoopbackServer server(
      [](const std::string&) {
        return LoopbackServer::Reply{"HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\npart", true};
      },
      1);
  Client client(server.Port());
  const char* accept[] = {"*/*", nullptr};
  HINTERNET request =
      HttpOpenRequestA(client.Connection(), "GET", "/x", "HTTP/1.0", "", accept, 0, 0);
  // The request's idle limit holds for its send as well: long enough that a server thread
  // that a busy machine is slow to wake still answers within it.
  std::uint32_t timeout = 2000;
  ASSERT_TRUE(InternetSetOptionA(request, INTERNET_OPTION_CONNECT_TIMEOUT, &timeout, 4));
  ASSERT_TRUE(HttpSendRequestA(request, nullptr, 0, nullptr, 0));

  char buffer[200];
  std::uint32_t got = 0;
  ASSERT_TRUE(InternetReadFile(request, buffer, sizeof buffer, &got));
  EXPECT_EQ(std::string(buffer, got), "part");
  // The server holds the connection: the read ends when it has been silent for the
  // request's 2 s.
  auto start = Clock::now();
  EXPECT_FALSE(InternetReadFile(request, buffer, sizeof buffer, &got));
  EXPECT_EQ(got, 0u);
  EXPECT_LT(SecondsSince(start), kHangGuardSeconds);
  InternetCloseHandle(request);
}

TEST(WinInet, ClosingARequestFromAnotherThreadEndsItsSend) {
  LoopbackServer server([](const std::string&) { return LoopbackServer::Reply{"", true}; }, 1);
  Client client(server.Port());
  const char* accept[] = {"*/*", nullptr};
  HINTERNET request =
      HttpOpenRequestA(client.Connection(), "GET", "/x", "HTTP/1.0", "", accept, 0, 0);
  ASSERT_NE(request, nullptr);
  // Left alone, the send would wait for the server far beyond the guard.
  SetTimeout(request, kBeyondTheGuardMs);

  auto start = Clock::now();
  std::future<bool> sent = std::async(std::launch::async, [request] {
    return HttpSendRequestA(request, nullptr, 0, nullptr, 0);
  });
  // Closed while the send waits for the reply: once the server has the request.
  while (server.Heads().empty() && SecondsSince(start) < kHangGuardSeconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_EQ(server.Heads().size(), 1u);
  EXPECT_TRUE(InternetCloseHandle(request));
  EXPECT_FALSE(sent.get());
  EXPECT_LT(SecondsSince(start), kHangGuardSeconds);

  std::uint32_t got = 7;
  char buffer[16];
  EXPECT_FALSE(InternetReadFile(request, buffer, sizeof buffer, &got));
  EXPECT_EQ(got, 0u);
}

TEST(WinInet, RequestsOnTwoThreadsKeepTheirOwnReplies) {
  LoopbackServer server(
      [](const std::string& head) {
        std::string line = head.substr(0, head.find("\r\n"));
        return Ok(line.find("/first") != std::string::npos ? Pattern(70000) : "second");
      },
      2);
  Client client(server.Port());
  auto get = [&](const char* target) {
    const char* accept[] = {"*/*", nullptr};
    HINTERNET request =
        HttpOpenRequestA(client.Connection(), "GET", target, "HTTP/1.0", "", accept, 0, 0);
    std::string body;
    if (HttpSendRequestA(request, nullptr, 0, nullptr, 0)) body = Client::ReadResponse(request);
    InternetCloseHandle(request);
    return body;
  };
  std::future<std::string> first = std::async(std::launch::async, get, "/first");
  std::future<std::string> second = std::async(std::launch::async, get, "/second");
  EXPECT_TRUE(first.get() == Pattern(70000).substr(0, 65535));
  EXPECT_EQ(second.get(), "second");
}

TEST(WinInet, TargetBytesThatCannotStandInARequestLineAreEncoded) {
  LoopbackServer server([](const std::string&) { return Ok("ok"); }, 1);
  Client client(server.Port());
  ClientRun run = client.Get("/s.rod?Name=Ann Lee&Note=a#b\r\nX: y");
  EXPECT_TRUE(run.sent);
  ASSERT_EQ(server.Heads().size(), 1u);
  std::vector<std::string> lines = HeaderLines(server.Heads()[0]);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0], "GET /s.rod?Name=Ann%20Lee&Note=a%23b%0D%0AX:%20y HTTP/1.0");
}

TEST(WinInet, BadHandlesAndArgumentsFailCleanly) {
  std::uint32_t timeout = 5000;
  std::uint32_t got = 5;
  char buffer[8];
  const char* accept[] = {"*/*", nullptr};

  EXPECT_EQ(InternetConnectA(nullptr, "127.0.0.1", 80, "", "", INTERNET_SERVICE_HTTP, 0, 0),
            nullptr);
  EXPECT_FALSE(InternetSetOptionA(nullptr, INTERNET_OPTION_CONNECT_TIMEOUT, &timeout, 4));
  EXPECT_EQ(HttpOpenRequestA(nullptr, "GET", "/", "HTTP/1.0", "", accept, 0, 0), nullptr);
  EXPECT_FALSE(HttpAddRequestHeadersA(nullptr, "Accept: */*\r\n", 13, HTTP_ADDREQ_FLAG_REPLACE));
  EXPECT_FALSE(HttpSendRequestA(nullptr, nullptr, 0, nullptr, 0));
  EXPECT_FALSE(InternetReadFile(nullptr, buffer, sizeof buffer, &got));
  EXPECT_EQ(got, 0u);
  EXPECT_FALSE(InternetCloseHandle(nullptr));

  HINTERNET internet = InternetOpenA("VARNOK", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, "", 0);
  ASSERT_NE(internet, nullptr);
  // Host names that would change what the URL means, and services other than HTTP.
  for (const char* host : {"", "evil.example/x", "a b", "user@host", "host:81", "h\r\nX"}) {
    EXPECT_EQ(InternetConnectA(internet, host, 80, "", "", INTERNET_SERVICE_HTTP, 0, 0), nullptr)
        << host;
  }
  EXPECT_EQ(InternetConnectA(internet, "127.0.0.1", 80, "", "", 1, 0, 0), nullptr);
  // A session is not a connection.
  EXPECT_EQ(HttpOpenRequestA(internet, "GET", "/", "HTTP/1.0", "", accept, 0, 0), nullptr);

  HINTERNET connection = InternetConnectA(internet, "127.0.0.1", LoopbackServer::UnusedPort(), "",
                                          "", INTERNET_SERVICE_HTTP, 0, 0);
  ASSERT_NE(connection, nullptr);
  EXPECT_FALSE(InternetSetOptionA(connection, 6, &timeout, 4));
  EXPECT_FALSE(InternetSetOptionA(connection, INTERNET_OPTION_CONNECT_TIMEOUT, &timeout, 2));
  EXPECT_EQ(HttpOpenRequestA(connection, "POST", "/", "HTTP/1.0", "", accept, 0, 0), nullptr);
  EXPECT_EQ(HttpOpenRequestA(connection, "GET", "/", "HTTP/2", "", accept, 0, 0), nullptr);

  HINTERNET request = HttpOpenRequestA(connection, "GET", "/", "HTTP/1.0", "", accept, 0, 0);
  ASSERT_NE(request, nullptr);
  // Nothing sent yet: nothing to read.
  EXPECT_FALSE(InternetReadFile(request, buffer, sizeof buffer, &got));
  // Malformed header texts change nothing.
  EXPECT_FALSE(HttpAddRequestHeadersA(request, "no colon\r\n", INTERNET_TEXT_ZERO_TERMINATED,
                                      HTTP_ADDREQ_FLAG_ADD));
  EXPECT_FALSE(HttpAddRequestHeadersA(request, "Bad Name: x\r\n", INTERNET_TEXT_ZERO_TERMINATED,
                                      HTTP_ADDREQ_FLAG_ADD));
  EXPECT_FALSE(HttpAddRequestHeadersA(request, "X-A: 1\r\nX-B: a\rb\r\n",
                                      INTERNET_TEXT_ZERO_TERMINATED, HTTP_ADDREQ_FLAG_ADD));
  // Replacing a header that is not there fails unless it may be added.
  EXPECT_FALSE(HttpAddRequestHeadersA(request, "X-C: 1", INTERNET_TEXT_ZERO_TERMINATED,
                                      HTTP_ADDREQ_FLAG_REPLACE));
  EXPECT_TRUE(HttpAddRequestHeadersA(request, "X-C: 1", INTERNET_TEXT_ZERO_TERMINATED,
                                     HTTP_ADDREQ_FLAG_REPLACE | HTTP_ADDREQ_FLAG_ADD));
  // A GET carries no body.
  EXPECT_FALSE(HttpSendRequestA(request, nullptr, 0, "x", 1));

  // Closing the session closes what was opened from it.
  EXPECT_TRUE(InternetCloseHandle(internet));
  EXPECT_FALSE(InternetCloseHandle(internet));
  EXPECT_FALSE(InternetCloseHandle(connection));
  EXPECT_FALSE(HttpSendRequestA(request, nullptr, 0, nullptr, 0));
  EXPECT_FALSE(InternetCloseHandle(request));
}

}  // namespace
