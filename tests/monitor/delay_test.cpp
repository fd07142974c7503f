#include "monitor/delay.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <thread>

#include "support/host_doubles.h"

namespace korvane {
namespace {

using Clock = std::chrono::steady_clock;

TEST(Delay, ZeroAndNegativeReturnAtOnceAfterRunningEvents) {
    for (int32_t ms : {0, -1, INT_MIN}) {
        MonitorRun run;
        CountingEventPump events;
        const auto t0 = Clock::now();
        delay_ms(ms, run, events);
        EXPECT_LT(Clock::now() - t0, std::chrono::seconds(1)) << ms;
        EXPECT_GE(events.calls, 1);
    }
}

TEST(Delay, WaitsRoughlyTheTimeGiven) {
    MonitorRun run;
    NoEventPump events;
    const auto t0 = Clock::now();
    delay_ms(50, run, events);
    EXPECT_GE(Clock::now() - t0, std::chrono::milliseconds(50));
}

TEST(Delay, StopCutsTheLongestPauseShort) {
    MonitorRun run;
    NoEventPump events;
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        run.stop();
    });
    const auto t0 = Clock::now();
    delay_ms(INT_MAX, run, events);
    EXPECT_LT(Clock::now() - t0, std::chrono::seconds(5));
    stopper.join();
    // A stopped run does not pause any more.
    const auto t1 = Clock::now();
    delay_ms(INT_MAX, run, events);
    EXPECT_LT(Clock::now() - t1, std::chrono::seconds(1));
}

TEST(Delay, IntervalPauseIsMinutesTimesSixtyThousandCapped) {
    const struct {
        int32_t minutes;
        int32_t ms;
    } cases[] = {{10, 600000},       {0, 0},      {-3, 0}, {35791, 2147460000}, {35792, INT_MAX},
                 {INT_MAX, INT_MAX}, {INT_MIN, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(interval_pause_ms(c.minutes), c.ms) << c.minutes;
}

}  // namespace
}  // namespace korvane
