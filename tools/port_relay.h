// A byte relay from a chosen loopback port to another one: the loopback server binds only
// ephemeral ports, so a fixed port is served through this.
#pragma once

#include <atomic>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

namespace korvane::sim {

class PortRelay {
  public:
    // Listens on 127.0.0.1:`port` and forwards each connection to 127.0.0.1:`target`.
    PortRelay(int port, int target);
    ~PortRelay();
    PortRelay(const PortRelay&) = delete;
    PortRelay& operator=(const PortRelay&) = delete;

    bool running() const { return listen_fd_ >= 0; }
    int port() const { return port_; }

  private:
    struct Connection {
        std::thread thread;
        std::atomic<bool> done{false};
    };
    void accept_loop();
    void relay(int client);
    void reap(bool all);

    int listen_fd_ = -1;
    int wake_fd_ = -1;
    int port_ = 0;
    int target_ = 0;
    std::thread accept_thread_;
    std::mutex mutex_;
    std::list<std::unique_ptr<Connection>> connections_;
};

}  // namespace korvane::sim
