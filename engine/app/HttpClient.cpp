#include "engine/app/HttpClient.h"

#include <cstring>

namespace web {

namespace {

constexpr const char* kAgent = "VARNOK";
constexpr uint32_t kRequestFlags = INTERNET_FLAG_KEEP_CONNECTION | INTERNET_FLAG_NO_CACHE_WRITE;  // 0x4400000
constexpr char kAcceptHeader[] = "Accept: */*\r\n";
constexpr uint32_t kAcceptHeaderLength = sizeof kAcceptHeader - 1;

std::string HostKey(const std::string& host, int32_t port) { return host + ":" + std::to_string(port); }

// The words the internet layer left for the calling thread's last failed send or read.
std::string LastResponseInfo() {
  char text[256];
  uint32_t length = sizeof text;
  uint32_t error = 0;
  return InternetGetLastResponseInfoA(&error, text, &length) ? std::string(text, length) : std::string();
}

// A failure followed by the internet layer's own words, when it has any.
std::string WithReason(const std::string& what) {
  const std::string reason = LastResponseInfo();
  return reason.empty() ? what : what + ": " + reason;
}

}  // namespace

HttpClient::HttpClient() : buffer_(kResponseSize + 1, '\0') {
  internet_ = InternetOpenA(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, "", 0);
}

HttpClient::~HttpClient() {
  // Closing a handle closes those opened from it; handles closed before (by Cancel) are
  // refused harmlessly.
  for (const auto& request : requests_) InternetCloseHandle(request.second);
  for (const auto& connection : connections_) InternetCloseHandle(connection.second);
  if (internet_) InternetCloseHandle(internet_);
}

void HttpClient::Cancel() {
  if (!cancelled_.exchange(true) && internet_) InternetCloseHandle(internet_);
}

bool HttpClient::ParseUrl(const std::string& url, Url& out) {
  out = Url{};
  if (url.empty()) return false;
  size_t hostStart = 0;
  const size_t schemeEnd = url.find("://");
  const size_t firstSlash = url.find('/');
  if (schemeEnd != std::string::npos && schemeEnd < firstSlash) {
    out.scheme = url.substr(0, schemeEnd);
    hostStart = schemeEnd + 3;
  }
  const size_t pathStart = url.find_first_of("/?", hostStart);
  std::string authority = url.substr(hostStart, pathStart == std::string::npos ? std::string::npos : pathStart - hostStart);
  const size_t colon = authority.rfind(':');
  if (colon != std::string::npos && authority.find(']', colon) == std::string::npos) {
    const std::string digits = authority.substr(colon + 1);
    if (digits.empty() || digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string::npos) {
      return false;
    }
    out.port = std::stoi(digits);
    if (out.port < 1 || out.port > 65535) return false;
    authority.resize(colon);
  }
  if (authority.empty()) return false;
  out.host = authority;
  if (pathStart == std::string::npos) {
    out.path = "/";
    return true;
  }
  const size_t queryStart = url.find('?', pathStart);
  out.path = url.substr(pathStart, queryStart == std::string::npos ? std::string::npos : queryStart - pathStart);
  if (out.path.empty()) out.path = "/";  // a query right after the host
  if (queryStart != std::string::npos) out.query = url.substr(queryStart + 1);
  return true;
}

std::string HttpClient::BuildTarget(const Url& url) {
  return url.query.empty() ? url.path : url.path + "?" + url.query;
}

bool HttpClient::Request(const std::string& url, uint32_t mode) {
  Url parts;
  if (!ParseUrl(url, parts)) {
    lastFailure_ = "the address \"" + url + "\" cannot be read";
    return false;
  }
  const std::string host = HostKey(parts.host, parts.port);
  HINTERNET connection = GetConnection(parts.host, parts.port);
  if (!connection) {
    lastFailure_ = cancelled_.load() ? "the request was cancelled" : "no connection to " + host + " could be opened";
    return false;
  }
  if (mode != kModeGet) {
    lastFailure_ = "only GET requests are sent";
    return false;
  }
  if (!SendGet(host, connection, parts)) {
    lastFailure_ = WithReason(host + " did not answer");
    return false;
  }
  lastFailure_.clear();
  return true;
}

HINTERNET HttpClient::GetConnection(const std::string& host, int32_t port) {
  if (!internet_ || cancelled_.load()) return nullptr;
  const std::string key = HostKey(host, port);
  for (const auto& connection : connections_) {
    if (connection.first == key) return connection.second;
  }
  return Connect(host, port);
}

HINTERNET HttpClient::Connect(const std::string& host, int32_t port) {
  HINTERNET connection = InternetConnectA(internet_, host.c_str(), static_cast<INTERNET_PORT>(port), "", "",
                                          INTERNET_SERVICE_HTTP, kRequestFlags, 0);
  if (!connection) return nullptr;
  connections_.emplace_back(HostKey(host, port), connection);
  const uint32_t timeout = kConnectTimeoutMs;
  InternetSetOptionA(connection, INTERNET_OPTION_CONNECT_TIMEOUT, &timeout, sizeof timeout);
  return connection;
}

bool HttpClient::SendGet(const std::string& host, HINTERNET connection, const Url& url) {
  const std::string target = BuildTarget(url);
  const char* acceptTypes[] = {"*/*", nullptr};
  HINTERNET request =
      HttpOpenRequestA(connection, "GET", target.c_str(), "HTTP/1.0", "", acceptTypes, kRequestFlags, 0);
  if (!request) return false;
  // The host keeps only its last request; the one before is closed.
  bool replaced = false;
  for (auto& entry : requests_) {
    if (entry.first == host) {
      InternetCloseHandle(entry.second);
      entry.second = request;
      replaced = true;
    }
  }
  if (!replaced) requests_.emplace_back(host, request);
  if (!HttpAddRequestHeadersA(request, kAcceptHeader, kAcceptHeaderLength, HTTP_ADDREQ_FLAG_REPLACE)) return false;
  return HttpSendRequestA(request, nullptr, 0, nullptr, 0);
}

HINTERNET HttpClient::FindRequest(const std::string& host) const {
  for (const auto& entry : requests_) {
    if (entry.first == host) return entry.second;
  }
  return nullptr;
}

std::string HttpClient::GetResponse(const std::string& url) {
  Url parts;
  if (!ParseUrl(url, parts)) return std::string();
  HINTERNET request = FindRequest(HostKey(parts.host, parts.port));
  if (!request) return std::string();
  // A failed send leaves its reason; the request handle it opened has nothing to read.
  if (!lastFailure_.empty()) return std::string();
  uint32_t status = 0;
  uint32_t statusLength = sizeof status;
  if (HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &statusLength, nullptr) &&
      (status < 200 || status > 299)) {
    lastFailure_ = "the server answered with status " + std::to_string(status);
    return std::string();
  }
  uint32_t total = 0;
  bool broken = false;
  while (total < kResponseSize) {
    uint32_t got = 0;
    if (!InternetReadFile(request, buffer_.data() + total, kResponseSize - total, &got)) {
      broken = true;
      break;
    }
    if (got == 0) break;
    total += got;
  }
  buffer_[total] = '\0';
  std::string body(buffer_.data(), strnlen(buffer_.data(), total));
  if (body.empty()) lastFailure_ = broken ? WithReason("the reply broke off") : "the reply was empty";
  return body;
}

}  // namespace web
