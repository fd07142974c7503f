// The marketplace links the system requests, opens and copies.
#pragma once

#include "text/text.h"

namespace korvane {

// http://<item-detail host>/cache/wdetail/5.0/?id=<id>; the ID is appended unchanged.
Text item_detail_url(const Text& product_id);
// https://<item host>/item.htm?id=<id>
Text item_page_link(const Text& product_id);
// http://<shop host>/shop/coupon.htm?activityId=<a>&sellerId=<s>
Text coupon_page_url(const Text& activity_id, const Text& seller_id);

}  // namespace korvane
