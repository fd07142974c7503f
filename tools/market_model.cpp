#include "market_model.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace korvane::sim {
namespace {

uint64_t fnv1a(std::string_view s) {
    uint64_t h = 14695981039346656037ull;
    for (unsigned char c : s) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

bool all_digits(std::string_view s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int64_t whole(double seconds) {
    return seconds > 0 ? static_cast<int64_t>(std::floor(seconds)) : 0;
}

}  // namespace

uint64_t key_number(std::string_view key) {
    if (!all_digits(key)) return fnv1a(key);
    if (key.size() > 18) key = key.substr(key.size() - 18);
    uint64_t n = 0;
    for (char c : key)
        n = n * 10 + static_cast<uint64_t>(c - '0');
    return n;
}

bool known_product(std::string_view product_id) {
    return all_digits(product_id);
}

int64_t item_sales(std::string_view product_id, double seconds) {
    const uint64_t n = key_number(product_id);
    const auto base = static_cast<int64_t>(200 + n % 4800);
    const auto step = static_cast<int64_t>(1 + n % 5);
    return base + whole(seconds / 4.0) * step;
}

int64_t coupon_lifetime(std::string_view activity_id) {
    return static_cast<int64_t>(key_number(activity_id) % 1000);
}

CouponState coupon_state(std::string_view activity_id, double seconds) {
    const uint64_t n = key_number(activity_id);
    CouponState s;
    s.total = static_cast<int64_t>(100 + (n / 1000) % 900);
    const int64_t start = s.total / 5;
    const int64_t lifetime = coupon_lifetime(activity_id);
    const double t = std::max(seconds, 0.0);
    if (lifetime == 0) {
        // A slow trickle that never empties the coupon.
        s.claimed = std::min(s.total - 1, start + whole(t / 3.0));
        return s;
    }
    if (t >= static_cast<double>(lifetime)) {
        s.claimed = s.total;
        s.gone = true;
        return s;
    }
    s.claimed =
        start + whole(static_cast<double>(s.total - start) * t / static_cast<double>(lifetime));
    s.claimed = std::min(s.claimed, s.total - 1);
    return s;
}

std::string click_product(std::string_view code) {
    return std::to_string(600000000000ull + fnv1a(code) % 100000000ull);
}

std::string click_token(std::string_view code) {
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx",
                  static_cast<unsigned long long>(fnv1a(std::string("et:") + std::string(code))));
    return std::string(hex) + "==";
}

}  // namespace korvane::sim
