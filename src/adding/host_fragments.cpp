#include "adding/host_fragments.h"

namespace korvane {

Text host_without_last_label(const Text& host) {
    const size_t dot = host.rfind('.');
    return dot == Text::npos ? host : host.substr(0, dot);
}

Text host_first_labels(const Text& host, int count) {
    if (count < 1) return {};
    size_t end = 0;
    size_t from = 0;
    for (int i = 0; i < count; ++i) {
        end = host.find('.', from);
        if (end == Text::npos) return host;
        from = end + 1;
    }
    return host.substr(0, end);
}

Text shop_fragment(const MarketHosts& hosts) {
    return host_without_last_label(hosts.shop);
}

Text coupon_site_fragment(const MarketHosts& hosts) {
    return host_first_labels(hosts.coupon_site, 2);
}

Text h5_fragment(const MarketHosts& hosts) {
    return hosts.h5;
}

Text click_fragment(const MarketHosts& hosts) {
    return host_without_last_label(hosts.click);
}

}  // namespace korvane
