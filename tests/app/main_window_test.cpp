#include "app/main_window.h"

#include <gtest/gtest.h>
#include <memory>

#include <unistd.h>
#include <QAbstractButton>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <filesystem>
#include <fstream>

#include "app/qt_watch_table.h"
#include "app/watch_table_view.h"
#include "files/file_io.h"
#include "shell/settings_file.h"
#include "support/temp_dir.h"
#include "text/code_page.h"
#include "watchlist/list_file.h"
#include "watchlist/memory_watch_table.h"

namespace korvane {
namespace {

namespace fs = std::filesystem;

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        temp_ = std::make_unique<test::TempDir>("window");
        dir_ = temp_->path();
    }
    void TearDown() override { temp_.reset(); }

    template <class W>
    W* child(MainWindow& w, const char* name) {
        return w.findChild<W*>(QString::fromUtf8(name));
    }
    QString interval(MainWindow& w) { return child<QLineEdit>(w, "编辑框4")->text(); }

    std::unique_ptr<test::TempDir> temp_;
    fs::path dir_;
};

struct ControlCase {
    const char* name;
    const char* parent;
    QRect geometry;
    const char* text;  // nullptr: not checked
};

TEST_F(MainWindowTest, EveryControlHasItsNamePlaceAndStartText) {
    MainWindow w(dir_);
    EXPECT_EQ(w.objectName(), QString::fromUtf8("窗口"));
    EXPECT_EQ(w.geometry(), QRect(50, 50, 1034, 661));
    EXPECT_TRUE(w.windowTitle().startsWith(QString::fromUtf8("Korvane跑单监视器V1.5版")));

    const ControlCase controls[] = {
        {"检测表", "窗口", {4, 5, 1020, 411}, nullptr},
        {"分组框2", "窗口", {6, 423, 338, 96}, "控制区"},
        {"按钮2", "分组框2", {9, 21, 72, 24}, "开始监视"},
        {"按钮3", "分组框2", {9, 59, 72, 24}, "停止监视"},
        {"分组框3", "分组框2", {89, 23, 112, 56}, "状态"},
        {"透明标签4", "分组框3", {8, 16, 96, 24}, "未开始"},
        {"透明标签5", "分组框2", {208, 20, 80, 16}, "检测循环间隔↓"},
        {"编辑框4", "分组框2", {224, 40, 40, 24}, "10"},
        {"透明标签6", "分组框2", {212, 69, 69, 16}, "分钟检测1次"},
        {"分组框1", "窗口", {6, 521, 338, 96}, "添加信息    (监视中也可以添加商品)"},
        {"透明标签1", "分组框1", {14, 24, 48, 16}, "商家Q Q:"},
        {"编辑框1", "分组框1", {70, 22, 84, 24}, ""},
        {"透明标签2", "分组框1", {8, 64, 52, 16}, "商品连接:"},
        {"编辑框2", "分组框1", {70, 61, 84, 24}, ""},
        {"透明标签7", "分组框1", {163, 24, 57, 16}, "商品标题:"},
        {"编辑框5", "分组框1", {222, 21, 68, 24}, ""},
        {"透明标签3", "分组框1", {162, 61, 56, 16}, "领券地址:"},
        {"编辑框3", "分组框1", {222, 58, 68, 24}, ""},
        {"按钮1", "分组框1", {295, 24, 35, 48}, "添加"},
        {"分组框4", "窗口", {348, 424, 268, 189}, "(自动获取/连接/优惠券/标题) "},
        {"按钮4", "分组框4", {8, 23, 252, 33}, "一键自动获取已复制文案信息【手动点添加】"},
        {"透明标签9", "分组框4", {11, 61, 248, 24}, "如果需要设置商家QQ请点↑,不需设置则点↓"},
        {"按钮5", "分组框4", {8, 90, 252, 33}, "一键自动获取已复制文案信息【直接添加】"},
        {"透明标签8",
         "分组框4",
         {10, 133, 250, 54},
         "请复制整个文案信息后 按一下 上边的按钮 即可自动获取 你复制的文案中的 商品连接 "
         "优惠券地址 商品标题。商家QQ请自行填写即可。"},
        {"编辑框6", "分组框4", {7, 17, 5, 7}, ""},
        {"外形框12", "窗口", {617, 426, 413, 181}, nullptr},
        {"标签6", nullptr, {1, 1, 405, 20}, nullptr},
        {"超文本浏览框", "外形框12", {3, 26, 408, 150}, nullptr},
    };
    for (const ControlCase& c : controls) {
        SCOPED_TRACE(c.name);
        QWidget* widget = child<QWidget>(w, c.name);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->geometry(), c.geometry);
        if (c.parent) {
            EXPECT_EQ(widget->parentWidget()->objectName(), QString::fromUtf8(c.parent));
        }
        if (!c.text) continue;
        const QString expected = QString::fromUtf8(c.text);
        if (auto* b = qobject_cast<QAbstractButton*>(widget)) {
            EXPECT_EQ(b->text(), expected);
        } else if (auto* l = qobject_cast<QLabel*>(widget)) {
            EXPECT_EQ(l->text(), expected);
        } else if (auto* e = qobject_cast<QLineEdit*>(widget)) {
            EXPECT_EQ(e->text(), expected);
        } else if (auto* g = qobject_cast<QGroupBox*>(widget)) {
            EXPECT_EQ(g->title(), expected);
        } else {
            ADD_FAILURE() << "no text to check";
        }
    }
    EXPECT_TRUE(child<QTextBrowser>(w, "超文本浏览框")->isReadOnly());
    EXPECT_NE(child<QMenu>(w, "菜单"), nullptr);
    EXPECT_NE(child<QMenu>(w, "托盘菜单"), nullptr);
}

