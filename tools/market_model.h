// The simulated marketplace's numbers: pure functions of a key (product or activity ID) and
// the seconds elapsed, so every run, the demo data and the tests agree on them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace korvane::sim {

// A key's number: its value when it is all digits (the last 18 of them), else a hash.
uint64_t key_number(std::string_view key);

// Monthly sales of a product: a base that grows by (1 + n % 5) every 4 seconds.
int64_t item_sales(std::string_view product_id, double seconds);
// Product IDs the item-detail service knows: non-empty, digits only.
bool known_product(std::string_view product_id);

struct CouponState {
    int64_t total = 0;
    int64_t claimed = 0;
    bool gone = false;
    int64_t remaining() const { return total - claimed; }
};

// Seconds a coupon lasts from its first request: the activity number mod 1000, where 0 means
// it never runs out (activity 9100030 lasts 30 s).
int64_t coupon_lifetime(std::string_view activity_id);
// The coupon `seconds` after its first request: claims grow until none remain.
CouponState coupon_state(std::string_view activity_id, double seconds);

// The click-redirect service: the product a short-link code leads to, and the token its
// second hop carries (16 hex digits and "==", sent percent-encoded).
std::string click_product(std::string_view code);
std::string click_token(std::string_view code);

}  // namespace korvane::sim
