#include "app/qt_host.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QUrl>
#include <climits>

#include "app/qt_text.h"

namespace korvane {

MessageAnswer QtDialogs::message(const Text& text, const Text& title, MessageButtons buttons) {
    // No owner window: the box is modal to the whole program, as the user expects of it.
    QMessageBox box(
        QMessageBox::NoIcon, to_qstring(title), to_qstring(text),
        buttons == MessageButtons::ok ? QMessageBox::Ok : (QMessageBox::Yes | QMessageBox::No));
    box.setObjectName(QStringLiteral("message_box"));
    box.setWindowModality(Qt::ApplicationModal);
    const int answer = box.exec();
    if (buttons == MessageButtons::ok) return MessageAnswer::ok;
    return answer == QMessageBox::Yes ? MessageAnswer::yes : MessageAnswer::no;
}

bool QtDialogs::input_integer(const Text& prompt, const Text& title, const Text& initial,
                              int& value) {
    QInputDialog box;
    box.setObjectName(QStringLiteral("input_box"));
    box.setWindowTitle(to_qstring(title));
    box.setLabelText(to_qstring(prompt));
    box.setInputMode(QInputDialog::IntInput);
    box.setIntRange(INT_MIN, INT_MAX);
    box.setIntValue(text_to_int(initial));
    box.setWindowModality(Qt::ApplicationModal);
    if (box.exec() != QDialog::Accepted) return false;
    value = box.intValue();
    return true;
}

Text QtClipboard::text() {
    return to_text(QGuiApplication::clipboard()->text());
}

void QtClipboard::set_text(const Text& text) {
    QGuiApplication::clipboard()->setText(to_qstring(text));
}

bool QtLinkOpener::open_link(const Text& url) {
    if (!is_web_link(url)) return false;
    return QDesktopServices::openUrl(QUrl(to_qstring(url), QUrl::TolerantMode));
}

}  // namespace korvane