TEST_F(MainWindowTest, WatchTableHasTheFourteenColumnsWithFixedSizes) {
    MainWindow w(dir_);
    WatchTableView& view = w.watch_table_view();
    const char* titles[] = {"序号",     "对方联系QQ", "商品标题",   "ID",       "添加时销量",
                            "现在销量", "预计卖出",   "优惠券地址", "券总数量", "添加时已领",
                            "现已领取", "转换率",     "单子状态",   "检测时间"};
    const int widths[] = {50, 100, 100, 30, 80, 80, 100, 80, 80, 80, 80, 80, 100, 200};
    ASSERT_EQ(view.model()->columnCount(), 14);
    for (int c = 0; c < 14; ++c) {
        EXPECT_EQ(view.model()->headerData(c, Qt::Horizontal).toString(),
                  QString::fromUtf8(titles[c]));
        EXPECT_EQ(view.columnWidth(c), widths[c]);
        EXPECT_NE(view.horizontalHeader()->sectionResizeMode(c), QHeaderView::ResizeToContents);
    }
    EXPECT_EQ(view.verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
    EXPECT_EQ(view.selectionBehavior(), QAbstractItemView::SelectRows);
}

TEST_F(MainWindowTest, FirstStartInAnEmptyDirectoryKeepsDefaultsAndCreatesNoFile) {
    MainWindow w(dir_);
    w.run_creation_sequence();
    EXPECT_EQ(interval(w), "10");
    EXPECT_EQ(w.watch_table().row_count(), 0);
    EXPECT_TRUE(fs::is_empty(dir_));
}

TEST_F(MainWindowTest, IntervalComesFromTheSettingsFileUnchanged) {
    const struct {
        const char* content;
        const char* shown;
    } cases[] = {
        {"[软件设置]\r\n间隔=25\r\n", "25"},
        {"[软件设置]\r\n间隔=abc\r\n", "abc"},
        {"[软件设置]\r\n", ""},
        {"[软件设置]\r\n间隔=十分钟\r\n", "十分钟"},
    };
    for (const auto& c : cases) {
        std::ofstream(settings_file_path(dir_), std::ios::binary) << gbk(c.content);
        MainWindow w(dir_);
        w.run_creation_sequence();
        EXPECT_EQ(interval(w), QString::fromUtf8(c.shown)) << c.content;
    }
}

TEST_F(MainWindowTest, ListFileLoadsIntoTheTableThenTheTrayStepRuns) {
    MemoryWatchTable saved;
    WatchEntry e;
    for (int c = 1; c <= 13; ++c)
        e.cells[c] = gbk("格") + std::to_string(c);
    saved.append_rows({e, e, e});
    ASSERT_TRUE(save_list_file(saved, dir_ / kListFileName));

    MainWindow w(dir_);
    int rows_seen_by_tray_step = -1;
    w.set_tray_step([&] { rows_seen_by_tray_step = w.watch_table().row_count(); });
    w.run_creation_sequence();
    EXPECT_EQ(rows_seen_by_tray_step, 3);
    ASSERT_EQ(w.watch_table().row_count(), 3);
    EXPECT_EQ(w.watch_table().get_cell(2, 0), "3");
    EXPECT_EQ(w.watch_table().get_cell(2, 13), gbk("格") + "13");
    const QModelIndex shown = w.watch_table().index(1, 2);
    EXPECT_EQ(shown.data().toString(), QString::fromUtf8("格2"));
}

TEST_F(MainWindowTest, RightClickSelectsTheRowUnderThePointerAndAsksForTheMenu) {
    MainWindow w(dir_);
    for (int i = 0; i < 3; ++i)
        w.watch_table().insert_row();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    WatchTableView& view = w.watch_table_view();
    int requests = 0;
    QObject::connect(&view, &WatchTableView::row_menu_requested, [&] { ++requests; });

    const QRect cell = view.visualRect(view.model()->index(2, 3));
    QTest::mouseClick(view.viewport(), Qt::RightButton, {}, cell.center());
    QContextMenuEvent menu_event(QContextMenuEvent::Mouse, cell.center(),
                                 view.viewport()->mapToGlobal(cell.center()));
    QCoreApplication::sendEvent(view.viewport(), &menu_event);
    EXPECT_EQ(w.watch_table().current_selection(), 2);
    EXPECT_EQ(requests, 1);
}

TEST_F(MainWindowTest, MovingAVisibleWindowKeepsItVisibleAndAMinimisedOneMinimised) {
    MainWindow w(dir_);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    w.move(120, 80);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.pos(), QPoint(120, 80));
    w.showMinimized();
    w.move(130, 90);
    EXPECT_TRUE(w.isMinimized());
}

}  // namespace
}  // namespace korvane
