// The main window's placement: 0 normal, 1 centred, 2 minimised, 3 maximised. A written value
// acts only on a visible window; 3 is only ever read.
#pragma once

namespace korvane {

enum Placement : int {
    kPlacementNormal = 0,
    kPlacementCentred = 1,
    kPlacementMinimised = 2,
    kPlacementMaximised = 3,
};

struct WindowSize {
    int width = 0;
    int height = 0;
};

struct WindowPosition {
    int x = 0;
    int y = 0;
    friend bool operator==(const WindowPosition&, const WindowPosition&) = default;
};

// What placement needs of a window. Size and position are the outer frame's; the screen is
// the primary one.
class PlacedWindow {
  public:
    virtual ~PlacedWindow() = default;
    virtual bool is_visible() const = 0;
    virtual bool is_minimised() const = 0;
    virtual bool is_maximised() const = 0;
    virtual WindowSize size() const = 0;
    virtual WindowPosition position() const = 0;
    virtual WindowSize screen_size() const = 0;
    virtual void show_normal() = 0;
    virtual void restore() = 0;
    virtual void move_to(WindowPosition at) = 0;
    virtual void minimise() = 0;
};

// Top-left corner that centres a window on the screen, by integer division.
WindowPosition centred_position(WindowSize screen, WindowSize window);

// Values other than 0, 1 and 2 do nothing.
void set_placement(PlacedWindow& window, int value);
int placement(const PlacedWindow& window);

}  // namespace korvane
