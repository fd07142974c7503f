#include "support/loopback_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace korvane::test {
namespace {

constexpr size_t kMaxHead = 1 << 20;
constexpr uint64_t kMaxRequestBody = 64ull << 20;
constexpr size_t kPiece = 64 << 10;

bool equal_no_case(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
               return lower(x) == lower(y);
           });
}

std::string trim(std::string_view s) {
    size_t b = s.find_first_not_of(" \t");
    if (b == std::string_view::npos) return {};
    size_t e = s.find_last_not_of(" \t");
    return std::string(s.substr(b, e - b + 1));
}

// 1: `fd` is ready, 0: time ran out, -1: the server is stopping or poll failed.
int wait_ready(int fd, short events, int timeout_ms, int wake_fd) {
    pollfd fds[2] = {{wake_fd, POLLIN, 0}, {fd, events, 0}};
    for (;;) {
        int n = ::poll(fds, fd >= 0 ? 2 : 1, timeout_ms);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 || (fds[0].revents & POLLIN)) return -1;
        if (n == 0) return 0;
        return 1;
    }
}

// Appends what the peer sent; false once it closed, failed or the server stops.
bool read_more(int fd, std::string& buffer, int wake_fd) {
    char piece[16 << 10];
    for (;;) {
        ssize_t n = ::recv(fd, piece, sizeof piece, MSG_DONTWAIT);
        if (n > 0) {
            buffer.append(piece, static_cast<size_t>(n));
            return true;
        }
        if (n == 0) return false;
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) return false;
        if (wait_ready(fd, POLLIN, -1, wake_fd) != 1) return false;
    }
}

bool send_all(int fd, const char* data, size_t size, int wake_fd) {
    while (size > 0) {
        ssize_t n = ::send(fd, data, size, MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n > 0) {
            data += n;
            size -= static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return false;
        if (wait_ready(fd, POLLOUT, -1, wake_fd) != 1) return false;
    }
    return true;
}

bool parse_head(RecordedRequest& request) {
    std::string_view head = request.head;
    size_t line_end = head.find("\r\n");
    std::string_view line = head.substr(0, line_end);
    size_t a = line.find(' ');
    size_t b = a == std::string_view::npos ? a : line.find(' ', a + 1);
    if (b == std::string_view::npos) return false;
    request.method = line.substr(0, a);
    request.target = line.substr(a + 1, b - a - 1);
    request.version = line.substr(b + 1);
    size_t pos = line_end + 2;
    while (pos < head.size()) {
        size_t end = head.find("\r\n", pos);
        if (end == std::string_view::npos || end == pos) break;
        std::string_view header = head.substr(pos, end - pos);
        size_t colon = header.find(':');
        if (colon == std::string_view::npos) {
            request.headers.push_back({std::string(header), {}});
        } else {
            request.headers.push_back(
                {std::string(header.substr(0, colon)), trim(header.substr(colon + 1))});
        }
        pos = end + 2;
    }
    return true;
}

}  // namespace

std::vector<std::string> RecordedRequest::header_lines() const {
    std::vector<std::string> lines;
    size_t pos = head.find("\r\n");
    while (pos != std::string::npos) {
        pos += 2;
        size_t end = head.find("\r\n", pos);
        if (end == std::string::npos || end == pos) break;
        lines.push_back(head.substr(pos, end - pos));
        pos = end;
    }
    return lines;
}

std::string RecordedRequest::header(std::string_view name) const {
    for (const auto& h : headers) {
        if (equal_no_case(h.name, name)) return h.value;
    }
    return {};
}

bool RecordedRequest::has_header(std::string_view name) const {
    return std::any_of(headers.begin(), headers.end(),
                       [&](const HeaderLine& h) { return equal_no_case(h.name, name); });
}

LoopbackServer::LoopbackServer() : LoopbackServer([](const RecordedRequest&) { return Reply{}; }) {}

LoopbackServer::LoopbackServer(Handler handler) : handler_(std::move(handler)) {
    wake_fd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0 || wake_fd_ < 0) {
        if (fd >= 0) ::close(fd);
        return;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
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

LoopbackServer::~LoopbackServer() {
    stopping_ = true;
    if (wake_fd_ >= 0) {
        uint64_t one = 1;
        [[maybe_unused]] ssize_t n = ::write(wake_fd_, &one, sizeof one);
    }
    if (accept_thread_.joinable()) accept_thread_.join();
    reap_finished(true);
    if (listen_fd_ >= 0) ::close(listen_fd_);
    if (wake_fd_ >= 0) ::close(wake_fd_);
}

std::string LoopbackServer::url(std::string_view path) const {
    return url_on("127.0.0.1", path);
}

std::string LoopbackServer::url_on(std::string_view host, std::string_view path) const {
    return "http://" + std::string(host) + ":" + std::to_string(port_) + std::string(path);
}

void LoopbackServer::set_handler(Handler handler) {
    std::lock_guard lock(mutex_);
    handler_ = std::move(handler);
}

std::vector<RecordedRequest> LoopbackServer::requests() const {
    std::lock_guard lock(mutex_);
    return log_;
}

RecordedRequest LoopbackServer::last_request() const {
    std::lock_guard lock(mutex_);
    return log_.empty() ? RecordedRequest{} : log_.back();
}

void LoopbackServer::clear_requests() {
    std::lock_guard lock(mutex_);
    log_.clear();
}

bool LoopbackServer::wait_for_requests(size_t count, std::chrono::milliseconds limit) const {
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, limit, [&] { return request_count_.load() >= count; });
}

