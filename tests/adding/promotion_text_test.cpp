#include "adding/promotion_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "adding/click_link.h"
#include "adding/host_fragments.h"
#include "probes/hosts.h"
#include "support/host_doubles.h"
#include "support/loopback_server.h"
#include "text/code_page.h"

namespace korvane {
namespace {

using test::LoopbackServer;
using test::RecordedRequest;
using test::Reply;

TEST(HostFragments, CutFromTheHostNames) {
    const MarketHosts defaults = default_market_hosts();
    EXPECT_EQ(shop_fragment(defaults), "shop.m.taobao");
    EXPECT_EQ(coupon_site_fragment(defaults), "uland.taobao");
    EXPECT_EQ(h5_fragment(defaults), "h5.m.taobao.com");
    EXPECT_EQ(click_fragment(defaults), "s.click.taobao");

    const struct {
        const char* host;
        const char* without_last;
        const char* first_two;
    } cases[] = {
        {"shop.m.taobao.com", "shop.m.taobao", "shop.m"},
        {"uland.taobao.com", "uland.taobao", "uland.taobao"},
        {"s.click.market.localhost:8080", "s.click.market", "s.click"},
        {"127.0.0.1:80", "127.0.0", "127.0"},
        {"localhost", "localhost", "localhost"},
        {"a.b", "a", "a.b"},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(host_without_last_label(c.host), c.without_last) << c.host;
        EXPECT_EQ(host_first_labels(c.host, 2), c.first_two) << c.host;
    }
    EXPECT_EQ(host_first_labels("a.b.c", 1), "a");
    EXPECT_EQ(host_first_labels("a.b.c", 0), "");
}

TEST(RemoveBlankLines, DropsBlankRunsAndOneOuterLineBreak) {
    const struct {
        Text in;
        Text out;
    } cases[] = {
        {"a\r\n\r\n   \r\nb", "a\r\nb"},
        {"a\r\n\t \r\n\r\nb\r\n\r\nc", "a\r\nb\r\nc"},
        {"\r\na\r\nb\r\n", "a\r\nb"},
        {"\r\n\r\na", "\r\na"},  // only one leading line break goes, the pattern needs a "\n" first
        {"a\r\n\r\n", "a\r\n"},
        {"a\n\nb", "a\n\nb"},  // line feeds alone are never a blank run
        {"a\r\nb", "a\r\nb"},
        {"\r\n", ""},
        {"", ""},
        {gbk("中\r\n \r\n文"), gbk("中\r\n文")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RemoveBlankLines(c.in), c.out) << testing::PrintToString(c.in);
}

// The resolver of a test: answers from a list in call order and notes what it was asked.
struct ScriptedResolver {
    std::vector<Text> answers;
    std::vector<Text> asked;
    ClickLinkResolver get() {
        return [this](const Text& link) {
            asked.push_back(link);
            return asked.size() <= answers.size() ? answers[asked.size() - 1] : Text();
        };
    }
};

class PromotionTextTest : public ::testing::Test {
  protected:
    void SetUp() override { set_market_hosts(default_market_hosts()); }
    void TearDown() override { set_market_hosts(default_market_hosts()); }

    void fill(const Text& clip) {
        clipboard_.content = clip;
        FillFromPromotionText(clipboard_, form_, resolver_.get());
    }

    MemoryClipboard clipboard_;
    MemoryAddForm form_;
    ScriptedResolver resolver_;
};

const Text kItem1 = "https://item.taobao.com/item.htm?id=1";
const Text kItem2 = "https://detail.tmall.com/item.htm?spm=a&id=2";
const Text kShopCoupon = "https://shop.m.taobao.com/shop/coupon.htm?activityId=3&sellerId=4";
const Text kSiteCoupon = "https://uland.taobao.com/coupon/edetail?e=abc&pid=mm_1";
const Text kH5Coupon = "http://h5.m.taobao.com/any/page.html?x=1";
const Text kClick = "https://s.click.taobao.com/t?e=m%3D2";
const Text kOther = "https://www.example.com/a/b";

TEST_F(PromotionTextTest, ClassifiesLinksInTextOrderUntilBothAreKnown) {
    const struct {
        const char* name;
        std::vector<Text> links;
        std::vector<Text> resolved;  // answers of the resolver in call order
        Text product;
        Text coupon;
        size_t resolutions;
    } cases[] = {
        {"product then coupon", {kItem1, kShopCoupon}, {}, kItem1, kShopCoupon, 0},
        {"two products then a coupon", {kItem1, kItem2, kSiteCoupon}, {}, kItem2, kSiteCoupon, 0},
        {"two coupons then a product", {kShopCoupon, kH5Coupon, kItem1}, {}, kItem1, kH5Coupon, 0},
        {"links after both are known are not looked at",
         {kItem1, kShopCoupon, kItem2, kClick, kSiteCoupon},
         {"R"},
         kItem1,
         kShopCoupon,
         0},
        {"a click link replaces an earlier product link",
         {kItem1, kClick, kShopCoupon},
         {"https://item.taobao.com/item.htm?id=9"},
         "https://item.taobao.com/item.htm?id=9",
         kShopCoupon,
         1},
        {"also when it resolves to empty", {kItem1, kClick, kShopCoupon}, {""}, "", kShopCoupon, 1},
        {"an empty resolution keeps the loop going",
         {kClick, kShopCoupon, kClick},
         {"", "R2"},
         "R2",
         kShopCoupon,
         2},
        {"a later product link replaces the resolution",
         {kClick, kItem2, kH5Coupon},
         {"R"},
         kItem2,
         kH5Coupon,
         1},
        {"item.htm? without id= is a coupon on a coupon host",
         {"https://h5.m.taobao.com/item.htm?x=1", kItem1},
         {},
         kItem1,
         "https://h5.m.taobao.com/item.htm?x=1",
         0},
        {"item.htm? without id= is a click link on the click host",
         {"https://s.click.taobao.com/item.htm?e=1", kShopCoupon},
         {"R"},
         "R",
         kShopCoupon,
         1},
        {"a product link on the shop host is a product link",
         {"https://shop.m.taobao.com/item.htm?id=5", kSiteCoupon},
         {},
         "https://shop.m.taobao.com/item.htm?id=5",
         kSiteCoupon,
         0},
        {"other links are ignored", {kOther, kItem1, kOther}, {}, kItem1, "", 0},
        {"classification observes letter case",
         {"https://ITEM.TAOBAO.COM/ITEM.HTM?ID=1", "https://S.CLICK.TAOBAO.COM/x",
          "https://SHOP.M.TAOBAO.COM/x"},
         {"R"},
         "",
         "",
         0},
        {"capital scheme",
         {"HTTP://item.taobao.com/item.htm?id=7", "Https://uland.taobao.com/c?e=1"},
         {},
         "HTTP://item.taobao.com/item.htm?id=7",
         "Https://uland.taobao.com/c?e=1",
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Text clip = gbk("标题\r\n");
        for (const Text& link : c.links)
            clip += gbk("链接:") + link + "\r\n";
        resolver_ = {c.resolved, {}};
        form_ = MemoryAddForm{};
        fill(clip);
        EXPECT_EQ(form_.product, c.product);
        EXPECT_EQ(form_.coupon, c.coupon);
        EXPECT_EQ(form_.title_text, gbk("标题链接:"));
        EXPECT_EQ(resolver_.asked.size(), c.resolutions);
        for (const Text& asked : resolver_.asked)
            EXPECT_EQ(asked.rfind("https://s.click.taobao.com/", 0), 0u) << asked;
        EXPECT_EQ(form_.focus_calls, 1);
    }
}

TEST_F(PromotionTextTest, HostFragmentsFollowTheHostSettings) {
    MarketHosts hosts = default_market_hosts();
    hosts.shop = "shop.market.localhost:81";
    hosts.coupon_site = "quan.market.localhost:82";
    hosts.h5 = "h5.market.localhost";
    hosts.click = "go.market.localhost:83";
    set_market_hosts(hosts);
    const struct {
        Text link;
        bool coupon;
        bool click;
    } cases[] = {
        {"http://shop.market.localhost/shop/coupon.htm?activityId=1", true, false},
        {"http://quan.market.example/c?e=1", true, false},
        {"http://h5.market.localhost/x", true, false},
        {"http://h5.market.local/x", false, false},
        {"http://go.market.net/abc", false, true},
        {kShopCoupon, false, false},
        {kClick, false, false},
    };
    for (const auto& c : cases) {
        resolver_ = {{"R"}, {}};
        fill(c.link);
        EXPECT_EQ(form_.coupon, c.coupon ? c.link : "") << c.link;
        EXPECT_EQ(form_.product, c.click ? "R" : "") << c.link;
    }
}

TEST_F(PromotionTextTest, TitleIsEverythingBeforeTheFirstHttpWithoutSpacesOrLineBreaks) {
    const struct {
        const char* name;
        Text clip;
        Text title;
    } cases[] = {
        {"one line", gbk("夏季 新款 连衣裙\r\n") + kItem1, gbk("夏季新款连衣裙")},
        {"several lines, blank lines, spaces of both widths",
         gbk("  夏季 新款\r\n\r\n  \r\n原价 99 元\u3000券后 9.9 元\r\n下单链接：") + kItem1 +
             "\r\n" + kShopCoupon,
         gbk("夏季新款原价99元券后9.9元下单链接：")},
        {"bare line feeds", gbk("上\n下\r中") + kItem1, gbk("上下中")},
        {"the first http in any letter case", gbk("标题 HtTp 不是链接 ") + kItem1, gbk("标题")},
        {"text beginning with the link", kItem1 + gbk(" 标题"), ""},
        {"tabs stay", gbk("a\tb ") + kItem1, gbk("a\tb")},
    };
    for (const auto& c : cases) {
        fill(c.clip);
        EXPECT_EQ(form_.title_text, c.title) << c.name;
    }
}

TEST_F(PromotionTextTest, TextWithoutLinksEmptiesEveryBox) {
    for (const Text& clip : {gbk("只有标题 没有链接\r\n价格 10元"), Text(), gbk("\r\n\r\n")}) {
        form_.title_text = "old title";
        form_.product = "old product";
        form_.coupon = "old coupon";
        form_.qq_text = "12345";
        form_.focus_calls = 0;
        fill(clip);
        EXPECT_EQ(form_.title_text, "");
        EXPECT_EQ(form_.product, "");
        EXPECT_EQ(form_.coupon, "");
        EXPECT_EQ(form_.qq_text, "12345");  // the QQ box is the user's
        EXPECT_EQ(form_.focus_calls, 1);
        EXPECT_TRUE(resolver_.asked.empty());
    }
}

TEST_F(PromotionTextTest, LinkEndsAtTheFirstCharacterOutsideItsSet) {
    const struct {
        Text after;
        Text kept;  // what of the suffix stays in the link
    } cases[] = {
        {"/", ""},
        {"/?", ""},
        {".", ""},
        {"-8", ""},
        {"~x", ""},
        {"+x", ""},
        {gbk("立即购买"), ""},
        {"\r\n2", ""},
        {"\"", ""},
        {"&spm=a.b#top", "&spm=a.b#top"},
        {"%20z", "%20z"},
        {"_u", "_u"},
    };
    for (const auto& c : cases) {
        fill(gbk("标题 ") + kItem1 + c.after + gbk(" 领券 ") + kShopCoupon);
        EXPECT_EQ(form_.product, kItem1 + c.kept) << c.after;
        EXPECT_EQ(form_.coupon, kShopCoupon) << c.after;
    }
    // Spaces are gone before the search, so words after a space join the link.
    fill(kItem1 + " &x=1");
    EXPECT_EQ(form_.product, kItem1 + "&x=1");
    // A colon right after the scheme is no link at all.
    fill("https:://item.taobao.com/item.htm?id=1");
    EXPECT_EQ(form_.product, "");
}

TEST_F(PromotionTextTest, MegabytesOfLinksRunThrough) {
    Text clip = gbk("大量 链接\r\n");
    const Text block = gbk("商品 ") + kOther + "\r\n\r\n" + kItem1 + "/x" + gbk("券后价\r\n");
    while (clip.size() < (4u << 20))
        clip += block;
    clip += kItem2 + "\r\n" + kSiteCoupon + "\r\n" + kItem1;
    fill(clip);
    EXPECT_EQ(form_.title_text, gbk("大量链接商品"));
    EXPECT_EQ(form_.product, kItem2);
    EXPECT_EQ(form_.coupon, kSiteCoupon);

    // And as many short links, every one of them resolved.
    Text clicks;
    while (clicks.size() < (1u << 20))
        clicks += kClick + "\r\n";
    resolver_ = {};
    fill(clicks);
    EXPECT_EQ(resolver_.asked.size(), clicks.size() / (kClick.size() + 2));
    EXPECT_EQ(form_.product, "");
}

// Through the real resolver: the click host of the settings is the loopback server.
TEST_F(PromotionTextTest, ShortLinkResolvedOverTheWire) {
    LoopbackServer server([](const RecordedRequest& r) {
        const std::string host = r.header("Host");
        const std::string port = host.substr(host.find(':'));
        if (r.target == "/abc")
            return Reply::redirect(302, "http://go.click.localhost" + port + "/t?tu=1");
        if (r.target == "/t?tu=1")
            return Reply::redirect(302, "http://go.click.localhost" + port + "/u?a=1&et=K");
        if (r.target == "/t?tu=1&ref=&et=K" &&
            r.header("Referer") == "http://go.click.localhost" + port + "/u?a=1&et=K") {
            return Reply::redirect(302, "https://item.taobao.com/item.htm?id=4242");
        }
        return Reply::ok("");
    });
    ASSERT_TRUE(server.running());
    MarketHosts hosts = default_market_hosts();
    hosts.click = "go.click.localhost";
    set_market_hosts(hosts);

    // A link in promotion text carries no port (the link pattern stops at a colon), so the
    // client is pointed at the server's port for the short link only.
    const Text port = ":" + std::to_string(server.port());
    const WinHttpFetch to_server = [&](const WinHttpCall& call) {
        WinHttpCall c = call;
        if (c.url == "http://go.click.localhost/abc")
            c.url = "http://go.click.localhost" + port + "/abc";
        return fetch_via_winhttp(c);
    };
    clipboard_.content = gbk("好物\r\n") + "http://go.click.localhost/abc\r\n" + kShopCoupon;
    CountingEventPump events;
    FillFromPromotionText(clipboard_, form_, [&](const Text& link) {
        return ResolveClickLink(link, &events, to_server);
    });
    EXPECT_EQ(form_.product, "https://item.taobao.com/item.htm?id=4242");
    EXPECT_EQ(form_.coupon, kShopCoupon);
    EXPECT_EQ(server.request_count(), 5u + 1 + 1 + 1);
}

}  // namespace
}  // namespace korvane
