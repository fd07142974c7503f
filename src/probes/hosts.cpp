#include "probes/hosts.h"

#include <cstdlib>

namespace korvane {
namespace {

std::string from_environment(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    return (value != nullptr && *value != '\0') ? value : fallback;
}

}  // namespace

MarketHosts default_market_hosts() {
    return {KM_DEFAULT_ITEM_DETAIL_HOST, KM_DEFAULT_SHOP_HOST,        KM_DEFAULT_ITEM_HOST,
            KM_DEFAULT_CLICK_HOST,       KM_DEFAULT_COUPON_SITE_HOST, KM_DEFAULT_H5_HOST};
}

static MarketHosts& current_hosts() {
    static MarketHosts hosts = [] {
        const MarketHosts d = default_market_hosts();
        return MarketHosts{from_environment("MARKET_ITEM_DETAIL_HOST", d.item_detail.c_str()),
                           from_environment("MARKET_SHOP_HOST", d.shop.c_str()),
                           from_environment("MARKET_ITEM_HOST", d.item.c_str()),
                           from_environment("MARKET_CLICK_HOST", d.click.c_str()),
                           from_environment("MARKET_COUPON_SITE_HOST", d.coupon_site.c_str()),
                           from_environment("MARKET_H5_HOST", d.h5.c_str())};
    }();
    return hosts;
}

const MarketHosts& market_hosts() {
    return current_hosts();
}

void set_market_hosts(const MarketHosts& hosts) {
    current_hosts() = hosts;
}

}  // namespace korvane
