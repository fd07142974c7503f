// write-demo-data: a data directory for the demo — a list file of a few products whose coupons
// live on the simulated marketplace (some run out within a minute, some never) and a settings
// file with an interval of 1 minute. Coupon links use MARKET_SHOP_HOST, so export it first.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "market_model.h"
#include "probes/endpoints.h"
#include "probes/hosts.h"
#include "shell/settings_file.h"
#include "text/code_page.h"
#include "watchlist/list_file.h"
#include "watchlist/memory_watch_table.h"

namespace {

using namespace korvane;

struct DemoRow {
    const char* qq;
    const char* title;  // UTF-8
    const char* product_id;
    const char* activity_id;
    const char* seller_id;
};

// Coupons that run out (20, 30, 45 s after their first check) alternate with lasting ones.
constexpr DemoRow kRows[] = {
    {"10001", "夏季纯棉短袖T恤", "600000000101", "9100020", "3300001"},
    {"10002", "加厚保温杯大容量", "600000000102", "9200000", "3300002"},
    {"10003", "无线蓝牙耳机降噪", "600000000103", "9100030", "3300003"},
    {"10004", "儿童益智积木套装", "600000000104", "9300000", "3300004"},
    {"10005", "家用多功能料理机", "600000000105", "9100045", "3300005"},
    {"10006", "真丝眼罩助眠遮光", "600000000106", "9400000", "3300006"},
};

// What an add at the marketplace's first second would have stored.
WatchEntry entry_for(const DemoRow& r) {
    const std::string sales = std::to_string(sim::item_sales(r.product_id, 0));
    const sim::CouponState coupon = sim::coupon_state(r.activity_id, 0);
    WatchEntry e;
    e.cells[kColQq] = r.qq;
    e.cells[kColTitle] = gbk(r.title);
    e.cells[kColProductId] = r.product_id;
    e.cells[kColSalesAtAdd] = sales;
    e.cells[kColSalesNow] = sales;
    e.cells[kColSold] = Text(1, '0');
    e.cells[kColCouponLink] = coupon_page_url(r.activity_id, r.seller_id);
    e.cells[kColCouponTotal] = std::to_string(coupon.total);
    e.cells[kColClaimedAtAdd] = std::to_string(coupon.claimed);
    e.cells[kColClaimedNow] = std::to_string(coupon.claimed);
    e.cells[kColState] = gbk("未检测");
    e.cells[kColCheckTime] = text_from_datetime(now_local());
    return e;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 || std::strcmp(argv[1], "--data-dir") != 0) {
        std::fprintf(stderr, "usage: write-demo-data --data-dir DIR\n");
        return 2;
    }
    const std::filesystem::path dir = argv[2];
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (error) {
        std::fprintf(stderr, "write-demo-data: cannot create %s\n", argv[2]);
        return 1;
    }
    MemoryWatchTable table;
    for (const DemoRow& r : kRows) {
        WatchEntry e = entry_for(r);
        e.cells[kColNumber] = std::to_string(table.row_count() + 1);
        table.append_rows({e});
    }
    if (!save_list_file(table, dir / kListFileName) || !write_interval_setting(dir, "1")) {
        std::fprintf(stderr, "write-demo-data: cannot write into %s\n", argv[2]);
        return 1;
    }
    std::printf("write-demo-data: %d rows in %s (coupons on %s), interval 1 minute\n",
                table.row_count(), (dir / kListFileName).c_str(), market_hosts().shop.c_str());
    for (const DemoRow& r : kRows) {
        const long long life = sim::coupon_lifetime(r.activity_id);
        if (life == 0) {
            std::printf("  %s  coupon %s never runs out\n", r.product_id, r.activity_id);
        } else {
            std::printf("  %s  coupon %s runs out %llds after its first check\n", r.product_id,
                        r.activity_id, life);
        }
    }
    return 0;
}
