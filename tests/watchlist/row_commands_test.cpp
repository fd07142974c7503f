#include "watchlist/row_commands.h"

#include <gtest/gtest.h>
#include <memory>

#include <unistd.h>
#include <climits>

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

class RowCommandsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        temp_ = std::make_unique<test::TempDir>("rows");
        dir_ = temp_->path();
        for (int i = 1; i <= 5; ++i) {
            const int row = table_.insert_row();
            table_.set_cell(row, kColNumber, std::to_string(i));
            for (int c = 1; c <= 13; ++c)
                table_.set_cell(row, c, "r" + std::to_string(i));
        }
    }
    void TearDown() override { temp_.reset(); }

    RowCommandContext context() {
        return {table_, dir_ / kListFileName, dialogs_, clipboard_, links_};
    }
    std::vector<Text> order() const {
        std::vector<Text> tags;
        for (int r = 0; r < table_.row_count(); ++r)
            tags.push_back(table_.get_cell(r, 13));
        return tags;
    }
    Bytes saved() const {
        Bytes b;
        read_file(dir_ / kListFileName, b);
        return b;
    }

    std::unique_ptr<test::TempDir> temp_;
    fs::path dir_;
    MemoryWatchTable table_;
    ScriptedDialogs dialogs_;
    MemoryClipboard clipboard_;
    RecordingLinkOpener links_;
};

struct MoveCase {
    const char* name;
    int selected;
    int position;
    std::vector<Text> order;
    int landed;  // index of the moved row afterwards
};

class MoveTest : public RowCommandsTest, public ::testing::WithParamInterface<MoveCase> {};

TEST_P(MoveTest, LandsWhereTheCopyWasInsertedAndShowsThePositionTyped) {
    const MoveCase& m = GetParam();
    table_.select_row(m.selected);
    dialogs_.numbers = {m.position};
    auto c = context();
    move_selected_row(c);

    ASSERT_EQ(dialogs_.inputs.size(), 1u);
    EXPECT_EQ(dialogs_.inputs[0].prompt, gbk("请输入要调到的位置。"));
    EXPECT_EQ(dialogs_.inputs[0].title, gbk("请输入要调到的位置。"));
    EXPECT_EQ(dialogs_.inputs[0].initial, "1");
    EXPECT_EQ(order(), m.order);
    EXPECT_EQ(table_.get_cell(m.landed, kColNumber), std::to_string(m.position));
    EXPECT_EQ(table_.row_image(m.landed), 0);
    // The other rows keep their numbers.
    for (int r = 0; r < table_.row_count(); ++r) {
        if (r == m.landed) continue;
        EXPECT_EQ("r" + table_.get_cell(r, kColNumber), table_.get_cell(r, 1));
    }
    EXPECT_EQ(saved(), list_file_bytes(table_));
}

