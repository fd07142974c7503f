// Lets the host window run its pending events from inside a long operation
// (loading a large list file, a request on the user-interface thread).
#pragma once

namespace korvane {

class EventPump {
  public:
    virtual ~EventPump() = default;
    virtual void process_pending_events() = 0;
};

// For callers without a window: tests, tools, the monitor thread.
class NoEventPump final : public EventPump {
  public:
    void process_pending_events() override {}
};

}  // namespace korvane
