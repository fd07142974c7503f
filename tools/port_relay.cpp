#include "port_relay.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace korvane::sim {
namespace {

constexpr size_t kMaxConnections = 256;

sockaddr_in loopback(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<uint16_t>(port));
    return a;
}

void no_delay(int fd) {
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

// Sends everything; false when the peer is gone.
bool send_all(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

PortRelay::PortRelay(int port, int target) : target_(target) {
    wake_fd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0 || wake_fd_ < 0) {
        if (fd >= 0) ::close(fd);
        return;
    }
    int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in address = loopback(port);
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, SOMAXCONN) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(fd);
        return;
    }
    listen_fd_ = fd;
    port_ = ntohs(address.sin_port);
    accept_thread_ = std::thread([this] { accept_loop(); });
}

PortRelay::~PortRelay() {
    if (wake_fd_ >= 0) {
        const uint64_t one = 1;
        [[maybe_unused]] ssize_t n = ::write(wake_fd_, &one, sizeof one);
    }
    if (accept_thread_.joinable()) accept_thread_.join();
    reap(true);
    if (listen_fd_ >= 0) ::close(listen_fd_);
    if (wake_fd_ >= 0) ::close(wake_fd_);
}

void PortRelay::accept_loop() {
    for (;;) {
        pollfd fds[2] = {{wake_fd_, POLLIN, 0}, {listen_fd_, POLLIN, 0}};
        const int n = ::poll(fds, 2, -1);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 || (fds[0].revents & POLLIN)) return;
        const int client = ::accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) continue;
        std::lock_guard lock(mutex_);
        reap(false);
        if (connections_.size() >= kMaxConnections) {
            ::close(client);
            continue;
        }
        auto& c = connections_.emplace_back(std::make_unique<Connection>());
        Connection* self = c.get();
        c->thread = std::thread([this, client, self] {
            relay(client);
            self->done.store(true);
        });
    }
}

void PortRelay::relay(int client) {
    const int server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in to = loopback(target_);
    if (server < 0 || ::connect(server, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0) {
        if (server >= 0) ::close(server);
        ::close(client);
        return;
    }
    no_delay(client);
    no_delay(server);
    char buffer[16 << 10];
    for (bool open = true; open;) {
        pollfd fds[3] = {{wake_fd_, POLLIN, 0}, {client, POLLIN, 0}, {server, POLLIN, 0}};
        const int n = ::poll(fds, 3, -1);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 || (fds[0].revents & POLLIN)) break;
        for (int i = 1; i <= 2 && open; ++i) {
            if (fds[i].revents == 0) continue;
            const ssize_t got = ::recv(fds[i].fd, buffer, sizeof buffer, 0);
            if (got < 0 && errno == EINTR) continue;
            open = got > 0 && send_all(i == 1 ? server : client, buffer, static_cast<size_t>(got));
        }
    }
    ::close(server);
    ::close(client);
}

void PortRelay::reap(bool all) {
    std::list<std::unique_ptr<Connection>> finished;
    if (all) {
        std::lock_guard lock(mutex_);
        finished.swap(connections_);
    } else {
        // Called with the mutex held.
        for (auto it = connections_.begin(); it != connections_.end();) {
            if ((*it)->done.load()) {
                finished.push_back(std::move(*it));
                it = connections_.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (auto& c : finished)
        c->thread.join();
}

}  // namespace korvane::sim
