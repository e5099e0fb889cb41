#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace web {

// The one process-wide highscore request: the score script's URL, the query parameters,
// and Send, which runs the request on a worker thread while the main thread keeps the
// game running, and returns the reply as if the call had blocked.
//
// Send runs whole application steps (one window message and one frame each) while it
// waits, from inside whatever called it (often a script): states may change and scripts
// run meanwhile. Any highscore request those frames try is refused (IsRunning), and the
// wait ends early once the application is quitting.
//
// What the worker touches (the query it was given, its own HTTP client, its reply) lives
// in a state that the worker and the main thread own jointly; the main thread reads the
// reply only after the worker has ended. A worker that the main thread gives up on is
// cancelled (its connection is closed) and finishes on its own, writing only into its
// own state, which nothing reads any more.
class WebRequest {
 public:
  static constexpr const char* kErrorMarker = "@@Error@@";
  static constexpr int kTries = 30;
  static constexpr uint32_t kRetryDelayMs = 100;
  static constexpr float kTimeoutSeconds = 30.0f;
  static constexpr uint32_t kPollMs = 5;
  static constexpr uint32_t kFinalWaitMs = 100;

  static WebRequest& Instance();

  WebRequest();
  // Cancels every worker still running and waits for it to end.
  ~WebRequest();
  WebRequest(const WebRequest&) = delete;
  WebRequest& operator=(const WebRequest&) = delete;

  void SetUrl(const std::string& url) { url_ = url; }
  const std::string& GetUrl() const { return url_; }
  void ClearParams() { params_.clear(); }
  // The value as it is ("%s"), an integer as "%i", a float as "%f".
  void AddParam(const std::string& name, const std::string& value);
  void AddParam(const std::string& name, int32_t value);
  void AddParam(const std::string& name, float value);
  const std::vector<std::pair<std::string, std::string>>& GetParams() const { return params_; }

  // Runs the request and returns the reply text. The reply is "@@Error@@" when every
  // try failed, when 30 seconds of frame time (then a further 100 ms) passed without an
  // answer, when the application started quitting meanwhile, when a request is already
  // running, or when the worker thread could not be started.
  std::string Send();
  // A request is running (its worker is set): every further request is refused.
  bool IsRunning() const { return worker_ != nullptr; }
  // What failed when the last Send gave "@@Error@@" of its own (every try failed and why
  // the last one did, the time-out, the game quitting, a request already running);
  // empty when the reply came from the server.
  const std::string& GetFailure() const { return failure_; }
  // Gives up the running request: waits up to 100 ms more for its worker, and when it
  // still has not ended cancels it and sets the reply to "@@Error@@".
  void KillThread();

  // The query: the URL, then "?" and name=value pairs joined by "&" when there are
  // parameters. Names and values are percent-encoded (all but letters, digits and
  // "-", "_", ".", "~"), so that a value can neither break the query nor add a parameter.
  static std::string BuildQuery(const std::string& url,
                                const std::vector<std::pair<std::string, std::string>>& params);
  static std::string PercentEncode(const std::string& text);

  // Workers that were given up and have not ended yet (those that ended are released).
  size_t AbandonedWorkers();

 private:
  struct Job;
  // The worker thread's procedure: up to 30 tries, 100 ms apart, until a non-empty reply.
  static void ThreadProc(std::shared_ptr<Job> job);
  // Waits up to the given milliseconds for the worker; true (with the reply and its
  // failure taken over) when it has ended.
  bool WaitForWorker(uint32_t milliseconds);
  // KillThread with the words GetFailure gives when the worker is given up.
  void GiveUp(const std::string& why);
  void ReleaseWorker();

  std::string url_;
  std::vector<std::pair<std::string, std::string>> params_;
  std::string response_;
  std::string failure_;
  std::shared_ptr<Job> worker_;
  std::thread workerThread_;
  std::vector<std::pair<std::shared_ptr<Job>, std::thread>> abandoned_;
};

}  // namespace web
