// TrayIcon: the program's one notification-area icon. It keeps the icon record, shows the
// icon through Qt, and hands every mouse event on the icon to one callback as the shell's
// code, plus 1120 when the notification area comes back and 1130 when the window goes.
#pragma once

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>
#include <functional>
#include <optional>

#include "shell/tray_events.h"
#include "shell/tray_icon_record.h"
#include "text/text.h"

class QWidget;

namespace korvane {

// The shell's code for an activation; none for a reason it has no code for.
std::optional<uint32_t> tray_code_for(QSystemTrayIcon::ActivationReason reason);

class TrayIcon final : public QObject {
    Q_OBJECT
  public:
    using Callback = std::function<void(uint32_t code)>;

    explicit TrayIcon(QObject* parent = nullptr);
    ~TrayIcon() override;  // removes the icon

    // False, and nothing changed, for a null window. Otherwise the icon is shown with the
    // window's icon when the file is not used, and with an empty picture when neither gives
    // one. True when a notification area took the icon.
    bool add_icon(QWidget* window, const Bytes& ico, bool use_icon_file, const Text& tip);
    // Takes the icon down and stops the events. True when it was shown.
    bool remove_icon();
    // Null on bad data. Width and height are the directory entry's bytes (0 when unreadable).
    QIcon icon_from_ico_bytes(const Bytes& ico, int index, int* width, int* height);
    // Without a window from add_icon this does nothing.
    void set_callback(Callback callback, bool callback_given = true);

    const TrayIconRecord& record() const { return record_; }
    QWidget* window() const { return window_; }
    QSystemTrayIcon& system_icon() { return *icon_; }

    // One look at the notification area; the watch timer calls it with the real availability.
    void check_notification_area(bool available_now);

  private:
    void on_activated(QSystemTrayIcon::ActivationReason reason);
    void deliver(uint32_t code);

    QSystemTrayIcon* icon_ = nullptr;
    QPointer<QWidget> window_;
    TrayIconRecord record_;
    Callback callback_;
    bool hooked_ = false;
    uint32_t icons_made_ = 0;
    QTimer area_timer_;
    NotificationAreaWatch area_watch_;
    QMetaObject::Connection activated_connection_;
    QMetaObject::Connection destroyed_connection_;
};

}  // namespace korvane
