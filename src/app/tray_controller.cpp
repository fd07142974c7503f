#include "app/tray_controller.h"

#include <QCursor>
#include <QMenu>
#include <QWidget>

#include "app/qt_text.h"
#include "app/tray_icon.h"
#include "app/window_placement_qt.h"
#include "shell/tray_events.h"
#include "shell/tray_icon_picture.h"
#include "shell/window_placement.h"

namespace korvane {

TrayController::TrayController(QWidget* main_window, QMenu* tray_menu, TrayIcon& tray,
                               std::function<void()> open_close_prompt, QObject* parent)
    : QObject(parent),
      window_(main_window),
      menu_(tray_menu),
      tray_(tray),
      open_close_prompt_(std::move(open_close_prompt)) {
    if (!menu_) return;
    menu_->clear();
    menu_->addAction(QString::fromUtf8("显示软件"), this, &TrayController::show_software);
    menu_->addSeparator();
    menu_->addAction(QString::fromUtf8("隐藏软件"), this, &TrayController::hide_software);
    menu_->addSeparator();
    menu_->addAction(QString::fromUtf8("退出软件"), this, &TrayController::exit_software);
}

void TrayController::install_tray_icon() {
    add_icon();
    // The controller may be gone before the icon at the end of the process.
    QPointer<TrayController> self(this);
    tray_.set_callback([self](uint32_t code) {
        if (self) self->on_tray_event(code);
    });
}

void TrayController::add_icon() {
    if (!window_) return;
    tray_.add_icon(window_, program_icon_ico_bytes(), true, to_text(window_->windowTitle()));
}

void TrayController::on_tray_event(uint32_t code) {
    switch (tray_action_for(code)) {
        case TrayAction::show_window:
            set_window_placement(window_, kPlacementNormal);
            if (window_) window_->show();
            break;
        case TrayAction::pop_up_menu:
            pop_up_menu();
            break;
        case TrayAction::add_icon_again:
            add_icon();
            break;
        case TrayAction::nothing:
            break;
    }
}

void TrayController::pop_up_menu() {
    if (!menu_) return;
    const QPoint cursor = QCursor::pos();
    const ScreenPoint at = tray_menu_point({cursor.x(), cursor.y()});
    menu_->popup(QPoint(at.x, at.y));
}

void TrayController::show_software() {
    if (!window_) return;
    window_->show();
    set_window_placement(window_, kPlacementCentred);
}

void TrayController::hide_software() {
    if (!window_) return;
    window_->hide();
    // Written to a hidden window this changes nothing; the window comes back as it was.
    set_window_placement(window_, kPlacementMinimised);
}

void TrayController::exit_software() {
    if (open_close_prompt_) open_close_prompt_();
}

}  // namespace korvane
