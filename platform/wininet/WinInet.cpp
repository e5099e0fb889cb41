#include "platform/wininet/WinInet.h"

#include <curl/curl.h>

#include <atomic>
#include <cctype>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/wininet/HttpTransfer.h"

namespace {

constexpr std::uint32_t kDefaultTimeoutMs = 60000;

enum class Kind { Session, Connection, Request };

struct HandleObject {
  explicit HandleObject(Kind k) : kind(k) {}
  virtual ~HandleObject() = default;
  virtual void Cancel() {}

  const Kind kind;
  std::uint64_t parent = 0;
  std::atomic<std::uint32_t> timeoutMs{kDefaultTimeoutMs};
};

struct Session : HandleObject {
  Session() : HandleObject(Kind::Session) {}
  std::string agent;
};

struct Connection : HandleObject {
  Connection() : HandleObject(Kind::Connection) {}
  std::string agent;
  std::string host;
  INTERNET_PORT port = INTERNET_DEFAULT_HTTP_PORT;
};

struct Header {
  std::string name;
  std::string value;
};

struct Request : HandleObject {
  Request() : HandleObject(Kind::Request) {}
  void Cancel() override { transfer.Cancel(); }

  std::mutex driving;  // one thread at a time sends or reads
  std::string agent;
  std::string url;
  bool http10 = false;
  std::vector<Header> headers;
  HttpTransfer transfer;
};

// Every open handle by its number. Calls look a handle up and hold it while they run,
// so a handle closed by another thread stays alive until those calls have returned.
class HandleTable {
 public:
  HINTERNET Add(std::shared_ptr<HandleObject> object) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::uint64_t id = next_++;
    objects_.emplace(id, std::move(object));
    return reinterpret_cast<HINTERNET>(static_cast<std::uintptr_t>(id));
  }

  template <class T>
  std::shared_ptr<T> Find(HINTERNET handle, Kind kind) {
    std::shared_ptr<HandleObject> object = Find(handle);
    if (!object || object->kind != kind) return nullptr;
    return std::static_pointer_cast<T>(object);
  }

  std::shared_ptr<HandleObject> Find(HINTERNET handle) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = objects_.find(Id(handle));
    return it == objects_.end() ? nullptr : it->second;
  }

  static std::uint64_t Id(HINTERNET handle) {
    return static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(handle));
  }

  // Removes the handle and every handle opened from it, then cancels whatever they are
  // doing. The objects are released outside the lock.
  bool Close(HINTERNET handle) {
    std::vector<std::shared_ptr<HandleObject>> closed;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      std::uint64_t id = Id(handle);
      if (objects_.find(id) == objects_.end()) return false;
      std::unordered_set<std::uint64_t> closing{id};
      for (bool grew = true; grew;) {
        grew = false;
        for (const auto& [childId, child] : objects_) {
          if (closing.count(child->parent) && closing.insert(childId).second) grew = true;
        }
      }
      for (std::uint64_t each : closing) {
        auto it = objects_.find(each);
        closed.push_back(std::move(it->second));
        objects_.erase(it);
      }
    }
    for (const auto& object : closed) object->Cancel();
    return true;
  }

 private:
  std::mutex mutex_;
  std::unordered_map<std::uint64_t, std::shared_ptr<HandleObject>> objects_;
  std::uint64_t next_ = 1;
};

HandleTable& Handles() {
  static HandleTable table;
  return table;
}

std::string TextOrEmpty(const char* text) { return text ? std::string(text) : std::string(); }

// Letters, digits, ".", "-", "_" (a name or IPv4 address), or "[...]" with hex digits,
// ":" and "." (an IPv6 address). Anything else could change what the URL means.
bool IsValidHost(const std::string& host) {
  if (host.empty() || host.size() > 253) return false;
  if (host.front() == '[') {
    if (host.size() < 4 || host.back() != ']') return false;
    for (std::size_t i = 1; i + 1 < host.size(); ++i) {
      char c = host[i];
      if (!std::isxdigit(static_cast<unsigned char>(c)) && c != ':' && c != '.') return false;
    }
    return true;
  }
  for (char c : host) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-' && c != '_') {
      return false;
    }
  }
  return true;
}

// The request target as it goes out: a leading "/" and every byte that cannot stand in
// a request line (or that libcurl would read as a fragment) percent-encoded. Existing
// escapes and the query's "?", "&" and "=" are kept as they are.
std::string EncodeTarget(const std::string& objectName) {
  static const char* const kHex = "0123456789ABCDEF";
  std::string target;
  if (objectName.empty() || objectName.front() != '/') target += '/';
  for (unsigned char c : objectName) {
    bool plain = c > 0x20 && c < 0x7F && !std::strchr("\"#<>\\^`{|}", c);
    if (plain) {
      target += static_cast<char>(c);
    } else {
      target += '%';
      target += kHex[c >> 4];
      target += kHex[c & 0x0F];
    }
  }
  return target;
}

