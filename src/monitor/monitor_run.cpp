#include "monitor/monitor_run.h"

namespace korvane {

void MonitorRun::stop() {
    {
        std::lock_guard lock(mutex_);
        stopped_.store(true, std::memory_order_release);
    }
    wake_.notify_all();
}

bool MonitorRun::wait_until(std::chrono::steady_clock::time_point deadline) {
    std::unique_lock lock(mutex_);
    // The predicate form re-checks after every wake-up, spurious or not, so a failed or
    // early wake never turns into a busy loop or a short pause.
    return !wake_.wait_until(lock, deadline, [this] { return stopped(); });
}

}  // namespace korvane
