// The row menu's commands on the watch table's selected row, or on the whole table.
// Every command that changes the rows rewrites the list file; clear deletes it.
#pragma once

#include <filesystem>

#include "host/clipboard.h"
#include "host/dialogs.h"
#include "host/link_opener.h"
#include "watchlist/watch_table.h"

namespace korvane {

struct RowCommandContext {
    WatchTable& table;
    std::filesystem::path list_file;
    Dialogs& dialogs;
    Clipboard& clipboard;
    LinkOpener& links;
};

// "删除": deletes the selected row (none selected: nothing) and saves in both cases.
void delete_selected_row(RowCommandContext& c);
// "调整本信息位置": asks for a position p and moves the selected row there, showing p in
// column 0. The copy is inserted before the source is removed, so a row moved down lands
// one place above p; 0, negative or too large a p appends it at the end.
void move_selected_row(RowCommandContext& c);
// "复制整行信息": the row's labelled values as one line on the clipboard.
void copy_selected_row(RowCommandContext& c);
Text row_information_text(const WatchTable& table, int row);
// "打开商品" and "打开优惠券": only http and https links are handed to the browser.
void open_selected_product(RowCommandContext& c);
void open_selected_coupon(RowCommandContext& c);
// "清空": after a Yes, deletes every row and the list file.
void clear_table(RowCommandContext& c);

}  // namespace korvane
