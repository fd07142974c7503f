#include "probes/endpoints.h"

#include "probes/hosts.h"

namespace korvane {

Text item_detail_url(const Text& product_id) {
    return "http://" + market_hosts().item_detail + "/cache/wdetail/5.0/?id=" + product_id;
}

Text item_page_link(const Text& product_id) {
    return "https://" + market_hosts().item + "/item.htm?id=" + product_id;
}

Text coupon_page_url(const Text& activity_id, const Text& seller_id) {
    return "http://" + market_hosts().shop + "/shop/coupon.htm?activityId=" + activity_id +
           "&sellerId=" + seller_id;
}

}  // namespace korvane
