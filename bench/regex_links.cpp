// Times the link search of the promotion text extraction over about 2 MB of
// promotion-like text: every match of the link pattern, left to right.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "adding/regex_object.h"
#include "text/code_page.h"

namespace {

korvane::Text promotion_text(size_t at_least) {
    using korvane::gbk;
    const korvane::Text lines[] = {
        gbk("【爆款】夏季新款纯棉短袖T恤 男女同款 宽松百搭\r\n"),
        gbk("原价:59.9元 券后价:【19.9元】 月销12345笔\r\n"),
        gbk("领券:https://uland.example.com/coupon/edetail?e=Xy9%2BAbC&pid=mm_1_2_3\r\n"),
        gbk("下单:http://s.click.example.com/t?e=m%3D2%26s%3DabcDEF&unid=9#top\r\n"),
        gbk("\r\n   \r\n"),
        gbk("复制这条信息,打开手机淘宝领券购买。好评如潮,数量有限,先到先得!\r\n"),
    };
    korvane::Text text;
    while (text.size() < at_least) {
        for (const korvane::Text& line : lines)
            text += line;
    }
    return text;
}

}  // namespace

int main() {
    const char* const link_pattern = "http(s)?://[\\w\\.\\?\\&\\=\\%\\/\\#]*\\w";
    const korvane::Text subject = promotion_text(2 * 1024 * 1024);

    std::vector<double> runs_ms;
    int matches = 0;
    for (int run = 0; run < 7; ++run) {
        const auto start = std::chrono::steady_clock::now();
        korvane::RegexObject re;
        if (!re.Search(link_pattern, subject)) {
            std::fprintf(stderr, "search failed\n");
            return 1;
        }
        matches = re.MatchCount();
        const auto stop = std::chrono::steady_clock::now();
        runs_ms.push_back(std::chrono::duration<double, std::milli>(stop - start).count());
    }
    std::sort(runs_ms.begin(), runs_ms.end());
    std::printf("link find-all over %zu bytes: %d matches, median %.2f ms, best %.2f ms\n",
                subject.size(), matches, runs_ms[runs_ms.size() / 2], runs_ms.front());
    return 0;
}
