#include "watchlist/watch_table.h"

namespace korvane {

const std::array<ColumnInfo, kWatchColumnCount>& watch_columns() {
    static const std::array<ColumnInfo, kWatchColumnCount> columns = {{
        {"序号", 50},
        {"对方联系QQ", 100},
        {"商品标题", 100},
        {"ID", 30},
        {"添加时销量", 80},
        {"现在销量", 80},
        {"预计卖出", 100},
        {"优惠券地址", 80},
        {"券总数量", 80},
        {"添加时已领", 80},
        {"现已领取", 80},
        {"转换率", 80},
        {"单子状态", 100},
        {"检测时间", 200},
    }};
    return columns;
}

void WatchTable::append_rows(std::vector<WatchEntry> rows) {
    for (const WatchEntry& entry : rows) {
        const int row = insert_row();
        set_cell(row, kColNumber, entry.cells[kColNumber]);
        set_row_image(row, 0);
        for (int column = kFirstSavedColumn; column <= kLastSavedColumn; ++column) {
            set_cell(row, column, entry.cells[column]);
        }
    }
}

void WatchTable::visit_rows(const std::function<void(const CellViews&)>& visit) const {
    auto* self = const_cast<WatchTable*>(this);
    self->run_atomically([&] {
        const int rows = row_count();
        WatchEntry entry;
        CellViews views;
        for (int row = 0; row < rows; ++row) {
            for (int c = 0; c < kWatchColumnCount; ++c) {
                entry.cells[c] = get_cell(row, c);
                views[c] = entry.cells[c];
            }
            visit(views);
        }
    });
}

}  // namespace korvane
