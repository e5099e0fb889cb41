#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

#include "platform/win32/UserTypes.h"

namespace plat {

// One running copy of a program per user: an advisory lock (flock) on a lock file. The
// holder also listens on a local socket (an abstract Unix socket named after the lock
// file, answering only the same user) so that a second start can ask it to come to the
// front, to restore itself, or whether it is minimised.
//
// The lock belongs to the open file, so a second SingleInstance on the same path fails
// to acquire it even within one process; the system drops it when the process ends.
class SingleInstance {
 public:
  enum class Request : uint8_t { Foreground, Restore };
  using Handler = std::function<void(Request)>;

  explicit SingleInstance(std::string lockPath);
  ~SingleInstance();  // releases
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // Takes the lock (creating the file) and starts answering requests. False when
  // another holder has it (HeldElsewhere) or the file cannot be made (the last error
  // says why).
  bool Acquire();
  void Release();
  bool IsHeld() const { return lockFd_ >= 0; }
  bool HeldElsewhere() const { return heldElsewhere_; }
  const std::string& LockPath() const { return lockPath_; }

  // Requests arrive on a thread of their own and wait; ServeRequests (main thread) hands
  // each to the handler and returns how many there were.
  void SetHandler(Handler handler) { handler_ = std::move(handler); }
  int ServeRequests();
  uint32_t RequestsReceived() const { return received_.load(); }
  // What a second start learns from asking whether this one is minimised.
  void SetIconic(bool iconic) { iconic_.store(iconic); }

  // Asks the holder of a lock file: "FOREGROUND", "RESTORE" (answered "OK") or
  // "ISICONIC" (answered "1" or "0"). False when no holder answers within a second.
  static bool Ask(const std::string& lockPath, const std::string& command, std::string* reply);

 private:
  void Serve();
  void Answer(int connection);

  std::string lockPath_;
  int lockFd_ = -1;
  int listenFd_ = -1;
  int wakeFd_ = -1;
  bool heldElsewhere_ = false;
  std::thread server_;
  Handler handler_;
  std::atomic<uint32_t> received_{0};
  std::atomic<int> pendingForeground_{0};
  std::atomic<int> pendingRestore_{0};
  std::atomic<bool> iconic_{false};
};

// Where FindWindowA keeps the lock files: the engine points it at its save folder.
// Unset, it is the application-data folder (SHGetSpecialFolderPathA, CSIDL_APPDATA).
void SetInstanceFolder(const std::string& folder);
// "<folder>/instance-<8 hex digits of the class name's hash>.lock"; empty without a folder.
std::string InstanceLockPath(const std::string& className);

// FindWindowA's part: null when this process holds (or now takes) the class's lock, or
// when no lock can be made; otherwise a stand-in window for the holder's window.
HWND FindOtherInstance(const std::string& className);
// Whether a handle is such a stand-in, and a request to its process (see Ask).
bool IsRemoteWindow(HWND window);
bool AskRemoteWindow(HWND window, const std::string& command, std::string* reply);
// Main thread: answers the requests that reached the locks this process holds by
// restoring and raising its windows of that class (the message queue calls it on every
// drain).
void ServeInstanceRequests();

}  // namespace plat
