#include "probes/probes.h"

#include "probes/endpoints.h"
#include "text/code_page.h"
#include "web/fetch_via_request_object.h"
#include "web/text_decoding.h"

namespace korvane {
namespace {

// Up to `tries` requests until the page carries `marker`; the last page either way.
Text probe(const Text& url, const Text* header_line, const Text& marker, int tries,
           const std::atomic<bool>* stop) {
    Text page;
    for (int attempt = 0; attempt < tries; ++attempt) {
        if (stop != nullptr && stop->load()) break;
        RequestObjectCall call;
        call.url = url;
        call.stop = stop;
        Text headers;  // each request gets its own copy, which the client completes
        if (header_line != nullptr) {
            headers = *header_line;
            call.headers = &headers;
        }
        page = utf8_to_local_text(fetch_via_request_object(call));
        if (text_find(page, marker) != -1) break;
    }
    return page;
}

}  // namespace

Text fetch_item_page(const Text& product_id, int tries, const std::atomic<bool>* stop) {
    return probe(item_detail_url(product_id), nullptr, gbk("月销"), tries, stop);
}

Text fetch_coupon_page(const Text& coupon_link, int tries, const std::atomic<bool>* stop) {
    static const Text user_agent = kCouponUserAgent;
    return probe(coupon_link, &user_agent, gbk("优惠券"), tries, stop);
}

PageProbes marketplace_probes() {
    return {fetch_item_page, fetch_coupon_page};
}

}  // namespace korvane
