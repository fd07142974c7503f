// The monitor's pause: waits the given milliseconds on the monitor thread, returning at once
// when its run is stopped. Pending events of the calling thread run before and after.
#pragma once

#include <cstdint>

#include "host/event_pump.h"
#include "monitor/monitor_run.h"

namespace korvane {

// 0 or less returns at once; counts up to 2147483647 (about 24.8 days) are accepted.
void delay_ms(int32_t milliseconds, MonitorRun& run, EventPump& events);

// The pause between passes: minutes × 60000 in double precision, truncated toward zero and
// capped to the 32-bit millisecond range (a larger interval would otherwise wrap).
int32_t interval_pause_ms(int32_t minutes);

}  // namespace korvane
