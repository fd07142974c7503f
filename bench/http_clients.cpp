// Per-request cost of the two HTTP clients against plain libcurl, over loopback with a
// kept-alive connection. Goal: the request-object client within 1.3x of a reused handle.
#include <curl/curl.h>
#include <sched.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "support/loopback_server.h"
#include "web/fetch_via_request_object.h"
#include "web/fetch_via_winhttp.h"

namespace {

using korvane::test::LoopbackServer;
using korvane::test::RecordedRequest;
using korvane::test::Reply;

constexpr int kRequests = 1000;
constexpr int kRounds = 10;
constexpr int kWarmUp = 50;

size_t discard(char*, size_t size, size_t count, void*) {
    return size * count;
}

struct Client {
    Client(const char* n, std::function<bool()> f) : name(n), one(std::move(f)) {}
    const char* name;
    std::function<bool()> one;
    std::vector<double> times;
    bool failed = false;
};

// The clients take turns in rounds, so a burst of load on the machine hits them all alike.
void measure(std::vector<Client>& clients) {
    for (Client& c : clients) {
        for (int i = 0; i < kWarmUp && !c.failed; ++i)
            c.failed = !c.one();
    }
    for (int round = 0; round < kRounds; ++round) {
        for (Client& c : clients) {
            for (int i = 0; i < kRequests / kRounds && !c.failed; ++i) {
                auto start = std::chrono::steady_clock::now();
                c.failed = !c.one();
                c.times.push_back(std::chrono::duration<double, std::micro>(
                                      std::chrono::steady_clock::now() - start)
                                      .count());
            }
        }
    }
}

double median(std::vector<double> times) {
    if (times.empty()) return -1;
    std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
    return times[times.size() / 2];
}

bool plain_get(CURL* easy, const std::string& url) {
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, discard);
    long status = 0;
    return curl_easy_perform(easy) == CURLE_OK &&
           curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status) == CURLE_OK && status == 200;
}

}  // namespace

int main() {
    // One CPU for the clients and the server threads: otherwise each run's figures depend on
    // whether a connection's server thread shares a CPU with the client, which on a virtual
    // machine changes a wake-up by tens of microseconds.
    cpu_set_t one_cpu;
    CPU_ZERO(&one_cpu);
    CPU_SET(std::max(sched_getcpu(), 0), &one_cpu);
    sched_setaffinity(0, sizeof one_cpu, &one_cpu);
    curl_global_init(CURL_GLOBAL_DEFAULT);
    const std::string page(2000, 'p');
    LoopbackServer server([&page](const RecordedRequest&) { return Reply::ok(page); });
    if (!server.running()) {
        std::fprintf(stderr, "no loopback socket\n");
        return 1;
    }
    const std::string url = server.url("/cache/wdetail/5.0/?id=1");

    CURL* reused = curl_easy_init();
    std::vector<Client> clients;
    clients.emplace_back("libcurl, one reused handle", [&] { return plain_get(reused, url); });
    clients.emplace_back("libcurl, a new handle each time", [&] {
        CURL* easy = curl_easy_init();
        bool ok = plain_get(easy, url);
        curl_easy_cleanup(easy);
        return ok;
    });
    clients.emplace_back("request-object client", [&] {
        korvane::RequestObjectCall call;
        call.url = url;
        int status = 0;
        call.status = &status;
        return fetch_via_request_object(call).size() == page.size() && status == 200;
    });
    clients.emplace_back("direct client", [&] {
        korvane::WinHttpCall call;
        call.url = url;
        korvane::Text status;
        call.status_text = &status;
        return fetch_via_winhttp(call).size() == page.size() && status == "200 OK";
    });
    measure(clients);
    curl_easy_cleanup(reused);

    const double base = median(clients.front().times);
    std::printf("%d sequential loopback GETs of %zu bytes per client, median per request\n",
                kRequests, page.size());
    for (const Client& c : clients) {
        if (c.failed) {
            std::printf("  %-34s failed\n", c.name);
            continue;
        }
        double us = median(c.times);
        std::printf("  %-34s %8.1f us  %5.2fx\n", c.name, us, us / base);
    }
    std::printf("connections accepted by the server: %zu\n", server.connection_count());
    return 0;
}
