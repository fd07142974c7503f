// Marketplace host names: build-time defaults, each overridable at run time by the
// environment variable of the same name, so a local simulator or a proxy can stand in.
#pragma once

#include <string>

namespace korvane {

struct MarketHosts {
    std::string item_detail;  // MARKET_ITEM_DETAIL_HOST: the mobile item-detail service
    std::string shop;         // MARKET_SHOP_HOST: the mobile shop (coupon pages)
    std::string item;         // MARKET_ITEM_HOST: the item page opened in the browser
    std::string click;        // MARKET_CLICK_HOST: the click-redirect service
    std::string coupon_site;  // MARKET_COUPON_SITE_HOST
    std::string h5;           // MARKET_H5_HOST
};

// Read from the environment on first use.
const MarketHosts& market_hosts();
// Points every endpoint at other hosts (a simulator, a test server). Call it before any
// request is made, not while one may be running.
void set_market_hosts(const MarketHosts& hosts);
// The defaults the program was built with, without environment overrides.
MarketHosts default_market_hosts();

}  // namespace korvane
