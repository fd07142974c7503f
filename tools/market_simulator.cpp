// market-simulator: a stand-in marketplace on 127.0.0.1 for demos and manual tries.
// Serves every host name on one port (item-detail data, shop coupon pages, item pages and the
// click-redirect chain), and stops by itself after --seconds or on SIGINT/SIGTERM.
#include <pthread.h>
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "market_pages.h"
#include "port_relay.h"
#include "support/loopback_server.h"

namespace {

using korvane::sim::MarketPages;
using korvane::sim::PortRelay;
using korvane::test::LoopbackServer;
using korvane::test::RecordedRequest;
using korvane::test::Reply;
using Clock = std::chrono::steady_clock;

struct Options {
    int port = 18080;
    long seconds = 600;
    std::string port_file;
    std::string item_host;
    bool quiet = false;
};

void usage(FILE* to) {
    std::fprintf(to,
                 "usage: market-simulator [--port N] [--seconds N] [--port-file FILE]\n"
                 "                        [--item-host HOST] [--quiet]\n"
                 "  --port N         port on 127.0.0.1 (default 18080; 0 picks a free one)\n"
                 "  --seconds N      stop after N seconds (default 600)\n"
                 "  --port-file F    write the port to F once listening\n"
                 "  --item-host H    host of the item links short links lead to\n"
                 "                   (default item.localhost on the port asked)\n"
                 "  --quiet          no line per request\n"
                 "A coupon's life starts at its first request and lasts (activityId mod 1000)\n"
                 "seconds, 0 meaning forever; monthly sales grow with the seconds since start.\n");
}

bool to_number(const char* text, long low, long high, long& out) {
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || v < low || v > high) return false;
    out = v;
    return true;
}

// nullopt on a bad command line; the exit code is then 2.
std::optional<Options> parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool has_value = i + 1 < argc;
        long n = 0;
        if (arg == "--port" && has_value && to_number(argv[i + 1], 0, 65535, n)) {
            o.port = static_cast<int>(n);
            ++i;
        } else if (arg == "--seconds" && has_value && to_number(argv[i + 1], 1, 86400 * 7, n)) {
            o.seconds = n;
            ++i;
        } else if (arg == "--port-file" && has_value) {
            o.port_file = argv[++i];
        } else if (arg == "--item-host" && has_value) {
            o.item_host = argv[++i];
        } else if (arg == "--quiet") {
            o.quiet = true;
        } else {
            return std::nullopt;
        }
    }
    return o;
}

void print_hosts(int port) {
    const std::string p = std::to_string(port);
    std::printf("market-simulator: listening on 127.0.0.1:%d\n", port);
    std::printf("  export MARKET_ITEM_DETAIL_HOST=detail.localhost:%s\n", p.c_str());
    std::printf("  export MARKET_SHOP_HOST=shop.localhost:%s\n", p.c_str());
    std::printf("  export MARKET_ITEM_HOST=item.localhost:%s\n", p.c_str());
    std::printf("  export MARKET_CLICK_HOST=click.localhost:%s\n", p.c_str());
    std::printf("  export MARKET_COUPON_SITE_HOST=coupon.localhost:%s\n", p.c_str());
    std::printf("  export MARKET_H5_HOST=h5.localhost:%s\n", p.c_str());
    std::printf("  short link to try: http://click.localhost:%s/t?e=demo\n", p.c_str());
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        usage(stdout);
        return 0;
    }
    const std::optional<Options> options = parse(argc, argv);
    if (!options) {
        usage(stderr);
        return 2;
    }

    // Blocked before any thread starts, so only the wait below takes them.
    sigset_t stop_signals;
    sigemptyset(&stop_signals);
    sigaddset(&stop_signals, SIGINT);
    sigaddset(&stop_signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);

    const auto opened = Clock::now();
    std::mutex log_mutex;
    MarketPages pages(options->item_host, [opened] {
        return std::chrono::duration<double>(Clock::now() - opened).count();
    });
    LoopbackServer server([&](const RecordedRequest& request) {
        Reply reply = pages.answer(request);
        if (!options->quiet) {
            const double t = std::chrono::duration<double>(Clock::now() - opened).count();
            std::lock_guard lock(log_mutex);
            std::printf("%8.1f %s %s%s -> %d\n", t, request.method.c_str(),
                        request.header("Host").c_str(), request.target.c_str(), reply.status);
            std::fflush(stdout);
        }
        return reply;
    });
    if (!server.running()) {
        std::fprintf(stderr, "market-simulator: cannot listen on 127.0.0.1\n");
        return 1;
    }
    std::unique_ptr<PortRelay> relay;
    int port = server.port();
    if (options->port != 0) {
        relay = std::make_unique<PortRelay>(options->port, server.port());
        if (!relay->running()) {
            std::fprintf(stderr, "market-simulator: port %d is not free (try --port 0)\n",
                         options->port);
            return 1;
        }
        port = relay->port();
    }
    print_hosts(port);
    if (!options->port_file.empty()) {
        std::ofstream(options->port_file) << port << "\n";
    }

    const auto deadline = opened + std::chrono::seconds(options->seconds);
    const char* why = "time is up";
    for (;;) {
        const auto left = deadline - Clock::now();
        if (left <= Clock::duration::zero()) break;
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(left).count();
        const long wait_ms = ms > 1000 ? 1000 : static_cast<long>(ms);
        timespec wait{wait_ms / 1000, (wait_ms % 1000) * 1000000L};
        const int got = sigtimedwait(&stop_signals, nullptr, &wait);
        if (got == SIGINT || got == SIGTERM) {
            why = got == SIGINT ? "SIGINT" : "SIGTERM";
            break;
        }
    }
    relay.reset();
    std::printf("market-simulator: stopped (%s) after %zu requests\n", why, server.request_count());
    std::fflush(stdout);
    return 0;
}