INSTANTIATE_TEST_SUITE_P(
    Positions, MoveTest,
    ::testing::Values(MoveCase{"ThirdToFirst", 2, 1, {"r3", "r1", "r2", "r4", "r5"}, 0},
                      MoveCase{"FirstToThirdLandsSecond", 0, 3, {"r2", "r1", "r3", "r4", "r5"}, 1},
                      MoveCase{"BeyondTheEnd", 1, 99, {"r1", "r3", "r4", "r5", "r2"}, 4},
                      MoveCase{"ZeroAppends", 0, 0, {"r2", "r3", "r4", "r5", "r1"}, 4},
                      MoveCase{"NegativeAppends", 3, -4, {"r1", "r2", "r3", "r5", "r4"}, 4},
                      MoveCase{"LargestInteger", 0, INT_MAX, {"r2", "r3", "r4", "r5", "r1"}, 4},
                      MoveCase{"SmallestInteger", 0, INT_MIN, {"r2", "r3", "r4", "r5", "r1"}, 4},
                      MoveCase{"OntoItself", 2, 3, {"r1", "r2", "r3", "r4", "r5"}, 2},
                      MoveCase{"OneBelowTheEnd", 4, 6, {"r1", "r2", "r3", "r4", "r5"}, 4}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RowCommandsTest, MoveCancelledOrWithoutSelectionChangesNothing) {
    auto c = context();
    move_selected_row(c);  // nothing selected: no input box
    EXPECT_TRUE(dialogs_.inputs.empty());
    table_.select_row(1);
    move_selected_row(c);  // cancelled
    EXPECT_EQ(dialogs_.inputs.size(), 1u);
    EXPECT_EQ(order(), (std::vector<Text>{"r1", "r2", "r3", "r4", "r5"}));
    EXPECT_FALSE(file_exists(dir_ / kListFileName));
}

TEST_F(RowCommandsTest, DeleteRemovesTheSelectedRowAndAlwaysSaves) {
    auto c = context();
    delete_selected_row(c);
    EXPECT_EQ(table_.row_count(), 5);
    EXPECT_TRUE(file_exists(dir_ / kListFileName));
    table_.select_row(2);
    delete_selected_row(c);
    EXPECT_EQ(order(), (std::vector<Text>{"r1", "r2", "r4", "r5"}));
    EXPECT_EQ(table_.get_cell(2, kColNumber), "4");
    EXPECT_EQ(saved(), list_file_bytes(table_));
}

TEST_F(RowCommandsTest, CopyPutsTheNineLabelledValuesOnOneLine) {
    table_.select_row(1);
    for (int col = 1; col <= 13; ++col)
        table_.set_cell(1, col, "c" + std::to_string(col));
    auto c = context();
    copy_selected_row(c);
    EXPECT_EQ(clipboard_.content,
              gbk("商品标题:c2 商品连接:") + item_page_link("c3") +
                  gbk(" 添加时销量:c4 现在销量:c5 预计卖出:c6 优惠券地址:c7 添加时领取:c9 "
                      "现在已领取:c10 转换率:c11"));
}

TEST_F(RowCommandsTest, CopyWithoutSelectionHasLabelsAndTheBareItemLink) {
    auto c = context();
    copy_selected_row(c);
    EXPECT_EQ(
        clipboard_.content,
        gbk("商品标题: 商品连接:") + item_page_link("") +
            gbk(" 添加时销量: 现在销量: 预计卖出: 优惠券地址: 添加时领取: 现在已领取: 转换率:"));
    EXPECT_EQ(clipboard_.writes, 1);
}

TEST_F(RowCommandsTest, OpenHandsOnlyWebLinksToTheBrowser) {
    const struct {
        const char* coupon;
        bool opened;
    } cases[] = {
        {"http://shop.m.taobao.com/shop/coupon.htm?activityId=1&sellerId=2", true},
        {"HTTPS://example.com/x", true},
        {"file:///etc/passwd", false},
        {"C:\\Windows\\system32\\calc.exe", false},
        {"/usr/bin/xterm", false},
        {"javascript:alert(1)", false},
        {"http://", false},
        {"http://a b", false},
        {"", false},
    };
    table_.select_row(0);
    auto c = context();
    for (const auto& k : cases) {
        links_.opened.clear();
        table_.set_cell(0, kColCouponLink, k.coupon);
        open_selected_coupon(c);
        EXPECT_EQ(links_.opened.size(), k.opened ? 1u : 0u) << k.coupon;
    }
    links_.opened.clear();
    table_.set_cell(0, kColProductId, "123");
    open_selected_product(c);
    EXPECT_EQ(links_.opened, (std::vector<Text>{item_page_link("123")}));

    links_.opened.clear();
    table_.select_row(-1);
    open_selected_product(c);
    open_selected_coupon(c);
    EXPECT_TRUE(links_.opened.empty());
}

TEST_F(RowCommandsTest, ClearAsksAndOnYesEmptiesTheTableAndDeletesTheFile) {
    auto c = context();
    save_list_file(table_, c.list_file);
    dialogs_.answers = {MessageAnswer::no};
    clear_table(c);
    ASSERT_EQ(dialogs_.messages.size(), 1u);
    EXPECT_EQ(dialogs_.messages[0].text, gbk("是否清空?"));
    EXPECT_EQ(dialogs_.messages[0].title, gbk("询问"));
    EXPECT_EQ(dialogs_.messages[0].buttons, MessageButtons::yes_no);
    EXPECT_EQ(table_.row_count(), 5);
    EXPECT_TRUE(file_exists(c.list_file));

    dialogs_.answers = {MessageAnswer::yes};
    clear_table(c);
    EXPECT_EQ(table_.row_count(), 0);
    EXPECT_FALSE(file_exists(c.list_file));

    // A restart finds nothing to load.
    MemoryWatchTable restarted;
    NoEventPump events;
    load_list_file(restarted, c.list_file, events);
    EXPECT_EQ(restarted.row_count(), 0);
}

}  // namespace
}  // namespace korvane
