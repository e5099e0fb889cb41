#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
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
    // When above 0: the bytes go one at a time, this many milliseconds apart: a server
    // that is slow but never silent for long, so that a client's idle limit never ends
    // the request.
    int trickleMs = 0;
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
  // Sleeps, waking early when the server is being destroyed.
  void Pause(int milliseconds);

  Responder responder_;
  int listener_ = -1;
  std::uint16_t port_ = 0;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<std::string> heads_;
  std::vector<int> held_;
  std::thread thread_;
};

// A reply held back until the test lets it go: a responder that waits on the gate answers
// only once the test has seen what it needs happen while its request waits (frames run,
// the player leave a screen), however busy the machine. Copies share one gate, so that a
// responder can hold one by value.
class ReplyGate {
 public:
  ReplyGate();
  void Open();
  // Waits until the gate is open; false when a hang guard of 30 s ran out first.
  bool Wait() const;

 private:
  struct State {
    std::mutex mutex;
    std::condition_variable opened;
    bool open = false;
  };
  std::shared_ptr<State> state_;
};
