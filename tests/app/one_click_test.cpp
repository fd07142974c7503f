// The one-click buttons driven as a user drives them, against a loopback marketplace.
#include "app/one_click.h"

#include <gtest/gtest.h>
#include <memory>

#include <unistd.h>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>

#include "app/main_window.h"
#include "app/qt_text.h"
#include "app/qt_watch_table.h"
#include "files/file_io.h"
#include "probes/endpoints.h"
#include "probes/hosts.h"
#include "support/host_doubles.h"
#include "support/loopback_server.h"
#include "support/temp_dir.h"
#include "text/code_page.h"
#include "watchlist/list_file.h"

namespace korvane {
namespace {

namespace fs = std::filesystem;
using test::LoopbackServer;
using test::RecordedRequest;
using test::Reply;

Reply marketplace(const RecordedRequest& r) {
    if (r.target.rfind("/cache/wdetail/", 0) == 0) return Reply::ok("{\"x\":\"月销150笔\"}");
    if (r.target.rfind("/shop/coupon.htm", 0) == 0) {
        return Reply::ok("<b>优惠券</b><i class=\"rest\">60</i><i class=\"count\">40</i>");
    }
    return Reply::ok("");
}

const Text kProductLink = "https://item.taobao.com/item.htm?id=778899&spm=a1";
// On the shop host of the settings below; the add rebuilds it on the server's port.
const Text kCouponLink = "https://shop.m.market.localhost/shop/coupon.htm?sellerId=5&activityId=7";
const Text kShortLink = "https://s.click.market.localhost/t?e=1";

class OneClickTest : public ::testing::Test {
  protected:
    void SetUp() override {
        temp_ = std::make_unique<test::TempDir>("oneclick");
        dir_ = temp_->path();
        ASSERT_TRUE(server_.running());
        const std::string port = ":" + std::to_string(server_.port());
        MarketHosts hosts;
        hosts.item_detail = "detail.market.localhost" + port;
        hosts.shop = "shop.m.market.localhost" + port;
        hosts.item = "item.market.localhost" + port;
        hosts.click = "s.click.market.localhost" + port;
        hosts.coupon_site = "uland.market.localhost" + port;
        hosts.h5 = "h5.m.market.localhost" + port;
        set_market_hosts(hosts);

        window_ = std::make_unique<MainWindow>(dir_, colours_);
        window_->set_host(&dialogs_, &clipboard_, &links_);
        window_->run_creation_sequence();
        one_click_ = &OneClick::install(*window_);
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    }
    void TearDown() override {
        window_.reset();
        set_market_hosts(default_market_hosts());
        temp_.reset();
    }

    QLineEdit* box(const char* name) {
        return window_->findChild<QLineEdit*>(QString::fromUtf8(name));
    }
    void click(const char* button) {
        QTest::mouseClick(window_->findChild<QPushButton*>(QString::fromUtf8(button)),
                          Qt::LeftButton);
    }
    Text text_of(const char* name) { return to_text(box(name)->text()); }

    std::unique_ptr<test::TempDir> temp_;
    fs::path dir_;
    LoopbackServer server_{marketplace};
    RowColourStore colours_;
    ScriptedDialogs dialogs_;
    MemoryClipboard clipboard_;
    RecordingLinkOpener links_;
    std::unique_ptr<MainWindow> window_;
    OneClick* one_click_ = nullptr;
};

TEST_F(OneClickTest, InstallingTwiceKeepsOneHandler) {
    EXPECT_EQ(&OneClick::install(*window_), one_click_);
}

TEST_F(OneClickTest, DirectAddButtonFillsTheFormAndAddsAndSavesTheRow) {
    clipboard_.content = gbk("夏季 新款 连衣裙\r\n\r\n原价99元\r\n") + kProductLink + "\r\n" +
                         gbk("领券：") + kCouponLink;
    box("编辑框1")->setText(QStringLiteral("10001"));
    click("按钮5");

    EXPECT_TRUE(dialogs_.messages.empty());
    QtWatchTable& t = window_->watch_table();
    ASSERT_EQ(t.row_count(), 1);
    EXPECT_EQ(t.get_cell(0, kColQq), "10001");
    EXPECT_EQ(t.get_cell(0, kColTitle), gbk("夏季新款连衣裙原价99元"));
    EXPECT_EQ(t.get_cell(0, kColProductId), "778899");
    EXPECT_EQ(t.get_cell(0, kColSalesAtAdd), "150");
    EXPECT_EQ(t.get_cell(0, kColCouponLink), coupon_page_url("7", "5"));
    EXPECT_EQ(t.get_cell(0, kColCouponTotal), "100");
    EXPECT_EQ(t.get_cell(0, kColClaimedAtAdd), "40");
    EXPECT_EQ(text_of("编辑框2"), "");  // a successful add clears the form
    EXPECT_TRUE(box("编辑框1")->hasFocus());
    Bytes saved;
    ASSERT_TRUE(read_file(dir_ / kListFileName, saved));
    EXPECT_EQ(saved, list_file_bytes(t));
    EXPECT_EQ(server_.request_count(), 2u);
    EXPECT_FALSE(one_click_->busy());
}

TEST_F(OneClickTest, FillButtonOnlyFillsTheForm) {
    clipboard_.content = gbk("标题 一\r\n") + kCouponLink + "\r\n" + kProductLink;
    box("编辑框1")->setText(QStringLiteral("10001"));
    box("编辑框5")->setText(QStringLiteral("old"));
    click("按钮4");

    EXPECT_EQ(text_of("编辑框5"), gbk("标题一"));
    EXPECT_EQ(text_of("编辑框2"), kProductLink);
    EXPECT_EQ(text_of("编辑框3"), kCouponLink);
    EXPECT_EQ(text_of("编辑框1"), "10001");
    EXPECT_TRUE(box("编辑框1")->hasFocus());
    EXPECT_EQ(window_->watch_table().row_count(), 0);
    EXPECT_EQ(server_.request_count(), 0u);
    EXPECT_TRUE(dialogs_.messages.empty());
}

TEST_F(OneClickTest, ClicksDuringAResolutionAreIgnored) {
    int resolutions = 0;
    one_click_->set_resolver([&](const Text& link) {
        ++resolutions;
        EXPECT_EQ(link, kShortLink);
        // The user presses both buttons again while the link resolves.
        EXPECT_TRUE(one_click_->busy());
        click("按钮4");
        click("按钮5");
        return kProductLink;
    });
    clipboard_.content = gbk("标题\r\n") + kShortLink + "\r\n" + kCouponLink;
    click("按钮5");
    EXPECT_EQ(resolutions, 1);
    EXPECT_EQ(window_->watch_table().row_count(), 1);
    EXPECT_EQ(window_->watch_table().get_cell(0, kColProductId), "778899");
    EXPECT_FALSE(one_click_->busy());

    // Once it has ended the buttons work again.
    click("按钮4");
    EXPECT_EQ(resolutions, 2);
    EXPECT_EQ(text_of("编辑框2"), kProductLink);
    EXPECT_EQ(window_->watch_table().row_count(), 1);
}

}  // namespace
}  // namespace korvane
