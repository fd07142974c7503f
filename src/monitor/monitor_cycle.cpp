#include "monitor/monitor_cycle.h"

#include <chrono>
#include <cmath>

#include "monitor/delay.h"
#include "probes/derived_values.h"
#include "text/code_page.h"

namespace korvane {
namespace {

// One row's check: the identity it was started with, and the guarded writes.
class RowCheck {
  public:
    RowCheck(MonitorRun& run, const MonitorSetup& setup, int row)
        : run_(run), setup_(setup), row_(row) {}

    // Reads the row's identity and sales at add in one step; false when stopped.
    bool read() {
        bool ok = false;
        setup_.table->run_atomically([&] {
            if (run_.stopped()) return;
            product_id_ = setup_.table->get_cell(row_, kColProductId);
            coupon_link_ = setup_.table->get_cell(row_, kColCouponLink);
            sales_at_add_ = setup_.table->get_cell(row_, kColSalesAtAdd);
            ok = true;
        });
        return ok;
    }

    // Writes only while the run goes on and the row still holds this check's product.
    bool write(int column, const Text& text) {
        return guarded([&] { setup_.table->set_cell(row_, column, text); });
    }
    bool colour(Colour text) {
        return guarded([&] {
            setup_.colours->set_row_colour(setup_.colour_parent, setup_.colour_list, row_, text,
                                           kColourDefault);
        });
    }

    const Text& product_id() const { return product_id_; }
    const Text& coupon_link() const { return coupon_link_; }
    const Text& sales_at_add() const { return sales_at_add_; }

  private:
    bool guarded(const std::function<void()>& action) {
        bool ok = false;
        setup_.table->run_atomically([&] {
            if (run_.stopped()) return;
            if (setup_.table->row_count() <= row_) return;
            if (setup_.table->get_cell(row_, kColProductId) != product_id_) return;
            if (setup_.table->get_cell(row_, kColCouponLink) != coupon_link_) return;
            action();
            ok = true;
        });
        return ok;
    }

    MonitorRun& run_;
    const MonitorSetup& setup_;
    int row_;
    Text product_id_;
    Text coupon_link_;
    Text sales_at_add_;
};

// Checks one row; false when the row's writes were cut short (stopped, or the row changed).
bool check_row(MonitorRun& run, const MonitorSetup& setup, int row) {
    RowCheck check(run, setup, row);
    if (!check.read()) return false;

    if (run.stopped()) return false;
    const Text page = setup.fetch_item(check.product_id(), setup.tries, run.stop_flag());
    const Text sales = text_strip_spaces(text_between(page, gbk("月销"), gbk("笔")));
    if (!check.write(kColSalesNow, text_strip_spaces(sales))) return false;
    const int32_t sold = units_sold(sales, check.sales_at_add());
    if (!check.write(kColSold, text_strip_spaces(text_from_int(sold)))) return false;

    if (run.stopped()) return false;
    const Text coupon = setup.fetch_coupon(check.coupon_link(), setup.tries, run.stop_flag());
    Colour colour = kColourGreen;
    if (coupon_gone(coupon)) {
        if (!check.write(kColState, gbk("优惠券不存在,或领光"))) return false;
        colour = kColourRed;
    } else {
        const Text claimed = text_between(coupon, "count\">", "<");
        const float rate = conversion_rate(sold, claimed);
        if (!check.write(kColClaimedNow, text_strip_spaces(claimed))) return false;
        if (!check.write(kColRate, rate_cell_text(rate))) return false;
        if (!check.write(kColState, gbk("状态正常"))) return false;
    }
    if (!check.write(kColCheckTime, text_from_datetime(setup.clock()))) return false;
    return check.colour(colour);
}

}  // namespace

Text rate_cell_text(float rate) {
    if (!std::isfinite(rate)) return {};
    return text_from_float(rate);
}

void monitor_loop(MonitorRun& run, const MonitorSetup& setup, EventPump& events) {
    while (!run.stopped()) {
        const int rows = setup.table->row_count();
        for (int row = 0; row < rows && !run.stopped(); ++row) {
            check_row(run, setup, row);
            if (setup.on_row_checked && !run.stopped()) setup.on_row_checked(row);
            delay_ms(setup.row_pause_ms, run, events);
        }
        if (run.stopped()) break;
        if (setup.on_pass_done) setup.on_pass_done();
        const int32_t minutes = text_to_int(setup.interval_text ? setup.interval_text() : Text{});
        const int32_t pause =
            setup.interval_pause ? setup.interval_pause(minutes) : interval_pause_ms(minutes);
        delay_ms(pause, run, events);
    }
}

Monitor::Monitor(MonitorSetup setup) : setup_(std::move(setup)) {}

Monitor::~Monitor() {
    NoEventPump none;
    shut_down(none);
}

void Monitor::start() {
    std::lock_guard lock(mutex_);
    if (current_) current_->stop();
    reap_finished();
    auto run = std::make_shared<MonitorRun>();
    auto finished = std::make_shared<std::atomic<bool>>(false);
    current_ = run;
    Worker& worker = workers_.emplace_back();
    worker.run = run;
    worker.finished = finished;
    worker.thread = std::thread([setup = &setup_, run, finished] {
        NoEventPump events;
        monitor_loop(*run, *setup, events);
        finished->store(true);
    });
}

void Monitor::stop() {
    std::lock_guard lock(mutex_);
    if (current_) current_->stop();
    current_.reset();
}

bool Monitor::running() const {
    std::lock_guard lock(mutex_);
    return current_ != nullptr;
}

void Monitor::reap_finished() {
    for (auto it = workers_.begin(); it != workers_.end();) {
        if (it->finished->load()) {
            it->thread.join();
            it = workers_.erase(it);
        } else {
            ++it;
        }
    }
}

void Monitor::shut_down(EventPump& events) {
    std::list<Worker> workers;
    {
        std::lock_guard lock(mutex_);
        current_.reset();
        for (Worker& w : workers_)
            w.run->stop();
        workers.swap(workers_);
    }
    for (Worker& w : workers) {
        while (!w.finished->load()) {
            events.process_pending_events();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        w.thread.join();
    }
}

}  // namespace korvane
