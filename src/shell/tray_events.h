// What reaches the program from its notification-area icon, and what it does about it.
#pragma once

#include <cstdint>

namespace korvane {

// Callback codes: the shell's mouse messages for the icon, and two of our own.
constexpr uint32_t kTrayMouseMove = 0x200;
constexpr uint32_t kTrayLeftButtonDown = 0x201;
constexpr uint32_t kTrayLeftButtonUp = 0x202;
constexpr uint32_t kTrayLeftButtonDoubleClick = 0x203;
constexpr uint32_t kTrayRightButtonDown = 0x204;
constexpr uint32_t kTrayMiddleButtonDown = 0x207;
constexpr uint32_t kTrayTaskbarCreated = 1120;
constexpr uint32_t kTrayWindowDestroyed = 1130;

enum class TrayAction {
    nothing,
    show_window,     // placement normal, then visible
    pop_up_menu,     // the tray menu, just below and right of the pointer
    add_icon_again,  // the notification area was recreated and lost our icon
};

TrayAction tray_action_for(uint32_t code);

struct ScreenPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const ScreenPoint&, const ScreenPoint&) = default;
};

// Where the tray menu opens for a pointer at `cursor`: 3 pixels right and 3 down.
ScreenPoint tray_menu_point(ScreenPoint cursor);

// Tells when the notification area has come (back): fed its availability now and then, it
// answers true once for each change from unavailable to available.
class NotificationAreaWatch {
  public:
    explicit NotificationAreaWatch(bool available_now = true) : lost_(!available_now) {}
    bool came_back(bool available_now);

  private:
    bool lost_;
};

}  // namespace korvane
