#include "app/qt_add_form.h"

#include "app/qt_text.h"

namespace korvane {

QtAddForm::QtAddForm(QLineEdit* qq, QLineEdit* product, QLineEdit* coupon, QLineEdit* title,
                     QPushButton* add)
    : qq_(qq), product_(product), coupon_(coupon), title_(title), add_(add) {}

Text QtAddForm::qq() {
    return to_text(qq_->text());
}
Text QtAddForm::product_link() {
    return to_text(product_->text());
}
Text QtAddForm::coupon_link() {
    return to_text(coupon_->text());
}
Text QtAddForm::title() {
    return to_text(title_->text());
}
void QtAddForm::set_qq(const Text& text) {
    qq_->setText(to_qstring(text));
}
void QtAddForm::set_product_link(const Text& text) {
    product_->setText(to_qstring(text));
}
void QtAddForm::set_coupon_link(const Text& text) {
    coupon_->setText(to_qstring(text));
}
void QtAddForm::set_title(const Text& text) {
    title_->setText(to_qstring(text));
}
void QtAddForm::focus_qq() {
    qq_->setFocus(Qt::OtherFocusReason);
}
void QtAddForm::set_add_enabled(bool enabled) {
    add_->setEnabled(enabled);
}

}  // namespace korvane
