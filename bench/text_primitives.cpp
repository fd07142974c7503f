// Text primitives over multi-megabyte GBK texts: a list file of about 30 MB and an item page
// of about 4 MB. Goal on a 2-core machine: splitting the 30 MB list into records takes well
// under 100 ms; every search is linear in the text's length.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "text/code_page.h"
#include "text/text.h"

using namespace korvane;

namespace {

// The median of a few runs, in milliseconds.
double median_ms(const std::function<void()>& work, int runs = 5) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        work();
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                .count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void report(const char* what, size_t bytes, double ms, const std::string& result) {
    std::printf("%-48s %7.1f MB %9.2f ms  %s\n", what, bytes / 1e6, ms, result.c_str());
}

// Records of 13 fields, mostly Chinese, as the list file holds them.
Text make_list_file(size_t target_bytes) {
    const Text& field_sep = gbk("-QXT分割-");
    const Text& record_sep = gbk("=QXT分割=");
    const Text title = gbk("夏季新款纯棉短袖T恤男士宽松半袖体恤衫潮流百搭上衣");
    Text out;
    out.reserve(target_bytes + 1024);
    for (int i = 0; out.size() < target_bytes; ++i) {
        const Text id = std::to_string(600000000000LL + i);
        const Text cells[] = {
            "12345678" + std::to_string(i % 1000),
            title,
            id,
            std::to_string(i % 5000),
            std::to_string(i % 7000),
            std::to_string(i % 300),
            "https://uland.taobao.com/quan/detail?sellerId=" + id + "&activityId=abcdef0123",
            std::to_string(i % 100),
            std::to_string(i % 90),
            std::to_string(i % 80),
            "12.5",
            gbk("状态正常"),
            gbk("2024年3月9日14时5分"),
        };
        for (size_t k = 0; k < std::size(cells); ++k) {
            if (k > 0) out += field_sep;
            out += cells[k];
        }
        out += record_sep;
    }
    return out;
}

// A mobile item page: Chinese and ASCII markup, with the markers near its end.
Text make_page(size_t target_bytes) {
    const Text block = "<div class=\"desc\"><p>" + gbk("正品保障，七天无理由退换，全场包邮") +
                       "</p><img src=\"//img.example/a.jpg\"/></div>\r\n";
    Text out;
    out.reserve(target_bytes + 1024);
    while (out.size() < target_bytes)
        out += block;
    out += "{\"sellCount\":\"" + gbk("月销") + "1234" + gbk("笔") +
           "\"}<span class=\"count\">37</span>";
    return out;
}

}  // namespace

int main() {
    const Text list = make_list_file(30'000'000);
    const Text page = make_page(4'000'000);
    const Text& record_sep = gbk("=QXT分割=");
    const Text& field_sep = gbk("-QXT分割-");
    std::printf("record separator: %zu bytes\n", record_sep.size());

    TextList records;
    double ms = median_ms([&] { records = text_split(list, record_sep); });
    report("text_split list into records", list.size(), ms, std::to_string(records.size()));

    size_t fields = 0;
    ms = median_ms([&] {
        fields = 0;
        for (const Text& r : records)
            fields += text_split(r, field_sep).size();
    });
    report("text_split every record into fields", list.size(), ms, std::to_string(fields));

    int pos = 0;
    ms = median_ms([&] { pos = text_find(list, gbk("不存在的标记")); });
    report("text_find absent Chinese marker", list.size(), ms, std::to_string(pos));

    ms = median_ms([&] { pos = text_find(list, "not-there", 1, true); });
    report("text_find absent marker, ignoring case", list.size(), ms, std::to_string(pos));

    ms = median_ms([&] { pos = text_find_last(list, field_sep); });
    report("text_find_last of the field separator", list.size(), ms, std::to_string(pos));

    Text replaced;
    ms = median_ms([&] { replaced = text_replace(list, field_sep, "\t", true); });
    report("text_replace every field separator", list.size(), ms,
           std::to_string(replaced.size()) + " bytes");

    Text cut;
    ms = median_ms([&] { cut = text_between(page, gbk("月销"), gbk("笔")); });
    report("text_between sales markers at page end", page.size(), ms, cut);

    ms = median_ms([&] { cut = text_between(page, "count\">", "<"); });
    report("text_between count markers at page end", page.size(), ms, cut);

    ms = median_ms([&] { pos = text_find(page, "<img", 1); });
    report("text_find near the page start", page.size(), ms, std::to_string(pos));

    size_t walked = 0;
    ms = median_ms([&] {
        walked = 0;
        for (int p = text_find(page, "<p>"); p > 0; p = text_find(page, "<p>", p + 3)) {
            walked += text_between(page, "<p>", "</p>", p).size();
        }
    });
    report("text_find + text_between over every paragraph", page.size(), ms,
           std::to_string(walked) + " bytes");

    // Worst case for the search: a candidate at every character, none of them a match.
    const Text same(30'000'000, '\xB0');
    ms = median_ms([&] { pos = text_find(same, "\xB0\xB0x"); });
    report("text_find, first byte at every character", same.size(), ms, std::to_string(pos));
    ms = median_ms([&] { pos = text_find(same, "\xB0x"); });
    report("text_find, first byte at every byte", same.size(), ms, std::to_string(pos));
    return 0;
}
