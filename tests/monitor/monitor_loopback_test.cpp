// The monitor with the real probes against a loopback marketplace that misbehaves.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "monitor/monitor_cycle.h"
#include "probes/endpoints.h"
#include "probes/hosts.h"
#include "probes/probes.h"
#include "support/loopback_server.h"
#include "text/code_page.h"
#include "watchlist/memory_watch_table.h"

namespace korvane {
namespace {

using namespace std::chrono_literals;
using test::Fault;
using test::LoopbackServer;
using test::RecordedRequest;
using test::Reply;

class MonitorLoopbackTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(server_.running());
        const std::string at = "127.0.0.1:" + std::to_string(server_.port());
        set_market_hosts({at, at, at, at, at, at});
        setup_.table = &table_;
        setup_.colours = &colours_;
        setup_.interval_text = [] { return Text("0"); };
        setup_.row_pause_ms = 0;
        setup_.interval_pause = [](int32_t) { return 10; };
        const PageProbes probes = marketplace_probes();
        setup_.fetch_item = probes.fetch_item;
        setup_.fetch_coupon = probes.fetch_coupon;
    }
    void TearDown() override { set_market_hosts(default_market_hosts()); }

    void add_row(const Text& id, const Text& activity) {
        const int row = table_.insert_row();
        table_.set_cell(row, kColProductId, id);
        table_.set_cell(row, kColCouponLink, coupon_page_url(activity, "9"));
        table_.set_cell(row, kColSalesAtAdd, "100");
    }

    LoopbackServer server_;
    MemoryWatchTable table_;
    RowColourStore colours_;
    MonitorSetup setup_;
};

TEST_F(MonitorLoopbackTest, StopWhileARequestHangsAbortsItAndWritesNothing) {
    server_.set_handler([](const RecordedRequest&) { return Reply::failing(Fault::never_reply); });
    add_row("1", "1");
    Monitor monitor(setup_);
    monitor.start();
    ASSERT_TRUE(server_.wait_for_requests(1, 5s));
    const auto t0 = std::chrono::steady_clock::now();
    monitor.stop();
    NoEventPump events;
    monitor.shut_down(events);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, 2s);
    EXPECT_EQ(table_.get_cell(0, kColSalesNow), "");
    EXPECT_EQ(table_.get_cell(0, kColState), "");
    EXPECT_TRUE(colours_.rows_of(nullptr).empty());
}

TEST_F(MonitorLoopbackTest, FaultyPagesAreRetriedAndEveryRowKeepsItsOwnFigures) {
    // Per product ID: item pages that drop, answer garbage or answer late; coupons that are
    // valid or gone. Each row's figures must come from its own product.
    server_.set_handler([](const RecordedRequest& r) {
        const std::string& t = r.target;
        if (t.find("/cache/wdetail/") == 0) {
            const std::string id = t.substr(t.find("id=") + 3);
            if (id == "drop") return Reply::failing(Fault::close_before_reply);
            if (id == "junk") return Reply::ok(std::string("\xFF\xFE\x00\x80", 4));
            if (id == "500") {
                Reply reply = Reply::ok("server error");
                reply.status = 500;
                return reply;
            }
            return Reply::ok("月销" + std::to_string(100 + std::stoi(id)) + "笔");
        }
        if (t.find("activityId=gone") != std::string::npos) {
            return Reply::ok("优惠券 您浏览店铺不存在或已经关闭");
        }
        return Reply::ok("优惠券<i class=\"count\">" + t.substr(t.find("activityId=") + 11, 1) +
                         "</i>");
    });
    add_row("7", "4");
    add_row("drop", "gone");
    add_row("junk", "5");
    add_row("500", "6");
    add_row("13", "gone");

    int passes = 0;
    std::mutex m;
    std::condition_variable done;
    setup_.on_pass_done = [&] {
        std::lock_guard lock(m);
        ++passes;
        done.notify_all();
    };
    Monitor monitor(setup_);
    monitor.start();
    {
        std::unique_lock lock(m);
        ASSERT_TRUE(done.wait_for(lock, 20s, [&] { return passes >= 1; }));
    }
    monitor.stop();
    NoEventPump events;
    monitor.shut_down(events);

    const struct {
        const char* sales;
        const char* sold;
        const char* claimed;
        const char* state;
    } expected[] = {
        {"107", "7", "4", "状态正常"},
        {"", "-100", "", "优惠券不存在,或领光"},
        {"", "-100", "5", "状态正常"},
        {"", "-100", "6", "状态正常"},
        {"113", "13", "", "优惠券不存在,或领光"},
    };
    for (int row = 0; row < 5; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(table_.get_cell(row, kColSalesNow), expected[row].sales);
        EXPECT_EQ(table_.get_cell(row, kColSold), expected[row].sold);
        EXPECT_EQ(table_.get_cell(row, kColClaimedNow), expected[row].claimed);
        EXPECT_EQ(table_.get_cell(row, kColState), gbk(expected[row].state));
    }
    // Three tries for every item page that never showed its marker.
    size_t drop_requests = 0;
    for (const auto& r : server_.requests())
        drop_requests += r.target.find("id=drop") != std::string::npos;
    EXPECT_GE(drop_requests, 3u);
}

}  // namespace
}  // namespace korvane
