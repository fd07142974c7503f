// One run of the monitor: its stop flag and the wake-up that cuts a pause short.
// Each start of monitoring makes a new run; stopping only flags it, never waits for it.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace korvane {

class MonitorRun {
  public:
    void stop();
    bool stopped() const { return stopped_.load(std::memory_order_acquire); }
    // The flag itself, for a request in progress to poll and abort on.
    const std::atomic<bool>* stop_flag() const { return &stopped_; }

    // Waits until the deadline or until stopped; true when the time passed.
    bool wait_until(std::chrono::steady_clock::time_point deadline);

  private:
    std::atomic<bool> stopped_{false};
    std::mutex mutex_;
    std::condition_variable wake_;
};

}  // namespace korvane
