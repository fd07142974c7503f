#include "web/fetch_via_winhttp.h"

#include <curl/curl.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

#include "adding/regex_object.h"
#include "text/code_page.h"
#include "web/cookies.h"
#include "web/curl_transfer.h"
#include "web/curl_transfer_pool.h"
#include "web/fetch_via_winhttp_url.h"
#include "web/text_decoding.h"

namespace korvane {
namespace {

// The numbered failures and the step of the libcurl sequence each one stands for:
//
//   700  libcurl cannot be initialised or was built without HTTP      (can hardly occur)
//   701  the URL is not an absolute http(s) URL with a host and a valid port, or curl
//        would read it differently
//   702  the handle cannot be prepared, or the proxy text is unusable (spaces, line breaks)
//   703  curl refuses the request URL                                 (can hardly occur)
//   704  no verb for `method` (outside 0 to 3), or curl refuses the method options
//   705  setting the time-outs                                        (cannot occur)
//   707  server or proxy credentials holding a zero byte, or curl refusing them
//   708  the cookie option: curl keeps no cookies of its own, nothing to set (cannot occur)
//   709  setting the redirect policy                                  (cannot occur)
//   710  a header line without a name before its colon, or with a stray line break
//   711  the request did not go out: name not resolved, connection refused or timed out,
//        TLS handshake or certificate failure, stopped before sending
//   712  the request went out but no whole response head came back: closed, silent past
//        the receive time-out, not HTTP, a header block above the bound, too many
//        redirects, stopped while waiting
//   713  the body broke off after the head (closed early, silent, stopped); what was read
//        is kept, and the status line's text replaces this error once the head is read
const char* const kErrors[] = {
    "700 当前系统不支持WinHttp服务!",
    "701 解析URL地址失败!",
    "702 创建WinHttp会话失败!",
    "703 创建WinHttp连接失败!",
    "704 创建WinHttp请求失败!",
    "705 设置超时时间失败!",
    "",
    "707 设置代理凭证失败!",
    "708 禁止自动设置Cookies失败!",
    "709 重定向设置失败!",
    "710 设置协议头失败!",
    "711 发送请求失败!",
    "712 服务器未响应!",
    "713 读取数据失败!",
};

const Text& error_text(int code) {
    return gbk(kErrors[code - 700]);
}

bool find_http() {
    const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
    if (info == nullptr || info->protocols == nullptr) return false;
    for (const char* const* p = info->protocols; *p != nullptr; ++p) {
        if (std::strcmp(*p, "http") == 0) return true;
    }
    return false;
}

bool http_supported() {
    static const bool supported = find_http();
    return supported;
}

bool has_zero(const Text& text) {
    return text.find('\0') != Text::npos;
}

bool is_token_char(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           (c != '\0' && std::strchr("!#$%&'*+-.^_`|~", c) != nullptr);
}

Text lower_ascii(std::string_view text) {
    Text out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    }
    return out;
}

// The header text with its defaults, each added when its name is missing.
Text complete_headers(const Text& headers, const Text& cookies) {
    Text out = headers.empty() ? Text{} : headers + "\r\n";
    struct Default {
        const char* name;
        bool ignore_case;
        const char* line;
    };
    static const Default defaults[] = {
        {"User-Agent: ", true,
         "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n"},
        {"Accept: ", true, "Accept: text/html, application/xhtml+xml, */*\r\n"},
        {"Accept-Encoding: ", true, "Accept-Encoding: gbk, GB2312\r\n"},
        {"Accept-Language: ", true, "Accept-Language: zh-cn\r\n"},
        {"Content-Type:", false, "Content-Type: application/x-www-form-urlencoded\r\n"},
        {"Cache-Control: ", true, "Cache-Control: no-cache\r\n"},
    };
    for (const Default& d : defaults) {
        if (text_find(out, d.name, 1, d.ignore_case) < 1) out += d.line;
    }
    if (!cookies.empty() && text_find(out, "Cookie: ", 1, true) < 1) {
        out += "Cookie: " + cookies + "\r\n";
    }
    return out;
}

// The lines to hand to curl, in order; a repeated name replaces the earlier line in its
// place. False when a line is not a header line.
bool header_list_lines(const Text& headers, std::vector<Text>& lines) {
    std::vector<Text> names;
    for (const Text& line : text_split(headers, "\r\n")) {
        if (line.empty()) continue;
        if (line.find_first_of(std::string_view("\r\n\0", 3)) != Text::npos) return false;
        size_t colon = line.find(':');
        if (colon == Text::npos) return false;
        std::string_view name(line.data(), colon);
        while (!name.empty() && (name.back() == ' ' || name.back() == '\t'))
            name.remove_suffix(1);
        if (name.empty() || !std::all_of(name.begin(), name.end(), [](char c) {
                return is_token_char(static_cast<unsigned char>(c));
            })) {
            return false;
        }
        // A bare "Name:" would tell curl to drop the header; "Name;" sends it empty.
        std::string_view value(line.data() + colon + 1, line.size() - colon - 1);
        bool empty_value = value.find_first_not_of(" \t") == std::string_view::npos;
        Text sent = empty_value ? Text(name) + ";" : line;
        Text key = lower_ascii(name);
        auto seen = std::find(names.begin(), names.end(), key);
        if (seen != names.end()) {
            lines[static_cast<size_t>(seen - names.begin())] = std::move(sent);
        } else {
            names.push_back(std::move(key));
            lines.push_back(std::move(sent));
        }
    }
    auto named = [&names](const char* name) {
        return std::find(names.begin(), names.end(), name) != names.end();
    };
    if (!named("accept")) lines.push_back("Accept:");
    if (!named("content-type")) lines.push_back("Content-Type:");
    lines.push_back("Expect:");
    return true;
}

bool set_method(CURL* easy, int method, const Text& body) {
    const auto size = static_cast<curl_off_t>(body.size());
    auto with_body = [&] {
        return curl_easy_setopt(easy, CURLOPT_POSTFIELDS, body.data()) == CURLE_OK &&
               curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, size) == CURLE_OK;
    };
    switch (method) {
        case 0:
            if (body.empty()) return curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L) == CURLE_OK;
            return curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, "GET") == CURLE_OK && with_body();
        case 1:
            return curl_easy_setopt(easy, CURLOPT_POST, 1L) == CURLE_OK && with_body();
        case 2:
            return curl_easy_setopt(easy, CURLOPT_NOBODY, 1L) == CURLE_OK;
        case 3:
            return curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, "PUT") == CURLE_OK && with_body();
        default:
            return false;
    }
}

