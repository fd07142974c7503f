#include "monitor/monitor_cycle.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "probes/derived_values.h"
#include "text/code_page.h"
#include "watchlist/memory_watch_table.h"

namespace korvane {
namespace {

int parent_id, list_id;

// Records the order of cell writes and lets a test act in the middle of a check.
class RecordingTable final : public WatchTable {
  public:
    int row_count() const override { return inner.row_count(); }
    int insert_row(int index) override { return inner.insert_row(index); }
    void set_cell(int row, int column, const Text& text) override {
        inner.set_cell(row, column, text);
        writes.push_back(column);
        if (on_write) on_write(row, column);
    }
    Text get_cell(int row, int column) const override { return inner.get_cell(row, column); }
    void set_row_image(int row, int image) override { inner.set_row_image(row, image); }
    void delete_row(int row) override { inner.delete_row(row); }
    void delete_all_rows() override { inner.delete_all_rows(); }
    int current_selection() const override { return inner.current_selection(); }
    void run_atomically(const std::function<void()>& step) override { inner.run_atomically(step); }

    MemoryWatchTable inner;
    std::vector<int> writes;
    std::function<void(int row, int column)> on_write;
};

class MonitorCycleTest : public ::testing::Test {
  protected:
    MonitorCycleTest() {
        setup_.table = &table_;
        setup_.colours = &colours_;
        setup_.colour_parent = &parent_id;
        setup_.colour_list = &list_id;
        setup_.interval_text = [this] { return interval_; };
        setup_.row_pause_ms = 0;
        setup_.interval_pause = [this](int32_t minutes) {
            pauses_.push_back(minutes);
            return 0;
        };
        setup_.clock = [] { return DateTime{2026, 12, 11, 14, 5, 0}; };
        setup_.fetch_item = [this](const Text& id, int tries, const std::atomic<bool>*) {
            item_tries_.push_back(tries);
            return item_pages_.count(id) ? item_pages_[id] : Text{};
        };
        setup_.fetch_coupon = [this](const Text& link, int, const std::atomic<bool>*) {
            return coupon_pages_.count(link) ? coupon_pages_[link] : Text{};
        };
    }

    void add_row(const Text& id, const Text& link, const Text& sales_at_add) {
        const int row = table_.inner.insert_row();
        table_.inner.set_cell(row, kColProductId, id);
        table_.inner.set_cell(row, kColCouponLink, link);
        table_.inner.set_cell(row, kColSalesAtAdd, sales_at_add);
        table_.inner.set_cell(row, kColClaimedNow, "old10");
        table_.inner.set_cell(row, kColRate, "old11");
    }

    // One pass, then stop.
    void run_passes(int passes) {
        int done = 0;
        setup_.on_pass_done = [&] {
            if (++done == passes) run_.stop();
        };
        NoEventPump events;
        monitor_loop(run_, setup_, events);
    }

    Text cell(int row, int column) { return table_.get_cell(row, column); }
    std::optional<Colour> colour(int row) {
        const auto rows = colours_.rows_of(&list_id);
        if (row >= static_cast<int>(rows.size()) || !rows[row].set) return std::nullopt;
        return rows[row].text;
    }

    RecordingTable table_;
    RowColourStore colours_;
    MonitorSetup setup_;
    MonitorRun run_;
    Text interval_ = "10";
    std::vector<int32_t> pauses_;
    std::vector<int> item_tries_;
    std::map<Text, Text> item_pages_;
    std::map<Text, Text> coupon_pages_;
};

TEST_F(MonitorCycleTest, OnePassOverValidGoneAndUnreadableRows) {
    add_row("1", "http://c/1", "100");
    add_row("2", "http://c/2", "100");
    add_row("3", "http://c/3", "100");
    item_pages_["1"] = gbk("<b>月销 1 5 0 笔</b>");
    item_pages_["2"] = gbk("月销90笔");
    coupon_pages_["http://c/1"] = gbk("优惠券 <span class=\"count\"> 40 </span>");
    coupon_pages_["http://c/2"] = gbk("优惠券 该优惠券不存在或者已经过期");
    run_passes(1);

    const Text time = gbk("2026年12月11日14时5分");
    // Valid coupon: 150 - 100 sold, 50 × 100 / 40.
    EXPECT_EQ(cell(0, kColSalesNow), "150");
    EXPECT_EQ(cell(0, kColSold), "50");
    EXPECT_EQ(cell(0, kColClaimedNow), "40");
    EXPECT_EQ(cell(0, kColRate), "125");
    EXPECT_EQ(cell(0, kColState), gbk("状态正常"));
    EXPECT_EQ(cell(0, kColCheckTime), time);
    EXPECT_EQ(colour(0), kColourGreen);
    // Gone: red, the previous claimed count and rate stay.
    EXPECT_EQ(cell(1, kColSalesNow), "90");
    EXPECT_EQ(cell(1, kColSold), "-10");
    EXPECT_EQ(cell(1, kColClaimedNow), "old10");
    EXPECT_EQ(cell(1, kColRate), "old11");
    EXPECT_EQ(cell(1, kColState), gbk("优惠券不存在,或领光"));
    EXPECT_EQ(colour(1), kColourRed);
    // Unreadable pages: empty sales, minus the sales at add, a valid-looking green row whose
    // rate has no finite value and so shows empty.
    EXPECT_EQ(cell(2, kColSalesNow), "");
    EXPECT_EQ(cell(2, kColSold), "-100");
    EXPECT_EQ(cell(2, kColClaimedNow), "");
    EXPECT_EQ(cell(2, kColRate), "");
    EXPECT_EQ(cell(2, kColState), gbk("状态正常"));
    EXPECT_EQ(colour(2), kColourGreen);

    const std::vector<int> valid = {5, 6, 10, 11, 12, 13};
    const std::vector<int> gone = {5, 6, 12, 13};
    std::vector<int> expected = valid;
    expected.insert(expected.end(), gone.begin(), gone.end());
    expected.insert(expected.end(), valid.begin(), valid.end());
    EXPECT_EQ(table_.writes, expected);
    EXPECT_EQ(item_tries_, (std::vector<int>{3, 3, 3}));
    EXPECT_EQ(pauses_, (std::vector<int32_t>{10}));
}

TEST_F(MonitorCycleTest, EmptyTableOnlyPausesAndIntervalIsReadAfreshEachPass) {
    int pass = 0;
    setup_.interval_pause = [&](int32_t minutes) {
        pauses_.push_back(minutes);
        interval_ = (++pass == 1) ? "abc" : "-5";
        return 0;
    };
    run_passes(3);
    EXPECT_EQ(pauses_, (std::vector<int32_t>{10, 0, -5}));
    EXPECT_TRUE(item_tries_.empty());
    EXPECT_TRUE(table_.writes.empty());
}

TEST_F(MonitorCycleTest, StopBetweenTwoCellWritesChangesNothingMore) {
    add_row("1", "http://c/1", "100");
    add_row("2", "http://c/2", "100");
    item_pages_["1"] = gbk("月销150笔");
    table_.on_write = [&](int, int column) {
        if (column == kColSalesNow) run_.stop();
    };
    NoEventPump events;
    monitor_loop(run_, setup_, events);
    EXPECT_EQ(table_.writes, (std::vector<int>{kColSalesNow}));
    EXPECT_EQ(cell(0, kColSold), "");
    EXPECT_FALSE(colour(0).has_value());
    EXPECT_EQ(cell(1, kColSalesNow), "");
}

TEST_F(MonitorCycleTest, StopDuringARequestWritesNothing) {
    add_row("1", "http://c/1", "100");
    setup_.fetch_item = [](const Text&, int, const std::atomic<bool>* stop) {
        while (!stop->load())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return gbk("月销150笔");  // a late answer must not land
    };
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        run_.stop();
    });
    NoEventPump events;
    monitor_loop(run_, setup_, events);
    stopper.join();
    EXPECT_TRUE(table_.writes.empty());
    EXPECT_FALSE(colour(0).has_value());
}

