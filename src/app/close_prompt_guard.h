// Every request to close the main window, and the session's request to end, opens the close
// prompt and is refused; only the prompt's exit choice ends the program.
#pragma once

#include <QObject>
#include <QPointer>

#include "app/close_prompt_exit.h"
#include "app/tray_icon.h"

class QWidget;

namespace korvane {

class ClosePrompt;

class CloseGuard final : public QObject {
    Q_OBJECT
  public:
    // Lives as a child of the main window.
    CloseGuard(QWidget* main_window, TrayIcon* tray, ProcessEnd end);

    // Opens the prompt modally, or brings forward the one already open.
    void open_prompt();
    // Logoff or shutdown: the prompt when the session lets us ask. The caller refuses after.
    void answer_end_session_query(bool may_interact);
    bool prompt_open() const { return open_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QPointer<QWidget> main_window_;
    QPointer<TrayIcon> tray_;
    ProcessEnd end_;
    bool open_ = false;
};

CloseGuard* install_close_guard(QWidget* main_window, TrayIcon* tray,
                                ProcessEnd end = real_process_end());

}  // namespace korvane
