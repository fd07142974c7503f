#include "probes/derived_values.h"

#include <cmath>
#include <limits>

#include "text/code_page.h"

namespace korvane {

bool coupon_gone(const Text& page) {
    return text_find(page, gbk("该优惠券不存在或者已经过期")) != -1 ||
           text_find(page, gbk("您浏览店铺不存在或已经关")) != -1;
}

int32_t units_sold(const Text& sales_now, const Text& sales_at_add) {
    const int64_t d = static_cast<int64_t>(text_to_int(sales_now)) - text_to_int(sales_at_add);
    return static_cast<int32_t>(static_cast<uint32_t>(d));
}

int32_t coupon_total(const Text& remaining, const Text& claimed) {
    const double sum = static_cast<double>(text_to_int(remaining)) + text_to_int(claimed);
    // Truncation toward zero; a sum past the 32-bit range saturates instead of being undefined.
    if (sum >= 2147483647.0) return std::numeric_limits<int32_t>::max();
    if (sum <= -2147483648.0) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(sum);
}

float conversion_rate(int32_t sold, const Text& claimed) {
    const float a = static_cast<float>(static_cast<double>(sold) * 100.0);
    const double c = static_cast<double>(text_to_int(claimed));
    const double r = static_cast<double>(a) / c;
    if (!std::isfinite(r)) return static_cast<float>(r);
    return static_cast<float>(number_round(r, 1));
}

}  // namespace korvane