TEST_F(MonitorCycleTest, ResultsNeverLandInAnotherProductsRow) {
    add_row("1", "http://c/1", "100");
    add_row("2", "http://c/2", "200");
    item_pages_["1"] = gbk("月销150笔");
    item_pages_["2"] = gbk("月销250笔");
    coupon_pages_["http://c/1"] = gbk("优惠券count\">1<");
    coupon_pages_["http://c/2"] = gbk("优惠券count\">2<");
    // The user deletes row 0 while its item page is being read.
    bool deleted = false;
    setup_.fetch_item = [&](const Text& id, int, const std::atomic<bool>*) {
        if (!deleted) {
            deleted = true;
            table_.inner.delete_row(0);
        }
        return item_pages_[id];
    };
    run_passes(1);
    ASSERT_EQ(table_.row_count(), 1);
    EXPECT_EQ(cell(0, kColProductId), "2");
    // Row 0 now holds product 2; product 1's figures were dropped, product 2 was checked as
    // row 1 of the pass, which no longer exists.
    EXPECT_EQ(cell(0, kColSalesNow), "");
    EXPECT_EQ(cell(0, kColClaimedNow), "old10");
    EXPECT_FALSE(colour(0).has_value());
}

TEST_F(MonitorCycleTest, RateTextForTheDivisionsThatMatter) {
    EXPECT_EQ(rate_cell_text(conversion_rate(50, "40")), "125");
    EXPECT_EQ(rate_cell_text(conversion_rate(7, "30")), "23.3");
    EXPECT_EQ(rate_cell_text(conversion_rate(3, "3")), "100");
    EXPECT_EQ(rate_cell_text(conversion_rate(0, "30")), "0");
    EXPECT_EQ(rate_cell_text(conversion_rate(-10, "40")), "-25");
    EXPECT_EQ(rate_cell_text(conversion_rate(5, "0")), "");
    EXPECT_EQ(rate_cell_text(conversion_rate(0, "")), "");
}

TEST(Monitor, StopIsImmediateAndStartBeginsAgainAtRowZero) {
    MemoryWatchTable table;
    RowColourStore colours;
    for (int i = 0; i < 3; ++i)
        table.set_cell(table.insert_row(), kColProductId, "p");
    std::mutex m;
    std::vector<int> rows_checked;
    MonitorSetup setup;
    setup.table = &table;
    setup.colours = &colours;
    setup.interval_text = [] { return Text("10"); };
    setup.row_pause_ms = 600000;  // a long pause between rows: only a stop ends it
    setup.fetch_item = [](const Text&, int, const std::atomic<bool>*) { return Text{}; };
    setup.fetch_coupon = setup.fetch_item;
    setup.on_row_checked = [&](int row) {
        std::lock_guard lock(m);
        rows_checked.push_back(row);
    };
    Monitor monitor(setup);
    const auto wait_for_rows = [&](size_t n) {
        for (int i = 0; i < 5000; ++i) {
            {
                std::lock_guard lock(m);
                if (rows_checked.size() >= n) return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    };
    monitor.start();
    wait_for_rows(1);
    monitor.stop();
    EXPECT_FALSE(monitor.running());
    monitor.start();
    wait_for_rows(2);
    NoEventPump events;
    const auto t0 = std::chrono::steady_clock::now();
    monitor.shut_down(events);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(5));
    EXPECT_EQ(rows_checked, (std::vector<int>{0, 0}));
}

}  // namespace
}  // namespace korvane
