// The behaviour every WatchTable implementation shares, as a typed test suite.
// Instantiate with a fixture type that has `WatchTable& table()` and `void select(int row)`.
#pragma once

#include <gtest/gtest.h>

#include "watchlist/watch_table.h"

namespace korvane {

template <class Fixture>
class WatchTableContract : public Fixture {};

TYPED_TEST_SUITE_P(WatchTableContract);

TYPED_TEST_P(WatchTableContract, InsertRowIndexRules) {
    WatchTable& t = this->table();
    EXPECT_EQ(t.insert_row(), 0);
    EXPECT_EQ(t.insert_row(-5), 1);  // negative appends
    EXPECT_EQ(t.insert_row(99), 2);  // beyond the end appends
    t.set_cell(0, 1, "first");
    EXPECT_EQ(t.insert_row(0), 0);  // inside inserts there
    EXPECT_EQ(t.get_cell(1, 1), "first");
    EXPECT_EQ(t.row_count(), 4);
}

TYPED_TEST_P(WatchTableContract, MissingRowsAndColumnsReadEmptyAndIgnoreWrites) {
    WatchTable& t = this->table();
    t.insert_row();
    t.set_cell(0, 13, "x");
    t.set_cell(1, 1, "ignored");
    t.set_cell(0, 14, "ignored");
    t.set_cell(-1, 0, "ignored");
    EXPECT_EQ(t.get_cell(0, 13), "x");
    EXPECT_EQ(t.get_cell(1, 1), "");
    EXPECT_EQ(t.get_cell(0, 14), "");
    EXPECT_EQ(t.get_cell(0, -1), "");
    EXPECT_EQ(t.row_count(), 1);
    t.delete_row(5);
    t.delete_row(-1);
    EXPECT_EQ(t.row_count(), 1);
}

TYPED_TEST_P(WatchTableContract, DeleteKeepsOtherRowsNumbers) {
    WatchTable& t = this->table();
    for (int i = 1; i <= 3; ++i)
        t.set_cell(t.insert_row(), 0, std::to_string(i));
    t.delete_row(1);
    ASSERT_EQ(t.row_count(), 2);
    EXPECT_EQ(t.get_cell(0, 0), "1");
    EXPECT_EQ(t.get_cell(1, 0), "3");
    t.delete_all_rows();
    EXPECT_EQ(t.row_count(), 0);
}

TYPED_TEST_P(WatchTableContract, SelectionIsFirstSelectedRowOrMinusOne) {
    WatchTable& t = this->table();
    EXPECT_EQ(t.current_selection(), -1);
    for (int i = 0; i < 3; ++i)
        t.insert_row();
    this->select(2);
    EXPECT_EQ(t.current_selection(), 2);
    t.insert_row(0);  // the selected row moves down with its content
    EXPECT_EQ(t.current_selection(), 3);
    t.delete_row(3);
    EXPECT_EQ(t.current_selection(), -1);
}

TYPED_TEST_P(WatchTableContract, AppendRowsActsLikeAWriterOfNewRows) {
    WatchTable& t = this->table();
    t.insert_row();
    WatchEntry e;
    for (int c = 0; c < kWatchColumnCount; ++c)
        e.cells[c] = "c" + std::to_string(c);
    t.append_rows({e, e});
    ASSERT_EQ(t.row_count(), 3);
    for (int c = 0; c < kWatchColumnCount; ++c)
        EXPECT_EQ(t.get_cell(2, c), e.cells[c]);
}

REGISTER_TYPED_TEST_SUITE_P(WatchTableContract, InsertRowIndexRules,
                            MissingRowsAndColumnsReadEmptyAndIgnoreWrites,
                            DeleteKeepsOtherRowsNumbers, SelectionIsFirstSelectedRowOrMinusOne,
                            AppendRowsActsLikeAWriterOfNewRows);

}  // namespace korvane
