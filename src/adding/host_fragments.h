// The parts of the marketplace's host names by which links in a promotion text are told
// apart. Each is a substring of the links of its kind whatever subdomain or top-level
// domain they carry.
#pragma once

#include "probes/hosts.h"
#include "text/text.h"

namespace korvane {

// "shop.m.taobao.com" -> "shop.m.taobao"; a host without a dot is kept whole. A port stays
// with the last label and goes with it.
Text host_without_last_label(const Text& host);
// The first `count` labels: ("uland.taobao.com", 2) -> "uland.taobao"; fewer labels: the host.
Text host_first_labels(const Text& host, int count);

Text shop_fragment(const MarketHosts& hosts = market_hosts());         // mobile shop host
Text coupon_site_fragment(const MarketHosts& hosts = market_hosts());  // coupon site host
Text h5_fragment(const MarketHosts& hosts = market_hosts());           // H5 pages host
Text click_fragment(const MarketHosts& hosts = market_hosts());        // click-redirect host

}  // namespace korvane
