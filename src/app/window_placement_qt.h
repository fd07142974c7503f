// Placement of a Qt top-level widget: its frame's size and position, the primary screen.
#pragma once

#include <QPointer>
#include <QWidget>

#include "shell/window_placement.h"

namespace korvane {

class QtPlacedWindow final : public PlacedWindow {
  public:
    explicit QtPlacedWindow(QWidget* window) : window_(window) {}

    bool is_visible() const override;
    bool is_minimised() const override;
    bool is_maximised() const override;
    WindowSize size() const override;
    WindowPosition position() const override;
    WindowSize screen_size() const override;
    void show_normal() override;
    void restore() override;
    void move_to(WindowPosition at) override;
    void minimise() override;

  private:
    QPointer<QWidget> window_;
};

// Writes a placement value to a widget (nothing for a null one).
void set_window_placement(QWidget* window, int value);

}  // namespace korvane
