#include "platform/wininet/HttpTransfer.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstring>

namespace {

// Unread body kept before the transfer pauses; libcurl hands over at most
// CURL_MAX_WRITE_SIZE more at a time, so this bounds what one request holds.
constexpr std::size_t kHoldLimit = 64 * 1024;

// Longest single wait inside a step; cancelling wakes the wait at once, so this only
// sets how often the idle limit is checked.
constexpr int kMaxPollMs = 250;

}  // namespace

HttpTransfer::HttpTransfer() { multi_ = curl_multi_init(); }

HttpTransfer::~HttpTransfer() {
  ReleaseEasy();
  if (multi_) curl_multi_cleanup(multi_);
}

void HttpTransfer::Detach() {
  if (attached_) {
    curl_multi_remove_handle(multi_, easy_);
    attached_ = false;
  }
}

void HttpTransfer::ReleaseEasy() {
  Detach();
  if (easy_) curl_easy_cleanup(easy_);
  if (headerList_) curl_slist_free_all(headerList_);
  easy_ = nullptr;
  headerList_ = nullptr;
}

void HttpTransfer::Touch() { lastActivity_ = std::chrono::steady_clock::now(); }

bool HttpTransfer::Send(const Settings& settings) {
  if (!multi_ || cancelled_) return false;

  // A second send starts over with a fresh handle.
  ReleaseEasy();
  easy_ = curl_easy_init();
  if (!easy_) return false;

  status_ = 0;
  headersDone_ = false;
  finished_ = false;
  result_ = CURLE_OK;
  paused_ = false;
  connected_ = false;
  pending_.clear();
  pendingPos_ = 0;
  timeoutMs_ = settings.timeoutMs;

  bool hasAccept = false;
  for (const std::string& line : settings.headers) {
    headerList_ = curl_slist_append(headerList_, line.c_str());
    if (line.size() >= 7 && strncasecmp(line.c_str(), "accept:", 7) == 0) hasAccept = true;
  }
  // libcurl adds "Accept: */*" of its own; a request without accept types sends none.
  if (!hasAccept) headerList_ = curl_slist_append(headerList_, "Accept:");

  curl_easy_setopt(easy_, CURLOPT_URL, settings.url.c_str());
  curl_easy_setopt(easy_, CURLOPT_PROTOCOLS_STR, "http");
  // Only ever the host the caller named: no proxy from the environment, no redirects.
  curl_easy_setopt(easy_, CURLOPT_PROXY, "");
  curl_easy_setopt(easy_, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy_, CURLOPT_HTTPGET, 1L);
  curl_easy_setopt(easy_, CURLOPT_HTTP_VERSION,
                   settings.http10 ? CURL_HTTP_VERSION_1_0 : CURL_HTTP_VERSION_1_1);
  if (!settings.agent.empty()) curl_easy_setopt(easy_, CURLOPT_USERAGENT, settings.agent.c_str());
  curl_easy_setopt(easy_, CURLOPT_HTTPHEADER, headerList_);
  if (timeoutMs_ != 0) curl_easy_setopt(easy_, CURLOPT_CONNECTTIMEOUT_MS, long(timeoutMs_));
  curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &HttpTransfer::OnBody);
  curl_easy_setopt(easy_, CURLOPT_WRITEDATA, this);
  curl_easy_setopt(easy_, CURLOPT_HEADERFUNCTION, &HttpTransfer::OnHeader);
  curl_easy_setopt(easy_, CURLOPT_HEADERDATA, this);
  curl_easy_setopt(easy_, CURLOPT_PREREQFUNCTION, &HttpTransfer::OnConnected);
  curl_easy_setopt(easy_, CURLOPT_PREREQDATA, this);

  if (curl_multi_add_handle(multi_, easy_) != CURLM_OK) return false;
  attached_ = true;

  return Drive(Goal::Headers) && headersDone_;
}

bool HttpTransfer::Read(void* buffer, std::uint32_t size, std::uint32_t* got) {
  if (got) *got = 0;
  if (!got || (!buffer && size != 0)) return false;
  if (!headersDone_ || cancelled_) return false;
  if (size == 0) return true;

  if (pendingPos_ == pending_.size() && !finished_) {
    if (!Drive(Goal::Data)) return false;
  }
  std::size_t available = pending_.size() - pendingPos_;
  if (available == 0) {
    // The whole body has been read: a clean end, or the transfer broke off.
    return finished_ && result_ == CURLE_OK;
  }

  std::size_t n = std::min<std::size_t>(available, size);
  std::memcpy(buffer, pending_.data() + pendingPos_, n);
  pendingPos_ += n;
  *got = static_cast<std::uint32_t>(n);

  if (pendingPos_ == pending_.size()) {
    pending_.clear();
    pendingPos_ = 0;
  } else if (pendingPos_ > kHoldLimit) {
    pending_.erase(0, pendingPos_);
    pendingPos_ = 0;
  }
  if (paused_ && pending_.size() - pendingPos_ < kHoldLimit) {
    // Unpausing may hand over the held data at once (and pause again).
    paused_ = false;
    curl_easy_pause(easy_, CURLPAUSE_CONT);
  }
  return true;
}

