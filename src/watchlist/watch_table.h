// The watch table: the system's one store of watched products, addressed by row and
// column index. Each single operation is atomic; nothing locks across several.
#pragma once

#include <array>
#include <functional>
#include <string_view>
#include <vector>

#include "text/text.h"

namespace korvane {

enum WatchColumn : int {
    kColNumber = 0,        // display number, never saved
    kColQq = 1,            // merchant's QQ number
    kColTitle = 2,         // product title
    kColProductId = 3,     // marketplace product ID
    kColSalesAtAdd = 4,    // monthly sales when added
    kColSalesNow = 5,      // monthly sales at the last check
    kColSold = 6,          // estimated units sold since adding
    kColCouponLink = 7,    // shop coupon page link
    kColCouponTotal = 8,   // coupons remaining plus claimed, at add time
    kColClaimedAtAdd = 9,  // coupons claimed when added
    kColClaimedNow = 10,   // coupons claimed at the last check
    kColRate = 11,         // conversion rate
    kColState = 12,        // "未检测", "状态正常" or "优惠券不存在,或领光"
    kColCheckTime = 13,    // time of the last check
};
constexpr int kWatchColumnCount = 14;
// Columns 1 to 13 are the ones the list file keeps.
constexpr int kFirstSavedColumn = 1;
constexpr int kLastSavedColumn = 13;

struct ColumnInfo {
    const char* title;  // UTF-8 source literal
    int width;          // pixels
};
// Titles and widths of the fourteen columns, in order.
const std::array<ColumnInfo, kWatchColumnCount>& watch_columns();

// One row: fourteen text cells.
struct WatchEntry {
    std::array<Text, kWatchColumnCount> cells;
};

class WatchTable {
  public:
    virtual ~WatchTable() = default;

    virtual int row_count() const = 0;
    // Inserts an empty row at `index`, or appends it when the index is omitted, negative or
    // beyond the end. Returns the new row's index.
    virtual int insert_row(int index = -1) = 0;
    // A row or column that does not exist is ignored.
    virtual void set_cell(int row, int column, const Text& text) = 0;
    // Empty for a row or column that does not exist.
    virtual Text get_cell(int row, int column) const = 0;
    virtual void set_row_image(int row, int image) = 0;
    // An index that does not exist does nothing.
    virtual void delete_row(int row) = 0;
    virtual void delete_all_rows() = 0;
    // Index of the first selected row, or -1.
    virtual int current_selection() const = 0;

    // Appends rows as a writer of a new row does (insert at the end, column 0, image 0,
    // then columns 1 to 13). Implementations may do it in one step; the outcome is the same.
    virtual void append_rows(std::vector<WatchEntry> rows);

    // Calls `visit` with the cells of every row, top row first, as one atomic operation, so
    // the rows seen are one consistent state of the table. The views last for the call.
    using CellViews = std::array<std::string_view, kWatchColumnCount>;
    virtual void visit_rows(const std::function<void(const CellViews&)>& visit) const;

    // Runs `step` as one atomic operation: no other operation of the table interleaves with
    // the operations `step` makes (a check of a row followed by a write to it, say).
    virtual void run_atomically(const std::function<void()>& step) { step(); }
};

}  // namespace korvane
