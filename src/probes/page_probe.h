// A page probe as its callers see it: (product ID or coupon link, tries, stop flag) -> page
// text. The real ones request the marketplace; tests hand in their own.
#pragma once

#include <atomic>
#include <functional>

#include "text/text.h"

namespace korvane {

using PageProbe = std::function<Text(const Text& key, int tries, const std::atomic<bool>* stop)>;

struct PageProbes {
    PageProbe fetch_item;    // the item-detail page of a product ID
    PageProbe fetch_coupon;  // a shop coupon page
};

}  // namespace korvane
