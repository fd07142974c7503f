// The simulated marketplace's answers, by path: item-detail data, shop coupon pages, item
// pages and the click-redirect chain of short links. Thread-safe: connection threads call
// `answer` at the same time.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>

#include "support/loopback_server.h"

namespace korvane::sim {

// The value of `name` in the target's query, as sent (no decoding); empty when absent.
std::string query_value(std::string_view target, std::string_view name);
bool has_query(std::string_view target, std::string_view name);

class MarketPages {
  public:
    // Seconds since the simulated marketplace opened.
    using Clock = std::function<double()>;

    // `item_host` is the host of the item links the click chain ends at; when empty,
    // item.localhost on the port the request came to.
    MarketPages(std::string item_host, Clock clock);

    test::Reply answer(const test::RecordedRequest& request);

  private:
    test::Reply item_detail(std::string_view target) const;
    test::Reply coupon(std::string_view target);
    test::Reply item_page(std::string_view target) const;
    test::Reply click(const test::RecordedRequest& request) const;
    // Seconds since this coupon was first asked for; its life starts then.
    double coupon_age(const std::string& activity_id);

    std::string item_host_;
    Clock clock_;
    std::mutex mutex_;
    std::map<std::string, double> first_seen_;
};

}  // namespace korvane::sim