void LoopbackServer::accept_loop() {
    while (!stopping_) {
        if (wait_ready(listen_fd_, POLLIN, -1, wake_fd_) < 0) break;
        int fd = ::accept4(listen_fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) continue;
        int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        int number = static_cast<int>(++connection_count_);
        auto connection = std::make_unique<Connection>();
        Connection* raw = connection.get();
        raw->thread = std::thread([this, fd, number, raw] {
            serve(fd, number);
            raw->done = true;
        });
        std::lock_guard lock(mutex_);
        connections_.push_back(std::move(connection));
        reap_finished(false);
    }
}

// With `all`, called only once the accept thread has ended, so the list no longer grows.
void LoopbackServer::reap_finished(bool all) {
    std::list<std::unique_ptr<Connection>> finished;
    {
        std::unique_lock lock(mutex_, std::defer_lock);
        if (all) lock.lock();  // the accept loop calls this with the mutex held
        for (auto it = connections_.begin(); it != connections_.end();) {
            if (all || (*it)->done) {
                finished.splice(finished.end(), connections_, it++);
            } else {
                ++it;
            }
        }
    }
    for (auto& c : finished)
        c->thread.join();
}

void LoopbackServer::serve(int fd, int number) {
    std::string buffer;
    while (!stopping_) {
        size_t end;
        while ((end = buffer.find("\r\n\r\n")) == std::string::npos) {
            if (buffer.size() > kMaxHead || !read_more(fd, buffer, wake_fd_)) {
                ::close(fd);
                return;
            }
        }
        RecordedRequest request;
        request.connection = number;
        request.head = buffer.substr(0, end + 4);
        buffer.erase(0, end + 4);
        if (!parse_head(request)) break;
        uint64_t length = 0;
        if (request.has_header("Content-Length")) {
            std::string text = request.header("Content-Length");
            char* stop = nullptr;
            length = std::strtoull(text.c_str(), &stop, 10);
            if (text.empty() || *stop != '\0' || length > kMaxRequestBody) break;
        }
        bool open = true;
        while (buffer.size() < length && (open = read_more(fd, buffer, wake_fd_))) {
        }
        if (!open) break;
        request.body = buffer.substr(0, length);
        buffer.erase(0, length);

        Handler handler;
        {
            std::lock_guard lock(mutex_);
            log_.push_back(request);
            ++request_count_;
            handler = handler_;
        }
        arrived_.notify_all();
        Reply reply = handler ? handler(request) : Reply{};
        if (!answer(fd, request, reply) || reply.close_after) break;
        if (request.version == "HTTP/1.0" || equal_no_case(request.header("Connection"), "close"))
            break;
    }
    ::shutdown(fd, SHUT_RDWR);
    ::close(fd);
}

// False when the connection must be closed afterwards.
bool LoopbackServer::answer(int fd, const RecordedRequest& request, const Reply& reply) {
    if (reply.delay.count() > 0 &&
        wait_ready(-1, 0, static_cast<int>(reply.delay.count()), wake_fd_) < 0) {
        return false;
    }
    switch (reply.fault) {
        case Fault::close_before_reply:
            return false;
        case Fault::raw:
            send_all(fd, reply.raw.data(), reply.raw.size(), wake_fd_);
            return false;
        case Fault::never_reply: {
            std::string ignored;
            while (read_more(fd, ignored, wake_fd_))
                ignored.clear();
            return false;
        }
        case Fault::none:
        case Fault::close_mid_body:
            break;
    }

    const bool streamed = static_cast<bool>(reply.fill) || reply.stream_length > 0;
    const uint64_t length = streamed ? reply.stream_length : reply.body.size();
    const bool no_body = request.method == "HEAD" || reply.status == 204 || reply.status == 304 ||
                         (reply.status >= 100 && reply.status < 200);
    std::string out = "HTTP/1.1 " + std::to_string(reply.status) + " " + reply.reason + "\r\n";
    bool has_length = false;
    for (const auto& [name, value] : reply.headers) {
        out += name + ": " + value + "\r\n";
        has_length = has_length || equal_no_case(name, "Content-Length") ||
                     equal_no_case(name, "Transfer-Encoding");
    }
    if (reply.add_content_length && !has_length && reply.status != 204 &&
        !(reply.status >= 100 && reply.status < 200)) {
        out += "Content-Length: " + std::to_string(length) + "\r\n";
    }
    out += "\r\n";

    uint64_t to_send = no_body ? 0 : length;
    if (reply.fault == Fault::close_mid_body)
        to_send = std::min<uint64_t>(to_send, reply.partial_body);
    if (!streamed) {
        out.append(reply.body, 0, static_cast<size_t>(to_send));
        if (!send_all(fd, out.data(), out.size(), wake_fd_)) return false;
    } else {
        if (!send_all(fd, out.data(), out.size(), wake_fd_)) return false;
        std::string piece;
        for (uint64_t offset = 0; offset < to_send && !stopping_;) {
            size_t n = static_cast<size_t>(std::min<uint64_t>(kPiece, to_send - offset));
            piece.assign(n, 'x');
            if (reply.fill) reply.fill(offset, piece.data(), n);
            if (!send_all(fd, piece.data(), n, wake_fd_)) return false;
            offset += n;
        }
    }
    return reply.fault != Fault::close_mid_body && !stopping_;
}

int closed_loopback_port() {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return 0;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    ::close(fd);
    return port;
}

}  // namespace korvane::test
