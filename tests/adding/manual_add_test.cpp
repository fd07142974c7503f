#include "adding/manual_add.h"

#include <gtest/gtest.h>
#include <memory>

#include <unistd.h>

#include "files/file_io.h"
#include "probes/endpoints.h"
#include "support/host_doubles.h"
#include "support/temp_dir.h"
#include "text/code_page.h"
#include "watchlist/list_file.h"
#include "watchlist/memory_watch_table.h"

namespace korvane {
namespace {

namespace fs = std::filesystem;

struct IdCase {
    const char* box;
    const char* id;
};

TEST(ExtractProductId, CutsTheFirstIdParameterInAnyCase) {
    const IdCase cases[] = {
        {"https://item.taobao.com/item.htm?id=123&spm=x", "123"},
        {"https://item.taobao.com/item.htm?spm=x&id=123", "123"},
        {"https://x/item.htm?ID=42&x=1", "42"},
        {"https://x/item.htm?skuId=5&id=123", "5"},  // the first "id=" ends skuId=
        {"https://x/item.htm?id=45-6", "45"},
        {"https://x/item.htm?id=abc-1", "0"},
        {"https://x/?id=77qq", "77"},
        {"https://x/?id=12345678901234567", "12345678901234567"},  // no "-": kept as text
        {"https://x/?id=12345678901234567-", "1.234567890123e+16"},
        {"123456", ""},
        {"", ""},
        {"id=", ""},
        {"a id=1 & b", "1 "},
        {"?id=1&id=2&", "1"},
        {"ID=9", ""},  // the fallback observes case
        {"x\r\nid=5\r\n", "5\r\n"},
    };
    for (const IdCase& c : cases)
        EXPECT_EQ(ExtractProductId(c.box), c.id) << c.box;
}

TEST(NormaliseCouponLink, RebuildsTheCanonicalCouponPageLink) {
    const struct {
        const char* box;
        const char* activity;
        const char* seller;
    } cases[] = {
        {"https://shop.m.taobao.com/shop/coupon.htm?sellerId=111&activityId=222", "222", "111"},
        {"https://x/?seller_id=111&activity_id=222", "222", "111"},
        {"https://x/?activityId=222&amp;sellerId=111", "222", "111"},
        {"https://x/?ActivityId=3&SELLERID=4&y=1", "3", "4"},
        {" https://x/?activityId = 5 & sellerId=6 ", "5", "6"},
        {"", "", ""},
        {"https://uland.taobao.com/coupon/edetail?e=abc", "", ""},
        {"x?activityId=1&amp;amp;sellerId=2&amp;", "1", "2"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NormaliseCouponLink(gbk(c.box)), coupon_page_url(c.activity, c.seller)) << c.box;
    }
}

TEST(NormaliseCouponLink, NeverKeepsLineBreaks) {
    const Text link = NormaliseCouponLink("?activityId=1\r\n&sellerId=2\r\n");
    EXPECT_EQ(link.find("\r\n"), Text::npos);
    EXPECT_EQ(link, coupon_page_url("1", "2"));
}

class ManualAddTest : public ::testing::Test {
  protected:
    void SetUp() override {
        temp_ = std::make_unique<test::TempDir>("add");
        dir_ = temp_->path();
        form_ = MemoryAddForm{};
        form_.qq_text = "12 34";
        form_.product = "https://item.taobao.com/item.htm?id=123&spm=x";
        form_.coupon = "https://shop.m.taobao.com/shop/coupon.htm?sellerId=111&activityId=222";
        form_.title_text = gbk("夏季 新款　短袖");
        item_page_ = gbk("{\"sold\":\"月销 1 234 笔\"}");
        coupon_page_ = gbk("优惠券<i class=\"rest\">80</i><i class=\"count\"> 20 </i>");
    }
    void TearDown() override { temp_.reset(); }

    bool add() {
        ManualAddContext c{form_, table_, dir_ / kListFileName, dialogs_, {}, {}};
        c.probes.fetch_item = [this](const Text& id, int tries, const std::atomic<bool>*) {
            asked_.push_back("item:" + id + ":" + std::to_string(tries));
            return item_page_;
        };
        c.probes.fetch_coupon = [this](const Text& link, int tries, const std::atomic<bool>*) {
            asked_.push_back("coupon:" + link + ":" + std::to_string(tries));
            return coupon_page_;
        };
        c.clock = [] { return DateTime{2026, 12, 11, 0, 0, 0}; };
        return ManualAdd(c);
    }

