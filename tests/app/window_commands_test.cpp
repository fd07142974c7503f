// The window driven as a user drives it: typing into the add form, the row menu, the
// monitoring buttons, against the loopback marketplace.
#include <gtest/gtest.h>
#include <memory>

#include <unistd.h>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <filesystem>

#include "app/main_window.h"
#include "app/qt_watch_table.h"
#include "app/watch_table_view.h"
#include "files/file_io.h"
#include "monitor/monitor_cycle.h"
#include "probes/endpoints.h"
#include "probes/hosts.h"
#include "shell/settings_file.h"
#include "support/host_doubles.h"
#include "support/loopback_server.h"
#include "support/temp_dir.h"
#include "text/code_page.h"
#include "watchlist/list_file.h"
#include "watchlist/memory_watch_table.h"

namespace korvane {
namespace {

namespace fs = std::filesystem;
using test::LoopbackServer;
using test::RecordedRequest;
using test::Reply;

// A marketplace whose item pages report 150 sales and whose coupon for activity 2 is gone.
Reply marketplace(const RecordedRequest& r) {
    if (r.target.rfind("/cache/wdetail/", 0) == 0) {
        // No such product without an ID.
        if (r.target.back() == '=') return Reply::ok("{\"ret\":\"ERROR\"}");
        return Reply::ok("{\"x\":\"月销150笔\"}");
    }
    if (r.target.find("activityId=2&") != std::string::npos) {
        return Reply::ok("优惠券 该优惠券不存在或者已经过期");
    }
    return Reply::ok("<b>优惠券</b><i class=\"rest\">60</i><i class=\"count\">40</i>");
}

class WindowCommandsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        temp_ = std::make_unique<test::TempDir>("wincmd");
        dir_ = temp_->path();
        ASSERT_TRUE(server_.running());
        const std::string at = "127.0.0.1:" + std::to_string(server_.port());
        set_market_hosts({at, at, at, at, at, at});
    }
    void TearDown() override {
        set_market_hosts(default_market_hosts());
        temp_.reset();
    }

    std::unique_ptr<MainWindow> open_window() {
        auto w = std::make_unique<MainWindow>(dir_, colours_);
        w->set_host(&dialogs_, &clipboard_, &links_);
        w->run_creation_sequence();
        w->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        return w;
    }
    template <class W>
    static W* named(MainWindow& w, const char* name) {
        return w.findChild<W*>(QString::fromUtf8(name));
    }
    void save_rows(const std::vector<std::pair<Text, Text>>& id_and_link) {
        MemoryWatchTable t;
        for (const auto& [id, link] : id_and_link) {
            const int row = t.insert_row();
            t.set_cell(row, kColProductId, id);
            t.set_cell(row, kColCouponLink, link);
            t.set_cell(row, kColSalesAtAdd, "100");
            t.set_cell(row, kColTitle, "t" + id);
        }
        ASSERT_TRUE(save_list_file(t, dir_ / kListFileName));
    }

    std::unique_ptr<test::TempDir> temp_;
    fs::path dir_;
    LoopbackServer server_{marketplace};
    RowColourStore colours_;
    ScriptedDialogs dialogs_;
    MemoryClipboard clipboard_;
    RecordingLinkOpener links_;
};

TEST_F(WindowCommandsTest, TypingLinksAndClickingAddAddsAndSavesTheRow) {
    auto w = open_window();
    QLineEdit* product = named<QLineEdit>(*w, "编辑框2");
    QLineEdit* coupon = named<QLineEdit>(*w, "编辑框3");
    product->setFocus();
    QTest::keyClicks(product, "https://item.taobao.com/item.htm?id=778899&spm=a1");
    coupon->setFocus();
    QTest::keyClicks(coupon, "https://shop.m.taobao.com/shop/coupon.htm?sellerId=5&activityId=7");
    QTest::mouseClick(named<QPushButton>(*w, "按钮1"), Qt::LeftButton);

    EXPECT_TRUE(dialogs_.messages.empty());
    ASSERT_EQ(w->watch_table().row_count(), 1);
    QtWatchTable& t = w->watch_table();
    EXPECT_EQ(t.get_cell(0, kColNumber), "1");
    EXPECT_EQ(t.get_cell(0, kColProductId), "778899");
    EXPECT_EQ(t.get_cell(0, kColSalesAtAdd), "150");
    EXPECT_EQ(t.get_cell(0, kColCouponLink), coupon_page_url("7", "5"));
    EXPECT_EQ(t.get_cell(0, kColCouponTotal), "100");
    EXPECT_EQ(t.get_cell(0, kColClaimedAtAdd), "40");
    EXPECT_EQ(t.get_cell(0, kColState), gbk("未检测"));
    EXPECT_TRUE(product->text().isEmpty());
    EXPECT_TRUE(coupon->text().isEmpty());
    EXPECT_TRUE(named<QPushButton>(*w, "按钮1")->isEnabled());
    EXPECT_TRUE(named<QLineEdit>(*w, "编辑框1")->hasFocus());
    Bytes saved;
    ASSERT_TRUE(read_file(dir_ / kListFileName, saved));
    EXPECT_EQ(saved, list_file_bytes(t));
}

