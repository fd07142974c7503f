#include "app/close_prompt_guard.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QWidget>
#ifndef QT_NO_SESSIONMANAGER
#include <QSessionManager>
#endif

#include "app/close_prompt.h"

namespace korvane {

CloseGuard::CloseGuard(QWidget* main_window, TrayIcon* tray, ProcessEnd end)
    : QObject(main_window), main_window_(main_window), tray_(tray), end_(std::move(end)) {
    if (main_window_) main_window_->installEventFilter(this);
    // With the window hidden in the tray, closing the prompt or the tray menu must not end
    // the program: only the exit choice does.
    QApplication::setQuitOnLastWindowClosed(false);
#ifndef QT_NO_SESSIONMANAGER
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager& session) {
        answer_end_session_query(session.allowsInteraction());
        session.cancel();
    });
#endif
}

void CloseGuard::open_prompt() {
    if (open_) {
        // A second request while the prompt is up would stack a second modal prompt.
        if (auto* prompt = main_window_ ? main_window_->findChild<ClosePrompt*>() : nullptr) {
            prompt->raise();
            prompt->activateWindow();
        }
        return;
    }
    open_ = true;
    open_close_prompt(main_window_, tray_, end_);
    open_ = false;
}

void CloseGuard::answer_end_session_query(bool may_interact) {
    if (may_interact) open_prompt();
}

bool CloseGuard::eventFilter(QObject* watched, QEvent* event) {
    if (watched == main_window_ && event->type() == QEvent::Close) {
        event->ignore();
        open_prompt();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

CloseGuard* install_close_guard(QWidget* main_window, TrayIcon* tray, ProcessEnd end) {
    if (!main_window) return nullptr;
    return new CloseGuard(main_window, tray, std::move(end));
}

}  // namespace korvane
