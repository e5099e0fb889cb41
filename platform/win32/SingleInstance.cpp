#include "platform/win32/SingleInstance.h"

#include <SDL2/SDL.h>
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

#include "engine/core/Log.h"
#include "platform/win32/KernelApi.h"
#include "platform/win32/ShellApi.h"
#include "platform/win32/Window.h"

namespace plat {

namespace {

constexpr int kAnswerTimeoutMs = 500;
constexpr int kAskTimeoutMs = 1000;

uint64_t Fnv1a64(const std::string& text) {
  uint64_t hash = 1469598103934665603ull;
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  return hash;
}

uint32_t Fnv1a32(const std::string& text) {
  uint32_t hash = 2166136261u;
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 16777619u;
  }
  return hash;
}

// The socket of a lock file lives in the abstract namespace (no file to go stale), named
// after the lock file's real path so that every way of naming the file agrees.
bool SocketAddress(const std::string& lockPath, sockaddr_un& address, socklen_t& length) {
  char* real = realpath(lockPath.c_str(), nullptr);
  if (!real) return false;
  const std::string canonical = real;
  std::free(real);
  char name[64];
  std::snprintf(name, sizeof name, "pellavo-instance-%016llx",
                static_cast<unsigned long long>(Fnv1a64(canonical)));
  std::memset(&address, 0, sizeof address);
  address.sun_family = AF_UNIX;
  const size_t nameLength = std::strlen(name);
  std::memcpy(address.sun_path + 1, name, nameLength);  // sun_path[0] = 0: abstract
  length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + nameLength);
  return true;
}

void SetTimeouts(int fd, int milliseconds) {
  timeval tv{milliseconds / 1000, (milliseconds % 1000) * 1000};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
}

// One line (without its line feed), at most 63 characters.
bool ReadLine(int fd, std::string& line) {
  line.clear();
  char c;
  while (line.size() < 63) {
    const ssize_t got = read(fd, &c, 1);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return !line.empty();
    if (c == '\n') return true;
    line.push_back(c);
  }
  return true;
}

bool WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t wrote = send(fd, text.data() + done, text.size() - done, MSG_NOSIGNAL);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return false;
    done += static_cast<size_t>(wrote);
  }
  return true;
}

}  // namespace

SingleInstance::SingleInstance(std::string lockPath) : lockPath_(std::move(lockPath)) {}

SingleInstance::~SingleInstance() { Release(); }

bool SingleInstance::Acquire() {
  if (IsHeld()) return true;
  heldElsewhere_ = false;
  const int fd = open(lockPath_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) {
    SetLastErrorFromErrno(errno);
    return false;
  }
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    heldElsewhere_ = errno == EWOULDBLOCK;
    SetLastErrorFromErrno(errno);
    close(fd);
    return false;
  }
  lockFd_ = fd;
  // The holder's process id, for whoever looks at the file.
  if (ftruncate(fd, 0) == 0) {
    char pid[32];
    const int length = std::snprintf(pid, sizeof pid, "%d\n", static_cast<int>(getpid()));
    if (write(fd, pid, static_cast<size_t>(length)) != length) {
      // The content is only informative.
    }
  }

  sockaddr_un address;
  socklen_t length = 0;
  listenFd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listenFd_ < 0 || !SocketAddress(lockPath_, address, length) ||
      bind(listenFd_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
      listen(listenFd_, 4) != 0) {
    // The lock alone still keeps a second start out; it just cannot raise this one.
    LOG_LINE(MSG_WARNING) << "Single instance: no request socket for " << lockPath_ << " ("
                          << std::strerror(errno) << ")";
    if (listenFd_ >= 0) close(listenFd_);
    listenFd_ = -1;
    return true;
  }
  wakeFd_ = eventfd(0, EFD_CLOEXEC);
  if (wakeFd_ < 0) {
    close(listenFd_);
    listenFd_ = -1;
    return true;
  }
  server_ = std::thread(&SingleInstance::Serve, this);
  return true;
}

void SingleInstance::Release() {
  if (server_.joinable()) {
    const uint64_t one = 1;
    if (write(wakeFd_, &one, sizeof one) != static_cast<ssize_t>(sizeof one)) {
      // The server also ends when its descriptors close; join below either way.
    }
    server_.join();
  }
  if (wakeFd_ >= 0) close(wakeFd_);
  if (listenFd_ >= 0) close(listenFd_);
  wakeFd_ = listenFd_ = -1;
  if (lockFd_ >= 0) {
    // The file stays: removing it would let a later start lock a file that a third one
    // is about to open under the same name.
    flock(lockFd_, LOCK_UN);
    close(lockFd_);
    lockFd_ = -1;
  }
}

