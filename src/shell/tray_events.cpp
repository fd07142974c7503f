#include "shell/tray_events.h"

#include <limits>

namespace korvane {
namespace {

int plus_three(int v) {
    return v > std::numeric_limits<int>::max() - 3 ? std::numeric_limits<int>::max() : v + 3;
}

}  // namespace

TrayAction tray_action_for(uint32_t code) {
    switch (code) {
        case kTrayLeftButtonDown:
            return TrayAction::show_window;
        case kTrayRightButtonDown:
            return TrayAction::pop_up_menu;
        case kTrayTaskbarCreated:
            // Without this a hidden window could not be brought back after a shell restart.
            return TrayAction::add_icon_again;
        default:
            return TrayAction::nothing;
    }
}

ScreenPoint tray_menu_point(ScreenPoint cursor) {
    return {plus_three(cursor.x), plus_three(cursor.y)};
}

bool NotificationAreaWatch::came_back(bool available_now) {
    if (!available_now) {
        lost_ = true;
        return false;
    }
    const bool back = lost_;
    lost_ = false;
    return back;
}

}  // namespace korvane
