// The item and coupon probes: plain GET requests through the request-object client, the body
// decoded from UTF-8 to system text, tried up to `tries` times until the page carries its
// success marker ("月销" for an item page, "优惠券" for a coupon page). Every try is a new
// request with no pause; the text of the last one is returned, marker or not.
#pragma once

#include <atomic>

#include "probes/page_probe.h"
#include "text/text.h"

namespace korvane {

// The coupon request's only header line of its own.
constexpr const char* kCouponUserAgent =
    "User-Agent: Mozilla/5.0 (Windows NT 5.1) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/45.0.2454.101 Safari/537.36";

Text fetch_item_page(const Text& product_id, int tries, const std::atomic<bool>* stop = nullptr);
Text fetch_coupon_page(const Text& coupon_link, int tries, const std::atomic<bool>* stop = nullptr);

// Both probes against the configured marketplace hosts.
PageProbes marketplace_probes();

}  // namespace korvane
