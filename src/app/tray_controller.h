// What the main window does with its tray icon: the start-up step that installs it, the
// answer to each mouse event, and the tray menu "托盘菜单".
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

class QMenu;
class QWidget;

namespace korvane {

class TrayIcon;

class TrayController final : public QObject {
    Q_OBJECT
  public:
    // Fills the menu with its items. `open_close_prompt` is what "退出软件" runs.
    TrayController(QWidget* main_window, QMenu* tray_menu, TrayIcon& tray,
                   std::function<void()> open_close_prompt, QObject* parent = nullptr);

    // The program's icon with the window's caption as tip, then the mouse callback.
    void install_tray_icon();
    void on_tray_event(uint32_t code);

    void show_software();  // "显示软件"
    void hide_software();  // "隐藏软件"
    void exit_software();  // "退出软件"

  private:
    void add_icon();
    void pop_up_menu();

    QPointer<QWidget> window_;
    QPointer<QMenu> menu_;
    TrayIcon& tray_;
    std::function<void()> open_close_prompt_;
};

}  // namespace korvane
