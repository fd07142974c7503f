// The add form's edit boxes and button, as the adding code sees them.
#pragma once

#include "text/text.h"

namespace korvane {

class AddForm {
  public:
    virtual ~AddForm() = default;
    virtual Text qq() = 0;            // 编辑框1
    virtual Text product_link() = 0;  // 编辑框2
    virtual Text coupon_link() = 0;   // 编辑框3
    virtual Text title() = 0;         // 编辑框5
    virtual void set_qq(const Text& text) = 0;
    virtual void set_product_link(const Text& text) = 0;
    virtual void set_coupon_link(const Text& text) = 0;
    virtual void set_title(const Text& text) = 0;
    virtual void focus_qq() = 0;
    virtual void set_add_enabled(bool enabled) = 0;  // 按钮1
};

}  // namespace korvane
