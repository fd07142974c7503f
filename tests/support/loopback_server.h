// An HTTP/1.1 server on 127.0.0.1 for tests of code that talks to real sockets.
//
// It records every request exactly as it arrived (raw head bytes, header lines in their
// order and letter case, body read by Content-Length) and answers from a script. Any Host
// header is served, so names like item.localhost:PORT can point at it. Connections are kept
// alive; each one runs on its own thread, and the destructor stops them all, also those
// blocked in a delay, a never-answered request or a long streamed body.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace korvane::test {

struct HeaderLine {
    std::string name;   // as received, letter case kept
    std::string value;  // with the spaces around it removed
};

struct RecordedRequest {
    std::string head;  // every byte from the request line through the blank line
    std::string method;
    std::string target;
    std::string version;
    std::vector<HeaderLine> headers;
    std::string body;
    int connection = 0;  // 1 for the first connection accepted, 2 for the next, ...

    // The header lines between the request line and the blank line, as sent.
    std::vector<std::string> header_lines() const;
    // First value of that header, the name compared without letter case; empty if absent.
    std::string header(std::string_view name) const;
    bool has_header(std::string_view name) const;
};

enum class Fault {
    none,
    close_before_reply,  // read the request, then close without a byte
    close_mid_body,      // send the head and `partial_body` bytes of the body, then close
    raw,                 // send `raw` verbatim, then close
    never_reply,         // keep the connection open and silent until the client or server ends
};

struct Reply {
    int status = 200;
    std::string reason = "OK";
    // Sent in this order; names may repeat (several Set-Cookie or Location lines).
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    // Content-Length is added unless a header of that name (or Transfer-Encoding) is given.
    bool add_content_length = true;
    bool close_after = false;  // close the connection after this reply
    std::chrono::milliseconds delay{0};
    Fault fault = Fault::none;
    size_t partial_body = 0;
    std::string raw;
    // When set, the body is `stream_length` bytes produced piece by piece instead of `body`,
    // so a huge body never sits in memory. `fill(offset, out, n)` writes n bytes.
    uint64_t stream_length = 0;
    std::function<void(uint64_t offset, char* out, size_t n)> fill;

    static Reply ok(std::string body) {
        Reply r;
        r.body = std::move(body);
        return r;
    }
    static Reply redirect(int status, std::string location) {
        Reply r;
        r.status = status;
        r.reason = status == 301 ? "Moved Permanently" : "Found";
        r.headers.emplace_back("Location", std::move(location));
        return r;
    }
    static Reply failing(Fault fault) {
        Reply r;
        r.fault = fault;
        return r;
    }
};

class LoopbackServer {
  public:
    // Called on connection threads, possibly at the same time: keep it thread-safe.
    using Handler = std::function<Reply(const RecordedRequest&)>;

    LoopbackServer();  // answers 200 with an empty body
    explicit LoopbackServer(Handler handler);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    // False when no socket could be bound; every other member still works.
    bool running() const { return listen_fd_ >= 0; }
    int port() const { return port_; }
    // "http://127.0.0.1:PORT" + path, and the same with another host name.
    std::string url(std::string_view path = "/") const;
    std::string url_on(std::string_view host, std::string_view path = "/") const;

    void set_handler(Handler handler);

    size_t request_count() const { return request_count_.load(); }
    size_t connection_count() const { return connection_count_.load(); }
    std::vector<RecordedRequest> requests() const;
    // The most recent request; an empty record when none came.
    RecordedRequest last_request() const;
    void clear_requests();
    // Waits until `count` requests have arrived, at most `limit`.
    bool wait_for_requests(size_t count, std::chrono::milliseconds limit) const;

  private:
    struct Connection {
        std::thread thread;
        std::atomic<bool> done{false};
    };

    void accept_loop();
    void serve(int fd, int number);
    bool answer(int fd, const RecordedRequest& request, const Reply& reply);
    void reap_finished(bool all);

    int listen_fd_ = -1;
    int wake_fd_ = -1;  // an eventfd, readable once the server stops
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread accept_thread_;

    mutable std::mutex mutex_;
    mutable std::condition_variable arrived_;
    Handler handler_;
    std::vector<RecordedRequest> log_;
    std::list<std::unique_ptr<Connection>> connections_;
    std::atomic<size_t> request_count_{0};
    std::atomic<size_t> connection_count_{0};
};

// A loopback port on which nothing listens (bound once, then released), for refused connects.
int closed_loopback_port();

}  // namespace korvane::test
