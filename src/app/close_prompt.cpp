#include "app/close_prompt.h"

#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>

#include "app/placed_widget.h"
#include "app/tray_icon.h"
#include "app/window_placement_qt.h"
#include "shell/tray_icon_picture.h"
#include "shell/window_placement.h"

namespace korvane {
namespace {

// The program's picture at 50 x 50, as a 256-colour image.
QPixmap prompt_picture() {
    const RgbaImage image = draw_program_picture(50);
    const QImage view(image.pixels.data(), image.width, image.height, image.width * 4,
                      QImage::Format_RGBA8888);
    return QPixmap::fromImage(view.convertToFormat(QImage::Format_Indexed8));
}

}  // namespace

ClosePrompt::ClosePrompt(QWidget* main_window, TrayIcon* tray, ProcessEnd end)
    : QDialog(main_window), main_window_(main_window), tray_(tray), end_(std::move(end)) {
    setObjectName(QString::fromUtf8("关闭提示"));
    setWindowTitle(QString::fromUtf8("关闭提示"));
    setFixedSize(300, 166);
    setAttribute(Qt::WA_DeleteOnClose, false);

    auto* picture = place<QLabel>(this, "图片框1", 3, 4, 52, 52);
    picture->setAlignment(Qt::AlignCenter);
    picture->setPixmap(prompt_picture());
    place<QLabel>(this, "标签1", 58, 8, 160, 24, "您点击了关闭按钮，您是想：");
    keep_running_ =
        place<QRadioButton>(this, "单选框1", 62, 38, 207, 16, "最小化到系统托盘区，不退出程序");
    keep_running_->setChecked(true);
    place<QRadioButton>(this, "单选框2", 62, 65, 207, 16, "退出程序");
    closing_label_ =
        place<QLabel>(this, "透明标签1", -8, 80, 288, 40, "正在关闭程序的一些主要组件,请捎等片刻…");
    closing_label_->setAlignment(Qt::AlignCenter);
    closing_label_->hide();

    auto* confirm_frame = place<QFrame>(this, "外形框21", 121, 114, 82, 22);
    confirm_button_ = place<QPushButton>(confirm_frame, "开始", 2, 1, 79, 20, "确认");
    auto* cancel_frame = place<QFrame>(this, "外形框1", 209, 114, 82, 22);
    cancel_button_ = place<QPushButton>(cancel_frame, "开始1", 2, 1, 79, 20, "取消");
    connect(confirm_button_, &QPushButton::clicked, this, &ClosePrompt::confirm);
    connect(cancel_button_, &QPushButton::clicked, this, &QDialog::reject);
}

void ClosePrompt::confirm() {
    if (keep_running_->isChecked()) {
        if (main_window_) main_window_->hide();
        set_window_placement(main_window_, kPlacementMinimised);
        accept();
        return;
    }
    closing_label_->show();
    confirm_button_->setEnabled(false);
    cancel_button_->setEnabled(false);
    if (tray_) tray_->remove_icon();
    // Nothing is saved and the monitor is not stopped: the process simply ends here.
    if (end_.terminate) end_.terminate(0);
    if (end_.toolkit_exit) end_.toolkit_exit(0);
}

void open_close_prompt(QWidget* main_window, TrayIcon* tray, const ProcessEnd& end) {
    ClosePrompt prompt(main_window, tray, end);
    prompt.exec();
}

}  // namespace korvane
