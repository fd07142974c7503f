#include "probes/probes.h"

#include <gtest/gtest.h>

#include <cmath>

#include "probes/derived_values.h"
#include "probes/endpoints.h"
#include "probes/hosts.h"
#include "support/loopback_server.h"
#include "text/code_page.h"

namespace korvane {
namespace {

using test::LoopbackServer;
using test::RecordedRequest;
using test::Reply;

class ProbesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(server_.running());
        const std::string at = ":" + std::to_string(server_.port());
        set_market_hosts({"detail.localhost" + at, "shop.localhost" + at, "item.localhost" + at,
                          "click.localhost" + at, "coupon.localhost" + at, "h5.localhost" + at});
    }
    void TearDown() override { set_market_hosts(default_market_hosts()); }

    // Answers the pages in turn, repeating the last one.
    void answer(std::vector<std::string> utf8_pages) {
        server_.set_handler([pages = std::move(utf8_pages),
                             n = std::make_shared<size_t>(0)](const RecordedRequest&) {
            const size_t i = std::min((*n)++, pages.size() - 1);
            return Reply::ok(pages[i]);
        });
    }

    LoopbackServer server_;
};

TEST_F(ProbesTest, ItemProbeAsksTheDetailServiceWithTheClientDefaultsOnly) {
    answer({"{\"sales\":\"月销 1 234 笔\"}"});
    const Text page = fetch_item_page("5201314", 3);
    EXPECT_EQ(text_strip_spaces(text_between(page, gbk("月销"), gbk("笔"))), "1234");
    ASSERT_EQ(server_.request_count(), 1u);
    const RecordedRequest r = server_.last_request();
    EXPECT_EQ(r.method, "GET");
    EXPECT_EQ(r.target, "/cache/wdetail/5.0/?id=5201314");
    EXPECT_EQ(r.header("Host"), "detail.localhost:" + std::to_string(server_.port()));
    EXPECT_EQ(r.header("User-Agent"), "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)");
}

TEST_F(ProbesTest, CouponProbeSendsItsOwnBrowserUserAgent) {
    answer({"<p>优惠券</p>"});
    const Text link = coupon_page_url("222", "111");
    EXPECT_EQ(fetch_coupon_page(link, 1), gbk("<p>优惠券</p>"));
    const RecordedRequest r = server_.last_request();
    EXPECT_EQ(r.target, "/shop/coupon.htm?activityId=222&sellerId=111");
    EXPECT_EQ(r.header("User-Agent"),
              "Mozilla/5.0 (Windows NT 5.1) AppleWebKit/537.36 (KHTML, like Gecko) "
              "Chrome/45.0.2454.101 Safari/537.36");
    int user_agents = 0;
    for (const auto& h : r.headers)
        user_agents += h.name == "User-Agent";
    EXPECT_EQ(user_agents, 1);
}

TEST_F(ProbesTest, TriesUntilTheMarkerAppearsThenStops) {
    const struct {
        std::vector<std::string> pages;
        int tries;
        size_t requests;
        const char* result;
    } cases[] = {
        {{"busy", "busy", "月销5笔"}, 3, 3, "月销5笔"},
        {{"busy", "月销5笔"}, 3, 2, "月销5笔"},
        {{"busy"}, 3, 3, "busy"},
        {{"busy", "月销5笔"}, 1, 1, "busy"},
    };
    for (const auto& c : cases) {
        server_.clear_requests();
        answer(c.pages);
        const size_t before = server_.request_count();
        EXPECT_EQ(fetch_item_page("1", c.tries), gbk(c.result));
        EXPECT_EQ(server_.request_count() - before, c.requests);
    }
}

TEST_F(ProbesTest, UnreadablePagesGiveText) {
    server_.set_handler([](const RecordedRequest& r) {
        if (r.target.find("id=drop") != std::string::npos) {
            return Reply::failing(test::Fault::close_before_reply);
        }
        Reply reply = Reply::ok(std::string("\xE6\x9C\x88\xE9\x94\x80", 6) + std::string(1, '\0') +
                                "tail\xFF\xFE");
        return reply;
    });
    EXPECT_EQ(fetch_item_page("drop", 2), "");
    EXPECT_EQ(fetch_item_page("zero", 1), gbk("月销"));  // a zero byte ends the text
}

TEST_F(ProbesTest, StoppedRunMakesNoRequest) {
    std::atomic<bool> stop{true};
    EXPECT_EQ(fetch_item_page("1", 3, &stop), "");
    EXPECT_EQ(fetch_coupon_page(coupon_page_url("1", "2"), 3, &stop), "");
    EXPECT_EQ(server_.request_count(), 0u);
}

TEST(DerivedValues, GonePhrasesTotalsAndRates) {
    EXPECT_TRUE(coupon_gone(gbk("优惠券 该优惠券不存在或者已经过期")));
    EXPECT_TRUE(coupon_gone(gbk("您浏览店铺不存在或已经关闭了")));
    EXPECT_FALSE(coupon_gone(gbk("优惠券 count\">3<")));
    EXPECT_FALSE(coupon_gone(""));
    EXPECT_EQ(coupon_total("80", "20"), 100);
    EXPECT_EQ(coupon_total("", "20"), 20);
    EXPECT_EQ(coupon_total("2147483647", "1"), 2147483647);
    EXPECT_EQ(units_sold("150", "100"), 50);
    EXPECT_EQ(units_sold("90", "100"), -10);
    EXPECT_EQ(units_sold("", "100"), -100);
    EXPECT_EQ(units_sold("-2147483648", "1"), 2147483647);  // wraps, never undefined
    EXPECT_FLOAT_EQ(conversion_rate(7, "30"), 23.3f);
    EXPECT_FLOAT_EQ(conversion_rate(-10, "40"), -25.0f);
    EXPECT_TRUE(std::isinf(conversion_rate(5, "0")));
    EXPECT_TRUE(std::isnan(conversion_rate(0, "abc")));
}

TEST(Endpoints, LinksFollowTheConfiguredHosts) {
    EXPECT_EQ(item_page_link("42"), "https://" + market_hosts().item + "/item.htm?id=42");
    EXPECT_EQ(item_detail_url(""),
              "http://" + market_hosts().item_detail + "/cache/wdetail/5.0/?id=");
}

}  // namespace
}  // namespace korvane
