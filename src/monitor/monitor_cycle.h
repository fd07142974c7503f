// The monitor: an endless cycle on one worker thread that re-checks every row of the watch
// table (sales now, units sold, coupons claimed, rate, state, check time), colours the row
// green while its coupon exists and red once it is gone, pauses a second between rows and
// the chosen interval between passes.
//
// Stopping is cooperative and immediate: the run's flag is checked before every request,
// inside every cell write (in the same atomic table step as the write) and in every pause,
// and a request in progress is aborted. No cell and no colour changes after stop.
// A check's results land only in the row they belong to: every write first confirms that
// the row still holds the product ID and coupon link read at the start of its check.
#pragma once

#include <atomic>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

#include "host/event_pump.h"
#include "monitor/monitor_run.h"
#include "probes/page_probe.h"
#include "text/text.h"
#include "watchlist/row_colours.h"
#include "watchlist/watch_table.h"

namespace korvane {

struct MonitorSetup {
    WatchTable* table = nullptr;
    RowColourStore* colours = nullptr;
    WindowId colour_parent = nullptr;
    WindowId colour_list = nullptr;
    // The interval box's current text, in minutes.
    std::function<Text()> interval_text;
    PageProbe fetch_item;
    PageProbe fetch_coupon;
    std::function<DateTime()> clock = now_local;
    // Pauses; tests shorten them.
    int32_t row_pause_ms = 1000;
    std::function<int32_t(int32_t minutes)> interval_pause;  // default interval_pause_ms
    int tries = 3;
    // Observers for tests and tools: after each row's check and after each pass.
    std::function<void(int row)> on_row_checked;
    std::function<void()> on_pass_done;
};

// The body of the worker thread for one run; returns once the run is stopped.
void monitor_loop(MonitorRun& run, const MonitorSetup& setup, EventPump& events);

// The text a conversion rate cell shows: the float's text, or the empty text when the
// claimed count is 0 and the division has no finite result.
Text rate_cell_text(float rate);

class Monitor {
  public:
    explicit Monitor(MonitorSetup setup);
    // Stops every run and waits for the workers, running `events` meanwhile so that a worker
    // blocked on a table operation of the event thread can finish.
    ~Monitor();
    Monitor(const Monitor&) = delete;
    Monitor& operator=(const Monitor&) = delete;

    // A new run on a new thread; the previous run, if any, is stopped first.
    void start();
    // Flags the current run and returns at once.
    void stop();
    bool running() const;
    // Stops and waits as the destructor does.
    void shut_down(EventPump& events);
    // The setup the next start uses; change it only while no run is active.
    MonitorSetup& setup() { return setup_; }

  private:
    struct Worker {
        std::shared_ptr<MonitorRun> run;
        std::shared_ptr<std::atomic<bool>> finished;
        std::thread thread;
    };
    void reap_finished();

    MonitorSetup setup_;
    mutable std::mutex mutex_;
    std::list<Worker> workers_;
    std::shared_ptr<MonitorRun> current_;
};

}  // namespace korvane