bool set_basic_credentials(CURL* easy, CURLoption user_option, CURLoption password_option,
                           CURLoption auth_option, const Text& user, const Text& password) {
    if (has_zero(user) || has_zero(password)) return false;
    return curl_easy_setopt(easy, user_option, user.c_str()) == CURLE_OK &&
           curl_easy_setopt(easy, password_option, password.c_str()) == CURLE_OK &&
           curl_easy_setopt(easy, auth_option, CURLAUTH_BASIC) == CURLE_OK;
}

class HeaderList {
  public:
    ~HeaderList() { curl_slist_free_all(list_); }
    bool add(const Text& line) {
        curl_slist* grown = curl_slist_append(list_, line.c_str());
        if (grown == nullptr) return false;
        list_ = grown;
        return true;
    }
    curl_slist* get() const { return list_; }

  private:
    curl_slist* list_ = nullptr;
};

// The charset the page declares in a meta tag within its first 1024 bytes; empty if none.
Text declared_charset(const Text& page) {
    RegexObject regex;
    if (!regex.Search("<meta.+?charset=[^\\w]?([-\\w]+)", text_left(page, 1024))) return {};
    return regex.SubmatchText(1, 1);
}

}  // namespace

Text fetch_via_winhttp(const WinHttpCall& call) {
    NoEventPump no_events;
    EventPump& events = call.events != nullptr ? *call.events : static_cast<EventPump&>(no_events);
    // Resources held so far (regular-expression object, session, connection, request); the
    // window gets one turn per resource as the call unwinds.
    int held = 1;
    auto unwind = [&] {
        for (int i = 0; i < held; ++i)
            events.process_pending_events();
    };
    auto fail = [&](int code) {
        if (call.status_text != nullptr) *call.status_text = error_text(code);
        unwind();
        return Text{};
    };
    // Errors 707 to 709 end the call at once, without the window's turns.
    auto end_early = [&](int code) {
        if (call.status_text != nullptr) *call.status_text = error_text(code);
        return Text{};
    };

    PooledTransfer transfer = acquire_transfer();
    if (transfer == nullptr || !http_supported()) return fail(700);
    CrackedUrl url;
    if (!crack_url(call.url, url)) return fail(701);

    if (!transfer->prepare()) return fail(702);
    CURL* easy = transfer->easy();
    if (!call.proxy.empty()) {
        if (call.proxy.find_first_of(std::string_view(" \t\r\n\0", 5)) != Text::npos ||
            curl_easy_setopt(easy, CURLOPT_PROXY, call.proxy.c_str()) != CURLE_OK ||
            curl_easy_setopt(easy, CURLOPT_PROXYTYPE, long{CURLPROXY_HTTP}) != CURLE_OK) {
            return fail(702);
        }
        // A proxy named for plain HTTP only must never carry a redirect to https.
        if (!url.secure && curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http") != CURLE_OK)
            return fail(702);
    }
    ++held;

    const Text request_url = url.request_url();
    if (curl_easy_setopt(easy, CURLOPT_URL, request_url.c_str()) != CURLE_OK ||
        curl_easy_setopt(easy, CURLOPT_PATH_AS_IS, 1L) != CURLE_OK) {
        return fail(703);
    }
    ++held;

    if (!set_method(easy, call.method, call.post_text)) return fail(704);
    ++held;

    TransferLimits limits;
    const long t =
        call.timeout_s >= 1 ? std::min<long>(call.timeout_s, INT_MAX / 1000) * 1000 : 30000;
    limits.connect_ms = 2 * t;  // resolving and connecting
    limits.send_ms = t;
    limits.receive_ms = t;

    if (!call.user.empty() && !call.password.empty() &&
        !set_basic_credentials(easy, CURLOPT_USERNAME, CURLOPT_PASSWORD, CURLOPT_HTTPAUTH,
                               call.user, call.password)) {
        return end_early(707);
    }
    if (!call.proxy_user.empty() && !call.proxy_password.empty() &&
        !set_basic_credentials(easy, CURLOPT_PROXYUSERNAME, CURLOPT_PROXYPASSWORD,
                               CURLOPT_PROXYAUTH, call.proxy_user, call.proxy_password)) {
        return end_early(707);
    }
    if (curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, call.no_redirect ? 0L : 1L) != CURLE_OK ||
        curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 10L) != CURLE_OK) {
        return end_early(709);
    }

    const Text cookies_sent = call.cookies != nullptr ? *call.cookies : Text{};
    std::vector<Text> lines;
    HeaderList list;
    if (!header_list_lines(complete_headers(call.headers, cookies_sent), lines)) return fail(710);
    for (const Text& line : lines) {
        if (!list.add(line)) return fail(710);
    }
    if (curl_easy_setopt(easy, CURLOPT_HTTPHEADER, list.get()) != CURLE_OK) return fail(710);

    TransferOutcome outcome = transfer->run(limits, call.stop);
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, nullptr);
    if (outcome.code == CURLE_URL_MALFORMAT) return fail(701);
    if (!outcome.head_complete || outcome.head_lines.empty() || outcome.header_overflow ||
        outcome.code == CURLE_TOO_MANY_REDIRECTS) {
        return fail(outcome.request_bytes > 0 ? 712 : 711);
    }
    Text status_text;
    if (!outcome.complete()) status_text = error_text(713);

    Text response_headers;
    for (const std::string& line : outcome.head_lines)
        response_headers += line + "\r\n";
    response_headers += "\r\n";
    const Text& status_line = outcome.head_lines.front();
    status_text = text_mid(status_line, 10, text_length(status_line) - 9);
    response_headers = text_replace(response_headers, "Set-Cookie", "Set-Cookie");
    if (call.response_headers != nullptr) *call.response_headers = response_headers;
    if (call.status_text != nullptr) *call.status_text = status_text;

    Text new_cookies = call.new_cookies != nullptr ? *call.new_cookies : Text{};
    collect_response_cookies(response_headers, new_cookies);
    for (const Text& line : text_split(response_headers, "\r\n")) {
        if (text_find(text_left(line, 10), "Location: ", 1, true) == 1 &&
            call.location != nullptr) {
            *call.location = text_mid(line, 11, text_length(line) - 10);
        }
        events.process_pending_events();
    }
    if (call.cookies != nullptr) merge_cookies(*call.cookies, new_cookies);
    if (call.new_cookies != nullptr) *call.new_cookies = new_cookies;

    if (call.body != nullptr) *call.body = outcome.body;
    Text page = outcome.body.substr(0, outcome.body.find('\0'));
    Text charset = declared_charset(page);
    if (!charset.empty() && charset != "gbk" && charset != "gb2312") {
        page = decode_with_charset(outcome.body, charset);
    }
    events.process_pending_events();
    unwind();
    return page;
}

}  // namespace korvane
