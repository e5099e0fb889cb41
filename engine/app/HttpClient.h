#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/wininet/WinInet.h"

namespace web {

// A URL split into its parts by HttpClient::ParseUrl.
struct Url {
  std::string scheme = "HTTP";
  int32_t port = 80;
  std::string host;
  std::string path;   // starts with "/"
  std::string query;  // without the "?"
};

// An HTTP client over WinINet: one internet session with the agent "VARNOK", a
// connection per host (5000 ms connect time-out), and GET requests with HTTP/1.0 and
// "Accept: */*" whose replies are read into a buffer of 65535 bytes.
//
// Each highscore request has a client of its own, used by its worker thread only, so a
// worker that is given up never shares a handle, a list or the reply buffer with a later
// request. Cancel is the one call another thread may make.
class HttpClient {
 public:
  static constexpr uint32_t kModeGet = 1;
  static constexpr uint32_t kResponseSize = 65535;
  static constexpr uint32_t kConnectTimeoutMs = 5000;

  // Opens the internet session (InternetOpenA with the agent "VARNOK"); when WinINet
  // fails to open it every request fails.
  HttpClient();
  // Closes the session, every connection and every request.
  ~HttpClient();
  HttpClient(const HttpClient&) = delete;
  HttpClient& operator=(const HttpClient&) = delete;

  // [scheme "://"] host [":" port] ["/" path] ["?" query]. The scheme is "HTTP" when
  // the URL has none and the port 80 when the host has none; a missing path is "/".
  // False for an empty URL, an empty host or a port that is not a number in 1..65535.
  static bool ParseUrl(const std::string& url, Url& out);
  // The request target: the path alone when the query is empty, else path "?" query.
  static std::string BuildTarget(const Url& url);

  // Sends the request for url; mode kModeGet is the only mode (any other sends nothing).
  // True when the request was sent and the server answered.
  bool Request(const std::string& url, uint32_t mode);
  // The body of the last request sent to url's host (at most 65535 bytes, up to its
  // first zero byte); empty when there is none, it cannot be read, or the server answered
  // with a status other than 2xx (an error page is no reply of the score script).
  std::string GetResponse(const std::string& url);
  // Why the last Request or GetResponse gave nothing, in words ("the server answered with
  // status 503", "127.0.0.1:80 did not answer (Couldn't connect to server)", "the reply
  // was empty"); empty when the last reply was read.
  const std::string& LastFailure() const { return lastFailure_; }

  // Thread-safe: closes the session, which ends any call in flight on another thread and
  // makes every later call fail.
  void Cancel();
  bool IsCancelled() const { return cancelled_.load(); }

 private:
  HINTERNET GetConnection(const std::string& host, int32_t port);
  HINTERNET Connect(const std::string& host, int32_t port);
  bool SendGet(const std::string& host, HINTERNET connection, const Url& url);
  HINTERNET FindRequest(const std::string& host) const;

  HINTERNET internet_ = nullptr;
  std::atomic<bool> cancelled_{false};
  // (host, handle) pairs; the host key carries the port ("host:port").
  std::vector<std::pair<std::string, HINTERNET>> connections_;
  std::vector<std::pair<std::string, HINTERNET>> requests_;
  std::vector<char> buffer_;
  std::string lastFailure_;
};

}  // namespace web
