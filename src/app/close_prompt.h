// The close prompt "关闭提示": keep the program running in the notification area with the
// main window hidden, or end the process at once. Built anew for every opening.
#pragma once

#include <QDialog>
#include <QPointer>

#include "app/close_prompt_exit.h"
#include "app/tray_icon.h"

class QLabel;
class QPushButton;
class QRadioButton;

namespace korvane {

class ClosePrompt final : public QDialog {
    Q_OBJECT
  public:
    ClosePrompt(QWidget* main_window, TrayIcon* tray, ProcessEnd end);

    void confirm();  // "确认"

  private:
    QPointer<QWidget> main_window_;
    QPointer<TrayIcon> tray_;
    ProcessEnd end_;
    QRadioButton* keep_running_ = nullptr;
    QLabel* closing_label_ = nullptr;
    QPushButton* confirm_button_ = nullptr;
    QPushButton* cancel_button_ = nullptr;
};

// Opens a new prompt modally; returns when it has been closed (unless the process ended).
void open_close_prompt(QWidget* main_window, TrayIcon* tray, const ProcessEnd& end);

}  // namespace korvane