std::string Trim(const std::string& text) {
  std::size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return std::string();
  std::size_t end = text.find_last_not_of(" \t");
  return text.substr(begin, end - begin + 1);
}

bool IsValidHeaderName(const std::string& name) {
  if (name.empty()) return false;
  for (unsigned char c : name) {
    if (c <= 0x20 || c >= 0x7F || c == ':') return false;
  }
  return true;
}

// Splits "Name: value" lines separated by CR LF (or LF). False when any line is not a
// well-formed header, so that no half of a bad header text is applied.
bool ParseHeaders(const char* text, std::uint32_t length, std::vector<Header>* out) {
  std::string all = length == INTERNET_TEXT_ZERO_TERMINATED ? std::string(text)
                                                            : std::string(text, length);
  std::size_t pos = 0;
  while (pos < all.size()) {
    std::size_t end = all.find('\n', pos);
    if (end == std::string::npos) end = all.size();
    std::string line = all.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    std::size_t colon = line.find(':');
    if (colon == std::string::npos) return false;
    Header header{Trim(line.substr(0, colon)), Trim(line.substr(colon + 1))};
    if (!IsValidHeaderName(header.name)) return false;
    for (unsigned char c : header.value) {
      if (c < 0x20 && c != '\t') return false;
    }
    out->push_back(std::move(header));
  }
  return true;
}

std::vector<Header>::iterator FindHeader(std::vector<Header>& headers, const std::string& name) {
  for (auto it = headers.begin(); it != headers.end(); ++it) {
    if (strcasecmp(it->name.c_str(), name.c_str()) == 0) return it;
  }
  return headers.end();
}

bool ApplyHeaders(Request& request, const std::vector<Header>& lines, std::uint32_t modifiers) {
  const bool replace = (modifiers & HTTP_ADDREQ_FLAG_REPLACE) != 0;
  const bool add = (modifiers & HTTP_ADDREQ_FLAG_ADD) != 0;
  std::vector<Header> headers = request.headers;
  for (const Header& line : lines) {
    if (!replace) {
      headers.push_back(line);
      continue;
    }
    auto it = FindHeader(headers, line.name);
    if (it == headers.end()) {
      if (!add) return false;
      if (!line.value.empty()) headers.push_back(line);
    } else if (line.value.empty()) {
      headers.erase(it);
    } else {
      it->value = line.value;
    }
  }
  request.headers = std::move(headers);
  return true;
}

// What the calling thread's last send or read left to say about its failure.
thread_local std::string t_lastResponseInfo;

// Notes the outcome of a send or read for InternetGetLastResponseInfoA.
bool NoteOutcome(bool ok, const HttpTransfer& transfer) {
  t_lastResponseInfo = ok ? std::string() : transfer.FailureText();
  return ok;
}

std::uint32_t TimeoutOf(const HandleObject& object) {
  std::uint32_t ms = object.timeoutMs;
  return ms == 0xFFFFFFFF ? 0 : ms;
}

}  // namespace

HINTERNET InternetOpenA(const char* agent, std::uint32_t accessType, const char* proxy,
                        const char* proxyBypass, std::uint32_t flags) {
  if (accessType != INTERNET_OPEN_TYPE_PRECONFIG && accessType != INTERNET_OPEN_TYPE_DIRECT) {
    return nullptr;
  }
  if (flags != 0) return nullptr;

  static const bool curlReady = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  if (!curlReady) return nullptr;

  auto session = std::make_shared<Session>();
  session->agent = TextOrEmpty(agent);
  return Handles().Add(std::move(session));
}

HINTERNET InternetConnectA(HINTERNET internet, const char* serverName, INTERNET_PORT port,
                           const char* userName, const char* password, std::uint32_t service,
                           std::uint32_t flags, std::uintptr_t context) {
  auto session = Handles().Find<Session>(internet, Kind::Session);
  if (!session || service != INTERNET_SERVICE_HTTP) return nullptr;
  std::string host = TextOrEmpty(serverName);
  if (!IsValidHost(host)) return nullptr;

  auto connection = std::make_shared<Connection>();
  connection->parent = HandleTable::Id(internet);
  connection->timeoutMs = session->timeoutMs.load();
  connection->agent = session->agent;
  connection->host = host;
  connection->port = port == 0 ? INTERNET_DEFAULT_HTTP_PORT : port;
  return Handles().Add(std::move(connection));
}

bool InternetSetOptionA(HINTERNET handle, std::uint32_t option, const void* buffer,
                        std::uint32_t bufferLength) {
  auto object = Handles().Find(handle);
  if (!object || option != INTERNET_OPTION_CONNECT_TIMEOUT) return false;
  if (!buffer || bufferLength < sizeof(std::uint32_t)) return false;
  std::uint32_t ms = 0;
  std::memcpy(&ms, buffer, sizeof ms);
  object->timeoutMs = ms;
  return true;
}

