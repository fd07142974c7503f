#include "watchlist/row_commands.h"

#include <cstdint>

#include "files/file_io.h"
#include "probes/endpoints.h"
#include "text/code_page.h"
#include "watchlist/list_file.h"

namespace korvane {

void delete_selected_row(RowCommandContext& c) {
    c.table.delete_row(c.table.current_selection());
    save_list_file(c.table, c.list_file);
}

void move_selected_row(RowCommandContext& c) {
    if (c.table.current_selection() < 0) return;
    const Text& prompt = gbk("请输入要调到的位置。");
    int p = 0;
    if (!c.dialogs.input_integer(prompt, prompt, "1", p)) return;

    // Computed wide so that the smallest integer does not overflow.
    const int64_t index = static_cast<int64_t>(p) - 1;
    const int row =
        c.table.insert_row(index < 0 || index > c.table.row_count() ? -1 : static_cast<int>(index));
    c.table.set_cell(row, kColNumber, text_from_int(p));
    c.table.set_row_image(row, 0);
    // The insertion may have shifted the selected row down by one: ask afresh every time.
    for (int column = kFirstSavedColumn; column <= kLastSavedColumn; ++column) {
        c.table.set_cell(row, column, c.table.get_cell(c.table.current_selection(), column));
    }
    c.table.delete_row(c.table.current_selection());
    save_list_file(c.table, c.list_file);
}

Text row_information_text(const WatchTable& table, int row) {
    const struct {
        const char* label;
        int column;
    } parts[] = {
        {"商品标题:", kColTitle},
        {" 商品连接:", kColProductId},
        {" 添加时销量:", kColSalesAtAdd},
        {" 现在销量:", kColSalesNow},
        {" 预计卖出:", kColSold},
        {" 优惠券地址:", kColCouponLink},
        {" 添加时领取:", kColClaimedAtAdd},
        {" 现在已领取:", kColClaimedNow},
        {" 转换率:", kColRate},
    };
    Text out;
    for (const auto& part : parts) {
        out += gbk(part.label);
        const Text cell = table.get_cell(row, part.column);
        out += part.column == kColProductId ? item_page_link(cell) : cell;
    }
    return out;
}

void copy_selected_row(RowCommandContext& c) {
    c.clipboard.set_text(row_information_text(c.table, c.table.current_selection()));
}

namespace {

void open_if_web_link(RowCommandContext& c, const Text& link) {
    if (is_web_link(link)) c.links.open_link(link);
}

}  // namespace

void open_selected_product(RowCommandContext& c) {
    const int row = c.table.current_selection();
    if (row < 0) return;
    open_if_web_link(c, item_page_link(c.table.get_cell(row, kColProductId)));
}

void open_selected_coupon(RowCommandContext& c) {
    const int row = c.table.current_selection();
    if (row < 0) return;
    open_if_web_link(c, c.table.get_cell(row, kColCouponLink));
}

void clear_table(RowCommandContext& c) {
    if (c.dialogs.message(gbk("是否清空?"), gbk("询问"), MessageButtons::yes_no) !=
        MessageAnswer::yes) {
        return;
    }
    c.table.delete_all_rows();
    remove_file(c.list_file);
}

}  // namespace korvane
