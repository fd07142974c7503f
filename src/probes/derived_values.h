// Numbers derived from the probed pages.
#pragma once

#include <cstdint>

#include "text/text.h"

namespace korvane {

// True when the coupon page says the coupon or the shop is gone (letter case observed).
bool coupon_gone(const Text& page);

// Sales now minus sales at add, both read as integers (a non-number counts 0); wraps like
// 32-bit arithmetic rather than overflowing.
int32_t units_sold(const Text& sales_now, const Text& sales_at_add);

// Remaining plus claimed coupons, added as doubles and truncated to 32 bits.
int32_t coupon_total(const Text& remaining, const Text& claimed);

// sold × 100 / claimed, rounded to one decimal, in single precision. A claimed count of 0
// (or unreadable) gives an infinite or not-a-number value; the cell shows the empty text then.
float conversion_rate(int32_t sold, const Text& claimed);

}  // namespace korvane