std::string HttpTransfer::FailureText() const {
  if (cancelled_) return "the request was cancelled";
  if (result_ == CURLE_OPERATION_TIMEDOUT) return "the server did not answer in time";
  if (result_ != CURLE_OK) return curl_easy_strerror(static_cast<CURLcode>(result_));
  if (finished_ && !headersDone_) return "the server sent no valid reply";
  return std::string();
}

void HttpTransfer::Cancel() {
  cancelled_ = true;
  if (multi_) curl_multi_wakeup(multi_);
}

bool HttpTransfer::Reached(Goal goal) const {
  if (goal == Goal::Headers) return headersDone_;
  return pendingPos_ < pending_.size();
}

// Runs the transfer until the goal is reached or it ends. The time between the caller's
// calls does not count towards the idle limit: only waiting inside this loop does.
bool HttpTransfer::Drive(Goal goal) {
  Touch();
  while (!cancelled_) {
    Perform();
    if (Reached(goal)) return true;
    if (finished_) return goal == Goal::Data;
    if (!Wait()) {
      Finish(CURLE_OPERATION_TIMEDOUT);
      return false;
    }
  }
  Finish(CURLE_ABORTED_BY_CALLBACK);
  return false;
}

void HttpTransfer::Perform() {
  int running = 0;
  if (curl_multi_perform(multi_, &running) != CURLM_OK) {
    Finish(CURLE_FAILED_INIT);
    return;
  }
  int left = 0;
  while (CURLMsg* message = curl_multi_info_read(multi_, &left)) {
    if (message->msg == CURLMSG_DONE) Finish(message->data.result);
  }
}

// Waits for socket activity or a wake-up from Cancel; false once the server has been
// silent for the idle limit after the connection was made (making the connection is
// bounded by libcurl's connect time-out).
bool HttpTransfer::Wait() {
  int waitMs = kMaxPollMs;
  if (connected_ && timeoutMs_ != 0) {
    auto idle = std::chrono::duration_cast<std::chrono::milliseconds>(
                    std::chrono::steady_clock::now() - lastActivity_)
                    .count();
    if (idle >= timeoutMs_) return false;
    waitMs = static_cast<int>(std::min<long long>(waitMs, timeoutMs_ - idle));
  }
  curl_multi_poll(multi_, nullptr, 0, waitMs, nullptr);
  return true;
}

void HttpTransfer::Finish(int code) {
  if (!finished_) {
    finished_ = true;
    result_ = code;
  }
  Detach();
}

std::size_t HttpTransfer::OnBody(char* data, std::size_t size, std::size_t count, void* self) {
  auto* t = static_cast<HttpTransfer*>(self);
  if (t->cancelled_) return 0;  // aborts the transfer
  if (t->pending_.size() - t->pendingPos_ >= kHoldLimit) {
    t->paused_ = true;
    return CURL_WRITEFUNC_PAUSE;  // the same data is handed over again after unpausing
  }
  t->pending_.append(data, size * count);
  t->Touch();
  return size * count;
}

std::size_t HttpTransfer::OnHeader(char* data, std::size_t size, std::size_t count, void* self) {
  auto* t = static_cast<HttpTransfer*>(self);
  std::size_t n = size * count;
  t->Touch();
  if (n >= 5 && std::memcmp(data, "HTTP/", 5) == 0) {
    // Status line: "HTTP/1.0 200 OK".
    const char* space = static_cast<const char*>(std::memchr(data, ' ', n));
    t->status_ = space ? std::atoi(space + 1) : 0;
  } else if ((n == 2 && data[0] == '\r' && data[1] == '\n') || (n == 1 && data[0] == '\n')) {
    // The blank line after the headers; an interim 1xx reply is followed by another.
    if (t->status_ < 100 || t->status_ >= 200) t->headersDone_ = true;
  }
  return n;
}

int HttpTransfer::OnConnected(void* self, char*, char*, int, int) {
  auto* t = static_cast<HttpTransfer*>(self);
  t->connected_ = true;
  t->Touch();
  return CURL_PREREQFUNC_OK;
}
