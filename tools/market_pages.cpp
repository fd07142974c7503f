#include "market_pages.h"

#include "market_model.h"

namespace korvane::sim {
namespace {

using test::RecordedRequest;
using test::Reply;

constexpr const char* kJson = "application/json;charset=UTF-8";
constexpr const char* kHtml = "text/html; charset=utf-8";

Reply page(std::string body, const char* type, int status = 200) {
    Reply r = Reply::ok(std::move(body));
    r.status = status;
    if (status == 404) r.reason = "Not Found";
    r.headers.emplace_back("Content-Type", type);
    return r;
}

Reply found(std::string location) {
    Reply r = Reply::redirect(302, std::move(location));
    r.headers.emplace_back("Content-Type", kHtml);
    r.body = "<html><body>302 Found</body></html>";
    return r;
}

std::string html(std::string_view title, std::string_view body) {
    return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">"
           "<meta name=\"viewport\" content=\"width=device-width\"><title>" +
           std::string(title) + "</title></head>\n<body>\n" + std::string(body) +
           "\n</body></html>\n";
}

std::string_view path_of(std::string_view target) {
    return target.substr(0, target.find('?'));
}

std::string self_host(const RecordedRequest& request) {
    std::string host = request.header("Host");
    return host.empty() ? "127.0.0.1" : host;
}

}  // namespace

std::string query_value(std::string_view target, std::string_view name) {
    const size_t q = target.find('?');
    if (q == std::string_view::npos) return {};
    std::string_view rest = target.substr(q + 1);
    while (!rest.empty()) {
        const size_t amp = rest.find('&');
        const std::string_view item = rest.substr(0, amp);
        const size_t eq = item.find('=');
        if (item.substr(0, eq) == name)
            return eq == std::string_view::npos ? std::string() : std::string(item.substr(eq + 1));
        if (amp == std::string_view::npos) break;
        rest = rest.substr(amp + 1);
    }
    return {};
}

bool has_query(std::string_view target, std::string_view name) {
    const size_t q = target.find('?');
    if (q == std::string_view::npos) return false;
    const std::string query = "&" + std::string(target.substr(q + 1));
    const std::string key = "&" + std::string(name);
    for (size_t at = query.find(key); at != std::string::npos; at = query.find(key, at + 1)) {
        const size_t end = at + key.size();
        if (end == query.size() || query[end] == '=' || query[end] == '&') return true;
    }
    return false;
}

MarketPages::MarketPages(std::string item_host, Clock clock)
    : item_host_(std::move(item_host)), clock_(std::move(clock)) {}

Reply MarketPages::answer(const RecordedRequest& request) {
    if (request.method != "GET" && request.method != "HEAD")
        return page(html("405", "<p>405 Method Not Allowed</p>"), kHtml, 405);
    const std::string_view path = path_of(request.target);
    if (path == "/cache/wdetail/5.0/" || path == "/cache/wdetail/5.0")
        return item_detail(request.target);
    if (path == "/shop/coupon.htm") return coupon(request.target);
    if (path == "/item.htm") return item_page(request.target);
    if (path == "/t" || path == "/t_js" || path == "/t_land") return click(request);
    return page(html("404", "<p>页面不存在</p>"), kHtml, 404);
}

double MarketPages::coupon_age(const std::string& activity_id) {
    const double now = clock_();
    std::lock_guard lock(mutex_);
    const auto [it, inserted] = first_seen_.emplace(activity_id, now);
    return now - it->second;
}

Reply MarketPages::item_detail(std::string_view target) const {
    const std::string id = query_value(target, "id");
    if (!known_product(id)) {
        return page(
            "{\"api\":\"wdetail\",\"v\":\"5.0\",\"ret\":[\"ERR_ITEM_NOT_FOUND::宝贝不存在\"],"
            "\"data\":{}}",
            kJson);
    }
    const std::string sales = std::to_string(item_sales(id, clock_()));
    return page(
        "{\"api\":\"wdetail\",\"v\":\"5.0\",\"ret\":[\"SUCCESS::调用成功\"],\"data\":{"
        "\"item\":{\"itemId\":\"" +
            id + "\",\"title\":\"演示商品" + id +
            "\"},"
            "\"trade\":{\"sellCountText\":\"月销" +
            sales + "笔\"}}}",
        kJson);
}

Reply MarketPages::coupon(std::string_view target) {
    const std::string activity = query_value(target, "activityId");
    const std::string seller = query_value(target, "sellerId");
    if (seller.empty() || seller == "0") {
        return page(html("店铺", "<div class=\"error\">您浏览店铺不存在或已经关闭</div>"), kHtml);
    }
    const CouponState state = coupon_state(activity, activity.empty() ? 0.0 : coupon_age(activity));
    if (activity.empty() || state.gone) {
        return page(html("店铺优惠券", "<div class=\"error\">该优惠券不存在或者已经过期</div>"),
                    kHtml);
    }
    return page(html("店铺优惠券",
                     "<div class=\"coupon\"><h1>店铺优惠券</h1>"
                     "<p class=\"value\">满99元减20元</p>\n"
                     "<p>剩余 <span class=\"rest\">" +
                         std::to_string(state.remaining()) +
                         "</span> 张，已领 <span class=\"count\">" + std::to_string(state.claimed) +
                         "</span> 张</p>\n<a class=\"get\">立即领取</a></div>"),
                kHtml);
}

Reply MarketPages::item_page(std::string_view target) const {
    const std::string id = query_value(target, "id");
    if (!known_product(id)) return page(html("宝贝不存在", "<p>宝贝不存在</p>"), kHtml, 404);
    return page(html("演示商品" + id, "<h1>演示商品" + id + "</h1><p>月销" +
                                          std::to_string(item_sales(id, clock_())) + "笔</p>"),
                kHtml);
}

// /t?e=C -> /t_js?e=C -> /t_land?e=C&et=TOKEN; then /t_js?e=C&ref=&et=TOKEN, sent with the
// landing page as referrer, leads to the item page.
Reply MarketPages::click(const RecordedRequest& request) const {
    const std::string_view path = path_of(request.target);
    const std::string code = query_value(request.target, "e");
    const std::string base = "http://" + self_host(request);
    const Reply expired = page(html("链接已失效", "<p>链接已失效</p>"), kHtml);
    if (code.empty()) return expired;
    const std::string token = click_token(code);
    const std::string landing =
        base + "/t_land?e=" + code + "&et=" + token.substr(0, 16) + "%3D%3D";
    if (path == "/t") return found(base + "/t_js?e=" + code);
    if (path == "/t_land") return page(html("跳转中", "<p>正在跳转…</p>"), kHtml);
    if (!has_query(request.target, "et")) return found(landing);
    if (query_value(request.target, "et") != token || request.header("Referer") != landing)
        return expired;
    std::string item_host = item_host_;
    if (item_host.empty()) {
        const std::string host = self_host(request);
        const size_t colon = host.rfind(':');
        item_host = "item.localhost" + (colon == std::string::npos ? "" : host.substr(colon));
    }
    return found("https://" + item_host + "/item.htm?id=" + click_product(code));
}

}  // namespace korvane::sim
