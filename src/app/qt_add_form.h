// The add form of the main window as the adding code sees it.
#pragma once

#include <QLineEdit>
#include <QPushButton>

#include "host/add_form.h"

namespace korvane {

class QtAddForm final : public AddForm {
  public:
    QtAddForm(QLineEdit* qq, QLineEdit* product, QLineEdit* coupon, QLineEdit* title,
              QPushButton* add);

    Text qq() override;
    Text product_link() override;
    Text coupon_link() override;
    Text title() override;
    void set_qq(const Text& text) override;
    void set_product_link(const Text& text) override;
    void set_coupon_link(const Text& text) override;
    void set_title(const Text& text) override;
    void focus_qq() override;
    void set_add_enabled(bool enabled) override;

  private:
    QLineEdit* qq_;
    QLineEdit* product_;
    QLineEdit* coupon_;
    QLineEdit* title_;
    QPushButton* add_;
};

}  // namespace korvane
