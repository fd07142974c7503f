#include "web/fetch_via_winhttp_url.h"

#include <curl/curl.h>

#include <algorithm>
#include <string_view>

namespace korvane {
namespace {

bool equal_no_case(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
               return lower(x) == lower(y);
           });
}

// Control bytes and spaces cannot stand in a request line.
bool printable(std::string_view text) {
    return std::none_of(text.begin(), text.end(),
                        [](char c) { return static_cast<unsigned char>(c) <= 0x20 || c == 0x7F; });
}

bool parse_port(std::string_view digits, int& port) {
    if (digits.empty() || digits.size() > 5) return false;
    int value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    if (value < 1 || value > 65535) return false;
    port = value;
    return true;
}

// What curl makes of the URL must be what we meant, or the request goes elsewhere.
bool curl_accepts(const Text& url) {
    CURLU* parsed = curl_url();
    if (parsed == nullptr) return false;
    bool ok = curl_url_set(parsed, CURLUPART_URL, url.c_str(), CURLU_PATH_AS_IS) == CURLUE_OK;
    curl_url_cleanup(parsed);
    return ok;
}

}  // namespace

Text CrackedUrl::request_url() const {
    const bool default_port = port == (secure ? 443 : 80);
    return (secure ? "https://" : "http://") + host +
           (default_port ? Text{} : ":" + std::to_string(port)) + object_name;
}

bool crack_url(const Text& url, CrackedUrl& out) {
    std::string_view rest = url;
    size_t mark = rest.find("://");
    if (mark == std::string_view::npos) return false;
    CrackedUrl cracked;
    std::string_view scheme = rest.substr(0, mark);
    if (equal_no_case(scheme, "https")) {
        cracked.secure = true;
    } else if (!equal_no_case(scheme, "http")) {
        return false;
    }
    rest.remove_prefix(mark + 3);

    size_t authority_end = rest.find_first_of("/?#");
    std::string_view authority = rest.substr(0, authority_end);
    std::string_view after =
        authority_end == std::string_view::npos ? std::string_view{} : rest.substr(authority_end);
    size_t at = authority.rfind('@');
    if (at != std::string_view::npos) authority.remove_prefix(at + 1);

    std::string_view host = authority;
    std::string_view port;
    if (!authority.empty() && authority.front() == '[') {
        size_t close = authority.find(']');
        if (close == std::string_view::npos) return false;
        host = authority.substr(0, close + 1);
        std::string_view tail = authority.substr(close + 1);
        if (!tail.empty()) {
            if (tail.front() != ':') return false;
            port = tail.substr(1);
        }
    } else if (size_t colon = authority.rfind(':'); colon != std::string_view::npos) {
        host = authority.substr(0, colon);
        port = authority.substr(colon + 1);
        // A second colon outside brackets would end up in the host name, and the request
        // would go to another port than the one reported.
        if (host.find(':') != std::string_view::npos) return false;
    }
    if (host.empty() || !printable(host)) return false;
    cracked.host = Text(host);
    cracked.port = cracked.secure ? 443 : 80;
    if (!port.empty() && !parse_port(port, cracked.port)) return false;

    std::string_view object = after.substr(0, after.find('#'));
    if (object.empty() || object.front() != '/') object = "/";
    if (!printable(object)) return false;
    cracked.object_name = Text(object);
    if (!curl_accepts(cracked.request_url())) return false;
    out = std::move(cracked);
    return true;
}

}  // namespace korvane
