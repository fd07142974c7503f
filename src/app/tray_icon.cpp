#include "app/tray_icon.h"

#include <QImage>
#include <QPixmap>
#include <QWidget>

#include "app/qt_text.h"
#include "shell/ico_file.h"

namespace korvane {
namespace {

// The shell may announce itself again at any time; a look every two seconds is enough for
// someone who wants the hidden window back.
constexpr int kAreaCheckMs = 2000;

QIcon empty_picture() {
    QPixmap blank(64, 64);
    blank.fill(Qt::transparent);
    return QIcon(blank);
}

uint32_t window_id(QWidget* window) {
    // Asking a child for its id would turn it into a native window.
    const WId id = window->isWindow() ? window->winId() : window->internalWinId();
    return static_cast<uint32_t>(id);
}

}  // namespace

std::optional<uint32_t> tray_code_for(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
        case QSystemTrayIcon::Trigger:
            return kTrayLeftButtonDown;
        case QSystemTrayIcon::DoubleClick:
            return kTrayLeftButtonDoubleClick;
        case QSystemTrayIcon::Context:
            return kTrayRightButtonDown;
        case QSystemTrayIcon::MiddleClick:
            return kTrayMiddleButtonDown;
        default:
            return std::nullopt;
    }
}

TrayIcon::TrayIcon(QObject* parent) : QObject(parent), icon_(new QSystemTrayIcon(this)) {
    area_timer_.setInterval(kAreaCheckMs);
    connect(&area_timer_, &QTimer::timeout, this,
            [this] { check_notification_area(QSystemTrayIcon::isSystemTrayAvailable()); });
}

TrayIcon::~TrayIcon() {
    remove_icon();
}

QIcon TrayIcon::icon_from_ico_bytes(const Bytes& ico, int index, int* width, int* height) {
    const RgbaImage image = image_from_ico_bytes(ico, index, width, height);
    if (image.empty()) return {};
    const QImage view(image.pixels.data(), image.width, image.height, image.width * 4,
                      QImage::Format_RGBA8888);
    return QIcon(QPixmap::fromImage(view.copy()));
}

bool TrayIcon::add_icon(QWidget* window, const Bytes& ico, bool use_icon_file, const Text& tip) {
    if (!window) return false;
    window_ = window;
    QIcon icon =
        use_icon_file ? icon_from_ico_bytes(ico, 0, nullptr, nullptr) : window->windowIcon();
    const uint32_t handle = icon.isNull() ? 0 : ++icons_made_;
    // An icon without a picture still takes its place, as a blank one.
    if (icon.isNull()) icon = empty_picture();
    record_ = fill_icon_record(window_id(window), handle, tip);
    icon_->setIcon(icon);
    icon_->setToolTip(to_qstring(tip_of(record_)));
    // Hiding first makes a second add register the icon anew with a recreated area.
    icon_->hide();
    icon_->show();
    return QSystemTrayIcon::isSystemTrayAvailable() && icon_->isVisible();
}

bool TrayIcon::remove_icon() {
    disconnect(activated_connection_);
    disconnect(destroyed_connection_);
    hooked_ = false;
    area_timer_.stop();
    window_ = nullptr;
    const bool shown = icon_->isVisible();
    icon_->hide();
    return shown;
}

void TrayIcon::set_callback(Callback callback, bool callback_given) {
    if (!window_) return;
    if (!hooked_) {
        activated_connection_ =
            connect(icon_, &QSystemTrayIcon::activated, this, &TrayIcon::on_activated);
        destroyed_connection_ =
            connect(window_, &QObject::destroyed, this, [this] { deliver(kTrayWindowDestroyed); });
        hooked_ = true;
    }
    if (callback_given) callback_ = std::move(callback);
    area_watch_ = NotificationAreaWatch(QSystemTrayIcon::isSystemTrayAvailable());
    area_timer_.start();
}

void TrayIcon::check_notification_area(bool available_now) {
    if (area_watch_.came_back(available_now)) deliver(kTrayTaskbarCreated);
}

void TrayIcon::on_activated(QSystemTrayIcon::ActivationReason reason) {
    if (const auto code = tray_code_for(reason)) deliver(*code);
}

void TrayIcon::deliver(uint32_t code) {
    if (!hooked_ || !callback_) return;
    // The callback may replace itself (set_callback) while it runs.
    const Callback callback = callback_;
    callback(code);
}

}  // namespace korvane
