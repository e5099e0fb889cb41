#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

typedef void CURL;
typedef void CURLM;
struct curl_slist;

// One HTTP request's transfer over libcurl, driven step by step so that sending waits
// only for the reply's headers and the body is pulled as the caller reads it (the
// transfer pauses while unread data piles up, so memory stays bounded whatever the
// server sends). Every transfer has its own easy and multi handle: nothing is shared
// with other requests. Only Cancel may be called from another thread.
class HttpTransfer {
 public:
  struct Settings {
    std::string url;                   // "http://host:port/target", already checked
    std::string agent;                 // User-Agent; empty for none
    bool http10 = false;               // HTTP/1.0 instead of 1.1
    std::uint32_t timeoutMs = 0;       // connect and idle limit; 0 for none
    std::vector<std::string> headers;  // "Name: value" lines
  };

  HttpTransfer();
  ~HttpTransfer();
  HttpTransfer(const HttpTransfer&) = delete;
  HttpTransfer& operator=(const HttpTransfer&) = delete;

  bool IsReady() const { return multi_ != nullptr; }

  // Connects and sends; true once the reply's status line and headers have arrived.
  bool Send(const Settings& settings);

  // Copies up to size bytes of the body; *got = 0 at its end. False before a successful
  // Send, on a broken transfer, a time-out or after Cancel.
  bool Read(void* buffer, std::uint32_t size, std::uint32_t* got);

  // Thread-safe: makes a Send or Read that is waiting on another thread return false.
  void Cancel();

  // The reply's status code once its headers have arrived; 0 before.
  int Status() const { return headersDone_ ? status_ : 0; }
  // Why the last Send or Read failed, in words; empty when neither did.
  std::string FailureText() const;

 private:
  enum class Goal { Headers, Data };

  bool Drive(Goal goal);
  bool Reached(Goal goal) const;
  void Perform();
  bool Wait();
  void Finish(int code);
  void Detach();
  // Detaches and frees the easy handle and its header list.
  void ReleaseEasy();
  void Touch();

  static std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* self);
  static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* self);
  static int OnConnected(void* self, char*, char*, int, int);

  CURLM* multi_ = nullptr;
  CURL* easy_ = nullptr;
  curl_slist* headerList_ = nullptr;
  bool attached_ = false;

  std::atomic<bool> cancelled_{false};
  std::uint32_t timeoutMs_ = 0;
  bool connected_ = false;
  std::chrono::steady_clock::time_point lastActivity_;

  int status_ = 0;
  bool headersDone_ = false;
  bool finished_ = false;
  int result_ = 0;  // CURLcode of a finished transfer
  bool paused_ = false;
  std::string pending_;  // body received and not yet read, from pendingPos_ on
  std::size_t pendingPos_ = 0;
};
