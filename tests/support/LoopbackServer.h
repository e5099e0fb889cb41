#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A small HTTP server for tests on 127.0.0.1 with a port the system picks. It serves a
// bounded number of connections one after the other on a thread of its own: it reads
// each request's head, records it and sends what the responder returns. A reply can
// keep the connection open without another byte (a server that stops answering) until
// the server is destroyed.
class LoopbackServer {
 public:
  struct Reply {
    std::string bytes;  // sent as they are (status line, headers, body)
    bool hold = false;  // keep the connection open afterwards instead of closing it
  };
  using Responder = std::function<Reply(const std::string& head)>;

  LoopbackServer(Responder responder, int maxConnections);
  ~LoopbackServer();

  std::uint16_t Port() const { return port_; }
  bool Ok() const { return listener_ >= 0; }
  std::vector<std::string> Heads();  // the request heads received so far, in order

  // A port on 127.0.0.1 with nobody listening (bound once and released).
  static std::uint16_t UnusedPort();

 private:
  void Run(int maxConnections);
  std::string ReadHead(int fd);

  Responder responder_;
  int listener_ = -1;
  std::uint16_t port_ = 0;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<std::string> heads_;
  std::vector<int> held_;
  std::thread thread_;
};
