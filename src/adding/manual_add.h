// Adding a product by hand: the product ID is cut from the product box, the coupon link is
// rebuilt into the shop coupon page's one canonical form, both pages are probed once, and
// only when both answer as expected is a row appended and the list file saved.
#pragma once

#include <filesystem>
#include <functional>

#include "host/add_form.h"
#include "host/dialogs.h"
#include "probes/page_probe.h"
#include "watchlist/watch_table.h"

namespace korvane {

Text ExtractProductId(const Text& product_box);
Text NormaliseCouponLink(const Text& coupon_box);

struct ManualAddContext {
    AddForm& form;
    WatchTable& table;
    std::filesystem::path list_file;
    Dialogs& dialogs;
    PageProbes probes;
    std::function<DateTime()> clock = now_local;
};

// True when a row was added. Every failure shows its message and leaves table, file and form
// (but the rewritten coupon box) as they were; the add button is enabled again on every exit.
bool ManualAdd(ManualAddContext& c);

}  // namespace korvane