    std::unique_ptr<test::TempDir> temp_;
    fs::path dir_;
    MemoryAddForm form_;
    MemoryWatchTable table_;
    ScriptedDialogs dialogs_;
    Text item_page_, coupon_page_;
    std::vector<Text> asked_;
};

TEST_F(ManualAddTest, SuccessAppendsTheRowClearsTheFormAndSaves) {
    for (int i = 0; i < 5; ++i)
        table_.insert_row();
    ASSERT_TRUE(add());
    const Text canonical = coupon_page_url("222", "111");
    EXPECT_EQ(asked_, (std::vector<Text>{"item:123:1", "coupon:" + canonical + ":1"}));
    ASSERT_EQ(table_.row_count(), 6);
    const Text expected[14] = {"6",
                               "1234",
                               gbk("夏季新款短袖"),
                               "123",
                               "1234",
                               "1234",
                               "0",
                               canonical,
                               "100",
                               "20",
                               "20",
                               "",
                               gbk("未检测"),
                               gbk("2026年12月11日")};
    for (int c = 0; c < 14; ++c)
        EXPECT_EQ(table_.get_cell(5, c), expected[c]) << c;
    EXPECT_EQ(table_.row_image(5), 0);
    EXPECT_EQ(form_.qq_text, "");
    EXPECT_EQ(form_.product, "");
    EXPECT_EQ(form_.coupon, "");
    EXPECT_EQ(form_.title_text, "");
    EXPECT_EQ(form_.focus_calls, 1);
    EXPECT_EQ(form_.enabled_history, (std::vector<bool>{false, true}));
    EXPECT_TRUE(dialogs_.messages.empty());
    Bytes saved;
    ASSERT_TRUE(read_file(dir_ / kListFileName, saved));
    EXPECT_EQ(saved, list_file_bytes(table_));
}

TEST_F(ManualAddTest, EachFailureShowsItsMessageAndChangesOnlyTheCouponBox) {
    const Text good_item = item_page_;
    const Text good_coupon = coupon_page_;
    const struct {
        const char* name;
        Text item;
        Text coupon;
        const char* message;
        size_t requests;
    } cases[] = {
        {"no sales marker", gbk("月 销"), good_coupon, "宝贝检测失败,请确定是否填写的宝贝ID!", 1},
        {"empty item page", "", good_coupon, "宝贝检测失败,请确定是否填写的宝贝ID!", 1},
        {"empty coupon page", good_item, "", "优惠券检测失败!", 2},
        {"coupon expired", good_item, gbk("优惠券 该优惠券不存在或者已经过期"), "优惠券失效了~!",
         2},
        {"shop closed", good_item, gbk("您浏览店铺不存在或已经关闭"), "优惠券失效了~!", 2},
        {"no coupon marker", good_item, gbk("<html>error</html>"), "优惠券检测失败!", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        table_.delete_all_rows();
        dialogs_.messages.clear();
        asked_.clear();
        item_page_ = c.item;
        coupon_page_ = c.coupon;
        EXPECT_FALSE(add());
        ASSERT_EQ(dialogs_.messages.size(), 1u);
        EXPECT_EQ(dialogs_.messages[0].text, gbk(c.message));
        EXPECT_EQ(dialogs_.messages[0].title, gbk("提示"));
        EXPECT_EQ(dialogs_.messages[0].buttons, MessageButtons::ok);
        EXPECT_EQ(asked_.size(), c.requests);
        EXPECT_EQ(table_.row_count(), 0);
        EXPECT_FALSE(file_exists(dir_ / kListFileName));
        EXPECT_EQ(form_.coupon, coupon_page_url("222", "111"));  // rewritten before the probes
        EXPECT_EQ(form_.qq_text, "12 34");
        EXPECT_EQ(form_.enabled_history, (std::vector<bool>{false, true}));
    }
}

TEST_F(ManualAddTest, MissingCountsGiveEmptyCellsAndATotalOfZero) {
    coupon_page_ = gbk("优惠券");
    form_.product = "id=9";
    ASSERT_TRUE(add());
    EXPECT_EQ(table_.get_cell(0, kColNumber), "1");
    EXPECT_EQ(table_.get_cell(0, kColProductId), "9");
    EXPECT_EQ(table_.get_cell(0, kColCouponTotal), "0");
    EXPECT_EQ(table_.get_cell(0, kColClaimedAtAdd), "");
    EXPECT_EQ(table_.get_cell(0, kColClaimedNow), "");
}

TEST_F(ManualAddTest, AnyBoxTextGivesADefinedResultWithoutACrash) {
    const Text odd[] = {"",
                        "   ",
                        gbk("中文商品链接"),
                        Text(100000, 'x'),
                        "id=id=id=&&",
                        "&amp;&amp;&amp;",
                        "a\r\nb\nc\r",
                        Text("\xff\xfe\x80", 3)};
    for (const Text& t : odd) {
        form_.product = t;
        form_.coupon = t;
        form_.qq_text = t;
        form_.title_text = t;
        add();
        EXPECT_EQ(form_.enabled_history.back(), true);
    }
}

}  // namespace
}  // namespace korvane