HINTERNET HttpOpenRequestA(HINTERNET connect, const char* verb, const char* objectName,
                           const char* version, const char* referrer,
                           const char* const* acceptTypes, std::uint32_t flags,
                           std::uintptr_t context) {
  auto connection = Handles().Find<Connection>(connect, Kind::Connection);
  if (!connection) return nullptr;
  if (verb && std::strcmp(verb, "GET") != 0) return nullptr;

  auto request = std::make_shared<Request>();
  if (!request->transfer.IsReady()) return nullptr;
  if (!version || std::strcmp(version, "HTTP/1.1") == 0) {
    request->http10 = false;
  } else if (std::strcmp(version, "HTTP/1.0") == 0) {
    request->http10 = true;
  } else {
    return nullptr;
  }

  request->parent = HandleTable::Id(connect);
  request->timeoutMs = connection->timeoutMs.load();
  request->agent = connection->agent;
  request->url = "http://" + connection->host + ":" + std::to_string(connection->port) +
                 EncodeTarget(TextOrEmpty(objectName));

  std::string accept;
  for (const char* const* type = acceptTypes; type && *type; ++type) {
    if (!**type) continue;
    if (!accept.empty()) accept += ", ";
    accept += *type;
  }
  std::vector<Header> defaults;
  if (!accept.empty()) defaults.push_back({"Accept", accept});
  if (referrer && *referrer) defaults.push_back({"Referer", referrer});
  for (const Header& header : defaults) {
    for (unsigned char c : header.value) {
      if (c < 0x20) return nullptr;
    }
  }
  request->headers = std::move(defaults);
  return Handles().Add(std::move(request));
}

bool HttpAddRequestHeadersA(HINTERNET request, const char* headers,
                            std::uint32_t headersLength, std::uint32_t modifiers) {
  auto object = Handles().Find<Request>(request, Kind::Request);
  if (!object || !headers) return false;
  std::vector<Header> lines;
  if (!ParseHeaders(headers, headersLength, &lines) || lines.empty()) return false;
  std::lock_guard<std::mutex> lock(object->driving);
  return ApplyHeaders(*object, lines, modifiers);
}

bool HttpSendRequestA(HINTERNET request, const char* headers, std::uint32_t headersLength,
                      const void* optional, std::uint32_t optionalLength) {
  auto object = Handles().Find<Request>(request, Kind::Request);
  if (!object || optionalLength != 0) return false;
  std::lock_guard<std::mutex> lock(object->driving);

  if (headers && headersLength != 0) {
    std::vector<Header> lines;
    if (!ParseHeaders(headers, headersLength, &lines)) return false;
    if (!ApplyHeaders(*object, lines, HTTP_ADDREQ_FLAG_ADD | HTTP_ADDREQ_FLAG_REPLACE)) {
      return false;
    }
  }

  HttpTransfer::Settings settings;
  settings.url = object->url;
  settings.agent = object->agent;
  settings.http10 = object->http10;
  settings.timeoutMs = TimeoutOf(*object);
  for (const Header& header : object->headers) {
    settings.headers.push_back(header.name + ": " + header.value);
  }
  return NoteOutcome(object->transfer.Send(settings), object->transfer);
}

bool InternetReadFile(HINTERNET file, void* buffer, std::uint32_t bytesToRead,
                      std::uint32_t* bytesRead) {
  if (bytesRead) *bytesRead = 0;
  auto object = Handles().Find<Request>(file, Kind::Request);
  if (!object) return false;
  std::lock_guard<std::mutex> lock(object->driving);
  return NoteOutcome(object->transfer.Read(buffer, bytesToRead, bytesRead), object->transfer);
}

bool HttpQueryInfoA(HINTERNET request, std::uint32_t infoLevel, void* buffer,
                    std::uint32_t* bufferLength, std::uint32_t* index) {
  auto object = Handles().Find<Request>(request, Kind::Request);
  if (!object || infoLevel != (HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER)) return false;
  if (!buffer || !bufferLength || *bufferLength < sizeof(std::uint32_t)) return false;
  std::lock_guard<std::mutex> lock(object->driving);
  const int status = object->transfer.Status();
  if (status <= 0) return false;
  const std::uint32_t value = static_cast<std::uint32_t>(status);
  std::memcpy(buffer, &value, sizeof value);
  *bufferLength = sizeof value;
  return true;
}

bool InternetGetLastResponseInfoA(std::uint32_t* error, char* buffer, std::uint32_t* bufferLength) {
  if (error) *error = 0;
  if (!bufferLength) return false;
  const std::uint32_t length = static_cast<std::uint32_t>(t_lastResponseInfo.size());
  if (!buffer || *bufferLength <= length) {
    *bufferLength = length + 1;
    return false;
  }
  std::memcpy(buffer, t_lastResponseInfo.c_str(), length + 1);
  *bufferLength = length;
  return true;
}

bool InternetCloseHandle(HINTERNET handle) {
  if (!handle) return false;
  return Handles().Close(handle);
}
