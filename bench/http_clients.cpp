// Per-request cost of the two HTTP clients against plain libcurl, over loopback with a
// kept-alive connection. Goal: the request-object client within 1.3x of a reused handle.
#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "support/loopback_server.h"
#include "web/fetch_via_request_object.h"
#include "web/fetch_via_winhttp.h"

namespace {

using korvane::test::LoopbackServer;
using korvane::test::RecordedRequest;
using korvane::test::Reply;

constexpr int kRequests = 1000;
constexpr int kWarmUp = 50;

size_t discard(char*, size_t size, size_t count, void*) {
    return size * count;
}

// Median microseconds of `kRequests` calls of `one` (after a warm-up); -1 if a call failed.
double median_us(const std::function<bool()>& one) {
    for (int i = 0; i < kWarmUp; ++i) {
        if (!one()) return -1;
    }
    std::vector<double> times;
    times.reserve(kRequests);
    for (int i = 0; i < kRequests; ++i) {
        auto start = std::chrono::steady_clock::now();
        if (!one()) return -1;
        times.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::nth_element(times.begin(), times.begin() + kRequests / 2, times.end());
    return times[kRequests / 2];
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
    curl_global_init(CURL_GLOBAL_DEFAULT);
    const std::string page(2000, 'p');
    LoopbackServer server([&page](const RecordedRequest&) { return Reply::ok(page); });
    if (!server.running()) {
        std::fprintf(stderr, "no loopback socket\n");
        return 1;
    }
    const std::string url = server.url("/cache/wdetail/5.0/?id=1");

    CURL* reused = curl_easy_init();
    double reused_us = median_us([&] { return plain_get(reused, url); });
    curl_easy_cleanup(reused);

    double fresh_us = median_us([&] {
        CURL* easy = curl_easy_init();
        bool ok = plain_get(easy, url);
        curl_easy_cleanup(easy);
        return ok;
    });

    double request_object_us = median_us([&] {
        korvane::RequestObjectCall call;
        call.url = url;
        int status = 0;
        call.status = &status;
        return fetch_via_request_object(call).size() == page.size() && status == 200;
    });

    double direct_us = median_us([&] {
        korvane::WinHttpCall call;
        call.url = url;
        korvane::Text status;
        call.status_text = &status;
        return fetch_via_winhttp(call).size() == page.size() && status == "200 OK";
    });

    struct Row {
        const char* name;
        double us;
    } rows[] = {
        {"libcurl, one reused handle", reused_us},
        {"libcurl, a new handle each time", fresh_us},
        {"request-object client", request_object_us},
        {"direct client", direct_us},
    };
    std::printf("%d sequential loopback GETs of %zu bytes, median per request\n", kRequests,
                page.size());
    for (const Row& row : rows) {
        if (row.us < 0) {
            std::printf("  %-34s failed\n", row.name);
            continue;
        }
        std::printf("  %-34s %8.1f us  %5.2fx\n", row.name, row.us, row.us / reused_us);
    }
    std::printf("connections accepted by the server: %zu\n", server.connection_count());
    return 0;
}
