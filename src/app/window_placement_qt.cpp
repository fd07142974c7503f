#include "app/window_placement_qt.h"

#include <QGuiApplication>
#include <QScreen>

namespace korvane {

bool QtPlacedWindow::is_visible() const {
    return window_ && window_->isVisible();
}

bool QtPlacedWindow::is_minimised() const {
    return window_ && window_->isMinimized();
}

bool QtPlacedWindow::is_maximised() const {
    return window_ && window_->isMaximized();
}

WindowSize QtPlacedWindow::size() const {
    if (!window_) return {};
    const QRect frame = window_->frameGeometry();
    return {frame.width(), frame.height()};
}

WindowPosition QtPlacedWindow::position() const {
    if (!window_) return {};
    const QPoint at = window_->pos();
    return {at.x(), at.y()};
}

WindowSize QtPlacedWindow::screen_size() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return {};
    return {screen->geometry().width(), screen->geometry().height()};
}

void QtPlacedWindow::show_normal() {
    if (window_) window_->showNormal();
}

void QtPlacedWindow::restore() {
    if (window_) window_->showNormal();
}

void QtPlacedWindow::move_to(WindowPosition at) {
    // A top-level widget's position is its frame's, as the size is.
    if (window_) window_->move(at.x, at.y);
}

void QtPlacedWindow::minimise() {
    if (window_) window_->showMinimized();
}

void set_window_placement(QWidget* window, int value) {
    QtPlacedWindow placed(window);
    set_placement(placed, value);
}

}  // namespace korvane
