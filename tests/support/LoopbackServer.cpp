#include "tests/support/LoopbackServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <chrono>

namespace {

int BindLoopback(std::uint16_t* port) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  socklen_t len = sizeof addr;
  if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    close(fd);
    return -1;
  }
  *port = ntohs(addr.sin_port);
  return fd;
}

}  // namespace

LoopbackServer::LoopbackServer(Responder responder, int maxConnections)
    : responder_(std::move(responder)) {
  listener_ = BindLoopback(&port_);
  if (listener_ >= 0 && listen(listener_, 8) != 0) {
    close(listener_);
    listener_ = -1;
  }
  if (listener_ >= 0) thread_ = std::thread([this, maxConnections] { Run(maxConnections); });
}

LoopbackServer::~LoopbackServer() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  for (int fd : held_) close(fd);
  if (listener_ >= 0) close(listener_);
}

std::vector<std::string> LoopbackServer::Heads() {
  std::lock_guard<std::mutex> lock(mutex_);
  return heads_;
}

std::uint16_t LoopbackServer::UnusedPort() {
  std::uint16_t port = 0;
  int fd = BindLoopback(&port);
  if (fd >= 0) close(fd);
  return port;
}

void LoopbackServer::Run(int maxConnections) {
  for (int served = 0; served < maxConnections && !stop_;) {
    pollfd p{listener_, POLLIN, 0};
    if (poll(&p, 1, 20) <= 0) continue;
    int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    ++served;
    // A client that stops reading must not block the server for ever (a hang guard: a
    // client on a busy machine may be slow to read).
    timeval sendLimit{15, 0};
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &sendLimit, sizeof sendLimit);

    std::string head = ReadHead(fd);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      heads_.push_back(head);
    }
    Reply reply = responder_(head);
    std::size_t sent = 0;
    while (sent < reply.bytes.size() && !stop_) {
      const std::size_t piece = reply.trickleMs > 0 ? 1 : reply.bytes.size() - sent;
      ssize_t n = send(fd, reply.bytes.data() + sent, piece, MSG_NOSIGNAL);
      if (n <= 0) break;
      sent += static_cast<std::size_t>(n);
      if (reply.trickleMs > 0) Pause(reply.trickleMs);
    }
    if (reply.hold) {
      held_.push_back(fd);
    } else {
      shutdown(fd, SHUT_WR);
      close(fd);
    }
  }
}

void LoopbackServer::Pause(int milliseconds) {
  for (int waited = 0; waited < milliseconds && !stop_; waited += 10) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

std::string LoopbackServer::ReadHead(int fd) {
  std::string head;
  // A hang guard: a client on a busy machine may be slow to send its head.
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
  while (head.find("\r\n\r\n") == std::string::npos && !stop_ &&
         std::chrono::steady_clock::now() < deadline) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 20) <= 0) continue;
    char buffer[1024];
    ssize_t n = recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    head.append(buffer, static_cast<std::size_t>(n));
  }
  return head;
}

ReplyGate::ReplyGate() : state_(std::make_shared<State>()) {}

void ReplyGate::Open() {
  {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->open = true;
  }
  state_->opened.notify_all();
}

bool ReplyGate::Wait() const {
  std::unique_lock<std::mutex> lock(state_->mutex);
  return state_->opened.wait_for(lock, std::chrono::seconds(30), [this] { return state_->open; });
}
