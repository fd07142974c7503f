#include "watchlist/row_colours.h"

#include <gtest/gtest.h>

#include <thread>

namespace korvane {
namespace {

int parent_window, table_list, other_list;
const WindowId kParent = &parent_window;
const WindowId kList = &table_list;
const WindowId kOther = &other_list;

TEST(RowColours, OnePassStoresGreenRedGreen) {
    RowColourStore store;
    int repaints = 0;
    store.request_repaint = [&](WindowId list) {
        EXPECT_EQ(list, kList);
        ++repaints;
    };
    store.set_row_colour(kParent, kList, 0, kColourGreen, kColourDefault);
    store.set_row_colour(kParent, kList, 1, kColourRed, kColourDefault);
    store.set_row_colour(kParent, kList, 2, kColourGreen, kColourDefault);
    EXPECT_EQ(repaints, 3);
    const Colour expected[] = {kColourGreen, kColourRed, kColourGreen};
    for (int row = 0; row < 3; ++row) {
        const CustomDrawAnswer a = store.custom_draw_answer(kDrawItemPrepaint, kList, row, 0);
        EXPECT_TRUE(a.answered);
        EXPECT_EQ(a.result, kDoDefault);
        EXPECT_TRUE(a.write_colours);
        EXPECT_EQ(a.text, expected[row]);
        EXPECT_EQ(a.background, kColourDefault);
    }
}

TEST(RowColours, GapsAreUnsetAndBeyondTheEndDrawsDefault) {
    RowColourStore store;
    store.set_row_colour(kParent, kList, 5, kColourRed, kColourDefault);
    const auto rows = store.rows_of(kList);
    ASSERT_EQ(rows.size(), 6u);
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(rows[i].set);
    EXPECT_TRUE(rows[5].set);
    EXPECT_FALSE(store.custom_draw_answer(kDrawItemPrepaint, kList, 2, 0).write_colours);
    const CustomDrawAnswer beyond = store.custom_draw_answer(kDrawItemPrepaint, kList, 9, 0);
    EXPECT_TRUE(beyond.answered);
    EXPECT_FALSE(beyond.write_colours);
    // A store that shrinks never exists: recolouring a low row keeps the longer array.
    store.set_row_colour(kParent, kList, 1, kColourGreen, kColourDefault);
    EXPECT_EQ(store.rows_of(kList).size(), 6u);
}

TEST(RowColours, ItemStateDecidesBetweenSelectionAndStoredColours) {
    RowColourStore store;
    store.set_row_colour(kParent, kList, 0, kColourGreen, kColourDefault);
    const struct {
        uint32_t state;
        bool stored;
    } cases[] = {
        {kItemSelected | kItemFocus | kItemKeyboardCues, false},
        {kItemSelected | kItemFocus, true},  // 0x11: keyboard cues hidden
        {kItemSelected, true},
        {kItemFocus | kItemKeyboardCues, true},
        {0, true},
        {kItemSelected | kItemFocus | kItemKeyboardCues | 0x4, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(store.custom_draw_answer(kDrawItemPrepaint, kList, 0, c.state).write_colours,
                  c.stored)
            << std::hex << c.state;
    }
}

TEST(RowColours, StagesAndUnknownListsAreLeftToTheDefault) {
    RowColourStore store;
    const CustomDrawAnswer pre = store.custom_draw_answer(kDrawPrepaint, kOther, 0, 0);
    EXPECT_TRUE(pre.answered);
    EXPECT_EQ(pre.result, kNotifyItemDraw);
    store.set_row_colour(kParent, kList, 0, kColourRed, kColourDefault);
    EXPECT_FALSE(store.custom_draw_answer(kDrawItemPrepaint, kOther, 0, 0).answered);
    EXPECT_FALSE(store.custom_draw_answer(0x20001, kList, 0, 0).answered);  // sub-item stage
}

TEST(RowColours, ParentIsHookedOnceHoweverManyRowsAndLists) {
    RowColourStore store;
    int hooks = 0;
    store.install_hook = [&](WindowId) { ++hooks; };
    for (int row = 0; row < 50; ++row) {
        store.set_row_colour(kParent, kList, row, kColourGreen, kColourDefault);
        store.set_row_colour(kParent, kOther, row, kColourRed, kColourDefault);
    }
    EXPECT_EQ(hooks, 1);
    EXPECT_EQ(store.hooks_installed(kParent), 1);
}

TEST(RowColours, ConcurrentWritesAndPaintsSeeWholeRecords) {
    RowColourStore store;
    std::thread writer([&] {
        for (int row = 0; row < 20000; ++row) {
            store.set_row_colour(kParent, kList, row, row % 2 ? kColourRed : kColourGreen,
                                 kColourDefault);
        }
    });
    int seen = 0;
    for (int i = 0; i < 20000; ++i) {
        const CustomDrawAnswer a = store.custom_draw_answer(kDrawItemPrepaint, kList, i / 2, 0);
        if (a.write_colours) {
            ++seen;
            EXPECT_EQ(a.text, (i / 2) % 2 ? kColourRed : kColourGreen);
        }
    }
    writer.join();
    EXPECT_EQ(store.rows_of(kList).size(), 20000u);
    (void)seen;
}

}  // namespace
}  // namespace korvane