TEST_F(WindowCommandsTest, FailedAddShowsTheMessageAndKeepsTheTable) {
    auto w = open_window();
    named<QLineEdit>(*w, "编辑框2")->setText(QStringLiteral("123456"));  // no id=
    QTest::mouseClick(named<QPushButton>(*w, "按钮1"), Qt::LeftButton);
    ASSERT_EQ(dialogs_.messages.size(), 1u);
    EXPECT_EQ(dialogs_.messages[0].text, gbk("宝贝检测失败,请确定是否填写的宝贝ID!"));
    EXPECT_EQ(w->watch_table().row_count(), 0);
    EXPECT_EQ(named<QLineEdit>(*w, "编辑框3")->text().toStdString(), coupon_page_url("", ""));
}

TEST_F(WindowCommandsTest, RowMenuOpensOnARightClickAndMovesTheRow) {
    save_rows({{"1", "l1"}, {"2", "l2"}, {"3", "l3"}});
    auto w = open_window();
    WatchTableView& view = w->watch_table_view();
    const QPoint at = view.visualRect(view.model()->index(2, 2)).center();
    QTest::mouseClick(view.viewport(), Qt::RightButton, {}, at);
    QContextMenuEvent menu_event(QContextMenuEvent::Mouse, at, view.viewport()->mapToGlobal(at));
    QCoreApplication::sendEvent(view.viewport(), &menu_event);
    QMenu& menu = w->row_menu();
    EXPECT_TRUE(menu.isVisible());
    QStringList items;
    for (QAction* a : menu.actions())
        items << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(
        items.join(QLatin1Char('|')),
        QString::fromUtf8("删除|-|调整本信息位置|-|复制整行信息|-|打开商品|-|打开优惠券|-|清空"));

    dialogs_.numbers = {1};
    menu.actions().at(2)->trigger();
    menu.hide();
    QtWatchTable& t = w->watch_table();
    ASSERT_EQ(t.row_count(), 3);
    EXPECT_EQ(t.get_cell(0, kColProductId), "3");
    EXPECT_EQ(t.get_cell(0, kColNumber), "1");
    EXPECT_EQ(t.get_cell(1, kColProductId), "1");
    EXPECT_EQ(t.get_cell(2, kColProductId), "2");
    MemoryWatchTable reloaded;
    NoEventPump events;
    load_list_file(reloaded, dir_ / kListFileName, events);
    ASSERT_EQ(reloaded.row_count(), 3);
    EXPECT_EQ(reloaded.get_cell(0, kColProductId), "3");
}

TEST_F(WindowCommandsTest, MonitorButtonsColourRowsAndStopFreezesTheTable) {
    save_rows({{"10", coupon_page_url("1", "9")}, {"11", coupon_page_url("2", "9")}});
    auto w = open_window();
    w->set_monitor_pauses(0, [](int32_t) { return 20; });
    named<QLineEdit>(*w, "编辑框4")->setText(QStringLiteral("abc"));
    QTest::mouseClick(named<QPushButton>(*w, "按钮2"), Qt::LeftButton);
    EXPECT_FALSE(named<QPushButton>(*w, "按钮2")->isEnabled());
    EXPECT_EQ(named<QLabel>(*w, "透明标签4")->text(), QString::fromUtf8("监视中…"));
    EXPECT_EQ(read_interval_setting(dir_), "abc");

    QtWatchTable& t = w->watch_table();
    const auto coloured = [&] {
        const auto rows = colours_.rows_of(w->colour_list());
        return rows.size() == 2 && rows[0].set && rows[1].set;
    };
    for (int i = 0; i < 500 && !coloured(); ++i)
        QTest::qWait(10);
    ASSERT_TRUE(coloured());
    EXPECT_EQ(colours_.rows_of(w->colour_list())[0].text, kColourGreen);
    EXPECT_EQ(colours_.rows_of(w->colour_list())[1].text, kColourRed);
    EXPECT_EQ(t.get_cell(0, kColSalesNow), "150");
    EXPECT_EQ(t.get_cell(0, kColSold), "50");
    EXPECT_EQ(t.get_cell(0, kColRate), "125");
    EXPECT_EQ(t.get_cell(1, kColState), gbk("优惠券不存在,或领光"));

    QTest::mouseClick(named<QPushButton>(*w, "按钮3"), Qt::LeftButton);
    EXPECT_TRUE(named<QPushButton>(*w, "按钮2")->isEnabled());
    EXPECT_EQ(named<QLabel>(*w, "透明标签4")->text(), QString::fromUtf8("已停止!"));
    // Nothing changes after stop, whatever the worker was doing.
    t.set_cell(0, kColSalesNow, "frozen");
    const size_t requests = server_.request_count();
    QTest::qWait(200);
    EXPECT_EQ(t.get_cell(0, kColSalesNow), "frozen");
    EXPECT_LE(server_.request_count(), requests + 1);  // at most the request already on its way
}

}  // namespace
}  // namespace korvane
