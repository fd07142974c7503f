// Soak: the monitor checks 10,000 rows with no pause against a loopback marketplace that
// answers slowly, resets connections, fails with 500, sends garbage, invalid UTF-8 and bodies
// over the client's size bound. It must finish, leave every row with its own product's
// figures (or none), and hold its memory steady. Run on purpose: `make soak`.
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <string>

#include "host/memory_policy.h"
#include "monitor/monitor_cycle.h"
#include "probes/endpoints.h"
#include "probes/hosts.h"
#include "probes/probes.h"
#include "support/loopback_server.h"
#include "text/code_page.h"
#include "watchlist/memory_watch_table.h"

using namespace korvane;
using namespace std::chrono_literals;
using test::Fault;
using test::LoopbackServer;
using test::RecordedRequest;
using test::Reply;

namespace {

constexpr int kRows = 10000;

long rss_kb() {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    }
    return -1;
}

int id_of(const std::string& target, const char* key) {
    const size_t at = target.find(key);
    return at == std::string::npos ? -1 : std::atoi(target.c_str() + at + std::strlen(key));
}

// Deterministic faults: one request in n of each kind, spread by the request number.
Reply answer(const RecordedRequest& r, uint64_t n) {
    switch (n % 50) {
        case 3:
            return Reply::failing(Fault::close_before_reply);
        case 7: {
            Reply e = Reply::ok("internal error");
            e.status = 500;
            return e;
        }
        case 11:
            return Reply::ok(std::string("\x00\xFF\xFE garbage \xC3\x28", 14));
        case 13: {
            Reply slow = Reply::ok("");
            slow.delay = 30ms;
            slow.fault = Fault::close_mid_body;
            slow.body = std::string(200, 'x');
            slow.partial_body = 50;
            return slow;
        }
        default:
            break;
    }
    if (n % 2000 == 17) {  // over the size bound: streamed, never held in memory
        Reply big;
        big.stream_length = 20ull << 20;
        big.fill = [](uint64_t, char* out, size_t len) { std::memset(out, 'z', len); };
        return big;
    }
    if (const int id = id_of(r.target, "?id="); id >= 0) {
        return Reply::ok("{\"x\":\"月销" + std::to_string(1000 + id) + "笔\"}");
    }
    const int activity = id_of(r.target, "activityId=");
    if (activity % 10 == 9) return Reply::ok("优惠券 该优惠券不存在或者已经过期");
    return Reply::ok("优惠券<i class=\"count\">" + std::to_string(activity % 97) + "</i>");
}

}  // namespace

int main() {
    keep_large_blocks_out_of_the_heap();
    std::atomic<uint64_t> served{0};
    LoopbackServer server([&](const RecordedRequest& r) { return answer(r, served++); });
    if (!server.running()) return 2;
    const std::string at = "127.0.0.1:" + std::to_string(server.port());
    set_market_hosts({at, at, at, at, at, at});

    MemoryWatchTable table;
    std::vector<WatchEntry> rows(kRows);
    for (int i = 0; i < kRows; ++i) {
        rows[i].cells[kColProductId] = std::to_string(i);
        rows[i].cells[kColCouponLink] = coupon_page_url(std::to_string(i), "1");
        rows[i].cells[kColSalesAtAdd] = "1000";
    }
    table.append_rows(std::move(rows));

    RowColourStore colours;
    MonitorSetup setup;
    setup.table = &table;
    setup.colours = &colours;
    setup.interval_text = [] { return Text("0"); };
    setup.row_pause_ms = 0;
    const PageProbes probes = marketplace_probes();
    setup.fetch_item = probes.fetch_item;
    setup.fetch_coupon = probes.fetch_coupon;
    std::mutex m;
    std::condition_variable cv;
    bool pass_done = false;
    long rss_at_1000 = 0;
    setup.on_row_checked = [&](int row) {
        // The server's own log of requests is not the monitor's memory: keep it short.
        if (row % 100 == 0) server.clear_requests();
        if (row == 999) rss_at_1000 = rss_kb();
        if (row % 1000 == 999)
            std::printf("soak: %5d rows checked, %.1f MB resident\n", row + 1, rss_kb() / 1024.0);
    };
    setup.on_pass_done = [&] {
        std::lock_guard lock(m);
        pass_done = true;
        cv.notify_all();
    };

    const auto t0 = std::chrono::steady_clock::now();
    Monitor monitor(setup);
    monitor.start();
    {
        std::unique_lock lock(m);
        if (!cv.wait_for(lock, 15min, [&] { return pass_done; })) {
            std::printf("soak: the pass did not finish within 15 minutes\n");
            return 1;
        }
    }
    monitor.stop();
    NoEventPump events;
    monitor.shut_down(events);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    const long rss_end = rss_kb();

    int wrong = 0, empty_sales = 0, gone = 0;
    for (int i = 0; i < kRows; ++i) {
        const Text sales = table.get_cell(i, kColSalesNow);
        const Text claimed = table.get_cell(i, kColClaimedNow);
        const Text state = table.get_cell(i, kColState);
        if (table.get_cell(i, kColProductId) != std::to_string(i)) ++wrong;
        if (sales.empty()) {
            ++empty_sales;
        } else if (sales != std::to_string(1000 + i) ||
                   table.get_cell(i, kColSold) != std::to_string(i)) {
            ++wrong;
        }
        if (state == gbk("优惠券不存在,或领光")) {
            ++gone;
            if (i % 10 != 9) ++wrong;
        } else if (state != gbk("状态正常")) {
            ++wrong;
        } else if (!claimed.empty() && claimed != std::to_string(i % 97)) {
            ++wrong;
        }
    }
    std::printf(
        "soak: %d rows, %zu requests in %.1f s; rows with another row's figures: %d; rows whose "
        "item page never answered: %d; gone coupons: %d\n"
        "soak: resident memory after 1,000 checks %.1f MB, after the soak %.1f MB (%+.1f MB)\n",
        kRows, server.request_count(), seconds, wrong, empty_sales, gone, rss_at_1000 / 1024.0,
        rss_end / 1024.0, (rss_end - rss_at_1000) / 1024.0);
    const bool memory_steady = rss_end - rss_at_1000 < 8 * 1024;
    std::printf("soak: %s\n", wrong == 0 && memory_steady ? "passed" : "FAILED");
    return wrong == 0 && memory_steady ? 0 : 1;
}
