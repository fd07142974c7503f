#include "shell/window_placement.h"

#include <cstdint>

namespace korvane {

WindowPosition centred_position(WindowSize screen, WindowSize window) {
    // Halving a difference of two ints always fits back into an int.
    const auto half = [](int64_t outer, int64_t inner) {
        return static_cast<int>((outer - inner) / 2);
    };
    return {half(screen.width, window.width), half(screen.height, window.height)};
}

void set_placement(PlacedWindow& window, int value) {
    if (!window.is_visible()) return;
    switch (value) {
        case kPlacementNormal:
            window.show_normal();
            break;
        case kPlacementCentred: {
            if (window.is_minimised() || window.is_maximised()) window.restore();
            // Restoring changes the size, so the target is worked out afterwards.
            const WindowPosition target = centred_position(window.screen_size(), window.size());
            if (!(window.position() == target)) window.move_to(target);
            break;
        }
        case kPlacementMinimised:
            window.minimise();
            break;
        default:
            break;
    }
}

int placement(const PlacedWindow& window) {
    if (window.is_minimised()) return kPlacementMinimised;
    if (window.is_maximised()) return kPlacementMaximised;
    return kPlacementNormal;
}

}  // namespace korvane
