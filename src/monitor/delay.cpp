#include "monitor/delay.h"

#include <chrono>
#include <cmath>
#include <limits>

namespace korvane {

void delay_ms(int32_t milliseconds, MonitorRun& run, EventPump& events) {
    events.process_pending_events();
    if (milliseconds > 0 && !run.stopped()) {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        run.wait_until(deadline);
    }
    events.process_pending_events();
}

int32_t interval_pause_ms(int32_t minutes) {
    const double ms = std::trunc(static_cast<double>(minutes) * 60000.0);
    if (ms >= static_cast<double>(std::numeric_limits<int32_t>::max())) {
        return std::numeric_limits<int32_t>::max();
    }
    if (ms <= 0) return 0;
    return static_cast<int32_t>(ms);
}

}  // namespace korvane
