// What the probes read from a page: the cuts between the page markers, the gone phrases and
// the numbers derived from them, down to the texts the cells receive.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "monitor/monitor_cycle.h"
#include "probes/derived_values.h"
#include "text/code_page.h"
#include "text/text.h"
#include "text_reference.h"

using namespace korvane;
using namespace korvane::fuzz;

namespace {

// The cut between two markers, checked against the reference and against the page itself.
Text cut(const Text& page, const Text& front, const Text& back) {
    const Text got = text_between(page, front, back);
    const Text want = ref_between(page, front, back, 1, false, false);
    FUZZ_CHECK_MSG(got == want, "between %s and %s in %s: %s, expected %s\n", hex(front).c_str(),
                   hex(back).c_str(), hex(page).c_str(), hex(got).c_str(), hex(want).c_str());
    const size_t f = ref_find(page, front, 0, true);
    if (f != npos && !got.empty()) {
        // The cut stands right after the first front marker and right before a back marker,
        // and holds no back marker of its own.
        FUZZ_CHECK(page.compare(f + front.size(), got.size(), got) == 0);
        FUZZ_CHECK(match_at(page, back, f + front.size() + got.size(), true));
        FUZZ_CHECK(ref_find(got, back, 0, true) == npos);
    }
    if (f == npos) FUZZ_CHECK(got.empty());
    return got;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const Text sales_at_add = in.ConsumeRandomLengthString(16);
    const bool from_utf8 = in.ConsumeBool();
    Text page = in.ConsumeRemainingBytesAsString();
    // The probes see pages as decoded from UTF-8; the raw bytes are tried as well.
    if (from_utf8) page = gbk_from_utf8(page.substr(0, page.find('\0')));

    const Text sales = text_strip_spaces(cut(page, gbk("月销"), gbk("笔")));
    const Text claimed = cut(page, "count\">", "<");
    const Text remaining = cut(page, "rest\">", "<");

    const bool gone = coupon_gone(page);
    FUZZ_CHECK(gone == (ref_find(page, gbk("该优惠券不存在或者已经过期"), 0, false) != npos ||
                        ref_find(page, gbk("您浏览店铺不存在或已经关"), 0, false) != npos));

    const int32_t sold = units_sold(sales, sales_at_add);
    FUZZ_CHECK(sold == static_cast<int32_t>(static_cast<uint32_t>(text_to_int(sales)) -
                                            static_cast<uint32_t>(text_to_int(sales_at_add))));
    const Text sold_cell = text_strip_spaces(text_from_int(sold));
    FUZZ_CHECK(text_to_int(sold_cell) == sold);

    const int32_t total = coupon_total(remaining, claimed);
    const int64_t sum = int64_t{text_to_int(remaining)} + text_to_int(claimed);
    FUZZ_CHECK(total == (sum > INT32_MAX ? INT32_MAX : sum < INT32_MIN ? INT32_MIN : sum));

    const float rate = conversion_rate(sold, claimed);
    const Text rate_cell = rate_cell_text(rate);
    if (text_to_int(claimed) == 0) {
        FUZZ_CHECK(!std::isfinite(rate) && rate_cell.empty());
    } else {
        FUZZ_CHECK(std::isfinite(rate) && !rate_cell.empty());
        const double exact = double(float(double(sold) * 100.0)) / text_to_int(claimed);
        // Rounded to one decimal: within a twentieth of the exact rate (plus float error).
        FUZZ_CHECK_MSG(std::fabs(rate - exact) <= 0.05 + std::fabs(exact) * 1e-6,
                       "rate of %d sold / %s claimed: %.9g, exact %.9g\n", sold,
                       hex(claimed).c_str(), rate, exact);
        // The cell reads back as the rate, with at most one decimal.
        FUZZ_CHECK(std::fabs(text_to_number(rate_cell) - rate) <= std::fabs(rate) * 1e-5 + 1e-9);
        const size_t point = rate_cell.find('.');
        if (rate_cell.find('e') == Text::npos && point != Text::npos)
            FUZZ_CHECK_MSG(rate_cell.size() - point - 1 <= 1, "rate cell %s\n", rate_cell.c_str());
    }
    return 0;
}
