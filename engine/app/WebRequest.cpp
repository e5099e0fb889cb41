#include "engine/app/WebRequest.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <system_error>

#include "engine/app/GameApp.h"
#include "engine/app/HttpClient.h"
#include "engine/core/Timer.h"
#include "platform/win32/Time.h"

namespace web {

namespace {

// Without an application no frame runs and the frame timer stands still: each slice then
// counts as the time it waits (the 5 ms wait and the 1 ms sleep).
constexpr float kSliceSecondsWithoutFrames = 0.006f;

}  // namespace

// What a worker and the main thread share. The query is fixed before the worker starts;
// the worker alone uses the client; the reply is handed over under the mutex once, with
// done. After the main thread gives up, only the worker still touches it.
struct WebRequest::Job {
  explicit Job(std::string text) : query(std::move(text)) {}

  const std::string query;
  HttpClient client;
  std::mutex mutex;
  std::condition_variable ended;
  bool done = false;
  std::string response;
  std::string failure;  // why every try failed; empty with a reply
};

WebRequest& WebRequest::Instance() {
  static WebRequest instance;
  return instance;
}

WebRequest::WebRequest() {
  // Opening a client once here builds WinINet's own process-wide state before this
  // object, so that it still exists when this object's destructor stops the workers.
  HttpClient warmUp;
}

WebRequest::~WebRequest() {
  if (worker_) {
    worker_->client.Cancel();
    abandoned_.emplace_back(std::move(worker_), std::move(workerThread_));
  }
  for (auto& [job, thread] : abandoned_) {
    job->client.Cancel();
    if (thread.joinable()) thread.join();
  }
}

void WebRequest::AddParam(const std::string& name, const std::string& value) { params_.emplace_back(name, value); }

void WebRequest::AddParam(const std::string& name, int32_t value) { params_.emplace_back(name, std::to_string(value)); }

void WebRequest::AddParam(const std::string& name, float value) {
  char text[64];
  std::snprintf(text, sizeof text, "%f", static_cast<double>(value));
  params_.emplace_back(name, text);
}

std::string WebRequest::PercentEncode(const std::string& text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  encoded.reserve(text.size());
  for (const char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    const bool plain = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9') ||
                       byte == '-' || byte == '_' || byte == '.' || byte == '~';
    if (plain) {
      encoded += c;
    } else {
      encoded += '%';
      encoded += kHex[byte >> 4];
      encoded += kHex[byte & 0x0F];
    }
  }
  return encoded;
}

// Names and values are percent-encoded: a player name such as "Bo&Score=999" would
// otherwise end its parameter and add one of its own.
std::string WebRequest::BuildQuery(const std::string& url,
                                   const std::vector<std::pair<std::string, std::string>>& params) {
  std::string query = url;
  for (size_t i = 0; i < params.size(); ++i) {
    query += i == 0 ? '?' : '&';
    query += PercentEncode(params[i].first);
    query += '=';
    query += PercentEncode(params[i].second);
  }
  return query;
}

void WebRequest::ThreadProc(std::shared_ptr<Job> job) {
  std::string response;
  int tries = 0;
  while (tries < kTries && response.empty() && !job->client.IsCancelled()) {
    ++tries;
    job->client.Request(job->query, HttpClient::kModeGet);
    response = job->client.GetResponse(job->query);
    if (response.empty() && !job->client.IsCancelled()) Sleep(kRetryDelayMs);
  }
  std::string failure;
  if (response.empty()) {
    failure = std::to_string(tries) + (tries == 1 ? " try" : " tries") + " brought no reply";
    if (!job->client.LastFailure().empty()) failure += " (the last: " + job->client.LastFailure() + ")";
  }
  std::lock_guard<std::mutex> lock(job->mutex);
  // A request whose every try failed is a failure, not an empty answer.
  job->response = response.empty() ? std::string(kErrorMarker) : std::move(response);
  job->failure = std::move(failure);
  job->done = true;
  job->ended.notify_all();
}

std::string WebRequest::Send() {
  if (worker_) {
    failure_ = "a request is already running";
    return kErrorMarker;
  }
  response_.clear();
  failure_.clear();
  auto job = std::make_shared<Job>(BuildQuery(url_, params_));
  try {
    workerThread_ = std::thread(ThreadProc, job);
  } catch (const std::system_error& e) {
    failure_ = std::string("the request's thread could not be started (") + e.what() + ")";
    return kErrorMarker;
  }
  worker_ = std::move(job);

  // The budget is frame time: each slice takes off one frame delta, and each slice in
  // which the worker has not ended runs one application step.
  float remaining = kTimeoutSeconds;
  const char* why = "no answer after 30 seconds of frame time and 100 ms more; the request is given up";
  while (remaining >= 0.0f) {
    GameApp* app = GetApplication();
    remaining -= app ? FrameTimer::Instance().GetDelta() : kSliceSecondsWithoutFrames;
    if (WaitForWorker(kPollMs)) break;
    Sleep(1);
    // A program that is quitting runs no more frames; the request is given up.
    if (app && (app->quitting || !app->Step())) {
      why = "the game is quitting; the request is given up";
      break;
    }
  }
  GiveUp(why);
  return response_;
}

bool WebRequest::WaitForWorker(uint32_t milliseconds) {
  // Game code run by a nested step may have given the request up already.
  if (!worker_) return true;
  {
    std::unique_lock<std::mutex> lock(worker_->mutex);
    if (!worker_->ended.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return worker_->done; })) {
      return false;
    }
    response_ = worker_->response;
    failure_ = worker_->failure;
  }
  ReleaseWorker();
  return true;
}

void WebRequest::ReleaseWorker() {
  if (workerThread_.joinable()) workerThread_.join();
  worker_.reset();
}

void WebRequest::KillThread() { GiveUp("the request is given up"); }

void WebRequest::GiveUp(const std::string& why) {
  if (!worker_) return;
  if (WaitForWorker(kFinalWaitMs)) return;
  // Given up: the worker's connection is closed so that it ends soon, and whatever it
  // still writes goes into its own state, which nothing reads any more.
  worker_->client.Cancel();
  abandoned_.emplace_back(std::move(worker_), std::move(workerThread_));
  worker_.reset();
  response_ = kErrorMarker;
  failure_ = why;
}

size_t WebRequest::AbandonedWorkers() {
  for (auto it = abandoned_.begin(); it != abandoned_.end();) {
    bool done = false;
    {
      std::lock_guard<std::mutex> lock(it->first->mutex);
      done = it->first->done;
    }
    if (done) {
      if (it->second.joinable()) it->second.join();
      it = abandoned_.erase(it);
    } else {
      ++it;
    }
  }
  return abandoned_.size();
}

}  // namespace web
