#include "adding/manual_add.h"

#include "probes/derived_values.h"
#include "probes/endpoints.h"
#include "text/code_page.h"
#include "watchlist/list_file.h"

namespace korvane {
namespace {

// A query value up to the next "&", or up to the end when it is the last parameter.
Text query_value(const Text& link, const Text& key) {
    Text value = text_between(link, key, "&");
    if (value.empty()) value = text_between(link + "Vek", key, "Vek");
    return value;
}

// Re-enables the add button however the add ends.
class AddButtonGuard {
  public:
    explicit AddButtonGuard(AddForm& form) : form_(form) { form_.set_add_enabled(false); }
    ~AddButtonGuard() { form_.set_add_enabled(true); }
    AddButtonGuard(const AddButtonGuard&) = delete;
    AddButtonGuard& operator=(const AddButtonGuard&) = delete;

  private:
    AddForm& form_;
};

bool fail(ManualAddContext& c, const char* message) {
    c.dialogs.message(gbk(message), gbk("提示"), MessageButtons::ok);
    return false;
}

}  // namespace

Text ExtractProductId(const Text& product_box) {
    Text id = text_between(product_box, "id=", "&");
    if (id.empty()) id = text_after_last(product_box, "id=");
    if (text_find(id, "-") != -1 || text_find(id, "qq") != -1 || text_find(id, "=") != -1) {
        id = text_from_double(text_to_number(id));
    }
    return id;
}

Text NormaliseCouponLink(const Text& coupon_box) {
    const Text l = text_strip_spaces(coupon_box);
    const Text seller_key = text_find(l, "seller_id", 1, true) != -1 ? "seller_id=" : "sellerId=";
    const Text seller = query_value(l, seller_key);
    // "ctivityId=" without its a: the marker search ignores case, so it also meets "ActivityId=".
    const Text activity_key =
        text_find(l, "activity_id", 1, true) != -1 ? "activity_id=" : "ctivityId=";
    const Text activity = query_value(l, activity_key);
    Text link = coupon_page_url(activity, seller);
    link = text_replace(link, "amp;");
    return text_replace(link, "\r\n");
}

bool ManualAdd(ManualAddContext& c) {
    AddButtonGuard button(c.form);
    const Text product_id = text_strip_spaces(ExtractProductId(c.form.product_link()));
    c.form.set_coupon_link(NormaliseCouponLink(c.form.coupon_link()));

    const Text page = c.probes.fetch_item(product_id, 1, nullptr);
    if (text_find(page, gbk("月销")) == -1) {
        return fail(c, "宝贝检测失败,请确定是否填写的宝贝ID!");
    }
    const Text sales = text_strip_spaces(text_between(page, gbk("月销"), gbk("笔")));

    const Text coupon_link = text_strip_spaces(c.form.coupon_link());
    const Text coupon = c.probes.fetch_coupon(coupon_link, 1, nullptr);
    if (coupon.empty()) return fail(c, "优惠券检测失败!");
    if (coupon_gone(coupon)) return fail(c, "优惠券失效了~!");
    if (text_find(coupon, gbk("优惠券")) == -1) return fail(c, "优惠券检测失败!");

    const Text remaining = text_between(coupon, "rest\">", "<");
    const Text claimed_raw = text_between(coupon, "count\">", "<");
    const Text claimed = text_strip_spaces(claimed_raw);
    WatchEntry entry;
    entry.cells[kColQq] = text_strip_spaces(c.form.qq());
    entry.cells[kColTitle] = text_strip_spaces(c.form.title());
    entry.cells[kColProductId] = product_id;
    entry.cells[kColSalesAtAdd] = sales;
    entry.cells[kColSalesNow] = sales;
    entry.cells[kColSold] = Text(1, '0');  // assigning the literal trips a GCC 12 false -Wrestrict
    entry.cells[kColCouponLink] = coupon_link;
    entry.cells[kColCouponTotal] = text_from_int(coupon_total(remaining, claimed_raw));
    entry.cells[kColClaimedAtAdd] = claimed;
    entry.cells[kColClaimedNow] = claimed;
    entry.cells[kColState] = gbk("未检测");
    entry.cells[kColCheckTime] = text_from_datetime(c.clock ? c.clock() : now_local());
    // One step, so the number shown is the new row's position even while the monitor runs.
    c.table.run_atomically([&] {
        entry.cells[kColNumber] = text_from_int(c.table.row_count() + 1);
        c.table.append_rows({entry});
    });

    c.form.set_qq({});
    c.form.set_product_link({});
    c.form.set_coupon_link({});
    c.form.set_title({});
    c.form.focus_qq();
    save_list_file(c.table, c.list_file);
    return true;
}

}  // namespace korvane
