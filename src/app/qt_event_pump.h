// Runs the user-interface thread's pending events from inside a long operation.
#pragma once

#include <QCoreApplication>

#include "host/event_pump.h"

namespace korvane {

class QtEventPump final : public EventPump {
  public:
    void process_pending_events() override { QCoreApplication::processEvents(); }
};

}  // namespace korvane
