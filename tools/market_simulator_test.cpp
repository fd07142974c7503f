// The simulated marketplace read through the program's own probes and client, over sockets.
#include <gtest/gtest.h>

#include <atomic>

#include "market_model.h"
#include "market_pages.h"
#include "port_relay.h"
#include "probes/derived_values.h"
#include "probes/endpoints.h"
#include "probes/hosts.h"
#include "probes/probes.h"
#include "support/loopback_server.h"
#include "text/code_page.h"
#include "web/fetch_via_request_object.h"

namespace korvane::sim {
namespace {

using test::LoopbackServer;

TEST(MarketModel, KeysAndFigures) {
    EXPECT_EQ(key_number("9100030"), 9100030u);
    EXPECT_EQ(key_number("abc"), key_number("abc"));
    EXPECT_EQ(coupon_lifetime("9100030"), 30);
    EXPECT_EQ(coupon_lifetime("9200000"), 0);
    EXPECT_LT(item_sales("600000000101", 0), item_sales("600000000101", 60));
    EXPECT_FALSE(known_product(""));
    EXPECT_FALSE(known_product("12a"));

    const CouponState fresh = coupon_state("9100030", 0);
    const CouponState later = coupon_state("9100030", 20);
    EXPECT_FALSE(fresh.gone);
    EXPECT_GT(later.claimed, fresh.claimed);
    EXPECT_GT(later.remaining(), 0);
    EXPECT_TRUE(coupon_state("9100030", 30).gone);
    EXPECT_FALSE(coupon_state("9200000", 100000).gone);
    EXPECT_GT(coupon_state("9200000", 100000).remaining(), 0);
}

TEST(MarketModel, QueryValues) {
    EXPECT_EQ(query_value("/t_js?e=ab&ref=&et=x==", "et"), "x==");
    EXPECT_EQ(query_value("/t_js?e=ab&ref=&et=x==", "ref"), "");
    EXPECT_TRUE(has_query("/t_js?e=ab&ref=&et=x", "ref"));
    EXPECT_FALSE(has_query("/t_js?e=ab", "et"));
    EXPECT_FALSE(has_query("/t_js?xet=1", "et"));
}

class SimulatorTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(server_.running());
        const std::string at = "sim.localhost:" + std::to_string(server_.port());
        set_market_hosts({at, at, at, at, at, at});
    }
    void TearDown() override { set_market_hosts(default_market_hosts()); }

    std::atomic<double> now_{0.0};
    MarketPages pages_{"", [this] { return now_.load(); }};
    LoopbackServer server_{[this](const test::RecordedRequest& r) { return pages_.answer(r); }};
};

TEST_F(SimulatorTest, ItemSalesGrowThroughTheProbe) {
    const Text first = fetch_item_page("600000000101", 1);
    const Text sales = text_between(first, gbk("月销"), gbk("笔"));
    EXPECT_EQ(sales, std::to_string(item_sales("600000000101", 0)));
    now_ = 40.0;
    const Text later = text_between(fetch_item_page("600000000101", 1), gbk("月销"), gbk("笔"));
    EXPECT_GT(text_to_int(later), text_to_int(sales));
    EXPECT_EQ(text_find(fetch_item_page("", 1), gbk("月销")), -1);
}

TEST_F(SimulatorTest, CouponIsClaimedThenRunsOutCountedFromItsFirstRequest) {
    now_ = 100.0;  // a late first request still finds the coupon alive
    const Text link = coupon_page_url("9100030", "3300003");
    const Text page = fetch_coupon_page(link, 1);
    ASSERT_NE(text_find(page, gbk("优惠券")), -1);
    EXPECT_FALSE(coupon_gone(page));
    const CouponState start = coupon_state("9100030", 0);
    EXPECT_EQ(text_between(page, "count\">", "<"), std::to_string(start.claimed));
    EXPECT_EQ(text_between(page, "rest\">", "<"), std::to_string(start.remaining()));

    now_ = 110.0;
    const Text claimed = text_between(fetch_coupon_page(link, 1), "count\">", "<");
    EXPECT_GT(text_to_int(claimed), start.claimed);

    now_ = 130.0;
    const Text gone = fetch_coupon_page(link, 1);
    EXPECT_TRUE(coupon_gone(gone));
    EXPECT_NE(text_find(gone, gbk("该优惠券不存在或者已经过期")), -1);

    EXPECT_TRUE(coupon_gone(fetch_coupon_page(coupon_page_url("9200000", "0"), 1)));
    EXPECT_FALSE(coupon_gone(fetch_coupon_page(coupon_page_url("9200000", "1"), 1)));
}

// One hop without following it: the Location the answer carries, or empty.
Text location_of(const Text& url, const Text& header_line = {}) {
    Text headers = header_line;
    Text response;
    RequestObjectCall call;
    call.url = url;
    call.no_redirect = true;
    call.response_headers = &response;
    if (!header_line.empty()) call.headers = &headers;
    fetch_via_request_object(call);
    const Text name = "Location: ";
    const int at = text_find(response, name);
    if (at == -1) return {};
    const Text rest = response.substr(static_cast<size_t>(at - 1) + name.size());
    return rest.substr(0, rest.find("\r\n"));
}

TEST_F(SimulatorTest, ClickChainEndsAtTheItemPage) {
    const std::string host = "click.localhost:" + std::to_string(server_.port());
    const Text first = location_of("http://" + host + "/t?e=demo");
    EXPECT_EQ(first, "http://" + host + "/t_js?e=demo");
    const Text second = location_of(first);
    ASSERT_NE(second.find("&et="), std::string::npos);
    const std::string token = click_token("demo");
    EXPECT_EQ(second.substr(second.find("&et=") + 4), token.substr(0, 16) + "%3D%3D");
    RequestObjectCall land;
    land.url = second;
    fetch_via_request_object(land);

    const Text final_request = first + "&ref=&et=" + token;
    const std::string item = "https://item.localhost:" + std::to_string(server_.port()) +
                             "/item.htm?id=" + click_product("demo");
    EXPECT_EQ(location_of(final_request, "Referer:" + second), item);
    EXPECT_EQ(location_of(final_request), "");                                  // no referrer
    EXPECT_EQ(location_of(first + "&ref=&et=wrong", "Referer:" + second), "");  // bad token
}

TEST_F(SimulatorTest, RelayServesAFixedPort) {
    PortRelay relay(0, server_.port());
    ASSERT_TRUE(relay.running());
    ASSERT_NE(relay.port(), server_.port());
    const std::string at = "detail.localhost:" + std::to_string(relay.port());
    set_market_hosts({at, at, at, at, at, at});
    for (int i = 0; i < 3; ++i) {
        const Text page = fetch_item_page("600000000102", 1);
        EXPECT_EQ(text_between(page, gbk("月销"), gbk("笔")),
                  std::to_string(item_sales("600000000102", 0)));
    }
    EXPECT_TRUE(server_.requests().back().header("Host") == at);
}

}  // namespace
}  // namespace korvane::sim