void SingleInstance::Serve() {
  pollfd fds[2] = {{listenFd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
  while (true) {
    fds[0].revents = fds[1].revents = 0;
    const int ready = poll(fds, 2, -1);
    if (ready < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[1].revents) return;
    if (fds[0].revents & POLLIN) {
      const int connection = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
      if (connection >= 0) {
        Answer(connection);
        close(connection);
      }
    }
  }
}

void SingleInstance::Answer(int connection) {
  // Only the same user may ask.
  ucred peer{};
  socklen_t peerLength = sizeof peer;
  if (getsockopt(connection, SOL_SOCKET, SO_PEERCRED, &peer, &peerLength) != 0 ||
      peer.uid != getuid()) {
    return;
  }
  SetTimeouts(connection, kAnswerTimeoutMs);
  std::string command;
  if (!ReadLine(connection, command)) return;
  std::string reply = "OK\n";
  if (command == "FOREGROUND") {
    ++pendingForeground_;
    ++received_;
  } else if (command == "RESTORE") {
    ++pendingRestore_;
    ++received_;
  } else if (command == "ISICONIC") {
    reply = iconic_.load() ? "1\n" : "0\n";
  } else {
    reply = "ERR\n";
  }
  WriteAll(connection, reply);
}

int SingleInstance::ServeRequests() {
  const int restore = pendingRestore_.exchange(0);
  const int foreground = pendingForeground_.exchange(0);
  if (handler_) {
    for (int i = 0; i < restore; ++i) handler_(Request::Restore);
    for (int i = 0; i < foreground; ++i) handler_(Request::Foreground);
  }
  return restore + foreground;
}

bool SingleInstance::Ask(const std::string& lockPath, const std::string& command,
                         std::string* reply) {
  sockaddr_un address;
  socklen_t length = 0;
  if (!SocketAddress(lockPath, address, length)) return false;
  // The holder may have taken the lock a moment ago and not be listening yet.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kAskTimeoutMs);
  while (true) {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    SetTimeouts(fd, kAskTimeoutMs);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), length) == 0) {
      std::string line;
      const bool answered = WriteAll(fd, command + "\n") && ReadLine(fd, line);
      close(fd);
      if (answered && reply) *reply = line;
      return answered;
    }
    const int error = errno;
    close(fd);
    if ((error != ECONNREFUSED && error != ENOENT && error != EAGAIN) ||
        std::chrono::steady_clock::now() >= deadline) {
      return false;
    }
    usleep(20000);
  }
}

namespace {

// The stand-in for another process's window.
struct RemoteWindow : HWND__ {
  std::string lockPath;
};

struct HeldInstance {
  std::string className;
  std::unique_ptr<SingleInstance> lock;
};

struct InstanceRegistry {
  std::string folder;
  std::map<std::string, HeldInstance> held;  // by lock path
  std::vector<std::unique_ptr<RemoteWindow>> remotes;
};

InstanceRegistry& Registry() {
  static InstanceRegistry registry;
  return registry;
}

RemoteWindow* FindRemote(HWND window) {
  if (!window) return nullptr;
  for (const auto& remote : Registry().remotes) {
    if (remote.get() == window) return remote.get();
  }
  return nullptr;
}

// What the first start does when a second one asks: its windows of the class come back
// from the taskbar and to the front.
void ApplyRequest(const std::string& className, SingleInstance::Request request) {
  for (Window* window : Window::All()) {
    if (!window->HasClass(className)) continue;
    if (request == SingleInstance::Request::Restore) {
      SDL_RestoreWindow(window->sdl);
      window->SetMinimized(false);
    }
    SDL_RaiseWindow(window->sdl);
  }
}

}  // namespace

void SetInstanceFolder(const std::string& folder) { Registry().folder = folder; }

std::string InstanceLockPath(const std::string& className) {
  std::string folder = Registry().folder;
  if (folder.empty()) {
    char path[MAX_PATH];
    if (!SHGetSpecialFolderPathA(nullptr, path, CSIDL_APPDATA, TRUE)) return std::string();
    folder = path;
  }
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  char name[32];
  std::snprintf(name, sizeof name, "instance-%08x.lock", Fnv1a32(className));
  return folder + "/" + name;
}

HWND FindOtherInstance(const std::string& className) {
  InstanceRegistry& registry = Registry();
  const std::string path = InstanceLockPath(className);
  if (path.empty()) return nullptr;
  if (registry.held.count(path)) return nullptr;
  auto lock = std::make_unique<SingleInstance>(path);
  if (lock->Acquire()) {
    lock->SetHandler([className](SingleInstance::Request request) { ApplyRequest(className, request); });
    registry.held[path] = HeldInstance{className, std::move(lock)};
    return nullptr;
  }
  if (!lock->HeldElsewhere()) {
    LOG_LINE(MSG_WARNING) << "Single instance: cannot lock " << path;
    return nullptr;
  }
  for (const auto& remote : registry.remotes) {
    if (remote->lockPath == path) return remote.get();
  }
  auto remote = std::make_unique<RemoteWindow>();
  remote->lockPath = path;
  registry.remotes.push_back(std::move(remote));
  return registry.remotes.back().get();
}

bool IsRemoteWindow(HWND window) { return FindRemote(window) != nullptr; }

bool AskRemoteWindow(HWND window, const std::string& command, std::string* reply) {
  RemoteWindow* remote = FindRemote(window);
  return remote && SingleInstance::Ask(remote->lockPath, command, reply);
}

void ServeInstanceRequests() {
  for (auto& [path, instance] : Registry().held) {
    bool iconic = false;
    for (Window* window : Window::All()) {
      if (window->HasClass(instance.className) && window->IsMinimized()) iconic = true;
    }
    instance.lock->SetIconic(iconic);
    instance.lock->ServeRequests();
  }
}

}  // namespace plat
